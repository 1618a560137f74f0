#include "settings/BenutzerVerwaltung.h"

#include "core/Budget.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <cstring>

namespace {

bool GueltigerBenutzer(int u)
{
    return u >= 1 && u <= Daten.BenutzerAnzahl && u <= MaxBenutzer;
}

int Anzahl()
{
    return Daten.BenutzerAnzahl > MaxBenutzer ? MaxBenutzer : Daten.BenutzerAnzahl;
}

} // namespace

int BenutzerNachName(const QString& name)
{
    for (int u = 1; u <= Anzahl(); ++u)
        if (Daten.Benutzer[u].Name.Text() == name)
            return u;
    return 0;
}

QStringList BenutzerNamen()
{
    QStringList namen;
    for (int u = 1; u <= Anzahl(); ++u)
        namen << Daten.Benutzer[u].Name.Text();
    return namen;
}

QString AktBenutzerName()
{
    if (AktBenutzer < 1 || AktBenutzer > MaxBenutzer)
        return {};
    return Daten.Benutzer[AktBenutzer].Name.Text();
}

QString GespeicherterBenutzerName(const QString& name)
{
    TShortString<50> s {};
    s.Setze(name);
    return s.Text();
}

TNeuerBenutzerErgebnis PruefeBenutzerName(const QString& name)
{
    if (Anzahl() >= MaxBenutzer)
        return TNeuerBenutzerErgebnis::Voll;
    const QString gespeichert = GespeicherterBenutzerName(name);
    if (gespeichert.trimmed().isEmpty())
        return TNeuerBenutzerErgebnis::NameLeer;
    if (BenutzerNachName(gespeichert) != 0)
        return TNeuerBenutzerErgebnis::NameVergeben;
    return TNeuerBenutzerErgebnis::Angelegt;
}

TNeuerBenutzerErgebnis FuegeBenutzerHinzu(
    const QString& name, const QString& kennwort1, const QString& kennwort2, double heute)
{
    const TNeuerBenutzerErgebnis namePruefung = PruefeBenutzerName(name);
    if (namePruefung != TNeuerBenutzerErgebnis::Angelegt)
        return namePruefung;
    if (kennwort1.size() > MaxKennwortLaenge)
        return TNeuerBenutzerErgebnis::KennwortZuLang;
    // Compared with the password as it will be stored, so that nobody is given a
    // password that the code page has changed and that could never be typed again.
    TShortString<25> kennwort {};
    kennwort.Setze(kennwort2);
    if (kennwort.Text() != kennwort1)
        return TNeuerBenutzerErgebnis::KennwoerterVerschieden;

    const int n = Anzahl() + 1;
    TBenutzer& b = Daten.Benutzer[n];
    std::memset(&b, 0, sizeof b);
    b.Name.Setze(name);
    b.Kennwort = kennwort;
    // Logging into the current month at once: slot 0, where a user without a month
    // would log until the next start, is never shown nor billed.
    int jahr, monat, tag;
    DecodeDate(heute, jahr, monat, tag);
    b.MonatNr = uint8_t(monat);
    Daten.BenutzerAnzahl = uint8_t(n);
    Budgets().BenutzerAngelegt(n);
    return TNeuerBenutzerErgebnis::Angelegt;
}

QString NeuerBenutzerMeldung(TNeuerBenutzerErgebnis ergebnis)
{
    switch (ergebnis) {
    case TNeuerBenutzerErgebnis::Angelegt:
    case TNeuerBenutzerErgebnis::Voll:
        return {};
    case TNeuerBenutzerErgebnis::NameLeer:
        return QStringLiteral("Bitte geben Sie einen Namen für den Benutzer ein.");
    case TNeuerBenutzerErgebnis::NameVergeben:
        return QStringLiteral("Ein Benutzer mit diesem Namen existiert bereits.");
    case TNeuerBenutzerErgebnis::KennwortZuLang:
        return QStringLiteral("Kennwort zu lang! Ihr Kennwort darf max. 25 Zeichen haben!");
    case TNeuerBenutzerErgebnis::KennwoerterVerschieden:
        return QStringLiteral("Die Kennwörter stimmen nicht überein! Bitte versuchen Sie es erneut.");
    }
    return {};
}

TEntfernenErgebnis EntferneBenutzer(int u)
{
    if (Daten.BenutzerAnzahl <= 1)
        return TEntfernenErgebnis::LetzterBenutzer;
    if (!GueltigerBenutzer(u))
        return TEntfernenErgebnis::Ungueltig;
    if (u == AktBenutzer)
        return TEntfernenErgebnis::Angemeldet;

    const int anzahl = Anzahl();
    for (int i = u; i < anzahl; ++i)
        std::memcpy(&Daten.Benutzer[i], &Daten.Benutzer[i + 1], sizeof(TBenutzer));
    // Nothing of the removed user may stay behind: no password to log in with at the
    // emptied position, no connections for a later user of it.
    std::memset(&Daten.Benutzer[anzahl], 0, sizeof(TBenutzer));
    Daten.BenutzerAnzahl = uint8_t(anzahl - 1);
    Budgets().BenutzerEntfernt(u, anzahl);

    if (AktBenutzer > u)
        --AktBenutzer;
    if (Daten.StartBenutzer == u)
        Daten.StartBenutzer = 1;
    else if (Daten.StartBenutzer > u)
        --Daten.StartBenutzer;
    return TEntfernenErgebnis::Entfernt;
}

QString EntfernenMeldung(TEntfernenErgebnis ergebnis)
{
    switch (ergebnis) {
    case TEntfernenErgebnis::LetzterBenutzer:
        return QStringLiteral("Es muß mind. ein Benutzer existieren!");
    case TEntfernenErgebnis::Angemeldet:
        return QStringLiteral("Der angemeldete Benutzer kann nicht gelöscht werden.");
    case TEntfernenErgebnis::Entfernt:
    case TEntfernenErgebnis::Ungueltig:
        break;
    }
    return {};
}

TWechselErgebnis WechsleBenutzer(int k, const QString& kennwort)
{
    if (!GueltigerBenutzer(k))
        return TWechselErgebnis::Ungueltig;
    const TBenutzer& b = Daten.Benutzer[k];
    if (!b.Kennwort.Leer() && b.Kennwort.Text() != kennwort)
        return TWechselErgebnis::FalschesKennwort;
    const int alt = AktBenutzer;
    AktBenutzer = uint8_t(k);
    if (alt != k)
        SetzeAktTarif(b.TarifNr);
    return TWechselErgebnis::Gewechselt;
}
