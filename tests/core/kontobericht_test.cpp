#include "core/KontoBericht.h"
#include "support/Testumgebung.h"

#include <QRegularExpression>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct KontoBericht : ::testing::Test {
    TTestumgebung umgebung;
    std::unique_ptr<TMonat> monat = std::make_unique<TMonat>();
    int anzahl = 0;

    KontoBericht() { std::memset(monat.get(), 0, sizeof(TMonat)); }

    TVerbindung& Eintrag(TDateTime datum, TDateTime dauer, double kosten, const QString& tarif = "Abend")
    {
        TVerbindung& v = monat->Verbindungen[anzahl++];
        v.Tarif.Setze(tarif);
        v.Datum = datum;
        v.Dauer = dauer;
        v.Kosten = kosten;
        return v;
    }

    static TDateTime Am(int tag, int monat, int stunde, int minute, int sekunde = 0, int jahr = 2000)
    {
        return EncodeDate(jahr, monat, tag) + EncodeTime(stunde, minute, sekunde, 0);
    }
    static TDateTime Minuten(int n) { return EncodeTime(0, n, 0, 0); }
};

} // namespace

TEST_F(KontoBericht, TwoDaysNewestFirstWithDaySumsAndMonthTotal)
{
    Eintrag(Am(1, 3, 9, 5), Minuten(10), 0.5);
    Eintrag(Am(1, 3, 18, 40), Minuten(20), 1.0);
    Eintrag(Am(2, 3, 10, 15), Minuten(10), 0.5, QStringLiteral("Früh & Spät"));

    const TKontoBericht b = BaueKontoBericht(*monat, 0);
    EXPECT_EQ(b.Zeilen,
        (QStringList {
            "  Am 2.3.: 0.50 DM",
            "Datum: 02.03.2000 10:15:00    Dauer: 00:10:00    Kosten: 0.50 DM    Tarif: Früh & Spät",
            "  Am 1.3.: 1.50 DM",
            "Datum: 01.03.2000 18:40:00    Dauer: 00:20:00    Kosten: 1.00 DM    Tarif: Abend",
            "Datum: 01.03.2000 09:05:00    Dauer: 00:10:00    Kosten: 0.50 DM    Tarif: Abend",
        }));
    EXPECT_EQ(b.Summe, "Im Monat: 2 DM - 00:40:00");
}

TEST_F(KontoBericht, EmptyMonthShowsOnlyTheRoundedBaseFee)
{
    EXPECT_TRUE(BaueKontoBericht(*monat, 0).Zeilen.isEmpty());
    EXPECT_EQ(BaueKontoBericht(*monat, 0).Summe, "Im Monat: 0 DM - 00:00:00");
    EXPECT_EQ(BaueKontoBericht(*monat, 9.9).Summe, "Im Monat: 9,9 DM - 00:00:00");
    EXPECT_EQ(BaueKontoBericht(*monat, 4.994).Summe, "Im Monat: 4,99 DM - 00:00:00");
}

TEST_F(KontoBericht, LinesRoundHalvesAwayWhileTheTotalRoundsOnceToEven)
{
    Eintrag(Am(7, 5, 12, 0), Minuten(1), 0.125);
    const TKontoBericht b = BaueKontoBericht(*monat, 0);
    ASSERT_EQ(b.Zeilen.size(), 2);
    EXPECT_EQ(b.Zeilen[0], "  Am 7.5.: 0.13 DM");
    EXPECT_TRUE(b.Zeilen[1].contains("Kosten: 0.13 DM")) << b.Zeilen[1].toStdString();
    EXPECT_EQ(b.Summe, "Im Monat: 0,12 DM - 00:01:00");

    // Three lines of 0.13 would add up to 0.39; the total rounds the sum 0.375 itself.
    Eintrag(Am(7, 5, 13, 0), Minuten(1), 0.125);
    Eintrag(Am(7, 5, 14, 0), Minuten(1), 0.125);
    EXPECT_EQ(BaueKontoBericht(*monat, 0).Summe, "Im Monat: 0,38 DM - 00:03:00");
    // The base fee joins before rounding.
    EXPECT_EQ(BaueKontoBericht(*monat, 10).Summe, "Im Monat: 10,38 DM - 00:03:00");
}

TEST_F(KontoBericht, ConnectionEndingJustAfterMidnightShowsTheDateAlone)
{
    Eintrag(EncodeDate(2000, 3, 5) + EncodeTime(0, 0, 0, 400), Minuten(30), 1.2);
    Eintrag(Am(5, 3, 0, 0, 1), Minuten(1), 0.1);
    const TKontoBericht b = BaueKontoBericht(*monat, 0);
    ASSERT_EQ(b.Zeilen.size(), 3);
    EXPECT_TRUE(b.Zeilen[1].startsWith("Datum: 05.03.2000 00:00:01    Dauer: 00:01:00"));
    EXPECT_TRUE(b.Zeilen[2].startsWith("Datum: 05.03.2000    Dauer: 00:30:00")) << b.Zeilen[2].toStdString();
}

TEST_F(KontoBericht, EmptyTarifEndsTheList)
{
    Eintrag(Am(1, 6, 10, 0), Minuten(5), 0.25);
    Eintrag(Am(2, 6, 10, 0), Minuten(5), 0.25);
    anzahl++; // a free entry (a connection logged without a tariff)
    Eintrag(Am(3, 6, 10, 0), Minuten(5), 7.0);

    const TKontoBericht b = BaueKontoBericht(*monat, 0);
    EXPECT_EQ(b.Zeilen.size(), 4);
    EXPECT_FALSE(b.Zeilen.join('\n').contains("03.06.2000"));
    EXPECT_EQ(b.Summe, "Im Monat: 0,5 DM - 00:10:00");
}

