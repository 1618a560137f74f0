#include "components/InternetDetect.h"
#include "components/Ras.h"
#include "platform/RasNetworkManager.h"
#include "support/FalscheRas.h"
#include "support/NetworkManagerAttrappe.h"
#include "support/Warten.h"

#include <QDBusArgument>
#include <QElapsedTimer>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// ---- which active connections count, without a bus ----

struct TObjekte {
    TNmObjekte Objekte;
    QList<QDBusObjectPath> Aktive;

    QString Geraet(const QString& name, uint typ, uint gemessen, const QString& ipSchnittstelle = {})
    {
        const QString pfad = "/org/freedesktop/NetworkManager/Devices/" + QString(name).replace('-', '_');
        Objekte[QDBusObjectPath(pfad)]["org.freedesktop.NetworkManager.Device"] = QVariantMap {
            { "DeviceType", typ },
            { "Metered", gemessen },
            { "Interface", name },
            { "IpInterface", ipSchnittstelle },
            { "Ip4Config", QVariant::fromValue(QDBusObjectPath("/")) },
        };
        return pfad;
    }
    QString Ip4(const QString& name, const QStringList& adressen)
    {
        const QString pfad = "/org/freedesktop/NetworkManager/IP4Config/" + name;
        QList<QVariantMap> daten;
        for (const QString& a : adressen)
            daten.append(QVariantMap { { "address", a }, { "prefix", 24u } });
        Objekte[QDBusObjectPath(pfad)]["org.freedesktop.NetworkManager.IP4Config"]
            = QVariantMap { { "AddressData", QVariant::fromValue(daten) } };
        return pfad;
    }
    QString Aktiv(const QString& name, const QString& typ, const QString& geraet, uint zustand,
        const QString& ip4 = QStringLiteral("/"))
    {
        const QString pfad = "/org/freedesktop/NetworkManager/ActiveConnection/" + name;
        Objekte[QDBusObjectPath(pfad)]["org.freedesktop.NetworkManager.Connection.Active"] = QVariantMap {
            { "Id", name },
            { "Type", typ },
            { "State", zustand },
            { "Devices", QVariant::fromValue(QList<QDBusObjectPath> { QDBusObjectPath(geraet) }) },
            { "Ip4Config", QVariant::fromValue(QDBusObjectPath(ip4)) },
        };
        Aktive.append(QDBusObjectPath(pfad));
        return pfad;
    }
    std::vector<TNmVerbindung> Waehlverbindungen()
    {
        Objekte[QDBusObjectPath("/org/freedesktop/NetworkManager")]["org.freedesktop.NetworkManager"]
            = QVariantMap { { "ActiveConnections", QVariant::fromValue(Aktive) } };
        return NmWaehlverbindungen(Objekte);
    }
};

// The kinds the stand-in below does not go through.
TEST(NmWaehlverbindungen, PppPppoeAndMeteredWifiCountGoingDownDoesNot)
{
    TObjekte o;
    const QString modem = o.Geraet("ttyUSB0", Nm::Modem, 0, "ppp0");
    o.Objekte[QDBusObjectPath(modem)]["org.freedesktop.NetworkManager.Device"]["Ip4Config"]
        = QVariant::fromValue(QDBusObjectPath(o.Ip4("geraet", { "10.64.0.5" })));
    o.Aktiv("Hotspot", "802-11-wireless", o.Geraet("wlan1", Nm::Wlan, Nm::GemessenJa), Nm::Steht);
    o.Aktiv("Einwahl", "generic", o.Geraet("ppp7", 23, 0), Nm::Steht, o.Ip4("ppp", { "", "192.0.2.9" }));
    o.Aktiv("DSL", "pppoe", o.Geraet("eth1", Nm::Ethernet, 0), Nm::Steht, o.Ip4("dsl", {}));
    o.Aktiv("Handy", "bluetooth", o.Geraet("bnep0", 5, 0), Nm::WirdAbgebaut);
    o.Aktiv("Weg", "gsm", "/org/freedesktop/NetworkManager/Devices/fehlt", 4);
    o.Aktiv("Modem", "gsm", modem, Nm::Steht);

    const auto liste = o.Waehlverbindungen();
    ASSERT_EQ(liste.size(), 4u);
    EXPECT_EQ(liste[0].Name, "Hotspot");
    EXPECT_EQ(liste[0].Geraet, "wlan1") << "without an IP interface, the device's own name";
    EXPECT_EQ(liste[1].Adresse, "192.0.2.9") << "an empty entry is no address";
    EXPECT_EQ(liste[2].Geraetetyp, "PPPoE");
    EXPECT_FALSE(liste[2].Adresse) << "up without an IPv4 address";
    EXPECT_EQ(liste[3].Geraet, "ppp0");
    EXPECT_EQ(liste[3].Adresse, "10.64.0.5") << "the device's address when the connection has none";
    EXPECT_TRUE(NmWaehlverbindungen({}).empty());
}

