#include "core/Messung.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Startablauf.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr TDateTime Sekunde = 1.0 / 86'400;

// Wall clock and the two monotonic clocks of one test: time passes on all, setting the
// clock moves only the wall clock, and the awake clock stands while the machine sleeps.
struct TUhren {
    TDateTime Wand = 0;
    int64_t Mono = 1'000'000;
    int64_t Wach = 5'000;

    void VergehtMs(int64_t ms)
    {
        Wand += double(ms) / MSecsPerDay;
        Mono += ms;
        Wach += ms;
    }
    void Vergeht(int sekunden) { VergehtMs(sekunden * 1000); }
    void Schlaeft(int sekunden)
    {
        Wand += sekunden * Sekunde;
        Mono += sekunden * 1000;
    }
};

class Messung : public ::testing::Test {
protected:
    TUhren uhr;
    int speicherungen = 0;
    int monatBeimSpeichern = 0;
    std::unique_ptr<TMessung> messung;

    void SetUp() override
    {
        FormatSettings = DeutscheFormate();
        std::memset(&Daten, 0, sizeof Daten);
        Daten.BenutzerAnzahl = 2;
        Daten.Benutzer[1].TarifNr = 7;
        AktBenutzer = 1;
        AktTarif = TTarif {};
        AktTarif.Name.Setze(QStringLiteral("Tag"));
        AktTarif.Preis = 6; // Pfennig per minute
        Beginne(EncodeDate(2026, 3, 14) + EncodeTime(9, 0, 0, 0));
    }

    // A run of the program started at 'wann' whose start-up has rolled the month over.
    void Beginne(TDateTime wann)
    {
        uhr.Wand = wann;
        int jahr, monat, tag;
        DecodeDate(wann, jahr, monat, tag);
        WechsleMonat(monat);
        messung = std::make_unique<TMessung>([this] { return uhr.Wand; }, [this] { return uhr.Mono; },
            [this] {
                ++speicherungen;
                monatBeimSpeichern = Daten.Benutzer[1].MonatNr;
                return TSpeicherErgebnis {};
            },
            [this] { return uhr.Wach; });
    }

    const TMonat& Monat(int m, int u = 1) const { return Daten.Benutzer[u].Monate[m]; }
};

// Held while the password prompt is open: up, down, up. The prompt is answered; while
// the first cost box is open the open connection goes down.
TEST_F(Messung, GehalteneEreignisseJedeVerbindungMitEigenemBeginn)
{
    messung->Verbunden();
    uhr.Vergeht(5);
    messung->Getrennt();
    const TDateTime ende1 = uhr.Wand;
    uhr.Vergeht(5);
    const TDateTime beginn2 = uhr.Wand;
    const TMessErgebnis gehalten = messung->Verbunden();
    EXPECT_FALSE(gehalten.TickLaeuft);
    EXPECT_FALSE(gehalten.Laufend);
    uhr.Vergeht(3);

    const TMessErgebnis frei = messung->Freigeben();
    EXPECT_TRUE(frei.TickLaeuft);
    EXPECT_TRUE(frei.MessungBegonnen);
    EXPECT_EQ(frei.Meldungen, QStringList { "Die Verbindung kostete: 0,06 DM" });
    EXPECT_EQ(frei.ZeitText, "00:00:03"); // the open one, timed from its own start
    ASSERT_TRUE(frei.Laufend);
    EXPECT_EQ(frei.Laufend->Beginn, beginn2);
    EXPECT_EQ(frei.Laufend->DauerMs, 3000);
    EXPECT_EQ(frei.Laufend->Benutzer, 1);
    EXPECT_EQ(frei.Laufend->TarifNr, 7);
    EXPECT_EQ(speicherungen, 1);

    uhr.Vergeht(5); // the first box is still open
    const TMessErgebnis ende = messung->Getrennt();
    const TDateTime ende2 = uhr.Wand;
    EXPECT_FALSE(ende.TickLaeuft);
    EXPECT_FALSE(ende.Laufend);
    ASSERT_EQ(ende.Protokolliert.size(), 1u);

    ASSERT_EQ(AnzahlVerbindungen(Monat(3)), 2);
    EXPECT_EQ(Monat(3).Verbindungen[0].Datum, ende1); // each dated by its own end
    EXPECT_DOUBLE_EQ(Monat(3).Verbindungen[0].Dauer, 5 * Sekunde);
    EXPECT_EQ(Monat(3).Verbindungen[1].Datum, ende2);
    EXPECT_DOUBLE_EQ(Monat(3).Verbindungen[1].Dauer, 8 * Sekunde);

    // Nothing runs on: the close invents no third entry.
    uhr.Vergeht(80);
    EXPECT_FALSE(messung->Tick().TickLaeuft);
    EXPECT_TRUE(messung->Schliessen().Protokolliert.empty());
    EXPECT_EQ(AnzahlVerbindungen(Monat(3)), 2);
}

