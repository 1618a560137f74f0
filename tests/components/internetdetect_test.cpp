#include "components/InternetDetect.h"
#include "support/FalscheRas.h"
#include "support/Umgebungsvariable.h"
#include "support/Warten.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Records what the detector raised and what it showed at that moment.
struct TEreignis {
    QString Art;
    QObject* Sender;
    bool Connected;
    QString IP;
};

class Detektor : public ::testing::Test {
protected:
    TFalscheRas Ras;
    QObject Besitzer;
    TInternetDetect* D = new TInternetDetect(&Besitzer);
    std::vector<TEreignis> Ereignisse;

    void SetUp() override
    {
        D->OnConnect = [this](QObject* s) {
            Ereignisse.push_back({ "connect", s, D->Connected(), D->IP() });
        };
        D->OnDisconnect = [this](QObject* s) {
            Ereignisse.push_back({ "disconnect", s, D->Connected(), D->IP() });
        };
    }

    void Poll() { D->CheckConnection(&Besitzer); }
    QStringList Arten() const
    {
        QStringList arten;
        for (const auto& e : Ereignisse)
            arten << e.Art;
        return arten;
    }
};

TEST_F(Detektor, StartsOfflineAndPollsEverySecondFromConstruction)
{
    EXPECT_EQ(D->parent(), &Besitzer);
    EXPECT_FALSE(D->Connected());
    EXPECT_EQ(D->IP(), "127.0.0.1");
    EXPECT_EQ(D->CheckInterval(), 1000);
    auto* timer = D->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_EQ(Ras.Abfragen, 0) << "no poll before the first tick";
}

TEST_F(Detektor, ConnectionAlreadyUpIsReportedByTheFirstTick)
{
    Ras.Nur("192.0.2.7");
    ASSERT_TRUE(WarteBis([&] { return !Ereignisse.empty(); }));
    ASSERT_EQ(Arten(), QStringList { "connect" });
    EXPECT_EQ(Ereignisse[0].Sender, D->findChild<QTimer*>()) << "a tick polls on behalf of the timer";
    EXPECT_EQ(D->IP(), "192.0.2.7");
}

TEST_F(Detektor, CheckIntervalSetsThePollPeriod)
{
    auto* timer = D->findChild<QTimer*>();
    D->SetCheckInterval(10);
    EXPECT_EQ(timer->interval(), 10);
    ASSERT_TRUE(WarteBis([&] { return Ras.Abfragen >= 3; }));

    D->SetCheckInterval(0);
    EXPECT_EQ(D->CheckInterval(), 0);
    EXPECT_FALSE(timer->isActive()) << "no busy polling";
    D->SetCheckInterval(-5);
    EXPECT_FALSE(timer->isActive());
    D->SetCheckInterval(1000);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
}

TEST_F(Detektor, UpAndDownRaiseOneEventEachWithStateAlreadyStored)
{
    Ras.Nur("192.0.2.7");
    Poll();
    Poll();
    Ras.Liste.clear();
    Poll();
    Poll();
    ASSERT_EQ(Arten(), (QStringList { "connect", "disconnect" }));
    EXPECT_EQ(Ereignisse[0].Sender, &Besitzer);
    EXPECT_TRUE(Ereignisse[0].Connected);
    EXPECT_EQ(Ereignisse[0].IP, "192.0.2.7");
    EXPECT_EQ(Ereignisse[1].Sender, &Besitzer);
    EXPECT_FALSE(Ereignisse[1].Connected);
    EXPECT_EQ(Ereignisse[1].IP, "");
}

TEST_F(Detektor, NoConnectionLeavesAnEmptyAddress)
{
    Poll();
    EXPECT_FALSE(D->Connected());
    EXPECT_EQ(D->IP(), "");
    EXPECT_TRUE(Ereignisse.empty());
}

