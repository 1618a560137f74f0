#include "core/Journal.h"
#include "core/Messung.h"
#include "store/Daten.h"
#include "support/Dateiinhalt.h"
#include "support/Saat.h"
#include "support/Testumgebung.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sys/stat.h>

namespace {

TJournal Beispiel()
{
    TJournal j;
    j.Benutzer = 2;
    j.TarifNr = 7;
    j.Tarif.Name.Setze(QStringLiteral("Nacht Ö"));
    j.Tarif.Preis = 4.8;
    j.Tarif.Grundpreis = 9.9;
    j.Tarif.Einwahl = 6;
    j.Beginn = EncodeDate(2026, 11, 30) + EncodeTime(23, 50, 0, 0);
    j.DauerMs = 3'723'456;
    j.Bytes = TBytestand { 5'000'000'123, 0 };
    return j;
}

// A record with a matching checksum, so that only the value checks can refuse it.
QByteArray MitPruefsumme(QByteArray bytes)
{
    const uint32_t crc = Crc32(bytes.constData(), size_t(bytes.size()) - 4);
    std::memcpy(bytes.data() + bytes.size() - 4, &crc, 4);
    return bytes;
}

class Journal : public ::testing::Test {
protected:
    TTestumgebung umgebung; // its own data folder, as KOSTENWOLF_DATA_DIR
    const QTemporaryDir& dir = umgebung.Verzeichnis;
    QString pfad;
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pfad = JournalPfad();
    }
    int64_t GeschriebeneDauer() const
    {
        const TJournalFund f = LeseJournal(pfad);
        return f.art == TJournalFund::Gueltig ? f.Journal.DauerMs : -1;
    }
};

TEST_F(Journal, RecordSurvivesTheFileWithEveryField)
{
    EXPECT_EQ(pfad, dir.filePath(QStringLiteral("Verbindung.kwj")));
    TVerbindungsjournal journal(pfad);
    EXPECT_TRUE(journal.Beginne(Beispiel()).isEmpty());

    struct stat info { };
    ASSERT_EQ(::stat(QFile::encodeName(pfad).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, off_t(JournalGroesse));

    const TJournalFund fund = LeseJournal(pfad);
    ASSERT_EQ(fund.art, TJournalFund::Gueltig);
    const TJournal& j = fund.Journal;
    EXPECT_EQ(j.Benutzer, 2);
    EXPECT_EQ(j.TarifNr, 7);
    EXPECT_EQ(j.Tarif.Name.Text(), QStringLiteral("Nacht Ö"));
    EXPECT_EQ(j.Tarif.Preis, 4.8);
    EXPECT_EQ(j.Tarif.Grundpreis, 9.9);
    EXPECT_EQ(j.Tarif.Einwahl, 6);
    EXPECT_EQ(j.Beginn, Beispiel().Beginn);
    EXPECT_EQ(j.DauerMs, 3'723'456);
    EXPECT_EQ(j.Bytes, Beispiel().Bytes);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { JournalName });
}

TEST_F(Journal, TheRulesThatPriceTheConnectionGoAlong)
{
    TJournal j = Beispiel();
    j.Regeln = "default=(0.12,90)\non (monday..friday) between (21:00..07:59) use (0.03,60)\n";
    TVerbindungsjournal journal(pfad);
    EXPECT_TRUE(journal.Beginne(j).isEmpty());
    const TJournalFund fund = LeseJournal(pfad);
    ASSERT_EQ(fund.art, TJournalFund::Gueltig);
    EXPECT_EQ(fund.Journal.Regeln, j.Regeln);
    EXPECT_EQ(fund.Journal.DauerMs, j.DauerMs);

    // Beside the logged entry: the rules follow it, at 136 behind their length.
    j.Datum = j.Beginn + 0.05;
    j.Kosten = 1.23;
    const QByteArray bytes = KodiereJournal(j);
    EXPECT_EQ(bytes[4], 4);
    EXPECT_EQ(size_t(bytes.size()), JournalGroesse + 4 + size_t(j.Regeln.size()));
    uint32_t laenge = 0;
    std::memcpy(&laenge, bytes.constData() + 132, 4);
    EXPECT_EQ(laenge, uint32_t(j.Regeln.size()));
    EXPECT_EQ(bytes.mid(136, j.Regeln.size()), j.Regeln);
    const std::optional<TJournal> gelesen = DekodiereJournal(bytes);
    ASSERT_TRUE(gelesen.has_value());
    EXPECT_EQ(gelesen->Regeln, j.Regeln);
    EXPECT_EQ(gelesen->Datum, j.Datum);
    EXPECT_EQ(gelesen->Kosten, j.Kosten);
}

TEST_F(Journal, DamagedTruncatedOrForeignRecordsAreRefused)
{
    const QByteArray gut = KodiereJournal(Beispiel());
    ASSERT_TRUE(DekodiereJournal(gut).has_value());

    auto mit = [&](auto aendern) {
        TJournal j = Beispiel();
        aendern(j);
        return KodiereJournal(j);
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double unendlich = std::numeric_limits<double>::infinity();
    std::mt19937 zufall(Testsaat());
    QByteArray zufaellig(qsizetype(JournalGroesse), '\0');
    for (char& c : zufaellig)
        c = char(zufall());
    QByteArray fremdeKennung = gut;
    fremdeKennung[0] = 'X';
    QByteArray andereVersion = gut;
    andereVersion[4] = 5;
    QByteArray mitRegelnVersion5 = mit([](TJournal& j) { j.Regeln = "default=(1,60)\n"; });
    mitRegelnVersion5[4] = 5;
    QByteArray ohneRegelnVersion4 = gut;
    ohneRegelnVersion4[4] = 4;
    QByteArray version1 = gut;
    version1[4] = 1;
    QByteArray umgekippt = gut;
    umgekippt[90] = char(umgekippt[90] ^ 0x01);
    QByteArray nameZuLang = gut;
    nameZuLang[8] = char(51);

    const std::vector<std::pair<const char*, QByteArray>> faelle = {
        { "leer", QByteArray() },
        { "kurz", gut.left(60) },
        { "ohne Prüfsumme", gut.left(100) },
        { "zu lang", gut + QByteArray("x") },
        { "Zufall", zufaellig },
        { "Zufall mit Prüfsumme", MitPruefsumme(zufaellig) },
        { "fremde Kennung", MitPruefsumme(fremdeKennung) },
        { "andere Version", MitPruefsumme(andereVersion) },
        { "Regeln in Version 5", MitPruefsumme(mitRegelnVersion5) },
        { "Version 4 ohne Regeln", MitPruefsumme(ohneRegelnVersion4) },
        { "Version 1 in der Länge von Version 3", MitPruefsumme(version1) },
        { "ein Bit umgekippt", umgekippt },
        { "Name zu lang", MitPruefsumme(nameZuLang) },
        { "Benutzer 0", mit([](TJournal& j) { j.Benutzer = 0; }) },
        { "Benutzer 5", mit([](TJournal& j) { j.Benutzer = 5; }) },
        { "Tarif 100", mit([](TJournal& j) { j.TarifNr = 100; }) },
        { "Preis NaN", mit([&](TJournal& j) { j.Tarif.Preis = nan; }) },
        { "Einwahl unendlich", mit([&](TJournal& j) { j.Tarif.Einwahl = -unendlich; }) },
        { "Grundpreis riesig", mit([](TJournal& j) { j.Tarif.Grundpreis = 1e300; }) },
        { "Preis riesig", mit([](TJournal& j) { j.Tarif.Preis = 2e6; }) },
        { "Beginn NaN", mit([&](TJournal& j) { j.Beginn = nan; }) },
        { "Beginn riesig", mit([](TJournal& j) { j.Beginn = 1e18; }) },
        { "Beginn vor 1900", mit([](TJournal& j) { j.Beginn = -5; }) },
        { "Dauer negativ", mit([](TJournal& j) { j.DauerMs = -1; }) },
        { "Dauer riesig", mit([](TJournal& j) { j.DauerMs = std::numeric_limits<int64_t>::max(); }) },
        { "Dauer über ein Jahr", mit([](TJournal& j) { j.DauerMs = 367 * MSecsPerDay; }) },
        { "Regeln unlesbar", mit([](TJournal& j) { j.Regeln = "default=(x,60)"; }) },
        { "Regeln abgeschnitten", mit([](TJournal& j) { j.Regeln = "default=(1,60)"; }).chopped(1) },
    };
    for (const auto& [name, bytes] : faelle) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(DekodiereJournal(bytes).has_value());
        Schreib(pfad, bytes);
        EXPECT_EQ(LeseJournal(pfad).art, TJournalFund::Defekt);
    }

    // A journal left by the version before bytes were counted is still read.
    const auto alt = DekodiereJournal(MitPruefsumme(version1.left(104)));
    ASSERT_TRUE(alt.has_value());
    EXPECT_EQ(alt->DauerMs, Beispiel().DauerMs);
    EXPECT_FALSE(alt->Bytes);
    // So is one of the version before the logged entry.
    QByteArray version2 = gut.left(120);
    version2[4] = 2;
    const auto vorEintrag = DekodiereJournal(MitPruefsumme(version2));
    ASSERT_TRUE(vorEintrag.has_value());
    EXPECT_EQ(vorEintrag->Bytes, Beispiel().Bytes);
    EXPECT_FALSE(vorEintrag->Protokolliert());
}

TEST_F(Journal, MissingUnreadableAndSpecialFilesNeverBlock)
{
    EXPECT_EQ(LeseJournal(pfad).art, TJournalFund::Keins);

    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad).constData(), 0600), 0);
    TJournalFund fund = LeseJournal(pfad); // a FIFO without writer must not be waited on
    EXPECT_EQ(fund.art, TJournalFund::Unlesbar);
    EXPECT_FALSE(fund.Grund.isEmpty());
    QFile::remove(pfad);

    ASSERT_TRUE(QDir(dir.path()).mkdir(JournalName));
    fund = LeseJournal(pfad);
    EXPECT_EQ(fund.art, TJournalFund::Unlesbar);
    EXPECT_EQ(fund.Grund, QStringLiteral("Ist ein Verzeichnis"));
}

