// The journal of the running connection, "Verbindung.kwj" beside "Daten.kwd": who is
// metered, by which tariff, since when and for how long up to the last checkpoint. A
// connection is logged only when it ends; the journal lets the next start log what a
// crash or a power cut would otherwise lose.
#pragma once

#include "core/Messung.h"
#include "platform/posix/Dateien.h"
#include "runtime/Datum.h"
#include "store/Tarife.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

inline const QString JournalName = QStringLiteral("Verbindung.kwj");
inline const QString JournalBeiseiteName = QStringLiteral("Verbindung.kwj.defekt");

QString JournalPfad();

struct TJournal {
    int Benutzer = 0; // 1..4
    int TarifNr = 0; // 0..99, 0 = none selected
    TTarif Tarif {}; // name and prices as they priced the connection
    TDateTime Beginn = 0; // wall clock
    int64_t DauerMs = 0; // elapsed (monotonic) at the checkpoint
    std::optional<TBytestand> Bytes; // received and sent up to the checkpoint
    QByteArray Regeln; // the rules file that prices it; empty: per minute by Tarif
    // Set once the connection has been written into the record, before that is saved:
    // the entry's Datum and Kosten. With DauerMs they name the entry, so a start after
    // a crash can tell whether "Daten.kwd" holds it already.
    TDateTime Datum = 0;
    double Kosten = 0;

    bool Protokolliert() const { return Datum != 0; }
};

// The file image: an identifier and version, so a foreign file is told apart, and a
// CRC-32 of everything before it, so a torn or damaged one is too.
//   0  4  "KWJ" 0x1A
//   4  2  version (1)
//   6  1  user
//   7  1  tariff slot
//   8 76  tariff, as in "Tarife.kwt"
//  84  8  start (date-time double)
//  92  8  elapsed milliseconds (int64)
// 100  8  bytes received (uint64), all ones when unknown
// 108  8  bytes sent (uint64), all ones when unknown
// 116  8  the entry's date once logged, else 0 (date-time double)
// 124  8  the entry's cost once logged (double)
// 132  4  CRC-32 of bytes 0..131
// All numbers little-endian. Version 1 ended with its CRC-32 at 100 (104 bytes),
// version 2 at 116 (120 bytes, without the logged entry); journals left by them are
// still read.
// A connection priced by a tariff's rules carries them along, so that recovery prices
// it as the meter did (version 4):
// 132  4  length N of the rules text
// 136  N  the rules file text
// 136+N 4 CRC-32 of bytes 0..135+N
constexpr size_t JournalGroesse = 136;
constexpr uint16_t JournalVersion = 3;
constexpr uint16_t JournalVersionMitRegeln = 4;
// The longest journal with rules: for reading it whole.
size_t JournalHoechstGroesse();

// Encodes without checking, so tests can build every kind of bad record.
QByteArray KodiereJournal(const TJournal& journal);
// Nothing unless the bytes are exactly one record of this version with a matching
// checksum and values that can be logged: a user 1..4, a tariff slot up to 99, a name
// within its capacity, finite prices of sane size, a start between 1900 and 9999, an
// elapsed time of 0 to 366 days, an entry date of 0 or one in that range too, and
// rules, if any, that can be read.
std::optional<TJournal> DekodiereJournal(const QByteArray& bytes);

TJournal AlsJournal(const TLaufendeVerbindung& laufend);

uint32_t Crc32(const char* daten, size_t anzahl);

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
// Once its connection is logged and saved.
void EntferneJournal(const QString& pfad);

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
