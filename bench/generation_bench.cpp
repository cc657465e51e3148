// Speed of filling a sheet and of the feasibility check.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <utility>

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

// Chance that one drawn digit pair passes a column's test given the incoming carry (or
// borrow), and the chance that a passing pair hands a carry on. The generator draws each
// place uniformly from its digit kind's range.
struct ColumnOdds {
    double pass = 0, carryOnPass = 0;
};

ColumnOdds columnOdds(bool subtraction, std::uint8_t upperKind, std::uint8_t lowerKind, std::uint8_t mode, int incoming)
{
    auto range = [](std::uint8_t kind) {
        return kind == Zero ? std::pair{0, 0} : kind == Rest ? std::pair{1, 9} : std::pair{0, 9};
    };
    const auto [upperLow, upperHigh] = range(upperKind);
    const auto [lowerLow, lowerHigh] = range(lowerKind);
    int pairs = 0, passing = 0, carrying = 0;
    for (int a = upperLow; a <= upperHigh; ++a)
        for (int b = lowerLow; b <= lowerHigh; ++b) {
            const bool out = subtraction ? a - incoming - b < 0 : a + b + incoming >= 10;
            ++pairs;
            if ((mode == Ari && !out) || (mode == Nashi && out))
                continue;
            ++passing;
            carrying += out;
        }
    return {double(passing) / pairs, passing ? double(carrying) / passing : 0};
}

// Expected digit pairs the generator draws for one problem. One pass draws the ones until
// they pass, then the tens, then the hundreds; it starts again when a column above cannot
// pass after the carry below, or (subtracting) when the difference would be negative. The
// expected total is the expected cost of one pass over the chance that a pass succeeds.
// Returns 0 where no problem exists.
double expectedDrawsPerProblem(const Settings &s)
{
    const bool sub = s.IsSubtraction == 1;
    const ColumnOdds ones = columnOdds(sub, s.DigitKind1_1, s.DigitKind2_1, s.CarryMode_1, 0);
    if (ones.pass == 0)
        return 0;
    double cost = 1 / ones.pass, success = 0;
    for (int onesCarry = 0; onesCarry < 2; ++onesCarry) {
        const double afterOnes = onesCarry ? ones.carryOnPass : 1 - ones.carryOnPass;
        const ColumnOdds tens = columnOdds(sub, s.DigitKind1_10, s.DigitKind2_10, s.CarryMode_10, onesCarry);
        if (afterOnes == 0 || tens.pass == 0)
            continue;
        cost += afterOnes / tens.pass;
        for (int tensCarry = 0; tensCarry < 2; ++tensCarry) {
            const double afterTens = afterOnes * (tensCarry ? tens.carryOnPass : 1 - tens.carryOnPass);
            if (afterTens == 0)
                continue;
            if (sub) {  // one hundreds draw, kept when the hundreds do not borrow
                cost += afterTens;
                success += afterTens * columnOdds(true, s.DigitKind1_100, s.DigitKind2_100, Nashi, tensCarry).pass;
            } else {
                const ColumnOdds hundreds =
                    columnOdds(false, s.DigitKind1_100, s.DigitKind2_100, s.CarryMode_100, tensCarry);
                if (hundreds.pass > 0) {
                    cost += afterTens / hundreds.pass;
                    success += afterTens;
                }
            }
        }
    }
    return success > 0 ? cost / success : 0;
}

// The feasible combination with the most expected draws per problem, the lowest number among
// equals (subtraction ignores the hundreds carry mode, so its combinations tie in threes).
// Computed, not timed, so every machine benchmarks the same combination.
int slowestCombination()
{
    static const int slowest = [] {
        int worst = 0;
        double worstDraws = 0;
        for (int code = 0; code < Combinations; ++code) {
            const Settings s = combination(code);
            if (!checkFeasibility(s).possible)
                continue;
            const double draws = expectedDrawsPerProblem(s);
            if (draws > worstDraws)
                worstDraws = draws, worst = code;
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
        benchmark::DoNotOptimize(b.table.fill(s, b.geometry));
}
BENCHMARK(BM_FillDefaultSheet);

void BM_FillSlowestFeasibleCombination(benchmark::State &state)
{
    const int code = slowestCombination();
    Bench b;
    const Settings s = combination(code);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.table.fill(s, b.geometry));
    char label[80];
    std::snprintf(label, sizeof label, "combination %d, %.0f expected draws a problem", code,
                  expectedDrawsPerProblem(s));
    state.SetLabel(label);
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
            benchmark::DoNotOptimize(b.table.fill(combination(code), b.geometry));
}
BENCHMARK(BM_WholeSweep)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
