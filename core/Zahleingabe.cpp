#include "core/Zahleingabe.h"

#include "runtime/Format.h"

#include <QLocale>
#include <cmath>

std::optional<double> LiesFliesskommazahl(const QString& text)
{
    const QString t = text.trimmed();
    const QChar trenner = FormatSettings.DecimalSeparator;
    QString c; // the same number in the C locale's notation
    c.reserve(t.size());
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        c += t[i++];
    int ziffern = 0;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) {
        c += t[i++];
        ++ziffern;
    }
    if (i < t.size() && t[i] == trenner) {
        c += QLatin1Char('.');
        ++i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) {
            c += t[i++];
            ++ziffern;
        }
    }
    if (ziffern == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        c += QLatin1Char('e');
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            c += t[i++];
        int exponent = 0;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) {
            c += t[i++];
            ++exponent;
        }
        if (exponent == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    bool ok = false;
    const double wert = QLocale::c().toDouble(c, &ok);
    if (!ok || !std::isfinite(wert))
        return std::nullopt;
    return wert;
}
