// A checkpoint of the connection journal against a bare crash-safe write of the same
// 120 bytes (temporary file, write, fsync, close, rename). Target: at most 1.2 times the
// baseline. Also counts the write calls of ticks without a connection: there must be none.
#include "Verhaeltnisse.h"
#include "core/Journal.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

QTemporaryDir& Verzeichnis()
{
    static QTemporaryDir dir;
    return dir;
}

TJournal Stand()
{
    TJournal j;
    j.Benutzer = 1;
    j.TarifNr = 1;
    j.Tarif.Name.Setze(QStringLiteral("Tag"));
    j.Tarif.Preis = 4.8;
    j.Beginn = 46'000.5;
    return j;
}

void Basis_SicheresSchreiben(benchmark::State& state)
{
    const QByteArray ziel = QFile::encodeName(Verzeichnis().filePath(QStringLiteral("roh.kwj")));
    const QByteArray tmp = ziel + ".tmp";
    const QByteArray bytes = KodiereJournal(Stand());
    for (auto _ : state) {
        const int fd = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() || ::fsync(fd) != 0
            || ::close(fd) != 0 || ::rename(tmp.constData(), ziel.constData()) != 0)
            std::abort();
    }
}

void Sicherungspunkt(benchmark::State& state)
{
    TVerbindungsjournal journal(Verzeichnis().filePath(QStringLiteral("Verbindung.kwj")));
    TJournal stand = Stand();
    journal.Beginne(stand);
    for (auto _ : state) {
        stand.DauerMs += TVerbindungsjournal::SicherungsabstandMs;
        if (!journal.Takt(stand).isEmpty())
            std::abort();
    }
    journal.Beende(true);
}

long long Schreibaufrufe()
{
    std::ifstream io("/proc/self/io");
    std::string schluessel;
    long long wert = -1;
    while (io >> schluessel >> wert)
        if (schluessel == "syscw:")
            return wert;
    return -1;
}

long long SchreibaufrufeOhneVerbindung()
{
    TVerbindungsjournal journal(Verzeichnis().filePath(QStringLiteral("leer.kwj")));
    TJournal stand = Stand();
    const long long vorher = Schreibaufrufe();
    for (int i = 0; i < 3600; ++i) { // an hour of ticks
        stand.DauerMs += 1000;
        journal.Takt(stand);
    }
    return Schreibaufrufe() - vorher;
}

BENCHMARK(Basis_SicheresSchreiben)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(Sicherungspunkt)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TVerhaeltnisse reporter({ { "Sicherungspunkt", "Basis_SicheresSchreiben", 1.2 } });
    reporter.Zusatz = [](std::map<std::string, double>&) {
        const long long n = SchreibaufrufeOhneVerbindung();
        std::printf(
            "Schreibaufrufe in einer Stunde ohne Verbindung: %lld %s\n", n, n == 0 ? "ok" : "VERFEHLT");
    };
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
