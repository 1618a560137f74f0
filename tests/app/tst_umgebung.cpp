// The built program against a hostile or odd environment: data files that are FIFOs,
// lock files left in any state, kills during start-up, folders taken by another user,
// odd temporary and runtime folders. Whatever happens, a start either runs, hands over,
// or says why it does not.
#include "platform/InstanzClient.h"
#include "process/InstanceManager.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Fuehre(const QString& programm, const QStringList& argumente)
{
    QProcess prozess;
    prozess.setProcessChannelMode(QProcess::MergedChannels);
    prozess.start(programm, argumente);
    if (!prozess.waitForFinished(30000) || prozess.exitStatus() != QProcess::NormalExit)
        return -1;
    return prozess.exitCode();
}

// Waits for "is up" conditions are generous; the machine may be busy building.
constexpr int Geduld = 60000;

// A second local user for as long as the test runs, removed with its home however the
// test ends.
class TFremderBenutzer {
public:
    TFremderBenutzer()
        : name(QStringLiteral("kwfremd%1").arg(::getpid()))
    {
        if (::geteuid() != 0)
            return;
        angelegt = Fuehre(QStringLiteral("useradd"), { QStringLiteral("-M"), name }) == 0;
    }
    ~TFremderBenutzer()
    {
        if (angelegt)
            Fuehre(QStringLiteral("userdel"), { QStringLiteral("-r"), name });
    }
    TFremderBenutzer(const TFremderBenutzer&) = delete;
    TFremderBenutzer& operator=(const TFremderBenutzer&) = delete;

    bool Angelegt() const { return angelegt; }
    // Runs mkdir as that user, so the folder is made the way an attacker would.
    bool LegeAn(const QString& pfad) const
    {
        return Fuehre(QStringLiteral("runuser"),
                   { QStringLiteral("-u"), name, QStringLiteral("--"), QStringLiteral("mkdir"),
                       QStringLiteral("-m"), QStringLiteral("700"), pfad })
            == 0;
    }

private:
    QString name;
    bool angelegt = false;
};

} // namespace

class TestUmgebung : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> ordner;
    std::vector<std::unique_ptr<QProcess>> prozesse;

    QString Pfad(const QString& name) const { return ordner->filePath(name); }
    QString Daten() const { return Pfad(QStringLiteral("daten")); }
    QString Laufzeit() const { return Pfad(QStringLiteral("laufzeit")); }

    // The program with its own data and runtime folder and no display, so a refusal
    // ends on stderr rather than in a box nobody can click. 'aenderung' adjusts the
    // environment; a value of "-" removes the variable.
    QProcess* Starte(const QList<QPair<QString, QString>>& aenderung = {})
    {
        auto prozess = std::make_unique<QProcess>();
        QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
        umgebung.remove(QStringLiteral("DISPLAY"));
        umgebung.remove(QStringLiteral("WAYLAND_DISPLAY"));
        umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        umgebung.insert(QStringLiteral("XDG_RUNTIME_DIR"), Laufzeit());
        umgebung.insert(QStringLiteral("KOSTENWOLF_DATA_DIR"), Daten());
        umgebung.insert(QStringLiteral("KOSTENWOLF_RAS_SIMULATION"), Pfad(QStringLiteral("keine")));
        for (const auto& [name, wert] : aenderung) {
            if (wert == QStringLiteral("-"))
                umgebung.remove(name);
            else
                umgebung.insert(name, wert);
        }
        prozess->setProcessEnvironment(umgebung);
        prozess->start(QStringLiteral(KOSTENWOLF_BINARY), {});
        prozesse.push_back(std::move(prozess));
        return prozesse.back().get();
    }

    static bool ServerAntwortet(const QString& laufzeit)
    {
        const TUebergabe uebergabe = SendeNachricht(TInstanceManager(laufzeit).ServerPfad(), {}, 2000);
        return uebergabe.Ergebnis == TUebergabe::Beantwortet && uebergabe.Antwort == 1;
    }

    // True once 'prozess' runs as the instance serving in 'laufzeit'.
    static bool LaeuftAlsInstanz(QProcess* prozess, const QString& laufzeit)
    {
        QDeadlineTimer frist(Geduld);
        while (!frist.hasExpired()) {
            if (prozess->state() == QProcess::NotRunning)
                return false;
            if (ServerAntwortet(laufzeit))
                return prozess->state() == QProcess::Running;
            QTest::qWait(50);
        }
        return false;
    }

    static bool Beendet(QProcess* prozess, int millisekunden = Geduld)
    {
        return prozess->state() == QProcess::NotRunning || prozess->waitForFinished(millisekunden);
    }

