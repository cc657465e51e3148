// Whether any problem satisfies a set of settings, how many there are, and if none, why.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings.h"

namespace kolvara {

// Whether some pair of digits of these kinds passes the column's test, given the carry
// (addition) or borrow (subtraction) that the column below produced (0 or 1).
bool columnCanPass(bool subtraction, std::uint8_t upperKind, std::uint8_t lowerKind, std::uint8_t mode,
                   int incoming);

struct Feasibility {
    bool possible = false;
    // Distinct (upper, lower) pairs that the settings allow.
    std::uint32_t problemCount = 0;
    // When impossible: which column or rule makes it so, in the words of the settings panel,
    // and the same in English.
    std::string reason, reasonEnglish;
};

// Exact, and cheap enough to run on every option click.
Feasibility checkFeasibility(const Settings &settings);

// Whether some problem the settings allow carries (or borrows) in a column, and whether some
// does not. Columns ones, tens, hundreds.
struct CarryChances {
    bool some = false;
    bool none = false;
};
std::array<CarryChances, 3> carryChances(const Settings &settings);

// Whether the problem upper (+ or −) lower obeys every digit kind and carry mode.
bool admits(const Settings &settings, int upper, int lower);

}  // namespace kolvara
