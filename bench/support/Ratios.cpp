#include "support/Ratios.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <limits>
#include <map>
#include <string>

namespace vis::bench {

namespace {

// The console table as usual, plus the best time per iteration of every benchmark.
class BestTimeReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            const double perIteration = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            Keep(name, perIteration);
            // A counter in seconds (a benchmark's own measure, e.g. its worst step) is kept as name:counter.
            for (const auto& [counter, value] : run.counters)
                Keep(name + ":" + counter, value.value);
        }
    }
    std::map<std::string, double> best; // seconds

  private:
    void Keep(const std::string& name, double value) {
        auto [it, fresh] = best.try_emplace(name, value);
        if (!fresh && value < it->second) it->second = value;
    }
};

} // namespace

int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    // Repetitions of the benchmarks run in random interleaving, so a change in the machine's load or clock
    // over the run does not favour whichever side happens to run first. The command line can still turn it off.
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args{argv[0], interleave.data()};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    BestTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n");
    for (const Ratio& r : ratios) {
        const auto num = reporter.best.find(r.numerator), den = reporter.best.find(r.denominator);
        if (num == reporter.best.end() || den == reporter.best.end() || den->second <= 0) continue;
        const double ratio = num->second / den->second;
        std::printf("ratio %-60s %6.3f  (aim <= %.2f) %s\n", r.label.c_str(), ratio, r.aim,
                    ratio <= r.aim ? "ok" : "ABOVE AIM");
    }
    std::fflush(stdout);
    return 0;
}

} // namespace vis::bench