// Two finished connections held; a new one comes up while the first box is open.
TEST_F(Messung, NeueVerbindungNachDerFreigabeHatIhrenEigenenBeginn)
{
    for (int dauer : { 4, 3 }) {
        messung->Verbunden();
        uhr.Vergeht(dauer);
        messung->Getrennt();
        uhr.Vergeht(2);
    }
    const TMessErgebnis frei = messung->Freigeben();
    EXPECT_FALSE(frei.TickLaeuft);
    EXPECT_EQ(frei.Protokolliert.size(), 2u);
    EXPECT_EQ(frei.Meldungen.size(), 2);

    uhr.Vergeht(2);
    const TDateTime beginn = uhr.Wand;
    EXPECT_TRUE(messung->Verbunden().MessungBegonnen);
    uhr.Vergeht(16);
    const TMessErgebnis tick = messung->Tick();
    EXPECT_EQ(tick.ZeitText, "00:00:16");
    EXPECT_EQ(tick.Hint, "00:00:16 - 0,06 DM");
    uhr.Vergeht(4);
    messung->Getrennt();

    ASSERT_EQ(AnzahlVerbindungen(Monat(3)), 3);
    EXPECT_DOUBLE_EQ(Monat(3).Verbindungen[0].Dauer, 4 * Sekunde);
    EXPECT_DOUBLE_EQ(Monat(3).Verbindungen[1].Dauer, 3 * Sekunde);
    EXPECT_DOUBLE_EQ(Monat(3).Verbindungen[2].Datum, beginn + 20 * Sekunde); // dated by its end
    EXPECT_DOUBLE_EQ(Monat(3).Verbindungen[2].Dauer, 20 * Sekunde);
}

TEST_F(Messung, TarifMitRegelnPreistJedenTickUndSagtWasBezahltIst)
{
    // Held during start-up, then metered: both by the rules of the tariff "Abend".
    uhr.Wand = EncodeDate(2026, 3, 4) + EncodeTime(20, 58, 0, 0);
    messung = std::make_unique<TMessung>([this] { return uhr.Wand; }, [this] { return uhr.Mono; },
        [] { return TSpeicherErgebnis {}; }, [this] { return uhr.Wach; },
        [](const QString& name) {
            TRegelnDesTarifs r;
            if (name == QLatin1String("Abend")) {
                r.art = TRegelnDesTarifs::Geladen;
                r.Regeln = LiesTarifregeln(QByteArray("per_connection=0.06\ndefault=(0.12,90)\n"
                                                      "on () between (21:00..07:59) use (0.03,60)\n"))
                               .Regeln;
            }
            return r;
        });
    AktTarif.Name.Setze(QStringLiteral("Abend"));
    messung->Verbunden();
    uhr.Vergeht(200); // 20:58:00, 20:59:30 by day, 21:01:00 by night
    messung->Getrennt();
    EXPECT_DOUBLE_EQ(messung->Freigeben().Protokolliert.at(0).Kosten, 0.33);

    messung->Verbunden();
    uhr.Vergeht(30);
    TMessErgebnis tick = messung->Tick();
    EXPECT_EQ(tick.KostenText, "0,09 DM");
    EXPECT_EQ(tick.BezahltText, "Bezahlt bis 21:02:20");
    EXPECT_EQ(tick.WechselText, "");
    EXPECT_EQ(tick.Hint, "00:00:30 - 0,09 DM - bezahlt bis 21:02:20");
    EXPECT_FALSE(messung->Laufend()->Regeln.isEmpty());

    // Another tariff, without rules, prices the next tick per minute.
    AktTarif.Name.Setze(QStringLiteral("Tag"));
    tick = messung->Tick();
    EXPECT_EQ(tick.KostenText, "0,06 DM");
    EXPECT_EQ(tick.BezahltText, "");
    EXPECT_TRUE(messung->Laufend()->Regeln.isEmpty());
}

