#include "core/TarifVerwaltung.h"
#include "core/Zahleingabe.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Regeldatei.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"

#include <QDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

class Tarifverwaltung : public ::testing::Test {
protected:
    TTestumgebung umgebung;

    void SetUp() override
    {
        Daten.BenutzerAnzahl = 1;
        Daten.StartBenutzer = 1;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Standardbenutzer"));
        AktBenutzer = 1;
    }

    static void Belege(int slot, const QString& name, double preis = 1, double einwahl = 2, double grund = 3)
    {
        Tarife[slot].Name.Setze(name);
        Tarife[slot].Preis = preis;
        Tarife[slot].Einwahl = einwahl;
        Tarife[slot].Grundpreis = grund;
    }

    static TTarifEingabe Eingabe(const QString& name, const QString& preis = QStringLiteral("1,5"),
        const QString& einwahl = QStringLiteral("6"), const QString& grund = QStringLiteral("9,9"))
    {
        return { name, preis, einwahl, grund };
    }
};

TEST(Zahleingabe, ReadsNumbersInTheSystemFormat)
{
    TTestumgebung umgebung; // German settings: decimal comma
    EXPECT_EQ(LiesFliesskommazahl(QStringLiteral("2,5")), 2.5);
    EXPECT_EQ(LiesFliesskommazahl(QStringLiteral("  -0,25 ")), -0.25);
    EXPECT_EQ(LiesFliesskommazahl(QStringLiteral("+3")), 3.0);
    EXPECT_EQ(LiesFliesskommazahl(QStringLiteral(",5")), 0.5);
    EXPECT_EQ(LiesFliesskommazahl(QStringLiteral("4,")), 4.0);
    EXPECT_EQ(LiesFliesskommazahl(QStringLiteral("1,5E2")), 150.0);
    EXPECT_EQ(LiesFliesskommazahl(QStringLiteral("1e-1")), 0.1);

    for (const char* keineZahl : { "", " ", "2.5", "1.000,5", "1,2,3", "abc", "5 Pf", "e5", "1e", "1e+", ",",
             "-", "inf", "nan", "1e400", "0x10", "٣" })
        EXPECT_FALSE(LiesFliesskommazahl(QString::fromUtf8(keineZahl))) << keineZahl;

    FormatSettings.DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(LiesFliesskommazahl(QStringLiteral("2.5")), 2.5);
    EXPECT_FALSE(LiesFliesskommazahl(QStringLiteral("2,5")));
}

TEST_F(Tarifverwaltung, SlotsAreFoundByNameAndFreeSlotsNeverMatch)
{
    EXPECT_EQ(ErsterFreierTarif(), 1);
    Belege(1, QStringLiteral("Alpha"));
    Belege(3, QStringLiteral("Gamma"));
    Belege(4, QStringLiteral("Alpha")); // a duplicate from an older file
    EXPECT_EQ(ErsterFreierTarif(), 2);
    EXPECT_EQ(TarifNamen(), (QStringList { "Alpha", "Gamma", "Alpha" }));
    EXPECT_EQ(TarifNachName(QStringLiteral("Gamma")), 3);
    EXPECT_EQ(TarifNachName(QStringLiteral("Alpha")), 1);
    EXPECT_EQ(TarifNachName(QStringLiteral("alpha")), 0);
    EXPECT_EQ(TarifNachName(QStringLiteral("Alph")), 0);

    // A freed slot keeps its name bytes but is no longer found.
    TarifLoeschen(3);
    EXPECT_EQ(TarifNachName(QStringLiteral("Gamma")), 0);
    EXPECT_EQ(TarifNachName(QString()), 0);
    EXPECT_EQ(std::memcmp(Tarife[3].Name.Zeichen, "Gamma", 5), 0);
}

TEST_F(Tarifverwaltung, NewTariffTakesTheFirstFreeSlot)
{
    Belege(1, QStringLiteral("Eins"));
    Belege(3, QStringLiteral("Drei"));
    const TTarifErgebnis e = NeuerTarif(Eingabe(QStringLiteral("Zwei")));
    ASSERT_TRUE(e.Ok());
    EXPECT_EQ(e.Slot, 2);
    EXPECT_EQ(Tarife[2].Name.Text(), "Zwei");
    EXPECT_EQ(Tarife[2].Preis, 1.5);
    EXPECT_EQ(Tarife[2].Einwahl, 6.0);
    EXPECT_EQ(Tarife[2].Grundpreis, 9.9);
    EXPECT_EQ(TarifNamen(), (QStringList { "Eins", "Zwei", "Drei" }));
    EXPECT_EQ(ErsterFreierTarif(), 4); // stored once
}

TEST_F(Tarifverwaltung, LongNamesAreStoredAsTheirFirstFiftyCharacters)
{
    const QString lang = QString(50, QLatin1Char('x')) + QString(10, QLatin1Char('y'));
    const TTarifErgebnis e = NeuerTarif(Eingabe(lang));
    ASSERT_TRUE(e.Ok());
    EXPECT_EQ(e.Name, QString(50, QLatin1Char('x')));
    EXPECT_EQ(Tarife[1].Name.Text(), e.Name);
    // The cut name counts for duplicates too.
    EXPECT_EQ(NeuerTarif(Eingabe(QString(50, QLatin1Char('x')) + QStringLiteral("zzz"))).art,
        TTarifErgebnis::NameVergeben);
}

