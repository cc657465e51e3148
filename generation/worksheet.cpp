#include "worksheet.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "long_conditions.h"
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

// The signs of the choice's problems: adding, subtracting, or both.
std::vector<bool> subtractionsOf(Operation op)
{
    if (op == Operation::Mixed)
        return {false, true};
    return {op == Operation::Subtract};
}

// A place that can hold a digit other than 0.
bool shown(std::uint8_t kind) { return digitRange(kind).high > 0; }

WritingRoom roomOfChoice(const ProblemChoice &c)
{
    WritingRoom room;
    if (c.operation == Operation::Multiply) {
        for (const LongPair &pair : longSetOf(c).pairs) {
            const MultiplicationWork w = multiplicationWork(pair.upper, pair.lower);
            room.partialPlaces = std::max(room.partialPlaces, placesOf(w.rowCount == 2 ? w.rows[0].value : w.product));
            if (w.rowCount == 2) {
                room.twoRows = true;
                room.partialPlaces = std::max(room.partialPlaces, placesOf(w.rows[1].value));
                room.productPlaces = std::max(room.productPlaces, placesOf(w.product));
            }
        }
        return room;
    }
    if (c.operation == Operation::Divide) {
        for (const LongPair &pair : longSetOf(c).pairs)
            // A product and a difference for every place the quotient could take, whatever
            // it takes: fewer rows would tell where it starts or where a 0 goes.
            room.divisionLines = std::max(room.divisionLines, 2 + 2 * (placesOf(pair.upper) - placesOf(pair.lower) + 1));
        return room;
    }
    for (const bool sub : subtractionsOf(c.operation)) {
        const ColumnGrid grid = gridFor(c, sub);
        // A difference is never wider than its upper number; a sum is as wide as its wider
        // number, and a place more where that column can carry.
        int top = 0, widest = 0;
        for (int col = 0; col < grid.columns(); ++col) {
            if (shown(grid.upper[std::size_t(col)]) || (!sub && shown(grid.lower[std::size_t(col)])))
                top = col;
            if (shown(grid.upper[std::size_t(col)]) || shown(grid.lower[std::size_t(col)]))
                widest = col;
        }
        room.numberPlaces = std::max(room.numberPlaces, std::max(widest, grid.decimals) + 1);
        // A difference gets its upper number's places even where its working always empties
        // the highest (143 - 68): fewer boxes would tell the pupil so.
        const ColumnCount count = countProblems(grid, sub, c.zeroEnd);
        int places = std::max(top, grid.decimals) + 1;
        if (!sub && count.chances[std::size_t(top)].some)
            ++places;
        (sub ? room.differencePlaces : room.sumPlaces) = places;
    }
    return room;
}

// The columns every problem of the choice's sheets is set out in.
int sheetColumnsOf(const ProblemChoice &c)
{
    if (settingsOf(c))
        return Sheet{}.columns;  // the window's three places
    // Two columns more left of a divisor give the answer page room to say "20あまり3" in
    // letters a teacher reads at a glance; quotients' pages are short of height, not width.
    if (c.operation == Operation::Divide)
        return longColumnsOf(c) + 2;
    if (isLong(c.operation))
        return longColumnsOf(c);
    return gridFor(c, false).columns();
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

WritingRoom writingRoomOf(const ProblemChoice &choice)
{
    // A run's sheets share their choice: worked out once for them.
    thread_local std::optional<std::pair<ProblemChoice, WritingRoom>> last;
    if (!last || last->first != choice)
        last.emplace(choice, roomOfChoice(choice));
    return last->second;
}

bool pencilFits(const ProblemChoice &choice, int perPage)
{
    Sheet sheet;
    sheet.windowLook = false;
    sheet.format.helperBoxes = true;
    sheet.format.widestAnswers = true;
    sheet.format.perPage = perPage;
    const std::optional<Settings> settings = settingsOf(choice);
    sheet.problemsPerRow = settings ? problemsPerRowFor(*settings) : 5;
    sheet.columns = sheetColumnsOf(choice);
    sheet.room = writingRoomOf(choice);
    sheet.helperColumns = helperColumnsFor(choice);
    const bool helpers = std::find(sheet.helperColumns.begin(), sheet.helperColumns.end(), true) != sheet.helperColumns.end();
    if (isLong(choice.operation) && !helpers)
        return true;  // no helper box above these problems
    return problemGridFor(sheet).fontSize >= unitsForMillimetres(PencilCellMillimetres);
}

Sheet worksheetFor(const WorksheetChoice &wanted, int index, std::uint32_t seed)
{
    const std::uint32_t reading = sheetReading(seed, std::uint32_t(index));
    WorksheetChoice choice = wanted;
    choice.format.perPage = perPageOf(choice.problems, choice.format.perPage, choice.format.helperBoxes);
    // Few problems repeat on a sheet more often than not: those are drawn distinct.
    choice.distinct = choice.distinct || countChoice(choice.problems).problems <= FewProblems;
    Sheet sheet;
    if (const std::optional<Settings> settings = settingsOf(choice.problems))
        sheet = tableSheet(*settings, choice, reading);
    else if (isLong(choice.problems.operation))
        sheet = sheetFromProblems(drawLongProblems(choice.problems, choice.distinct, reading), 5, choice.format);
    else
        sheet = sheetFromProblems(drawProblems(choice.problems, choice.distinct, reading), 5, choice.format);
    sheet.columns = sheetColumnsOf(choice.problems);
    sheet.room = writingRoomOf(choice.problems);
    sheet.windowLook = false;
    sheet.programLabel = "Kolvara";
    sheet.statusLines = statusLinesFor(choice.problems);
    sheet.boxes = choice.boxes;
    sheet.helperColumns = helperColumnsFor(choice.problems);
    sheet.mark = "No." + std::to_string(index + 1) + "\u3000" + std::to_string(reading);
    return sheet;
}

}  // namespace kolvara
