// Speed of one multiplication or division sheet as kolvara-sheet and the browser make it:
// the count the settings admit and the sheet's problems, for the widest settings (three
// places by two, every condition "either") and the slowest named steps, after a change of
// settings and for the next seed; and the walk over every pair of numbers that they rest
// on. The browser's target is 16 ms for a count and a sheet; natively that leaves about
// 8 ms. Run with --benchmark_repetitions and read the medians.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "long_arithmetic.h"
#include "long_conditions.h"
#include "sheet_request.h"

using namespace kolvara;

namespace {

struct Case {
    const char *name;
    std::vector<std::pair<std::string_view, std::string_view>> options;  // as kolvara-sheet takes them
};

const std::vector<Case> &cases()
{
    static const std::vector<Case> all{
        // 1..999 times 1..99: every pair is worked and kept.
        {"widest_mul", {{"op", "mul"}, {"upper", "aaa"}, {"lower", "aa"}}},
        // Every pair of 1..999 by 1..99 is worked; those with a dividend below the divisor go.
        {"widest_div", {{"op", "div"}, {"upper", "aaa"}, {"lower", "aa"}}},
        // Every condition asked for at once leaves few pairs out of the same walk.
        {"mul_all_conditions", {{"op", "mul"}, {"upper", "aaa"}, {"lower", "aa"}, {"mul-carry", "y"},
                                {"wide-partial", "y"}, {"sum-carry", "y"}}},
        {"div_all_conditions", {{"op", "div"}, {"upper", "aaa"}, {"lower", "aa"}, {"remainder", "y"},
                                {"quotient-zero", "y"}, {"guess-fix", "y"}, {"quotient-digits", "2"}}},
        {"step_mul_3_2", {{"step", "mul-3-2"}}},
        {"step_div_3_2", {{"step", "div-3-2"}}},
        {"step_div_guess_fix", {{"step", "div-guess-fix"}}},
        {"step_div_3_1_zero", {{"step", "div-3-1-zero"}}},
    };
    return all;
}

SheetRequest requestOf(const Case &c, benchmark::State &state)
{
    SheetRequest request;
    for (const auto &[key, value] : c.options)
        if (const std::string error = findSheetOption(key)->read(request, key, value); !error.empty())
            state.SkipWithError(error.c_str());
    if (const std::string error = requestError(request); !error.empty())
        state.SkipWithError(error.c_str());
    return request;
}

// The settings kept from the last count are made another's before each iteration (not
// timed), so every iteration pays for the walk over the pairs as a changed setting does.
void forgetSettings()
{
    ProblemChoice other;
    other.operation = Operation::Multiply;
    readNumberPattern("upper", "n", other.upper);
    readNumberPattern("lower", "n", other.lower);
    benchmark::DoNotOptimize(countChoice(other));
}

// What a changed setting asks: the panel's count, then the sheet. A new seed each time, so
// the figure is the mean over draws, not one lucky sheet.
void countAndSheet(benchmark::State &state, const Case &c)
{
    const SheetRequest request = requestOf(c, state);
    const ProblemChoice problems = problemsOf(request);
    const WorksheetChoice choice = worksheetChoiceOf(request);
    std::uint32_t seed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        forgetSettings();
        state.ResumeTiming();
        benchmark::DoNotOptimize(countChoice(problems));
        benchmark::DoNotOptimize(worksheetFor(choice, 0, seed++ % MillisecondsPerDay));
    }
    state.counters["problems"] = double(countChoice(problems).problems);
}

// What "更新" asks: the same settings, the next seed.
void nextSheet(benchmark::State &state, const Case &c)
{
    const SheetRequest request = requestOf(c, state);
    const ProblemChoice problems = problemsOf(request);
    const WorksheetChoice choice = worksheetChoiceOf(request);
    std::uint32_t seed = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(countChoice(problems));
        benchmark::DoNotOptimize(worksheetFor(choice, 0, seed++ % MillisecondsPerDay));
    }
}

void pairs(benchmark::State &state, const Case &c)
{
    const LongConditions conditions = longConditionsOf(problemsOf(requestOf(c, state)));
    for (auto _ : state)
        benchmark::DoNotOptimize(admittedPairs(conditions));
}

}  // namespace

int main(int argc, char **argv)
{
    for (const Case &c : cases()) {
        const std::string name(c.name);
        benchmark::RegisterBenchmark(("BM_CountAndSheet/" + name).c_str(), countAndSheet, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_NextSheet/" + name).c_str(), nextSheet, c)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_AdmittedPairs/" + name).c_str(), pairs, c)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
