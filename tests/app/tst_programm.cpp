// The built program end to end: started on the offscreen platform with its own data
// directory and a simulated dial-up connection, ended by a signal while metering, or
// killed and started again.
#include "core/Journal.h"
#include "store/Abrechnung.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"
#include "support/Warten.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {

void Starte(QProcess& programm, const TTestumgebung& umgebung, const QString& verbindung = {})
{
    programm.setProcessEnvironment(umgebung.ProgrammUmgebung(verbindung));
    programm.setProcessChannelMode(QProcess::ForwardedChannels);
    programm.start(QStringLiteral(KOSTENWOLF_BINARY), {});
}

void BeendeMitSignal(QProcess& programm, int signal = SIGTERM)
{
    QCOMPARE(programm.state(), QProcess::Running);
    ::kill(pid_t(programm.processId()), signal);
    QVERIFY(programm.waitForFinished(20000));
    QCOMPARE(programm.exitStatus(), QProcess::NormalExit);
    QCOMPARE(programm.exitCode(), 0);
}

void SchreibeDatei(const QString& pfad, const QByteArray& inhalt)
{
    QFile datei(pfad);
    QVERIFY(datei.open(QIODevice::WriteOnly | QIODevice::Truncate));
    datei.write(inhalt);
}

struct TDateiStand {
    ino_t Inode = 0;
    timespec Geaendert {};
    bool operator==(const TDateiStand& b) const
    {
        return Inode == b.Inode && Geaendert.tv_sec == b.Geaendert.tv_sec
            && Geaendert.tv_nsec == b.Geaendert.tv_nsec;
    }
};

// How far the running connection got by its journal's last checkpoint; -1 while
// there is none.
int64_t GesicherteMs(const QString& journal)
{
    const TJournalFund fund = LeseJournal(journal);
    return fund.art == TJournalFund::Gueltig ? fund.Journal.DauerMs : -1;
}

// Start-up may wait for a busy machine; a running connection writes its journal at
// once.
constexpr std::chrono::seconds Geduld(30);

TDateiStand Stand(const QString& pfad)
{
    struct stat info { };
    if (::stat(QFile::encodeName(pfad).constData(), &info) != 0)
        return {};
    return { info.st_ino, info.st_mtim };
}

} // namespace

class TestProgramm : public QObject {
    Q_OBJECT

private slots:
    void sigtermWaehrendDerStartmeldungSpeichert()
    {
        // A first start stops at the message that no tariff is selected.
        TTestumgebung umgebung;
        QProcess programm;
        Starte(programm, umgebung);
        QVERIFY(programm.waitForStarted());
        // The connection log is opened right before the message.
        WARTE_BIS(QFile::exists(umgebung.Pfad(QStringLiteral("Verlauf.sqlite"))), Geduld);
        BeendeMitSignal(programm);

        const std::unique_ptr<TDaten> daten = umgebung.GespeicherteDaten();
        QVERIFY(daten);
        QCOMPARE(daten->BenutzerAnzahl, 1);
        QCOMPARE(daten->Benutzer[1].Name.Text(), "Standardbenutzer");
        // Without a connection there is no journal.
        QVERIFY(!QFile::exists(umgebung.Pfad(QStringLiteral("Verbindung.kwj"))));
    }

    void signalWaehrendDerVerbindungProtokolliertUndSpeichert_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        // The terminal the program was started from is closed.
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalWaehrendDerVerbindungProtokolliertUndSpeichert()
    {
        QFETCH(int, signal);
        TTestumgebung umgebung;

        const int monat = RichteAnnaEin();
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);

        const QString verbindung = umgebung.Pfad(QStringLiteral("verbindung"));
        QFile datei(verbindung);
        QVERIFY(datei.open(QIODevice::WriteOnly));
        datei.write("192.0.2.7\n");
        datei.close();

        QProcess programm;
        Starte(programm, umgebung, verbindung);
        QVERIFY(programm.waitForStarted());

