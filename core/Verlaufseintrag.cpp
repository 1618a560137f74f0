#include "core/Verlaufseintrag.h"

#include "store/Abrechnung.h"
#include "store/Daten.h"

TVerlaufsEintrag VerlaufsEintrag(
    int benutzer, const TTarif& tarif, TDateTime beginn, TDateTime ende, TDateTime dauer, double kosten)
{
    // Built through the entry the month slot holds, so both carry the same numbers.
    TVerbindung v {};
    if (tarif.Name.Leer())
        v.Tarif.Setze(KeinTarifName);
    else
        v.Tarif = tarif.Name;
    v.Datum = ende;
    v.Dauer = dauer;
    v.Kosten = kosten;
    const QString name = GueltigerBenutzer(benutzer) ? Daten.Benutzer[benutzer].Name.Text() : QString();
    TVerlaufsEintrag eintrag = EintragAusDaten(name, v);
    eintrag.Beginn = beginn;
    eintrag.Quelle = QuelleMessung;
    return eintrag;
}

bool SchreibeInVerlauf(const TVerlaufsEintrag& eintrag)
{
    TVerlauf& verlauf = Verlauf();
    return verlauf.Offen() && verlauf.Schreibe(eintrag);
}

void SchreibeInVerlauf(const std::vector<TBeendeteVerbindung>& verbindungen)
{
    for (const TBeendeteVerbindung& v : verbindungen)
        if (v.Ergebnis == TProtokollErgebnis::Eingetragen) {
            TVerlaufsEintrag e = VerlaufsEintrag(v.Benutzer, v.Tarif, v.Beginn, v.Datum, v.Dauer, v.Kosten);
            if (v.Bytes) {
                e.RxBytes = qint64(v.Bytes->Empfangen);
                e.TxBytes = qint64(v.Bytes->Gesendet);
            }
            // A write the log refuses is taken over from "Daten.kwd" at the next start.
            (void)SchreibeInVerlauf(e);
        }
}

QString OeffneVerlaufBeimStart()
{
    return Verlauf().Oeffne().Meldung;
}

void UebernimmDatenInVerlauf()
{
    Verlauf().UebernimmAusDaten(Daten);
}
