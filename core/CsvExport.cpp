#include "core/CsvExport.h"

#include "runtime/Format.h"
#include "runtime/Waehrung.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// The texts of the class library read FormatSettings; the file must not follow the
// user's regional settings, so German ones are in force while it is written.
class TDeutscheFormateFuerDenExport {
public:
    TDeutscheFormateFuerDenExport()
        : vorher(FormatSettings)
    {
        FormatSettings = DeutscheFormate();
    }
    ~TDeutscheFormateFuerDenExport() { FormatSettings = vorher; }
    TDeutscheFormateFuerDenExport(const TDeutscheFormateFuerDenExport&) = delete;
    TDeutscheFormateFuerDenExport& operator=(const TDeutscheFormateFuerDenExport&) = delete;

private:
    TFormatSettings vorher;
};

// Whole seconds as the duration text counts them (milliseconds dropped), so both
// columns always agree.
int64_t DauerSekunden(TDateTime dauer)
{
    const TZeitTeile t = ZerlegeZeit(dauer);
    return t.Tage * 86'400 + t.Stunde * 3'600 + t.Minute * 60 + t.Sekunde;
}

QString Zeile(const TVerbindung& v, const std::optional<TBytestand>& bytes)
{
    QString kosten = FestBetrag(v.Kosten); // the amount the report's line shows
    kosten.replace(QLatin1Char('.'), QLatin1Char(','));
    const QStringList felder { DateToStr(v.Datum), TimeToStr(v.Datum), DauerToStr(v.Dauer),
        QString::number(DauerSekunden(v.Dauer)), kosten, CsvText(v.Tarif.Text()),
        bytes ? QString::number(bytes->Empfangen) : QString(),
        bytes ? QString::number(bytes->Gesendet) : QString() };
    QStringList geschuetzt;
    geschuetzt.reserve(felder.size());
    for (const QString& feld : felder)
        geschuetzt << CsvFeld(feld);
    return geschuetzt.join(QLatin1Char(';'));
}

} // namespace

QString CsvText(const QString& text)
{
    static const QString Formelanfang = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && Formelanfang.contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

QString CsvFeld(const QString& text)
{
    const bool quoten = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quoten)
        return text;
    QString doppelt = text;
    doppelt.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doppelt + QLatin1Char('"');
}

QByteArray MonatAlsCsv(const TMonat& monat, const TEintragsBytes& bytes)
{
    const TDeutscheFormateFuerDenExport formate;

    // Entries are stored in the order the connections ended; a clock set back between two
    // of them would break that, and a spreadsheet user expects the rows by time.
    std::vector<const TVerbindung*> eintraege;
    eintraege.reserve(MaxVerbindungen);
    for (const TVerbindung& v : monat.Verbindungen) {
        if (v.Tarif.Leer())
            break;
        eintraege.push_back(&v);
    }
    // A damaged entry without a valid date goes first rather than upsetting the order.
    const auto zeitpunkt = [](const TVerbindung* v) {
        return std::isnan(v->Datum) ? -std::numeric_limits<double>::infinity() : v->Datum;
    };
    std::stable_sort(eintraege.begin(), eintraege.end(),
        [&](const TVerbindung* a, const TVerbindung* b) { return zeitpunkt(a) < zeitpunkt(b); });

    const QString zeilenende = QStringLiteral("\r\n");
    QString text = QStringLiteral("Datum;Uhrzeit;Dauer;Dauer (Sekunden);")
        + MitWaehrungInKlammern(QStringLiteral("Kosten"))
        + QStringLiteral(";Tarif;Empfangen (Bytes);Gesendet (Bytes)") + zeilenende;
    for (const TVerbindung* v : eintraege)
        text += Zeile(*v, bytes ? bytes(*v) : std::nullopt) + zeilenende;
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}