TEST_F(Journal, CheckpointsFollowTheIntervalAndChangesAtOnce)
{
    TVerbindungsjournal journal(pfad);
    TJournal stand = Beispiel();
    stand.DauerMs = 0;
    EXPECT_TRUE(journal.Takt(stand).isEmpty()); // no connection: nothing written
    EXPECT_FALSE(QFile::exists(pfad));

    journal.Beginne(stand);
    EXPECT_EQ(GeschriebeneDauer(), 0);
    // Bytes grow with every tick, as time does: neither makes a checkpoint due.
    for (int64_t ms = 1000; ms < TVerbindungsjournal::SicherungsabstandMs; ms += 1000) {
        stand.DauerMs = ms;
        stand.Bytes = TBytestand { uint64_t(ms) * 1000, uint64_t(ms) };
        journal.Takt(stand);
        EXPECT_EQ(GeschriebeneDauer(), 0);
    }
    stand.DauerMs = TVerbindungsjournal::SicherungsabstandMs;
    journal.Takt(stand);
    EXPECT_EQ(GeschriebeneDauer(), TVerbindungsjournal::SicherungsabstandMs);

    // Another user or tariff is written with the next tick, not a checkpoint later.
    stand.DauerMs += 1000;
    stand.Benutzer = 3;
    journal.Takt(stand);
    EXPECT_EQ(LeseJournal(pfad).Journal.Benutzer, 3);
    stand.DauerMs += 1000;
    stand.Tarif.Preis = 2.5;
    journal.Takt(stand);
    EXPECT_EQ(LeseJournal(pfad).Journal.Tarif.Preis, 2.5);

    journal.Beende(true);
    EXPECT_FALSE(QFile::exists(pfad));
    EXPECT_FALSE(journal.Aktiv());
}

