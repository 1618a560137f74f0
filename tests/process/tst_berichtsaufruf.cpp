// kostenwolf --bericht as scripts meet it: the built program run against a prepared data
// folder while the instance lock is held, as it is while Kostenwolf runs.
#include "process/InstanceManager.h"
#include "report/Konto.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct TLauf {
    int Code = -1;
    QByteArray Ausgabe;
    QString Fehler;
};

TDateTime Am(int jahr, int monat, int tag, int stunde, int minute, int sekunde = 0)
{
    return EncodeDate(jahr, monat, tag) + EncodeTime(stunde, minute, sekunde, 0);
}

void Eintrag(int benutzer, int monat, TDateTime datum, TDateTime dauer, double kosten, const QString& tarif)
{
    TMonat& m = Daten.Benutzer[benutzer].Monate[monat];
    TVerbindung& v = m.Verbindungen[AnzahlVerbindungen(m)];
    v.Tarif.Setze(tarif);
    v.Datum = datum;
    v.Dauer = dauer;
    v.Kosten = kosten;
}

// Everything in a folder as it is on disk: names, bytes, and which file it is and when it
// was last written, so that even a rewrite with the same bytes shows.
QStringList Bestand(const QString& ordner)
{
    QStringList bestand;
    const QDir dir(ordner);
    for (const QString& name :
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        QFile f(dir.filePath(name));
        struct stat info { };
        ::lstat(QFile::encodeName(f.fileName()).constData(), &info);
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        bestand << QStringLiteral("%1 %2 %3.%4 %5")
                       .arg(name)
                       .arg(info.st_ino)
                       .arg(info.st_mtim.tv_sec)
                       .arg(info.st_mtim.tv_nsec)
                       .arg(QString::fromLatin1(bytes.toBase64()));
    }
    return bestand;
}

} // namespace

