// The meter driven through whole event sequences, as the main window drives it, on a
// data folder of its own: what the user is told, the budget warnings, the month turn,
// and where the connection ends up.
#include "core/Budget.h"
#include "core/Zaehler.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "store/Verlauf.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

namespace {

enum TSchritt { Start, Auf, Minute, Ab, Absturz, Ende };

struct TFall {
    const char* Name;
    TDateTime Beginn;
    std::vector<TSchritt> Schritte;
    const char* LetzteMeldung; // its beginning
    int Warnungen; // budget warnings shown; the budget is 1 DM, 6 Pf a minute
    bool MonatGewechselt;
};

void PrintTo(const TFall& fall, std::ostream* os)
{
    *os << fall.Name;
}

const TDateTime Maerz = EncodeDate(2026, 3, 14) + EncodeTime(10, 0, 0, 0);
const TDateTime Mitternacht = EncodeDate(2026, 3, 31) + EncodeTime(23, 58, 0, 0);

const std::vector<TFall> Faelle {
    { "auf, drei Minuten, ab", Maerz, { Start, Auf, Minute, Minute, Minute, Ab },
        "Die Verbindung kostete: 0,18 DM", 0, false },
    { "beim Beenden laufend", Maerz, { Start, Auf, Minute, Ende }, "", 0, false },
    { "Absturz, der nächste Start holt sie nach", Maerz,
        { Start, Auf, Minute, Minute, Minute, Absturz, Start },
        "Eine Verbindung wurde nicht ordnungsgemäß beendet", 0, false },
    { "Monatswechsel während der Verbindung", Mitternacht, { Start, Auf, Minute, Minute, Minute, Ab },
        "Die Verbindung kostete: 0,18 DM", 0, true },
    { "Budget überschritten: eine Warnung je Stufe", Maerz,
        { Start, Auf, Minute, Minute, Minute, Minute, Minute, Minute, Minute, Minute, Minute, Minute, Minute,
            Minute, Minute, Minute, Minute, Minute, Minute, Ab },
        "Die Verbindung kostete: 1,02 DM", 2, false },
};

class Zaehler : public ::testing::TestWithParam<TFall> {
protected:
    QTemporaryDir dir;
    int64_t ms = 0;
    std::unique_ptr<TZaehler> zaehler;
    QStringList meldungen;
    int warnungen = 0;
    bool monatGewechselt = false;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("KOSTENWOLF_DATA_DIR", QFile::encodeName(dir.path()));
        FormatSettings = DeutscheFormate();
        SetzeUhr(GetParam().Beginn);
        std::memset(&Daten, 0, sizeof Daten);
        std::memset(&Tarife, 0, sizeof Tarife);
        Daten.BenutzerAnzahl = 1;
        Daten.StartBenutzer = 1;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[1].MonatNr = 3;
        Daten.Benutzer[1].TarifNr = 1;
        Tarife[1].Name.Setze(QStringLiteral("Tag"));
        Tarife[1].Preis = 6;
        ASSERT_TRUE(SpeichereDaten().Ok);
        ASSERT_TRUE(SpeichereTarife().Ok);
        LadeBudgets();
        ASSERT_TRUE(Budgets().SetzeBudget(1, { 1, StandardWarnstufen }).Ok());
    }

    void TearDown() override
    {
        zaehler.reset();
        Verlauf().Schliesse();
        SetzeUhr(std::nullopt);
    }

    void Nimm(const TZaehlerErgebnis& e)
    {
        meldungen += e.Meldungen;
        warnungen += e.BudgetWarnung ? 1 : 0;
        monatGewechselt = monatGewechselt || e.Messung.MonatGewechselt;
    }

    void Gehe(TSchritt schritt)
    {
        switch (schritt) {
        case Start: {
            zaehler = std::make_unique<TZaehler>(JournalPfad(),
                TMessung(
                    [this] { return Now(); }, [this] { return ms; }, SpeichereDaten, [this] { return ms; }));
            TAnlaufWunsch wunsch;
            wunsch.Melde = [this](const QString& text, const QString&) { meldungen << text; };
            const TAnlauf anlauf = zaehler->Starte(wunsch);
            ASSERT_EQ(anlauf.art, TAnlauf::Angemeldet);
            meldungen += anlauf.Meldungen;
            Nimm(zaehler->Freigeben());
            break;
        }
        case Auf:
            Nimm(zaehler->Verbunden());
            break;
        case Minute:
            ms += 60'000;
            SetzeUhr(Now() + 60.0 / 86'400);
            Nimm(zaehler->Tick());
            break;
        case Ab:
            Nimm(zaehler->Getrennt());
            break;
        case Absturz:
            // Nothing more is saved: the next start finds the files as they are.
            zaehler.reset();
            Verlauf().Schliesse();
            break;
        case Ende:
            Nimm(zaehler->Schliessen());
            break;
        }
    }
};

TEST_P(Zaehler, EreignisfolgeBisInsGespeicherteKonto)
{
    const TFall& fall = GetParam();
    for (TSchritt schritt : fall.Schritte)
        Gehe(schritt);

    const QString letzte = meldungen.isEmpty() ? QStringLiteral("") : meldungen.last();
    EXPECT_TRUE(letzte.startsWith(QString::fromUtf8(fall.LetzteMeldung)))
        << meldungen.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(warnungen, fall.Warnungen);
    EXPECT_EQ(monatGewechselt, fall.MonatGewechselt);
    // Logged exactly once, into March where it began, and saved; no journal is left.
    EXPECT_FALSE(QFile::exists(JournalPfad()));
    ASSERT_EQ(LadeDaten().art, TLadeErgebnis::Geladen);
    EXPECT_EQ(AnzahlVerbindungen(Daten.Benutzer[1].Monate[3]), 1);
}

INSTANTIATE_TEST_SUITE_P(Folgen, Zaehler, ::testing::ValuesIn(Faelle),
    [](const ::testing::TestParamInfo<TFall>& info) { return "Fall" + std::to_string(info.index); });

} // namespace
