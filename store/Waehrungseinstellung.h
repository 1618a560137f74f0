// Where the program's currency is kept: "Kostenwolf.ini" beside the data files, group
// [Allgemein], key Waehrung (DM or EUR). Without the file or the key it is DM, as the
// files always were.
#pragma once

#include "runtime/Waehrung.h"

#include <QString>

inline const QString EinstellungsDateiName = QStringLiteral("Kostenwolf.ini");

// "Kostenwolf.ini" in the data directory.
QString EinstellungsPfad();

struct TWaehrungsEintrag {
    TWaehrung Waehrung = TWaehrung::DM;
    // Set when the file or its value cannot be read; Waehrung is then DM.
    QString Fehler;
};

// Reads the currency of the settings file at 'pfad'. Only a regular file is opened, so
// nothing put in its place can make this wait.
TWaehrungsEintrag LiesWaehrung(const QString& pfad);

// Sets Waehrung from the data directory's settings file; returns the notice for the
// user, empty when there is nothing.
QString LadeWaehrung();
