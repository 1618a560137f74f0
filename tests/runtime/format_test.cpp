#include "runtime/Codepage.h"
#include "runtime/Datum.h"
#include "runtime/Format.h"
#include "runtime/ShortString.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

// The number and date texts follow the global format settings: every test that reads
// them sets German ones and leaves what it found.
class Deutsch : public ::testing::Test {
protected:
    TFormatSettings Vorher = FormatSettings;
    void SetUp() override { FormatSettings = DeutscheFormate(); }
    void TearDown() override { FormatSettings = Vorher; }
};

using AmountText = Deutsch;
TEST_F(AmountText, GeneralFormat)
{
    const struct {
        double wert;
        const char* text;
    } faelle[] = {
        { 0.5, "0,5" },
        { 2, "2" },
        { 0, "0" },
        { 11.91, "11,91" },
        { -11.91, "-11,91" },
        { 0.1 + 0.2, "0,3" },
        { 1.0 / 3, "0,333333333333333" },
        { 123456789012345.0, "123456789012345" },
        { 1234567890123456.0, "1,23456789012346E15" },
        { 0.00001, "0,00001" },
        { 0.000012, "0,000012" },
        { 0.000001, "1E-6" },
        { 0.0000015, "1,5E-6" },
        { -0.000001, "-1E-6" },
        { 100, "100" },
        { 6.05, "6,05" },
    };
    for (const auto& f : faelle)
        EXPECT_EQ(FloatToStr(f.wert).toStdString(), f.text) << f.wert;
}

TEST_F(AmountText, FollowsTheDecimalSeparator)
{
    FormatSettings.DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(FloatToStr(11.91), "11.91");
    EXPECT_EQ(FloatToStr(0.0000015), "1.5E-6");
}

using FixedAmount = Deutsch;
TEST_F(FixedAmount, TwoDecimalsHalvesAwayFromZero)
{
    const struct {
        double wert;
        const char* text;
    } faelle[] = {
        { 0.125, "0.13" },
        { -0.125, "-0.13" },
        { 2.675, "2.67" },
        { 0, "0.00" },
        { 1, "1.00" },
        { 0.5, "0.50" },
        { 0.005, "0.01" },
        { 0.004999, "0.00" },
        { 9.995, "9.99" },
        { 9.9951, "10.00" },
        { 99.999, "100.00" },
        { 1234567.891, "1234567.89" },
        { -0.001, "-0.00" },
        { 1e-20, "0.00" },
        { 12.3, "12.30" },
        { 0.48 + 0.53, "1.01" },
        { 1e20, "100000000000000000000.00" },
    };
    for (const auto& f : faelle)
        EXPECT_EQ(FestBetrag(f.wert).toStdString(), f.text) << f.wert;
    FormatSettings.DecimalSeparator = QLatin1Char(',');
    EXPECT_EQ(FestBetrag(0.5), "0.50"); // a point whatever the locale
}

using Rounding = Deutsch;
TEST_F(Rounding, TiesToEvenInExtendedPrecision)
{
    EXPECT_EQ(Runde(2.5L), 2);
    EXPECT_EQ(Runde(3.5L), 4);
    EXPECT_EQ(Runde(-2.5L), -2);
    EXPECT_EQ(Runde(7.5L), 8);
    EXPECT_EQ(Runde(52.8L), 53);
    EXPECT_EQ(Runde(0.49999L), 0);
    EXPECT_EQ(Runde(12.5L), 12);
    EXPECT_EQ(Runde(1e12L), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Runde(-1e12L), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Runde(std::numeric_limits<long double>::quiet_NaN()), 0);
    // 11 minutes at 4.8 is 52.8 only in extended precision; the double product is 52.800000000000004
    EXPECT_EQ(Runde(11.0L * 4.8L), 53);
    EXPECT_DOUBLE_EQ(AufPfennig(0.48 + 0.53 + 1 + 9.9L), 11.91);
    EXPECT_EQ(FloatToStr(AufPfennig(0.125L)), "0,12");
}

using DateTime = Deutsch;
TEST_F(DateTime, EncodeDecodeRoundTrip)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2000, 3, 1), 36586);
    for (int j : { 1900, 1999, 2000, 2024, 2100 })
        for (int m = 1; m <= 12; ++m)
            for (int t : { 1, 28 }) {
                int jj, mm, tt;
                DecodeDate(EncodeDate(j, m, t) + 0.75, jj, mm, tt);
                EXPECT_EQ(jj, j);
                EXPECT_EQ(mm, m);
                EXPECT_EQ(tt, t);
            }
}

