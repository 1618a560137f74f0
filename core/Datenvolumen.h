// The data volume of a connection and what it costs where a tariff charges by volume.
//
// A link's counters are read once a tick. What they grow by while the connection is
// metered is its volume: counted from the first reading on, as its time is counted from
// the first poll. A counter that goes down belongs to a link created anew, so its new
// value counts from zero; a wrap of a 32- or 64-bit counter looks the same and is
// treated the same, so the sum never jumps by 2^32 or 2^64 and never shrinks.
#pragma once

#include "runtime/Bytestand.h"
#include "runtime/Datum.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

class TBytezaehler {
public:
    // One reading; none when the source could not tell this time. A connection whose
    // source never tells keeps an unknown volume.
    void Lies(const std::optional<TBytestand>& stand);
    // The connection's bytes so far; none while no reading has come.
    std::optional<TBytestand> Summe() const;

private:
    std::optional<TBytestand> FLetzter;
    TBytestand FSumme;
};

// Received plus sent, saturating.
std::uint64_t Gesamt(const TBytestand& stand);

// Carriers bill in powers of ten: 1 kB = 1,000 bytes, 1 MB = 1,000,000 bytes.
constexpr std::uint64_t KB = 1'000;
constexpr std::uint64_t MB = 1'000'000;
constexpr std::uint64_t GB = 1'000'000'000;

// "12,3 MB", "850,0 kB", "1,23 GB" (with stellen = 2): the largest unit the amount
// reaches, kB at least, the decimal separator of FormatSettings.
QString VolumenText(std::uint64_t bytes, int stellen = 1);
// The volume of a connection as the main window shows it; "–" when unknown.
QString VolumenText(const std::optional<TBytestand>& stand);
// "Inklusivvolumen: 1,2 von 5,0 GB", both in the unit of the included volume.
QString InklusivText(std::uint64_t verbraucht, std::uint64_t inklusiv);
// "Datenvolumen im Monat: 1,23 GB".
QString MonatsvolumenText(std::uint64_t bytes);

// A volume as typed: bytes ("1500000"), or kB, MB or GB with a decimal comma or point
// ("1,5 MB", "500 kB"). The reason when it cannot be read ("ungültiges Volumen 'x'");
// 'positiv' refuses 0.
std::optional<QString> LiesVolumen(const QString& text, bool positiv, std::uint64_t& bytes);
// The same exactly, in MB from 1 MB on, in kB below: "1,5 MB", "500 kB", "0,001 kB".
QString VolumenEingabeText(std::uint64_t bytes);

// The volume part of a tariff: PreisPf for every started Block bytes beyond the month's
// included volume. Block 0 = the tariff has no volume price.
struct TVolumenpreis {
    double PreisPf = 0; // Pfennig
    std::uint64_t Block = 0;
    std::uint64_t Inklusiv = 0; // bytes a month before Preis applies

    bool Gesetzt() const { return Block > 0; }
    friend bool operator==(const TVolumenpreis&, const TVolumenpreis&) = default;
};

// The blocks a connection of 'volumen' bytes is charged for when the user's month held
// 'vorher' bytes before it. A block is charged as soon as its first byte is used, and
// the blocks are counted from where the included volume runs out.
std::uint64_t VolumenBloecke(const TVolumenpreis& tarif, std::uint64_t vorher, std::uint64_t volumen);
// Their price in Pfennig, unrounded.
double VolumenKosten(const TVolumenpreis& tarif, std::uint64_t vorher, std::uint64_t volumen);
// The volume's share of a connection's cost in DM (Euro), to the Pfennig; unknown bytes
// are priced as none.
double VolumenAnteil(
    const TVolumenpreis& tarif, std::uint64_t vorher, const std::optional<TBytestand>& bytes);

// The bytes of this run's logged connections: the month's volume so far (the volume a
// month includes is counted over all of the user's connections in it) and the bytes
// of a log entry, which "Daten.kwd" has no room for.
class TVolumenbuch {
public:
    struct TEintrag {
        int Benutzer = 0;
        int MonatsIndex = 0; // year * 12 + month - 1 of the month it was logged into
        TDateTime Datum = 0; // the log entry's
        TDateTime Dauer = 0;
        double Kosten = 0;
        std::optional<TBytestand> Bytes;
    };

    void Trage(const TEintrag& eintrag);
    size_t Anzahl() const { return FEintraege.size(); }
    // The user's known bytes of that month; none when no connection of it had any.
    std::optional<std::uint64_t> Monatsvolumen(int benutzer, int monatsIndex) const;
    // The bytes of the entry logged with this date, length and cost, if any are known.
    std::optional<TBytestand> Bytes(int benutzer, TDateTime datum, TDateTime dauer, double kosten) const;
    void Leere()
    {
        FEintraege.clear();
        FMeldetBytes.reset();
    }

    // Whether the source of the connection metered last told its bytes; none before
    // the first. The tariff editor says so where volume prices would count nothing.
    void SetzeMeldetBytes(bool ja) { FMeldetBytes = ja; }
    std::optional<bool> MeldetBytes() const { return FMeldetBytes; }

private:
    std::vector<TEintrag> FEintraege;
    std::optional<bool> FMeldetBytes;
};

// The program's one book.
TVolumenbuch& Volumenbuch();

// The bytes of user 'benutzer''s month (year * 12 + month - 1, by the connections'
// start) logged so far: the history log holds every run's, the book this run's and the
// journal's. Each can miss some (a failed write to the log, the earlier runs), so the
// larger counts. Asked every tick, it reads the log again only after a connection was
// logged.
std::uint64_t MonatsvolumenBisher(int benutzer, int monatsIndex);
