// Saving and loading the account record against the plain file operations they stand
// on: a crash-safe write (temporary file, fsync, rename) and a read of the same
// 2,372,360 bytes. Targets: at most 1.2 times the baseline each.
#include "Verhaeltnisse.h"
#include "store/Daten.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

QTemporaryDir& Verzeichnis()
{
    static QTemporaryDir dir;
    static bool gesetzt = (qputenv("KOSTENWOLF_DATA_DIR", QFile::encodeName(dir.path())), true);
    (void)gesetzt;
    return dir;
}

void SchreibeRoh(const QByteArray& ziel, const char* daten, size_t n)
{
    const QByteArray tmp = ziel + ".tmp";
    const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::write(fd, daten, n) != ssize_t(n) || ::fsync(fd) != 0 || ::close(fd) != 0
        || ::rename(tmp.constData(), ziel.constData()) != 0)
        std::abort();
}

void Basis_SicheresSchreiben(benchmark::State& state)
{
    const QByteArray pfad = QFile::encodeName(Verzeichnis().filePath(QStringLiteral("roh.bin")));
    std::vector<char> daten(sizeof(TDaten), 1);
    for (auto _ : state)
        SchreibeRoh(pfad, daten.data(), daten.size());
}

void SpeichereDaten_(benchmark::State& state)
{
    Verzeichnis();
    Daten.BenutzerAnzahl = 1;
    for (auto _ : state)
        if (!SpeichereDaten().Ok)
            std::abort();
}

void Basis_Lesen(benchmark::State& state)
{
    const QByteArray pfad = QFile::encodeName(Verzeichnis().filePath(QStringLiteral("roh.bin")));
    std::vector<char> daten(sizeof(TDaten), 1);
    SchreibeRoh(pfad, daten.data(), daten.size());
    for (auto _ : state) {
        const int fd = ::open(pfad.constData(), O_RDONLY);
        if (fd < 0 || ::read(fd, daten.data(), daten.size()) != ssize_t(daten.size()))
            std::abort();
        ::close(fd);
        benchmark::DoNotOptimize(daten.data());
    }
}

void LadeDaten_(benchmark::State& state)
{
    Verzeichnis();
    if (!SpeichereDaten().Ok)
        std::abort();
    for (auto _ : state) {
        if (LadeDaten().art != TLadeErgebnis::Geladen)
            std::abort();
        benchmark::DoNotOptimize(&Daten);
    }
}

BENCHMARK(Basis_SicheresSchreiben)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(SpeichereDaten_)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Basis_Lesen)->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(LadeDaten_)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TVerhaeltnisse reporter(
        { { "SpeichereDaten_", "Basis_SicheresSchreiben", 1.2 }, { "LadeDaten_", "Basis_Lesen", 1.2 } });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
