// Where the current month will end if it goes on as it went so far.
#pragma once

#include "runtime/Datum.h"
#include "store/Daten.h"

#include <QString>
#include <optional>

// The days of the month 'datum' lies in: 28..31.
int TageImMonat(TDateTime datum);

// The forecast for the month of 'heute' from a month slot: the costs of the
// connections logged in that calendar month so far, divided by the days gone by
// (today counted in full, so day 1 does not blow up a minute's cost into a fortune)
// times the month's days, plus the base fee once; rounded to whole Pfennig. Entries
// from another year or month that the slot still holds do not count. Nothing when no
// connection was logged this month.
std::optional<double> Hochrechnung(const TMonat& monat, double grundpreis, TDateTime heute);

// "Hochrechnung bis Monatsende: 62,40 DM" (or €)
QString HochrechnungsText(double betrag);
