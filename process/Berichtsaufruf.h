// "kostenwolf --bericht": a month's report on standard output, for scripts and for
// people who keep their accounts elsewhere. It answers before the single-instance guard
// and only reads the two data files, so a running Kostenwolf is neither reached nor
// disturbed, and nothing is ever written.
#pragma once

#include "runtime/Datum.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The exit codes scripts can rely on.
enum TBerichtsCode {
    BerichtFertig = 0,
    BerichtAusgabeFehler = 1, // the report could not be written out (closed pipe, full disk)
    BerichtFalscheArgumente = 2,
    BerichtFalschesKennwort = 3,
    BerichtDatenUnlesbar = 4,
    BerichtBenutzerFehlt = 5,
};

struct TBerichtsWunsch {
    int Monat = 0; // 1..12
    int Jahr = 0;
    std::optional<QString> Benutzer; // none: the start user
    bool Csv = false;
    bool KennwortStdin = false;
};

// True when the arguments (after the program name) ask for the report.
bool WillBericht(const QStringList& argumente);

// The arguments after the program name. A month must be one the log still holds: each
// month slot keeps only its latest year, so today's date decides which year that is.
// On a mistake 'fehler' gets a German sentence and nothing is returned.
std::optional<TBerichtsWunsch> LiesBerichtsArgumente(
    const QStringList& argumente, TDateTime heute, QString& fehler);

// The usage lines shown with every argument mistake.
QString BerichtsAufruftext();

struct TBerichtsKanaele {
    std::function<void(const QByteArray&)> Ausgabe; // standard output
    std::function<void(const QString&)> Meldung; // standard error, one message
    // The password of the named user, from standard input or asked on the terminal;
    // nothing when it cannot be read at all.
    std::function<std::optional<QString>(const QString& benutzer, bool vonStdin)> Kennwort;
};

// Reads the files of the data directory into the process's own record, picks the user,
// checks the password and writes the report. Returns the exit code.
int FuehreBerichtAus(const QStringList& argumente, TDateTime heute, const TBerichtsKanaele& kanaele);

// For main: when the arguments ask for the report, answers and ends the process.
void BeantworteBerichtsAufruf(int argc, char** argv);
