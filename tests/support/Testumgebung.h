// A clean world for one test: its own data directory, German format settings, the
// scriptable dialogs, a recorded shell, empty data and tariffs, the real clock.
#pragma once

#include "store/Daten.h"
#include "support/TestDialoge.h"

#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

struct TTestumgebung {
    QTemporaryDir Verzeichnis;
    // The runtime folder of the program a test starts: a guard apart from any running
    // instance.
    QTemporaryDir Laufzeit;
    TTestDialoge* Dialoge = nullptr;
    QStringList* Shell = nullptr;

    TTestumgebung();
    ~TTestumgebung();
    TTestumgebung(const TTestumgebung&) = delete;
    TTestumgebung& operator=(const TTestumgebung&) = delete;

    QString Pfad(const QString& name) const { return Verzeichnis.filePath(name); }

    // The environment of the built program started by a test: this data folder, the
    // runtime folder above, the offscreen platform, and the connection simulated by the
    // file 'verbindung' (offline when none is named).
    QProcessEnvironment ProgrammUmgebung(const QString& verbindung = {}) const;

    // The record "Daten.kwd" holds now; nothing when it is missing or not exactly one
    // record long.
    std::unique_ptr<TDaten> GespeicherteDaten() const;
};

// User 1 "Anna" with tariff 1 "Tag" at 6 Pf a minute, logging into the current month
// (returned); in memory only.
int RichteAnnaEin();
