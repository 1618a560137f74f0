// The built program against a hostile or odd environment: data files that are FIFOs,
// lock files left in any state, kills during start-up, folders taken by another user,
// odd temporary and runtime folders, a settings file or a bus that is not what it should
// be, a reader that goes away. Whatever happens, a start either runs, hands over, or says
// why it does not.
#include "platform/InstanzClient.h"
#include "process/InstanceManager.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/NetworkManagerAttrappe.h"
#include "support/Saat.h"
#include "support/Testumgebung.h"
#include "support/Warten.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
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

// What a row does beyond its files and variables.
enum TBesonderes {
    Nichts,
    ErsteInstanzLaeuft, // another instance runs on the folder "daten"
    NmVerschachtelt, // NetworkManager sends its active connections as an array of arrays
    UmaskNull,
    GeschlossenePipe, // standard output is a pipe nobody reads any more
    VollePlatte, // standard output is /dev/full
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
    QProcess* Starte(const QList<QPair<QString, QString>>& aenderung = {}, const QStringList& argumente = {},
        const std::function<void()>& imKind = {})
    {
        auto prozess = std::make_unique<QProcess>();
        if (imKind)
            prozess->setChildProcessModifier(imKind);
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
        prozess->start(QStringLiteral(KOSTENWOLF_BINARY), argumente);
        prozesse.push_back(std::move(prozess));
        return prozesse.back().get();
    }

    static bool ServerAntwortet(const QString& laufzeit)
    {
        const TUebergabe uebergabe = UebergibAnInstanz(TInstanceManager(laufzeit).ServerPfad(), {}, 2000);
        return uebergabe.Ergebnis == TUebergabe::Beantwortet && uebergabe.Antwort == 1;
    }

    // True once 'prozess' runs as the instance serving in 'laufzeit'.
    static bool LaeuftAlsInstanz(QProcess* prozess, const QString& laufzeit)
    {
        WarteBis([&] { return prozess->state() == QProcess::NotRunning || ServerAntwortet(laufzeit); },
            std::chrono::milliseconds(Geduld));
        return prozess->state() == QProcess::Running && ServerAntwortet(laufzeit);
    }

    static bool Beendet(QProcess* prozess, int millisekunden = Geduld)
    {
        return prozess->state() == QProcess::NotRunning || prozess->waitForFinished(millisekunden);
    }

