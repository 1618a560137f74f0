// A console reporter that prints, after the usual table, each benchmark's time as a
// multiple of its baseline from the same run, with the target it must meet.
#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct TVergleich {
    const char* Name;
    const char* Basis;
    double Ziel; // at most this multiple of the baseline
};

class TVerhaeltnisse : public benchmark::ConsoleReporter {
public:
    explicit TVerhaeltnisse(std::vector<TVergleich> paare)
        : vergleiche(std::move(paare))
    {
    }

    // Further lines from the measured times (in each benchmark's own unit).
    std::function<void(std::map<std::string, double>&)> Zusatz;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            zeiten[r.run_name.function_name] = r.GetAdjustedRealTime();
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const TVergleich& v : vergleiche) {
            if (!zeiten.count(v.Name) || !zeiten.count(v.Basis))
                continue; // filtered out
            const double q = zeiten[v.Name] / zeiten[v.Basis];
            std::printf("%-22s %.3f x %-30s (Ziel <= %.1f) %s\n", v.Name, q, v.Basis, v.Ziel,
                q <= v.Ziel ? "ok" : "VERFEHLT");
        }
        if (Zusatz)
            Zusatz(zeiten);
    }

private:
    std::vector<TVergleich> vergleiche;
    std::map<std::string, double> zeiten;
};