TEST_F(Journal, CheckpointsNeverTouchTheDataFile)
{
    std::memset(&Daten, 0, sizeof Daten);
    Daten.BenutzerAnzahl = 1;
    ASSERT_TRUE(SpeichereDaten().Ok);
    const QByteArray vorher = Lies(DatenPfad());
    struct stat alt { };
    ASSERT_EQ(::stat(QFile::encodeName(DatenPfad()).constData(), &alt), 0);

    TVerbindungsjournal journal(pfad);
    TJournal stand = Beispiel();
    journal.Beginne(stand);
    for (int i = 1; i <= 20; ++i) {
        stand.DauerMs = i * TVerbindungsjournal::SicherungsabstandMs;
        ASSERT_TRUE(journal.Takt(stand).isEmpty());
    }
    struct stat neu { };
    ASSERT_EQ(::stat(QFile::encodeName(DatenPfad()).constData(), &neu), 0);
    EXPECT_EQ(neu.st_ino, alt.st_ino);
    EXPECT_EQ(neu.st_mtim.tv_sec, alt.st_mtim.tv_sec);
    EXPECT_EQ(neu.st_mtim.tv_nsec, alt.st_mtim.tv_nsec);
    EXPECT_EQ(Lies(DatenPfad()), vorher);
    EXPECT_EQ(GeschriebeneDauer(), 20 * TVerbindungsjournal::SicherungsabstandMs);
}