    // Type and bytes of what lies under a name, read without ever blocking on a FIFO.
    static QByteArray Zustand(const QString& pfad)
    {
        struct stat info { };
        if (::lstat(QFile::encodeName(pfad).constData(), &info) != 0)
            return "fehlt";
        if (!S_ISREG(info.st_mode))
            return QByteArray::number(info.st_mode & S_IFMT);
        QFile datei(pfad);
        return datei.open(QIODevice::ReadOnly) ? "Datei " + datei.readAll() : "unlesbar";
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
        QRandomGenerator zufall(Testsaat());
        for (int i = 0; i < 100; ++i) {
            QProcess* programm = Starte();
            QVERIFY(programm->waitForStarted(Geduld));
            QTest::qWait(int(zufall.bounded(300)));
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
    void zweiteRunde_data()
    {
        // Put into the test's folder: "fifo:NAME", "ordner:NAME", "link:NAME>ZIEL", "datei:NAME=INHALT".
        QTest::addColumn<QStringList>("anlagen");
        QTest::addColumn<bool>("anna"); // Anna's month at 9 DM in "daten"
        QTest::addColumn<QStringList>("umgebung"); // NAME=WERT, %O the test's folder
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<int>("besonderes");
        QTest::addColumn<int>("code"); // -1: runs as the instance and ends on SIGTERM
        QTest::addColumn<QByteArray>("meldung"); // on stderr
        QTest::addColumn<QStringList>("nachher"); // NAME=bleibt, NAME=fehlt or NAME=MODUS

        const QString ini = QStringLiteral("daten/Kostenwolf.ini");
        const QStringList bericht { QStringLiteral("--bericht") };
        QTest::newRow("Kostenwolf.ini ist ein FIFO")
            << QStringList { "fifo:" + ini } << false << QStringList() << QStringList() << int(Nichts) << -1
            << QByteArray("Einstellungsdatei") << QStringList { ini + "=bleibt" };
        QTest::newRow("Kostenwolf.ini voller Unsinn")
            << QStringList { "datei:" + ini + "=\x01\xff\xfe Unsinn" } << true << QStringList()
            << QStringList() << int(Nichts) << -1 << QByteArray("Einstellungsdatei")
            << QStringList { ini + "=bleibt" };
        // Beyond the warning level from the start: the warning is to be noted at once.
        QTest::newRow("Kostenwolf.ini.lock ist ein Ordner")
            << QStringList { "datei:" + ini + "=[Budget1]\nName=Anna\nMonatsbudget=10.00\n",
                   "ordner:" + ini + ".lock" }
            << true << QStringList() << QStringList() << int(Nichts) << -1 << QByteArray("gesperrt")
            << QStringList { ini + "=bleibt" };
        QTest::newRow("NetworkManager sendet Felder von Feldern")
            << QStringList() << true << QStringList() << QStringList() << int(NmVerschachtelt) << -1
            << QByteArray() << QStringList();
        QTest::newRow("Daten.kwd verweist auf die einer laufenden Instanz")
            << QStringList { "ordner:zweite", "link:zweite/Daten.kwd>../daten/Daten.kwd" } << false
            << QStringList { "KOSTENWOLF_DATA_DIR=%O/zweite" } << QStringList() << int(ErsteInstanzLaeuft)
            << 1 << QByteArray("läuft bereits") << QStringList();
        QTest::newRow("Daten.kwd verweist in einen Ordner, der fehlt")
            << QStringList { "link:daten/Daten.kwd>../fehlt/Daten.kwd" } << false << QStringList()
            << QStringList() << int(Nichts) << 1 << QByteArray("kann nicht gesperrt werden")
            << QStringList { "fehlt=fehlt" };
        QTest::newRow("umask 000") << QStringList() << false
                                   << QStringList { "KOSTENWOLF_DATA_DIR=%O/neu/daten" } << QStringList()
                                   << int(UmaskNull) << -1 << QByteArray()
                                   << QStringList { "neu=700", "neu/daten=700", "neu/daten/Daten.kwd=600",
                                          "neu/daten/Tarife.kwt=600" };
        QTest::newRow("Temporäre Dateien eines abgebrochenen Laufs")
            << QStringList { "datei:daten/.Verbindung.kwj.a1B2c3=halb",
                   "datei:daten/.Kostenwolf.ini.Xy9z8w=halb" }
            << false << QStringList() << QStringList() << int(Nichts) << -1 << QByteArray()
            << QStringList { "daten/.Verbindung.kwj.a1B2c3=fehlt", "daten/.Kostenwolf.ini.Xy9z8w=fehlt" };
        QTest::newRow("--bericht ohne Datenordner")
            << QStringList() << false << QStringList { "KOSTENWOLF_DATA_DIR=%O/fehlt/daten" } << bericht
            << int(Nichts) << 4 << QByteArray("Datenordner") << QStringList { "fehlt=fehlt" };
        QTest::newRow("--bericht in eine geschlossene Pipe")
            << QStringList() << true << QStringList() << bericht << int(GeschlossenePipe) << 1
            << QByteArray("nicht ausgegeben") << QStringList();
        QTest::newRow("--bericht auf eine volle Platte")
            << QStringList() << true << QStringList() << bericht << int(VollePlatte) << 1
            << QByteArray("nicht ausgegeben") << QStringList();
    }

    void zweiteRunde()
    {
        QFETCH(QStringList, anlagen);
        QFETCH(bool, anna);
        QFETCH(QStringList, umgebung);
        QFETCH(QStringList, argumente);
        QFETCH(int, besonderes);
        QFETCH(int, code);
        QFETCH(QByteArray, meldung);
        QFETCH(QStringList, nachher);

        if (anna) {
            qputenv("KOSTENWOLF_DATA_DIR", QFile::encodeName(Daten()));
            std::memset(&::Daten, 0, sizeof ::Daten);
            std::memset(&Tarife, 0, sizeof Tarife);
            RichteAnnaEin();
            Tarife[1].Grundpreis = 9;
            QVERIFY(SpeichereDaten().Ok && SpeichereTarife().Ok);
        }
        for (const QString& anlage : anlagen) {
            const QString art = anlage.section(':', 0, 0), rest = anlage.section(':', 1);
            const QByteArray name = QFile::encodeName(Pfad(rest.section(QRegularExpression("[=>]"), 0, 0)));
            const QByteArray inhalt = rest.section(QRegularExpression("[=>]"), 1).toUtf8();
            if (art == "fifo")
                QCOMPARE(::mkfifo(name.constData(), 0600), 0);
            else if (art == "ordner")
                QVERIFY(QDir().mkpath(QFile::decodeName(name)));
            else if (art == "link")
                QCOMPARE(::symlink(inhalt.constData(), name.constData()), 0);
            else {
                QFile datei(QFile::decodeName(name));
                QVERIFY(datei.open(QIODevice::WriteOnly) && datei.write(inhalt) == inhalt.size());
            }
        }
        QMap<QString, QByteArray> vorher;
        for (const QString& name : nachher)
            vorher[name] = Zustand(Pfad(name.section('=', 0, 0)));

        QList<QPair<QString, QString>> aenderung;
        for (const QString& zeile : umgebung)
            aenderung.append(
                { zeile.section('=', 0, 0), zeile.section('=', 1).replace("%O", ordner->path()) });
        std::function<void()> imKind;
        int pipe[2] = { -1, -1 };
        std::unique_ptr<TNetworkManagerAttrappe> nm;
        QString aktiv;
        switch (TBesonderes(besonderes)) {
        case Nichts:
            break;
        case VollePlatte:
            imKind = [] { ::dup2(::open("/dev/full", O_WRONLY), STDOUT_FILENO); };
            break;
        case ErsteInstanzLaeuft: {
            QVERIFY(LaeuftAlsInstanz(Starte(), Laufzeit()));
            const QString andere = Pfad(QStringLiteral("andere"));
            QVERIFY(QDir().mkpath(andere));
            QCOMPARE(::chmod(QFile::encodeName(andere).constData(), 0700), 0);
            aenderung.append({ QStringLiteral("XDG_RUNTIME_DIR"), andere });
            break;
        }
        case NmVerschachtelt:
            nm = std::make_unique<TNetworkManagerAttrappe>();
            QVERIFY2(nm->Starte(), qPrintable(nm->Fehler()));
            aktiv = nm->Aktiv(QStringLiteral("Mobilfunk"), QStringLiteral("gsm"),
                nm->Geraet(QStringLiteral("modem0"), QStringLiteral("cdc-wdm0"), Nm::Modem, 0),
                Nm::WirdAufgebaut);
            nm->Zustand(aktiv, Nm::Steht, QStringLiteral("10.64.0.5"));
            QVERIFY2(nm->Fehler().isEmpty(), qPrintable(nm->Fehler()));
            aenderung += { { QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), nm->Adresse() },
                { QStringLiteral("KOSTENWOLF_RAS_SIMULATION"), QStringLiteral("-") },
                { QStringLiteral("KOSTENWOLF_INTERFACES"), QStringLiteral("kw-keine") } };
            break;
        case UmaskNull:
            imKind = [] { ::umask(0); };
            break;
        case GeschlossenePipe:
            QCOMPARE(::pipe2(pipe, O_CLOEXEC), 0);
            ::close(pipe[0]);
            imKind = [schreiben = pipe[1]] { ::dup2(schreiben, STDOUT_FILENO); };
            break;
        }

        QProcess* programm = Starte(aenderung, argumente, imKind);
        if (nm) {
            // Metered from NetworkManager's word; the list of the wrong type takes the
            // connection away, which logs it and ends its journal.
            const QString journal = Pfad(QStringLiteral("daten/Verbindung.kwj"));
            QVERIFY(WarteBis([&] { return QFile::exists(journal); }, std::chrono::milliseconds(Geduld)));
            nm->Verschachtelt(aktiv);
            QVERIFY(WarteBis([&] { return !QFile::exists(journal); }, std::chrono::milliseconds(Geduld)));
        }
        QByteArray fehler;
        QDeadlineTimer frist(Geduld);
        while (
            !fehler.contains(meldung) && !frist.hasExpired() && programm->state() != QProcess::NotRunning) {
            programm->waitForReadyRead(200);
            fehler += programm->readAllStandardError();
        }
        if (pipe[1] >= 0)
            ::close(pipe[1]);
        if (code < 0) {
            QVERIFY2(LaeuftAlsInstanz(programm, Laufzeit()), fehler.constData());
            ::kill(pid_t(programm->processId()), SIGTERM);
        }
        QVERIFY(Beendet(programm));
        QCOMPARE(programm->exitStatus(), QProcess::NormalExit);
        QCOMPARE(programm->exitCode(), std::max(code, 0));
        fehler += programm->readAllStandardError();
        QVERIFY2(fehler.contains(meldung), fehler.constData());

        for (const QString& eintrag : nachher) {
            const QString name = eintrag.section('=', 0, 0), soll = eintrag.section('=', 1);
            struct stat info { };
            if (soll == "bleibt")
                QCOMPARE(Zustand(Pfad(name)), vorher[eintrag]);
            else if (soll == "fehlt")
                QCOMPARE(Zustand(Pfad(name)), QByteArray("fehlt"));
            else {
                QCOMPARE(::stat(QFile::encodeName(Pfad(name)).constData(), &info), 0);
                QCOMPARE(QString::number(info.st_mode & 07777, 8), soll);
            }
        }
    }
};

QTEST_MAIN(TestUmgebung)
#include "tst_umgebung.moc"
