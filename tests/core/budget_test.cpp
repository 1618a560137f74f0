#include "core/Budget.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

QByteArray Inhalt(const QString& pfad)
{
    QFile datei(pfad);
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
}

void Schreibe(const QString& pfad, const QByteArray& inhalt)
{
    QFile datei(pfad);
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly | QIODevice::Truncate));
    datei.write(inhalt);
}

class Budgets : public ::testing::Test {
protected:
    QTemporaryDir verzeichnis;
    QString ini;

    void SetUp() override
    {
        ASSERT_TRUE(verzeichnis.isValid());
        ini = verzeichnis.filePath(BudgetDateiName);
        FormatSettings = DeutscheFormate();
        std::memset(&Daten, 0, sizeof Daten);
        Daten.BenutzerAnzahl = 3;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[2].Name.Setze(QStringLiteral("Bernd"));
        Daten.Benutzer[3].Name.Setze(QStringLiteral("Cäcilie"));
    }

    // A fresh program run reading the same file.
    TBudgets Neustart() const
    {
        TBudgets b;
        b.Lade(ini);
        return b;
    }

    static TDateTime Am(int jahr, int monat, int tag) { return EncodeDate(jahr, monat, tag) + 0.5; }
};

TEST(BudgetRegeln, TexteUndStufenRechnenInGanzenPfennig)
{
    FormatSettings = DeutscheFormate();
    EXPECT_EQ(BudgetWarnText(80, 40, 50),
        QStringLiteral("Kostenwolf: 80 % des Monatsbudgets erreicht (40,00 von 50,00 DM)"));
    EXPECT_EQ(BudgetWarnText(100, 51.2, 50),
        QStringLiteral("Kostenwolf: Monatsbudget überschritten (51,20 von 50,00 DM)"));

    // 0.1 + 0.7 is 0.7999...: the level is still reached at 80 Pfennig of 1 DM.
    EXPECT_TRUE(StufeErreicht(0.1 + 0.7, 1, 80));
    EXPECT_FALSE(StufeErreicht(39.99, 50, 80));
    EXPECT_FALSE(StufeErreicht(1000, 0, 80));

    EXPECT_EQ(BudgetProzent(31, 50), 62);
    EXPECT_EQ(BudgetProzent(49.99, 50), 99); // never rounded up to a full budget
    EXPECT_EQ(BudgetProzent(75, 50), 150);
    EXPECT_EQ(BudgetHinweis(31, TBudget { 50, StandardWarnstufen }), QStringLiteral(" (Budget: 62 %)"));
    EXPECT_EQ(BudgetHinweis(31, TBudget {}), QString());

    EXPECT_EQ(LiesWarnstufen(QStringLiteral(" 100; 50,80 80 ")), (QList<int> { 50, 80, 100 }));
    EXPECT_FALSE(LiesWarnstufen(QString()));
    EXPECT_FALSE(LiesWarnstufen(QStringLiteral("80, 0")));
    EXPECT_FALSE(LiesWarnstufen(QStringLiteral("80 %")));
    EXPECT_FALSE(LiesWarnstufen(QStringLiteral("1001")));
}

TEST_F(Budgets, EineLaufendeVerbindungWarntJedeStufeEinmalUndNurDieHoechste)
{
    TBudgets b;
    EXPECT_EQ(b.Lade(ini), TBudgets::TLadeZustand::Fehlt);
    EXPECT_TRUE(b.LadeMeldung().isEmpty());
    ASSERT_TRUE(b.SetzeBudget(1, { 50, StandardWarnstufen }).isEmpty());

    // Month so far 30 DM, the running connection adds 0,40 DM a tick.
    QStringList warnungen;
    const TDateTime jetzt = Am(2026, 12, 8);
    for (int tick = 0; tick <= 60; ++tick)
        if (auto w = b.Pruefe(1, 30 + tick * 0.4, jetzt))
            warnungen << *w;
    EXPECT_EQ(warnungen,
        (QStringList { QStringLiteral("Kostenwolf: 80 % des Monatsbudgets erreicht (40,00 von 50,00 DM)"),
            QStringLiteral("Kostenwolf: Monatsbudget überschritten (50,00 von 50,00 DM)") }));

    // Starting already beyond both levels tells only the worse one, once.
    ASSERT_TRUE(b.SetzeBudget(2, { 20, StandardWarnstufen }).isEmpty());
    EXPECT_EQ(b.Pruefe(2, 25, jetzt),
        std::optional(QStringLiteral("Kostenwolf: Monatsbudget überschritten (25,00 von 20,00 DM)")));
    EXPECT_FALSE(b.Pruefe(2, 26, jetzt));

    // Without a budget nothing warns, however high the month.
    EXPECT_FALSE(b.Pruefe(3, 1e6, jetzt));
}

