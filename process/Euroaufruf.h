// "kostenwolf --auf-euro-umstellen [--ja]": moves the account to Euro without a window.
// It answers before the single-instance guard and refuses while Kostenwolf runs on the
// same data, since the running program would write its DM amounts over the new files.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

enum TEuroCode {
    EuroFertig = 0, // moved, already in Euro, or not wanted
    EuroFehlgeschlagen = 1, // nothing changed
    EuroFalscheArgumente = 2,
    EuroProgrammLaeuft = 6,
};

inline const QString ProgrammLaeuftText = QStringLiteral("Bitte zuerst Kostenwolf beenden.");

bool WillEuroUmstellung(const QStringList& argumente);

struct TEuroKanaele {
    std::function<void(const QString&)> Ausgabe; // standard output
    std::function<void(const QString&)> Meldung; // standard error
    // The answer to the question on the terminal; nothing without a terminal.
    std::function<std::optional<bool>(const QString& frage)> Frage;
    // Takes the data folder for this process; false when Kostenwolf holds it.
    std::function<bool(const QString& verzeichnis)> Sperre;
};

// The move for the data folder 'verzeichnis'. Returns the exit code.
int FuehreEuroUmstellungAus(
    const QStringList& argumente, const QString& verzeichnis, const TEuroKanaele& kanaele);

// For main: when the arguments ask for the move, does it and gives the exit code to end
// with; nothing otherwise.
std::optional<int> BeantworteEuroAufruf(int argc, char** argv);
