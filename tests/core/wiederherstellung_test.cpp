#include "core/Journal.h"
#include "core/Messung.h"
#include "core/Wiederherstellung.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "support/Dateiinhalt.h"
#include "support/Testumgebung.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

std::unique_ptr<TDaten> Gespeichert()
{
    const QByteArray bytes = Lies(DatenPfad());
    if (size_t(bytes.size()) != sizeof(TDaten))
        return nullptr;
    auto d = std::make_unique<TDaten>();
    std::memcpy(d.get(), bytes.constData(), sizeof(TDaten));
    return d;
}

class Wiederherstellung : public ::testing::Test {
protected:
    TTestumgebung umgebung; // its own data folder, as KOSTENWOLF_DATA_DIR
    const QTemporaryDir& dir = umgebung.Verzeichnis;
    QString pfad;
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pfad = JournalPfad();
        SetzeUhr(EncodeDate(2026, 12, 8) + EncodeTime(10, 0, 0, 0));
        FormatSettings = DeutscheFormate();
        std::memset(&Daten, 0, sizeof Daten);
        std::memset(&Tarife, 0, sizeof Tarife);
        std::memset(&AktTarif, 0, sizeof AktTarif);
        // Two users, both rolled over to December; Anna is logged in.
        Daten.BenutzerAnzahl = 2;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[2].Name.Setze(QStringLiteral("Bernd"));
        Daten.Benutzer[1].MonatNr = 12;
        Daten.Benutzer[2].MonatNr = 12;
        Daten.Benutzer[1].TarifNr = 1;
        Daten.Benutzer[2].TarifNr = 1;
        AktBenutzer = 1;
        // Today's tariff is dearer than the one that priced the connection.
        Tarife[1].Name.Setze(QStringLiteral("Teuer"));
        Tarife[1].Preis = 100;
        AktTarif = Tarife[1];
    }

    TJournal Bernds(int monat, int tag) const
    {
        TJournal j;
        j.Benutzer = 2;
        j.TarifNr = 1;
        j.Tarif.Name.Setze(QStringLiteral("Nacht"));
        j.Tarif.Preis = 4.8;
        j.Tarif.Einwahl = 6;
        j.Beginn = EncodeDate(2026, monat, tag) + EncodeTime(22, 15, 30, 0);
        j.DauerMs = (10 * 60 + 1) * 1000; // 10 min 1 s: 11 minutes billed
        return j;
    }

    void TearDown() override { SetzeUhr(std::nullopt); }

    void Lege(const TJournal& j) { Schreib(pfad, KodiereJournal(j)); }
};

TEST_F(Wiederherstellung, LogsIntoTheRecordedUsersMonthOfItsStartByRecordedPrices)
{
    // Began on 30 November; this start is in December, after the roll-over.
    Lege(Bernds(11, 30));
    const TWiederherstellung w = StelleVerbindungWiederHer(pfad);

    const double kosten = 0.59; // 11 × 4.8 = 52.8 → 53 Pf, plus 6 Pf dial-in
    const TDateTime dauer = 601'000.0 / MSecsPerDay;
    ASSERT_EQ(w.Meldungen.size(), 1);
    EXPECT_EQ(w.Meldungen[0],
        QStringLiteral("Eine Verbindung wurde nicht ordnungsgemäß beendet und bis zur letzten Sicherung "
                       "protokolliert: 30.11.2026 22:15:30, 00:10:01, 0,59 DM"));
    EXPECT_FALSE(w.JournalBleibt);
    EXPECT_FALSE(QFile::exists(pfad));

    const std::unique_ptr<TDaten> d = Gespeichert();
    ASSERT_TRUE(d);
    const TMonat& november = d->Benutzer[2].Monate[11];
    ASSERT_EQ(AnzahlVerbindungen(november), 1);
    EXPECT_EQ(november.Verbindungen[0].Tarif.Text(), QStringLiteral("Nacht"));
    EXPECT_DOUBLE_EQ(november.Verbindungen[0].Kosten, kosten);
    EXPECT_DOUBLE_EQ(november.Verbindungen[0].Dauer, dauer);
    EXPECT_DOUBLE_EQ(november.Verbindungen[0].Datum, Bernds(11, 30).Beginn + dauer);
    EXPECT_DOUBLE_EQ(november.SummeKosten, kosten);
    EXPECT_EQ(AnzahlVerbindungen(d->Benutzer[2].Monate[12]), 0);
    EXPECT_EQ(AnzahlVerbindungen(d->Benutzer[1].Monate[11]), 0);
    EXPECT_EQ(AnzahlVerbindungen(d->Benutzer[1].Monate[12]), 0);

    // The next start finds nothing more to do.
    EXPECT_TRUE(StelleVerbindungWiederHer(pfad).Meldungen.isEmpty());
    EXPECT_EQ(AnzahlVerbindungen(Daten.Benutzer[2].Monate[11]), 1);
}

