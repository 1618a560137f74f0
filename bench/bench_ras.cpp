// One poll of the connection detector against the bare system calls it stands on: a
// poll with a connection up asks its source twice (enumeration, then projection), so
// the baselines read the interface list or the simulation file twice. Target: what the
// detector adds stays within half of that, at most 1.5 times the baseline each. The
// NetworkManager source answers from the view its signals keep and adds the interface
// list for the links it does not manage, so its poll is held to the interfaces' bound.
#include "Verhaeltnisse.h"
#include "components/InternetDetect.h"
#include "components/Ras.h"
#include "platform/RasNetworkManager.h"
#include "platform/RasSchnittstellen.h"
#include "support/NetworkManagerAttrappe.h"
#include "support/Warten.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ifaddrs.h>
#include <map>
#include <net/if.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray SimulationsDatei()
{
    static QTemporaryDir dir;
    const QByteArray pfad = QFile::encodeName(dir.filePath(QStringLiteral("verbindung")));
    QFile f(QFile::decodeName(pfad));
    if (!f.open(QIODevice::WriteOnly) || f.write("192.0.2.7\n") != 10)
        std::abort();
    return pfad;
}

void Basis_Schnittstellen(benchmark::State& state)
{
    for (auto _ : state)
        for (int mal = 0; mal < 2; ++mal) {
            ifaddrs* alle = nullptr;
            if (getifaddrs(&alle) != 0)
                std::abort();
            benchmark::DoNotOptimize(alle);
            freeifaddrs(alle);
        }
}

// The loopback link stands in for a dial-up link: it is up and has an address, so the
// poll goes through enumeration and projection.
void Poll_Schnittstellen(benchmark::State& state)
{
    qunsetenv("KOSTENWOLF_RAS_SIMULATION");
    qputenv("KOSTENWOLF_INTERFACES", "lo");
    TInternetDetect d(nullptr);
    d.SetCheckInterval(0);
    for (auto _ : state)
        d.CheckConnection(nullptr);
    if (d.IP() != QLatin1String("127.0.0.1"))
        state.SkipWithError("no loopback link to poll");
}

void Basis_Datei(benchmark::State& state)
{
    const QByteArray pfad = SimulationsDatei();
    char puffer[64];
    struct stat info { };
    for (auto _ : state)
        for (int mal = 0; mal < 2; ++mal) {
            const int fd = ::open(pfad.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0 || ::fstat(fd, &info) != 0 || ::read(fd, puffer, sizeof puffer) != 10)
                std::abort();
            ::close(fd);
            benchmark::DoNotOptimize(puffer);
        }
}

void Poll_Simulation(benchmark::State& state)
{
    qputenv("KOSTENWOLF_RAS_SIMULATION", SimulationsDatei());
    TInternetDetect d(nullptr);
    d.SetCheckInterval(0);
    for (auto _ : state)
        d.CheckConnection(nullptr);
    if (!d.Connected())
        state.SkipWithError("simulation not seen");
    qunsetenv("KOSTENWOLF_RAS_SIMULATION");
}

void Poll_NetworkManager(benchmark::State& state)
{
    TNetworkManagerAttrappe nm;
    if (!nm.Starte()) {
        state.SkipWithError(qPrintable("no NetworkManager stand-in: " + nm.Fehler()));
        return;
    }
    const QString aktiv = nm.Aktiv(QStringLiteral("Mobilfunk"), QStringLiteral("gsm"),
        nm.Geraet(QStringLiteral("modem0"), QStringLiteral("wwan0"), Nm::Modem, 0), Nm::Steht);
    nm.Zustand(aktiv, Nm::Steht, QStringLiteral("10.64.0.5"));
    TRasNetworkManager quelle(nm.Bus());
    // As the program polls: NetworkManager joined by the links it does not manage.
    TRasSchnittstellen schnittstellen("");
    TRasVorrang vorrang(quelle, schnittstellen);
    TRasQuellenTausch tausch(vorrang);
    WarteBis([&] { return !quelle.Verbindungen().empty() && quelle.Verbindungen()[0].Adresse; });
    TInternetDetect d(nullptr);
    d.SetCheckInterval(0);
    for (auto _ : state)
        d.CheckConnection(nullptr);
    if (d.IP() != QLatin1String("10.64.0.5"))
        state.SkipWithError("connection not seen");
}

// The tick's read of a link's byte counters against the bare system calls it stands
// on: the handle's interface name, then its two counter files.
void Basis_Zaehler(benchmark::State& state)
{
    char puffer[32];
    char name[IF_NAMESIZE];
    const unsigned lo = if_nametoindex("lo");
    for (auto _ : state) {
        if (!if_indextoname(lo, name))
            std::abort();
        for (const char* datei :
            { "/sys/class/net/lo/statistics/rx_bytes", "/sys/class/net/lo/statistics/tx_bytes" }) {
            const int fd = ::open(datei, O_RDONLY | O_CLOEXEC);
            if (fd < 0 || ::read(fd, puffer, sizeof puffer) <= 0)
                std::abort();
            ::close(fd);
            benchmark::DoNotOptimize(puffer);
        }
    }
}

// Through the RAS layer and the program's own source, as the tick asks; the loopback
// link counts as offline for the detector, so its handle is asked for directly.
void Bytes_Schnittstellen(benchmark::State& state)
{
    qunsetenv("KOSTENWOLF_RAS_SIMULATION");
    qputenv("KOSTENWOLF_INTERFACES", "lo");
    const HRASCONN lo = if_nametoindex("lo");
    for (auto _ : state)
        benchmark::DoNotOptimize(RasVerbindungsBytes(lo));
    if (!RasVerbindungsBytes(lo))
        state.SkipWithError("no counters of the loopback link");
}

BENCHMARK(Basis_Schnittstellen)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(Poll_Schnittstellen)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(Basis_Datei)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(Poll_Simulation)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(Poll_NetworkManager)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(Basis_Zaehler)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(Bytes_Schnittstellen)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

} // namespace

int main(int argc, char** argv)
{
    // The machine's own NetworkManager must not answer the interface poll.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kostenwolf-bench-system-bus");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TVerhaeltnisse reporter({ { "Poll_Schnittstellen", "Basis_Schnittstellen", 1.5 },
        { "Poll_Simulation", "Basis_Datei", 1.5 }, { "Poll_NetworkManager", "Basis_Schnittstellen", 1.5 },
        { "Bytes_Schnittstellen", "Basis_Zaehler", 1.5 } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
