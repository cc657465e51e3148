#include "worksheet.h"

#include <string>

#include "problem_table.h"
#include "random_source.h"
#include "status_lines.h"

namespace kolvara {

Sheet worksheetFor(const WorksheetChoice &choice, int index, std::uint32_t seed)
{
    const Settings &settings = choice.settings;
    const std::uint32_t reading = sheetReading(seed, std::uint32_t(index));
    // Each fill reseeds from the clock, so a table of its own gives what one table filled
    // sheet after sheet gives.
    ProblemSettings unused;
    RandomSource random;
    ProblemTable table(unused, random, [reading] { return reading; });
    SheetGeometry geometry;
    const bool filled = table.fill(settings, geometry).filled;
    if (filled && choice.distinct)
        table.makeDistinct(settings);
    Sheet sheet = sheetFromTable(table, filled ? geometry.ProblemsPerRow : problemsPerRowFor(settings),
                                 settings.IsSubtraction == 1, choice.format);
    sheet.programLabel = "Kolvara";
    sheet.statusLines = statusLinesOf(settings);
    sheet.boxes = choice.boxes;
    sheet.helperColumns = helperColumnsFor(settings);
    sheet.mark = "No." + std::to_string(index + 1) + "\u3000" + std::to_string(reading);
    return sheet;
}

}  // namespace kolvara