private slots:
    void init()
    {
        ordner = std::make_unique<QTemporaryDir>();
        QVERIFY(ordner->isValid());
        QVERIFY(QDir().mkpath(Daten()));
        QVERIFY(QDir().mkpath(Laufzeit()));
        QCOMPARE(::chmod(QFile::encodeName(Laufzeit()).constData(), 0700), 0);
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
        ordner.reset();
    }

    void datendateiAlsFifo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Daten.kwd") << QStringLiteral("Daten.kwd");
        QTest::newRow("Tarife.kwt") << QStringLiteral("Tarife.kwt");
    }

    void datendateiAlsFifo()
    {
        QFETCH(QString, name);
        const QString fifo = QDir(Daten()).filePath(name);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

        QProcess* programm = Starte();
        QByteArray fehler;
        QDeadlineTimer frist(Geduld);
        while (!fehler.contains("kann nicht gelesen werden") && !frist.hasExpired()
            && programm->state() != QProcess::NotRunning) {
            programm->waitForReadyRead(200);
            fehler += programm->readAllStandardError();
        }
        QVERIFY2(fehler.contains(QFile::encodeName(name) + " kann nicht gelesen werden"), fehler.constData());
        QCOMPARE(programm->state(), QProcess::Running);

        ::kill(pid_t(programm->processId()), SIGTERM);
        QVERIFY(Beendet(programm));
        QCOMPARE(programm->exitStatus(), QProcess::NormalExit);
        QCOMPARE(programm->exitCode(), 0);
        struct stat info { };
        QCOMPARE(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
    }

    void sperrdateiGleichWelchenInhalts_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::newRow("leer") << QByteArray();
        QTest::newRow("Unsinn") << QByteArray("\x00\xff\x13 kaputt", 10);
        // The way a pid-file lock names its owner: a living pid, on another host.
        QTest::newRow("anderer Rechner") << QByteArray::number(::getpid()) + "\nkostenwolf\nanderswo\n";
    }

    void sperrdateiGleichWelchenInhalts()
    {
        QFETCH(QByteArray, inhalt);
        QFile sperre(TInstanceManager(Laufzeit()).SperrPfad());
        QVERIFY(sperre.open(QIODevice::WriteOnly));
        sperre.write(inhalt);
        sperre.close();

        QProcess* programm = Starte();
        QVERIFY2(LaeuftAlsInstanz(programm, Laufzeit()), programm->readAllStandardError().constData());
    }

    void killsWaehrendDesStartsBlockierenNichts()
    {
        // Kills at random moments of the start-up, including while the lock is held.
        for (int i = 0; i < 100; ++i) {
            QProcess* programm = Starte();
            QVERIFY(programm->waitForStarted(Geduld));
            QTest::qWait(int(QRandomGenerator::global()->bounded(300)));
            programm->kill();
            QVERIFY(Beendet(programm));
            prozesse.clear();
        }
        QProcess* programm = Starte();
        QVERIFY2(LaeuftAlsInstanz(programm, Laufzeit()), programm->readAllStandardError().constData());
        QProcess* zweite = Starte();
        QVERIFY(Beendet(zweite));
        QCOMPARE(zweite->exitCode(), 0);
    }

    void ordnerEinesAnderenBenutzers()
    {
        TFremderBenutzer fremder;
        if (!fremder.Angelegt())
            QSKIP("needs root to create a second local user (useradd)");

        // The other user can reach the shared temporary folder and gets there first,
        // and owns the folder XDG_RUNTIME_DIR names.
        QCOMPARE(::chmod(QFile::encodeName(ordner->path()).constData(), 0755), 0);
        const QString tmp = Pfad(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(tmp));
        QCOMPARE(::chmod(QFile::encodeName(tmp).constData(), 01777), 0);
        QVERIFY(fremder.LegeAn(QStringLiteral("%1/kostenwolf-%2").arg(tmp).arg(::geteuid())));
        const QString fremdeLaufzeit = tmp + QStringLiteral("/laufzeit");
        QVERIFY(fremder.LegeAn(fremdeLaufzeit));

        const QString heim = Pfad(QStringLiteral("heim"));
        QProcess* programm = Starte({ { QStringLiteral("XDG_RUNTIME_DIR"), fremdeLaufzeit },
            { QStringLiteral("TMPDIR"), tmp }, { QStringLiteral("HOME"), heim },
            { QStringLiteral("XDG_CACHE_HOME"), QStringLiteral("-") } });
        QVERIFY2(LaeuftAlsInstanz(programm, heim + QStringLiteral("/.cache/kostenwolf")),
            programm->readAllStandardError().constData());

        // With no home to go to, the refusal is not silent.
        QProcess* ohneHeim = Starte({ { QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("-") },
            { QStringLiteral("TMPDIR"), tmp }, { QStringLiteral("HOME"), QStringLiteral("-") },
            { QStringLiteral("XDG_CACHE_HOME"), QStringLiteral("-") },
            { QStringLiteral("KOSTENWOLF_DATA_DIR"), Pfad(QStringLiteral("andere")) } });
        QVERIFY(Beendet(ohneHeim));
        QCOMPARE(ohneHeim->exitCode(), 1);
        QVERIFY(ohneHeim->readAllStandardError().contains("anderen Benutzer"));
    }

    void ungewoehnlicheOrdner_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("wert");
        QTest::newRow("TMPDIR fehlt") << QStringLiteral("TMPDIR") << QStringLiteral("/gibt/es/nicht");
        QTest::newRow("XDG_RUNTIME_DIR mit 150 Zeichen") << QStringLiteral("XDG_RUNTIME_DIR") << QString();
    }

    void ungewoehnlicheOrdner()
    {
        QFETCH(QString, variable);
        QFETCH(QString, wert);
        if (wert.isEmpty()) {
            wert = Pfad(QString(150 - ordner->path().size() - 1, QLatin1Char('x')));
            QVERIFY(QDir().mkpath(wert));
            QCOMPARE(::chmod(QFile::encodeName(wert).constData(), 0700), 0);
            QCOMPARE(wert.size(), 150);
        }
        const QString heim = Pfad(QStringLiteral("heim"));
        QList<QPair<QString, QString>> aenderung { { QStringLiteral("HOME"), heim },
            { QStringLiteral("XDG_CACHE_HOME"), QStringLiteral("-") }, { variable, wert } };
        if (variable != QStringLiteral("XDG_RUNTIME_DIR"))
            aenderung.append({ QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("-") });
        QProcess* programm = Starte(aenderung);
        QVERIFY2(LaeuftAlsInstanz(programm, heim + QStringLiteral("/.cache/kostenwolf")),
            programm->readAllStandardError().constData());
    }

    void einStartDerNichtUebergebenKannEndetSichtbar()
    {
        // Same data, but a runtime folder of its own: the running instance cannot be
        // reached, and the second start must not run beside it.
        QProcess* erste = Starte();
        QVERIFY(LaeuftAlsInstanz(erste, Laufzeit()));
        const QString andere = Pfad(QStringLiteral("andere"));
        QVERIFY(QDir().mkpath(andere));
        QCOMPARE(::chmod(QFile::encodeName(andere).constData(), 0700), 0);
        QProcess* zweite = Starte({ { QStringLiteral("XDG_RUNTIME_DIR"), andere } });
        QVERIFY(Beendet(zweite));
        QCOMPARE(zweite->exitCode(), 1);
        QVERIFY(zweite->readAllStandardError().contains("läuft bereits"));
        QCOMPARE(erste->state(), QProcess::Running);

        // A socket that takes the hand-over but never answers it.
        erste->kill();
        QVERIFY(Beendet(erste));
        const QString stumm = Pfad(QStringLiteral("stumm"));
        QVERIFY(QDir().mkpath(stumm));
        QCOMPARE(::chmod(QFile::encodeName(stumm).constData(), 0700), 0);
        QLocalServer horcht;
        horcht.setMaxPendingConnections(1);
        QVERIFY(horcht.listen(TInstanceManager(stumm).ServerPfad()));
        QProcess* dritte = Starte({ { QStringLiteral("XDG_RUNTIME_DIR"), stumm } });
        QVERIFY(dritte->waitForFinished(Geduld)); // this thread never serves the socket
        QCOMPARE(dritte->exitCode(), 1);
        const QByteArray meldung = dritte->readAllStandardError();
        QVERIFY2(meldung.contains("antwortet aber nicht"), meldung.constData());
    }
};

QTEST_MAIN(TestUmgebung)
#include "tst_umgebung.moc"