TEST_F(Detektor, LoopbackEmptyAndBlankAddressesReadOffline)
{
    for (const char* adresse : { "127.0.0.1", "", " " }) {
        SCOPED_TRACE(adresse);
        Ereignisse.clear();
        Ras.Nur("192.0.2.7");
        Poll();
        Ras.Nur(adresse);
        Poll();
        EXPECT_FALSE(D->Connected());
        EXPECT_EQ(D->IP(), adresse);
        EXPECT_EQ(Arten(), (QStringList { "connect", "disconnect" }));
    }
    // The comparisons are exact: only these three texts mean offline.
    for (const char* adresse : { "127.0.0.2", "  ", "0.0.0.0" }) {
        SCOPED_TRACE(adresse);
        Ras.Nur(adresse);
        Poll();
        EXPECT_TRUE(D->Connected());
        EXPECT_EQ(D->IP(), adresse);
        Ras.Liste.clear();
        Poll();
    }
}

TEST_F(Detektor, NegotiatingConnectionReadsOfflineUntilItHasAnAddress)
{
    Ras.Neu(std::nullopt);
    Poll();
    Poll();
    EXPECT_FALSE(D->Connected());
    EXPECT_EQ(D->IP(), "");
    EXPECT_TRUE(Ereignisse.empty());
    Ras.Liste[0].Adresse = "192.0.2.7";
    Poll();
    EXPECT_TRUE(D->Connected());
    EXPECT_EQ(Arten(), QStringList { "connect" });
}

TEST_F(Detektor, AddressChangeOrRedialBetweenPollsRaisesNothing)
{
    Ras.Nur("192.0.2.7");
    Poll();
    Ras.Nur("192.0.2.8");
    Poll();
    EXPECT_EQ(D->IP(), "192.0.2.8");
    Ras.Liste.clear();
    Ras.Neu("198.51.100.4", 7); // another connection, come up within the second
    Poll();
    EXPECT_EQ(D->IP(), "198.51.100.4");
    EXPECT_EQ(Arten(), QStringList { "connect" });
}

TEST_F(Detektor, WritingConnectedDecidesWhetherTheNextPollSeesAnEdge)
{
    Ras.Nur("192.0.2.7");
    Poll();
    D->SetConnected(false);
    D->SetIP("egal");
    EXPECT_EQ(Arten(), QStringList { "connect" }) << "writing raises nothing";
    EXPECT_EQ(D->IP(), "egal");
    Poll();
    EXPECT_EQ(Arten(), (QStringList { "connect", "connect" }));

    Ras.Liste.clear();
    Poll();
    D->SetConnected(true);
    Poll();
    EXPECT_EQ(Arten(), (QStringList { "connect", "connect", "disconnect", "disconnect" }));
}

TEST_F(Detektor, EdgesWithoutHandlersOnlyChangeTheState)
{
    D->OnConnect = nullptr;
    D->OnDisconnect = nullptr;
    Ras.Nur("192.0.2.7");
    Poll();
    EXPECT_TRUE(D->Connected());
    EXPECT_EQ(D->IP(), "192.0.2.7");
    Ras.Liste.clear();
    Poll();
    EXPECT_FALSE(D->Connected());
    EXPECT_EQ(D->IP(), "");
}

// A component built on the detector hooks the edges by overriding the Do... methods.
TEST(DetektorAbleitung, PollRaisesThroughTheVirtualMethods)
{
    struct TAbgeleitet : TInternetDetect {
        using TInternetDetect::TInternetDetect;
        QStringList Aufrufe;
        void DoConnect(QObject*) override { Aufrufe << "connect"; }
        void DoDisconnect(QObject*) override { Aufrufe << "disconnect"; }
    };
    TFalscheRas ras;
    TAbgeleitet d(nullptr);
    ras.Nur("192.0.2.7");
    d.CheckConnection(nullptr);
    ras.Liste.clear();
    d.CheckConnection(nullptr);
    EXPECT_EQ(d.Aufrufe, (QStringList { "connect", "disconnect" }));
}

