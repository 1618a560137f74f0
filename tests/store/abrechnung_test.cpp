#include "runtime/Format.h"
#include "store/Abrechnung.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr TDateTime Sekunde = 1.0 / 86'400;

TTarif Tarif(const char* name, double preis, double grundpreis = 0, double einwahl = 0)
{
    TTarif t {};
    t.Name.Setze(QString::fromLatin1(name));
    t.Preis = preis;
    t.Grundpreis = grundpreis;
    t.Einwahl = einwahl;
    return t;
}

// The elapsed time as the handlers see it: the difference of two clock readings, so
// that the binary fractions of real dates take part.
TDateTime Spanne(int sekunden, int msek = 0)
{
    const TDateTime beginn = EncodeDate(2026, 3, 14) + EncodeTime(23, 58, 17, 0);
    const TDateTime ende = beginn + (sekunden * 1000.0 + msek) / 86'400'000.0;
    return ende - beginn;
}

void Trage(TMonat& m, int k, const char* tarif, double kosten)
{
    m.Verbindungen[k].Tarif.Setze(QString::fromLatin1(tarif));
    m.Verbindungen[k].Kosten = kosten;
}

class Abrechnung : public ::testing::Test {
protected:
    void SetUp() override
    {
        FormatSettings = DeutscheFormate();
        std::memset(&Daten, 0, sizeof Daten);
        std::memset(&AktTarif, 0, sizeof AktTarif);
        Daten.BenutzerAnzahl = 2;
        Daten.Benutzer[1].MonatNr = 3;
        Daten.Benutzer[2].MonatNr = 3;
    }
    TMonat& Maerz(int u = 1) { return Daten.Benutzer[u].Monate[3]; }
};

TEST(Preis, MinutenZaehlenJedeAngefangeneMinuteOhneMillisekunden)
{
    EXPECT_EQ(AbrechenbareMinuten(Spanne(0, 900)), 0);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(1)), 1);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(60)), 1);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(60, 900)), 1);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(61)), 2);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(600)), 10);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(601)), 11);
    EXPECT_EQ(AbrechenbareMinuten(0), 0);
}

