#include "platform/InstanzServer.h"
#include "platform/InstanzSperre.h"
#include "platform/Laufzeitverzeichnis.h"
#include "process/InstanceManager.h"
#include "process/Programmaufruf.h"
#include "support/Umgebungsvariable.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// Starts a later instance on its own thread while this thread serves the running one.
TInstanceManager::TStart StarteNebenher(TInstanceManager& spaeter, const QByteArray& argument)
{
    auto ergebnis = std::async(std::launch::async, [&] { return spaeter.Starte(argument); });
    QDeadlineTimer frist(30000);
    while (ergebnis.wait_for(std::chrono::seconds(0)) != std::future_status::ready && !frist.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return ergebnis.get();
}

qint64 ToterProzess()
{
    QProcess kurz;
    kurz.start(QStringLiteral("/bin/sleep"), { QStringLiteral("0.1") });
    kurz.waitForStarted();
    const qint64 pid = kurz.processId();
    kurz.waitForFinished();
    return pid;
}

// A socket file nobody listens at any more, as a killed instance leaves it behind.
void LasseToteSocketDateiZurueck(const QString& pfad)
{
    sockaddr_un adresse {};
    adresse.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(pfad);
    std::memcpy(adresse.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse);
    ::listen(fd, 1);
    ::close(fd);
}

} // namespace

class InstanceManagerTest : public ::testing::Test {
protected:
    QTemporaryDir ordner;
};

TEST_F(InstanceManagerTest, FirstInstanceHoldsTheLockUntilItsServerListens)
{
    TInstanceManager erste(ordner.path());
    ASSERT_EQ(erste.Starte({}), TInstanceManager::ErsteInstanz);

    TInstanceManager wartet(ordner.path());
    wartet.Sperrwartezeit = 100;
    EXPECT_EQ(wartet.Starte("abc"), TInstanceManager::Zeitueberschreitung);

    ASSERT_TRUE(erste.Registriere()) << erste.Fehlertext().toStdString();
    EXPECT_TRUE(erste.Registriert());

    // The running instance acknowledges every hand-over, with an argument or without
    // (what arrives is checked against the built program in tst_instancemanager).
    TInstanceManager ohne(ordner.path());
    EXPECT_EQ(StarteNebenher(ohne, {}), TInstanceManager::Uebergeben);
    TInstanceManager mit(ordner.path());
    EXPECT_EQ(StarteNebenher(mit, "abc"), TInstanceManager::Uebergeben);

    // A hand-over leaves the lock free for the next start.
    TInstanzSperre frei(erste.SperrPfad());
    EXPECT_EQ(frei.Warte(0), TInstanzSperre::Erhalten);
}

TEST_F(InstanceManagerTest, AfterTheFirstEndsANewStartIsFirst)
{
    {
        TInstanceManager erste(ordner.path());
        ASSERT_EQ(erste.Starte({}), TInstanceManager::ErsteInstanz);
        ASSERT_TRUE(erste.Registriere());
    }
    EXPECT_FALSE(QFile::exists(TInstanceManager(ordner.path()).ServerPfad()));
    TInstanceManager neu(ordner.path());
    EXPECT_EQ(neu.Starte({}), TInstanceManager::ErsteInstanz);
    EXPECT_TRUE(neu.Registriere());
}

TEST_F(InstanceManagerTest, LeftoversOfAKilledInstanceDoNotBlock)
{
    TInstanceManager muster(ordner.path());
    LasseToteSocketDateiZurueck(muster.ServerPfad());
    ASSERT_TRUE(QFileInfo(muster.ServerPfad()).exists());

    // Whatever a lock file holds (nothing, a torn write, another host's owner), only a
    // living holder counts.
    for (const QByteArray& inhalt : { QByteArray(), QByteArray("\x01\xff garbage"),
             QByteArray::number(ToterProzess()) + "\nkostenwolf\nanderer-rechner\n" }) {
        QFile datei(muster.SperrPfad());
        ASSERT_TRUE(datei.open(QIODevice::WriteOnly | QIODevice::Truncate));
        datei.write(inhalt);
        datei.close();

        TInstanceManager neu(ordner.path());
        ASSERT_EQ(neu.Starte({}), TInstanceManager::ErsteInstanz) << inhalt.toHex().constData();
        EXPECT_TRUE(neu.Registriere()) << neu.Fehlertext().toStdString();
        EXPECT_TRUE(neu.Registriert());
    }
}

TEST_F(InstanceManagerTest, ALivingHolderBlocksAndItsDeathFreesTheLock)
{
    TInstanceManager muster(ordner.path());
    // Another process holding the lock the same way the guard does.
    QProcess halter;
    // One process, so killing it leaves no child behind that inherited the lock.
    halter.start(QStringLiteral("/bin/bash"),
        { QStringLiteral("-c"), QStringLiteral("exec 9>>\"$0\" && flock 9 && exec sleep 600"),
            muster.SperrPfad() });
    ASSERT_TRUE(halter.waitForStarted());
    {
        TInstanzSperre probe(muster.SperrPfad());
        QDeadlineTimer frist(30000);
        // Until flock(1) has the lock, the probe may still get it.
        while (probe.Warte(0) == TInstanzSperre::Erhalten && !frist.hasExpired()) {
            probe.Freigeben();
            QThread::msleep(20);
        }
        ASSERT_FALSE(probe.Gehalten());
    }

    TInstanceManager wartet(ordner.path());
    wartet.Sperrwartezeit = 200;
    EXPECT_EQ(wartet.Starte({}), TInstanceManager::Zeitueberschreitung);
    EXPECT_FALSE(wartet.Fehlertext().isEmpty());

    ::kill(pid_t(halter.processId()), SIGKILL);
    ASSERT_TRUE(halter.waitForFinished());
    TInstanceManager neu(ordner.path());
    EXPECT_EQ(neu.Starte({}), TInstanceManager::ErsteInstanz);
}

