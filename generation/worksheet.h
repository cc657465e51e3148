// One numbered worksheet of a run, as kolvara-sheet writes it and the browser shows it.
#pragma once

#include <cstdint>

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
    Settings settings;
    SheetFormat format;
    bool boxes = true;
    bool distinct = false;
};

// Problem page `index` (0 is No.1) of the run from `seed`: the table filled at
// sheetReading(seed, index), with the texts every sheet carries, the format, the helper
// columns and the mark "No.k　reading". Settings that admit no problem
// give the texts without problems.
Sheet worksheetFor(const WorksheetChoice &choice, int index, std::uint32_t seed);

}  // namespace kolvara
