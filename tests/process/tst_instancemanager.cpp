// The guard as the user meets it: the built program started beside a running instance.
#include "platform/InstanzClient.h"
#include "process/InstanceManager.h"

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

    std::unique_ptr<QTemporaryDir> laufzeit;
    std::unique_ptr<QTemporaryDir> daten;
    std::vector<std::unique_ptr<QProcess>> prozesse;

    QString ServerPfad() const { return TInstanceManager(laufzeit->path()).ServerPfad(); }

    QProcess* Starte(const QStringList& argumente = {}, const QByteArray& plattform = "offscreen")
    {
        auto prozess = std::make_unique<QProcess>();
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.insert(QStringLiteral("XDG_RUNTIME_DIR"), laufzeit->path());
        umgebung.insert(QStringLiteral("KOSTENWOLF_DATA_DIR"), daten->path());
        umgebung.insert(
            QStringLiteral("KOSTENWOLF_RAS_SIMULATION"), daten->filePath(QStringLiteral("keine")));
        umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(plattform));
        prozess->setProcessEnvironment(umgebung);
        prozess->start(QStringLiteral(KOSTENWOLF_BINARY), argumente);
        prozesse.push_back(std::move(prozess));
        return prozesse.back().get();
    }

    // The running instance answers a hand-over: its server is up.
    bool ServerAntwortet() const
    {
        const TUebergabe uebergabe = SendeNachricht(ServerPfad(), {}, 2000);
        return uebergabe.Ergebnis == TUebergabe::Beantwortet && uebergabe.Antwort == 1;
    }

    bool WarteAufServer()
    {
        QDeadlineTimer frist(Geduld);
        while (!ServerAntwortet()) {
            if (frist.hasExpired())
                return false;
            QTest::qWait(50);
        }
        return true;
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
        laufzeit = std::make_unique<QTemporaryDir>();
        daten = std::make_unique<QTemporaryDir>();
        QVERIFY(laufzeit->isValid() && daten->isValid());
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
        TInstanceManager waechter(laufzeit->path());
        QCOMPARE(waechter.Starte({}), TInstanceManager::ErsteInstanz);
        QVERIFY(waechter.Registriere());
        QList<TCopyData> empfangen;
        waechter.OnCopyData = [&](const TCopyData& nachricht) { empfangen << nachricht; };

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

        QDeadlineTimer frist(Geduld);
        auto laufend = [&] {
            return std::count_if(
                starts.begin(), starts.end(), [](QProcess* p) { return p->state() != QProcess::NotRunning; });
        };
        while (laufend() > 1 && !frist.hasExpired())
            QTest::qWait(50);
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
        QFile datei(TInstanceManager(laufzeit->path()).SperrPfad());
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
                QCOMPARE(ausgabe, QByteArray("Kostenwolf 1.3.4\n"));
            else
                QVERIFY(ausgabe.startsWith("Aufruf: kostenwolf"));
        }
    }
};

QTEST_MAIN(TestInstanceManager)
#include "tst_instancemanager.moc"
