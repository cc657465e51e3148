// One numbered worksheet of a run, as kolvara-sheet writes it and the browser shows it.
#pragma once

#include <cstdint>

#include "problem_choice.h"
#include "settings.h"
#include "sheet.h"

namespace kolvara {

// The window draws its sheet from the clock, milliseconds since midnight UTC; a seed is
// such a reading.
inline constexpr std::uint32_t MillisecondsPerDay = 86'400'000;
inline constexpr std::uint32_t MaxSeed = MillisecondsPerDay - 1;  // the last millisecond of a day
inline constexpr int MaxSheets = 100;  // in one run

// The reading at which sheet `index` (0 is No.1) of the run from `seed` is drawn: the
// clock wraps at midnight, so every sheet's reading is itself a seed that draws it again.
constexpr std::uint32_t sheetReading(std::uint32_t seed, std::uint32_t index)
{
    return std::uint32_t((std::uint64_t(seed) + index) % MillisecondsPerDay);
}

// What a run of worksheets is made of besides its seed.
struct WorksheetChoice {
    ProblemChoice problems;
    SheetFormat format;
    bool boxes = true;
    // No problem twice on a sheet while the admitted ones last; a choice that admits at
    // most FewProblems is drawn so whatever this says.
    bool distinct = false;
};

// Problem page `index` (0 is No.1) of the run from `seed`, drawn at sheetReading(seed, index):
// for the window's three places, its problem table filled then; otherwise twenty problems
// drawn uniformly from those the choice admits (half of each sign, in a drawn order, when
// mixed). With the texts every sheet carries, the format, the helper columns and the mark
// "No.k　reading". A choice that admits no problem gives the texts without problems.
Sheet worksheetFor(const WorksheetChoice &choice, int index, std::uint32_t seed);

// The most room a problem of the choice takes: the widest answer of each sign, product rows
// and the longest division.
WritingRoom writingRoomOf(const ProblemChoice &choice);

// Whether a page of `perPage` of the choice's problems (0: the page's own count), with helper
// boxes, gives every digit's cell and helper box a pencil's room on every paper.
bool pencilFits(const ProblemChoice &choice, int perPage);

}  // namespace kolvara