TEST_F(Tarifverwaltung, RefusedEntriesStoreNothing)
{
    Belege(1, QStringLiteral("Alt"), 4.8, 6, 9.9);
    TTarifTabelle vorher;
    std::memcpy(&vorher, &Tarife, sizeof Tarife);

    const struct {
        TTarifEingabe eingabe;
        TTarifErgebnis::Art art;
        TTarifErgebnis::Feld feld;
        const char* meldung;
    } faelle[] = {
        { Eingabe(QString()), TTarifErgebnis::NameLeer, TTarifErgebnis::FeldName,
            "Bitte geben Sie einen Namen für den Tarif ein." },
        { Eingabe(QStringLiteral("   ")), TTarifErgebnis::NameLeer, TTarifErgebnis::FeldName,
            "Bitte geben Sie einen Namen für den Tarif ein." },
        { Eingabe(QStringLiteral("Alt")), TTarifErgebnis::NameVergeben, TTarifErgebnis::FeldName,
            "Ein Tarif mit diesem Namen existiert bereits." },
        { Eingabe(QStringLiteral("Neu"), QString()), TTarifErgebnis::KeineZahl, TTarifErgebnis::FeldPreis,
            "'' ist kein gültiger Fließkommawert" },
        { Eingabe(QStringLiteral("Neu"), QStringLiteral("4.8")), TTarifErgebnis::KeineZahl,
            TTarifErgebnis::FeldPreis, "'4.8' ist kein gültiger Fließkommawert" },
        // The last field wrong: nothing of the earlier ones is stored either.
        { Eingabe(QStringLiteral("Neu"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("neun")),
            TTarifErgebnis::KeineZahl, TTarifErgebnis::FeldGrundpreis,
            "'neun' ist kein gültiger Fließkommawert" },
        // Two wrong fields: the first one is named.
        { Eingabe(QStringLiteral("Neu"), QStringLiteral("1"), QStringLiteral("x"), QStringLiteral("y")),
            TTarifErgebnis::KeineZahl, TTarifErgebnis::FeldEinwahl, "'x' ist kein gültiger Fließkommawert" },
        // A negative price would make bills negative.
        { Eingabe(QStringLiteral("Neu"), QStringLiteral("-0,01")), TTarifErgebnis::Negativ,
            TTarifErgebnis::FeldPreis, "Preis / Minute: bitte eine Zahl ab 0 eingeben" },
        { Eingabe(QStringLiteral("Neu"), QStringLiteral("0"), QStringLiteral("-6")), TTarifErgebnis::Negativ,
            TTarifErgebnis::FeldEinwahl, "Einwahlkosten: bitte eine Zahl ab 0 eingeben" },
        { Eingabe(QStringLiteral("Neu"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("-1e3")),
            TTarifErgebnis::Negativ, TTarifErgebnis::FeldGrundpreis,
            "Grundgebühr / Monat: bitte eine Zahl ab 0 eingeben" },
    };
    for (const auto& f : faelle) {
        for (const bool neu : { true, false }) {
            const TTarifErgebnis e = neu ? NeuerTarif(f.eingabe) : TarifAendern(1, f.eingabe);
            if (!neu && f.art == TTarifErgebnis::NameVergeben) {
                EXPECT_TRUE(e.Ok()) << "keeping its own name is no duplicate";
                std::memcpy(&Tarife, &vorher, sizeof Tarife);
                continue;
            }
            EXPECT_EQ(e.art, f.art) << f.meldung;
            EXPECT_EQ(e.feld, f.feld) << f.meldung;
            EXPECT_EQ(e.Meldung(f.eingabe), QString::fromUtf8(f.meldung));
            EXPECT_EQ(std::memcmp(&vorher, &Tarife, sizeof Tarife), 0) << f.meldung;
        }
    }
}

TEST_F(Tarifverwaltung, NoSlotLeftForTheHundredthTariff)
{
    for (int k = 1; k <= MaxTarife; ++k)
        Belege(k, QStringLiteral("T%1").arg(k));
    TTarifTabelle vorher;
    std::memcpy(&vorher, &Tarife, sizeof Tarife);
    const TTarifErgebnis e = NeuerTarif(Eingabe(QStringLiteral("Hundert")));
    EXPECT_EQ(e.art, TTarifErgebnis::KeinPlatz);
    EXPECT_EQ(e.Meldung({}), "Es gibt schon 99 Tarife! Sie können keinen weiteren hinzufügen!");
    EXPECT_EQ(std::memcmp(&vorher, &Tarife, sizeof Tarife), 0);
}

TEST_F(Tarifverwaltung, EditingKeepsTheSlotAndLeavesAktTarifAlone)
{
    Belege(1, QStringLiteral("Eins"));
    Belege(2, QStringLiteral("Zwei"), 4.8, 0, 0);
    ASSERT_TRUE(TarifWaehlen(2));
    EXPECT_EQ(Daten.Benutzer[1].TarifNr, 2);
    EXPECT_EQ(AktTarif.Preis, 4.8);

    const TTarifErgebnis e = TarifAendern(2, Eingabe(QStringLiteral("Zwei neu"), QStringLiteral("2,5")));
    ASSERT_TRUE(e.Ok());
    EXPECT_EQ(e.Slot, 2);
    EXPECT_EQ(Tarife[2].Name.Text(), "Zwei neu");
    EXPECT_EQ(Tarife[2].Preis, 2.5);
    EXPECT_EQ(TarifNamen(), (QStringList { "Eins", "Zwei neu" }));
    // Pricing goes on with the old copy until the tariff is chosen again.
    EXPECT_EQ(AktTarif.Preis, 4.8);
    EXPECT_EQ(AktTarif.Name.Text(), "Zwei");
    ASSERT_TRUE(TarifWaehlen(2));
    EXPECT_EQ(AktTarif.Preis, 2.5);
    EXPECT_EQ(AktTarif.Name.Text(), "Zwei neu");

    // Renaming to another tariff's name is refused; a freed slot cannot be edited.
    EXPECT_EQ(TarifAendern(2, Eingabe(QStringLiteral("Eins"))).art, TTarifErgebnis::NameVergeben);
    TarifLoeschen(1);
    EXPECT_EQ(TarifAendern(1, Eingabe(QStringLiteral("Wieder"))).art, TTarifErgebnis::NichtGefunden);
    EXPECT_TRUE(Tarife[1].Name.Leer());
}

TEST_F(Tarifverwaltung, ARenameItsRulesCannotFollowIsRefused)
{
    Belege(1, QStringLiteral("Eins"));
    ASSERT_TRUE(SchreibeRegeldatei(QStringLiteral("Eins"), "Mo-Fr 08:00-18:00 0,10").Ok);
    // A folder under the new name takes no file.
    ASSERT_TRUE(QDir().mkpath(RegelPfad(QStringLiteral("Neu"))));

    const TTarifErgebnis e = TarifAendern(1, Eingabe(QStringLiteral("Neu"), QStringLiteral("2,5")));
    EXPECT_EQ(e.art, TTarifErgebnis::RegelnBleiben);
    EXPECT_TRUE(e.Meldung(Eingabe(QStringLiteral("Neu"))).contains(QStringLiteral("Neu.rst")));
    EXPECT_EQ(Tarife[1].Name.Text(), "Eins");
    EXPECT_EQ(Tarife[1].Preis, 1);
    EXPECT_EQ(LeseRegeldatei(QStringLiteral("Eins")).Inhalt, "Mo-Fr 08:00-18:00 0,10");
}

TEST_F(Tarifverwaltung, DeletingChangesNeitherTarifNrNorAktTarif)
{
    Belege(1, QStringLiteral("Eins"), 4.8, 6, 9.9);
    Belege(2, QStringLiteral("Zwei"));
    ASSERT_TRUE(TarifWaehlen(1));
    TarifLoeschen(1);
    EXPECT_TRUE(Tarife[1].Name.Leer());
    EXPECT_EQ(Tarife[1].Preis, 0.0);
    EXPECT_EQ(Tarife[1].Einwahl, 0.0);
    EXPECT_EQ(Tarife[1].Grundpreis, 0.0);
    EXPECT_EQ(Daten.Benutzer[1].TarifNr, 1);
    EXPECT_EQ(AktTarif.Preis, 4.8);
    EXPECT_EQ(TarifDesAktBenutzers(), 1);

    // The slot number now copies an empty tariff, and later the one that takes it.
    SetzeAktTarif(Daten.Benutzer[1].TarifNr);
    EXPECT_TRUE(AktTarif.Name.Leer());
    ASSERT_EQ(NeuerTarif(Eingabe(QStringLiteral("Nachfolger"))).Slot, 1);
    SetzeAktTarif(Daten.Benutzer[1].TarifNr);
    EXPECT_EQ(AktTarif.Name.Text(), "Nachfolger");

    AlleTarifeLoeschen();
    EXPECT_TRUE(TarifNamen().isEmpty());
    EXPECT_EQ(ErsterFreierTarif(), 1);
    EXPECT_EQ(Daten.Benutzer[1].TarifNr, 1);
}

TEST_F(Tarifverwaltung, ChoosingNeedsASlotAndACurrentUser)
{
    Belege(5, QStringLiteral("Fünf"), 1.2);
    EXPECT_FALSE(TarifWaehlen(0));
    EXPECT_FALSE(TarifWaehlen(100));
    AktBenutzer = 0;
    EXPECT_FALSE(TarifWaehlen(5));
    EXPECT_EQ(TarifDesAktBenutzers(), 0);
    EXPECT_TRUE(AktTarif.Name.Leer());
    AktBenutzer = 1;
    EXPECT_TRUE(TarifWaehlen(5));
    EXPECT_EQ(Daten.Benutzer[1].TarifNr, 5);
    EXPECT_EQ(AktTarif.Name.Text(), "Fünf");
}

} // namespace
