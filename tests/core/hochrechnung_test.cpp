#include "core/Hochrechnung.h"
#include "runtime/Format.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct TLeererMonat {
    std::unique_ptr<TMonat> m = std::make_unique<TMonat>();
    TLeererMonat() { std::memset(m.get(), 0, sizeof(TMonat)); }
    void Trage(int k, TDateTime datum, double kosten)
    {
        m->Verbindungen[k].Tarif.Setze(QStringLiteral("Abend"));
        m->Verbindungen[k].Datum = datum;
        m->Verbindungen[k].Kosten = kosten;
    }
};

TEST(Hochrechnung, AmErstenAmFuenfzehntenUndAmLetztenTag)
{
    for (const auto& [jahr, monat, tage] :
        { std::tuple { 2026, 2, 28 }, { 2024, 2, 29 }, { 2026, 4, 30 }, { 2026, 12, 31 } }) {
        SCOPED_TRACE(testing::Message() << jahr << "-" << monat);
        TLeererMonat m;
        m.Trage(0, EncodeDate(jahr, monat, 1) + 0.25, 1);
        m.Trage(1, EncodeDate(jahr, monat, 1) + 0.75, 2);
        const auto am = [&](int tag) { return Hochrechnung(*m.m, 5, EncodeDate(jahr, monat, tag) + 0.9); };
        EXPECT_EQ(am(1), std::optional(3.0 * tage + 5)); // today counts in full
        EXPECT_DOUBLE_EQ(*am(15), AufPfennig(3.0L / 15 * tage + 5));
        EXPECT_EQ(am(tage), std::optional(8.0));
    }
}

TEST(Hochrechnung, NurVerbindungenDiesesMonats)
{
    const TDateTime heute = EncodeDate(2026, 3, 10) + 0.5;
    TLeererMonat m;
    EXPECT_FALSE(Hochrechnung(*m.m, 9.9, heute));
    m.Trage(0, EncodeDate(2025, 3, 30), 50); // last year's March, left in the slot
    EXPECT_FALSE(Hochrechnung(*m.m, 9.9, heute));
    m.Trage(1, EncodeDate(2026, 3, 2), 1);
    EXPECT_EQ(Hochrechnung(*m.m, 9.9, heute), std::optional(13.0));

    FormatSettings = DeutscheFormate();
    EXPECT_EQ(HochrechnungsText(62.4), QStringLiteral("Hochrechnung bis Monatsende: 62,40 DM"));
}

} // namespace
