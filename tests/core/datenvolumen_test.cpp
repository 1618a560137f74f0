#include "core/Datenvolumen.h"
#include "runtime/Format.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using Lesung = std::optional<TBytestand>;
constexpr std::uint64_t Max32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint64_t Max64 = std::numeric_limits<std::uint64_t>::max();

TEST(Bytezaehler, SumsTheIncreasesOfEachCounter)
{
    struct Fall {
        const char* name;
        std::vector<Lesung> lesungen;
        Lesung summe;
    };
    const std::vector<Fall> faelle {
        { "no reading at all stays unknown", {}, std::nullopt },
        { "a source that never tells stays unknown", { std::nullopt, std::nullopt }, std::nullopt },
        { "a first reading above zero is the base", { TBytestand { 5000, 700 } }, TBytestand {} },
        { "increases add up",
            { TBytestand { 5000, 700 }, TBytestand { 6000, 900 }, TBytestand { 9000, 900 } },
            TBytestand { 4000, 200 } },
        { "a counter that goes down restarted: its new value counts from zero",
            { TBytestand { 5000, 700 }, TBytestand { 8000, 800 }, TBytestand { 300, 50 },
                TBytestand { 1300, 60 } },
            TBytestand { 4300, 160 } },
        { "one counter restarting leaves the other", { TBytestand { 100, 100 }, TBytestand { 40, 300 } },
            TBytestand { 40, 200 } },
        { "a 32-bit wrap is no jump of 2^32", { TBytestand { Max32 - 10, 0 }, TBytestand { 20, 0 } },
            TBytestand { 20, 0 } },
        { "a 64-bit counter near its end",
            { TBytestand { Max64 - 10, 0 }, TBytestand { Max64, 0 }, TBytestand { 5, 0 } },
            TBytestand { 15, 0 } },
        { "a tick without reading skips, the next counts from the last known",
            { TBytestand { 100, 10 }, std::nullopt, TBytestand { 400, 30 } }, TBytestand { 300, 20 } },
        { "unknown at first, known later: counted from the first known",
            { std::nullopt, TBytestand { 100, 10 }, TBytestand { 150, 15 } }, TBytestand { 50, 5 } },
    };
    for (const Fall& f : faelle) {
        TBytezaehler z;
        for (const Lesung& l : f.lesungen)
            z.Lies(l);
        EXPECT_EQ(z.Summe(), f.summe) << f.name;
    }
}

TEST(Volumenpreis, StartedBlocksBeyondTheIncludedVolume)
{
    const TVolumenpreis tarif { 50, 1 * MB, 5 * GB };
    struct Fall {
        const char* name;
        TVolumenpreis tarif;
        std::uint64_t vorher, volumen, bloecke;
    };
    const std::vector<Fall> faelle {
        { "no volume price", TVolumenpreis {}, 0, 3 * GB, 0 },
        { "nothing used", { 50, MB, 0 }, 0, 0, 0 },
        { "the first byte starts a block", { 50, MB, 0 }, 0, 1, 1 },
        { "a full block", { 50, MB, 0 }, 0, MB, 1 },
        { "one byte more starts the next", { 50, MB, 0 }, 0, MB + 1, 2 },
        { "within the included volume", tarif, 4 * GB, GB, 0 },
        { "included volume crossed inside the connection", tarif, 4 * GB, GB + 2 * MB + 1, 3 },
        { "included volume used up before", tarif, 6 * GB, 10 * MB, 10 },
        { "no byte counts twice against the included volume", tarif, 5 * GB - 1, 1, 0 },
        { "huge volumes do not overflow", { 50, GB, 0 }, Max64, Max64, Max64 / GB + 1 },
    };
    for (const Fall& f : faelle)
        EXPECT_EQ(VolumenBloecke(f.tarif, f.vorher, f.volumen), f.bloecke) << f.name;
    EXPECT_DOUBLE_EQ(VolumenKosten(tarif, 4 * GB, GB + 2 * MB + 1), 150);
}

TEST(Datenvolumen, TextsAndTheMonthsBook)
{
    FormatSettings = DeutscheFormate();
    EXPECT_EQ(VolumenText(12'345'678), "12,3 MB");
    EXPECT_EQ(VolumenText(850'049), "850,0 kB");
    EXPECT_EQ(VolumenText(1'234'567'890, 2), "1,23 GB");
    EXPECT_EQ(VolumenText(Lesung {}), "–");
    EXPECT_EQ(InklusivText(1'230'000'000, 5 * GB), "Inklusivvolumen: 1,2 von 5,0 GB");
    EXPECT_EQ(MonatsvolumenText(1'234'000'000), "Datenvolumen im Monat: 1,23 GB");

    struct Eingabe {
        const char* text;
        std::optional<std::uint64_t> bytes;
    };
    for (const Eingabe& e : std::vector<Eingabe> { { "1500000", 1'500'000 }, { "1,5 MB", 1'500'000 },
             { "1.5mb", 1'500'000 }, { "500 kB", 500'000 }, { "5 GB", 5 * GB }, { "0,001 kB", 1 },
             { "2,50 MB", 2'500'000 }, { "0,0001 kB", std::nullopt }, { "0", std::nullopt },
             { "-1 MB", std::nullopt }, { "1 TB", std::nullopt }, { "99999999999 GB", std::nullopt } }) {
        std::uint64_t bytes = 0;
        const auto fehler = LiesVolumen(QString::fromUtf8(e.text), true, bytes);
        EXPECT_EQ(fehler ? std::nullopt : std::optional(bytes), e.bytes) << e.text;
        if (!e.bytes)
            continue;
        EXPECT_EQ(LiesVolumen(VolumenEingabeText(*e.bytes), true, bytes), std::nullopt) << e.text;
        EXPECT_EQ(bytes, *e.bytes) << "read back from " << VolumenEingabeText(*e.bytes).toStdString();
    }
    EXPECT_EQ(VolumenEingabeText(1'500'000), "1,5 MB");
    EXPECT_EQ(VolumenEingabeText(500'001), "500,001 kB");

    TVolumenbuch buch;
    EXPECT_FALSE(buch.Monatsvolumen(1, 100));
    buch.Trage({ 1, 100, 150, 0.01, 1.5, TBytestand { 300, 100 } });
    buch.Trage({ 1, 100, 11.5, 0.02, 2.5, std::nullopt });
    buch.Trage({ 1, 101, 450, 0.02, 2.5, TBytestand { 9, 1 } });
    buch.Trage({ 2, 100, 150, 0.01, 1.5, TBytestand { 1, 1 } });
    EXPECT_EQ(buch.Monatsvolumen(1, 100), 400u);
    EXPECT_EQ(buch.Bytes(1, 150, 0.01, 1.5), (TBytestand { 300, 100 }));
    EXPECT_FALSE(buch.Bytes(1, 11.5, 0.02, 2.5)) << "logged without bytes";
    EXPECT_FALSE(buch.Bytes(1, 150, 0.01, 2.0)) << "another cost is another entry";
}

} // namespace
