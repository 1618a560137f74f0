#include "core/Tarifregeln.h"
#include "store/Abrechnung.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace {

class Tarifregeln : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
};

TDateTime Um(int j, int m, int t, int h, int min, int s = 0)
{
    return EncodeDate(j, m, t) + EncodeTime(h, min, s, 0);
}

TTarifregeln Regeln(const char* text)
{
    const TRegelnGelesen r = LiesTarifregeln(QByteArray(text));
    EXPECT_TRUE(r.Regeln) << r.Fehler.toStdString();
    return r.Regeln.value_or(TTarifregeln {});
}

const char* const Abend = "per_connection=0.06\n"
                          "default=(0.12,90)\n"
                          "on (monday..friday) between (21:00..07:59) use (0.03,60)\n"
                          "on (saturday,sunday,holiday) between () use (0.06,120)\n";
const char* const BisMitternacht = "default=(0.10,60)\non () between (08:00..23:59) use (0.05,60)";
const char* const FreitagBisMontag = "default=(0.10,60)\non (friday..monday) between () use (0.02,60)";
const char* const Weihnachten = "default=(0.10,60)\non (12/24..01/06) between () use (0.01,60)";
const char* const Karfreitag = "default=(0.10,60)\non (easter-2) between () use (0.04,60)";
const char* const Ab180 = "default=(0.10,60)\non () between () use (0.05,60,180)";
const char* const ErsterBlock = "flat_init_costs=(0.20,120)\ndefault=(0.10,60)";
const char* const Mindestens = "minimum_costs=0.25\ndefault=(0.10,60)";
const char* const DreiUhr = "default=(0.10,60)\non () between (03:00..03:59) use (0.01,60)";
const char* const ZweiUhr = "default=(0.10,60)\non () between (02:00..02:59) use (0.01,60)";

struct TFall {
    const char* Was;
    const char* Regeltext;
    TDateTime Beginn;
    int Sekunden;
    double Kosten;
};

TEST_F(Tarifregeln, PreisEinerVerbindung)
{
    const TFall faelle[] = {
        // Units at 20:58:00 and 20:59:30 at the day price, then 21:01 and 21:02 by night.
        { "21-Uhr-Grenze", Abend, Um(2026, 3, 4, 20, 58), 300, 0.36 },
        { "nur Einwahl", Abend, Um(2026, 3, 4, 20, 58), 0, 0.06 },
        { "Tag, 7 Einheiten zu 90 s", Abend, Um(2026, 3, 9, 10, 0), 600, 0.90 },
        { "Montagmorgen", Abend, Um(2026, 3, 9, 3, 0), 60, 0.09 },
        { "Wochenende", Abend, Um(2026, 3, 7, 10, 0), 600, 0.36 },
        { "Himmelfahrt", Abend, Um(2026, 5, 14, 10, 0), 600, 0.36 },
        { "Feiertag nachts: die letzte Regel gilt", Abend, Um(2026, 5, 14, 22, 0), 60, 0.12 },
        { "..23:59 und Mitternacht", BisMitternacht, Um(2026, 3, 4, 23, 59), 120, 0.15 },
        { "23:59:59 gehört dazu", BisMitternacht, Um(2026, 3, 4, 23, 59, 59), 2, 0.05 },
        { "friday..monday: Sonntag", FreitagBisMontag, Um(2026, 3, 8, 12, 0), 60, 0.02 },
        { "friday..monday: Montag", FreitagBisMontag, Um(2026, 3, 9, 12, 0), 60, 0.02 },
        { "friday..monday: Dienstag", FreitagBisMontag, Um(2026, 3, 10, 12, 0), 60, 0.10 },
        { "über Neujahr", Weihnachten, Um(2026, 12, 31, 23, 59), 180, 0.03 },
        { "nach dem 6. Januar", Weihnachten, Um(2027, 1, 7, 12, 0), 60, 0.10 },
        { "easter-2", Karfreitag, Um(2026, 4, 3, 10, 0), 60, 0.04 },
        { "Tag nach easter-2", Karfreitag, Um(2026, 4, 4, 10, 0), 60, 0.10 },
        { "ab Sekunde 180", Ab180, Um(2026, 3, 4, 10, 0), 300, 0.40 },
        { "erster Block allein", ErsterBlock, Um(2026, 3, 4, 10, 0), 120, 0.20 },
        { "nach dem ersten Block", ErsterBlock, Um(2026, 3, 4, 10, 0), 121, 0.30 },
        { "Mindestpreis", Mindestens, Um(2026, 3, 4, 10, 0), 60, 0.25 },
        { "über dem Mindestpreis", Mindestens, Um(2026, 3, 4, 10, 0), 180, 0.30 },
        // 01:58 and 01:59 by day, then the clock jumps to 03:00: two cheap units.
        { "29. März 2026", DreiUhr, Um(2026, 3, 29, 1, 58), 240, 0.22 },
        // 02:00 to 02:59 comes twice: 120 cheap minutes between 2 + 1 at the day price.
        { "25. Oktober 2026", ZweiUhr, Um(2026, 10, 25, 1, 58), 7380, 1.50 },
    };
    for (const TFall& f : faelle) {
        const TTarifregeln r = Regeln(f.Regeltext);
        EXPECT_DOUBLE_EQ(Regelpreis(r, f.Beginn, f.Sekunden * 1000LL), f.Kosten) << f.Was;
        // Tick by tick to the same amount.
        TTarifLauf lauf(r, f.Beginn);
        for (int s = 0; s < f.Sekunden; s += 7)
            lauf.Stand(s * 1000LL);
        EXPECT_DOUBLE_EQ(lauf.Stand(f.Sekunden * 1000LL).Kosten, f.Kosten) << f.Was;
    }
}