TEST_F(Budgets, GewarntesGiltBisZumNaechstenMonatAuchNachEinemNeustart)
{
    {
        TBudgets b;
        b.Lade(ini);
        b.SetzeBudget(1, { 50, StandardWarnstufen });
        ASSERT_TRUE(b.Pruefe(1, 41, Am(2026, 12, 8)));
    }
    TBudgets b = Neustart();
    EXPECT_EQ(b.Budget(1).Betrag, 50);
    EXPECT_FALSE(b.Pruefe(1, 41, Am(2026, 12, 20)));
    EXPECT_TRUE(b.Pruefe(1, 50, Am(2026, 12, 20))); // the next level is still open

    // The month turn of a running program warns again, and it is remembered.
    TBudgets laufend = Neustart();
    EXPECT_FALSE(laufend.Pruefe(1, 51, Am(2026, 12, 31)));
    laufend.NeuerMonat(1);
    EXPECT_TRUE(Neustart().Pruefe(1, 51, Am(2026, 12, 31)));

    // So does a new month at start-up, also the same month a year later.
    EXPECT_TRUE(Neustart().Pruefe(1, 41, Am(2027, 1, 2)));
    EXPECT_TRUE(Neustart().Pruefe(1, 41, Am(2027, 12, 2)));
}

TEST_F(Budgets, EinNeuesBudgetWarntVonVorn)
{
    TBudgets b;
    b.Lade(ini);
    b.SetzeBudget(1, { 50, StandardWarnstufen });
    ASSERT_TRUE(b.Pruefe(1, 45, Am(2026, 12, 8)));
    b.SetzeBudget(1, { 50, StandardWarnstufen }); // unchanged: still warned
    EXPECT_FALSE(b.Pruefe(1, 45, Am(2026, 12, 8)));
    b.SetzeBudget(1, { 55, { 50, 80 } });
    EXPECT_EQ(b.Pruefe(1, 45, Am(2026, 12, 8)),
        std::optional(QStringLiteral("Kostenwolf: 80 % des Monatsbudgets erreicht (45,00 von 55,00 DM)")));
    EXPECT_EQ(Neustart().Budget(1).Warnstufen, (QList<int> { 50, 80 }));

    b.SetzeBudget(1, { 0, StandardWarnstufen });
    EXPECT_FALSE(Neustart().Budget(1).Gesetzt());
}

TEST_F(Budgets, BudgetsGehoerenZuPositionUndNameUndGehenMitDemEntferntenBenutzer)
{
    TBudgets b;
    b.Lade(ini);
    b.SetzeBudget(1, { 10, StandardWarnstufen });
    b.SetzeBudget(2, { 20, StandardWarnstufen });
    b.SetzeBudget(3, { 30, { 90 } });

    // Bernd goes; Cäcilie moves down to position 2 with her budget.
    std::memcpy(&Daten.Benutzer[2], &Daten.Benutzer[3], sizeof(TBenutzer));
    std::memset(&Daten.Benutzer[3], 0, sizeof(TBenutzer));
    Daten.BenutzerAnzahl = 2;
    b.BenutzerEntfernt(2, 3);

    for (const TBudgets& lauf : { b, Neustart() }) {
        EXPECT_EQ(lauf.Budget(1).Betrag, 10);
        EXPECT_EQ(lauf.Budget(2).Betrag, 30);
        EXPECT_EQ(lauf.Budget(2).Warnstufen, QList<int> { 90 });
        EXPECT_FALSE(lauf.Budget(3).Gesetzt());
    }
    EXPECT_FALSE(Inhalt(ini).contains("Bernd"));
    EXPECT_FALSE(Inhalt(ini).contains("Budget3"));

    // A newcomer at position 3, even of the same name, starts without one.
    Daten.BenutzerAnzahl = 3;
    Daten.Benutzer[3].Name.Setze(QStringLiteral("Bernd"));
    EXPECT_FALSE(b.Budget(3).Gesetzt());

    // A budget whose name does not match the user at its position is not theirs.
    Daten.Benutzer[1].Name.Setze(QStringLiteral("Anton"));
    EXPECT_FALSE(Neustart().Budget(1).Gesetzt());
    EXPECT_FALSE(Neustart().Pruefe(1, 100, Am(2026, 12, 8)));
}

