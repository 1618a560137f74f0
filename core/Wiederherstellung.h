// Start-up's look for a connection journal that a crash, a kill or a power cut left
// behind, and what becomes of it.
#pragma once

#include "runtime/Datum.h"
#include "store/Abrechnung.h"
#include "store/Tarife.h"

#include <QString>
#include <QStringList>
#include <functional>

struct TWiederherstellung {
    // For the user, each once, in this order; shown after everything has been done.
    QStringList Meldungen;
    // The journal is still on disk for a later start: this run must not write over it.
    bool JournalBleibt = false;
};

// Runs after the login and the month roll-over. A readable journal is logged as a
// connection of its recorded user, priced by its recorded tariff, with its recorded
// start and the elapsed time of its last checkpoint (their sum is the entry's date, its
// end as far as known), into the month in which it began; one that names the entry it
// became is logged as that entry. "Daten.kwd" is saved ('speichern') and then the
// journal removed. When the record holds the entry already (a run or a start before
// died between the two), only the journal goes: a connection is logged exactly once.
// A damaged or foreign one, one that begins in the future or too long ago for its
// month to be kept, is set aside as "Verbindung.kwj.defekt", an unreadable one left
// as it is.
TWiederherstellung StelleVerbindungWiederHer(
    const QString& pfad, const std::function<TSpeicherErgebnis()>& speichern = SpeichereDaten);

QString WiederhergestelltText(TDateTime beginn, TDateTime dauer, double kosten);
