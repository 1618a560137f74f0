#include "core/BenutzerVerwaltung.h"
#include "core/Budget.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

const double Maerz = EncodeDate(2026, 3, 15);

class Benutzerverwaltung : public ::testing::Test {
protected:
    TTestumgebung umgebung;

    // Users A, B, C, D with their own password, tariff, month and one log entry in
    // month slot 0 and in their current month.
    void VierBenutzer()
    {
        const char* namen[] = { "A", "B", "C", "D" };
        Daten.BenutzerAnzahl = 4;
        Daten.StartBenutzer = 1;
        for (int u = 1; u <= 4; ++u) {
            TBenutzer& b = Daten.Benutzer[u];
            b.Name.Setze(QString::fromLatin1(namen[u - 1]));
            b.Kennwort.Setze(QStringLiteral("pw") + QString::fromLatin1(namen[u - 1]));
            b.TarifNr = uint8_t(10 + u);
            b.MonatNr = uint8_t(u);
            for (int m : { 0, u }) {
                b.Monate[m].Verbindungen[0].Tarif.Setze(QStringLiteral("Tarif %1").arg(u));
                b.Monate[m].Verbindungen[0].Kosten = u;
                b.Monate[m].SummeKosten = u;
            }
        }
        AktBenutzer = 1;
    }

    static std::unique_ptr<TBenutzer> Kopie(int u)
    {
        auto kopie = std::make_unique<TBenutzer>();
        std::memcpy(kopie.get(), &Daten.Benutzer[u], sizeof(TBenutzer));
        return kopie;
    }