// A second connection (a tunnel over the dial-up line) must not end the metering of
// the paid line, nor hide it when it comes first.
TEST_F(Detektor, TwoOrMoreConnectionsStayOnline)
{
    Ras.Nur("192.0.2.7");
    Poll();
    Ras.Neu("10.8.0.2");
    Poll();
    Ras.Neu("10.9.0.2");
    Poll();
    EXPECT_TRUE(D->Connected());
    EXPECT_EQ(D->IP(), "192.0.2.7") << "the first connection with an address counts";
    EXPECT_EQ(Arten(), QStringList { "connect" });

    Ras.Liste.erase(Ras.Liste.begin());
    Poll();
    EXPECT_TRUE(D->Connected());
    EXPECT_EQ(D->IP(), "10.8.0.2");
    EXPECT_EQ(Arten(), QStringList { "connect" });
}

TEST_F(Detektor, WithSeveralConnectionsTheFirstUsableAddressCounts)
{
    Ras.Neu(std::nullopt);
    Ras.Neu("127.0.0.1");
    Ras.Neu("192.0.2.7");
    Poll();
    EXPECT_TRUE(D->Connected());
    EXPECT_EQ(D->IP(), "192.0.2.7");

    Ras.Liste.pop_back();
    Poll();
    EXPECT_FALSE(D->Connected());
    EXPECT_EQ(D->IP(), "127.0.0.1") << "offline shows what the first projection gave";
    EXPECT_EQ(Arten(), (QStringList { "connect", "disconnect" }));
}

class Simulation : public ::testing::Test {
protected:
    QTemporaryDir Verzeichnis;
    QString Datei = Verzeichnis.filePath("verbindung");
    TUmgebungsvariable Variable { "KOSTENWOLF_RAS_SIMULATION", QFile::encodeName(Datei) };
    TInternetDetect D { nullptr };
    QStringList Arten;

    void SetUp() override
    {
        D.OnConnect = [this](QObject*) { Arten << "connect"; };
        D.OnDisconnect = [this](QObject*) { Arten << "disconnect"; };
    }
    void Schreibe(const QByteArray& inhalt)
    {
        QFile f(Datei);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(inhalt);
    }
};

TEST_F(Simulation, FileIsReadAfreshAtEveryPoll)
{
    D.CheckConnection(nullptr);
    EXPECT_FALSE(D.Connected()) << "missing file";
    Schreibe("192.0.2.7\n");
    D.CheckConnection(nullptr);
    EXPECT_TRUE(D.Connected());
    EXPECT_EQ(D.IP(), "192.0.2.7");
    Schreibe("192.0.2.8\r\n");
    D.CheckConnection(nullptr);
    EXPECT_EQ(D.IP(), "192.0.2.8");
    Schreibe("");
    D.CheckConnection(nullptr);
    EXPECT_FALSE(D.Connected());
    EXPECT_EQ(Arten, (QStringList { "connect", "disconnect" }));
}

TEST_F(Simulation, LinesDescribeConnectionsInOrder)
{
    Schreibe("-\n");
    D.CheckConnection(nullptr);
    EXPECT_FALSE(D.Connected()) << "still negotiating";
    EXPECT_EQ(D.IP(), "");
    Schreibe("\n-\n\n192.0.2.9");
    D.CheckConnection(nullptr);
    EXPECT_TRUE(D.Connected());
    EXPECT_EQ(D.IP(), "192.0.2.9");
    Schreibe(" \n");
    D.CheckConnection(nullptr);
    EXPECT_FALSE(D.Connected());
    EXPECT_EQ(D.IP(), " ");
}

TEST_F(Simulation, DirectoryOrPipeReadsAsNoConnection)
{
    ASSERT_TRUE(QDir(Verzeichnis.path()).mkdir("verbindung"));
    D.CheckConnection(nullptr);
    EXPECT_FALSE(D.Connected());
    ASSERT_TRUE(QDir(Verzeichnis.path()).rmdir("verbindung"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Datei).constData(), 0600), 0);
    D.CheckConnection(nullptr); // must not wait for a writer
    EXPECT_FALSE(D.Connected());
    EXPECT_EQ(D.IP(), "");
}

} // namespace
