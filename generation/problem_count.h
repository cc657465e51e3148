// What the settings panel says about how many problems a setting allows.
#pragma once

#include <cstdint>
#include <string>

#include "problem_choice.h"
#include "settings.h"

namespace kolvara {

struct ProblemCountNote {
    bool impossible = false;  // no problem at all: `text` is the reason
    bool repeats = false;     // fewer problems than the sheet holds
    std::uint64_t count = 0;
    int sheetSize = 0;        // problems on one sheet for these settings
    std::string text;
    std::string english;      // the same in English, for kolvara-sheet's second line
};

// At most this many problems, a sheet is drawn without repeats: twenty from a thousand
// would repeat one one time in six.
inline constexpr std::uint64_t FewProblems = 1000;

ProblemCountNote problemCountNote(const Settings &settings);
// The same for any choice; four places, decimals and mixed signs fill twenty a sheet, products
// and quotients the page their problems take.
ProblemCountNote problemCountNote(const ProblemChoice &choice);

}  // namespace kolvara
