// A clean world for one test: its own data directory, German format settings, the
// scriptable dialogs, a recorded shell, empty data and tariffs, the real clock.
#pragma once

#include "store/Daten.h"
#include "support/TestDialoge.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

struct TTestumgebung {
    QTemporaryDir Verzeichnis;
    TTestDialoge* Dialoge = nullptr;
    QStringList* Shell = nullptr;

    TTestumgebung();
    ~TTestumgebung();
    TTestumgebung(const TTestumgebung&) = delete;
    TTestumgebung& operator=(const TTestumgebung&) = delete;

    QString Pfad(const QString& name) const { return Verzeichnis.filePath(name); }

    // The record "Daten.kwd" holds now; nothing when it is missing or not exactly one
    // record long.
    std::unique_ptr<TDaten> GespeicherteDaten() const;
};

// User 1 "Anna" with tariff 1 "Tag" at 6 Pf a minute, logging into the current month
// (returned); in memory only.
int RichteAnnaEin();
