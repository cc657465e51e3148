#include "problem_count.h"

#include "feasibility.h"
#include "problem_table.h"

namespace kolvara {

namespace {

// 810000 as "810,000".
std::string groupedNumber(std::uint32_t value)
{
    std::string digits = std::to_string(value);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), ",");
    return digits;
}

}  // namespace

ProblemCountNote problemCountNote(const Settings &settings)
{
    const Feasibility feasibility = checkFeasibility(settings);
    ProblemCountNote note;
    note.sheetSize = problemsPerSheetFor(settings);
    note.count = feasibility.problemCount;
    if (!feasibility.possible) {
        note.impossible = true;
        note.text = feasibility.reason;
    } else if (note.count < std::uint32_t(note.sheetSize)) {
        note.repeats = true;
        note.text = "問題は" + groupedNumber(note.count) + "通りだけです。" + std::to_string(note.sheetSize) +
                    "問の中に同じ問題がくり返し出ます";
    } else {
        note.text = "問題は" + groupedNumber(note.count) + "通り";
    }
    return note;
}

}  // namespace kolvara