TEST_F(Tarifregeln, MinutenpreisGleichDerTabelle)
{
    const double tarife[][2] = { { 4.8, 0 }, { 2.5, 6 }, { 0.1, 0 }, { 12.3456, 3 }, { 19, 0.5 } };
    for (const auto& [preis, einwahl] : tarife) {
        TTarif tarif {};
        tarif.Preis = preis;
        tarif.Einwahl = einwahl;
        // The rules as a file says them, read back.
        const TTarifregeln r = Regeln(SchreibeTarifregeln(MinutenRegeln(preis, einwahl)).constData());
        ASSERT_EQ(r, MinutenRegeln(preis, einwahl)) << preis;
        TTarifLauf lauf(r, Um(2026, 10, 25, 1, 30));
        for (int64_t ms = 0; ms <= 3 * 3'600'000; ms += 250) {
            const double erwartet = Verbindungspreis(double(ms) / double(MSecsPerDay), tarif);
            ASSERT_EQ(lauf.Stand(ms).Kosten, erwartet) << preis << " bei " << ms << " ms";
            if (ms % 997'000 == 0) {
                ASSERT_EQ(Regelpreis(r, Um(2026, 3, 29, 1, 30), ms), erwartet) << preis << " bei " << ms;
            }
        }
    }
}

