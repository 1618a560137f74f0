#include "platform/InstanzClient.h"
#include "platform/InstanzNachricht.h"
#include "platform/InstanzServer.h"
#include "platform/InstanzSperre.h"
#include "platform/Laufzeitverzeichnis.h"
#include "platform/Startfehler.h"
#include "support/Umgebungsvariable.h"
#include "support/Warten.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Kopf(quint32 dwData, quint32 cbData)
{
    QByteArray text = KodiereNachricht({ dwData, {} });
    text.resize(NachrichtKopfGroesse);
    text[4] = char(cbData & 0xff);
    text[5] = char((cbData >> 8) & 0xff);
    text[6] = char((cbData >> 16) & 0xff);
    text[7] = char((cbData >> 24) & 0xff);
    return text;
}

// Runs a blocking client on its own thread while this thread serves the socket.
TUebergabe SendeUndBediene(const QString& pfad, const TCopyData& nachricht, int wartezeit = 10000)
{
    auto ergebnis
        = std::async(std::launch::async, [&] { return UebergibAnInstanz(pfad, nachricht, wartezeit); });
    WarteBis([&] { return ergebnis.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        std::chrono::seconds(30));
    return ergebnis.get();
}

} // namespace

TEST(InstanzNachricht, ReadsMessagesArrivingInAnyPieces)
{
    const TCopyData gesendet { 7, QByteArray("abc") };
    const QByteArray text = KodiereNachricht(gesendet);
    ASSERT_EQ(text.size(), NachrichtKopfGroesse + 3);

    TNachrichtLeser stueckweise;
    for (qsizetype i = 0; i < text.size(); ++i) {
        EXPECT_EQ(stueckweise.Zustand(), TNachrichtLeser::Unvollstaendig);
        // Until the header is in, only the header's own length is known.
        EXPECT_EQ(
            stueckweise.Fehlend(), i < NachrichtKopfGroesse ? NachrichtKopfGroesse - i : text.size() - i);
        stueckweise.Lies(text.mid(i, 1));
    }
    ASSERT_EQ(stueckweise.Zustand(), TNachrichtLeser::Fertig);
    EXPECT_EQ(stueckweise.Nachricht().dwData, 7u);
    EXPECT_EQ(stueckweise.Nachricht().cbData(), 3u);
    EXPECT_EQ(stueckweise.Nachricht().Daten, "abc");

    // A header announcing no bytes is a whole message; what follows it is not taken.
    TNachrichtLeser leer;
    EXPECT_EQ(leer.Lies(KodiereNachricht({ 0, {} }) + "zuviel"), TNachrichtLeser::Fertig);
    EXPECT_EQ(leer.Nachricht().cbData(), 0u);
    EXPECT_EQ(leer.Lies("mehr"), TNachrichtLeser::Fertig);
    EXPECT_TRUE(leer.Nachricht().Daten.isEmpty());
}

TEST(InstanzNachricht, StaysWithinTheSizeBound)
{
    TNachrichtLeser grenze;
    EXPECT_EQ(grenze.Lies(Kopf(0, MaxNachrichtDaten)), TNachrichtLeser::Unvollstaendig);
    EXPECT_EQ(grenze.Fehlend(), MaxNachrichtDaten);

    TNachrichtLeser zuGross;
    EXPECT_EQ(zuGross.Lies(Kopf(0, MaxNachrichtDaten + 1)), TNachrichtLeser::Ungueltig);
    TNachrichtLeser riesig;
    EXPECT_EQ(riesig.Lies(Kopf(0, 0xffffffffu)), TNachrichtLeser::Ungueltig);
    EXPECT_EQ(riesig.Fehlend(), 0);

    // A sender cuts an over-long argument instead of having it refused.
    const QByteArray lang(MaxNachrichtGroesse * 2, 'x');
    const QByteArray text = KodiereNachricht({ 0, lang });
    EXPECT_EQ(text.size(), MaxNachrichtGroesse);
    TNachrichtLeser leser;
    EXPECT_EQ(leser.Lies(text), TNachrichtLeser::Fertig);
    EXPECT_EQ(leser.Nachricht().cbData(), static_cast<quint32>(MaxNachrichtDaten));
}

