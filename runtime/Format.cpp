#include "runtime/Format.h"

#include <QLocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

TFormatSettings FormatSettings;

TFormatSettings DeutscheFormate()
{
    return TFormatSettings {};
}

namespace {

// Quoted text in Qt's patterns is literal ("HH.mm:ss 'h'"); the class library's
// notation has no quoting, so its letters would turn into fields. It is left out.
// Returns the index after the closing quote.
int NachZitat(const QString& qt, int i)
{
    const int ende = qt.indexOf(QLatin1Char('\''), i + 1);
    return ende < 0 ? int(qt.size()) : ende + 1;
}

// Goes through a Qt pattern one field (a run of one letter) at a time, leaving out
// quoted text. 'feld' gives a field's notation in the class library from its letter,
// its place and its length, which it may lengthen.
template <typename Feld> QString UebertrageMuster(const QString& qt, Feld feld)
{
    QString ergebnis;
    for (int i = 0; i < qt.size();) {
        const QChar c = qt[i];
        if (c == QLatin1Char('\'')) {
            i = NachZitat(qt, i);
            continue;
        }
        int n = 1;
        while (i + n < qt.size() && qt[i + n] == c)
            ++n;
        ergebnis += feld(c, i, n);
        i += n;
    }
    return ergebnis;
}

// Qt's date and time patterns into the class library's notation.
QString QtDatumsMuster(const QString& qt)
{
    return UebertrageMuster(qt, [](QChar c, int, int n) {
        if (c == QLatin1Char('d'))
            return n >= 2 ? QStringLiteral("dd") : QStringLiteral("d");
        if (c == QLatin1Char('M'))
            return n >= 2 ? QStringLiteral("mm") : QStringLiteral("m");
        if (c == QLatin1Char('y'))
            return QStringLiteral("yyyy"); // four-digit years, whatever the locale's short form
        return QString(n, c);
    });
}

QString QtZeitMuster(const QString& qt)
{
    return UebertrageMuster(qt, [&qt](QChar c, int i, int& n) {
        // "AP" and "ap" are one field, as are "A" and "a".
        if ((c == QLatin1Char('a') || c == QLatin1Char('A')) && n == 1 && i + 1 < qt.size()
            && qt[i + 1].toLower() == QLatin1Char('p'))
            n = 2;
        if (c == QLatin1Char('h') || c == QLatin1Char('H'))
            return n >= 2 ? QStringLiteral("hh") : QStringLiteral("h");
        if (c == QLatin1Char('m'))
            return n >= 2 ? QStringLiteral("nn") : QStringLiteral("n");
        if (c == QLatin1Char('s'))
            return n >= 2 ? QStringLiteral("ss") : QStringLiteral("s");
        if (c == QLatin1Char('a') || c == QLatin1Char('A'))
            return QStringLiteral("ampm");
        if (c == QLatin1Char('t') || c == QLatin1Char('z'))
            return QString(); // time zone and milliseconds are not part of the long time format here
        return QString(n, c);
    }).trimmed();
}

} // namespace

TFormatSettings LeseSystemFormate()
{
    return FormateAus(QLocale::system());
}

TFormatSettings FormateAus(const QLocale& sys)
{
    // Without regional settings (the C locale) the program keeps the German ones it was
    // made for, rather than the C locale's month-name dates.
    if (sys.language() == QLocale::C)
        return DeutscheFormate();
    TFormatSettings f;
    const QString dezimal = sys.decimalPoint();
    f.DecimalSeparator = dezimal.isEmpty() ? QLatin1Char('.') : dezimal.at(0);
    f.ShortDateFormat = QtDatumsMuster(sys.dateFormat(QLocale::ShortFormat));
    f.LongTimeFormat = QtZeitMuster(sys.timeFormat(QLocale::LongFormat));
    f.TimeSeparator = QLatin1Char(':');
    for (QChar c : f.LongTimeFormat)
        if (!c.isLetter()) {
            f.TimeSeparator = c;
            break;
        }
    if (f.ShortDateFormat.isEmpty())
        f.ShortDateFormat = QStringLiteral("dd.mm.yyyy");
    if (f.LongTimeFormat.isEmpty())
        f.LongTimeFormat = QStringLiteral("hh:nn:ss");
    return f;
}

