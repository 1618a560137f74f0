// The parts of start-up that work on the account record alone: the first-run user,
// whom to log in, the password check and the month roll-over.
#pragma once

#include <QString>

inline const QString StandardbenutzerName = QStringLiteral("Standardbenutzer");

// A fresh record (no users) gets one user, "Standardbenutzer", who is also the start
// user. Nothing else of the record is touched.
void RichteErstenStartEin();

// The user to log in: the stored start user, or user 1 when the start user no longer
// exists (it was removed), so that connections never go to a user no list shows.
int AnzumeldenderBenutzer();

bool HatKennwort(int u);
// Exact comparison: same length, same characters, case counts.
bool KennwortPasst(int u, const QString& eingabe);

// Every user whose month number differs from 'monat' (1..12) gets that month's slot
// emptied and logs into it from now on. The year is not stored, so a slot from the
// same month of an earlier year is kept and continued.
void WechsleMonat(int monat);
