#include "core/Hochrechnung.h"

#include "core/Budget.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"

int TageImMonat(TDateTime datum)
{
    int jahr, monat, tag;
    DecodeDate(datum, jahr, monat, tag);
    const TDateTime erster = EncodeDate(jahr, monat, 1);
    const TDateTime naechster = monat == 12 ? EncodeDate(jahr + 1, 1, 1) : EncodeDate(jahr, monat + 1, 1);
    return int(naechster - erster);
}

std::optional<double> Hochrechnung(const TMonat& monat, double grundpreis, TDateTime heute)
{
    int jahr, monatNr, tag;
    DecodeDate(heute, jahr, monatNr, tag);
    long double kosten = 0;
    int anzahl = 0;
    const int n = AnzahlVerbindungen(monat);
    for (int k = 0; k < n; ++k) {
        const TVerbindung& v = monat.Verbindungen[k];
        int j, m, t;
        DecodeDate(v.Datum, j, m, t);
        if (j != jahr || m != monatNr)
            continue;
        kosten += v.Kosten;
        ++anzahl;
    }
    if (anzahl == 0)
        return std::nullopt;
    return AufPfennig(kosten / tag * TageImMonat(heute) + grundpreis);
}

QString HochrechnungsText(double betrag)
{
    return QStringLiteral("Hochrechnung bis Monatsende: ") + MitWaehrung(ZweiStellen(betrag));
}