// The counters are read once per tick; their increase is the volume, priced beyond
// what the month included, and logged with the connection.
TEST_F(Messung, VolumenJeTickGezaehltBepreistUndProtokolliert)
{
    Volumenbuch().Leere();
    Volumenbuch().Trage({ 1, MonatsIndex(uhr.Wand), uhr.Wand - 1, 0.01, 1, TBytestand { 4 * GB, 0 } });
    // The rules that price the time price the volume.
    messung = std::make_unique<TMessung>([this] { return uhr.Wand; }, [this] { return uhr.Mono; },
        [] { return TSpeicherErgebnis {}; }, [this] { return uhr.Wach; },
        [](const QString&) {
            return TRegelnDesTarifs { TRegelnDesTarifs::Geladen,
                LiesTarifregeln(
                    QByteArray("default=(0.06,60)\nper_volume=(0.5,100 MB)\nincluded_volume=5 GB"))
                    .Regeln,
                {} };
        });
    int lesungen = 0;
    std::optional<TBytestand> zaehler = TBytestand { 1000, 1000 };
    messung->SetzeByteLeser([&] {
        ++lesungen;
        return zaehler;
    });
    messung->Freigeben();
    EXPECT_EQ(messung->Verbunden().VolumenText, "0,0 kB");

    zaehler = TBytestand { 1000 + GB, 1000 + 5 * MB };
    uhr.Vergeht(60);
    const TMessErgebnis tick = messung->Tick();
    EXPECT_EQ(lesungen, 2);
    EXPECT_EQ(tick.VolumenText, "1,0 GB");
    EXPECT_EQ(tick.InklusivText, "Inklusivvolumen: 5,0 von 5,0 GB");
    // One minute at 6 Pfennig and one started block of 100 MB beyond the 5 GB.
    EXPECT_DOUBLE_EQ(tick.Laufend->Kosten, 0.56);
    EXPECT_EQ(tick.Hint, "00:01:00 - 0,56 DM - bezahlt bis " + TimeToStr(uhr.Wand) + " - 1,0 GB");

    zaehler = std::nullopt; // gone before the disconnect: the last tick's bytes stay
    const TMessErgebnis ende = messung->Getrennt();
    EXPECT_EQ(lesungen, 2) << "the disconnect reads no counter";
    ASSERT_EQ(ende.Protokolliert.size(), 1u);
    EXPECT_EQ(ende.Protokolliert[0].Bytes, (TBytestand { GB, 5 * MB }));
    EXPECT_EQ(Volumenbuch().Monatsvolumen(1, MonatsIndex(uhr.Wand)), 4 * GB + GB + 5 * MB);
    const TVerbindung& eintrag = Monat(3).Verbindungen[0];
    EXPECT_EQ(
        Volumenbuch().Bytes(1, eintrag.Datum, eintrag.Dauer, eintrag.Kosten), ende.Protokolliert[0].Bytes);

    // A source that tells nothing: unknown, priced as no bytes, no volume in the hint.
    messung->SetzeByteLeser([] { return std::nullopt; });
    messung->Verbunden();
    uhr.Vergeht(1);
    const TMessErgebnis ohne = messung->Tick();
    EXPECT_EQ(ohne.VolumenText, "–");
    EXPECT_EQ(ohne.Hint, "00:00:01 - 0,06 DM - bezahlt bis " + TimeToStr(uhr.Wand + 59 * Sekunde));
    Volumenbuch().Leere();
}