TEST_F(InstanceManagerTest, UnacknowledgedHandOverStartsWithoutServer)
{
    TInstanceManager muster(ordner.path());
    TInstanzServer verweigert;
    verweigert.BeiNachricht = [](const TCopyData&) { return 0; };
    ASSERT_TRUE(verweigert.Lausche(muster.ServerPfad()));

    TInstanceManager spaeter(ordner.path());
    EXPECT_EQ(StarteNebenher(spaeter, "abc"), TInstanceManager::NichtBestaetigt);
    EXPECT_FALSE(spaeter.Registriert());
    TInstanzSperre frei(muster.SperrPfad());
    EXPECT_EQ(frei.Warte(0), TInstanzSperre::Erhalten);
}

TEST_F(InstanceManagerTest, ARuntimeFolderNearTheSocketLimitStillServes)
{
    // Around the length a socket address can hold, the folder chosen must be one the
    // server can listen in; a longer one gives way to the cache folder.
    TUmgebungsvariable cache("XDG_CACHE_HOME", QFile::encodeName(ordner.filePath(QStringLiteral("c"))));
    for (int laenge = 74; laenge <= 84; ++laenge) {
        const QString pfad = ordner.filePath(QString(laenge - ordner.path().size() - 1, QLatin1Char('r')));
        ASSERT_TRUE(QDir().mkpath(pfad));
        ASSERT_EQ(::chmod(QFile::encodeName(pfad).constData(), 0700), 0);
        TUmgebungsvariable xdg("XDG_RUNTIME_DIR", QFile::encodeName(pfad));
        const TLaufzeitverzeichnis ort = Laufzeitverzeichnis(TInstanceManager::LaengsterName());
        ASSERT_FALSE(ort.Pfad.isEmpty()) << ort.Fehler.toStdString();
        TInstanceManager waechter(ort.Pfad);
        ASSERT_EQ(waechter.Starte({}), TInstanceManager::ErsteInstanz) << laenge;
        EXPECT_TRUE(waechter.Registriere()) << laenge << " " << waechter.Fehlertext().toStdString();
    }
}

TEST_F(InstanceManagerTest, ReportsALockThatCannotBeMade)
{
    TInstanceManager fehlt(ordner.filePath(QStringLiteral("gibt-es-nicht")));
    EXPECT_EQ(fehlt.Starte({}), TInstanceManager::Fehler);
    EXPECT_TRUE(fehlt.Fehlertext().contains(QStringLiteral("gibt-es-nicht")));
}

TEST(Programmaufruf, AnswersHelpAndVersionAnywhereOnTheLine)
{
    const char* version[] = { "kostenwolf", "--version" };
    EXPECT_EQ(HilfeOderVersion(2, version), QStringLiteral("Kostenwolf " KOSTENWOLF_VERSION "\n"));
    const char* hilfe[] = { "kostenwolf", "abc", "-h" };
    ASSERT_TRUE(HilfeOderVersion(3, hilfe).has_value());
    EXPECT_TRUE(HilfeOderVersion(3, hilfe)->startsWith(QStringLiteral("Aufruf: kostenwolf")));
    const char* normal[] = { "kostenwolf", "abc", "--versionen" };
    EXPECT_FALSE(HilfeOderVersion(3, normal).has_value());
    EXPECT_FALSE(HilfeOderVersion(1, normal).has_value());
}

TEST(Programmaufruf, RefusesAnUnknownOptionButHandsPlainArgumentsOver)
{
    const struct {
        std::vector<const char*> argumente;
        const char* meldung; // nullptr: the program starts
    } faelle[] = {
        { { "--hilfe" }, "Unbekannte Option: --hilfe\n" },
        { { "abc", "--minimiert" }, "Unbekannte Option: --minimiert\n" },
        { { "abc" }, nullptr },
        { { "-x" }, nullptr }, // Qt's own options have one dash
        { { "--", "--hilfe" }, nullptr },
        { {}, nullptr },
    };
    for (const auto& fall : faelle) {
        std::vector<const char*> argv { "kostenwolf" };
        argv.insert(argv.end(), fall.argumente.begin(), fall.argumente.end());
        const auto meldung = UnbekannteOption(int(argv.size()), argv.data());
        if (!fall.meldung) {
            EXPECT_FALSE(meldung.has_value()) << argv.size();
            continue;
        }
        ASSERT_TRUE(meldung.has_value()) << fall.meldung;
        EXPECT_TRUE(meldung->startsWith(QString::fromUtf8(fall.meldung))) << meldung->toStdString();
        EXPECT_TRUE(meldung->contains(QStringLiteral("kostenwolf --help")));
    }
}
