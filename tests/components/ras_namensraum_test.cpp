// The interface source against a real kernel: a tun device named like a pppd link in
// a network namespace of its own, so the machine's interfaces are never touched.
#include "components/InternetDetect.h"
#include "core/Datenvolumen.h"
#include "platform/RasNetworkManager.h"
#include "platform/RasSchnittstellen.h"
#include "support/NetworkManagerAttrappe.h"
#include "support/Umgebungsvariable.h"
#include "support/Warten.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* Name = "ppp9";

class Namensraum : public ::testing::Test {
protected:
    int Vorher = -1;
    bool Drin = false;
    int Tun = -1;
    TUmgebungsvariable Simulation { "KOSTENWOLF_RAS_SIMULATION", std::nullopt };
    TUmgebungsvariable Muster { "KOSTENWOLF_INTERFACES", std::nullopt };

    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "Skipped: creating a network namespace with a tun device needs root.";
        Vorher = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        if (Vorher < 0)
            GTEST_SKIP() << "Skipped: /proc/self/ns/net: " << std::strerror(errno);
        // Only this thread moves; TearDown brings it back.
        if (::unshare(CLONE_NEWNET) != 0)
            GTEST_SKIP() << "Skipped: no network namespaces here: " << std::strerror(errno);
        Drin = true;
        Tun = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
        if (Tun < 0)
            GTEST_SKIP() << "Skipped: /dev/net/tun: " << std::strerror(errno);
        ifreq ifr {};
        std::strncpy(ifr.ifr_name, Name, IFNAMSIZ - 1);
        ifr.ifr_flags = IFF_TUN | IFF_NO_PI;
        if (::ioctl(Tun, TUNSETIFF, &ifr) != 0)
            GTEST_SKIP() << "Skipped: no tun device: " << std::strerror(errno);
    }

    void TearDown() override
    {
        if (Tun >= 0)
            ::close(Tun);
        if (Drin && ::setns(Vorher, CLONE_NEWNET) != 0)
            ADD_FAILURE() << "could not leave the namespace: " << std::strerror(errno);
        if (Vorher >= 0)
            ::close(Vorher);
    }

    void Steuere(unsigned long befehl, ifreq& ifr)
    {
        const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(s, 0) << std::strerror(errno);
        std::strncpy(ifr.ifr_name, Name, IFNAMSIZ - 1);
        const int ergebnis = ::ioctl(s, befehl, &ifr);
        const int fehler = errno;
        ::close(s);
        ASSERT_EQ(ergebnis, 0) << std::strerror(fehler);
    }

    void Schalte(bool an)
    {
        ifreq ifr {};
        Steuere(SIOCGIFFLAGS, ifr);
        ifr.ifr_flags = short(an ? ifr.ifr_flags | IFF_UP : ifr.ifr_flags & ~IFF_UP);
        Steuere(SIOCSIFFLAGS, ifr);
    }

    void GibAdresse(const char* adresse, const char* maske)
    {
        for (auto [befehl, text] :
            { std::pair { SIOCSIFADDR, adresse }, std::pair { SIOCSIFNETMASK, maske } }) {
            ifreq ifr {};
            auto* sin = reinterpret_cast<sockaddr_in*>(&ifr.ifr_addr);
            sin->sin_family = AF_INET;
            ASSERT_EQ(::inet_pton(AF_INET, text, &sin->sin_addr), 1);
            Steuere(static_cast<unsigned long>(befehl), ifr);
        }
    }

    // The kernel reports a link as running a moment after it comes up.
    static bool Warte(const std::function<bool()>& bedingung)
    {
        return WarteBis(bedingung, std::chrono::seconds(5));
    }
};

TEST_F(Namensraum, DetectorFollowsAPppLink)
{
    TInternetDetect d(nullptr);
    d.SetCheckInterval(0); // the test polls itself
    QStringList arten;
    d.OnConnect = [&](QObject*) { arten << "connect:" + d.IP(); };
    d.OnDisconnect = [&](QObject*) { arten << "disconnect"; };
    const auto pollOnline = [&] {
        d.CheckConnection(nullptr);
        return d.Connected();
    };
    const auto pollOffline = [&] { return !pollOnline(); };

    d.CheckConnection(nullptr);
    EXPECT_FALSE(d.Connected()) << "the link is still down";

    Schalte(true);
    ASSERT_TRUE(Warte([] { return TRasSchnittstellen("").Verbindungen().size() == 1; }))
        << "ppp9 never became up and running";
    d.CheckConnection(nullptr);
    EXPECT_FALSE(d.Connected()) << "up but without an address: projection not complete";
    EXPECT_EQ(d.IP(), "");

    GibAdresse("192.0.2.1", "255.255.255.0");
    ASSERT_TRUE(Warte(pollOnline));
    EXPECT_EQ(d.IP(), "192.0.2.1");

    Muster.Setze("eth*,wlan*");
    EXPECT_TRUE(pollOffline()) << "a name outside the patterns is no dial-up link";
    Muster.Setze(" wlan*, ppp[0-9]");
    EXPECT_TRUE(pollOnline());
    Muster.Setze(std::nullopt);

    Schalte(false);
    EXPECT_TRUE(Warte(pollOffline));
    Schalte(true);
    EXPECT_TRUE(Warte(pollOnline)) << "the address stays while the link is down";

    ::close(Tun); // pppd ending: the link disappears
    Tun = -1;
    EXPECT_TRUE(Warte(pollOffline));
    EXPECT_EQ(d.IP(), "");
    EXPECT_EQ(arten,
        (QStringList { "connect:192.0.2.1", "disconnect", "connect:192.0.2.1", "disconnect",
            "connect:192.0.2.1", "disconnect" }));
}