TEST_F(Messung, SchliessenImVollenMonatSpeichertNichtSelbstUndSagtEsNurAn)
{
    messung->Freigeben();
    TMonat& maerz = Daten.Benutzer[1].Monate[3];
    for (int k = 0; k < MaxVerbindungen; ++k) {
        maerz.Verbindungen[k].Tarif.Setze(QStringLiteral("Alt"));
        maerz.Verbindungen[k].Kosten = 0.01;
    }
    maerz.SummeKosten = 6;
    const auto vorher = std::make_unique<TMonat>(maerz);
    speicherungen = 0;

    messung->Verbunden();
    uhr.Vergeht(90);
    const TMessErgebnis ende = messung->Schliessen();
    EXPECT_FALSE(ende.TickLaeuft);
    EXPECT_FALSE(ende.Gespeichert);
    EXPECT_EQ(speicherungen, 0); // the close sequence saves both files itself
    ASSERT_EQ(ende.Protokolliert.size(), 1u);
    EXPECT_EQ(ende.Protokolliert[0].Ergebnis, TProtokollErgebnis::MonatVoll);
    EXPECT_DOUBLE_EQ(ende.Protokolliert[0].Kosten, 0.12);
    EXPECT_EQ(ende.Meldungen, QStringList { MonatVollText });
    EXPECT_EQ(std::memcmp(vorher.get(), &maerz, sizeof(TMonat)), 0);
}

TEST_F(Messung, MonatswechselImLaufendenBetrieb)
{
    Daten.Benutzer[1].MonatNr = 10;
    Daten.Benutzer[2].MonatNr = 10;
    Beginne(EncodeDate(2026, 11, 30) + EncodeTime(23, 40, 0, 0));
    // Last year's December still in its slot, for both users.
    Daten.Benutzer[1].Monate[12].Verbindungen[0].Tarif.Setze(QStringLiteral("Alt"));
    Daten.Benutzer[2].Monate[12].Verbindungen[0].Tarif.Setze(QStringLiteral("Alt"));
    messung->Freigeben();

    messung->Verbunden(); // before midnight
    uhr.Vergeht(60);
    messung->Tick();
    EXPECT_FALSE(messung->Getrennt().MonatGewechselt);
    EXPECT_EQ(AnzahlVerbindungen(Monat(11)), 1);

    // Spanning midnight: no turn while it is metered; logged into November.
    uhr.Wand = EncodeDate(2026, 11, 30) + EncodeTime(23, 55, 0, 0);
    const TDateTime beginn = uhr.Wand;
    messung->Verbunden();
    uhr.Vergeht(6 * 60);
    EXPECT_FALSE(messung->Tick().MonatGewechselt);
    EXPECT_EQ(Daten.Benutzer[1].MonatNr, 11);
    uhr.Vergeht(4 * 60);
    messung->Tick();
    const TMessErgebnis ende = messung->Getrennt();
    ASSERT_EQ(AnzahlVerbindungen(Monat(11)), 2);
    EXPECT_DOUBLE_EQ(Monat(11).Verbindungen[1].Datum, beginn + 10 * 60 * Sekunde); // dated 1 December
    EXPECT_DOUBLE_EQ(Monat(11).Verbindungen[1].Dauer, 10 * 60 * Sekunde);

    // Once it is logged the month turns for everybody, before the save.
    EXPECT_TRUE(ende.MonatGewechselt);
    EXPECT_EQ(ende.MonatText, "Diesen Monat: 0 DM");
    EXPECT_EQ(Daten.Benutzer[1].MonatNr, 12);
    EXPECT_EQ(Daten.Benutzer[2].MonatNr, 12);
    EXPECT_EQ(AnzahlVerbindungen(Monat(12, 1)), 0);
    EXPECT_EQ(AnzahlVerbindungen(Monat(12, 2)), 0);
    EXPECT_EQ(monatBeimSpeichern, 12);
    EXPECT_EQ(AnzahlVerbindungen(Monat(11)), 2);

    // December's connections go into December.
    messung->Verbunden();
    uhr.Vergeht(30);
    messung->Getrennt();
    EXPECT_EQ(AnzahlVerbindungen(Monat(12)), 1);
    EXPECT_EQ(AnzahlVerbindungen(Monat(11)), 2);
}

