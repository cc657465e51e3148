// The carry or borrow of one column of written arithmetic: the one rule that the problem
// count, the generator, the helper boxes, the helper digits and the status lines all share.
#pragma once

#include "settings.h"

namespace kolvara {

// What a column hands on to the next column left, 0 or 1, given its two digits and what the
// column to its right handed on to it. Adding: a carry when the digits and the incoming
// carry make ten or more. Subtracting: a borrow when the upper digit, less the one it lent,
// is smaller than the lower digit.
constexpr int columnCarry(bool subtraction, int upper, int lower, int incoming)
{
    return subtraction ? (upper - incoming < lower ? 1 : 0) : (upper + lower + incoming >= 10 ? 1 : 0);
}

// The answer digit a column writes, given what it received.
constexpr int columnDigit(bool subtraction, int upper, int lower, int incoming)
{
    return subtraction ? (upper - incoming - lower + 20) % 10 : (upper + lower + incoming) % 10;
}

// Whether a column's carry mode allows what it hands on: Ari needs a carry, Nashi forbids
// one, Konzai (or any other value) allows both.
constexpr bool carryModeAllows(int mode, int handedOn)
{
    return !((mode == Ari && handedOn == 0) || (mode == Nashi && handedOn == 1));
}

}  // namespace kolvara
