// "kostenwolf --bericht" and "--vergleich": a month's or a year's report, or the tariff
// comparison, on standard output, for scripts and for people who keep their accounts
// elsewhere. It answers before the single-instance guard and only reads the data files
// and the connection log, so a running Kostenwolf is neither reached nor disturbed,
// and nothing is ever written.
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

enum class TAusgabeFormat { Text, Csv, Json };

struct TBerichtsWunsch {
    int Monat = 0; // 1..12
    int Jahr = 0;
    // --jahr: the twelve months of that year from the connection log instead of a month.
    bool GanzesJahr = false;
    // --vergleich: what the last 'Monate' months would have cost under every tariff.
    bool Vergleich = false;
    int Monate = 12;
    std::optional<QString> Benutzer; // none: the start user
    TAusgabeFormat Format = TAusgabeFormat::Text;
    bool KennwortStdin = false;
};

// True when the arguments (after the program name) ask for the report or the tariff
// comparison.
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

// For main: when the arguments ask for the report, answers and gives the exit code to
// end with; nothing otherwise.
std::optional<int> BeantworteBerichtsAufruf(int argc, char** argv);