TEST_F(KontoBericht, FullSlotShowsAll600Entries)
{
    // 20 connections a day over 30 days, 6 minutes each at 0.10 DM.
    for (int tag = 1; tag <= 30; ++tag)
        for (int i = 0; i < 20; ++i)
            Eintrag(Am(tag, 4, 1 + i, 0), Minuten(6), 0.1);
    ASSERT_EQ(anzahl, MaxVerbindungen);

    const TKontoBericht b = BaueKontoBericht(*monat, 0);
    ASSERT_EQ(b.Zeilen.size(), 630);
    EXPECT_EQ(b.Zeilen.first(), "  Am 30.4.: 2.00 DM");
    EXPECT_TRUE(b.Zeilen[1].startsWith("Datum: 30.04.2000 20:00:00"));
    EXPECT_TRUE(b.Zeilen.last().startsWith("Datum: 01.04.2000 01:00:00"));
    EXPECT_EQ(b.Zeilen.filter(QRegularExpression("^  Am ")).size(), 30);
    EXPECT_EQ(b.Summe, "Im Monat: 60 DM - 60:00:00");
}

TEST_F(KontoBericht, DaysCostingNothingKeepTheirDayLine)
{
    Eintrag(Am(1, 3, 10, 0), Minuten(1), 0.3);
    Eintrag(Am(2, 3, 10, 0), 0, 0, QStringLiteral("Frei"));
    Eintrag(Am(3, 3, 10, 0), Minuten(1), 0.3);
    Eintrag(Am(4, 3, 10, 0), 0, 0, QStringLiteral("Frei"));
    Eintrag(Am(4, 3, 11, 0), 0, 0, QStringLiteral("Frei"));

    const QStringList z = BaueKontoBericht(*monat, 0).Zeilen;
    ASSERT_EQ(z.size(), 9);
    EXPECT_EQ(z[0], "  Am 4.3.: 0.00 DM");
    EXPECT_EQ(z[3], "  Am 3.3.: 0.30 DM");
    EXPECT_EQ(z[5], "  Am 2.3.: 0.00 DM");
    EXPECT_EQ(z[7], "  Am 1.3.: 0.30 DM");
}

TEST_F(KontoBericht, EachCalendarDateIsItsOwnDay)
{
    // A slot that went on receiving connections after its month had ended, and the
    // same day number in the next month.
    Eintrag(Am(30, 3, 20, 0), Minuten(10), 1.0);
    Eintrag(Am(31, 3, 20, 0), Minuten(10), 2.0);
    Eintrag(Am(1, 4, 20, 0), Minuten(10), 4.0);
    Eintrag(Am(2, 4, 20, 0), Minuten(10), 8.0);
    Eintrag(Am(2, 4, 21, 0), Minuten(10), 8.0);
    Eintrag(Am(2, 5, 20, 0), Minuten(10), 16.0);

    const QStringList tage = BaueKontoBericht(*monat, 0).Zeilen.filter(QRegularExpression("^  Am "));
    EXPECT_EQ(tage,
        (QStringList { "  Am 2.5.: 16.00 DM", "  Am 2.4.: 16.00 DM", "  Am 1.4.: 4.00 DM",
            "  Am 31.3.: 2.00 DM", "  Am 30.3.: 1.00 DM" }));
}

TEST_F(KontoBericht, DurationsCountHoursInTotal)
{
    Eintrag(Am(10, 8, 23, 0), EncodeTime(25, 3, 0, 0), 50.0);
    TKontoBericht b = BaueKontoBericht(*monat, 0);
    EXPECT_TRUE(b.Zeilen[1].contains("    Dauer: 25:03:00    ")) << b.Zeilen[1].toStdString();
    EXPECT_EQ(b.Summe, "Im Monat: 50 DM - 25:03:00");

    anzahl = 0;
    for (int i = 0; i < 30; ++i)
        Eintrag(Am(1 + i, 8, 12, 0), EncodeTime(1, 0, 0, 0), 1.0);
    EXPECT_EQ(BaueKontoBericht(*monat, 0).Summe, "Im Monat: 30 DM - 30:00:00");
}

TEST(KontoBerichtNamen, MonthNamesMatchExactly)
{
    EXPECT_EQ(MonatNummer(QStringLiteral("März")), 3);
    EXPECT_EQ(MonatNummer(QStringLiteral("Dezember")), 12);
    EXPECT_EQ(MonatNummer(QStringLiteral("dezember")), 1);
    EXPECT_EQ(MonatNummer(QStringLiteral("Maerz")), 1);
    EXPECT_EQ(MonatNummer(QString()), 1);
}

TEST(KontoBerichtNamen, ReportYearComesFromTodayAlone)
{
    const TDateTime januar = EncodeDate(2001, 1, 15) + 0.5;
    EXPECT_EQ(BerichtsJahr(januar, 12), 2000);
    EXPECT_EQ(BerichtsJahr(januar, 1), 2001);
    EXPECT_EQ(BerichtsJahr(EncodeDate(2001, 6, 30), 6), 2001);
    EXPECT_EQ(BerichtsJahr(EncodeDate(2001, 6, 30), 7), 2000);
    EXPECT_EQ(BerichtsUeberschrift(3, 2000), "März 2000");
    EXPECT_EQ(BerichtsDokumentName(12, 2000), "Dezember2000");
}
