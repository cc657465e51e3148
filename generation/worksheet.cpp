#include "worksheet.h"

#include <algorithm>
#include <string>

#include "problem_count.h"
#include "problem_table.h"
#include "random_source.h"
#include "status_lines.h"

namespace kolvara {

namespace {

// `wanted` problems from `draw`, distinct while the `available` ones last when asked; past
// that, repeats come back.
template <typename Draw>
std::vector<SheetProblem> drawSome(std::size_t wanted, std::uint64_t available, bool distinct, Draw draw)
{
    std::vector<SheetProblem> drawn;
    for (int tries = 0; drawn.size() < wanted; ++tries) {
        const SheetProblem p = draw();
        const bool repeat = std::find(drawn.begin(), drawn.end(), p) != drawn.end();
        if (!distinct || !repeat || drawn.size() >= available || tries > 10'000)
            drawn.push_back(p);
    }
    return drawn;
}

// Problems of the sheet from the column engine: count, then draw, so no choice can hang.
std::vector<SheetProblem> drawProblems(const ProblemChoice &choice, bool distinct, std::uint32_t reading)
{
    constexpr int SheetSize = SheetRowCount * 5;
    WideRandom random(reading);
    std::vector<bool> signs(SheetSize, choice.operation == Operation::Subtract);
    if (choice.operation == Operation::Mixed) {
        std::fill(signs.begin() + SheetSize / 2, signs.end(), true);
        for (std::size_t i = signs.size() - 1; i > 0; --i)  // the order of the signs
            std::vector<bool>::swap(signs[i], signs[std::size_t(random.below(i + 1))]);
    }
    std::vector<SheetProblem> problems;
    for (const bool sub : {false, true}) {
        if (std::find(signs.begin(), signs.end(), sub) == signs.end())
            continue;
        const ColumnGrid grid = gridFor(choice, sub);
        const std::uint64_t available = countProblems(grid, sub, choice.zeroEnd).problems;
        if (available == 0)
            return {};
        const std::size_t wanted = std::size_t(std::count(signs.begin(), signs.end(), sub));
        const std::vector<SheetProblem> drawn =
            drawSome(wanted, available, distinct, [&] { return drawProblem(grid, sub, choice.zeroEnd, random); });
        for (std::size_t i = 0, next = 0; i < signs.size(); ++i)
            if (signs[i] == sub) {
                problems.resize(std::max(problems.size(), i + 1));
                problems[i] = drawn[next++];
            }
    }
    return problems;
}

// Twenty products or quotients drawn uniformly from the pairs the choice admits.
std::vector<SheetProblem> drawLongProblems(const ProblemChoice &choice, bool distinct, std::uint32_t reading)
{
    constexpr std::size_t SheetSize = SheetRowCount * 5;
    const std::vector<LongPair> &pairs = longSetOf(choice).pairs;
    if (pairs.empty())
        return {};
    const Sign sign = choice.operation == Operation::Multiply ? Sign::Times : Sign::Divide;
    WideRandom random(reading);
    return drawSome(SheetSize, pairs.size(), distinct, [&] {
        const LongPair pair = pairs[std::size_t(random.below(pairs.size()))];
        return wholeProblem(sign, pair.upper, pair.lower);
    });
}

// The window's three places: its problem table filled at the reading, as the window fills it.
Sheet tableSheet(const Settings &settings, const WorksheetChoice &choice, std::uint32_t reading)
{
    // Each fill reseeds from the clock, so a table of its own gives what one table filled
    // sheet after sheet gives.
    ProblemSettings unused;
    RandomSource random;
    ProblemTable table(unused, random, [reading] { return reading; });
    SheetGeometry geometry;
    const bool filled = table.fill(settings, geometry).filled;
    if (filled && choice.distinct)
        table.makeDistinct(settings);
    return sheetFromTable(table, filled ? geometry.ProblemsPerRow : problemsPerRowFor(settings),
                          settings.IsSubtraction == 1, choice.format);
}

}  // namespace

Sheet worksheetFor(const WorksheetChoice &choice, int index, std::uint32_t seed)
{
    const std::uint32_t reading = sheetReading(seed, std::uint32_t(index));
    // Few problems repeat on a sheet more often than not: those are drawn distinct.
    WorksheetChoice drawn = choice;
    drawn.distinct = choice.distinct || countChoice(choice.problems).problems <= FewProblems;
    Sheet sheet;
    if (const std::optional<Settings> settings = settingsOf(choice.problems)) {
        sheet = tableSheet(*settings, drawn, reading);
    } else if (isLong(choice.problems.operation)) {
        SheetFormat format = choice.format;
        format.perPage = perPageOf(choice.problems, format.perPage);
        sheet = sheetFromProblems(drawLongProblems(choice.problems, drawn.distinct, reading), 5, format);
        sheet.columns = longColumnsOf(choice.problems);
    } else {
        sheet = sheetFromProblems(drawProblems(choice.problems, drawn.distinct, reading), 5, choice.format);
        sheet.columns = gridFor(choice.problems, false).columns();
    }
    sheet.programLabel = "Kolvara";
    sheet.statusLines = statusLinesFor(choice.problems);
    sheet.boxes = choice.boxes;
    sheet.helperColumns = helperColumnsFor(choice.problems);
    sheet.mark = "No." + std::to_string(index + 1) + "\u3000" + std::to_string(reading);
    return sheet;
}

}  // namespace kolvara
