#include "core/Budget.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "support/Dateiinhalt.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

TDateTime Am(int jahr, int monat, int tag)
{
    return EncodeDate(jahr, monat, tag) + 0.5;
}

class Budgets : public ::testing::Test {
protected:
    QTemporaryDir verzeichnis;
    QString ini = verzeichnis.filePath(BudgetDateiName);

    void SetUp() override
    {
        FormatSettings = DeutscheFormate();
        std::memset(&Daten, 0, sizeof Daten);
        Daten.BenutzerAnzahl = 3;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[2].Name.Setze(QStringLiteral("Bernd"));
        Daten.Benutzer[3].Name.Setze(QStringLiteral("Cäcilie"));
    }

    // A later run of the program reading the same file.
    TBudgets Neustart() const
    {
        TBudgets b;
        b.Lade(ini);
        return b;
    }
};

TEST(BudgetRegeln, StufenUndAnteilInGanzenPfennigUndDieEingabeDerStufen)
{
    EXPECT_TRUE(StufeErreicht(0.1 + 0.7, 1, 80)); // 0.7999... DM are 80 Pfennig
    EXPECT_FALSE(StufeErreicht(39.99, 50, 80));
    EXPECT_EQ(BudgetProzent(49.99, 50), 99); // a budget not yet spent never reads 100 %
    EXPECT_EQ(BudgetProzent(75, 50), 150);

    EXPECT_EQ(LiesWarnstufen(QStringLiteral(" 100; 50,80 80 ")), (QList<int> { 50, 80, 100 }));
    for (const char* falsch : { "", "80, 0", "80 %", "1001" })
        EXPECT_FALSE(LiesWarnstufen(QString::fromLatin1(falsch))) << falsch;
}

TEST_F(Budgets, JedeStufeWarntEinmalImMonatAuchUeberEinenNeustartHinweg)
{
    TBudgets b;
    EXPECT_EQ(b.Lade(ini), TBudgets::TLadeZustand::Fehlt);
    ASSERT_TRUE(b.SetzeBudget(1, { 50, StandardWarnstufen }).Ok());
    ASSERT_TRUE(b.SetzeBudget(2, { 20, StandardWarnstufen }).Ok());
    const TDateTime dezember = Am(2026, 12, 8);

    EXPECT_FALSE(b.Pruefe(1, 39.99, dezember));
    EXPECT_TRUE(b.Pruefe(1, 40, dezember));
    EXPECT_FALSE(b.Pruefe(1, 45, dezember));
    // Beyond both levels at once only the worse is told.
    EXPECT_EQ(b.Pruefe(2, 25, dezember),
        std::optional(QStringLiteral("Kostenwolf: Monatsbudget überschritten (25,00 von 20,00 DM)")));
    EXPECT_FALSE(b.Pruefe(2, 26, dezember));
    EXPECT_FALSE(b.Pruefe(3, 1e6, dezember)); // no budget, no warning

    EXPECT_FALSE(Neustart().Pruefe(1, 45, Am(2026, 12, 20)));
    EXPECT_TRUE(Neustart().Pruefe(1, 50, Am(2026, 12, 20)));
    EXPECT_FALSE(Neustart().Pruefe(2, 30, Am(2026, 12, 31)));

    // The month turning over while the program runs, or at a later start.
    b = Neustart();
    b.NeuerMonat(2);
    EXPECT_TRUE(Neustart().Pruefe(2, 30, Am(2026, 12, 31)));
    EXPECT_TRUE(Neustart().Pruefe(1, 45, Am(2027, 1, 2)));

    // A changed budget warns afresh; one set to 0 is gone.
    b = Neustart();
    ASSERT_TRUE(b.SetzeBudget(1, { 60, { 50 } }).Ok());
    EXPECT_TRUE(b.Pruefe(1, 45, Am(2027, 1, 2)));
    ASSERT_TRUE(b.SetzeBudget(1, { 0, StandardWarnstufen }).Ok());
    EXPECT_FALSE(Neustart().Budget(1).Gesetzt());
}

