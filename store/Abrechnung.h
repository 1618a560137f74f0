// Pricing and logging of one dial-up connection, and the month amount the main window
// shows. Plain arithmetic on the shared record; the main window's handlers call it.
#pragma once

#include "runtime/Datum.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QString>
#include <cstdint>

// The name an entry gets when no tariff priced it: an empty name would mark the entry
// as free, and the next connection would overwrite it while the sums kept its values.
inline const QString KeinTarifName = QStringLiteral("(kein Tarif)");

// Every whole minute of the elapsed time (whole days included), plus one for a started
// minute; milliseconds alone do not start a minute. A negative span (the clock was set
// back) bills nothing.
int64_t AbrechenbareMinuten(TDateTime dauer);

// The price of the billable minutes in whole Pfennig (ties to even).
int32_t PreisInPfennig(int64_t minuten, const TTarif& tarif);

// The cost in DM of a connection that has lasted 'dauer': the rounded minute price plus
// the dial-in charge, both in Pfennig.
double Verbindungspreis(TDateTime dauer, const TTarif& tarif);

// The cost of a connection by its elapsed milliseconds alone, the same for a tick, a
// held connection and a recovered one. The time counts in whole seconds, rounded to the
// nearest, so a tick that the timer brings a little early prices the same as one on the
// dot; before its first second a connection costs nothing, dial-in charge included.
double PreisNachLaufzeit(int64_t dauerMs, const TTarif& tarif);
// The elapsed milliseconds rounded to whole seconds, as days: what PreisNachLaufzeit
// prices and the time label shows.
TDateTime GanzeSekunden(int64_t dauerMs);

enum class [[nodiscard]] TProtokollErgebnis {
    Eingetragen,
    MonatVoll, // all entries of the month in use: nothing written
    KeinBenutzer, // no valid current user: nothing written
};

// Writes a finished connection into the first free entry of the month slot that user
// 'benutzer' currently logs into, and adds it to the slot's sums. The entry's tariff
// name is the tariff's name, or KeinTarifName for an empty one.
TProtokollErgebnis ProtokolliereVerbindung(
    int benutzer, const TTarif& tarif, TDateTime datum, TDateTime dauer, double kosten);

// Writes a finished connection of user 'benutzer' into the month in which it began,
// by its wall-clock start 'beginn'; the entry's Datum is 'datum', the moment it is
// logged, as for every entry:
// - the user's current slot when it is that month;
// - when it is 'laufenderMonat' (1..12, the month the program lives in) and the user
//   has not yet rolled over into it, the user rolls over first as start-up would do
//   (slot emptied, MonatNr set); a user created this run (MonatNr 0) likewise;
// - any other, earlier month: its slot as it stands, MonatNr unchanged, so nothing
//   logged since is ever emptied because a connection is logged late.
TProtokollErgebnis ProtokolliereVerbindungImBeginnmonat(int benutzer, const TTarif& tarif, TDateTime beginn,
    TDateTime dauer, double kosten, int laufenderMonat, TDateTime datum);

// The amount of user u's current month in DM: the logged costs plus AktTarif's base
// fee, rounded to whole Pfennig.
double MonatsSumme(int u);

// "Diesen Monat: 11,91 DM" (or €, as the currency in force)
QString MonatsText(double summe);
// "11,91 DM" or "11,91 €"
QString BetragText(double betrag);
// "0,00 DM" or "0,00 €": the cost box before a connection.
QString NullBetragText();
// The tray hint before the first tick: "Kostenwolf - 0,00DM", as it always read, or
// "Kostenwolf - 0,00 €".
QString StartHinweis();