// The kernel's counters under /sys/class/net belong to the namespace sysfs was mounted
// in, so this test mounts its own in a mount namespace of its own. Neither can be left
// again by a thread of a process with several, so a thread of its own goes there and
// ends there.
TEST(NamensraumZaehler, BytesOfALinkAndOfItsSuccessor)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "Skipped: a network namespace with its own sysfs needs root.";
    std::string uebersprungen;
    std::vector<std::optional<TBytestand>> lesungen;
    std::thread([&] {
        if (::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0
            || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("sysfs", "/sys", "sysfs", 0, nullptr) != 0) {
            uebersprungen = std::strerror(errno);
            return;
        }
        const auto oeffne = [] {
            const int tun = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC | O_NONBLOCK);
            ifreq ifr {};
            std::strncpy(ifr.ifr_name, Name, IFNAMSIZ - 1);
            ifr.ifr_flags = IFF_TUN | IFF_NO_PI;
            if (tun >= 0 && ::ioctl(tun, TUNSETIFF, &ifr) != 0) {
                ::close(tun);
                return -1;
            }
            const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            ifr.ifr_flags = IFF_UP;
            ::ioctl(s, SIOCSIFFLAGS, &ifr);
            auto* sin = reinterpret_cast<sockaddr_in*>(&ifr.ifr_addr);
            sin->sin_family = AF_INET;
            ::inet_pton(AF_INET, "192.0.2.1", &sin->sin_addr);
            ::ioctl(s, SIOCSIFADDR, &ifr);
            ::inet_pton(AF_INET, "255.255.255.0", &sin->sin_addr);
            ::ioctl(s, SIOCSIFNETMASK, &ifr);
            ::close(s);
            return tun;
        };
        const auto lies = [&] { lesungen.push_back(TRasSchnittstellen("").Bytes(if_nametoindex(Name))); };
        int tun = oeffne();
        if (tun < 0) {
            uebersprungen = "no tun device";
            return;
        }
        lies();
        // 100 bytes in: an IPv4 packet written to the device is what the link received.
        unsigned char paket[100] = { 0x45, 0, 0, 100, 0, 0, 0, 0, 64, 17 };
        ASSERT_EQ(::write(tun, paket, sizeof paket), ssize_t(sizeof paket));
        // 28 + 50 bytes out: a datagram into the link's network, taken off the device.
        const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in ziel {};
        ziel.sin_family = AF_INET;
        ziel.sin_port = htons(9);
        ::inet_pton(AF_INET, "192.0.2.2", &ziel.sin_addr);
        ASSERT_EQ(::sendto(s, paket, 50, 0, reinterpret_cast<sockaddr*>(&ziel), sizeof ziel), 50);
        ::close(s);
        pollfd warten { tun, POLLIN, 0 };
        char puffer[2048];
        while (::poll(&warten, 1, 200) > 0 && ::read(tun, puffer, sizeof puffer) > 0) { }
        lies();
        ::close(tun); // pppd redials: a new link of the same name counts from zero
        tun = oeffne();
        lies();
        ::close(tun);
        lies();
    }).join();
    if (!uebersprungen.empty())
        GTEST_SKIP() << "Skipped: " << uebersprungen;

    ASSERT_EQ(lesungen.size(), 4u);
    ASSERT_TRUE(lesungen[0] && lesungen[1] && lesungen[2]);
    EXPECT_GE(lesungen[1]->Empfangen - lesungen[0]->Empfangen, 100u);
    EXPECT_GE(lesungen[1]->Gesendet - lesungen[0]->Gesendet, 78u);
    EXPECT_LT(lesungen[2]->Empfangen, lesungen[1]->Empfangen);
    EXPECT_FALSE(lesungen[3]) << "the link is gone";

    TBytezaehler zaehler;
    for (const auto& l : lesungen)
        zaehler.Lies(l);
    ASSERT_TRUE(zaehler.Summe());
    EXPECT_GE(zaehler.Summe()->Empfangen, 100u);
    EXPECT_LE(zaehler.Summe()->Empfangen, lesungen[1]->Empfangen + lesungen[2]->Empfangen);
}

// A modem dialled by hand with pppd while NetworkManager runs: the link it does not
// manage counts through the patterns; once NetworkManager counts it, it is still one.
TEST_F(Namensraum, UnmanagedPppLinkCountsBesideNetworkManagerOnce)
{
    TNetworkManagerAttrappe nm;
    ASSERT_TRUE(nm.Fehler().isEmpty() && nm.Starte()) << nm.Fehler().toStdString();
    TRasNetworkManager quelle(nm.Bus());
    TRasSchnittstellen schnittstellen("");
    TRasVorrang vorrang(quelle, schnittstellen);
    ASSERT_TRUE(WarteBis([&] { return quelle.Bereit(); }));
    Schalte(true);
    GibAdresse("192.0.2.1", "255.255.255.0");
    ASSERT_TRUE(
        Warte([&] { return vorrang.Verbindungen().size() == 1 && vorrang.Verbindungen()[0].Adresse; }));

    const QString aktiv = nm.Aktiv(
        "Mobilfunk", "gsm", nm.Geraet("modem0", QString::fromLatin1(Name), Nm::Modem, 0), Nm::WirdAufgebaut);
    nm.Zustand(aktiv, Nm::Steht, "192.0.2.1");
    ASSERT_TRUE(
        WarteBis([&] { return quelle.Verbindungen().size() == 1 && quelle.Verbindungen()[0].Adresse; }));
    ASSERT_EQ(vorrang.Verbindungen().size(), 1u);
    EXPECT_EQ(vorrang.Verbindungen()[0].Eintrag, "Mobilfunk");
}

} // namespace
