// The start-up sequence that the program and "kostenwolf --bericht" share: the files
// are read, a first start gets its user, the user logs in, every month rolls over to
// the current one and, where the files may be written, a connection a crash cut short
// is logged. The program then hands the meter its events (core/Zaehler.h).
#pragma once

#include "runtime/Datum.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct TAnlaufWunsch {
    // The wall clock, read once the user has logged in: the month to roll over to.
    std::function<TDateTime()> Uhr = Now;
    // The files are only read, nothing is written nor cleaned up, no connection is
    // recovered; a file that cannot be read ends the sequence (the command line).
    bool NurLesen = false;
    // The user to log in, by name; none: the start user.
    std::optional<QString> Benutzer;
    // Asks for user u's password; none: the user gave up.
    std::function<std::optional<QString>(int u)> Kennwort;
    // A wrong password is asked for again (the window) rather than ending the sequence.
    bool KennwortWiederholen = false;
    // Tells the user at once, in this order: 'text' for the user, 'protokoll' (when not
    // empty) also for stderr.
    std::function<void(const QString& text, const QString& protokoll)> Melde;
    // The currency is known, before anything is told: the window's icon follows it.
    std::function<void()> WaehrungGeladen;
};

struct TAnlauf {
    enum Art {
        Angemeldet,
        Abgebrochen, // no password given
        DatenUnlesbar, // Pfad could not be read (Grund); only when only reading
        BenutzerFehlt, // no user of the name asked for
        KennwortFalsch,
    } art
        = Angemeldet;
    int Benutzer = 0; // the user logged in, also AktBenutzer
    QString Pfad;
    QString Grund;
    // What the log and the recovery have to tell, to be shown once the login is done.
    QStringList Meldungen;
    // The journal stays on disk for a later start: this run must not write over it.
    bool JournalBleibt = false;
};

TAnlauf Anlaufen(const TAnlaufWunsch& wunsch);

// A new month for users' budgets: their levels warn again. Users whose month is
// 'ausser' already keep theirs; none: every user.
void NeuerBudgetMonat(std::optional<int> ausser);