        // Metered for a few ticks: the journal holds a checkpoint after the first.
        WARTE_BIS(GesicherteMs(umgebung.Pfad(QStringLiteral("Verbindung.kwj"))) > 0, Geduld);
        BeendeMitSignal(programm, signal);

        const std::unique_ptr<TDaten> daten = umgebung.GespeicherteDaten();
        QVERIFY(daten);
        const TMonat& m = daten->Benutzer[1].Monate[monat];
        QCOMPARE(AnzahlVerbindungen(m), 1);
        QCOMPARE(m.Verbindungen[0].Tarif.Text(), "Tag");
        QVERIFY(m.Verbindungen[0].Dauer > 0);
        QCOMPARE(m.Verbindungen[0].Kosten, 0.06);
        QCOMPARE(m.SummeKosten, 0.06);
        QCOMPARE(QFile(umgebung.Pfad(QStringLiteral("Tarife.kwt"))).size(), 7'524);
        // The connection is logged and saved: its journal is gone.
        QVERIFY(!QFile::exists(umgebung.Pfad(QStringLiteral("Verbindung.kwj"))));
    }

    void sigkillWaehrendDerVerbindungProtokolliertSieBeimNaechstenStart()
    {
        TTestumgebung umgebung;
        const int monat = RichteAnnaEin();
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);
        const QString journal = umgebung.Pfad(QStringLiteral("Verbindung.kwj"));
        const QString datenPfad = umgebung.Pfad(QStringLiteral("Daten.kwd"));
        const QString verbindung = umgebung.Pfad(QStringLiteral("verbindung"));
        SchreibeDatei(verbindung, "192.0.2.7\n");

        QProcess programm;
        Starte(programm, umgebung, verbindung);
        QVERIFY(programm.waitForStarted());
        // The journal appears as the connection is first metered.
        WARTE_BIS(QFile::exists(journal), Geduld);
        const TDateiStand daten = Stand(datenPfad);
        // Twenty seconds of the connection at the last checkpoint.
        WARTE_BIS(GesicherteMs(journal) >= 20'000, Geduld + std::chrono::seconds(20));
        QCOMPARE(programm.state(), QProcess::Running);
        // Checkpoints went to the journal alone.
        QVERIFY(Stand(datenPfad) == daten);
        ::kill(pid_t(programm.processId()), SIGKILL);
        QVERIFY(programm.waitForFinished(20000));
        QVERIFY(QFile::exists(journal));

        // The next start, offline, after the tariff became dearer: the connection is
        // priced as it was metered.
        SchreibeDatei(verbindung, "");
        Tarife[1].Preis = 100;
        QVERIFY(SpeichereTarife().Ok);
        QProcess zweiter;
        Starte(zweiter, umgebung, verbindung);
        QVERIFY(zweiter.waitForStarted());
        WARTE_BIS(!QFile::exists(journal), Geduld);
        // It shows its message now; nothing more is written while no connection runs
        // (a time with nothing to wait for: the checkpoints come every three seconds).
        const TDateiStand gespeichert = Stand(datenPfad);
        QTest::qWait(3000);
        QVERIFY(!QFile::exists(journal));
        QVERIFY(Stand(datenPfad) == gespeichert);
        BeendeMitSignal(zweiter);

        const std::unique_ptr<TDaten> d = umgebung.GespeicherteDaten();
        QVERIFY(d);
        const TMonat& m = d->Benutzer[1].Monate[monat];
        QCOMPARE(AnzahlVerbindungen(m), 1);
        const TVerbindung& v = m.Verbindungen[0];
        QCOMPARE(v.Tarif.Text(), "Tag");
        QVERIFY2(v.Dauer * 86400 >= 20, qPrintable(QString::number(v.Dauer * 86400)));
        QVERIFY2(v.Dauer * 86400 < 60, qPrintable(QString::number(v.Dauer * 86400)));
        QCOMPARE(v.Kosten, 0.06); // one started minute at 6 Pf
        QCOMPARE(m.SummeKosten, 0.06);
        QVERIFY(!QFile::exists(journal));
        QVERIFY(!QFile::exists(umgebung.Pfad(QStringLiteral("Verbindung.kwj.defekt"))));
    }

