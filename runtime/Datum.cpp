#include "runtime/Datum.h"

#include "runtime/Format.h"

#include <QDateTime>
#include <cmath>
#include <ctime>

namespace {
std::optional<TDateTime> festeUhr;

// Days since 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr int64_t TageAusDatum(int64_t j, int64_t m, int64_t t)
{
    j -= m <= 2;
    const int64_t era = (j >= 0 ? j : j - 399) / 400;
    const int64_t yoe = j - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + t - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void DatumAusTagen(int64_t z, int& jahr, int& monat, int& tag)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    tag = int(doy - (153 * mp + 2) / 5 + 1);
    monat = int(mp < 10 ? mp + 3 : mp - 9);
    jahr = int(yoe + era * 400 + (monat <= 2));
}

// Known at compile time, so that dates other files compute while they are initialised
// (constants of their own) never see it still zero.
constexpr int64_t Tag1899 = TageAusDatum(1899, 12, 30);

QString Zwei(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// Applies a time format in the class library's notation. 'stunden' may exceed 23 for
// durations; am/pm is then meaningless and left out.
QString FormatZeit(const QString& format, int64_t stunden, int minute, int sekunde, bool dauer)
{
    QString text;
    const bool ampm = !dauer && format.contains(QLatin1String("ampm"), Qt::CaseInsensitive);
    int64_t h = stunden;
    if (ampm) {
        h = stunden % 12;
        if (h == 0)
            h = 12;
    }
    for (int i = 0; i < format.size();) {
        const QChar c = format[i].toLower();
        if (format.mid(i, 4).compare(QLatin1String("ampm"), Qt::CaseInsensitive) == 0) {
            if (ampm)
                text += stunden < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            i += 4;
            continue;
        }
        int n = 1;
        while (i + n < format.size() && format[i + n].toLower() == c)
            ++n;
        if (c == QLatin1Char('h'))
            text += n >= 2 ? QString::number(h).rightJustified(2, QLatin1Char('0')) : QString::number(h);
        else if (c == QLatin1Char('n') || c == QLatin1Char('m'))
            text += n >= 2 ? Zwei(minute) : QString::number(minute);
        else if (c == QLatin1Char('s'))
            text += n >= 2 ? Zwei(sekunde) : QString::number(sekunde);
        else
            text += QString(n, format[i]);
        i += n;
    }
    return text.trimmed();
}
} // namespace

void SetzeUhr(std::optional<TDateTime> fest)
{
    festeUhr = fest;
}

namespace {
std::optional<int64_t> festeMonotoneUhr;

int64_t Millisekunden(clockid_t uhr)
{
    timespec t {};
    ::clock_gettime(uhr, &t);
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}
} // namespace

int64_t MonotoneMillisekunden()
{
    if (festeMonotoneUhr)
        return *festeMonotoneUhr;
    if (festeUhr)
        return std::llround(*festeUhr * double(MSecsPerDay));
    return Millisekunden(CLOCK_BOOTTIME);
}

int64_t WachMillisekunden()
{
    if (festeMonotoneUhr || festeUhr)
        return MonotoneMillisekunden();
    return Millisekunden(CLOCK_MONOTONIC);
}

void SetzeMonotoneUhr(std::optional<int64_t> fest)
{
    festeMonotoneUhr = fest;
}

TDateTime Now()
{
    if (festeUhr)
        return *festeUhr;
    const QDateTime jetzt = QDateTime::currentDateTime();
    const QDate d = jetzt.date();
    return EncodeDate(d.year(), d.month(), d.day())
        + jetzt.time().msecsSinceStartOfDay() / double(MSecsPerDay);
}

TDateTime EncodeDate(int jahr, int monat, int tag)
{
    return double(TageAusDatum(jahr, monat, tag) - Tag1899);
}

TDateTime EncodeTime(int stunde, int minute, int sekunde, int msek)
{
    return (((stunde * 60 + minute) * 60 + sekunde) * 1000 + msek) / double(MSecsPerDay);
}

void DecodeDate(TDateTime wert, int& jahr, int& monat, int& tag)
{
    const int64_t tage = ZerlegeZeit(wert).Tage;
    DatumAusTagen(tage + Tag1899, jahr, monat, tag);
}

int MonatsIndex(TDateTime wert)
{
    int jahr, monat, tag;
    DecodeDate(wert, jahr, monat, tag);
    return jahr * 12 + monat - 1;
}

TZeitTeile ZerlegeZeit(TDateTime wert)
{
    TZeitTeile t;
    if (!std::isfinite(wert))
        return t;
    // rintl rounds ties to even like nearbyintl, without saving the FPU state each time.
    const long double ms = std::rintl(static_cast<long double>(wert) * MSecsPerDay);
    if (ms > 9.0e18L || ms < -9.0e18L)
        return t;
    int64_t gesamt = static_cast<int64_t>(ms);
    t.Tage = gesamt / MSecsPerDay;
    int64_t rest = gesamt % MSecsPerDay;
    if (rest < 0) {
        // Before 1899-12-30 the fraction still counts forward from midnight.
        rest += MSecsPerDay;
        --t.Tage;
    }
    t.Stunde = int(rest / 3'600'000);
    t.Minute = int(rest / 60'000 % 60);
    t.Sekunde = int(rest / 1000 % 60);
    t.MSek = int(rest % 1000);
    return t;
}

void DecodeTime(TDateTime wert, int& stunde, int& minute, int& sekunde, int& msek)
{
    const TZeitTeile t = ZerlegeZeit(wert);
    stunde = t.Stunde;
    minute = t.Minute;
    sekunde = t.Sekunde;
    msek = t.MSek;
}

QString DateToStr(TDateTime wert)
{
    int jahr, monat, tag;
    DecodeDate(wert, jahr, monat, tag);
    const QString& format = FormatSettings.ShortDateFormat;
    QString text;
    for (int i = 0; i < format.size();) {
        const QChar c = format[i].toLower();
        int n = 1;
        while (i + n < format.size() && format[i + n].toLower() == c)
            ++n;
        if (c == QLatin1Char('d'))
            text += n >= 2 ? Zwei(tag) : QString::number(tag);
        else if (c == QLatin1Char('m'))
            text += n >= 2 ? Zwei(monat) : QString::number(monat);
        else if (c == QLatin1Char('y'))
            text += n <= 2 ? Zwei(jahr % 100) : QString::number(jahr).rightJustified(4, QLatin1Char('0'));
        else
            text += QString(n, format[i]);
        i += n;
    }
    return text;
}

QString TimeToStr(TDateTime wert)
{
    const TZeitTeile t = ZerlegeZeit(wert);
    return FormatZeit(FormatSettings.LongTimeFormat, t.Stunde, t.Minute, t.Sekunde, false);
}

QString DateTimeToStr(TDateTime wert)
{
    const TZeitTeile t = ZerlegeZeit(wert);
    if (t.Stunde == 0 && t.Minute == 0 && t.Sekunde == 0)
        return DateToStr(wert);
    return DateToStr(wert) + QLatin1Char(' ') + TimeToStr(wert);
}

QString DauerToStr(TDateTime dauer)
{
    const TZeitTeile t = ZerlegeZeit(dauer);
    if (t.Tage < 0)
        return TimeToStr(dauer); // a negative span (clock set back) has no sensible total
    return FormatZeit(FormatSettings.LongTimeFormat, t.Tage * 24 + t.Stunde, t.Minute, t.Sekunde, true);
}
