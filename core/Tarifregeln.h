// A tariff's rules: prices by time of day, weekday, date and holiday, units of any
// length, a charge per connection, a first block and a minimum. They are kept as text
// in the ruleset format of Linux dial-up accounting, one statement a line:
//
//   name=Abend und Wochenende
//   per_connection=0.06
//   default=(0.12,90)
//   on (monday..friday) between (21:00..07:59) use (0.03,60)
//   on (saturday,sunday,holiday) between () use (0.03,120)
//   per_volume=(0.49,1000000)
//   included_volume=500000000
//
// per_volume charges its price for every started block of that many bytes (received
// plus sent) on top of the time; included_volume is free each month before it applies.
//
// Prices are in the program's currency (DM or Euro), held here in its hundredth
// (Pfennig or Cent) exactly as the text
// gives them, so that writing and reading again gives the same numbers.
#pragma once

#include "core/Datenvolumen.h"
#include "runtime/Datum.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// One item of a day list.
struct TTagAngabe {
    enum Art {
        Wochentage, // Von..Bis 1 (Monday) ..7 (Sunday), may wrap: friday..monday
        Daten, // month*100+day Von..Bis, may wrap over New Year
        Ostern, // Easter Sunday + Von days
        Feiertag, // the German nationwide public holidays
    } art
        = Wochentage;
    int Von = 0;
    int Bis = 0;

    bool operator==(const TTagAngabe&) const = default;
};

struct TZeitregel {
    std::vector<TTagAngabe> Tage; // empty: every day
    // Milliseconds of the day: from Von up to before BisEnde; with BisEnde <= Von the
    // window runs over midnight (the evening and the morning of each day listed).
    // 0..86,400,000 is the whole day.
    int32_t Von = 0;
    int32_t BisEnde = MSecsPerDay;
    double PreisPf = 0; // per started unit
    int64_t EinheitMs = 60'000;
    int64_t AbMs = 0; // applies only once the connection has lasted this long

    bool operator==(const TZeitregel&) const = default;
};

struct TTarifregeln {
    QString Name;
    double ProVerbindungPf = 0;
    double MindestPf = 0;
    double ErsterBlockPf = 0;
    int64_t ErsterBlockMs = 0; // 0: no first block
    double StandardPf = 0;
    int64_t StandardEinheitMs = 60'000;
    std::vector<TZeitregel> Regeln; // the last that matches wins
    TVolumenpreis Volumen; // Block 0: no price by volume

    bool operator==(const TTarifregeln&) const = default;
};

// The rules that price exactly as the per-minute rule of "Tarife.kwt": Preis Pfennig
// per started minute, Einwahl Pfennig per connection.
TTarifregeln MinutenRegeln(double preisPf, double einwahlPf);

// ---- Text form ----

struct TRegelnGelesen {
    std::optional<TTarifregeln> Regeln; // none when a line could not be read
    QString Fehler; // "Zeile 7: unbekannter Tag 'mondag'"
    QStringList Warnungen; // read all the same, for the user to know
};

// Reads the bytes of a rules file: UTF-8, or Latin-1 when they are no valid UTF-8;
// LF, CRLF or CR line ends; '#' starts a comment.
TRegelnGelesen LiesTarifregeln(const QByteArray& bytes);
TRegelnGelesen LiesTarifregeln(const QString& text);

// The file text (UTF-8, LF), readable again by LiesTarifregeln to the same rules.
QByteArray SchreibeTarifregeln(const TTarifregeln& regeln);

// The parts of one rule as the editor's table holds them; each part reads or gives the
// reason it cannot be read ("unbekannter Tag 'mondag'").
std::optional<QString> LiesTage(const QString& text, std::vector<TTagAngabe>& tage);
std::optional<QString> LiesUhrzeit(const QString& text, bool ende, int32_t& ms);
// A price in DM or Euro ("0.03", "0,03") into Pfennig or Cent.
std::optional<QString> LiesPreis(const QString& text, double& pfennig);
// Seconds, fractions allowed, to whole milliseconds; 'positiv' refuses 0.
std::optional<QString> LiesSekunden(const QString& text, bool positiv, int64_t& ms);

