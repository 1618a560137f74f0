#include "core/KontoBericht.h"

#include "runtime/Format.h"
#include "runtime/Waehrung.h"

#include <QStringBuilder>
#include <algorithm>
#include <array>

namespace {

const std::array<const char*, 12> Monatsnamen = { "Januar", "Februar", "März", "April", "Mai", "Juni", "Juli",
    "August", "September", "Oktober", "November", "Dezember" };

// 'datum' is the entry's date as text, worked out once per day: a full month spends
// most of its time in the date and time texts.
QString EintragsZeile(
    const TVerbindung& v, const TZeitTeile& zeit, const QString& datum, const QString& zeichen)
{
    // As DateTimeToStr: a moment at exactly midnight shows its date alone.
    const bool mitZeit = zeit.Stunde != 0 || zeit.Minute != 0 || zeit.Sekunde != 0;
    // QStringBuilder: one allocation for the whole line.
    return QStringView(u"Datum: ") % datum % (mitZeit ? QStringView(u" ") % TimeToStr(v.Datum) : QString())
        % QStringView(u"    Dauer: ") % DauerToStr(v.Dauer) % QStringView(u"    Kosten: ")
        % FestBetrag(v.Kosten) % QLatin1Char(' ') % zeichen % QStringView(u"    Tarif: ") % v.Tarif.Text();
}

QString TagesZeile(TDateTime datum, double summe, const QString& zeichen)
{
    int jahr, monat, tag;
    DecodeDate(datum, jahr, monat, tag);
    return QStringView(u"  Am ") % QString::number(tag) % QLatin1Char('.') % QString::number(monat)
        % QStringView(u".: ") % FestBetrag(summe) % QLatin1Char(' ') % zeichen;
}

} // namespace

TKontoBericht BaueKontoBericht(const TMonat& monat, double grundpreis)
{
    // Collected oldest first, each day closed by its day line, and turned round at the
    // end: the view reads newest first with every day line heading its block.
    QStringList zeilen;
    zeilen.reserve(MaxVerbindungen * 2);
    double monatKosten = 0, monatDauer = 0, tagKosten = 0;
    int64_t laufenderTag = 0;
    TDateTime laufendesDatum = 0;
    QString datumText;
    bool begonnen = false;
    const QString zeichen = WaehrungsZeichen();

    for (const TVerbindung& v : monat.Verbindungen) {
        if (v.Tarif.Leer())
            break;
        const TZeitTeile zeit = ZerlegeZeit(v.Datum);
        const int64_t tag = zeit.Tage;
        if (begonnen && tag != laufenderTag) {
            zeilen << TagesZeile(laufendesDatum, tagKosten, zeichen);
            tagKosten = 0;
        }
        if (!begonnen || tag != laufenderTag)
            datumText = DateToStr(v.Datum);
        begonnen = true;
        laufenderTag = tag;
        laufendesDatum = v.Datum;
        tagKosten += v.Kosten;
        zeilen << EintragsZeile(v, zeit, datumText, zeichen);
        monatKosten += v.Kosten;
        monatDauer += v.Dauer;
    }
    if (begonnen)
        zeilen << TagesZeile(laufendesDatum, tagKosten, zeichen);

    std::reverse(zeilen.begin(), zeilen.end());
    TKontoBericht bericht;
    bericht.Zeilen = std::move(zeilen);
    bericht.Summe = QStringLiteral("Im Monat: ")
        + FloatToStr(AufPfennig(static_cast<long double>(monatKosten) + grundpreis)) + QLatin1Char(' ')
        + zeichen + QStringLiteral(" - ") + DauerToStr(monatDauer);
    return bericht;
}

QString MonatsName(int monat)
{
    if (monat < 1 || monat > 12)
        return {};
    return QString::fromUtf8(Monatsnamen[size_t(monat - 1)]);
}

int MonatNummer(const QString& name)
{
    for (int m = 1; m <= 12; ++m)
        if (name == MonatsName(m))
            return m;
    return 1;
}

int BerichtsJahr(TDateTime heute, int gewaehlterMonat)
{
    int jahr, monat, tag;
    DecodeDate(heute, jahr, monat, tag);
    return monat < gewaehlterMonat ? jahr - 1 : jahr;
}

QString BerichtsUeberschrift(int monat, int jahr)
{
    return MonatsName(monat) + QLatin1Char(' ') + QString::number(jahr);
}

QString BerichtsDokumentName(int monat, int jahr)
{
    return MonatsName(monat) + QString::number(jahr);
}

QString OhneSteuerzeichen(const QString& text)
{
    QString sicher = text;
    for (QChar& c : sicher)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    return sicher;
}