TEST_F(Tarifregeln, BezahltBisUndNaechsterPreis)
{
    TTarifLauf lauf(Regeln(Abend), Um(2026, 3, 4, 20, 58));
    const TTarifStand stand = lauf.Stand(30'000);
    EXPECT_EQ(stand.BezahltBisMs, 90'000);
    EXPECT_EQ(TimeToStr(lauf.Ortszeit(stand.BezahltBisMs)), QStringLiteral("20:59:30"));
    const auto wechsel = lauf.NaechsterWechsel(30'000);
    ASSERT_TRUE(wechsel);
    EXPECT_EQ(wechsel->AbMs, 120'000);
    EXPECT_EQ(PreisJeEinheitText(wechsel->PreisPf, wechsel->EinheitMs), QStringLiteral("0,03 DM je 60 s"));
    // Once the night price runs, the next change is the morning's, not within the hour.
    EXPECT_FALSE(lauf.NaechsterWechsel(200'000));

    // Exactly one hour ahead is still shown; a second more is not.
    TTarifLauf frueh(Regeln(Abend), Um(2026, 3, 4, 19, 59, 59));
    EXPECT_FALSE(frueh.NaechsterWechsel(0));
    EXPECT_TRUE(frueh.NaechsterWechsel(1000));
    EXPECT_FALSE(TTarifLauf(MinutenRegeln(4.8, 0), Um(2026, 3, 4, 20, 30)).NaechsterWechsel(0));
}

TEST_F(Tarifregeln, DateiLesenUndSchreiben)
{
    // Latin-1, CR and CRLF line ends, comments and another currency.
    const QByteArray latin1 = "# Tarif\r\nname=Gr\xFCn # Kommentar\rcurrency_symbol=EUR\r\n"
                              "default=(0.12, 90)\r\n\r\non (DD) between () use (1,1)\n";
    TRegelnGelesen r = LiesTarifregeln(latin1);
    EXPECT_EQ(r.Fehler, QStringLiteral("Zeile 6: unbekannter Tag 'dd'"));
    r = LiesTarifregeln(latin1.left(latin1.indexOf("on (")));
    ASSERT_TRUE(r.Regeln);
    EXPECT_EQ(r.Regeln->Name, QStringLiteral("Grün"));
    EXPECT_EQ(r.Regeln->StandardPf, 12);
    EXPECT_EQ(r.Regeln->StandardEinheitMs, 90'000);
    EXPECT_EQ(r.Warnungen.size(), 1);

    const TTarifregeln alle
        = Regeln("name=Alles\nper_connection=0.06\nminimum_costs=0.5\n"
                 "flat_init_costs=(0.2,7.5)\ndefault=(0.025,90)\n"
                 "on (monday..friday,sunday..monday,24.12..26.12,easter+50,easter-2,easter,"
                 "holiday,01/01) between (21:00..07:59) use (0.0123,0.5,3600)\n"
                 "on () between () use (1.5,600)\nper_volume=(0.49, 1 MB)\nincluded_volume=500000000\n");
    ASSERT_EQ(alle.Regeln.size(), 2u);
    EXPECT_EQ(alle.Volumen, (TVolumenpreis { 49, 1'000'000, 500'000'000 }));
    EXPECT_EQ(alle.Regeln[0].Tage.size(), 8u);
    EXPECT_EQ(Regeln(SchreibeTarifregeln(alle).constData()), alle);
    EXPECT_EQ(alle.StandardPf, 2.5);
}

TEST_F(Tarifregeln, FehlerhafteZeilen)
{
    const struct {
        const char* Zeile;
        const char* Fehler;
    } faelle[] = {
        { "on (mondag) between () use (0.1,60)", "Zeile 2: unbekannter Tag 'mondag'" },
        { "on (monday..frieday) between () use (0.1,60)", "Zeile 2: unbekannter Tag 'frieday'" },
        { "on (02/30) between () use (0.1,60)", "Zeile 2: ungültiges Datum '02/30'" },
        { "on (easter+x) between () use (0.1,60)", "Zeile 2: unbekannter Tag 'easter+x'" },
        { "on (monday,) between () use (0.1,60)", "Zeile 2: leerer Eintrag in der Liste der Tage" },
        { "on () between (25:00..26:00) use (0.1,60)", "Zeile 2: ungültige Uhrzeit '25:00'" },
        { "on () between (21:00) use (0.1,60)", "Zeile 2: ungültige Zeitspanne '21:00'" },
        { "on () between () use (0.1,0)",
            "Zeile 2: eine Einheit muss länger als 0 Sekunden sein, nicht '0'" },
        { "on () between () use (0.1)",
            "Zeile 2: erwartet wird (Preis,Sekunden) oder (Preis,Sekunden,ab Sekunde), nicht '(0.1)'" },
        { "on () use (0.1,60)", "Zeile 2: erwartet wird on (Tage) between (von..bis) use (Preis,Sekunden)" },
        { "default=(abc,60)", "Zeile 2: ungültiger Preis 'abc'" },
        { "default=(-1,60)", "Zeile 2: ungültiger Preis '-1'" },
        { "default=(0.1,60", "Zeile 2: erwartet wird (Preis,Sekunden), nicht '(0.1,60'" },
        { "per_connection=1e3", "Zeile 2: ungültiger Preis '1e3'" },
        { "per_volume=(0.49)", "Zeile 2: erwartet wird (Preis,Bytes), nicht '(0.49)'" },
        { "per_volume=(0.49,0)", "Zeile 2: ungültiges Volumen '0'" },
        { "included_volume=viel", "Zeile 2: ungültiges Volumen 'viel'" },
        { "currency_position=middle", "Zeile 2: erwartet wird left oder right, nicht 'middle'" },
        { "frobnicate=1", "Zeile 2: unbekannte Angabe 'frobnicate'" },
        { "nur Text", "Zeile 2: unverständliche Zeile 'nur Text'" },
    };
    for (const auto& f : faelle) {
        const TRegelnGelesen r = LiesTarifregeln(QByteArray("default=(0.1,60)\n") + f.Zeile);
        EXPECT_FALSE(r.Regeln) << f.Zeile;
        EXPECT_EQ(r.Fehler, QString::fromUtf8(f.Fehler)) << f.Zeile;
    }
    EXPECT_EQ(LiesTarifregeln(QByteArray("name=x")).Fehler,
        QStringLiteral("Es fehlt die Zeile default=(Preis,Sekunden)."));
}

TEST_F(Tarifregeln, Feiertage)
{
    EXPECT_EQ(OsterTag(2026), std::llround(EncodeDate(2026, 4, 5)));
    EXPECT_EQ(OsterTag(2000), std::llround(EncodeDate(2000, 4, 23)));
    EXPECT_EQ(OsterTag(2038), std::llround(EncodeDate(2038, 4, 25)));
    int anzahl = 0;
    for (int m = 1; m <= 12; ++m)
        for (int t = 1; t <= 31; ++t)
            anzahl += IstFeiertag(2026, m, t);
    EXPECT_EQ(anzahl, 9);
    EXPECT_TRUE(IstFeiertag(2026, 5, 25)); // Whit Monday
    EXPECT_FALSE(IstFeiertag(2026, 4, 5)); // Easter Sunday is a Sunday anyway
}

} // namespace
