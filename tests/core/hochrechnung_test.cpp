#include "core/Hochrechnung.h"
#include "runtime/Format.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<TMonat> LeererMonat()
{
    auto m = std::make_unique<TMonat>();
    std::memset(m.get(), 0, sizeof(TMonat));
    return m;
}

void Trage(TMonat& m, int k, TDateTime datum, double kosten)
{
    m.Verbindungen[k].Tarif.Setze(QStringLiteral("Abend"));
    m.Verbindungen[k].Datum = datum;
    m.Verbindungen[k].Kosten = kosten;
}

struct TFall {
    int Jahr, Monat, Tage;
};

TEST(Hochrechnung, TeiltDieKostenDurchDieVergangenenTageUndRechnetAufDenMonatHoch)
{
    FormatSettings = DeutscheFormate();
    for (const TFall f :
        { TFall { 2026, 2, 28 }, TFall { 2024, 2, 29 }, TFall { 2026, 4, 30 }, TFall { 2026, 12, 31 } }) {
        SCOPED_TRACE(testing::Message() << f.Jahr << "-" << f.Monat);
        EXPECT_EQ(TageImMonat(EncodeDate(f.Jahr, f.Monat, 1) + 0.99), f.Tage);

        auto m = LeererMonat();
        Trage(*m, 0, EncodeDate(f.Jahr, f.Monat, 1) + 0.25, 1.00);
        Trage(*m, 1, EncodeDate(f.Jahr, f.Monat, 1) + 0.75, 2.00);
        const auto am = [&](int tag) { return Hochrechnung(*m, 5, EncodeDate(f.Jahr, f.Monat, tag) + 0.9); };
        // Day 1 counts in full: 3 DM a day all month long.
        EXPECT_EQ(am(1), std::optional(3.0 * f.Tage + 5));
        EXPECT_DOUBLE_EQ(*am(15), AufPfennig(3.0L / 15 * f.Tage + 5));
        // On the last day the forecast is what the month has cost.
        EXPECT_EQ(am(f.Tage), std::optional(8.0));
    }
}

TEST(Hochrechnung, NurVerbindungenDiesesMonatsZaehlen)
{
    FormatSettings = DeutscheFormate();
    const TDateTime heute = EncodeDate(2026, 3, 10) + 0.5;
    auto m = LeererMonat();
    EXPECT_FALSE(Hochrechnung(*m, 9.9, heute)); // no connection, no forecast

    // Last year's March, left in the slot, is no part of this one.
    Trage(*m, 0, EncodeDate(2025, 3, 30), 50);
    EXPECT_FALSE(Hochrechnung(*m, 9.9, heute));
    Trage(*m, 1, EncodeDate(2026, 3, 2), 1);
    EXPECT_EQ(Hochrechnung(*m, 9.9, heute), std::optional(13.0));

    // Entries after a free one are not read.
    Trage(*m, 3, EncodeDate(2026, 3, 3), 100);
    EXPECT_EQ(Hochrechnung(*m, 9.9, heute), std::optional(13.0));

    EXPECT_EQ(HochrechnungsText(62.4), QStringLiteral("Hochrechnung bis Monatsende: 62,40 DM"));
}

} // namespace
