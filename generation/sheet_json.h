// Sheets' problems as JSON, for spreadsheets and learning systems: what the problem and
// answer pages show, drawn from the same values.
#pragma once

#include <cstdint>
#include <string>

#include "worksheet.h"

namespace kolvara {

// Sheets No.1 to No.`sheets` of the run from `seed` as one JSON document:
//   {"sheets": [{"number": 1, "seed": S, "problems": [{"op": "+", "upper": "4897",
//     "lower": "389", "answer": "5286", "value": "5286", "decimals": 0,
//     "carries": [1, 1, 1, 0], "helpers": [null, "1", "1", "1", null],
//     "struck": [false, false, false, false, false]}, ...]}]}
// Numbers are strings as printed. "answer" is as the answer page writes it (every decimal
// place, "4.00"); "value" is its number ("4"); both are null for a difference below 0.
// Per column of the sheet, highest first: "carries" 1 where the column carries (borrows)
// into the next, "helpers" the digit the pupil writes above it (with one more entry first,
// for the place left of the columns) or null, "struck" whether the digit below it is
// crossed out. They cover every column, helper boxes or not. Ends with a newline.
std::string sheetsJson(const WorksheetChoice &choice, std::uint32_t seed, int sheets);

}  // namespace kolvara
