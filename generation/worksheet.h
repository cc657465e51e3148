// One numbered worksheet of a run, as kolvara-sheet writes it and the browser shows it.
#pragma once

#include <cstdint>

#include "settings.h"
#include "sheet.h"

namespace kolvara {

// What a run of worksheets is made of besides its seed.
struct WorksheetChoice {
    Settings settings;
    SheetFormat format;
    bool boxes = true;
    bool distinct = false;
};

// Problem page `index` (0 is No.1) of the run from `seed`: the table filled when the clock
// reads seed + index (past the day's end too), with the texts every sheet carries, the
// format, the helper columns and the mark "No.k　reading". Settings that admit no problem
// give the texts without problems.
Sheet worksheetFor(const WorksheetChoice &choice, int index, std::uint32_t seed);

}  // namespace kolvara