TEST_F(Messung, MonatswechselOhneVerbindungBeimErstenTickUndNieZurueck)
{
    Beginne(EncodeDate(2026, 11, 30) + EncodeTime(23, 59, 50, 0));
    Daten.Benutzer[1].Monate[11].Verbindungen[0].Tarif.Setze(QStringLiteral("Nov"));
    Daten.Benutzer[1].Monate[12].Verbindungen[0].Tarif.Setze(QStringLiteral("Alt"));
    messung->Freigeben();
    EXPECT_FALSE(messung->PruefeMonat().MonatGewechselt);

    uhr.Vergeht(20);
    const TMessErgebnis wechsel = messung->PruefeMonat();
    EXPECT_TRUE(wechsel.MonatGewechselt);
    EXPECT_EQ(Daten.Benutzer[1].MonatNr, 12);
    EXPECT_EQ(AnzahlVerbindungen(Monat(12)), 0);
    EXPECT_FALSE(messung->PruefeMonat().MonatGewechselt); // once

    // The clock set back into November: November is not emptied, and a connection
    // begun there goes into November's slot without turning the month back.
    uhr.Wand -= 3600 * Sekunde;
    EXPECT_FALSE(messung->PruefeMonat().MonatGewechselt);
    messung->Verbunden();
    uhr.Vergeht(60);
    messung->Getrennt();
    EXPECT_EQ(Daten.Benutzer[1].MonatNr, 12);
    ASSERT_EQ(AnzahlVerbindungen(Monat(11)), 2);
    EXPECT_EQ(Monat(11).Verbindungen[0].Tarif.Text(), "Nov");
}

// Midnight passed unmetered and the idle check has not come round when a connection
// begins at 00:00:04 on the 1st: the month turns first, or its turn would wipe it.
TEST_F(Messung, VerbindungInDenErstenSekundenDesMonatsBleibtErhalten)
{
    Beginne(EncodeDate(2026, 11, 30) + EncodeTime(23, 59, 50, 0));
    Daten.Benutzer[1].Monate[12].Verbindungen[0].Tarif.Setze(QStringLiteral("Alt"));
    messung->Freigeben();
    uhr.Wand = EncodeDate(2026, 12, 1) + EncodeTime(0, 0, 4, 0);
    EXPECT_TRUE(messung->Verbunden().MonatGewechselt);
    uhr.Vergeht(30);
    messung->Getrennt();
    ASSERT_EQ(AnzahlVerbindungen(Monat(12)), 1);
    EXPECT_EQ(Monat(12).Verbindungen[0].Tarif.Text(), "Tag");
}

// An hour's sleep: found down after the resume (after or before the first tick) the
// connection ended when the machine went to sleep; still up, the hour is billed.
TEST_F(Messung, NachDemSchlafBisZumEinschlafenOderDieGanzeZeit)
{
    messung->Freigeben();
    for (int fall : { 0, 1, 2 }) {
        messung->Verbunden();
        uhr.Vergeht(3);
        messung->Tick();
        const TDateTime eingeschlafen = uhr.Wand;
        uhr.Schlaeft(3600);
        if (fall != 1) {
            EXPECT_FALSE(messung->Tick().KostenText) << "billed before the detector looked";
        }
        uhr.Vergeht(2);
        if (fall == 2) {
            EXPECT_EQ(messung->Tick().KostenText, "3,66 DM"); // 61 minutes
        }
        const TBeendeteVerbindung v = messung->Getrennt().Protokolliert.at(0);
        EXPECT_EQ(v.DauerMs, fall == 2 ? 3'605'000 : 3000) << fall;
        EXPECT_EQ(v.Datum == eingeschlafen, fall != 2) << fall;
    }
}

// A tick that comes a millisecond early prices the started minute all the same; before
// any tick a connection costs nothing, by the rule the recovery prices with too.
TEST_F(Messung, FruehKommenderTickKostetDasselbe)
{
    AktTarif.Einwahl = 6;
    messung->Freigeben();
    for (int tickMs : { 999, 1000 }) {
        messung->Verbunden();
        uhr.VergehtMs(tickMs);
        messung->Tick();
        uhr.VergehtMs(2000 - tickMs);
        EXPECT_DOUBLE_EQ(messung->Getrennt().Protokolliert.at(0).Kosten, 0.12) << tickMs;
    }
    messung->Verbunden();
    EXPECT_EQ(messung->Getrennt().Protokolliert.at(0).Kosten, PreisNachLaufzeit(0, AktTarif));
}

