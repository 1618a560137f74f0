// The built program end to end with NetworkManager as its only connection source: a
// mobile connection comes up and goes down on a NetworkManager stand-in, and the
// program logs it without being told about a modem any other way.
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/NetworkManagerAttrappe.h"
#include "support/Testumgebung.h"
#include "support/Warten.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <memory>

class TestNetworkManager : public QObject {
    Q_OBJECT

private slots:
    void mobilfunkverbindungWirdProtokolliert()
    {
        TTestumgebung umgebung;
        const int monat = RichteAnnaEin();
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);

        TNetworkManagerAttrappe nm;
        QVERIFY2(nm.Starte(), qPrintable(nm.Fehler()));

        QProcess programm;
        QProcessEnvironment env = umgebung.ProgrammUmgebung();
        env.remove(QStringLiteral("KOSTENWOLF_RAS_SIMULATION"));
        env.insert(QStringLiteral("KOSTENWOLF_INTERFACES"), QStringLiteral("kw-keine-schnittstelle"));
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), nm.Adresse());
        programm.setProcessEnvironment(env);
        programm.setProcessChannelMode(QProcess::ForwardedChannels);
        programm.start(QStringLiteral(KOSTENWOLF_BINARY), {});
        QVERIFY(programm.waitForStarted());
        // Up: the connection log is opened at the end of start-up.
        WARTE_BIS(QFile::exists(umgebung.Pfad(QStringLiteral("Verlauf.sqlite"))), std::chrono::seconds(30));

        const QString aktiv = nm.Aktiv(QStringLiteral("Mobilfunk"), QStringLiteral("gsm"),
            nm.Geraet(QStringLiteral("modem0"), QStringLiteral("cdc-wdm0"), Nm::Modem, 0), Nm::WirdAufgebaut);
        nm.Zustand(aktiv, Nm::Steht, QStringLiteral("10.64.0.5"));
        QVERIFY2(nm.Fehler().isEmpty(), qPrintable(nm.Fehler()));
        // Metered: the connection's journal is there.
        WARTE_BIS(QFile::exists(umgebung.Pfad(QStringLiteral("Verbindung.kwj"))), std::chrono::seconds(30));
        nm.Zustand(aktiv, 4);
        nm.Entferne(aktiv);

        // The disconnect logs the connection and saves at once.
        const auto protokolliert = [&] {
            const std::unique_ptr<TDaten> daten = umgebung.GespeicherteDaten();
            return daten && AnzahlVerbindungen(daten->Benutzer[1].Monate[monat]) == 1;
        };
        QVERIFY(WarteBis(protokolliert));

        QCOMPARE(programm.state(), QProcess::Running);
        ::kill(pid_t(programm.processId()), SIGTERM);
        QVERIFY(programm.waitForFinished(20000));
        QCOMPARE(programm.exitCode(), 0);

        const std::unique_ptr<TDaten> daten = umgebung.GespeicherteDaten();
        QVERIFY(daten);
        const TMonat& m = daten->Benutzer[1].Monate[monat];
        QCOMPARE(AnzahlVerbindungen(m), 1);
        QCOMPARE(m.Verbindungen[0].Tarif.Text(), "Tag");
        QVERIFY(m.Verbindungen[0].Dauer > 0);
    }
};

QTEST_MAIN(TestNetworkManager)
#include "tst_networkmanager.moc"
