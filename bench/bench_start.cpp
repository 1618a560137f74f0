// Start-up: the time from process start until the main window is shown, and the peak
// memory of that process, for Kostenwolf (a full-sized account record to load) and for
// a minimal Qt Widgets program that shows one window (a label). Both run on the offscreen
// platform as child processes of this program. Targets: time at most 1.5 times the
// minimal program's, peak memory at most 1.3 times.
#include "app/Programm.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const char* const KindKostenwolf = "--kind-kostenwolf";
const char* const KindMinimal = "--kind-minimal";

// Child: ends the moment the shown window has been through the event loop once.
[[noreturn]] void Fertig()
{
    std::fflush(nullptr);
    ::_exit(0);
}

int KindLaeuft(const char* art, int argc, char** argv)
{
    QApplication app(argc, argv);
    if (std::strcmp(art, KindKostenwolf) == 0)
        return FuehreProgrammAus(app, [] { Fertig(); });
    // The classic smallest Qt Widgets program: one label as the window.
    QLabel fenster(QStringLiteral("Kostenwolf"));
    fenster.show();
    QTimer::singleShot(0, &app, [] { Fertig(); });
    return QApplication::exec();
}

struct TLauf {
    double Sekunden = 0;
    long SpitzeKiB = 0;
};

TLauf Starte(const char* art)
{
    char pfad[] = "/proc/self/exe";
    char* argumente[] = { pfad, const_cast<char*>(art), nullptr };
    const auto beginn = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, pfad, nullptr, nullptr, argumente, environ) != 0)
        std::abort();
    int status = 0;
    rusage verbrauch {};
    if (::wait4(pid, &status, 0, &verbrauch) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "child %s failed\n", art);
        std::abort();
    }
    const auto ende = std::chrono::steady_clock::now();
    return { std::chrono::duration<double>(ende - beginn).count(), verbrauch.ru_maxrss };
}

// A data directory with a full-sized record: four users, a tariff each, the current
// month of the start user full, so no dialog stops the start.
QTemporaryDir& Datenverzeichnis()
{
    static QTemporaryDir dir;
    static const bool fertig = [] {
        qputenv("KOSTENWOLF_DATA_DIR", QFile::encodeName(dir.path()));
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int jahr, monat, tag;
        DecodeDate(Now(), jahr, monat, tag);
        Daten.BenutzerAnzahl = 4;
        Daten.StartBenutzer = 1;
        for (int u = 1; u <= 4; ++u) {
            Daten.Benutzer[u].Name.Setze(QStringLiteral("Benutzer %1").arg(u));
            Daten.Benutzer[u].TarifNr = 1;
            Daten.Benutzer[u].MonatNr = uint8_t(monat);
        }
        for (TVerbindung& v : Daten.Benutzer[1].Monate[monat].Verbindungen) {
            v.Tarif.Setze(QStringLiteral("Standard"));
            v.Kosten = 0.25;
            v.Dauer = 0.01;
        }
        Tarife[1].Name.Setze(QStringLiteral("Standard"));
        Tarife[1].Preis = 4.8;
        return SpeichereDaten().Ok && SpeichereTarife().Ok;
    }();
    if (!fertig)
        std::abort();
    return dir;
}

struct TErgebnis {
    std::vector<double> Zeiten;
    long SpitzeKiB = 0;
    double Median() const
    {
        std::vector<double> z = Zeiten;
        std::sort(z.begin(), z.end());
        return z.empty() ? 0 : z[z.size() / 2];
    }
};

TErgebnis ErgebnisKostenwolf;
TErgebnis ErgebnisMinimal;

// The two programs start in turns, so that load from elsewhere on the machine falls
// on both alike.
void Start_ImWechsel(benchmark::State& state)
{
    Datenverzeichnis();
    for (auto _ : state) {
        const TLauf minimal = Starte(KindMinimal);
        const TLauf kostenwolf = Starte(KindKostenwolf);
        state.SetIterationTime(kostenwolf.Sekunden);
        ErgebnisMinimal.Zeiten.push_back(minimal.Sekunden);
        ErgebnisMinimal.SpitzeKiB = std::max(ErgebnisMinimal.SpitzeKiB, minimal.SpitzeKiB);
        ErgebnisKostenwolf.Zeiten.push_back(kostenwolf.Sekunden);
        ErgebnisKostenwolf.SpitzeKiB = std::max(ErgebnisKostenwolf.SpitzeKiB, kostenwolf.SpitzeKiB);
    }
    state.counters["Basis_ms"] = ErgebnisMinimal.Median() * 1e3;
    state.counters["Verhaeltnis"] = ErgebnisKostenwolf.Median() / ErgebnisMinimal.Median();
    state.counters["SpitzeKiB"] = double(ErgebnisKostenwolf.SpitzeKiB);
    state.counters["Basis_SpitzeKiB"] = double(ErgebnisMinimal.SpitzeKiB);
}

} // namespace

BENCHMARK(Start_ImWechsel)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

int main(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], KindKostenwolf) == 0 || std::strcmp(argv[1], KindMinimal) == 0))
        return KindLaeuft(argv[1], argc, argv);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double zeitK = ErgebnisKostenwolf.Median(), zeitM = ErgebnisMinimal.Median();
    if (zeitK > 0 && zeitM > 0) {
        std::printf("\nStart bis zum gezeigten Fenster (Median): Kostenwolf %.1f ms, minimal %.1f ms, "
                    "Verhältnis %.2f (Ziel <= 1.5)\n",
            zeitK * 1e3, zeitM * 1e3, zeitK / zeitM);
        std::printf("Spitzenspeicher: Kostenwolf %ld KiB, minimal %ld KiB, Verhältnis %.2f (Ziel <= 1.3)\n",
            ErgebnisKostenwolf.SpitzeKiB, ErgebnisMinimal.SpitzeKiB,
            double(ErgebnisKostenwolf.SpitzeKiB) / double(ErgebnisMinimal.SpitzeKiB));
    }
    return 0;
}
