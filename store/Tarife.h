// The tariff table "Tarife.kwt": 99 slots, the file image byte for byte, and
// AktTarif, the copy of the current user's tariff that pricing reads.
#pragma once

#include "runtime/ShortString.h"
#include "store/Dateien.h"

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)

struct TTarif {
    TShortString<50> Name; // empty = free slot
    uint8_t Fuellbyte1;
    double Preis; // Pfennig (Cent once moved to Euro) per minute
    double Grundpreis; // DM (Euro) per month
    double Einwahl; // Pfennig (Cent) per dial-in
};

constexpr int MaxTarife = 99;

// Slots are numbered 1..99; the number is a tariff's identity.
struct TTarifTabelle {
    TTarif Slot[MaxTarife];
    TTarif& operator[](int k) { return Slot[k - 1]; }
    const TTarif& operator[](int k) const { return Slot[k - 1]; }
};

#pragma pack(pop)

static_assert(sizeof(TTarif) == 76);
static_assert(offsetof(TTarif, Name) == 0);
static_assert(offsetof(TTarif, Fuellbyte1) == 51);
static_assert(offsetof(TTarif, Preis) == 52);
static_assert(offsetof(TTarif, Grundpreis) == 60);
static_assert(offsetof(TTarif, Einwahl) == 68);
static_assert(sizeof(TTarifTabelle) == 7'524);

extern TTarifTabelle Tarife;
extern TTarif AktTarif;

QString TarifePfad();

TLadeErgebnis LadeTarife();
TSpeicherErgebnis SpeichereTarife();

// The copy rule: AktTarif from slot n (1..99), an empty tariff for 0 or any other
// number. The name is cut to 50 characters; a value that is not a finite number
// prices as 0.
void SetzeAktTarif(int n);

// Frees a slot: name length and the three values 0, the name bytes stay.
void LeereTarif(TTarif& tarif);
