// The built program end to end: started on the offscreen platform with its own data
// directory and a simulated dial-up connection, ended by SIGTERM while metering.
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <memory>

class TestProgramm : public QObject {
    Q_OBJECT

private slots:
    void sigtermWaehrendDerVerbindungProtokolliertUndSpeichert()
    {
        TTestumgebung umgebung;
        QTemporaryDir laufzeit; // a guard of its own, apart from any running instance
        QVERIFY(laufzeit.isValid());

        int jahr, monat, tag;
        DecodeDate(Now(), jahr, monat, tag);
        Daten.BenutzerAnzahl = 1;
        Daten.StartBenutzer = 1;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[1].TarifNr = 1;
        Daten.Benutzer[1].MonatNr = uint8_t(monat);
        Tarife[1].Name.Setze(QStringLiteral("Tag"));
        Tarife[1].Preis = 6;
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);

        const QString verbindung = umgebung.Pfad(QStringLiteral("verbindung"));
        QFile datei(verbindung);
        QVERIFY(datei.open(QIODevice::WriteOnly));
        datei.write("192.0.2.7\n");
        datei.close();

        QProcess programm;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KOSTENWOLF_DATA_DIR"), umgebung.Verzeichnis.path());
        env.insert(QStringLiteral("KOSTENWOLF_RAS_SIMULATION"), verbindung);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), laufzeit.path());
        programm.setProcessEnvironment(env);
        programm.setProcessChannelMode(QProcess::ForwardedChannels);
        programm.start(QStringLiteral(KOSTENWOLF_BINARY), {});
        QVERIFY(programm.waitForStarted());

        // The detector polls once a second; give it a few polls and ticks.
        QTest::qWait(4000);
        QCOMPARE(programm.state(), QProcess::Running);
        ::kill(pid_t(programm.processId()), SIGTERM);
        QVERIFY(programm.waitForFinished(20000));
        QCOMPARE(programm.exitStatus(), QProcess::NormalExit);
        QCOMPARE(programm.exitCode(), 0);

        QFile gespeichert(umgebung.Pfad(QStringLiteral("Daten.kwd")));
        QVERIFY(gespeichert.open(QIODevice::ReadOnly));
        const QByteArray bytes = gespeichert.readAll();
        QCOMPARE(bytes.size(), qsizetype(sizeof(TDaten)));
        auto daten = std::make_unique<TDaten>();
        std::memcpy(daten.get(), bytes.constData(), sizeof(TDaten));
        const TMonat& m = daten->Benutzer[1].Monate[monat];
        QCOMPARE(AnzahlVerbindungen(m), 1);
        QCOMPARE(m.Verbindungen[0].Tarif.Text(), "Tag");
        QVERIFY(m.Verbindungen[0].Dauer > 0);
        QCOMPARE(m.Verbindungen[0].Kosten, 0.06);
        QCOMPARE(m.SummeKosten, 0.06);
        QCOMPARE(QFile(umgebung.Pfad(QStringLiteral("Tarife.kwt"))).size(), 7'524);
    }
};

QTEST_MAIN(TestProgramm)
#include "tst_programm.moc"
