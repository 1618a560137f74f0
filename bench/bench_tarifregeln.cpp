// One second's tick priced by a rules file (cost, and the next price within the hour
// for the main window) against the per-minute rule's tick. Target: at most 1.5 times.
#include "Verhaeltnisse.h"
#include "core/Tarifregeln.h"
#include "store/Abrechnung.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int64_t Woche = 7 * MSecsPerDay;

void MinutenTick(benchmark::State& state)
{
    TTarif tarif {};
    tarif.Preis = 4.8;
    tarif.Einwahl = 6;
    int64_t ms = 0;
    for (auto _ : state) {
        ms = ms < Woche ? ms + 1000 : 0;
        benchmark::DoNotOptimize(Verbindungspreis(double(ms) / double(MSecsPerDay), tarif));
    }
}

void RegelTick(benchmark::State& state)
{
    const TTarifregeln regeln
        = *LiesTarifregeln(QByteArray("per_connection=0.06\n"
                                      "default=(0.12,90)\n"
                                      "on (monday..friday) between (21:00..07:59) use (0.03,60)\n"
                                      "on (saturday,sunday,holiday) between () use (0.06,120)\n"
                                      "on () between (12:00..12:59) use (0.09,30,600)\n"))
               .Regeln;
    const TDateTime beginn = EncodeDate(2026, 3, 4) + EncodeTime(18, 0, 0, 0);
    TTarifLauf lauf(regeln, beginn);
    int64_t ms = 0;
    for (auto _ : state) {
        if (ms >= Woche) {
            ms = 0;
            lauf = TTarifLauf(regeln, beginn);
        }
        ms += 1000;
        benchmark::DoNotOptimize(lauf.Stand(ms));
        benchmark::DoNotOptimize(lauf.NaechsterWechsel(ms));
    }
}

BENCHMARK(MinutenTick)->MinTime(0.5);
BENCHMARK(RegelTick)->MinTime(0.5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TVerhaeltnisse bericht({ { "RegelTick", "MinutenTick", 1.5 } });
    benchmark::RunSpecifiedBenchmarks(&bericht);
    benchmark::Shutdown();
    return 0;
}
