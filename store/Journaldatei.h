// The byte layout of "Verbindung.kwj", the journal of the running connection beside
// "Daten.kwd": who is metered, by which tariff, since when and for how long up to the
// last checkpoint. What the journal is for and when it is written is core/Journal's.
#pragma once

#include "runtime/Bytestand.h"
#include "runtime/Datum.h"
#include "store/Tarife.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
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
// rules, if any, that 'regelnLesbar' accepts.
std::optional<TJournal> DekodiereJournalbytes(
    const QByteArray& bytes, const std::function<bool(const QByteArray&)>& regelnLesbar);

uint32_t Crc32(const char* daten, size_t anzahl);

// Once its connection is logged and saved.
void EntferneJournal(const QString& pfad);
