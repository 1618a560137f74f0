// Start-up's look for a connection journal that a crash, a kill or a power cut left
// behind, and what becomes of it.
#pragma once

#include "runtime/Datum.h"
#include "store/Abrechnung.h"
#include "store/Tarife.h"

#include <QString>
#include <QStringList>

struct TWiederherstellung {
    // For the user, each once, in this order; shown after everything has been done.
    QStringList Meldungen;
    // The journal is still on disk for a later start: this run must not write over it.
    bool JournalBleibt = false;
};

// Runs after the login and the month roll-over. A readable journal is logged as a
// connection of its recorded user, priced by its recorded tariff, with its recorded
// start and the elapsed time of its last checkpoint (their sum is the entry's date, its
// end as far as known), into the month in which it began;
// "Daten.kwd" is saved and then the journal removed. A damaged or foreign one is set
// aside as "Verbindung.kwj.defekt", an unreadable one left as it is.
TWiederherstellung StelleVerbindungWiederHer(const QString& pfad);

QString WiederhergestelltText(TDateTime beginn, TDateTime dauer, double kosten);