TEST_F(DateTime, SplitsRoundingToMilliseconds)
{
    int h, n, s, ms;
    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
    // 0.4 ms rounds down, 0.6 ms up; a whole day's worth rolls into the next day
    EXPECT_EQ(ZerlegeZeit(0.4 / MSecsPerDay).MSek, 0);
    EXPECT_EQ(ZerlegeZeit(0.6 / MSecsPerDay).MSek, 1);
    const TZeitTeile t = ZerlegeZeit(1 + EncodeTime(1, 3, 0, 0));
    EXPECT_EQ(t.Tage, 1);
    EXPECT_EQ(t.Stunde, 1);
    EXPECT_EQ(t.Minute, 3);
}

TEST_F(DateTime, Texts)
{
    const TDateTime d = EncodeDate(2000, 3, 2) + EncodeTime(10, 15, 0, 0);
    EXPECT_EQ(DateToStr(d), "02.03.2000");
    EXPECT_EQ(TimeToStr(d), "10:15:00");
    EXPECT_EQ(DateTimeToStr(d), "02.03.2000 10:15:00");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2000, 3, 2)), "02.03.2000");
    // 500 ms after midnight: hours, minutes and seconds are zero, so the time is left out
    EXPECT_EQ(DateTimeToStr(EncodeDate(2000, 3, 2) + EncodeTime(0, 0, 0, 500)), "02.03.2000");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2000, 3, 2) + EncodeTime(0, 0, 1, 0)), "02.03.2000 00:00:01");
    EXPECT_EQ(TimeToStr(EncodeTime(0, 5, 12, 0)), "00:05:12");
    EXPECT_EQ(TimeToStr(1 + EncodeTime(1, 3, 0, 0)), "01:03:00");
}

TEST_F(DateTime, DurationsCountTotalHours)
{
    EXPECT_EQ(DauerToStr(EncodeTime(0, 5, 12, 0)), "00:05:12");
    EXPECT_EQ(DauerToStr(1 + EncodeTime(1, 3, 0, 0)), "25:03:00");
    EXPECT_EQ(DauerToStr(30 * EncodeTime(1, 0, 0, 0)), "30:00:00");
    EXPECT_EQ(DauerToStr(5.0), "120:00:00");
    EXPECT_EQ(DauerToStr(0), "00:00:00");
}

TEST_F(DateTime, OtherFormats)
{
    FormatSettings.ShortDateFormat = QStringLiteral("m/d/yy");
    FormatSettings.LongTimeFormat = QStringLiteral("h:nn:ss ampm");
    const TDateTime d = EncodeDate(2005, 3, 2) + EncodeTime(13, 5, 9, 0);
    EXPECT_EQ(DateTimeToStr(d), "3/2/05 1:05:09 PM");
    EXPECT_EQ(TimeToStr(EncodeTime(0, 1, 0, 0)), "12:01:00 AM");
    EXPECT_EQ(DauerToStr(1 + EncodeTime(1, 0, 0, 0)), "25:00:00");
}

TEST(Clock, CanBeSet)
{
    SetzeUhr(EncodeDate(2001, 1, 1));
    EXPECT_EQ(Now(), EncodeDate(2001, 1, 1));
    SetzeUhr(std::nullopt);
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}

TEST(CodePage, Windows1252BothWays)
{
    const QString text = QStringLiteral("Größe € „Ä“ – ÿ");
    const std::string bytes = NachWindows1252(text);
    EXPECT_EQ(bytes,
        "Gr\xF6\xDF"
        "e \x80 \x84\xC4\x93 \x96 \xFF");
    EXPECT_EQ(AusWindows1252(bytes), text);
    EXPECT_EQ(NachWindows1252(QStringLiteral("Ωx😀")), "?x?");
    std::string alle;
    for (int b = 0; b < 256; ++b)
        alle += char(b);
    EXPECT_EQ(NachWindows1252(AusWindows1252(alle)), alle);
}

TEST(ShortStringTest, CutsKeepsTailAndClampsLength)
{
    TShortString<5> s;
    std::memset(&s, 'x', sizeof s);
    s.Setze(QStringLiteral("äbcdefg"));
    EXPECT_EQ(s.Laenge, 5);
    EXPECT_EQ(s.Text(), "äbcde");
    EXPECT_EQ(static_cast<unsigned char>(s.Zeichen[0]), 0xE4);
    s.Setze(QStringLiteral("ab"));
    EXPECT_EQ(s.Text(), "ab");
    EXPECT_EQ(s.Zeichen[2], 'c'); // the bytes behind the text stay
    s.Laenge = 200; // damaged
    EXPECT_EQ(s.Text().size(), 5);
    s.Begrenze();
    EXPECT_EQ(s.Laenge, 5);
}

} // namespace

// A failing comparison shows the text, not the bytes of the object.
TEST(QStringInFailures, PrintsAsText)
{
    EXPECT_EQ(::testing::PrintToString(QStringLiteral("Grüße: 5,00 DM")), "\"Grüße: 5,00 DM\"");
    EXPECT_EQ(::testing::PrintToString(QStringList { QStringLiteral("a"), QStringLiteral("b") }),
        "{ \"a\", \"b\" }");
}