class TestBerichtsaufruf : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestumgebung> umgebung;
    std::unique_ptr<QTemporaryDir> laufzeit;
    std::unique_ptr<QLockFile> sperre;
    QStringList vorher;
    int jahr = 0, monat = 0, vormonat = 0, vorjahr = 0;

    QProcessEnvironment Umgebung(const QString& daten) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KOSTENWOLF_DATA_DIR"), daten);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), laufzeit->path());
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        return env;
    }

    TLauf Starte(const QStringList& argumente, const QByteArray& eingabe = {}, QString daten = {},
        const QString& frage = QStringLiteral("--bericht"))
    {
        QProcess p;
        p.setProcessEnvironment(Umgebung(daten.isEmpty() ? umgebung->Verzeichnis.path() : daten));
        // No controlling terminal, as under cron: a password prompt must not wait for one.
        p.setChildProcessModifier([] { ::setsid(); });
        p.start(QStringLiteral(KOSTENWOLF_BINARY), QStringList { frage } + argumente);
        p.write(eingabe);
        p.closeWriteChannel();
        TLauf lauf;
        if (!p.waitForFinished(60'000)) {
            p.kill();
            p.waitForFinished();
            lauf.Fehler = QStringLiteral("<hängt>");
            return lauf;
        }
        lauf.Code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        lauf.Ausgabe = p.readAllStandardOutput();
        lauf.Fehler = QString::fromUtf8(p.readAllStandardError());
        return lauf;
    }

    // The program on a pseudo-terminal of its own, answering its password prompt with
    // 'kennwort'; everything the terminal showed comes back.
    TLauf AmTerminal(const QStringList& argumente, const QByteArray& kennwort)
    {
        std::vector<QByteArray> arg { QByteArray(KOSTENWOLF_BINARY), "--bericht" };
        for (const QString& a : argumente)
            arg.push_back(a.toUtf8());
        std::vector<QByteArray> env;
        for (const QString& e : Umgebung(umgebung->Verzeichnis.path()).toStringList())
            env.push_back(e.toUtf8());
        std::vector<char*> argv, envp;
        for (QByteArray& a : arg)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (QByteArray& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        TLauf lauf;
        int master = -1;
        const pid_t kind = ::forkpty(&master, nullptr, nullptr, nullptr);
        if (kind < 0)
            return lauf;
        if (kind == 0) {
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        bool geantwortet = false;
        QDeadlineTimer frist(60'000);
        for (;;) {
            pollfd p { master, POLLIN, 0 };
            if (::poll(&p, 1, 200) > 0) {
                char puffer[4096];
                const ssize_t n = ::read(master, puffer, sizeof puffer);
                if (n <= 0)
                    break; // the program has ended and closed the terminal
                lauf.Ausgabe.append(puffer, n);
            }
            if (!geantwortet && lauf.Ausgabe.contains(": ")) {
                // Echo is off by now: the prompt is written only after switching it off.
                (void)!::write(master, kennwort.constData(), size_t(kennwort.size()));
                (void)!::write(master, "\n", 1);
                geantwortet = true;
            }
            if (frist.hasExpired()) {
                ::kill(kind, SIGKILL);
                break;
            }
        }
        int status = 0;
        ::waitpid(kind, &status, 0);
        ::close(master);
        lauf.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        lauf.Ausgabe.replace("\r\n", "\n");
        return lauf;
    }

    // What the report window shows for the month: its lines, then the total beneath.
    QStringList Fensterzeilen(int benutzer, int m)
    {
        AktBenutzer = uint8_t(benutzer);
        SetzeAktTarif(Daten.Benutzer[benutzer].TarifNr);
        TForm4 fenster;
        fenster.show();
        fenster.TreeView1->setCurrentItem(fenster.TreeView1->topLevelItem(m - 1));
        QStringList zeilen;
        if (!fenster.Memo1->toPlainText().isEmpty())
            zeilen = fenster.Memo1->toPlainText().split('\n');
        return zeilen << fenster.Label1->text();
    }

    QByteArray Exportiert(int benutzer, int m)
    {
        AktBenutzer = uint8_t(benutzer);
        TForm4 fenster;
        fenster.show();
        fenster.TreeView1->setCurrentItem(fenster.TreeView1->topLevelItem(m - 1));
        const QString datei = laufzeit->filePath(QStringLiteral("export.csv"));
        umgebung->Dialoge->Dateinamen = { datei };
        fenster.Button2->click();
        QFile f(datei);
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        f.remove();
        return bytes;
    }

    static QStringList Zeilen(const QByteArray& text)
    {
        QStringList zeilen = QString::fromUtf8(text).split('\n');
        if (!zeilen.isEmpty() && zeilen.last().isEmpty())
            zeilen.removeLast();
        return zeilen;
    }

private slots:
    void init()
    {
        umgebung = std::make_unique<TTestumgebung>();
        laufzeit = std::make_unique<QTemporaryDir>();
        // Held as by a running instance: the report must neither wait for it nor hand over.
        sperre = std::make_unique<QLockFile>(TInstanceManager(laufzeit->path()).SperrPfad());
        QVERIFY(sperre->tryLock(0));

        int tag;
        DecodeDate(Now(), jahr, monat, tag);
        vormonat = monat == 1 ? 12 : monat - 1;
        vorjahr = monat == 1 ? jahr - 1 : jahr;

        Daten.BenutzerAnzahl = 2;
        Daten.StartBenutzer = 1;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[1].TarifNr = 3;
        Daten.Benutzer[1].MonatNr = uint8_t(monat);
        Daten.Benutzer[2].Name.Setze(QStringLiteral("Bernd"));
        Daten.Benutzer[2].Kennwort.Setze(QStringLiteral("Geheim ä"));
        Daten.Benutzer[2].MonatNr = uint8_t(monat);
        Tarife[3].Name.Setze(QStringLiteral("Mondschein Spät"));
        Tarife[3].Grundpreis = 4.5;

        Eintrag(1, monat, Am(jahr, monat, 1, 0, 0, 30), EncodeTime(0, 12, 0, 0), 0.125, "Mondschein Spät");
        Eintrag(1, monat, Am(jahr, monat, 1, 20, 15), 1 + EncodeTime(1, 0, 0, 0), 2.675, "Tag;\"Spar\"");
        Eintrag(1, monat, Am(jahr, monat, 2, 9, 5), EncodeTime(0, 3, 20, 0), 0.5, "Mondschein Spät");
        // Escape and bell in a name must not reach the terminal as such.
        Eintrag(
            1, vormonat, Am(vorjahr, vormonat, 28, 23, 59, 59), EncodeTime(0, 1, 0, 0), 0.2, "Früh\x1b[2J\a");
        Eintrag(2, monat, Am(jahr, monat, 1, 12, 0), EncodeTime(0, 5, 0, 0), 0.3, "Bernds Tarif");
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);
        vorher = Bestand(umgebung->Verzeichnis.path());
        QCOMPARE(vorher.size(), 2);
    }

    void cleanup()
    {
        const QStringList nachher = Bestand(umgebung->Verzeichnis.path());
        const QStringList laufzeitNachher
            = QDir(laufzeit->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        sperre.reset();
        laufzeit.reset();
        umgebung.reset();
        // Whatever was asked, the data files are as they were and nothing was added.
        QCOMPARE(nachher, vorher);
        QCOMPARE(laufzeitNachher, QStringList { QStringLiteral("Kostenwolf.lock") });
    }

    void textIsTheWindowsLinesAndCsvTheExportedFile()
    {
        const TLauf jetzt = Starte({});
        QCOMPARE(jetzt.Fehler, QString());
        QCOMPARE(jetzt.Code, 0);
        const QStringList fenster = Fensterzeilen(1, monat);
        QCOMPARE(fenster.size(), 6); // two day lines, three connections, the total
        QCOMPARE(Zeilen(jetzt.Ausgabe), fenster);
        QVERIFY(fenster.last().startsWith(QStringLiteral("Im Monat: 7,8 DM - 25:15:20")));

        const QString vorig = QStringLiteral("%1/%2").arg(vormonat, 2, 10, QLatin1Char('0')).arg(vorjahr);
        const TLauf frueher = Starte({ QStringLiteral("--benutzer=Anna"), vorig });
        QCOMPARE(frueher.Code, 0);
        QStringList gezeigt = Fensterzeilen(1, vormonat);
        gezeigt.replaceInStrings(QStringLiteral("\x1b[2J\a"), QStringLiteral("?[2J?"));
        QCOMPARE(Zeilen(frueher.Ausgabe), gezeigt);

        const TLauf csv = Starte({ QStringLiteral("--format"), QStringLiteral("csv") });
        QCOMPARE(csv.Code, 0);
        QCOMPARE(csv.Ausgabe, Exportiert(1, monat));
        QVERIFY(csv.Ausgabe.contains(";25:00:00;90000;2,67;\"Tag;\"\"Spar\"\"\";;\r\n"));
        QCOMPARE(Starte({ QString::number(monat) + '/' + QString::number(jahr), "--format=csv" }).Ausgabe,
            csv.Ausgabe);
    }

    void passwordFromStandardInputOrTheTerminal()
    {
        const QStringList bernd { QStringLiteral("--benutzer"), QStringLiteral("Bernd") };
        const QStringList erwartet = Fensterzeilen(2, monat);

        const TLauf richtig = Starte(bernd + QStringList { "--kennwort-stdin" }, "Geheim ä\n");
        QCOMPARE(richtig.Code, 0);
        QCOMPARE(Zeilen(richtig.Ausgabe), erwartet);
        const TLauf falsch = Starte(bernd + QStringList { "--kennwort-stdin" }, "geheim ä\n");
        QCOMPARE(falsch.Code, 3);
        QVERIFY(falsch.Ausgabe.isEmpty());
        QVERIFY2(falsch.Fehler.contains(QStringLiteral("Falsches Kennwort")), qPrintable(falsch.Fehler));
        // Without a terminal and without --kennwort-stdin nobody can be asked.
        const TLauf ohne = Starte(bernd);
        QCOMPARE(ohne.Code, 3);
        QVERIFY2(ohne.Fehler.contains(QStringLiteral("--kennwort-stdin")), qPrintable(ohne.Fehler));
        // A user without a password is never asked.
        QCOMPARE(Starte({}, "Geheim ä\n").Code, 0);

        const TLauf terminal = AmTerminal(bernd, "Geheim ä");
        QCOMPARE(terminal.Code, 0);
        const QStringList gezeigt = Zeilen(terminal.Ausgabe);
        QVERIFY2(gezeigt.value(0).startsWith(QStringLiteral("Kennwort für „Bernd“: ")), terminal.Ausgabe);
        QVERIFY2(!terminal.Ausgabe.contains("Geheim"), terminal.Ausgabe); // not echoed
        QCOMPARE(gezeigt.mid(1), erwartet);
        const TLauf vertippt = AmTerminal(bernd, "Geheim");
        QCOMPARE(vertippt.Code, 3);
        QVERIFY2(vertippt.Ausgabe.contains("Falsches Kennwort"), vertippt.Ausgabe);
    }

    void mistakesEndWithTheirCodeAndAGermanMessage_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("meldung");
        const QString dieserMonat = QStringLiteral("%1/").arg(monat, 2, 10, QLatin1Char('0'));
        QTest::newRow("month 13") << QStringList { "13/2026" } << 2 << "Den Monat „13/2026“ gibt es nicht";
        QTest::newRow("month 0") << QStringList { "00/2026" } << 2 << "Den Monat „00/2026“ gibt es nicht";
        QTest::newRow("two-digit year") << QStringList { "3/26" } << 2 << "erwartet wird MM/JJJJ";
        QTest::newRow("a year without log")
            << QStringList { dieserMonat + QString::number(jahr - 1) } << 2 << "gibt es kein Protokoll";
        QTest::newRow("next year") << QStringList { dieserMonat + QString::number(jahr + 1) } << 2
                                   << "gibt es kein Protokoll";
        QTest::newRow("format") << QStringList { "--format", "xml" } << 2 << "Das Format „xml“ gibt es nicht";
        QTest::newRow("unknown option")
            << QStringList { "--alles" } << 2 << "Die Angabe „--alles“ ist unbekannt";
        QTest::newRow("no user name")
            << QStringList { "--benutzer" } << 2 << "Nach --benutzer fehlt der Wert";
        QTest::newRow("two months") << QStringList { "01/2026", "02/2026" } << 2 << "nur ein Monat";
        QTest::newRow("months without comparison")
            << QStringList { "--monate", "3" } << 2 << "--monate gehört zu --vergleich";
        QTest::newRow("year not a number") << QStringList { "--jahr=20x" } << 2 << "--jahr „20x“ geht nicht";
        QTest::newRow("report and comparison") << QStringList { "--vergleich" } << 2 << "nicht beides";
        QTest::newRow("no such user") << QStringList { "--benutzer", "anna" } << 5
                                      << "Einen Benutzer „anna“ gibt es nicht; es gibt „Anna“, „Bernd“.";
    }

    void mistakesEndWithTheirCodeAndAGermanMessage()
    {
        QFETCH(QStringList, argumente);
        QFETCH(int, code);
        QFETCH(QString, meldung);
        const TLauf lauf = Starte(argumente);
        QCOMPARE(lauf.Code, code);
        QVERIFY(lauf.Ausgabe.isEmpty());
        QVERIFY2(lauf.Fehler.startsWith(QStringLiteral("kostenwolf: ")), qPrintable(lauf.Fehler));
        QVERIFY2(lauf.Fehler.contains(meldung), qPrintable(lauf.Fehler));
        QCOMPARE(lauf.Fehler.contains(QStringLiteral("Aufruf: kostenwolf --bericht")), code == 2);
    }

    // Without a log yet, the answers come from "Daten.kwd"; nothing is created for them.
    void comparisonYearAndJsonFromTheLog()
    {
        const TLauf vergleich
            = Starte({ QStringLiteral("--monate=1"), QStringLiteral("--format=csv") }, {}, {}, "--vergleich");
        QCOMPARE(vergleich.Fehler, QString());
        QCOMPARE(vergleich.Ausgabe,
            QByteArray("\xEF\xBB\xBFTarif;Kosten (DM);Ersparnis (DM)\r\nMondschein Spät;4,50;0,00\r\n"));

        // Only the connection that began this month: the other two began in the last.
        const TLauf monatJson = Starte({ QStringLiteral("--format"), QStringLiteral("json") });
        QCOMPARE(monatJson.Code, 0);
        const QJsonObject m = QJsonDocument::fromJson(monatJson.Ausgabe).object();
        QCOMPARE(m[QStringLiteral("kosten")].toDouble(), 5.0);
        const QJsonArray liste = m[QStringLiteral("verbindungen")].toArray();
        QCOMPARE(liste.size(), 1);
        QCOMPARE(liste[0].toObject()[QStringLiteral("sekunden")].toDouble(), 200.0);
        QVERIFY(liste[0].toObject()[QStringLiteral("rx_bytes")].isNull());

        const TLauf jahrJson = Starte({ QStringLiteral("--jahr"), QString::number(jahr), "--format=json" });
        QCOMPARE(jahrJson.Code, 0);
        const QJsonArray monate
            = QJsonDocument::fromJson(jahrJson.Ausgabe).object()[QStringLiteral("monate")].toArray();
        QCOMPARE(monate.size(), 12);
        QCOMPARE(monate[monat - 1].toObject()[QStringLiteral("verbindungen")].toInt(), 1);
        const TLauf jahrText = Starte({ QStringLiteral("--jahr"), QString::number(jahr) });
        QVERIFY2(jahrText.Ausgabe.contains("Verbindungen von Anna im Jahr"), jahrText.Ausgabe);
    }

    void unreadableDataEndWithCode4AndCreateNothing()
    {
        QTemporaryDir leer;
        const TLauf fehlt = Starte({}, {}, leer.path());
        QCOMPARE(fehlt.Code, 4);
        QVERIFY2(fehlt.Fehler.contains(QStringLiteral("Daten.kwd kann nicht gelesen werden")),
            qPrintable(fehlt.Fehler));
        QCOMPARE(QDir(leer.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());

        QVERIFY(QDir(leer.path()).mkdir(QStringLiteral("Daten.kwd")));
        QCOMPARE(Starte({}, {}, leer.path()).Code, 4);
        QVERIFY(QFile::copy(umgebung->Pfad(QStringLiteral("Daten.kwd")), leer.filePath(QStringLiteral("x"))));
        QVERIFY(QDir(leer.path()).rmdir(QStringLiteral("Daten.kwd")));
        QVERIFY(
            QFile::rename(leer.filePath(QStringLiteral("x")), leer.filePath(QStringLiteral("Daten.kwd"))));
        QVERIFY(QDir(leer.path()).mkdir(QStringLiteral("Tarife.kwt")));
        const TLauf tarife = Starte({}, {}, leer.path());
        QCOMPARE(tarife.Code, 4);
        QVERIFY2(tarife.Fehler.contains(QStringLiteral("Tarife.kwt")), qPrintable(tarife.Fehler));
        // Without a tariff table the month simply has no base fee.
        QVERIFY(QDir(leer.path()).rmdir(QStringLiteral("Tarife.kwt")));
        const TLauf ohneTarife = Starte({}, {}, leer.path());
        QCOMPARE(ohneTarife.Code, 0);
        QVERIFY(Zeilen(ohneTarife.Ausgabe).last().startsWith(QStringLiteral("Im Monat: 3,3 DM")));
    }
};

QTEST_MAIN(TestBerichtsaufruf)
#include "tst_berichtsaufruf.moc"