// ---- against a NetworkManager stand-in on a bus of the test's own ----

class NetworkManagerQuelle : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Nm.Fehler().isEmpty()) << Nm.Fehler().toStdString();
        ASSERT_TRUE(Nm.Starte()) << Nm.Fehler().toStdString();
    }

    // Waits until the source has taken in all the stand-in was told so far: a device
    // put up last shows in its view, and a view holds everything before it.
    bool NaechsteSicht(TRasNetworkManager& quelle)
    {
        const QString name = QStringLiteral("marke%1").arg(++marken);
        Nm.Geraet(name, name, Nm::Ethernet, Nm::GemessenNein);
        return WarteBis([&] { return quelle.Verwaltet(name.toStdString()); });
    }

    TNetworkManagerAttrappe Nm;
    int marken = 0;
};

RASPPPIP Projektion(DWORD& ergebnis)
{
    RASCONN eintrag;
    std::memset(&eintrag, 0, sizeof eintrag);
    eintrag.dwSize = sizeof eintrag;
    DWORD groesse = sizeof eintrag, anzahl = 0;
    RASPPPIP ip;
    std::memset(&ip, 0, sizeof ip);
    ip.dwSize = sizeof ip;
    ergebnis = RasEnumConnectionsA(&eintrag, &groesse, &anzahl);
    if (ergebnis == ERROR_SUCCESS && anzahl == 1) {
        groesse = sizeof ip;
        ergebnis = RasGetProjectionInfoA(eintrag.hrasconn, RASP_PppIp, &ip, &groesse);
    }
    else if (ergebnis == ERROR_SUCCESS)
        ergebnis = ERROR_INVALID_HANDLE;
    return ip;
}

