// Building and showing the report of a full month (600 connections) against formatting
// the same 600 lines into one string with snprintf. Targets: showing at most 5 times
// the baseline, and under 20 ms.
#include "Verhaeltnisse.h"
#include "core/KontoBericht.h"
#include "report/Konto.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

// 20 connections a day over 30 days in April, on user 1.
void FuelleMonat()
{
    std::memset(&Daten, 0, sizeof Daten);
    AktBenutzer = 1;
    TMonat& monat = Daten.Benutzer[1].Monate[4];
    for (int i = 0; i < MaxVerbindungen; ++i) {
        TVerbindung& v = monat.Verbindungen[i];
        v.Tarif.Setze(QStringLiteral("Abendtarif Mondschein"));
        v.Datum = EncodeDate(2000, 4, 1 + i / 20) + EncodeTime(1 + i % 20, 17, 42, 0);
        v.Dauer = EncodeTime(0, 6 + i % 50, 13, 0);
        v.Kosten = 0.01 * (i % 500);
    }
}

void Basis_Snprintf(benchmark::State& state)
{
    FuelleMonat();
    const TMonat& monat = Daten.Benutzer[1].Monate[4];
    for (auto _ : state) {
        std::string text;
        text.reserve(MaxVerbindungen * 100);
        char zeile[256];
        for (const TVerbindung& v : monat.Verbindungen) {
            const long long ms = std::llround(v.Datum * 86'400'000.0);
            const long long dauer = std::llround(v.Dauer * 86'400'000.0);
            const int sek = int(ms / 1000 % 86'400);
            const int dsek = int(dauer / 1000);
            const int n = std::snprintf(zeile, sizeof zeile,
                "Datum: %02d.%02d.%04d %02d:%02d:%02d    Dauer: %02d:%02d:%02d    Kosten: "
                "%.2f DM    Tarif: %.*s\n",
                int(ms / 86'400'000 % 28) + 1, 4, 2000, sek / 3600, sek / 60 % 60, sek % 60, dsek / 3600,
                dsek / 60 % 60, dsek % 60, v.Kosten, int(v.Tarif.Laenge), v.Tarif.Zeichen);
            text.append(zeile, size_t(n));
        }
        benchmark::DoNotOptimize(text.data());
    }
}

void BaueKontoBericht_(benchmark::State& state)
{
    FuelleMonat();
    for (auto _ : state) {
        TKontoBericht b = BaueKontoBericht(Daten.Benutzer[1].Monate[4], 5.0);
        benchmark::DoNotOptimize(b.Zeilen.data());
    }
}

// What a choice in the month list costs until the user sees the report: built, put
// into the view and the visible part painted. The view lays out the rest in idle steps.
void MonatAnzeigen_(benchmark::State& state)
{
    FuelleMonat();
    TForm4 fenster;
    fenster.show();
    fenster.TreeView1->setCurrentItem(fenster.TreeView1->topLevelItem(3));
    QApplication::processEvents();
    for (auto _ : state) {
        fenster.MonatAnzeigen();
        benchmark::DoNotOptimize(fenster.Memo1->viewport()->grab());
    }
    if (fenster.Memo1->document()->blockCount() != 630)
        state.SkipWithError("unexpected report");
}

// The same, laid out down to the last line.
void MonatAnzeigenGanz_(benchmark::State& state)
{
    FuelleMonat();
    TForm4 fenster;
    fenster.show();
    fenster.TreeView1->setCurrentItem(fenster.TreeView1->topLevelItem(3));
    QApplication::processEvents();
    for (auto _ : state) {
        fenster.MonatAnzeigen();
        QTextDocument* dokument = fenster.Memo1->document();
        benchmark::DoNotOptimize(dokument->documentLayout()->blockBoundingRect(dokument->lastBlock()));
    }
}

BENCHMARK(Basis_Snprintf)->Unit(benchmark::kMicrosecond);
BENCHMARK(BaueKontoBericht_)->Unit(benchmark::kMicrosecond);
BENCHMARK(MonatAnzeigen_)->Unit(benchmark::kMicrosecond);
BENCHMARK(MonatAnzeigenGanz_)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FormatSettings = DeutscheFormate();
    benchmark::Initialize(&argc, argv);
    TVerhaeltnisse reporter({ { "BaueKontoBericht_", "Basis_Snprintf", 5 },
        { "MonatAnzeigen_", "Basis_Snprintf", 5 }, { "MonatAnzeigenGanz_", "Basis_Snprintf", 5 } });
    reporter.Zusatz = [](std::map<std::string, double>& zeiten) {
        for (const char* name : { "MonatAnzeigen_", "MonatAnzeigenGanz_" }) {
            const double ms = zeiten[name] / 1000; // measured in µs
            std::printf("%-22s %.2f ms (Ziel < 20 ms) %s\n", name, ms, ms < 20 ? "ok" : "VERFEHLT");
        }
    };
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
