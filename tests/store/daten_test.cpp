#include "store/Daten.h"
#include "store/Datenverzeichnis.h"
#include "store/Tarife.h"
#include "support/Dateiinhalt.h"
#include "support/Testumgebung.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

template <typename T> T Wert(const QByteArray& bytes, size_t offset)
{
    T wert;
    std::memcpy(&wert, bytes.constData() + offset, sizeof wert);
    return wert;
}

template <typename T> void Setze(QByteArray& bytes, size_t offset, T wert)
{
    std::memcpy(bytes.data() + offset, &wert, sizeof wert);
}

size_t EintragOffset(int u, int m, int k)
{
    return 4 + size_t(u - 1) * 593'088 + 80 + size_t(m) * 45'616 + size_t(k) * 76;
}

class Store : public ::testing::Test {
protected:
    TTestumgebung umgebung; // its own data folder, as KOSTENWOLF_DATA_DIR
    const QTemporaryDir& dir = umgebung.Verzeichnis;
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Pfad(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(Store, RecordLayoutAtTheDocumentedOffsets)
{
    Daten.BenutzerAnzahl = 3;
    Daten.StartBenutzer = 2;
    Daten.FensterStil = 3;
    Daten.MinimiertStarten = 1;
    TBenutzer& b = Daten.Benutzer[3];
    b.Name.Setze(QStringLiteral("Jürgen"));
    b.Kennwort.Setze(QStringLiteral("geheim"));
    b.TarifNr = 42;
    b.MonatNr = 11;
    TVerbindung& v = b.Monate[11].Verbindungen[599];
    v.Tarif.Setze(QStringLiteral("Abend"));
    v.Datum = 36586.5;
    v.Dauer = 0.25;
    v.Kosten = 1.23;
    b.Monate[11].SummeDauer = 7;
    b.Monate[11].SummeKosten = 8;
    ASSERT_TRUE(SpeichereDaten().Ok);

    const QByteArray f = Lies(DatenPfad());
    ASSERT_EQ(f.size(), 2'372'360);
    EXPECT_EQ(f[0], 3);
    EXPECT_EQ(f[1], 2);
    const size_t u3 = 4 + 2 * 593'088;
    EXPECT_EQ(f[int(u3)], 6);
    EXPECT_EQ(f.mid(int(u3) + 1, 6), QByteArray("J\xFCrgen"));
    EXPECT_EQ(f[int(u3) + 51], 6);
    EXPECT_EQ(f.mid(int(u3) + 52, 6), "geheim");
    EXPECT_EQ(f[int(u3) + 77], 42);
    EXPECT_EQ(f[int(u3) + 78], 11);
    const size_t e = EintragOffset(3, 11, 599);
    EXPECT_EQ(f[int(e)], 5);
    EXPECT_EQ(f.mid(int(e) + 1, 5), "Abend");
    EXPECT_EQ(Wert<double>(f, e + 52), 36586.5);
    EXPECT_EQ(Wert<double>(f, e + 60), 0.25);
    EXPECT_EQ(Wert<double>(f, e + 68), 1.23);
    EXPECT_EQ(Wert<double>(f, e + 76), 7.0); // SummeDauer follows entry 599
    EXPECT_EQ(Wert<double>(f, e + 84), 8.0);
    EXPECT_EQ(f[2'372'356], 3);
    EXPECT_EQ(f[2'372'357], 1);
}

TEST_F(Store, ReadsBytesPatchedAtOffsets)
{
    QByteArray f(2'372'360, '\0');
    f[0] = 2;
    f[1] = 1;
    const size_t e = EintragOffset(2, 5, 17);
    f[int(e)] = 3;
    f.replace(int(e) + 1, 3, "ISD");
    Setze(f, e + 68, 4.75);
    Schreib(DatenPfad(), f);
    ASSERT_EQ(LadeDaten().art, TLadeErgebnis::Geladen);
    EXPECT_EQ(Daten.BenutzerAnzahl, 2);
    EXPECT_EQ(Daten.Benutzer[2].Monate[5].Verbindungen[17].Tarif.Text(), "ISD");
    EXPECT_EQ(Daten.Benutzer[2].Monate[5].Verbindungen[17].Kosten, 4.75);
}

TEST_F(Store, MissingFileIsCreatedEmptyAndPrivate)
{
    Daten.BenutzerAnzahl = 0;
    EXPECT_EQ(LadeDaten().art, TLadeErgebnis::Angelegt);
    QFileInfo info(DatenPfad());
    EXPECT_TRUE(info.exists());
    EXPECT_EQ(info.size(), 0);
    struct stat st { };
    ASSERT_EQ(::stat(QFile::encodeName(DatenPfad()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(Daten.BenutzerAnzahl, 0);
    ASSERT_TRUE(SpeichereDaten().Ok);
    EXPECT_EQ(QFileInfo(DatenPfad()).size(), 2'372'360);
    ASSERT_EQ(::stat(QFile::encodeName(DatenPfad()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_EQ(LadeTarife().art, TLadeErgebnis::Angelegt);
    EXPECT_EQ(QFileInfo(TarifePfad()).size(), 0);
    ASSERT_TRUE(SpeichereTarife().Ok);
    EXPECT_EQ(QFileInfo(TarifePfad()).size(), 7'524);
}

TEST_F(Store, ShortFileFillsOnlyTheBeginning)
{
    QByteArray f(1000, '\x07');
    Schreib(DatenPfad(), f);
    ASSERT_EQ(LadeDaten().art, TLadeErgebnis::Geladen);
    const auto* roh = reinterpret_cast<const unsigned char*>(&Daten);
    EXPECT_EQ(roh[4], 7);
    EXPECT_EQ(roh[999], 7);
    EXPECT_EQ(roh[1000], 0);
    EXPECT_EQ(roh[sizeof Daten - 1], 0);
}

TEST_F(Store, LongerFileKeepsItsTailAndRoundTripsByteForByte)
{
    QByteArray f(2'372'360, '\0');
    for (int i = 0; i < f.size(); i += 997)
        f[i] = char(i % 13); // small enough to be valid wherever it lands
    f[0] = 2;
    f[1] = 1;
    const QByteArray schwanz("SCHWANZ-DER-DATEI");
    Schreib(DatenPfad(), f + schwanz);
    ASSERT_EQ(LadeDaten().art, TLadeErgebnis::Geladen);
    ASSERT_TRUE(SpeichereDaten().Ok);
    EXPECT_EQ(Lies(DatenPfad()), f + schwanz);
    Daten.Benutzer[1].Name.Setze(QStringLiteral("Neu"));
    ASSERT_TRUE(SpeichereDaten().Ok);
    const QByteArray neu = Lies(DatenPfad());
    EXPECT_EQ(neu.size(), f.size() + schwanz.size());
    EXPECT_TRUE(neu.endsWith(schwanz));
}

TEST_F(Store, NameKeepsTheBytesBehindIt)
{
    std::memset(Daten.Benutzer[1].Name.Zeichen, 'Z', 50);
    Daten.Benutzer[1].Name.Setze(QStringLiteral("Standardbenutzer"));
    ASSERT_TRUE(SpeichereDaten().Ok);
    const QByteArray f = Lies(DatenPfad());
    EXPECT_EQ(f[4], 16);
    EXPECT_EQ(f.mid(5, 16), "Standardbenutzer");
    EXPECT_EQ(f.mid(21, 34), QByteArray(34, 'Z'));
}

TEST_F(Store, UsedEntriesAreThePrefixBeforeTheFirstFreeOne)
{
    TMonat& m = Daten.Benutzer[1].Monate[3];
    for (int k : { 0, 1, 2, 4, 5 })
        m.Verbindungen[k].Tarif.Setze(QStringLiteral("T"));
    EXPECT_EQ(AnzahlVerbindungen(m), 3);
    for (TVerbindung& v : m.Verbindungen)
        v.Tarif.Setze(QStringLiteral("T"));
    EXPECT_EQ(AnzahlVerbindungen(m), 600);
    m.Verbindungen[9].Kosten = 5;
    m.SummeKosten = 5;
    LeereMonat(m);
    EXPECT_EQ(AnzahlVerbindungen(m), 0);
    EXPECT_EQ(m.Verbindungen[9].Kosten, 0);
    EXPECT_EQ(m.SummeKosten, 0);
    EXPECT_EQ(m.Verbindungen[9].Tarif.Zeichen[0], 'T'); // only the length is cleared
}

TEST_F(Store, DamagedRecordIsClamped)
{
    QByteArray f(2'372'360, '\0');
    f[0] = char(200);
    f[1] = char(9);
    const size_t u2 = 4 + 593'088;
    f[int(u2)] = char(255); // name length
    f[int(u2) + 51] = char(99); // password length
    f[int(u2) + 77] = char(150); // TarifNr
    f[int(u2) + 78] = char(13); // MonatNr
    f[int(EintragOffset(4, 12, 599))] = char(51);
    Schreib(DatenPfad(), f);
    ASSERT_EQ(LadeDaten().art, TLadeErgebnis::Geladen);
    EXPECT_EQ(Daten.BenutzerAnzahl, 4);
    EXPECT_EQ(Daten.StartBenutzer, 1);
    EXPECT_EQ(Daten.Benutzer[2].Name.Laenge, 50);
    EXPECT_EQ(Daten.Benutzer[2].Kennwort.Laenge, 25);
    EXPECT_EQ(Daten.Benutzer[2].TarifNr, 0);
    EXPECT_EQ(Daten.Benutzer[2].MonatNr, 0);
    EXPECT_EQ(Daten.Benutzer[4].Monate[12].Verbindungen[599].Tarif.Text().size(), 50);

    // StartBenutzer 0 marks a fresh record and stays
    f[0] = 0;
    f[1] = 0;
    Schreib(DatenPfad(), f);
    ASSERT_EQ(LadeDaten().art, TLadeErgebnis::Geladen);
    EXPECT_EQ(Daten.StartBenutzer, 0);
}

TEST_F(Store, TariffTableSlotsAndCopyRule)
{
    Tarife[1].Name.Setze(QStringLiteral("Tag"));
    Tarife[1].Preis = 4.8;
    Tarife[3].Name.Setze(QString(60, QLatin1Char('N')));
    Tarife[3].Preis = 2.5;
    Tarife[3].Grundpreis = 9.9;
    Tarife[3].Einwahl = 6;
    Tarife[99].Name.Setze(QStringLiteral("Letzter"));
    ASSERT_TRUE(SpeichereTarife().Ok);
    const QByteArray f = Lies(TarifePfad());
    ASSERT_EQ(f.size(), 7'524);
    EXPECT_EQ(f[0], 3);
    EXPECT_EQ(f[76], 0); // slot 2 free
    EXPECT_EQ(f[152], 50);
    EXPECT_EQ(Wert<double>(f, 152 + 52), 2.5);
    EXPECT_EQ(Wert<double>(f, 152 + 60), 9.9);
    EXPECT_EQ(Wert<double>(f, 152 + 68), 6.0);
    EXPECT_EQ(f[98 * 76], 7);

    std::memset(&Tarife, 0, sizeof Tarife);
    ASSERT_EQ(LadeTarife().art, TLadeErgebnis::Geladen);
    EXPECT_TRUE(Tarife[2].Name.Leer());
    SetzeAktTarif(3);
    EXPECT_EQ(AktTarif.Name.Text(), QString(50, QLatin1Char('N')));
    EXPECT_EQ(AktTarif.Grundpreis, 9.9);
    EXPECT_EQ(AktTarif.Einwahl, 6);

    // Deleting frees the slot but leaves its name bytes in the file.
    LeereTarif(Tarife[1]);
    ASSERT_TRUE(SpeichereTarife().Ok);
    const QByteArray g = Lies(TarifePfad());
    EXPECT_EQ(g[0], 0);
    EXPECT_EQ(g.mid(1, 3), "Tag");
    EXPECT_EQ(Wert<double>(g, 52), 0.0);
    SetzeAktTarif(1); // a freed slot copies as it is
    EXPECT_TRUE(AktTarif.Name.Leer());
    EXPECT_EQ(AktTarif.Preis, 0);
    SetzeAktTarif(0);
    EXPECT_TRUE(AktTarif.Name.Leer());
    EXPECT_EQ(AktTarif.Grundpreis, 0);
}

TEST_F(Store, ZeroTableIsFreeAndDamagedValuesPriceAsZero)
{
    Schreib(TarifePfad(), QByteArray(7'524, '\0'));
    ASSERT_EQ(LadeTarife().art, TLadeErgebnis::Geladen);
    for (int k = 1; k <= 99; ++k)
        EXPECT_TRUE(Tarife[k].Name.Leer());
    QByteArray f(7'524, '\0');
    f[0] = char(200);
    Setze(f, 52, std::numeric_limits<double>::quiet_NaN());
    Setze(f, 60, std::numeric_limits<double>::infinity());
    Setze(f, 68, 6.0);
    Schreib(TarifePfad(), f + "tail");
    ASSERT_EQ(LadeTarife().art, TLadeErgebnis::Geladen);
    EXPECT_EQ(Tarife[1].Name.Laenge, 50);
    SetzeAktTarif(1);
    EXPECT_EQ(AktTarif.Preis, 0);
    EXPECT_EQ(AktTarif.Grundpreis, 0);
    EXPECT_EQ(AktTarif.Einwahl, 6);
    SetzeAktTarif(150);
    EXPECT_TRUE(AktTarif.Name.Leer());
}

// A save that cannot complete must leave the old file intact and say so.
TEST_F(Store, FailedSaveLeavesTheOldFileAndReportsIt)
{
    Daten.BenutzerAnzahl = 1;
    ASSERT_TRUE(SpeichereDaten().Ok);
    const QByteArray vorher = Lies(DatenPfad());

    // A disk that fills up after 1,000 bytes: the file size limit makes the write fail.
    Daten.BenutzerAnzahl = 2;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit alt {};
    getrlimit(RLIMIT_FSIZE, &alt);
    rlimit knapp = alt;
    knapp.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &knapp);
    const TSpeicherErgebnis e = SpeichereDaten();
    setrlimit(RLIMIT_FSIZE, &alt);
    EXPECT_FALSE(e.Ok);
    EXPECT_FALSE(e.Grund.isEmpty());
    EXPECT_EQ(Lies(DatenPfad()), vorher);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary left";
    const QString text = SpeicherFehlerText(e);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Die Daten konnten nicht gespeichert werden: ") + DatenPfad()))
        << text.toStdString();

    // A directory that cannot be written to.
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0500), 0);
        const TSpeicherErgebnis ro = SpeichereDaten();
        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
        EXPECT_FALSE(ro.Ok);
        EXPECT_EQ(Lies(DatenPfad()), vorher);
    }
}

TEST_F(Store, ReadOnlyDirectoryAsRoot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root for a read-only bind mount; the chmod case covers other users";
    Daten.BenutzerAnzahl = 1;
    ASSERT_TRUE(SpeichereDaten().Ok);
    const QByteArray vorher = Lies(DatenPfad());
    const pid_t kind = fork();
    if (kind == 0) {
        // In a mount namespace of its own, the directory becomes read-only.
        if (unshare(CLONE_NEWNS) != 0)
            _exit(77);
        const QByteArray p = QFile::encodeName(dir.path());
        if (system("mount --make-rprivate / 2>/dev/null") != 0)
            _exit(77);
        const QByteArray cmd
            = "mount --bind '" + p + "' '" + p + "' && mount -o remount,bind,ro '" + p + "' '" + p + "'";
        if (system(cmd.constData()) != 0)
            _exit(77);
        Daten.BenutzerAnzahl = 3;
        const TSpeicherErgebnis e = SpeichereDaten();
        _exit(e.Ok ? 1 : 0);
    }
    int status = 0;
    waitpid(kind, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no mount namespace here";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save must report failure";
    EXPECT_EQ(Lies(DatenPfad()), vorher);
}

TEST_F(Store, UnreadableFileIsNeverOverwritten)
{
    // A folder where the file should be: it cannot be read, and must not be replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Daten.kwd")));
    const TLadeErgebnis e = LadeDaten();
    EXPECT_EQ(e.art, TLadeErgebnis::Unlesbar);
    EXPECT_EQ(LadeFehlerText(DatenPfad()),
        QStringLiteral("Die Datei ") + DatenPfad()
            + QStringLiteral(" kann nicht gelesen werden. Änderungen werden nicht gespeichert."));
    const TSpeicherErgebnis s = SpeichereDaten();
    EXPECT_FALSE(s.Ok);
    EXPECT_TRUE(s.Gesperrt);
    EXPECT_TRUE(SpeicherFehlerText(s).isEmpty()); // told once at start-up
    EXPECT_TRUE(QFileInfo(DatenPfad()).isDir());

    if (::geteuid() != 0) {
        QDir(dir.path()).rmdir(QStringLiteral("Daten.kwd"));
        Schreib(DatenPfad(), QByteArray(100, 'x'));
        ::chmod(QFile::encodeName(DatenPfad()).constData(), 0200);
        EXPECT_EQ(LadeDaten().art, TLadeErgebnis::Unlesbar);
        EXPECT_FALSE(SpeichereDaten().Ok);
        ::chmod(QFile::encodeName(DatenPfad()).constData(), 0600);
        EXPECT_EQ(Lies(DatenPfad()), QByteArray(100, 'x'));
    }
}

TEST_F(Store, SpecialFilesAreUnreadableWithoutBlocking)
{
    // A FIFO in a data file's place must neither hang the start nor be replaced.
    const std::tuple<QString, TLadeErgebnis (*)(), TSpeicherErgebnis (*)()> dateien[] = {
        { DatenPfad(), &LadeDaten, &SpeichereDaten },
        { TarifePfad(), &LadeTarife, &SpeichereTarife },
    };
    for (const auto& [pfad, lade, speichere] : dateien) {
        const QByteArray name = QFile::encodeName(pfad);
        ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
        auto ergebnis = std::async(std::launch::async, lade);
        if (ergebnis.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "reading a FIFO blocks: " << name.constData();
            // A writer lets the blocked open go, so the test can end.
            const int schreiber = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
            ergebnis.wait();
            ::close(schreiber);
            continue;
        }
        const TLadeErgebnis e = ergebnis.get();
        EXPECT_EQ(e.art, TLadeErgebnis::Unlesbar) << name.constData();
        EXPECT_FALSE(e.Grund.isEmpty());
        const TSpeicherErgebnis s = speichere();
        EXPECT_FALSE(s.Ok);
        EXPECT_TRUE(s.Gesperrt);
        struct stat st { };
        ASSERT_EQ(::lstat(name.constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << name.constData();
    }

    // A link to a device reads as empty if opened; it still is no data file.
    QFile::remove(DatenPfad());
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), DatenPfad()));
    EXPECT_EQ(LadeDaten().art, TLadeErgebnis::Unlesbar);
}

TEST_F(Store, SaveKeepsAnExistingFilesPermissions)
{
    Schreib(DatenPfad(), QByteArray(10, '\0'));
    ::chmod(QFile::encodeName(DatenPfad()).constData(), 0640);
    ASSERT_EQ(LadeDaten().art, TLadeErgebnis::Geladen);
    ASSERT_TRUE(SpeichereDaten().Ok);
    struct stat st { };
    ::stat(QFile::encodeName(DatenPfad()).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(DataDirectory, EnvironmentOverridesAndIsOnlyLookedUp)
{
    QTemporaryDir basis;
    const QString ziel = basis.filePath(QStringLiteral("a/b"));
    qputenv("KOSTENWOLF_DATA_DIR", QFile::encodeName(ziel));
    EXPECT_EQ(DatenVerzeichnis(), ziel);
    EXPECT_FALSE(QFileInfo::exists(ziel)); // the program creates it at start, --bericht never
    EXPECT_EQ(DatenPfad(), ziel + QStringLiteral("/Daten.kwd"));
    qunsetenv("KOSTENWOLF_DATA_DIR");
    // The test program's folder is writable here, so that is where the files go.
    EXPECT_EQ(DatenVerzeichnis(),
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath());
}

} // namespace