TEST_F(NetworkManagerQuelle, GsmConnectionComesUpAndGoesDown)
{
    TRasNetworkManager quelle(Nm.Bus());
    ASSERT_TRUE(WarteBis([&] { return quelle.Bereit(); }));
    TRasQuellenTausch tausch(quelle);
    TInternetDetect detektor(nullptr);
    detektor.SetCheckInterval(0);
    QStringList ereignisse;
    detektor.OnConnect = [&](QObject*) { ereignisse << "connect " + detektor.IP(); };
    detektor.OnDisconnect = [&](QObject*) { ereignisse << "disconnect"; };

    const QString modem = Nm.Geraet("modem0", "cdc-wdm0", Nm::Modem, 0);
    const QString aktiv = Nm.Aktiv("Mobilfunk", "gsm", modem, Nm::WirdAufgebaut);
    ASSERT_TRUE(WarteBis([&] { return quelle.Verbindungen().size() == 1; })) << Nm.Fehler().toStdString();
    DWORD ergebnis = 0;
    Projektion(ergebnis);
    EXPECT_EQ(ergebnis, ERROR_PROJECTION_NOT_COMPLETE);
    detektor.CheckConnection(nullptr);
    EXPECT_FALSE(detektor.Connected());

    Nm.Zustand(aktiv, Nm::Steht, "10.64.0.5");
    ASSERT_TRUE(WarteBis([&] { return !quelle.Verbindungen().empty() && quelle.Verbindungen()[0].Adresse; }));
    const RASPPPIP ip = Projektion(ergebnis);
    EXPECT_EQ(ergebnis, ERROR_SUCCESS);
    EXPECT_STREQ(ip.szIpAddress, "10.64.0.5");
    const TRasVerbindung v = quelle.Verbindungen()[0];
    EXPECT_EQ(v.Eintrag, "Mobilfunk");
    EXPECT_EQ(v.Geraet, "cdc-wdm0");
    EXPECT_NE(v.Kennung, 0u);
    detektor.CheckConnection(nullptr);

    Nm.Zustand(aktiv, 4);
    ASSERT_TRUE(WarteBis([&] { return quelle.Verbindungen().empty(); }));
    detektor.CheckConnection(nullptr);
    Nm.Entferne(aktiv);
    EXPECT_TRUE(NaechsteSicht(quelle));
    EXPECT_TRUE(quelle.Verbindungen().empty());
    EXPECT_TRUE(quelle.Bereit());
    detektor.CheckConnection(nullptr);

    EXPECT_EQ(ereignisse, QStringList({ "connect 10.64.0.5", "disconnect" }));
}

TEST_F(NetworkManagerQuelle, TetheredPhoneCountsHomeNetworksDoNot)
{
    TRasNetworkManager quelle(Nm.Bus());
    ASSERT_TRUE(WarteBis([&] { return quelle.Bereit(); }));

    const QString lan = Nm.Aktiv("Heimnetz", "802-3-ethernet",
        Nm.Geraet("eth0", "eth0", Nm::Ethernet, Nm::GemessenVermutlichNein), Nm::Steht);
    Nm.Zustand(lan, Nm::Steht, "192.168.1.2");
    const QString wlan = Nm.Aktiv(
        "Funknetz", "802-11-wireless", Nm.Geraet("wlan0", "wlan0", Nm::Wlan, Nm::GemessenNein), Nm::Steht);
    Nm.Zustand(wlan, Nm::Steht, "10.0.0.5");
    ASSERT_TRUE(Nm.Fehler().isEmpty()) << Nm.Fehler().toStdString();
    EXPECT_TRUE(NaechsteSicht(quelle));
    EXPECT_TRUE(quelle.Verbindungen().empty());

    const QString usb = Nm.Geraet("enx1", "enx0a1b2c3d4e5f", Nm::Ethernet, Nm::GemessenVermutlichJa);
    const QString telefon = Nm.Aktiv("Telefon", "802-3-ethernet", usb, Nm::WirdAufgebaut);
    Nm.Zustand(telefon, Nm::Steht, "172.20.10.2");
    ASSERT_TRUE(WarteBis([&] {
        const auto liste = quelle.Verbindungen();
        return liste.size() == 1 && liste[0].Adresse == "172.20.10.2";
    }));
    EXPECT_EQ(quelle.Verbindungen()[0].Eintrag, "Telefon");
    EXPECT_EQ(quelle.Verbindungen()[0].Geraet, "enx0a1b2c3d4e5f");
}