TEST_F(Budgets, EineBeschaedigteDateiHeisstKeineBudgetsEineMeldungUndBleibtUnberuehrt)
{
    const QByteArray kaputt("[Budget1\nName=Anna\nMonatsbudget=50\n\x01\xff garbage\n", 46);
    Schreibe(ini, kaputt);
    TBudgets b;
    EXPECT_EQ(b.Lade(ini), TBudgets::TLadeZustand::Beschaedigt);
    EXPECT_FALSE(b.LadeMeldung().isEmpty());
    EXPECT_FALSE(b.Budget(1).Gesetzt());
    EXPECT_FALSE(b.Pruefe(1, 100, Am(2026, 12, 8)));
    EXPECT_FALSE(b.SetzeBudget(1, { 50, StandardWarnstufen }).isEmpty());
    EXPECT_EQ(Inhalt(ini), kaputt);

    // A directory in the file's place is no better.
    QFile::remove(ini);
    ASSERT_TRUE(QDir().mkdir(ini));
    EXPECT_EQ(TBudgets().Lade(ini), TBudgets::TLadeZustand::Beschaedigt);
}

TEST_F(Budgets, EinBeschaedigterEintragKostetNurDiesesBudget)
{
    Schreibe(ini,
        "[Budget1]\nName=Anna\nMonatsbudget=viel\n"
        "[Budget2]\nName=Bernd\nMonatsbudget=20.00\nWarnstufen=80, 100\n"
        "[Budget3]\nName=C\\xe4cilie\nMonatsbudget=30\nWarnstufen=0\n");
    TBudgets b;
    EXPECT_EQ(b.Lade(ini), TBudgets::TLadeZustand::Beschaedigt);
    EXPECT_TRUE(b.LadeMeldung().contains(QStringLiteral("Anna")));
    EXPECT_FALSE(b.Budget(1).Gesetzt());
    EXPECT_EQ(b.Budget(2).Betrag, 20);
    EXPECT_FALSE(b.Budget(3).Gesetzt());
    // Entering it anew repairs it.
    EXPECT_TRUE(b.SetzeBudget(1, { 15, StandardWarnstufen }).isEmpty());
    EXPECT_EQ(Neustart().Budget(1).Betrag, 15);
    EXPECT_EQ(Neustart().Budget(2).Betrag, 20);
}

TEST_F(Budgets, DieDatendateienBleibenBeimSetzenEinesBudgetsByteFuerByteGleich)
{
    qputenv("KOSTENWOLF_DATA_DIR", QFile::encodeName(verzeichnis.path()));
    std::memset(&Tarife, 0, sizeof Tarife);
    Tarife.Slot[0].Name.Setze(QStringLiteral("Abend"));
    Tarife.Slot[0].Preis = 4.8;
    Daten.Benutzer[1].TarifNr = 1;
    ASSERT_TRUE(SpeichereDaten().Ok);
    ASSERT_TRUE(SpeichereTarife().Ok);
    const QByteArray daten = Inhalt(DatenPfad());
    const QByteArray tarife = Inhalt(TarifePfad());
    ASSERT_EQ(daten.size(), qsizetype(sizeof(TDaten)));

    LadeBudgets();
    EXPECT_TRUE(::Budgets().SetzeBudget(1, { 50, StandardWarnstufen }).isEmpty());
    EXPECT_TRUE(::Budgets().Pruefe(1, 45, Am(2026, 12, 8)));
    EXPECT_EQ(::Budgets().Pfad(), ini);
    EXPECT_TRUE(QFile::exists(ini));
    EXPECT_EQ(Inhalt(DatenPfad()), daten);
    EXPECT_EQ(Inhalt(TarifePfad()), tarife);
    qunsetenv("KOSTENWOLF_DATA_DIR");
}

} // namespace
