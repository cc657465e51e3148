#include "problem_count.h"

#include "feasibility.h"
#include "problem_table.h"

namespace kolvara {

namespace {

// 810000 as "810,000".
std::string groupedNumber(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), ",");
    return digits;
}

ProblemCountNote noteOf(const ChoiceCount &count, int sheetSize)
{
    ProblemCountNote note;
    note.sheetSize = sheetSize;
    note.count = count.problems;
    if (!count.possible) {
        note.impossible = true;
        note.text = count.reason;
        note.english = count.reasonEnglish;
    } else if (note.count < std::uint64_t(note.sheetSize)) {
        note.repeats = true;
        note.text = "問題は" + groupedNumber(note.count) + "通りだけです。" + std::to_string(note.sheetSize) +
                    "問の中に同じ問題がくり返し出ます";
        note.english = note.count == 1 ? "only 1 problem exists for a sheet of " + std::to_string(note.sheetSize) +
                                             "; it repeats"
                                       : "only " + std::to_string(note.count) + " different problems exist for a sheet of " +
                                             std::to_string(note.sheetSize) + "; repeats will occur";
    } else {
        note.text = "問題は" + groupedNumber(note.count) + "通り";
        note.english = groupedNumber(note.count) + " problems";
    }
    return note;
}

}  // namespace

ProblemCountNote problemCountNote(const Settings &settings)
{
    return problemCountNote(choiceOf(settings));
}

ProblemCountNote problemCountNote(const ProblemChoice &choice)
{
    const std::optional<Settings> settings = settingsOf(choice);
    const int sheetSize = settings ? problemsPerSheetFor(*settings) : isLong(choice.operation) ? perPageOf(choice, 0) : SheetRowCount * 5;
    return noteOf(countChoice(choice), sheetSize);
}

}  // namespace kolvara
