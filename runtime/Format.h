// Number and date-time texts as the class library wrote them, driven by one set of
// regional format settings.
#pragma once

#include <QString>

class QLocale;
#include <cstdint>

// The regional settings the texts depend on. Formats use the class library's notation:
// date tokens d, dd, m, mm, yy, yyyy; time tokens h, hh, n, nn (minutes), s, ss, ampm.
struct TFormatSettings {
    QChar DecimalSeparator = QLatin1Char(',');
    QString ShortDateFormat = QStringLiteral("dd.mm.yyyy");
    QString LongTimeFormat = QStringLiteral("hh:nn:ss");
    QChar TimeSeparator = QLatin1Char(':');
};

// The settings in force; read from the system locale by LeseSystemFormate().
extern TFormatSettings FormatSettings;

TFormatSettings DeutscheFormate();
// The formats of the system locale, read at every start.
TFormatSettings LeseSystemFormate();
// The formats of one locale; the C locale keeps the German ones.
TFormatSettings FormateAus(const QLocale& locale);

// General number format: at most 15 significant digits, no trailing zeros, the
// decimal separator of FormatSettings, exponent form below 0.00001 (1E-6).
QString FloatToStr(double wert);

// Two decimals with a point whatever the locale: the value is written to 18 significant
// digits and that digit string cut after the second decimal, halves away from zero.
QString FestBetrag(double wert);

// Nearest integer, ties to the even neighbour, computed in extended precision; results
// beyond the 32-bit range saturate, a NaN gives 0.
int32_t Runde(long double wert);

// Money to whole Pfennig: Runde(wert * 100) * 0.01.
double AufPfennig(long double wert);