TEST_F(NetworkManagerQuelle, BytesFromTheDeviceStatisticsOrElseItsInterface)
{
    TRasNetworkManager quelle(Nm.Bus());
    ASSERT_TRUE(WarteBis([&] { return quelle.Bereit(); }));
    const auto steht = [&](const QString& name, const QString& geraet, const QString& adresse) {
        Nm.Zustand(Nm.Aktiv(name, "gsm", geraet, Nm::WirdAufgebaut), Nm::Steht, adresse);
        std::uint32_t kennung = 0;
        WarteBis([&] {
            for (const TRasVerbindung& v : quelle.Verbindungen())
                if (v.Eintrag == name.toStdString() && v.Adresse)
                    kennung = v.Kennung;
            return kennung != 0;
        });
        return kennung;
    };

    const QString modem = Nm.Geraet("modem0", "wwan7", Nm::Modem, 0);
    Nm.Statistik(modem, 0, 0);
    const std::uint32_t mobil = steht("Mobilfunk", modem, "10.64.0.5");
    ASSERT_NE(mobil, 0u) << Nm.Fehler().toStdString();
    // Once it has been asked to refresh them every second, its statistics count.
    ASSERT_TRUE(WarteBis([&] { return quelle.Bytes(mobil) == TBytestand {}; }));
    Nm.Statistik(modem, 5'000'000'000, 700);
    ASSERT_TRUE(WarteBis([&] { return quelle.Bytes(mobil) == TBytestand { 5'000'000'000, 700 }; }));
    TRasQuellenTausch tausch(quelle);
    EXPECT_EQ(RasVerbindungsBytes(mobil), (TBytestand { 5'000'000'000, 700 }));

    // Without statistics: the kernel's counters of the device's interface.
    const std::uint32_t ohne = steht("OhneStatistik", Nm.Geraet("modem1", "lo", Nm::Modem, 0), "10.64.0.6");
    ASSERT_NE(ohne, 0u) << Nm.Fehler().toStdString();
    EXPECT_TRUE(quelle.Bytes(ohne));
    EXPECT_FALSE(quelle.Bytes(12345)) << "no such connection";
}

TEST_F(NetworkManagerQuelle, LeavingAndComingBackSwitchesSourceWithoutAFalseEvent)
{
    TFalscheRas schnittstellen; // the interface patterns, which see the same link
    schnittstellen.Nur("10.64.0.5");
    schnittstellen.Liste[0].Geraet = "ppp0";
    auto quelle = std::make_unique<TRasNetworkManager>(Nm.Bus());
    TRasVorrang vorrang(*quelle, schnittstellen);
    TRasQuellenTausch tausch(vorrang);
    TInternetDetect detektor(nullptr);
    detektor.SetCheckInterval(0);
    int ereignisse = 0;
    detektor.OnConnect = [&](QObject*) { ++ereignisse; };
    detektor.OnDisconnect = [&](QObject*) { ++ereignisse; };

    const QString aktiv
        = Nm.Aktiv("Mobilfunk", "gsm", Nm.Geraet("modem0", "ppp0", Nm::Modem, 0), Nm::WirdAufgebaut);
    Nm.Zustand(aktiv, Nm::Steht, "10.64.0.5");
    ASSERT_TRUE(
        WarteBis([&] { return quelle->Verbindungen().size() == 1 && quelle->Verbindungen()[0].Adresse; }));
    detektor.CheckConnection(nullptr);
    ASSERT_TRUE(detektor.Connected());
    ASSERT_EQ(ereignisse, 1);
    const int abfragen = schnittstellen.Abfragen;

    ASSERT_TRUE(Nm.Beende());
    ASSERT_TRUE(WarteBis([&] { return !quelle->Bereit(); }));
    detektor.CheckConnection(nullptr);
    EXPECT_GT(schnittstellen.Abfragen, abfragen) << "answered by the interfaces now";
    EXPECT_TRUE(detektor.Connected());
    EXPECT_EQ(detektor.IP(), "10.64.0.5");

    ASSERT_TRUE(Nm.Starte()) << Nm.Fehler().toStdString();
    // Ready before the connection shows, so that only the new one's signals bring it.
    ASSERT_TRUE(WarteBis([&] { return quelle->Bereit(); }));
    ASSERT_TRUE(quelle->Verbindungen().empty());
    const QString wieder
        = Nm.Aktiv("Mobilfunk", "gsm", Nm.Geraet("modem0", "ppp0", Nm::Modem, 0), Nm::WirdAufgebaut);
    Nm.Zustand(wieder, Nm::Steht, "10.64.0.5");
    ASSERT_TRUE(WarteBis([&] {
        return quelle->Bereit() && !quelle->Verbindungen().empty() && quelle->Verbindungen()[0].Adresse;
    }));
    detektor.CheckConnection(nullptr);
    EXPECT_EQ(vorrang.Verbindungen().size(), 1u) << "NetworkManager answers again, for the one link";
    EXPECT_TRUE(detektor.Connected());
    EXPECT_EQ(ereignisse, 1) << "neither switch raised an event";

    // The interfaces must not be trusted blindly: when they disagree, the switch shows.
    schnittstellen.Liste.clear();
    ASSERT_TRUE(Nm.Beende());
    ASSERT_TRUE(WarteBis([&] { return !quelle->Bereit(); }));
    detektor.CheckConnection(nullptr);
    EXPECT_FALSE(detektor.Connected());
    EXPECT_EQ(ereignisse, 2);
}

TEST_F(NetworkManagerQuelle, SilentNetworkManagerDoesNotHoldUpThePoll)
{
    const QString aktiv
        = Nm.Aktiv("Mobilfunk", "gsm", Nm.Geraet("modem0", "wwan0", Nm::Modem, 0), Nm::WirdAufgebaut);
    Nm.Zustand(aktiv, Nm::Steht, "10.64.0.5");
    ASSERT_TRUE(Nm.Fehler().isEmpty()) << Nm.Fehler().toStdString();
    Nm.Anhalten();

    TFalscheRas schnittstellen;
    schnittstellen.Nur("192.0.2.1");
    schnittstellen.Liste[0].Geraet = "wwan0";
    TRasNetworkManager quelle(Nm.Bus());
    TRasVorrang vorrang(quelle, schnittstellen);

    // A poll that waited for the silent service even once would take the whole answer
    // limit; twenty of them must all be answered from what is known.
    QElapsedTimer uhr;
    uhr.start();
    for (int i = 0; i < 20; ++i) {
        const auto liste = vorrang.Verbindungen();
        ASSERT_EQ(liste.size(), 1u);
        EXPECT_EQ(liste[0].Adresse, "192.0.2.1");
    }
    EXPECT_LT(uhr.elapsed(), 200);

    WarteBis([] { return false; }, std::chrono::milliseconds(400));
    EXPECT_FALSE(quelle.Bereit()) << "absent until it has answered once";
    EXPECT_EQ(vorrang.Verbindungen()[0].Adresse, "192.0.2.1");

    Nm.Fortsetzen();
    ASSERT_TRUE(WarteBis([&] { return quelle.Bereit(); })) << "present again once it answers";
    ASSERT_EQ(vorrang.Verbindungen().size(), 1u);
    EXPECT_EQ(vorrang.Verbindungen()[0].Adresse, "10.64.0.5");
}

// NetworkManager busy after a change signal: its connection stays until it answers,
// without a word from the interfaces.
TEST_F(NetworkManagerQuelle, StallingNetworkManagerKeepsItsLastView)
{
    TFalscheRas schnittstellen; // they see nothing
    TRasNetworkManager quelle(Nm.Bus());
    TRasVorrang vorrang(quelle, schnittstellen);
    const QString aktiv
        = Nm.Aktiv("Mobilfunk", "gsm", Nm.Geraet("modem0", "wwan0", Nm::Modem, 0), Nm::WirdAufgebaut);
    Nm.Zustand(aktiv, Nm::Steht, "10.64.0.5");
    ASSERT_TRUE(WarteBis([&] { return !quelle.Verbindungen().empty() && quelle.Verbindungen()[0].Adresse; }));
    Nm.Zustand(aktiv, Nm::Steht); // a change signal; the question it raises goes unanswered
    Nm.Anhalten();
    WarteBis([] { return false; }, std::chrono::milliseconds(600));
    ASSERT_EQ(vorrang.Verbindungen().size(), 1u);
    EXPECT_EQ(vorrang.Verbindungen()[0].Adresse, "10.64.0.5");
    Nm.Fortsetzen();
    EXPECT_TRUE(NaechsteSicht(quelle)) << "the question was still open";
}

} // namespace