// The journal through the metering's results: connect, ticks, a disconnect whose save
// fails, a connection meanwhile, and the disconnect whose save brings both logs to disk.
TEST_F(Journal, FollowsTheMeteringUntilTheLogIsSaved)
{
    std::memset(&Daten, 0, sizeof Daten);
    Daten.BenutzerAnzahl = 1;
    Daten.Benutzer[1].MonatNr = 12;
    Daten.Benutzer[1].TarifNr = 4;
    AktBenutzer = 1;
    AktTarif = Beispiel().Tarif;
    const TDateTime beginn = EncodeDate(2026, 12, 8) + EncodeTime(20, 0, 0, 0);
    int64_t mono = 5'000'000;
    bool speichernGelingt = false;
    TMessung messung([&] { return beginn + (mono - 5'000'000) / double(MSecsPerDay); }, [&] { return mono; },
        [&] {
            TSpeicherErgebnis e;
            e.Ok = speichernGelingt;
            e.Grund = QStringLiteral("Kein Speicherplatz mehr auf dem Gerät");
            return e;
        },
        [&] { return mono; });
    TVerbindungsjournal journal(pfad);
    messung.Freigeben();

    EXPECT_TRUE(journal.Verfolge(messung.Verbunden()).isEmpty());
    TJournalFund fund = LeseJournal(pfad);
    ASSERT_EQ(fund.art, TJournalFund::Gueltig);
    EXPECT_EQ(fund.Journal.Benutzer, 1);
    EXPECT_EQ(fund.Journal.TarifNr, 4);
    EXPECT_EQ(fund.Journal.Tarif.Preis, 4.8);
    EXPECT_EQ(fund.Journal.Beginn, beginn);
    EXPECT_EQ(fund.Journal.DauerMs, 0);
    for (int i = 0; i < 4; ++i) {
        mono += 1000;
        journal.Verfolge(messung.Tick());
    }
    EXPECT_EQ(GeschriebeneDauer(), 3000);

    journal.Verfolge(messung.Getrennt()); // "Daten.kwd" could not be saved
    const QByteArray wartend = Lies(pfad);
    EXPECT_EQ(GeschriebeneDauer(), 3000);
    EXPECT_TRUE(journal.Wartet());

    // The next connection writes no journal over the waiting one...
    journal.Verfolge(messung.Verbunden());
    mono += 10'000;
    journal.Verfolge(messung.Tick());
    EXPECT_EQ(Lies(pfad), wartend);
    // ...until a save brings the first log to disk.
    speichernGelingt = true;
    journal.Verfolge(messung.Getrennt());
    EXPECT_FALSE(QFile::exists(pfad));
    EXPECT_FALSE(journal.Wartet());
}

TEST_F(Journal, ALockedJournalIsNeverTouched)
{
    Schreib(pfad, "von einem frueheren Lauf");
    TVerbindungsjournal journal(pfad);
    journal.Sperre();
    journal.Beginne(Beispiel());
    journal.Beende(true);
    journal.Gespeichert();
    EXPECT_EQ(Lies(pfad), QByteArray("von einem frueheren Lauf"));
}

TEST_F(Journal, AFailedWriteIsReportedOncePerConnection)
{
    // The journal's name is taken by a directory, so no checkpoint can replace it.
    ASSERT_TRUE(QDir(dir.path()).mkdir(JournalName));
    TVerbindungsjournal journal(pfad);
    TJournal stand = Beispiel();
    const QString meldung = journal.Beginne(stand);
    EXPECT_TRUE(
        meldung.startsWith(QStringLiteral("Die laufende Verbindung kann nicht zwischengesichert werden: ")))
        << meldung.toStdString();
    stand.DauerMs += TVerbindungsjournal::SicherungsabstandMs;
    EXPECT_TRUE(journal.Takt(stand).isEmpty());
    journal.Beende(true);
    EXPECT_FALSE(journal.Beginne(stand).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0); // no temporary left
}

} // namespace
