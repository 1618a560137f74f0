// The user accounts: adding with the password check, removing and switching. Plain
// work on Daten and AktBenutzer; the settings window asks, shows and refreshes.
#pragma once

#include <QString>
#include <QStringList>

constexpr int MaxKennwortLaenge = 25;

// The first user 1..BenutzerAnzahl bearing the name exactly, 0 when none does. This is
// how a line of the user list finds its user.
int BenutzerNachName(const QString& name);

// The names of users 1..BenutzerAnzahl: the lines of the user list.
QStringList BenutzerNamen();

// The name of the current user, empty without one.
QString AktBenutzerName();

// A name as the record will hold it: cut to 50 characters, in the file's code page.
QString GespeicherterBenutzerName(const QString& name);

enum class [[nodiscard]] TNeuerBenutzerErgebnis {
    Angelegt,
    Voll, // four users already
    NameLeer,
    NameVergeben,
    KennwortZuLang, // the first entry is longer than 25 characters
    KennwoerterVerschieden,
};

// Checks the name before the passwords are asked for.
TNeuerBenutzerErgebnis PruefeBenutzerName(const QString& name);

// Appends user BenutzerAnzahl + 1 with the name and the password when the name passes
// and the first password entry equals the second one as stored (its first 25
// characters). The new position starts wholly empty, logging into the month of
// 'heute'. A refused user leaves the record as it was.
TNeuerBenutzerErgebnis FuegeBenutzerHinzu(
    const QString& name, const QString& kennwort1, const QString& kennwort2, double heute);

// The message for a refused user, empty for Angelegt and Voll (a fifth user is
// simply not added).
QString NeuerBenutzerMeldung(TNeuerBenutzerErgebnis ergebnis);

enum class [[nodiscard]] TEntfernenErgebnis {
    Entfernt,
    LetzterBenutzer, // there must always be one
    Angemeldet, // the current user can't be removed
    Ungueltig, // no user of that number
};

// Removes user u: the users above move down one position each with all their data,
// the freed position is emptied wholly, and AktBenutzer and StartBenutzer go on naming
// the same people (a removed start user gives way to user 1).
TEntfernenErgebnis EntferneBenutzer(int u);

QString EntfernenMeldung(TEntfernenErgebnis ergebnis);

enum class [[nodiscard]] TWechselErgebnis {
    Gewechselt, // AktBenutzer is now the user (it may have been already)
    FalschesKennwort,
    Ungueltig,
};

// Logs user k in if the password is the stored one exactly or the user has none. A
// change of user copies the new user's tariff into AktTarif.
TWechselErgebnis WechsleBenutzer(int k, const QString& kennwort);
