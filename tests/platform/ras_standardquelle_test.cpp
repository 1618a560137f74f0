// The order of the program's own source, with NetworkManager on a bus of the test's
// own posing as the system bus. The program holds one system bus connection for its
// lifetime, so this program has a single test.
#include "platform/RasQuelle.h"
#include "support/NetworkManagerAttrappe.h"
#include "support/Umgebungsvariable.h"
#include "support/Warten.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(StandardRasQuelle, SimulationThenNetworkManagerThenInterfaces)
{
    TNetworkManagerAttrappe nm;
    ASSERT_TRUE(nm.Starte()) << nm.Fehler().toStdString();
    const QString aktiv = nm.Aktiv(QStringLiteral("Mobilfunk"), QStringLiteral("gsm"),
        nm.Geraet(QStringLiteral("modem0"), QStringLiteral("wwan0"), Nm::Modem, 0), Nm::WirdAufgebaut);
    nm.Zustand(aktiv, Nm::Steht, QStringLiteral("10.64.0.5"));
    ASSERT_TRUE(nm.Fehler().isEmpty()) << nm.Fehler().toStdString();

    TUmgebungsvariable bus("DBUS_SYSTEM_BUS_ADDRESS", nm.Adresse().toUtf8());
    TUmgebungsvariable muster("KOSTENWOLF_INTERFACES", QByteArray("kw-keine"));
    const QString datei = QDir::temp().filePath(
        QStringLiteral("kw-standardquelle-%1").arg(QCoreApplication::applicationPid()));
    {
        QFile f(datei);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("192.0.2.7\n");
    }
    TUmgebungsvariable simulation("KOSTENWOLF_RAS_SIMULATION", QFile::encodeName(datei));
    TRasQuelle& quelle = StandardRasQuelle();

    // The simulation wins even over a NetworkManager that is there.
    WarteBis([] { return false; }, std::chrono::milliseconds(300));
    ASSERT_EQ(quelle.Verbindungen().size(), 1u);
    EXPECT_EQ(quelle.Verbindungen()[0].Adresse, "192.0.2.7");
    EXPECT_EQ(StandardRasQuellenName(), "Simulation " + datei.toStdString());

    simulation.Setze(std::nullopt);
    QFile::remove(datei);
    ASSERT_TRUE(WarteBis([] { return StandardRasQuellenName() == "NetworkManager"; }));
    ASSERT_EQ(quelle.Verbindungen().size(), 1u);
    EXPECT_EQ(quelle.Verbindungen()[0].Eintrag, "Mobilfunk");
    EXPECT_EQ(quelle.Verbindungen()[0].Adresse, "10.64.0.5");

    // Stopping and starting again while the program runs.
    ASSERT_TRUE(nm.Beende());
    EXPECT_TRUE(WarteBis([] { return StandardRasQuellenName() == "Netzwerkschnittstellen kw-keine"; }));
    EXPECT_TRUE(quelle.Verbindungen().empty());
    ASSERT_TRUE(nm.Starte()) << nm.Fehler().toStdString();
    EXPECT_TRUE(WarteBis([] { return StandardRasQuellenName() == "NetworkManager"; }));
    EXPECT_TRUE(quelle.Verbindungen().empty()) << "the new one knows no connection";
}

} // namespace