TEST_F(Wiederherstellung, ARulesTariffIsPricedByTheRulesItCarried)
{
    TJournal j = Bernds(12, 1);
    // Six units begin in the cheap window up to 22:20:59, five after it; 1.5 MB start two
    // blocks of data.
    j.Regeln = "default=(0.02,60)\non () between (22:00..22:20) use (0.01,60)\nper_volume=(0.5,1000000)\n";
    j.Bytes = TBytestand { 1'000'000, 500'000 };
    Lege(j);
    const TWiederherstellung w = StelleVerbindungWiederHer(pfad);
    ASSERT_EQ(w.Meldungen.size(), 1);
    EXPECT_TRUE(w.Meldungen[0].endsWith(QStringLiteral("00:10:01, 1,16 DM"))) << w.Meldungen[0].toStdString();
    EXPECT_DOUBLE_EQ(Daten.Benutzer[2].Monate[12].Verbindungen[0].Kosten, 1.16);
}

TEST_F(Wiederherstellung, DamagedJournalsAreSetAsideWithoutOverwritingEarlierOnes)
{
    const QByteArray kaputt1("nicht von uns");
    const QByteArray kaputt2 = KodiereJournal(Bernds(12, 1)).left(50);
    Schreib(pfad, kaputt1);
    TWiederherstellung w = StelleVerbindungWiederHer(pfad);
    ASSERT_EQ(w.Meldungen.size(), 1);
    EXPECT_EQ(w.Meldungen[0],
        QStringLiteral("Die Verbindungssicherung ") + QDir::toNativeSeparators(pfad)
            + QStringLiteral(" ist beschädigt oder stammt nicht von Kostenwolf. Sie wurde als "
                             "Verbindung.kwj.defekt beiseitegelegt."));
    EXPECT_FALSE(w.JournalBleibt);

    Schreib(pfad, kaputt2);
    w = StelleVerbindungWiederHer(pfad);
    EXPECT_TRUE(w.Meldungen.value(0).contains(QStringLiteral("Verbindung.kwj.defekt.2")));
    EXPECT_FALSE(QFile::exists(pfad));
    EXPECT_EQ(Lies(dir.filePath(JournalBeiseiteName)), kaputt1);
    EXPECT_EQ(Lies(dir.filePath(JournalBeiseiteName + QStringLiteral(".2"))), kaputt2);
    // Nothing was logged, nothing saved.
    EXPECT_FALSE(QFile::exists(DatenPfad()));
    EXPECT_EQ(AnzahlVerbindungen(Daten.Benutzer[2].Monate[12]), 0);
}

// Never logged into a slot that is not its month's: set aside instead.
TEST_F(Wiederherstellung, AJournalThatBelongsNowhereIsSetAside)
{
    const struct {
        int benutzer;
        TDateTime beginn;
        const char* warum;
    } faelle[] = {
        { 3, Bernds(12, 1).Beginn, "gehört zu keinem vorhandenen Benutzer" },
        // December's slot holds this December now.
        { 2, EncodeDate(2025, 12, 20), "das Protokoll dieses Monats wird nicht mehr geführt" },
        { 2, EncodeDate(9999, 12, 31), "in der Zukunft" },
    };
    for (const auto& f : faelle) {
        TJournal j = Bernds(12, 1);
        j.Benutzer = f.benutzer;
        j.Beginn = f.beginn;
        Lege(j);
        EXPECT_TRUE(StelleVerbindungWiederHer(pfad).Meldungen.value(0).contains(QString::fromUtf8(f.warum)));
        EXPECT_FALSE(QFile::exists(DatenPfad())) << "nothing logged";
    }
}

// Wherever the program dies from the disconnect to the journal's removal (or the save
// fails), and wherever the start that finds the journal dies in turn, the next start
// leaves the connection logged exactly once.
TEST_F(Wiederherstellung, EveryConnectionIsLoggedExactlyOnceWhereverTheProgramDies)
{
    struct Tod { };
    enum { VorDemJournal, VorDemSpeichern, NachDemSpeichern, SpeichernScheitert, Ueberlebt };
    const auto anfang = std::make_unique<TDaten>(Daten);
    const auto Gescheitert = [] {
        TSpeicherErgebnis e;
        e.Ok = false;
        return e;
    };
    const auto stirb = [](bool wenn) {
        if (wenn)
            throw Tod {};
    };
    for (int schritt = VorDemJournal; schritt <= Ueberlebt; ++schritt)
        for (bool erholungStirbt : { false, true }) {
            SCOPED_TRACE(testing::Message() << schritt << erholungStirbt);
            Daten = *anfang;
            ASSERT_TRUE(SpeichereDaten().Ok);
            int64_t ms = 0;
            TVerbindungsjournal journal(pfad);
            TMessung messung([&] { return Now() + double(ms) / MSecsPerDay; }, [&] { return ms; },
                [&] {
                    stirb(schritt == VorDemSpeichern);
                    const TSpeicherErgebnis e
                        = schritt == SpeichernScheitert ? Gescheitert() : SpeichereDaten();
                    stirb(schritt == NachDemSpeichern);
                    return e;
                },
                [&] { return ms; });
            messung.BeiProtokoll = [&](const TBeendeteVerbindung& v) {
                stirb(schritt == VorDemJournal);
                journal.Protokolliert(v);
            };
            messung.Freigeben();
            journal.Verfolge(messung.Verbunden());
            for (ms = 1000; ms <= 5000; ms += 1000)
                journal.Verfolge(messung.Tick());
            try {
                journal.Verfolge(messung.Getrennt());
            }
            catch (const Tod&) {
            }
            // The next start with the record as it is on disk, and perhaps one after it.
            for (bool stirbt : { erholungStirbt, false }) {
                ASSERT_EQ(LadeDaten().art, TLadeErgebnis::Geladen);
                try {
                    StelleVerbindungWiederHer(pfad, [&] {
                        const TSpeicherErgebnis e = SpeichereDaten();
                        stirb(stirbt);
                        return e;
                    });
                }
                catch (const Tod&) {
                }
            }
            EXPECT_FALSE(QFile::exists(pfad));
            EXPECT_EQ(AnzahlVerbindungen(Gespeichert()->Benutzer[1].Monate[12]), 1);
        }
}

TEST_F(Wiederherstellung, AnUnreadableJournalIsLeftAloneAndLocked)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad).constData(), 0600), 0);
    const TWiederherstellung w = StelleVerbindungWiederHer(pfad);
    EXPECT_TRUE(w.JournalBleibt);
    ASSERT_EQ(w.Meldungen.size(), 1);
    EXPECT_TRUE(w.Meldungen[0].contains(QStringLiteral(" kann nicht gelesen werden (")));
    struct stat info { };
    ASSERT_EQ(::lstat(QFile::encodeName(pfad).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_FALSE(QFile::exists(dir.filePath(JournalBeiseiteName)));
}

TEST_F(Wiederherstellung, AFailedSaveUndoesTheEntryAndKeepsTheJournal)
{
    // The data file's name is taken by a directory: no save can succeed.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Daten.kwd")));
    Lege(Bernds(12, 1));
    const QByteArray journal = Lies(pfad);
    const TWiederherstellung w = StelleVerbindungWiederHer(pfad);
    EXPECT_TRUE(w.JournalBleibt);
    ASSERT_EQ(w.Meldungen.size(), 2);
    EXPECT_TRUE(w.Meldungen[0].startsWith(QStringLiteral("Die Daten konnten nicht gespeichert werden: ")));
    EXPECT_EQ(Lies(pfad), journal);
    EXPECT_EQ(AnzahlVerbindungen(Daten.Benutzer[2].Monate[12]), 0);
    EXPECT_EQ(Daten.Benutzer[2].Monate[12].SummeKosten, 0);
}

TEST_F(Wiederherstellung, AFullMonthStaysIntact)
{
    TMonat& m = Daten.Benutzer[2].Monate[12];
    for (TVerbindung& v : m.Verbindungen) {
        v.Tarif.Setze(QStringLiteral("Alt"));
        v.Kosten = 1;
    }
    m.SummeKosten = MaxVerbindungen;
    Lege(Bernds(12, 1));
    const TWiederherstellung w = StelleVerbindungWiederHer(pfad);
    EXPECT_TRUE(w.Meldungen.value(0).contains(QStringLiteral("voll (600 Verbindungen)")));
    EXPECT_EQ(m.SummeKosten, MaxVerbindungen);
    EXPECT_EQ(Daten.Benutzer[3].Name.Laenge, 0); // nothing written past the slot
    EXPECT_FALSE(QFile::exists(pfad));
}

} // namespace
