// The metering's logging step writes into the connection log after "Daten.kwd"; a write
// that fails there is taken over at the next start, once.
#include "core/Messung.h"
#include "core/Verlaufseintrag.h"
#include "runtime/Format.h"
#include "store/Startablauf.h"
#include "support/Testumgebung.h"

#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr TDateTime Sekunde = 1.0 / 86'400;

class VerlaufImLauf : public ::testing::Test {
protected:
    void SetUp() override
    {
        FormatSettings = DeutscheFormate();
        std::memset(&Daten, 0, sizeof Daten);
        Daten.BenutzerAnzahl = 1;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        AktBenutzer = 1;
        AktTarif = TTarif {};
        AktTarif.Name.Setze(QStringLiteral("Tag"));
        AktTarif.Preis = 6;
        WechsleMonat(3);
        ASSERT_EQ(OeffneVerlaufBeimStart(), QString());
        messung.Freigeben();
    }
    void TearDown() override { Verlauf().Schliesse(); }
    // A connection of 'sekunden' that begins now.
    void Verbindung(int sekunden)
    {
        messung.Verbunden();
        wand += sekunden * Sekunde;
        mono += sekunden * 1000;
        messung.Tick();
        messung.Getrennt();
        wand += 60 * Sekunde;
    }
    std::vector<TVerlaufsEintrag> Zeilen() const
    {
        return Verlauf().Verbindungen(QStringLiteral("Anna"), EncodeDate(2026, 3, 1), EncodeDate(2026, 4, 1));
    }

    TTestumgebung umgebung; // its own data folder, as KOSTENWOLF_DATA_DIR
    TDateTime wand = EncodeDate(2026, 3, 14) + EncodeTime(9, 0, 0, 0);
    int64_t mono = 5'000;
    TMessung messung { [this] { return wand; }, [this] { return mono; }, [] { return TSpeicherErgebnis {}; },
        [this] { return mono; } };
};

TEST_F(VerlaufImLauf, JedeProtokollierteVerbindungKommtEinmalInDenVerlauf)
{
    Verbindung(125);
    ASSERT_EQ(Zeilen().size(), 1u);
    const TVerlaufsEintrag erste = Zeilen()[0];
    EXPECT_EQ(erste.Beginn, EncodeDate(2026, 3, 14) + EncodeTime(9, 0, 0, 0));
    EXPECT_DOUBLE_EQ(erste.Sekunden, 125);
    EXPECT_DOUBLE_EQ(erste.Kosten, 0.18);
    EXPECT_EQ(erste.Tarif, QStringLiteral("Tag"));
    EXPECT_EQ(erste.Quelle, QuelleMessung);

    // The log cannot be written this time; "Daten.kwd" has the connection all the same.
    Verlauf().Schliesse();
    Verbindung(30);
    ASSERT_EQ(AnzahlVerbindungen(Daten.Benutzer[1].Monate[3]), 2);

    // The next start takes it over, and only it, however often it runs.
    ASSERT_EQ(OeffneVerlaufBeimStart(), QString());
    UebernimmDatenInVerlauf();
    UebernimmDatenInVerlauf();
    const std::vector<TVerlaufsEintrag> zeilen = Zeilen();
    ASSERT_EQ(zeilen.size(), 2u);
    EXPECT_EQ(zeilen[0].Quelle, QuelleMessung);
    EXPECT_EQ(zeilen[1].Quelle, QuelleDaten);
    EXPECT_DOUBLE_EQ(zeilen[1].Kosten, 0.06);
}

// The volume a month includes counts every run's connections of it: the log holds them.
TEST_F(VerlaufImLauf, DasMonatsvolumenKommtAusDemVerlauf)
{
    Volumenbuch().Leere();
    for (const TDateTime beginn : { EncodeDate(2026, 3, 2), EncodeDate(2026, 2, 28) }) {
        TVerlaufsEintrag e;
        e.Benutzer = QStringLiteral("Anna");
        e.Beginn = e.Ende = beginn;
        e.RxBytes = 4'500'000; // the sent bytes unknown
        ASSERT_TRUE(Verlauf().Schreibe(e));
    }
    EXPECT_EQ(MonatsvolumenBisher(1, MonatsIndex(wand)), 4'500'000u);
    // A connection logged since is read anew.
    messung.SetzeByteLeser([n = 0u]() mutable { return TBytestand { 200'000u * n++, 0 }; });
    Verbindung(10);
    EXPECT_EQ(MonatsvolumenBisher(1, MonatsIndex(wand)), 4'700'000u);
    Volumenbuch().Leere();
}

} // namespace