TEST_F(Budgets, EinBudgetGiltNurFuerPositionUndNameUndFolgtEinerEntfernung)
{
    TBudgets b;
    b.Lade(ini);
    for (int u = 1; u <= 3; ++u)
        ASSERT_TRUE(b.SetzeBudget(u, { 10.0 * u, StandardWarnstufen }).Ok());

    // Bernd leaves; Cäcilie moves down to position 2.
    std::memcpy(&Daten.Benutzer[2], &Daten.Benutzer[3], sizeof(TBenutzer));
    std::memset(&Daten.Benutzer[3], 0, sizeof(TBenutzer));
    Daten.BenutzerAnzahl = 2;
    b.BenutzerEntfernt(2, 3);
    EXPECT_EQ(Neustart().Budget(2).Betrag, 30);
    EXPECT_FALSE(Neustart().Budget(3).Gesetzt());

    Daten.Benutzer[1].Name.Setze(QStringLiteral("Anton"));
    EXPECT_FALSE(Neustart().Budget(1).Gesetzt());
}

TEST_F(Budgets, BeschaedigtGiltNichtsUndDieDateiBleibtUnberuehrt)
{
    const QByteArray kaputt("[Budget1\nName=Anna\n\x01\xff", 21);
    QFile datei(ini);
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly));
    datei.write(kaputt);
    datei.close();
    TBudgets b;
    EXPECT_EQ(b.Lade(ini), TBudgets::TLadeZustand::Beschaedigt);
    EXPECT_FALSE(b.LadeMeldung().isEmpty());
    EXPECT_FALSE(b.SetzeBudget(1, { 50, StandardWarnstufen }).Ok());
    EXPECT_FALSE(b.Pruefe(1, 100, Am(2026, 12, 8)));
    ASSERT_TRUE(datei.open(QIODevice::ReadOnly));
    EXPECT_EQ(datei.readAll(), kaputt);
    datei.close();

    // One unreadable entry costs only its own budget.
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly | QIODevice::Truncate));
    datei.write("[Budget1]\nName=Anna\nMonatsbudget=viel\n[Budget2]\nName=Bernd\nMonatsbudget=20.00\n");
    datei.close();
    EXPECT_EQ(b.Lade(ini), TBudgets::TLadeZustand::Beschaedigt);
    EXPECT_TRUE(b.LadeMeldung().contains(QStringLiteral("Anna")));
    EXPECT_FALSE(b.Budget(1).Gesetzt());
    EXPECT_EQ(b.Budget(2).Betrag, 20);
}

TEST_F(Budgets, WasAussenGeaendertWirdBleibtUndUnsinnWirdNichtUeberschrieben)
{
    TBudgets b;
    b.Lade(ini);
    ASSERT_TRUE(b.SetzeBudget(1, { 50, StandardWarnstufen }).Ok());
    ASSERT_TRUE(b.SetzeBudget(2, { 20, StandardWarnstufen }).Ok());
    // By hand while the program runs: Anna's limit raised, a comment and a group of
    // someone else's added.
    const QByteArray vonHand = "; von Hand\n[Budget1]\nName=Anna\nMonatsbudget=500\n"
                               "[Budget2]\nName=Bernd\nMonatsbudget=20.00\nWarnstufen=80, 100\n"
                               "[Fremd]\nSchluessel=\"a;b\"\n";
    Schreib(ini, vonHand);
    const TDateTime dezember = Am(2026, 12, 8);
    EXPECT_TRUE(b.Pruefe(2, 17, dezember));
    EXPECT_FALSE(b.Pruefe(1, 45, dezember)); // the limit is 500 DM now
    QByteArray erwartet = vonHand;
    erwartet.replace("80, 100\n", "80, 100\nGewarntMonat=2026-12\nGewarnt=80\n");
    EXPECT_EQ(Lies(ini), erwartet);
    EXPECT_TRUE(b.NimmMeldung().isEmpty());

    // A file that is no settings any more: told once, never written over.
    const QByteArray unsinn("\x7f"
                            "ELF\0\x01",
        6);
    Schreib(ini, unsinn);
    EXPECT_TRUE(b.Pruefe(2, 25, dezember)); // the warning itself still shows
    EXPECT_FALSE(b.NimmMeldung().isEmpty());
    b.NeuerMonat(2);
    EXPECT_TRUE(b.NimmMeldung().isEmpty());
    EXPECT_EQ(Lies(ini), unsinn);
}

} // namespace