QString TageText(const std::vector<TTagAngabe>& tage);
QString UhrzeitText(int32_t ms, bool ende); // "21:00"; an end is its last minute
QString RegelPreisText(double pfennig); // in DM (Euro) with a point: "0.03"
QString SekundenText(int64_t ms); // "60", "7.5"

// ---- Calendar ----

// Day number (whole days of TDateTime) of Easter Sunday of the year.
int64_t OsterTag(int jahr);
bool IstFeiertag(int jahr, int monat, int tag);

// ---- Pricing ----

// The price that begins at a moment of a connection.
struct TPreisWechsel {
    int64_t AbMs = 0; // elapsed time at which it begins
    double PreisPf = 0;
    int64_t EinheitMs = 0;
};

struct TTarifStand {
    double Kosten = 0; // DM, rounded as the per-minute rule rounds
    int64_t BezahltBisMs = 0; // elapsed time up to which the charged units run
};

// Prices one connection as it goes on: each call moves forward from where the last
// left off, so a tick costs only the units begun since (and a look at the calendar
// where the price may change), not a walk over the whole connection.
class TTarifLauf {
public:
    // 'beginn' is the local wall-clock start; the moments of the connection are that
    // start plus the elapsed real time, read as local time, so a change to or from
    // summer time moves the zones and not the length.
    TTarifLauf(const TTarifregeln& regeln, TDateTime beginn);

    // The cost after 'dauerMs' of connection. A started second counts only once it is
    // whole, as in the per-minute rule. An earlier time than the last starts afresh.
    TTarifStand Stand(int64_t dauerMs);

    // The next price, other than the one in force at 'dauerMs', that begins within
    // 'horizontMs' after it.
    std::optional<TPreisWechsel> NaechsterWechsel(int64_t dauerMs, int64_t horizontMs = 3'600'000);

    // The local wall-clock time of a moment of the connection.
    TDateTime Ortszeit(int64_t dauerMs) const;

    const TTarifregeln& Regeln() const { return regeln; }

private:
    struct TAbschnitt {
        int Regel = -1; // index into Regeln, -1 the default
        int64_t BisMs = 0; // the rule found holds up to before this moment
    };
    TAbschnitt AbschnittBei(int64_t ms) const;
    void Zuruecksetzen();

    TTarifregeln regeln;
    int64_t beginnUtcMs = 0;
    std::vector<int32_t> kanten; // the times of day where some rule begins or ends

    // The running state: units begun up to 'naechsteEinheit', their prices summed by
    // runs of one price so that equal units are multiplied, not added one by one.
    int64_t naechsteEinheit = 0;
    TAbschnitt abschnitt;
    long double summeFrueher = 0;
    double laufPreis = 0;
    int64_t laufAnzahl = 0;
    int64_t letzteGanz = 0;

    struct TWechselCache {
        int64_t AbMs = -1, GueltigBis = -1, Bis = -1;
        std::optional<TPreisWechsel> Wechsel;
    } wechselCache;
};

// The cost of a whole connection in DM: 'beginn' local wall clock, 'dauerMs' long.
double Regelpreis(const TTarifregeln& regeln, TDateTime beginn, int64_t dauerMs);
// The same with its volume: 'bytes' of the connection (none = unknown, priced as 0),
// 'monatVorher' bytes the user's month held before it.
double Regelpreis(const TTarifregeln& regeln, TDateTime beginn, int64_t dauerMs,
    const std::optional<TBytestand>& bytes, std::uint64_t monatVorher);

// "0,03 DM je 60 s" ("0,03 € je 60 s")
QString PreisJeEinheitText(double preisPf, int64_t einheitMs);