    void verbindungWaehrendDerKostenmeldungMitEigenerLaenge()
    {
        TTestumgebung umgebung;
        const int monat = RichteAnnaEin();
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);
        const QString verbindung = umgebung.Pfad(QStringLiteral("verbindung"));
        SchreibeDatei(verbindung, "192.0.2.7\n");

        QProcess programm;
        Starte(programm, umgebung, verbindung);
        QVERIFY(programm.waitForStarted());
        const QString journal = umgebung.Pfad(QStringLiteral("Verbindung.kwj"));
        WARTE_BIS(QFile::exists(journal), Geduld);
        SchreibeDatei(verbindung, ""); // down: the cost box opens and nobody answers it
        WARTE_BIS(!QFile::exists(journal), Geduld); // logged
        SchreibeDatei(verbindung, "192.0.2.7\n"); // up and down again behind the box
        WARTE_BIS(GesicherteMs(journal) >= 3'000, Geduld); // metered for a while
        SchreibeDatei(verbindung, "");
        WARTE_BIS(!QFile::exists(journal), Geduld);
        BeendeMitSignal(programm);

        const std::unique_ptr<TDaten> daten = umgebung.GespeicherteDaten();
        QVERIFY(daten);
        const TMonat& m = daten->Benutzer[1].Monate[monat];
        QCOMPARE(AnzahlVerbindungen(m), 2);
        const double sekunden = m.Verbindungen[1].Dauer * 86'400;
        QVERIFY2(sekunden > 2.5 && sekunden < 9, qPrintable(QString::number(sekunden)));
        QVERIFY(m.Verbindungen[1].Datum > m.Verbindungen[0].Datum);
    }

    void sigtermImVollenMonatWartetAufKeineMeldung()
    {
        TTestumgebung umgebung;
        const int monat = RichteAnnaEin();
        for (int k = 0; k < MaxVerbindungen; ++k) {
            Daten.Benutzer[1].Monate[monat].Verbindungen[k].Tarif.Setze(QStringLiteral("Tag"));
            Daten.Benutzer[1].Monate[monat].Verbindungen[k].Kosten = 0.01;
        }
        // Start-up rolls Bernd over: the saved record shows the run's changes.
        Daten.BenutzerAnzahl = 2;
        Daten.Benutzer[2].Name.Setze(QStringLiteral("Bernd"));
        Daten.Benutzer[2].MonatNr = uint8_t(monat % 12 + 1);
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);
        // A short tariff file: the close writes it whole.
        QFile tarife(umgebung.Pfad(QStringLiteral("Tarife.kwt")));
        QVERIFY(tarife.resize(1000));
        const QString verbindung = umgebung.Pfad(QStringLiteral("verbindung"));
        SchreibeDatei(verbindung, "192.0.2.7\n");

        QProcess programm;
        Starte(programm, umgebung, verbindung);
        QVERIFY(programm.waitForStarted());
        WARTE_BIS(QFile::exists(umgebung.Pfad(QStringLiteral("Verbindung.kwj"))), Geduld);
        BeendeMitSignal(programm); // not held up by "Das Verbindungsprotokoll ... ist voll"

        const std::unique_ptr<TDaten> daten = umgebung.GespeicherteDaten();
        QVERIFY(daten);
        QCOMPARE(daten->Benutzer[2].MonatNr, uint8_t(monat));
        QCOMPARE(AnzahlVerbindungen(daten->Benutzer[1].Monate[monat]), MaxVerbindungen);
        QCOMPARE(QFile(umgebung.Pfad(QStringLiteral("Tarife.kwt"))).size(), 7'524);
    }
};

QTEST_MAIN(TestProgramm)
#include "tst_programm.moc"