    static bool Gleich(const TBenutzer& a, const TBenutzer& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

    static bool Leer(const TBenutzer& b)
    {
        static const TBenutzer leer {};
        return Gleich(b, leer);
    }
};

TEST_F(Benutzerverwaltung, RemovingAUserMovesTheOthersDownWithAllTheirData)
{
    VierBenutzer();
    const auto c = Kopie(3), d = Kopie(4), a = Kopie(1);
    EXPECT_EQ(EntferneBenutzer(2), TEntfernenErgebnis::Entfernt);
    EXPECT_EQ(Daten.BenutzerAnzahl, 3);
    EXPECT_EQ(BenutzerNamen(), (QStringList { "A", "C", "D" }));
    EXPECT_TRUE(Gleich(Daten.Benutzer[1], *a));
    EXPECT_TRUE(Gleich(Daten.Benutzer[2], *c));
    EXPECT_TRUE(Gleich(Daten.Benutzer[3], *d));
    EXPECT_EQ(Daten.Benutzer[2].Kennwort.Text(), "pwC");
    EXPECT_EQ(Daten.Benutzer[2].TarifNr, 13);
    EXPECT_EQ(Daten.Benutzer[2].Monate[3].Verbindungen[0].Kosten, 3.0);
    // Nothing of D is left at the freed position: no password, no log, not even slot 0.
    EXPECT_TRUE(Leer(Daten.Benutzer[4]));

    // Removing the last of three leaves the first two as they were.
    const auto eins = Kopie(1), zwei = Kopie(2);
    EXPECT_EQ(EntferneBenutzer(3), TEntfernenErgebnis::Entfernt);
    EXPECT_TRUE(Gleich(Daten.Benutzer[1], *eins));
    EXPECT_TRUE(Gleich(Daten.Benutzer[2], *zwei));
    EXPECT_TRUE(Leer(Daten.Benutzer[3]));
    EXPECT_EQ(Daten.BenutzerAnzahl, 2);
}

TEST_F(Benutzerverwaltung, BudgetsFollowTheirUsersAndLeaveWithThem)
{
    VierBenutzer();
    for (int u = 1; u <= 4; ++u)
        ASSERT_TRUE(Budgets().SetzeBudget(u, { 10.0 * u, StandardWarnstufen }).Ok());
    EXPECT_EQ(EntferneBenutzer(2), TEntfernenErgebnis::Entfernt);
    LadeBudgets(); // as the next start reads them
    EXPECT_EQ(Budgets().Budget(2).Betrag, 30);
    EXPECT_EQ(Budgets().Budget(3).Betrag, 40);
}

TEST_F(Benutzerverwaltung, CurrentAndStartUserKeepNamingTheSamePeople)
{
    VierBenutzer();
    AktBenutzer = 3; // C
    Daten.StartBenutzer = 4; // D
    EXPECT_EQ(EntferneBenutzer(2), TEntfernenErgebnis::Entfernt);
    EXPECT_EQ(AktBenutzer, 2);
    EXPECT_EQ(AktBenutzerName(), "C");
    EXPECT_EQ(Daten.StartBenutzer, 3);
    EXPECT_EQ(Daten.Benutzer[Daten.StartBenutzer].Name.Text(), "D");

    // Users below the removed one keep their numbers.
    EXPECT_EQ(EntferneBenutzer(3), TEntfernenErgebnis::Entfernt); // D, the start user
    EXPECT_EQ(Daten.StartBenutzer, 1);
    EXPECT_EQ(AktBenutzer, 2);
    EXPECT_EQ(AktBenutzerName(), "C");
}

TEST_F(Benutzerverwaltung, RefusedRemovalsChangeNothing)
{
    VierBenutzer();
    AktBenutzer = 2;
    auto vorher = std::make_unique<TDaten>();
    std::memcpy(vorher.get(), &Daten, sizeof Daten);
    auto unveraendert = [&] { return std::memcmp(vorher.get(), &Daten, sizeof Daten) == 0; };

    EXPECT_EQ(EntferneBenutzer(2), TEntfernenErgebnis::Angemeldet);
    EXPECT_EQ(EntfernenMeldung(TEntfernenErgebnis::Angemeldet),
        "Der angemeldete Benutzer kann nicht gelöscht werden.");
    EXPECT_TRUE(unveraendert());
    for (int u : { 0, 5, 255 })
        EXPECT_EQ(EntferneBenutzer(u), TEntfernenErgebnis::Ungueltig);
    EXPECT_TRUE(unveraendert());
    EXPECT_EQ(AktBenutzer, 2);

    Daten.BenutzerAnzahl = 2;
    AktBenutzer = 1;
    EXPECT_EQ(EntferneBenutzer(3), TEntfernenErgebnis::Ungueltig); // beyond the count

    Daten.BenutzerAnzahl = 1;
    std::memcpy(vorher.get(), &Daten, sizeof Daten);
    EXPECT_EQ(EntferneBenutzer(1), TEntfernenErgebnis::LetzterBenutzer);
    EXPECT_EQ(EntfernenMeldung(TEntfernenErgebnis::LetzterBenutzer), "Es muß mind. ein Benutzer existieren!");
    EXPECT_TRUE(unveraendert());
}

TEST_F(Benutzerverwaltung, NewUserStartsEmptyInTheCurrentMonth)
{
    Daten.BenutzerAnzahl = 1;
    Daten.Benutzer[1].Name.Setze(QStringLiteral("Standardbenutzer"));
    // What an older program left at a freed position.
    Daten.Benutzer[2].Kennwort.Setze(QStringLiteral("alt"));
    Daten.Benutzer[2].Monate[0].Verbindungen[0].Tarif.Setze(QStringLiteral("alt"));
    Daten.Benutzer[2].Monate[0].SummeKosten = 5;

    EXPECT_EQ(FuegeBenutzerHinzu(QStringLiteral("Neu"), QString(), QString(), Maerz),
        TNeuerBenutzerErgebnis::Angelegt);
    EXPECT_EQ(Daten.BenutzerAnzahl, 2);
    const TBenutzer& b = Daten.Benutzer[2];
    EXPECT_EQ(b.Name.Text(), "Neu");
    EXPECT_TRUE(b.Kennwort.Leer());
    EXPECT_EQ(b.TarifNr, 0);
    EXPECT_EQ(b.MonatNr, 3);
    EXPECT_EQ(b.Monate[0].SummeKosten, 0.0);
    EXPECT_TRUE(b.Monate[0].Verbindungen[0].Tarif.Leer());
    EXPECT_EQ(BenutzerNachName(QStringLiteral("Neu")), 2);
}

TEST_F(Benutzerverwaltung, PasswordChecks)
{
    Daten.BenutzerAnzahl = 1;
    Daten.Benutzer[1].Name.Setze(QStringLiteral("Eins"));
    const QString k25 = QString(25, QLatin1Char('k'));
    const QString k26 = QString(26, QLatin1Char('k'));

    EXPECT_EQ(FuegeBenutzerHinzu(QStringLiteral("Zu lang"), k26, k26, Maerz),
        TNeuerBenutzerErgebnis::KennwortZuLang);
    EXPECT_EQ(
        FuegeBenutzerHinzu(QStringLiteral("Anders"), QStringLiteral("abc"), QStringLiteral("abC"), Maerz),
        TNeuerBenutzerErgebnis::KennwoerterVerschieden);
    EXPECT_EQ(FuegeBenutzerHinzu(QStringLiteral("Halb"), QStringLiteral("abc"), QString(), Maerz),
        TNeuerBenutzerErgebnis::KennwoerterVerschieden);
    // A character the file's code page lacks would be stored as '?', a password that
    // can never be typed.
    EXPECT_EQ(
        FuegeBenutzerHinzu(QStringLiteral("Polnisch"), QStringLiteral("łódź"), QStringLiteral("łódź"), Maerz),
        TNeuerBenutzerErgebnis::KennwoerterVerschieden);
    EXPECT_EQ(Daten.BenutzerAnzahl, 1);
    EXPECT_TRUE(Daten.Benutzer[2].Kennwort.Leer());
    EXPECT_TRUE(Daten.Benutzer[2].Name.Leer());

    EXPECT_EQ(
        FuegeBenutzerHinzu(QStringLiteral("Genau 25"), k25, k25, Maerz), TNeuerBenutzerErgebnis::Angelegt);
    EXPECT_EQ(Daten.Benutzer[2].Kennwort.Text(), k25);
    // The second entry is stored as its first 25 characters, and those agree.
    EXPECT_EQ(FuegeBenutzerHinzu(QStringLiteral("25 und 30"), k25, k25 + QStringLiteral("xxxxx"), Maerz),
        TNeuerBenutzerErgebnis::Angelegt);
    EXPECT_EQ(Daten.Benutzer[3].Kennwort.Text(), k25);
    EXPECT_EQ(FuegeBenutzerHinzu(
                  QStringLiteral("Umlaut"), QStringLiteral("Größe€"), QStringLiteral("Größe€"), Maerz),
        TNeuerBenutzerErgebnis::Angelegt);
    EXPECT_EQ(Daten.Benutzer[4].Kennwort.Text(), "Größe€");

    EXPECT_EQ(NeuerBenutzerMeldung(TNeuerBenutzerErgebnis::KennwortZuLang),
        "Kennwort zu lang! Ihr Kennwort darf max. 25 Zeichen haben!");
    EXPECT_EQ(NeuerBenutzerMeldung(TNeuerBenutzerErgebnis::KennwoerterVerschieden),
        "Die Kennwörter stimmen nicht überein! Bitte versuchen Sie es erneut.");
}

TEST_F(Benutzerverwaltung, NamesAndTheLimitOfFour)
{
    Daten.BenutzerAnzahl = 1;
    Daten.Benutzer[1].Name.Setze(QStringLiteral("Eins"));
    EXPECT_EQ(PruefeBenutzerName(QString()), TNeuerBenutzerErgebnis::NameLeer);
    EXPECT_EQ(PruefeBenutzerName(QStringLiteral("  ")), TNeuerBenutzerErgebnis::NameLeer);
    EXPECT_EQ(PruefeBenutzerName(QStringLiteral("Eins")), TNeuerBenutzerErgebnis::NameVergeben);
    EXPECT_EQ(PruefeBenutzerName(QStringLiteral("eins")), TNeuerBenutzerErgebnis::Angelegt);
    EXPECT_EQ(FuegeBenutzerHinzu(QStringLiteral("Eins"), QString(), QString(), Maerz),
        TNeuerBenutzerErgebnis::NameVergeben);
    EXPECT_EQ(Daten.BenutzerAnzahl, 1);

    const QString lang = QString(50, QLatin1Char('n'));
    EXPECT_EQ(FuegeBenutzerHinzu(lang + QStringLiteral("mehr"), QString(), QString(), Maerz),
        TNeuerBenutzerErgebnis::Angelegt);
    EXPECT_EQ(Daten.Benutzer[2].Name.Text(), lang);
    EXPECT_EQ(PruefeBenutzerName(lang + QStringLiteral("anders")), TNeuerBenutzerErgebnis::NameVergeben);

    EXPECT_EQ(FuegeBenutzerHinzu(QStringLiteral("Drei"), QString(), QString(), Maerz),
        TNeuerBenutzerErgebnis::Angelegt);
    EXPECT_EQ(FuegeBenutzerHinzu(QStringLiteral("Vier"), QString(), QString(), Maerz),
        TNeuerBenutzerErgebnis::Angelegt);
    EXPECT_EQ(FuegeBenutzerHinzu(QStringLiteral("Fünf"), QString(), QString(), Maerz),
        TNeuerBenutzerErgebnis::Voll);
    EXPECT_EQ(NeuerBenutzerMeldung(TNeuerBenutzerErgebnis::Voll), QString());
    EXPECT_EQ(Daten.BenutzerAnzahl, 4);

    // Look-up by name: the first user bearing it, and only among the users there are.
    Daten.Benutzer[4].Name.Setze(QStringLiteral("Eins"));
    EXPECT_EQ(BenutzerNachName(QStringLiteral("Eins")), 1);
    Daten.BenutzerAnzahl = 2;
    EXPECT_EQ(BenutzerNachName(QStringLiteral("Drei")), 0);
}

TEST_F(Benutzerverwaltung, SwitchingChecksThePasswordAndCopiesTheTariff)
{
    VierBenutzer();
    Daten.Benutzer[3].Kennwort.Leeren();
    Tarife[12].Name.Setze(QStringLiteral("Tarif B"));
    Tarife[12].Preis = 2.2;
    Tarife[13].Name.Setze(QStringLiteral("Tarif C"));

    EXPECT_EQ(WechsleBenutzer(2, QStringLiteral("pwb")), TWechselErgebnis::FalschesKennwort);
    EXPECT_EQ(WechsleBenutzer(2, QString()), TWechselErgebnis::FalschesKennwort);
    EXPECT_EQ(AktBenutzer, 1);
    EXPECT_TRUE(AktTarif.Name.Leer());

    EXPECT_EQ(WechsleBenutzer(2, QStringLiteral("pwB")), TWechselErgebnis::Gewechselt);
    EXPECT_EQ(AktBenutzer, 2);
    EXPECT_EQ(AktTarif.Name.Text(), "Tarif B");
    EXPECT_EQ(AktTarif.Preis, 2.2);

    // Switching to oneself copies nothing: an edited tariff stays unpriced until chosen.
    Tarife[12].Preis = 9;
    EXPECT_EQ(WechsleBenutzer(2, QStringLiteral("pwB")), TWechselErgebnis::Gewechselt);
    EXPECT_EQ(AktTarif.Preis, 2.2);

    // No password: whatever is typed.
    EXPECT_EQ(WechsleBenutzer(3, QStringLiteral("egal")), TWechselErgebnis::Gewechselt);
    EXPECT_EQ(AktBenutzer, 3);
    EXPECT_EQ(AktTarif.Name.Text(), "Tarif C");

    EXPECT_EQ(WechsleBenutzer(0, QString()), TWechselErgebnis::Ungueltig);
    Daten.BenutzerAnzahl = 3;
    EXPECT_EQ(WechsleBenutzer(4, QStringLiteral("pwD")), TWechselErgebnis::Ungueltig);
    EXPECT_EQ(AktBenutzer, 3);
}

} // namespace
