#include "store/Abrechnung.h"

#include "runtime/Format.h"
#include "runtime/Waehrung.h"

#include <cmath>
#include <cstring>

int64_t AbrechenbareMinuten(TDateTime dauer)
{
    if (!std::isfinite(dauer) || dauer <= 0)
        return 0;
    const TZeitTeile t = ZerlegeZeit(dauer);
    if (t.Tage < 0)
        return 0;
    return t.Tage * 1440 + t.Stunde * 60 + t.Minute + (t.Sekunde > 0 ? 1 : 0);
}

int32_t PreisInPfennig(int64_t minuten, const TTarif& tarif)
{
    return Runde(static_cast<long double>(minuten) * static_cast<long double>(tarif.Preis));
}

double Verbindungspreis(TDateTime dauer, const TTarif& tarif)
{
    const int32_t pfennig = PreisInPfennig(AbrechenbareMinuten(dauer), tarif);
    return static_cast<double>((static_cast<long double>(pfennig) + tarif.Einwahl) * 0.01L);
}

TDateTime GanzeSekunden(int64_t dauerMs)
{
    const int64_t sekunden = dauerMs <= 0 ? 0 : (dauerMs + 500) / 1000;
    return double(sekunden * 1000) / double(MSecsPerDay);
}

double PreisNachLaufzeit(int64_t dauerMs, const TTarif& tarif)
{
    const TDateTime dauer = GanzeSekunden(dauerMs);
    return dauer > 0 ? Verbindungspreis(dauer, tarif) : 0.0;
}

namespace {

// The slot the user logs into; a damaged month number falls back to slot 0, which
// every reader ignores, rather than leading outside the record.
TMonat& AktuellerMonat(TBenutzer& b)
{
    return b.Monate[b.MonatNr <= 12 ? b.MonatNr : 0];
}

TProtokollErgebnis Trage(TMonat& monat, const TTarif& tarif, TDateTime datum, TDateTime dauer, double kosten)
{
    const int frei = AnzahlVerbindungen(monat);
    if (frei >= MaxVerbindungen)
        return TProtokollErgebnis::MonatVoll;

    TVerbindung& v = monat.Verbindungen[frei];
    if (tarif.Name.Leer()) {
        v.Tarif.Setze(KeinTarifName);
    }
    else {
        // Byte for byte: the name goes back to the file in the code page it came from.
        const size_t n = tarif.Name.Anzahl();
        std::memcpy(v.Tarif.Zeichen, tarif.Name.Zeichen, n);
        v.Tarif.Laenge = uint8_t(n);
    }
    v.Kosten = kosten;
    v.Dauer = dauer;
    v.Datum = datum;
    monat.SummeKosten += kosten;
    monat.SummeDauer += dauer;
    return TProtokollErgebnis::Eingetragen;
}

} // namespace

TProtokollErgebnis ProtokolliereVerbindung(
    int benutzer, const TTarif& tarif, TDateTime datum, TDateTime dauer, double kosten)
{
    if (!GueltigerBenutzer(benutzer))
        return TProtokollErgebnis::KeinBenutzer;
    return Trage(AktuellerMonat(Daten.Benutzer[benutzer]), tarif, datum, dauer, kosten);
}

TProtokollErgebnis ProtokolliereVerbindungImBeginnmonat(int benutzer, const TTarif& tarif, TDateTime beginn,
    TDateTime dauer, double kosten, int laufenderMonat, TDateTime datum)
{
    if (!GueltigerBenutzer(benutzer))
        return TProtokollErgebnis::KeinBenutzer;
    int jahr, m, tag;
    DecodeDate(beginn, jahr, m, tag);
    if (m < 1 || m > 12)
        return ProtokolliereVerbindung(benutzer, tarif, datum, dauer, kosten);
    TBenutzer& b = Daten.Benutzer[benutzer];
    const bool ohneMonat = b.MonatNr < 1 || b.MonatNr > 12;
    if (b.MonatNr != m && (m == laufenderMonat || ohneMonat)) {
        LeereMonat(b.Monate[m]);
        b.MonatNr = uint8_t(m);
    }
    return Trage(b.Monate[m], tarif, datum, dauer, kosten);
}

double MonatsSumme(int u)
{
    double summe = 0;
    if (GueltigerBenutzer(u)) {
        const TMonat& monat = AktuellerMonat(Daten.Benutzer[u]);
        const int n = AnzahlVerbindungen(monat);
        for (int k = 0; k < n; ++k)
            summe += monat.Verbindungen[k].Kosten;
    }
    return AufPfennig(static_cast<long double>(summe) + AktTarif.Grundpreis);
}

QString BetragText(double betrag)
{
    return MitWaehrung(FloatToStr(betrag));
}

QString NullBetragText()
{
    return MitWaehrung(QStringLiteral("0,00"));
}

QString StartHinweis()
{
    return Waehrung == TWaehrung::DM ? QStringLiteral("Kostenwolf - 0,00DM")
                                     : QStringLiteral("Kostenwolf - ") + NullBetragText();
}

QString MonatsText(double summe)
{
    return QStringLiteral("Diesen Monat: ") + BetragText(summe);
}
