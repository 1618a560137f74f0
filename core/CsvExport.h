// The month's log as a spreadsheet reads it: UTF-8 with a byte-order mark, ';' between
// the fields, CRLF line ends, German dates and decimal commas. LibreOffice and Excel on a
// German system open such a file straight into columns.
#pragma once

#include "runtime/Bytestand.h"
#include "store/Daten.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// The header line and one line per used entry of the month (up to the first empty
// Tarif), oldest first. Dates, times and durations are German whatever the regional
// settings, so the file reads the same on every machine. The last two columns hold an
// entry's received and sent bytes where 'bytes' knows them, else nothing.
using TEintragsBytes = std::function<std::optional<TBytestand>(const TVerbindung&)>;
QByteArray MonatAlsCsv(const TMonat& monat, const TEintragsBytes& bytes = {});

// A field as written into a line: quoted, with its quotes doubled, where it holds ';',
// '"' or a line break; otherwise unchanged.
QString CsvFeld(const QString& text);

// A text cell a spreadsheet must show rather than compute: one beginning with '=', '+',
// '-', '@', a tab or a carriage return (a tariff named "=cmd|' /C calc'!A0", say) gets a
// leading "'".
QString CsvText(const QString& text);
