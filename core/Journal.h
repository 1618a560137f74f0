// The journal of the running connection, "Verbindung.kwj" beside "Daten.kwd" (its bytes:
// store/Journaldatei.h). A connection is logged only when it ends; the journal lets the
// next start log what a crash or a power cut would otherwise lose.
#pragma once

#include "core/Messung.h"
#include "platform/posix/Dateien.h"
#include "store/Journaldatei.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Reads a journal's bytes; besides the layout's checks (store/Journaldatei.h) any rules
// it carries must be readable.
std::optional<TJournal> DekodiereJournal(const QByteArray& bytes);

TJournal AlsJournal(const TLaufendeVerbindung& laufend);

struct TJournalFund {
    enum Art {
        Keins,
        Gueltig,
        Defekt, // damaged, truncated or not ours
        Unlesbar, // there, but cannot be read: left alone
    } art
        = Keins;
    TJournal Journal;
    QString Grund; // why it could not be read
};
TJournalFund LeseJournal(const QString& pfad);

// Writes the journal while a connection is metered: at connect, and then once a
// checkpoint is due, and removes it once the connection is logged and saved.
class TVerbindungsjournal {
public:
    // Ticks come once a second, so a checkpoint written after 3 s keeps the gap between
    // two of them near 4 s: a crash costs only those seconds, and 104 bytes are cheap.
    static constexpr int64_t SicherungsabstandMs = 3000;

    explicit TVerbindungsjournal(QString journalPfad);

    // A journal that was left on disk for a later start (unreadable, or not yet logged)
    // must not be written over: this run then keeps no journal.
    void Sperre() { gesperrt = true; }
    bool Gesperrt() const { return gesperrt; }
    bool Aktiv() const { return aktiv; }

    // Follows one metering result: a connection that begins is written at once, one
    // that runs at its checkpoints, and one logged and saved takes its journal along.
    // Returns a message for the user, if any (see Beginne).
    QString Verfolge(const TMessErgebnis& ergebnis);

    // The connection comes up: written at once, the name made durable. The result is a
    // message for the user, given only for the first failed write of a connection.
    QString Beginne(const TJournal& stand);
    // Every tick of the running connection: written when the last checkpoint lies
    // SicherungsabstandMs back, or when user or tariff changed since.
    QString Takt(const TJournal& stand);
    // Writes the state now.
    TSpeicherErgebnis Sichere(const TJournal& stand);
    // The connection has just been written into the record, not yet saved: the journal
    // takes the entry's values, so that it is logged exactly once whenever the program
    // dies from here on.
    void Protokolliert(const TBeendeteVerbindung& verbindung);
    // The connection has been logged. Saved: the journal goes. Not saved: it stays for
    // the next start, which logs the connection from it, unless a later save of this run
    // (Gespeichert) brings the logged connection to disk first; until then this run
    // writes no other journal over it.
    void Beende(bool gespeichert);
    // "Daten.kwd" has been saved.
    void Gespeichert();
    bool Wartet() const { return wartet; }

private:
    QString Meldung(const TSpeicherErgebnis& ergebnis);

    QString pfad;
    bool gesperrt = false;
    bool aktiv = false;
    bool wartet = false;
    bool fehlerGemeldet = false;
    bool verzeichnisGesichert = false;
    QByteArray letzter; // the last record written, its elapsed time zeroed
    int64_t letzteMs = 0;
    TJournal gesichert; // the last record written
};
