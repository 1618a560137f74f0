#include "core/Anlauf.h"

#include "core/Budget.h"
#include "core/EuroUmstellung.h"
#include "core/Verlaufseintrag.h"
#include "core/Wiederherstellung.h"
#include "platform/posix/Dateien.h"
#include "store/Daten.h"
#include "store/Datenverzeichnis.h"
#include "store/Journaldatei.h"
#include "store/Startablauf.h"
#include "store/Tarife.h"
#include "store/Waehrungseinstellung.h"

#include <QFile>
#include <cstring>

namespace {

void MeldeFallsNoetig(const TAnlaufWunsch& wunsch, const QString& text, const QString& protokoll = {})
{
    if (!text.isEmpty() && wunsch.Melde)
        wunsch.Melde(text, protokoll);
}

// The program's files as the running program reads them: half-written saves cleaned up,
// a move to Euro that a crash cut short taken back, damaged files told and left alone.
void LadeZumSchreiben(const TAnlaufWunsch& wunsch)
{
    for (const QString& pfad : { DatenPfad(), TarifePfad(), JournalPfad(), EinstellungsPfad() })
        RaeumeTemporaereAuf(pfad);
    MeldeFallsNoetig(wunsch, SetzeAbgebrocheneEuroUmstellungZurueck(DatenVerzeichnis()));
    const QString waehrung = LadeWaehrung();
    if (wunsch.WaehrungGeladen)
        wunsch.WaehrungGeladen();
    MeldeFallsNoetig(wunsch, waehrung, QStringLiteral("Kostenwolf: ") + waehrung);
    const TLadeErgebnis daten = LadeDaten();
    const TLadeErgebnis tarife = LadeTarife();
    // Also on stderr, with the reason: the box names no cause, and it may sit unseen
    // behind other windows or on a display nobody watches.
    for (const auto& [pfad, ergebnis] :
        { std::pair { DatenPfad(), daten }, std::pair { TarifePfad(), tarife } })
        if (ergebnis.art == TLadeErgebnis::Unlesbar)
            MeldeFallsNoetig(wunsch, LadeFehlerText(pfad),
                QStringLiteral("Kostenwolf: %1 (%2)").arg(LadeFehlerText(pfad), ergebnis.Grund));
    const QString budget = LadeBudgets();
    MeldeFallsNoetig(wunsch, budget, QStringLiteral("Kostenwolf: ") + budget);
}

// The process's own copy of the files: read, never saved.
bool LadeZumLesen(TAnlauf& anlauf)
{
    std::memset(&Daten, 0, sizeof Daten);
    const TLadeErgebnis daten = LeseDatensatzNurLesend(DatenPfad(), &Daten, sizeof Daten);
    if (daten.art != TLadeErgebnis::Geladen) {
        anlauf.Pfad = DatenPfad();
        anlauf.Grund = daten.Grund;
        return false;
    }
    BegrenzeDaten(Daten);
    // The amounts are named in the currency the files hold.
    Waehrung = LiesWaehrung(EinstellungsPfad()).Waehrung;
    // Without a tariff table every user simply has no base fee, as on a first start.
    std::memset(&Tarife, 0, sizeof Tarife);
    if (QFile::exists(TarifePfad())) {
        const TLadeErgebnis tarife = LeseDatensatzNurLesend(TarifePfad(), &Tarife, sizeof Tarife);
        if (tarife.art != TLadeErgebnis::Geladen) {
            anlauf.Pfad = TarifePfad();
            anlauf.Grund = tarife.Grund;
            return false;
        }
    }
    return true;
}

TAnlauf::Art MeldeAn(const TAnlaufWunsch& wunsch, int& benutzer)
{
    benutzer = 0;
    if (wunsch.Benutzer) {
        for (int u = 1; u <= Daten.BenutzerAnzahl && u <= MaxBenutzer && !benutzer; ++u)
            if (Daten.Benutzer[u].Name.Text() == *wunsch.Benutzer)
                benutzer = u;
        if (!benutzer)
            return TAnlauf::BenutzerFehlt;
    }
    else {
        benutzer = AnzumeldenderBenutzer();
    }
    if (!HatKennwort(benutzer))
        return TAnlauf::Angemeldet;
    for (;;) {
        // Only giving up ends the start; "OK" on an empty line is a wrong password.
        const std::optional<QString> eingabe = wunsch.Kennwort ? wunsch.Kennwort(benutzer) : std::nullopt;
        if (!eingabe)
            return TAnlauf::Abgebrochen;
        if (KennwortPasst(benutzer, *eingabe))
            return TAnlauf::Angemeldet;
        MeldeFallsNoetig(wunsch, QStringLiteral("Falsches Kennwort"));
        if (!wunsch.KennwortWiederholen)
            return TAnlauf::KennwortFalsch;
    }
}

} // namespace

void NeuerBudgetMonat(std::optional<int> ausser)
{
    for (int u = 1; u <= Daten.BenutzerAnzahl && u <= MaxBenutzer; ++u)
        if (!ausser || Daten.Benutzer[u].MonatNr != *ausser)
            Budgets().NeuerMonat(u);
}

TAnlauf Anlaufen(const TAnlaufWunsch& wunsch)
{
    TAnlauf anlauf;
    if (wunsch.NurLesen) {
        if (!LadeZumLesen(anlauf)) {
            anlauf.art = TAnlauf::DatenUnlesbar;
            return anlauf;
        }
    }
    else {
        LadeZumSchreiben(wunsch);
    }

    RichteErstenStartEin();
    anlauf.art = MeldeAn(wunsch, anlauf.Benutzer);
    if (anlauf.art != TAnlauf::Angemeldet)
        return anlauf;
    AktBenutzer = uint8_t(anlauf.Benutzer);

    int jahr, monat, tag;
    DecodeDate(wunsch.Uhr ? wunsch.Uhr() : Now(), jahr, monat, tag);
    if (!wunsch.NurLesen)
        NeuerBudgetMonat(monat);
    // Users who last ran in an earlier month (of any year) start its slot afresh.
    WechsleMonat(monat);

    if (!wunsch.NurLesen) {
        // The log of every connection: open before the recovery, so that a recovered
        // connection goes in as such.
        const QString verlauf = OeffneVerlaufBeimStart();
        if (!verlauf.isEmpty())
            anlauf.Meldungen << verlauf;
        // A connection that a crash or a power cut cut short is logged before anything
        // is metered anew, so that its journal is not taken for the new one's.
        const TWiederherstellung wiederhergestellt = StelleVerbindungWiederHer(JournalPfad());
        anlauf.Meldungen += wiederhergestellt.Meldungen;
        anlauf.JournalBleibt = wiederhergestellt.JournalBleibt;
    }
    SetzeAktTarif(Daten.Benutzer[anlauf.Benutzer].TarifNr);
    return anlauf;
}
