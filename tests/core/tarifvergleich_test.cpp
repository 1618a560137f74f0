#include "core/Tarifvergleich.h"
#include "runtime/Format.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

namespace {

TDateTime Am(int jahr, int monat, int tag, int stunde = 0, int minute = 0)
{
    return EncodeDate(jahr, monat, tag) + EncodeTime(stunde, minute, 0, 0);
}

class Tarifvergleich : public ::testing::Test {
protected:
    void SetUp() override
    {
        FormatSettings = DeutscheFormate();
        std::memset(&tarife, 0, sizeof tarife);
        Setze(1, "Tag", 6, 5, 0);
        Setze(2, "Spar", 2, 10, 10);
        Setze(4, "Pauschal", 0, 20, 0);
        Setze(5, "Abend", 10, 0, 5); // priced by its rules, not by these numbers
        Setze(6, "Mobil", 0, 3, 0);
        // 10 minutes, 1 minute 1 second (two started minutes), one hour; billed 3.50 DM;
        // 3 MB, 1.5 MB and 2.2 MB.
        verbindungen = { Eintrag(Am(2026, 2, 3, 9), 600, 1.00, 3'000'000, 0),
            Eintrag(Am(2026, 3, 1, 20), 61, 0.50, 1'000'000, 500'000),
            Eintrag(Am(2026, 3, 9, 21), 3600, 2.00, 2'000'000, 200'000) };
    }
    static TRegelnDesTarifs Regeln(const QString& name)
    {
        const std::map<QString, const char*> dateien { { QStringLiteral("Abend"),
                                                           "per_connection=0.05\ndefault=(0.10,60)\n"
                                                           "on () between (21:00..07:59) use (0.01,60)" },
            { QStringLiteral("Mobil"), "default=(0,60)\nper_volume=(0.10,1 MB)\nincluded_volume=2 MB" } };
        if (!dateien.count(name))
            return {};
        return { TRegelnDesTarifs::Geladen, LiesTarifregeln(QByteArray(dateien.at(name))).Regeln, {} };
    }
    void Setze(int n, const char* name, double preis, double grundpreis, double einwahl)
    {
        tarife[n].Name.Setze(QString::fromLatin1(name));
        tarife[n].Preis = preis;
        tarife[n].Grundpreis = grundpreis;
        tarife[n].Einwahl = einwahl;
    }
    static TVerlaufsEintrag Eintrag(TDateTime beginn, double sekunden, double kosten, qint64 rx, qint64 tx)
    {
        TVerlaufsEintrag e;
        e.RxBytes = rx;
        e.TxBytes = tx;
        e.Beginn = beginn;
        e.Ende = beginn + sekunden / 86'400;
        e.Sekunden = sekunden;
        e.Kosten = kosten;
        return e;
    }
    TTarifvergleich Vergleiche(int eigener) const
    {
        return VergleicheTarife(QStringLiteral("Anna"), verbindungen, LetzteMonate(Am(2026, 3, 20), 2),
            tarife, eigener, PreisNachRegeln(Regeln));
    }

    TTarifTabelle tarife;
    std::vector<TVerlaufsEintrag> verbindungen;
};

// By hand, 72 started minutes and two months:
//   Abend    (100 + 5) + (20 + 5) + (60 x 1 + 5) Pf     =  1,95 DM
//   Mobil    February: 1 MB beyond the 2 MB, one block; March: 1.5 MB free, then
//            0.5 MB free and 1.7 MB in two blocks: 3 x 10 Pf + 2 x 3 DM = 6,30 DM
//   Tag      72 x 6 Pf + 2 x 5 DM                     = 14,32 DM
//   Spar     (20 + 10) + (4 + 10) + (120 + 10) Pf + 2 x 10 DM = 21,74 DM
//   Pauschal 2 x 20 DM                                  = 40,00 DM
TEST_F(Tarifvergleich, PreistJedeVerbindungNeuUndZaehltDieGrundgebuehrJeMonat)
{
    const TTarifvergleich v = Vergleiche(2);
    std::vector<std::tuple<QString, double, double, bool>> zeilen;
    for (const TVergleichsZeile& z : v.Zeilen)
        zeilen.emplace_back(z.Tarif, z.Kosten, z.Ersparnis, z.Eigener);
    const std::vector<std::tuple<QString, double, double, bool>> erwartet { { "Abend", 1.95, 19.79, false },
        { "Mobil", 6.30, 15.44, false }, { "Tag", 14.32, 7.42, false }, { "Spar", 21.74, 0, true },
        { "Pauschal", 40, -18.26, false } };
    ASSERT_EQ(zeilen.size(), erwartet.size());
    for (size_t i = 0; i < erwartet.size(); ++i) {
        EXPECT_EQ(std::get<0>(zeilen[i]), std::get<0>(erwartet[i]));
        EXPECT_DOUBLE_EQ(std::get<1>(zeilen[i]), std::get<1>(erwartet[i])) << i;
        EXPECT_DOUBLE_EQ(std::get<2>(zeilen[i]), std::get<2>(erwartet[i])) << i;
        EXPECT_EQ(std::get<3>(zeilen[i]), std::get<3>(erwartet[i])) << i;
    }
    EXPECT_EQ(VergleichAlsCsv(v),
        QByteArray("\xEF\xBB\xBFTarif;Kosten (DM);Ersparnis (DM)\r\nAbend;1,95;19,79\r\nMobil;6,30;15,44\r\n"
                   "Tag;14,32;7,42\r\nSpar;21,74;0,00\r\nPauschal;40,00;-18,26\r\n"));

    // Without a tariff of one's own the saving is against what was billed.
    const TTarifvergleich ohne = Vergleiche(0);
    EXPECT_DOUBLE_EQ(ohne.EigeneKosten, 3.50);
    EXPECT_DOUBLE_EQ(ohne.Zeilen[0].Ersparnis, 1.55);

    const QJsonObject json = QJsonDocument::fromJson(VergleichAlsJson(v)).object();
    EXPECT_EQ(json[QStringLiteral("von")].toString(), QStringLiteral("2026-02-01"));
    EXPECT_EQ(json[QStringLiteral("bis")].toString(), QStringLiteral("2026-03-31"));
    EXPECT_EQ(json[QStringLiteral("verbindungen")].toInt(), 3);
    EXPECT_DOUBLE_EQ(
        json[QStringLiteral("tarife")].toArray()[4].toObject()[QStringLiteral("ersparnis")].toDouble(),
        -18.26);
}

TEST_F(Tarifvergleich, DiePreisregelBekommtDenEchtenBeginnUndDieLaenge)
{
    std::vector<std::tuple<int, TDateTime, double>> gefragt;
    const auto regel = [&](int n, const TTarif&, const TVerlaufsEintrag& v, std::uint64_t) {
        gefragt.emplace_back(n, v.Beginn, v.Sekunden);
        return n == 4 ? 0.01 : 100.0;
    };
    const TTarifvergleich v = VergleicheTarife(
        QStringLiteral("Anna"), { verbindungen[1] }, LetzteMonate(Am(2026, 3, 20), 1), tarife, 1, regel);
    EXPECT_EQ(gefragt.size(), 5u);
    EXPECT_EQ(gefragt[2], std::make_tuple(4, Am(2026, 3, 1, 20), 61.0));
    EXPECT_EQ(v.Zeilen.front().Tarif, QStringLiteral("Pauschal"));
    EXPECT_DOUBLE_EQ(v.Zeilen.front().Kosten, 20.01);
}

TEST(Zeitraum, LetzteMonateEndenMitDemLaufendenUndReichenUeberDenJahreswechsel)
{
    const TZeitraum jahr = LetzteMonate(Am(2026, 1, 15, 12), 12);
    EXPECT_EQ(jahr.Von, Am(2025, 2, 1));
    EXPECT_EQ(jahr.Bis, Am(2026, 2, 1));
    EXPECT_EQ(jahr.Monate, 12);
    const TZeitraum dezember = LetzteMonate(Am(2025, 12, 31, 23, 59), 1);
    EXPECT_EQ(dezember.Von, Am(2025, 12, 1));
    EXPECT_EQ(dezember.Bis, Am(2026, 1, 1));
}

} // namespace
