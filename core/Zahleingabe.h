// Numbers typed into the tariff fields, read the way the class library's StrToFloat
// read them: blanks around the number, an optional sign, the decimal separator of
// FormatSettings and an optional exponent; no thousands separators.
#pragma once

#include <QString>
#include <optional>

// The value of the text, or nothing when it is no number or not a finite one.
std::optional<double> LiesFliesskommazahl(const QString& text);