TEST(Preis, GanzeTageWerdenBerechnet)
{
    EXPECT_EQ(AbrechenbareMinuten(Spanne(25 * 3600 + 3 * 60)), 1503);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(24 * 3600)), 1440);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(24 * 3600 + 1)), 1441);
    EXPECT_EQ(AbrechenbareMinuten(Spanne(3 * 86'400 + 59)), 3 * 1440 + 1);
}

TEST(Preis, ZurueckgestellteUhrBerechnetNichts)
{
    EXPECT_EQ(AbrechenbareMinuten(-Spanne(90)), 0);
    EXPECT_EQ(Verbindungspreis(-Spanne(90), Tarif("T", 4.8, 0, 6)), 0.06);
}

TEST(Preis, RundetPfennigZurGeradenNachbarzahl)
{
    const TTarif t = Tarif("T", 2.5);
    EXPECT_EQ(PreisInPfennig(1, t), 2);
    EXPECT_EQ(PreisInPfennig(3, t), 8);
    EXPECT_EQ(PreisInPfennig(5, t), 12);
    EXPECT_EQ(FloatToStr(Verbindungspreis(Spanne(60), t)), "0,02");
    EXPECT_EQ(FloatToStr(Verbindungspreis(Spanne(180), t)), "0,08");
}

TEST(Preis, ZehnMinutenZuVierKommaAcht)
{
    const TTarif t = Tarif("T", 4.8);
    EXPECT_EQ(FloatToStr(Verbindungspreis(Spanne(600), t)), "0,48");
    EXPECT_EQ(FloatToStr(Verbindungspreis(Spanne(601), t)), "0,53");
    EXPECT_EQ(BetragText(Verbindungspreis(Spanne(601), t)), "0,53 DM");
}

TEST(Preis, EinwahlIstInPfennig)
{
    const TTarif t = Tarif("T", 4.8, 0, 6);
    EXPECT_EQ(FloatToStr(Verbindungspreis(Spanne(60), t)), "0,11");
    EXPECT_EQ(FloatToStr(Verbindungspreis(Spanne(25 * 3600 + 3 * 60), t)),
        "72,2"); // 1503 × 4.8 = 7214.4 → 7214 + 6
    EXPECT_EQ(Verbindungspreis(Spanne(0, 900), t), 0.06);
}

TEST(Preis, LeererTarifKostetNichts)
{
    EXPECT_EQ(Verbindungspreis(Spanne(3600), TTarif {}), 0);
}

TEST_F(Abrechnung, SchreibtInErstenFreienEintragUndSummiert)
{
    Trage(Maerz(), 0, "Alt", 0.5);
    Trage(Maerz(), 1, "Alt", 0.25);
    Trage(Maerz(), 3, "Dahinter", 7); // behind a free entry: never seen
    Maerz().SummeKosten = 0.75;
    Maerz().SummeDauer = 0.5;

    const TTarif t = Tarif("Nacht", 4.8);
    ASSERT_EQ(ProtokolliereVerbindung(1, t, 46'000.5, 0.25, 1.5), TProtokollErgebnis::Eingetragen);
    const TVerbindung& v = Maerz().Verbindungen[2];
    EXPECT_EQ(v.Tarif.Text(), "Nacht");
    EXPECT_EQ(v.Datum, 46'000.5);
    EXPECT_EQ(v.Dauer, 0.25);
    EXPECT_EQ(v.Kosten, 1.5);
    EXPECT_EQ(Maerz().SummeKosten, 2.25);
    EXPECT_EQ(Maerz().SummeDauer, 0.75);
    EXPECT_EQ(Maerz().Verbindungen[3].Tarif.Text(), "Dahinter");
    EXPECT_TRUE(Daten.Benutzer[1].Monate[2].Verbindungen[0].Tarif.Leer());
    EXPECT_TRUE(Maerz(2).Verbindungen[0].Tarif.Leer());
}

TEST_F(Abrechnung, TarifnameWirdBytegenauUebernommen)
{
    TTarif t {};
    const char roh[] = { 'A', char(0x81), 'B' }; // a byte Windows-1252 leaves undefined
    std::memcpy(t.Name.Zeichen, roh, 3);
    t.Name.Laenge = 3;
    ASSERT_EQ(ProtokolliereVerbindung(1, t, 1, 1, 1), TProtokollErgebnis::Eingetragen);
    EXPECT_EQ(Maerz().Verbindungen[0].Tarif.Laenge, 3);
    EXPECT_EQ(std::memcmp(Maerz().Verbindungen[0].Tarif.Zeichen, roh, 3), 0);
}

TEST_F(Abrechnung, OhneTarifBleibtDieVerbindungSichtbar)
{
    ASSERT_EQ(ProtokolliereVerbindung(1, TTarif {}, 1, 0.01, 0), TProtokollErgebnis::Eingetragen);
    ASSERT_EQ(ProtokolliereVerbindung(1, TTarif {}, 2, 0.02, 0), TProtokollErgebnis::Eingetragen);
    EXPECT_EQ(AnzahlVerbindungen(Maerz()), 2);
    EXPECT_EQ(Maerz().Verbindungen[0].Tarif.Text(), "(kein Tarif)");
    EXPECT_EQ(Maerz().SummeDauer, 0.01 + 0.02);
}

TEST_F(Abrechnung, VollerMonatBleibtUnberuehrt)
{
    for (int k = 0; k < MaxVerbindungen; ++k)
        Trage(Maerz(), k, "T", 0.01);
    Maerz().SummeKosten = 6;
    auto vorher = std::make_unique<TDaten>(Daten);
    EXPECT_EQ(ProtokolliereVerbindung(1, Tarif("T", 1), 1, 1, 1), TProtokollErgebnis::MonatVoll);
    EXPECT_EQ(std::memcmp(vorher.get(), &Daten, sizeof Daten), 0);
}

TEST_F(Abrechnung, OhneGueltigenBenutzerWirdNichtsGeschrieben)
{
    auto vorher = std::make_unique<TDaten>(Daten);
    EXPECT_EQ(ProtokolliereVerbindung(0, Tarif("T", 1), 1, 1, 1), TProtokollErgebnis::KeinBenutzer);
    EXPECT_EQ(ProtokolliereVerbindung(5, Tarif("T", 1), 1, 1, 1), TProtokollErgebnis::KeinBenutzer);
    EXPECT_EQ(std::memcmp(vorher.get(), &Daten, sizeof Daten), 0);
}

TEST_F(Abrechnung, BenutzerOhneMonatSchreibtInSlotNull)
{
    Daten.Benutzer[2].MonatNr = 0;
    ASSERT_EQ(ProtokolliereVerbindung(2, Tarif("T", 1), 1, 1, 1), TProtokollErgebnis::Eingetragen);
    EXPECT_EQ(AnzahlVerbindungen(Daten.Benutzer[2].Monate[0]), 1);
}

TEST_F(Abrechnung, MonatsSummeMitGrundpreis)
{
    Trage(Maerz(), 0, "T", 0.48);
    Trage(Maerz(), 1, "T", 0.53);
    Trage(Maerz(), 2, "T", 1);
    Trage(Maerz(), 4, "T", 100); // behind the free entry 3
    Trage(Daten.Benutzer[1].Monate[2], 0, "T", 50); // another month
    AktTarif = Tarif("T", 0, 9.9);
    EXPECT_EQ(MonatsText(MonatsSumme(1)), "Diesen Monat: 11,91 DM");
    EXPECT_EQ(MonatsText(MonatsSumme(2)), "Diesen Monat: 9,9 DM");
    AktTarif = TTarif {};
    EXPECT_EQ(MonatsText(MonatsSumme(2)), "Diesen Monat: 0 DM");
    EXPECT_EQ(MonatsSumme(0), 0);
}

TEST_F(Abrechnung, MonatsSummeUeberVieleEintraege)
{
    for (int k = 0; k < 550; ++k)
        Trage(Maerz(), k, "T", 0.07);
    EXPECT_EQ(FloatToStr(MonatsSumme(1)), "38,5");
    for (int k = 550; k < MaxVerbindungen; ++k)
        Trage(Maerz(), k, "T", 0.07);
    EXPECT_EQ(FloatToStr(MonatsSumme(1)), "42");
}

} // namespace

TEST_F(Abrechnung, ImBeginnmonatNachDenRegelnDesMonatswechsels)
{
    const TTarif t = Tarif("T", 1);
    const TDateTime maerz = EncodeDate(2026, 3, 31) + EncodeTime(23, 50, 0, 0);
    const TDateTime april = EncodeDate(2026, 4, 1) + EncodeTime(0, 10, 0, 0);

    // The user's own month: appended, even when the program already lives in the next.
    Trage(Maerz(), 0, "Alt", 1);
    // Its Datum is the moment it was logged, already in April.
    EXPECT_EQ(ProtokolliereVerbindungImBeginnmonat(1, t, maerz, 60 * Sekunde, 0.5, 4, april),
        TProtokollErgebnis::Eingetragen);
    EXPECT_EQ(AnzahlVerbindungen(Maerz()), 2);
    EXPECT_EQ(Maerz().Verbindungen[1].Datum, april);
    EXPECT_EQ(Daten.Benutzer[1].MonatNr, 3);

    // The program's month, not yet entered by the user: rolled over into it first.
    Trage(Daten.Benutzer[1].Monate[4], 0, "Vorjahr", 9);
    ASSERT_EQ(ProtokolliereVerbindungImBeginnmonat(1, t, april, 60 * Sekunde, 0.5, 4, april),
        TProtokollErgebnis::Eingetragen);
    EXPECT_EQ(Daten.Benutzer[1].MonatNr, 4);
    EXPECT_EQ(AnzahlVerbindungen(Daten.Benutzer[1].Monate[4]), 1);
    EXPECT_EQ(Daten.Benutzer[1].Monate[4].Verbindungen[0].Tarif.Text(), "T");

    // A late entry for an earlier month: into its slot, nothing emptied, no turn back.
    ASSERT_EQ(ProtokolliereVerbindungImBeginnmonat(1, t, maerz, 60 * Sekunde, 0.5, 4, april),
        TProtokollErgebnis::Eingetragen);
    EXPECT_EQ(AnzahlVerbindungen(Maerz()), 3);
    EXPECT_EQ(Daten.Benutzer[1].MonatNr, 4);

    // A user created this run has no month yet.
    Daten.Benutzer[2].MonatNr = 0;
    ASSERT_EQ(ProtokolliereVerbindungImBeginnmonat(2, t, april, 60 * Sekunde, 0.5, 4, april),
        TProtokollErgebnis::Eingetragen);
    EXPECT_EQ(Daten.Benutzer[2].MonatNr, 4);
    EXPECT_EQ(AnzahlVerbindungen(Daten.Benutzer[2].Monate[0]), 0);
    EXPECT_EQ(AnzahlVerbindungen(Daten.Benutzer[2].Monate[4]), 1);

    EXPECT_EQ(
        ProtokolliereVerbindungImBeginnmonat(0, t, april, 0, 0, 4, april), TProtokollErgebnis::KeinBenutzer);
}