TEST(InstanzNachricht, AnswerIsASigned32BitNumber)
{
    for (qint32 antwort : { 1, 0, -1, 0x7fffffff })
        EXPECT_EQ(DekodiereAntwort(KodiereAntwort(antwort).constData()), antwort);
}

class InstanzServerTest : public ::testing::Test {
protected:
    QTemporaryDir ordner;
    QString pfad = ordner.filePath(QStringLiteral("server"));
    TInstanzServer server;
    QList<TCopyData> empfangen;

    void SetUp() override
    {
        server.BeiNachricht = [this](const TCopyData& nachricht) {
            empfangen << nachricht;
            return 1;
        };
        ASSERT_TRUE(server.Lausche(pfad)) << server.Fehlertext().toStdString();
    }
};

TEST_F(InstanzServerTest, AnswersEachMessageAndClosesWhenDone)
{
    struct stat info { };
    ASSERT_EQ(::stat(QFile::encodeName(pfad).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << "the socket must be closed to other users";

    const TUebergabe leer = SendeUndBediene(pfad, { 0, {} });
    EXPECT_EQ(leer.Ergebnis, TUebergabe::Beantwortet);
    EXPECT_EQ(leer.Antwort, 1);
    const TUebergabe abc = SendeUndBediene(pfad, { 0, "abc" });
    EXPECT_EQ(abc.Antwort, 1);
    ASSERT_EQ(empfangen.size(), 2);
    EXPECT_EQ(empfangen[0].cbData(), 0u);
    EXPECT_EQ(empfangen[1].Daten, "abc");

    server.Schliesse();
    EXPECT_FALSE(QFile::exists(pfad));
    EXPECT_EQ(UebergibAnInstanz(pfad, { 0, "abc" }, 1000).Ergebnis, TUebergabe::KeinServer);
}

TEST_F(InstanzServerTest, TurnsAwayOversizedAndSilentClients)
{
    server.Zeitlimit = 300;
    QLocalSocket zuGross;
    zuGross.connectToServer(pfad);
    ASSERT_TRUE(WarteBis([&] { return zuGross.state() == QLocalSocket::ConnectedState; }));
    zuGross.write(Kopf(0, MaxNachrichtDaten + 1) + QByteArray(4096, 'x'));
    EXPECT_TRUE(WarteBis([&] { return zuGross.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(zuGross.bytesAvailable(), 0);

    QLocalSocket stumm;
    stumm.connectToServer(pfad);
    ASSERT_TRUE(WarteBis([&] { return stumm.state() == QLocalSocket::ConnectedState; }));
    stumm.write(Kopf(0, 10) + "abc"); // promises more than it sends
    EXPECT_TRUE(WarteBis([&] { return stumm.state() == QLocalSocket::UnconnectedState; }));

    EXPECT_TRUE(empfangen.isEmpty());
    // The server is still there for a proper client.
    EXPECT_EQ(SendeUndBediene(pfad, { 0, "x" }).Antwort, 1);
}

TEST_F(InstanzServerTest, LimitsConnectionsOpenAtOnce)
{
    server.MaxVerbindungen = 2;
    std::vector<std::unique_ptr<QLocalSocket>> offen;
    for (int i = 0; i < 3; ++i) {
        offen.push_back(std::make_unique<QLocalSocket>());
        offen.back()->connectToServer(pfad);
    }
    // The third is dropped, the first two stay open while they say nothing.
    EXPECT_TRUE(WarteBis([&] { return offen[2]->state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(offen[0]->state(), QLocalSocket::ConnectedState);
    offen[0]->abort();
    offen[1]->abort();
    EXPECT_EQ(SendeUndBediene(pfad, { 0, "x" }).Antwort, 1);
}

TEST(InstanzClient, TellsAMissingOrDeadServerFromAnUnansweredOne)
{
    QTemporaryDir ordner;
    const QString pfad = ordner.filePath(QStringLiteral("server"));
    EXPECT_EQ(UebergibAnInstanz(pfad, {}, 1000).Ergebnis, TUebergabe::KeinServer);

    {
        TInstanzServer tot;
        ASSERT_TRUE(tot.Lausche(pfad));
    }
    QFile::copy(QStringLiteral("/dev/null"), pfad); // not a socket at all
    EXPECT_EQ(UebergibAnInstanz(pfad, {}, 1000).Ergebnis, TUebergabe::KeinServer);
    QFile::remove(pfad);

    // A server that accepts but never answers: this thread does not serve it.
    TInstanzServer haengt;
    ASSERT_TRUE(haengt.Lausche(pfad));
    const TUebergabe ergebnis = UebergibAnInstanz(pfad, { 0, "abc" }, 300);
    EXPECT_EQ(ergebnis.Ergebnis, TUebergabe::KeineAntwort);

    const QString langerPfad = ordner.filePath(QString(120, 'x'));
    EXPECT_EQ(UebergibAnInstanz(langerPfad, {}, 300).Ergebnis, TUebergabe::Fehler);
}

class LaufzeitverzeichnisTest : public ::testing::Test {
protected:
    QTemporaryDir ordner;
    TUmgebungsvariable xdg { "XDG_RUNTIME_DIR", std::nullopt };
    TUmgebungsvariable tmp { "TMPDIR", QFile::encodeName(ordner.filePath(QStringLiteral("tmp"))) };
    TUmgebungsvariable cache { "XDG_CACHE_HOME",
        QFile::encodeName(ordner.filePath(QStringLiteral("cache"))) };
    TUmgebungsvariable heim { "HOME", QFile::encodeName(ordner.filePath(QStringLiteral("heim"))) };

    QString Tempordner() const
    {
        return ordner.filePath(QStringLiteral("tmp/kostenwolf-%1").arg(::geteuid()));
    }
    QString Cacheordner() const { return ordner.filePath(QStringLiteral("cache/kostenwolf")); }
    QString Privat(const char* name) const
    {
        const QString pfad = ordner.filePath(QString::fromLatin1(name));
        QDir().mkpath(pfad);
        ::chmod(QFile::encodeName(pfad).constData(), 0700);
        return pfad;
    }
};

TEST_F(LaufzeitverzeichnisTest, TakesAPrivateRuntimeDirectoryThatFitsASocketName)
{
    const QString pfad = Privat("xdg");
    xdg.Setze(QFile::encodeName(pfad));
    EXPECT_EQ(Laufzeitverzeichnis(30).Pfad, pfad);

    // A socket address holds about 100 bytes; a longer folder is passed over, not refused.
    const QString lang = Privat(QByteArray(150 - ordner.path().size() - 1, 'x').constData());
    ASSERT_EQ(lang.size(), 150);
    xdg.Setze(QFile::encodeName(lang));
    EXPECT_EQ(Laufzeitverzeichnis(30).Pfad, Cacheordner());
}

TEST_F(LaufzeitverzeichnisTest, FallsBackToTheCacheThenToTheTemporaryFolder)
{
    ASSERT_TRUE(QDir().mkpath(ordner.filePath(QStringLiteral("tmp"))));
    const QString offen = ordner.filePath(QStringLiteral("offen"));
    ASSERT_TRUE(QDir().mkpath(offen));
    ::chmod(QFile::encodeName(offen).constData(), 0755);

    for (const QByteArray& wert : { QByteArray(), QByteArray("relativ"), QFile::encodeName(offen) }) {
        xdg.Setze(wert);
        const TLaufzeitverzeichnis ort = Laufzeitverzeichnis();
        EXPECT_EQ(ort.Pfad, Cacheordner()) << wert.constData();
        EXPECT_TRUE(IstPrivatesVerzeichnis(ort.Pfad));
    }
    // Without XDG_CACHE_HOME the cache is in the home folder.
    cache.Setze(std::nullopt);
    EXPECT_EQ(Laufzeitverzeichnis().Pfad, ordner.filePath(QStringLiteral("heim/.cache/kostenwolf")));

    // Our own folder left open by a lax umask is closed again.
    cache.Setze(QFile::encodeName(ordner.filePath(QStringLiteral("cache"))));
    ::chmod(QFile::encodeName(Cacheordner()).constData(), 0777);
    EXPECT_EQ(Laufzeitverzeichnis().Pfad, Cacheordner());
    EXPECT_TRUE(IstPrivatesVerzeichnis(Cacheordner()));

    // No usable home (a file where the cache would be): the temporary folder.
    cache.Setze(QFile::encodeName(ordner.filePath(QStringLiteral("datei"))));
    QFile datei(ordner.filePath(QStringLiteral("datei")));
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly));
    datei.close();
    EXPECT_EQ(Laufzeitverzeichnis().Pfad, Tempordner());
    EXPECT_TRUE(IstPrivatesVerzeichnis(Tempordner()));
}

TEST_F(LaufzeitverzeichnisTest, AMissingTmpdirMeansTmpNotTheRoot)
{
    cache.Setze(QByteArray("/proc/version"));
    heim.Setze(std::nullopt);
    const QString standard = QStringLiteral("/tmp/kostenwolf-%1").arg(::geteuid());
    const bool gabEs = QFileInfo::exists(standard);
    const TLaufzeitverzeichnis ort = Laufzeitverzeichnis();
    EXPECT_EQ(ort.Pfad, standard) << ort.Fehler.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/kostenwolf-%1").arg(::geteuid())));
    if (!gabEs)
        QDir().rmdir(standard);
}

TEST_F(LaufzeitverzeichnisTest, RefusesAFolderSomeoneElseCouldControl)
{
    cache.Setze(QByteArray("/proc/version")); // no cache: the temporary folder is the last choice
    ASSERT_TRUE(QDir().mkpath(ordner.filePath(QStringLiteral("tmp"))));
    const QString fremd = ordner.filePath(QStringLiteral("fremd"));
    ASSERT_TRUE(QDir().mkpath(fremd));

    // A link planted where our folder belongs is not followed.
    ASSERT_TRUE(QFile::link(fremd, Tempordner()));
    TLaufzeitverzeichnis ort = Laufzeitverzeichnis();
    EXPECT_TRUE(ort.Pfad.isEmpty());
    EXPECT_FALSE(ort.Fehler.isEmpty());
    QFile::remove(Tempordner());

    if (::geteuid() == 0) {
        ASSERT_TRUE(QDir().mkpath(Tempordner()));
        ASSERT_EQ(::chown(QFile::encodeName(Tempordner()).constData(), 65534, 65534), 0);
        ort = Laufzeitverzeichnis();
        EXPECT_TRUE(ort.Pfad.isEmpty());
        EXPECT_TRUE(ort.Fehler.contains(QStringLiteral("anderen Benutzer"))) << ort.Fehler.toStdString();

        // Given a home, the foreign folder does not matter.
        cache.Setze(QFile::encodeName(ordner.filePath(QStringLiteral("cache"))));
        EXPECT_EQ(Laufzeitverzeichnis().Pfad, Cacheordner());
    }
}

TEST(Startfehler, ABoxOnlyWhereSomeoneCanSeeIt)
{
    EXPECT_TRUE(AnzeigeVorhanden({}, ":0", {}));
    EXPECT_TRUE(AnzeigeVorhanden({}, {}, "wayland-0"));
    EXPECT_FALSE(AnzeigeVorhanden({}, {}, {}));
    // A box on these would wait for a click that never comes.
    EXPECT_FALSE(AnzeigeVorhanden("offscreen", ":0", "wayland-0"));
    EXPECT_FALSE(AnzeigeVorhanden("minimal", ":0", {}));
    EXPECT_FALSE(AnzeigeVorhanden("xcb", {}, "wayland-0"));
    EXPECT_TRUE(AnzeigeVorhanden("xcb", ":1", {}));
    EXPECT_TRUE(AnzeigeVorhanden("wayland;xcb", {}, "wayland-0"));
    EXPECT_TRUE(AnzeigeVorhanden("vnc:size=800x600", {}, {}));
}

TEST(Datensperre, OneHolderPerDataFolder)
{
    QTemporaryDir ordner;
    EXPECT_EQ(SperreDatenverzeichnis(ordner.path()), TDatenSperre::Gehalten);
    // The lock is per open folder, so a second hold in the same process meets it too.
    EXPECT_EQ(SperreDatenverzeichnis(ordner.path()), TDatenSperre::Belegt);
    EXPECT_EQ(SperreDatenverzeichnis(ordner.filePath(QStringLiteral("fehlt"))), TDatenSperre::NichtMoeglich);
}
