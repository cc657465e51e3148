// Sheets of the window's problems: from its problem table, and the helper boxes its
// settings call for.
#include "feasibility.h"
#include "problem_table.h"
#include "sheet.h"
#include "texts.h"

namespace kolvara {

Sheet sheetFromProblems(std::vector<SheetProblem> problems, int problemsPerRow, const SheetFormat &format)
{
    Sheet sheet;
    sheet.problemsPerRow = problemsPerRow;
    sheet.heading = texts::Heading;
    sheet.reading = texts::HeadingReading;
    sheet.dateNameLine = texts::DateNameLine;
    sheet.format = format;
    if (format.perPage > 0 && problems.size() > std::size_t(format.perPage))
        problems.resize(std::size_t(format.perPage));
    sheet.problems = std::move(problems);
    return sheet;
}

Sheet sheetFromTable(const ProblemTable &table, int problemsPerRow, bool subtraction, const SheetFormat &format)
{
    std::vector<SheetProblem> problems;
    const int count = format.perPage > 0 ? format.perPage : SheetRowCount * problemsPerRow;
    for (int c = 1; c <= count; ++c) {
        const auto p = table.Dainyuu(c);
        if (!p)
            break;  // only columns the last fill wrote hold a problem
        problems.push_back(wholeProblem(subtraction, p->Line1Value, p->Line2Value));
    }
    return sheetFromProblems(std::move(problems), problemsPerRow, format);
}

HelperColumns helperColumnsFor(const Settings &settings)
{
    const auto chances = carryChances(settings);
    // Adding, a carry from column c goes into c + 1; subtracting, c + 1 lends to c.
    HelperColumns columns{};
    columns[1] = chances[0].some;
    columns[2] = chances[1].some;
    columns[3] = settings.IsSubtraction == 0 && chances[2].some;
    return columns;
}

}  // namespace kolvara