namespace {

// The decimal digits of |wert| rounded to 'stellen' significant digits, and the
// decimal exponent of the first one (wert = 0.d1d2... * 10^(exponent + 1)).
struct TZiffern {
    std::string ziffern;
    int exponent = 0;
};

TZiffern Ziffern(double wert, int stellen)
{
    char puffer[64];
    std::snprintf(puffer, sizeof puffer, "%.*e", stellen - 1, std::fabs(wert));
    TZiffern z;
    const char* p = puffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            z.ziffern += *p;
    if (*p == 'e')
        z.exponent = std::atoi(p + 1);
    return z;
}

} // namespace

QString FloatToStr(double wert)
{
    if (std::isnan(wert))
        return QStringLiteral("NAN");
    if (std::isinf(wert))
        return wert > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (wert == 0)
        return QStringLiteral("0");

    TZiffern z = Ziffern(wert, 15);
    while (z.ziffern.size() > 1 && z.ziffern.back() == '0')
        z.ziffern.pop_back();
    const QString sep = FormatSettings.DecimalSeparator;
    QString text = wert < 0 ? QStringLiteral("-") : QString();

    if (z.exponent < -5 || z.exponent >= 15) {
        text += QLatin1Char(z.ziffern[0]);
        if (z.ziffern.size() > 1)
            text += sep + QString::fromLatin1(z.ziffern.substr(1));
        text += QLatin1Char('E') + QString::number(z.exponent);
        return text;
    }
    if (z.exponent < 0) {
        text += QLatin1Char('0') + sep + QString(-z.exponent - 1, QLatin1Char('0'))
            + QString::fromLatin1(z.ziffern);
        return text;
    }
    const size_t ganz = static_cast<size_t>(z.exponent) + 1;
    if (z.ziffern.size() <= ganz)
        return text + QString::fromLatin1(z.ziffern)
            + QString(int(ganz - z.ziffern.size()), QLatin1Char('0'));
    return text + QString::fromLatin1(z.ziffern.substr(0, ganz)) + sep
        + QString::fromLatin1(z.ziffern.substr(ganz));
}

QString FestBetrag(double wert)
{
    if (!std::isfinite(wert))
        return FloatToStr(wert);
    const bool negativ = std::signbit(wert) && wert != 0;
    std::string ganz = "0", bruch = "00";
    if (wert != 0) {
        const TZiffern z = Ziffern(wert, 18);
        // Place the 18 digits around the decimal point.
        std::string stellen = z.ziffern;
        int punkt = z.exponent + 1; // digits before the point
        if (punkt <= 0) {
            stellen = std::string(size_t(-punkt), '0') + stellen;
            punkt = 0;
        }
        else if (size_t(punkt) > stellen.size()) {
            stellen += std::string(size_t(punkt) - stellen.size(), '0');
        }
        ganz = punkt == 0 ? std::string("0") : stellen.substr(0, size_t(punkt));
        std::string rest = stellen.substr(size_t(punkt)) + "000";
        bruch = rest.substr(0, 2);
        if (rest[2] >= '5') {
            std::string alles = ganz + bruch;
            int i = int(alles.size()) - 1;
            for (; i >= 0; --i) {
                if (alles[size_t(i)] == '9') {
                    alles[size_t(i)] = '0';
                }
                else {
                    ++alles[size_t(i)];
                    break;
                }
            }
            if (i < 0)
                alles.insert(alles.begin(), '1');
            ganz = alles.substr(0, alles.size() - 2);
            bruch = alles.substr(alles.size() - 2);
        }
    }
    return QString::fromLatin1((negativ ? "-" : "") + ganz + "." + bruch);
}

int32_t Runde(long double wert)
{
    if (std::isnan(wert))
        return 0;
    const long double r = std::nearbyintl(wert); // default rounding mode: ties to even
    if (r >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (r <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

double AufPfennig(long double wert)
{
    return static_cast<double>(static_cast<long double>(Runde(wert * 100.0L)) * 0.01L);
}
