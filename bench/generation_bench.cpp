// Speed of filling a sheet and of the feasibility check.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "feasibility.h"
#include "problem_table.h"

using namespace kolvara;

namespace {

Settings combination(int code) { return settingsCombination(code); }

constexpr int Combinations = SettingsCombinationCount;

struct Bench {
    ProblemSettings model = ProblemSettings::makeDefault();
    RandomSource random;
    std::uint32_t now = 0;
    ProblemTable table{model, random, [this] { return now++; }};
    SheetGeometry geometry;
};

// The feasible combination whose fill takes longest, over a few clock values each.
int slowestCombination()
{
    static const int slowest = [] {
        Bench b;
        int worst = 0;
        double worstTime = 0;
        for (int code = 0; code < Combinations; ++code) {
            const Settings s = combination(code);
            if (!checkFeasibility(s).possible)
                continue;
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < 8; ++i)
                b.table.fill(s, b.geometry, 1036);
            const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (t > worstTime)
                worstTime = t, worst = code;
        }
        return worst;
    }();
    return slowest;
}

void BM_FillDefaultSheet(benchmark::State &state)
{
    Bench b;
    const Settings s;
    for (auto _ : state)
        benchmark::DoNotOptimize(b.table.fill(s, b.geometry, 1036));
}
BENCHMARK(BM_FillDefaultSheet);

void BM_FillSlowestFeasibleCombination(benchmark::State &state)
{
    const int code = slowestCombination();
    Bench b;
    const Settings s = combination(code);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.table.fill(s, b.geometry, 1036));
    state.SetLabel("combination " + std::to_string(code));
}
BENCHMARK(BM_FillSlowestFeasibleCombination);

void BM_FeasibilityCheck(benchmark::State &state)
{
    int code = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(checkFeasibility(combination(code)));
        code = (code + 4099) % Combinations;
    }
}
BENCHMARK(BM_FeasibilityCheck);

// Check and fill for every combination, as the test sweep does (without its own checks).
void BM_WholeSweep(benchmark::State &state)
{
    Bench b;
    for (auto _ : state)
        for (int code = 0; code < Combinations; ++code)
            benchmark::DoNotOptimize(b.table.fill(combination(code), b.geometry, 1036));
}
BENCHMARK(BM_WholeSweep)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