// The wall clock moved by an hour while the connection ran: billed by its real length.
TEST_F(Messung, UhrVorUndZurueckGestelltZaehltNicht)
{
    messung->Freigeben();
    for (int sprung : { -3600, 3600 }) {
        const TDateTime beginn = uhr.Wand;
        messung->Verbunden();
        uhr.Vergeht(60);
        uhr.Wand += sprung * Sekunde;
        uhr.Vergeht(60);
        const TMessErgebnis tick = messung->Tick();
        EXPECT_EQ(tick.ZeitText, "00:02:00");
        EXPECT_EQ(tick.KostenText, "0,12 DM");
        const TMessErgebnis ende = messung->Getrennt();
        ASSERT_EQ(ende.Protokolliert.size(), 1u);
        EXPECT_DOUBLE_EQ(ende.Protokolliert[0].Dauer, 120 * Sekunde);
        EXPECT_EQ(ende.Protokolliert[0].Beginn, beginn);
        uhr.Vergeht(10);
    }
}

// The program's clocks in TZ=Europe/Berlin, from one instant: local wall-clock time
// and a monotonic clock that runs with the instant.
class Sommerzeit : public Messung {
protected:
    std::optional<std::string> altesTz;
    int64_t sekunden = 0;

    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
            altesTz = tz;
        ::setenv("TZ", "Europe/Berlin", 1);
        ::tzset();
        Messung::SetUp();
    }

    void TearDown() override
    {
        if (altesTz)
            ::setenv("TZ", altesTz->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    void Zu(int64_t utcSekunden)
    {
        sekunden = utcSekunden;
        const std::time_t t = std::time_t(utcSekunden);
        std::tm lokal {};
        ::localtime_r(&t, &lokal);
        uhr.Wand = EncodeDate(lokal.tm_year + 1900, lokal.tm_mon + 1, lokal.tm_mday)
            + EncodeTime(lokal.tm_hour, lokal.tm_min, lokal.tm_sec, 0);
        uhr.Mono = utcSekunden * 1000;
        uhr.Wach = uhr.Mono; // awake all along
    }
};

TEST_F(Sommerzeit, VerbindungUeberDieZeitumstellungNachEchterLaenge)
{
    struct Fall {
        int64_t beginnUtc; // one hour before the change, in UTC
        TDateTime beginnLokal;
        TDateTime endeLokal; // what the wall clock reads one real hour later
    };
    const Fall faelle[] = {
        // 29 March 2026 01:30 CET .. 03:30 CEST
        { 1'774'744'200, EncodeDate(2026, 3, 29) + EncodeTime(1, 30, 0, 0),
            EncodeDate(2026, 3, 29) + EncodeTime(3, 30, 0, 0) },
        // 25 October 2026 02:30 CEST .. 02:30 CET
        { 1'792'888'200, EncodeDate(2026, 10, 25) + EncodeTime(2, 30, 0, 0),
            EncodeDate(2026, 10, 25) + EncodeTime(2, 30, 0, 0) },
    };
    for (const Fall& f : faelle) {
        std::memset(&Daten, 0, sizeof Daten);
        Daten.BenutzerAnzahl = 1;
        Zu(f.beginnUtc);
        ASSERT_EQ(uhr.Wand, f.beginnLokal) << "time zone data missing?";
        Beginne(uhr.Wand);
        Zu(f.beginnUtc);
        messung->Freigeben();
        messung->Verbunden();
        Zu(f.beginnUtc + 3600);
        ASSERT_EQ(uhr.Wand, f.endeLokal);
        EXPECT_EQ(messung->Tick().KostenText, "3,6 DM");
        messung->Getrennt();
        int jahr, monat, tag;
        DecodeDate(f.beginnLokal, jahr, monat, tag);
        ASSERT_EQ(AnzahlVerbindungen(Monat(monat)), 1);
        const TVerbindung& v = Monat(monat).Verbindungen[0];
        EXPECT_DOUBLE_EQ(v.Dauer, 3600 * Sekunde);
        EXPECT_DOUBLE_EQ(v.Kosten, 3.6);
        EXPECT_EQ(v.Datum, f.endeLokal);
    }
}

} // namespace
