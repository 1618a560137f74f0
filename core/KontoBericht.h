// The text of the monthly account report, kept apart from the window so that it can be
// checked line by line: the view's lines and the month total below them.
#pragma once

#include "runtime/Datum.h"
#include "store/Daten.h"

#include <QString>
#include <QStringList>

struct TKontoBericht {
    QStringList Zeilen; // top to bottom: newest day first, each day line above its connections
    QString Summe; // the text of Label1
};

// Reads the used entries of the month (up to the first empty Tarif) under the current
// FormatSettings. A day is every run of entries with the same calendar date, so a slot
// that went on receiving connections after its month ended still gets one day line per
// date. The base fee is added once to the month amount.
TKontoBericht BaueKontoBericht(const TMonat& monat, double grundpreis);

// "Januar" .. "Dezember"; an out-of-range number gives an empty text.
QString MonatsName(int monat);
// 1..12 for an exact month name, 1 for anything else.
int MonatNummer(const QString& name);

// A month later in the year than today holds last year's connections, so the report
// of such a month belongs to the year before. Today's date alone decides.
int BerichtsJahr(TDateTime heute, int gewaehlterMonat);
// "März 2000": the heading above a printed or saved report.
QString BerichtsUeberschrift(int monat, int jahr);
// "März2000": the print job's title and the file name the save dialog proposes.
QString BerichtsDokumentName(int monat, int jahr);

// The text with every control character (escape, bell, carriage return...) shown as '?',
// so that a name printed on a terminal cannot act on it.
QString OhneSteuerzeichen(const QString& text);
