// The guard as the user meets it: the built program started beside a running instance.
#include "platform/InstanzClient.h"
#include "platform/InstanzServer.h"
#include "process/InstanceManager.h"
#include "support/Testumgebung.h"
#include "support/Warten.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <signal.h>

namespace {

// Waits for "is up" conditions are generous; the machine may be busy building.
constexpr int Geduld = 60000;

} // namespace

class TestInstanceManager : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestumgebung> welt;
    std::vector<std::unique_ptr<QProcess>> prozesse;

    QString ServerPfad() const { return TInstanceManager(welt->Laufzeit.path()).ServerPfad(); }

    QProcess* Starte(const QStringList& argumente = {}, const QByteArray& plattform = "offscreen")
    {
        auto prozess = std::make_unique<QProcess>();
        QProcessEnvironment umgebung = welt->ProgrammUmgebung();
        umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(plattform));
        prozess->setProcessEnvironment(umgebung);
        prozess->start(QStringLiteral(KOSTENWOLF_BINARY), argumente);
        prozesse.push_back(std::move(prozess));
        return prozesse.back().get();
    }

    // The running instance answers a hand-over: its server is up.
    bool ServerAntwortet() const
    {
        const TUebergabe uebergabe = UebergibAnInstanz(ServerPfad(), {}, 2000);
        return uebergabe.Ergebnis == TUebergabe::Beantwortet && uebergabe.Antwort == 1;
    }

    bool WarteAufServer()
    {
        return WarteBis([this] { return ServerAntwortet(); }, std::chrono::milliseconds(Geduld));
    }

    // Starts the program and waits until it serves as the running instance.
    QProcess* StarteErste()
    {
        QProcess* erste = Starte();
        if (!erste->waitForStarted(Geduld) || !WarteAufServer())
            return nullptr;
        return erste;
    }

    static bool Beendet(QProcess* prozess, int millisekunden = Geduld)
    {
        return prozess->state() == QProcess::NotRunning || prozess->waitForFinished(millisekunden);
    }

private slots:
    void init()
    {
        welt = std::make_unique<TTestumgebung>();
        QVERIFY(welt->Laufzeit.isValid() && welt->Verzeichnis.isValid());
    }

    void cleanup()
    {
        for (auto& prozess : prozesse) {
            if (prozess->state() != QProcess::NotRunning) {
                prozess->kill();
                prozess->waitForFinished(10000);
            }
        }
        prozesse.clear();
    }

    void zweiterStartEndetSofortOhneFenster()
    {
        QProcess* erste = StarteErste();
        QVERIFY(erste);
        // With a platform that does not exist, any attempt at a window would abort the
        // process: ending with 0 proves the hand-over ended it first.
        QProcess* zweite = Starte({ QStringLiteral("abc") }, "keine-plattform");
        QVERIFY(Beendet(zweite));
        QCOMPARE(zweite->exitStatus(), QProcess::NormalExit);
        QCOMPARE(zweite->exitCode(), 0);
        QVERIFY(zweite->readAllStandardError().isEmpty());
        QCOMPARE(erste->state(), QProcess::Running);
        QVERIFY(ServerAntwortet());
    }

    void laufenderWaechterEmpfaengtDasErsteArgument()
    {
        // What the program sends, as the running instance's server receives it.
        TInstanzServer waechter;
        QList<TCopyData> empfangen;
        waechter.BeiNachricht = [&](const TCopyData& nachricht) {
            empfangen << nachricht;
            return 1;
        };
        QVERIFY(waechter.Lausche(ServerPfad()));

        QProcess* ohne = Starte();
        QTRY_VERIFY_WITH_TIMEOUT(ohne->state() == QProcess::NotRunning, Geduld);
        QCOMPARE(ohne->exitCode(), 0);
        QProcess* mit = Starte({ QStringLiteral("abc"), QStringLiteral("zweites") });
        QTRY_VERIFY_WITH_TIMEOUT(mit->state() == QProcess::NotRunning, Geduld);
        QCOMPARE(mit->exitCode(), 0);

        QCOMPARE(empfangen.size(), 2);
        QCOMPARE(empfangen[0].dwData, 0u);
        QCOMPARE(empfangen[0].cbData(), 0u);
        QCOMPARE(empfangen[1].dwData, 0u);
        QCOMPARE(empfangen[1].cbData(), 3u);
        QCOMPARE(empfangen[1].Daten, QByteArray("abc"));
    }

    void fuenfGleichzeitigeStartsLassenEinenLaufen()
    {
        std::vector<QProcess*> starts;
        for (int i = 0; i < 5; ++i)
            starts.push_back(Starte());
        QVERIFY(WarteAufServer());

        auto laufend = [&] {
            return std::count_if(
                starts.begin(), starts.end(), [](QProcess* p) { return p->state() != QProcess::NotRunning; });
        };
        WarteBis([&] { return laufend() <= 1; }, std::chrono::milliseconds(Geduld));
        QCOMPARE(laufend(), 1);
        for (QProcess* p : starts)
            if (p->state() == QProcess::NotRunning) {
                QCOMPARE(p->exitStatus(), QProcess::NormalExit);
                QCOMPARE(p->exitCode(), 0);
            }
        QVERIFY(ServerAntwortet());
    }

    void nachDemEndeWirdEinNeuerStartDerErste()
    {
        QProcess* erste = StarteErste();
        QVERIFY(erste);
        // The orderly end where the program can act on it; a first start waiting in a
        // dialog on this empty data folder may not, and then it is simply stopped.
        erste->terminate();
        if (!Beendet(erste, 10000))
            erste->kill();
        QVERIFY(Beendet(erste));

        QProcess* neu = StarteErste();
        QVERIFY(neu);
        QCOMPARE(neu->state(), QProcess::Running);
    }

    void getoeteteInstanzBlockiertNicht()
    {
        QProcess* erste = StarteErste();
        QVERIFY(erste);
        const qint64 totePid = erste->processId();
        ::kill(static_cast<pid_t>(totePid), SIGKILL);
        QVERIFY(Beendet(erste));
        QVERIFY(QFile::exists(ServerPfad()));
        QVERIFY(!ServerAntwortet());

        // Also the lock file, as if the instance had been killed while it set itself up.
        QFile datei(TInstanceManager(welt->Laufzeit.path()).SperrPfad());
        QVERIFY(datei.open(QIODevice::WriteOnly));
        datei.write(QByteArray::number(totePid) + "\nkostenwolf\n");
        datei.close();

        QProcess* neu = StarteErste();
        QVERIFY(neu);
        QProcess* danach = Starte();
        QVERIFY(Beendet(danach));
        QCOMPARE(danach->exitCode(), 0);
        QCOMPARE(neu->state(), QProcess::Running);
    }

    void versionAntwortetWaehrendEineInstanzLaeuft()
    {
        QVERIFY(StarteErste());
        for (const char* option : { "--version", "--help" }) {
            QProcess* abfrage = Starte({ QString::fromLatin1(option) }, "keine-plattform");
            QVERIFY(Beendet(abfrage));
            QCOMPARE(abfrage->exitCode(), 0);
            const QByteArray ausgabe = abfrage->readAllStandardOutput();
            if (QByteArray(option) == "--version")
                QCOMPARE(ausgabe, QByteArray("Kostenwolf " KOSTENWOLF_VERSION "\n"));
            else
                QVERIFY(ausgabe.startsWith("Aufruf: kostenwolf"));
        }
    }
};

QTEST_MAIN(TestInstanceManager)
#include "tst_instancemanager.moc"
