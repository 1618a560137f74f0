// The account record "Daten.kwd": users, their monthly logs and two window options.
// The structs are the file image byte for byte.
#pragma once

#include "platform/posix/Dateien.h"
#include "runtime/Datum.h"
#include "runtime/ShortString.h"

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)

struct TVerbindung {
    TShortString<50> Tarif; // empty = free entry
    uint8_t Fuellbyte1;
    double Datum; // end of the connection
    double Dauer; // days
    double Kosten; // DM, or Euro once the account was moved
};

constexpr int MaxVerbindungen = 600;

struct TMonat {
    TVerbindung Verbindungen[MaxVerbindungen];
    double SummeDauer;
    double SummeKosten;
};

struct TBenutzer {
    TShortString<50> Name;
    TShortString<25> Kennwort;
    uint8_t TarifNr; // 0 = none, else slot 1..99
    uint8_t MonatNr; // 0 = not yet set, else 1..12
    uint8_t Fuellbyte1;
    TMonat Monate[13]; // indexed by calendar month; slot 0 only while MonatNr is 0
};

constexpr int MaxBenutzer = 4;

// A number that can index Daten.Benutzer; whether that user exists is
// VorhandenerBenutzer's question.
constexpr bool GueltigerBenutzer(int u)
{
    return u >= 1 && u <= MaxBenutzer;
}

// Users are numbered 1..4 as everywhere in the program.
struct TBenutzerFeld {
    TBenutzer Eintrag[MaxBenutzer];
    TBenutzer& operator[](int u) { return Eintrag[u - 1]; }
    const TBenutzer& operator[](int u) const { return Eintrag[u - 1]; }
};

// The values the record stores for the program options.
constexpr uint8_t FensterStilNormal = 0;
constexpr uint8_t FensterStilImVordergrund = 3;
constexpr uint8_t MinimiertStartenAus = 0;
constexpr uint8_t MinimiertStartenAn = 1;

struct TDaten {
    uint8_t BenutzerAnzahl;
    uint8_t StartBenutzer;
    uint8_t Fuellbytes1[2];
    TBenutzerFeld Benutzer;
    uint8_t FensterStil; // FensterStilNormal or FensterStilImVordergrund
    uint8_t MinimiertStarten; // MinimiertStartenAus or MinimiertStartenAn
    uint8_t Fuellbytes2[2];
};

#pragma pack(pop)

static_assert(sizeof(TVerbindung) == 76);
static_assert(offsetof(TVerbindung, Tarif) == 0);
static_assert(offsetof(TVerbindung, Datum) == 52);
static_assert(offsetof(TVerbindung, Dauer) == 60);
static_assert(offsetof(TVerbindung, Kosten) == 68);
static_assert(sizeof(TMonat) == 45'616);
static_assert(offsetof(TMonat, SummeDauer) == 45'600);
static_assert(offsetof(TMonat, SummeKosten) == 45'608);
static_assert(sizeof(TBenutzer) == 593'088);
static_assert(offsetof(TBenutzer, Name) == 0);
static_assert(offsetof(TBenutzer, Kennwort) == 51);
static_assert(offsetof(TBenutzer, TarifNr) == 77);
static_assert(offsetof(TBenutzer, MonatNr) == 78);
static_assert(offsetof(TBenutzer, Monate) == 80);
static_assert(sizeof(TDaten) == 2'372'360);
static_assert(offsetof(TDaten, BenutzerAnzahl) == 0);
static_assert(offsetof(TDaten, StartBenutzer) == 1);
static_assert(offsetof(TDaten, Benutzer) == 4);
static_assert(offsetof(TDaten, FensterStil) == 2'372'356);
static_assert(offsetof(TDaten, MinimiertStarten) == 2'372'357);

// The record in memory, zero at program start.
extern TDaten Daten;
// The current user 1..4; 0 until start-up has logged somebody in.
extern uint8_t AktBenutzer;

// One of the users the record holds (1..BenutzerAnzahl).
inline bool VorhandenerBenutzer(int u)
{
    return GueltigerBenutzer(u) && u <= Daten.BenutzerAnzahl;
}

QString DatenPfad();

// The folders this run's data live in: the data directory and, where "Daten.kwd" or
// "Tarife.kwt" is a symbolic link, the folder of the file it ends at; each once, in a
// fixed order.
QStringList DatenOrdner();

// Reads "Daten.kwd" into Daten. A missing file is created empty (0600) and leaves the
// record as it was; a short file fills the record from its start. A file that exists
// but cannot be read is left alone and blocks every later save of this run.
TLadeErgebnis LadeDaten();
// Writes Daten crash-safe; a longer file keeps its tail, an existing file its mode.
TSpeicherErgebnis SpeichereDaten();

// Keeps every number that indexes the record or the tariff table within bounds, so
// that a damaged file can never lead outside them.
void BegrenzeDaten(TDaten& daten);

// Empties a month slot: every entry free and zero, both sums zero.
void LeereMonat(TMonat& monat);

// Number of used entries: the prefix before the first empty Tarif.
int AnzahlVerbindungen(const TMonat& monat);
