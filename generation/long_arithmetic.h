// Written multiplication (up to three places times two) and division (up to three places by
// two) as Japanese schools set them out: the pupil's whole working. The conditions a teacher
// chooses, and the problems they admit, are in long_conditions.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings.h"

namespace kolvara {

inline constexpr int MaxMultiplicandPlaces = 3, MaxMultiplierPlaces = 2;
inline constexpr int MaxDividendPlaces = 3, MaxDivisorPlaces = 2;

// Places of a whole number as written (0 has one).
int placesOf(int number);

// ---- Multiplication ----

// The multiplicand times one digit of the multiplier, worked from the ones.
struct ProductRow {
    int place = 0;  // of the multiplier digit: the row is written that many places to the left
    int digit = 0;
    int value = 0;  // multiplicand x digit, as the row is written
    // What each digit's product hands on to the next digit's, by the multiplicand's place
    // from the ones; the highest place's is not one, as its product is written whole.
    std::array<std::int8_t, MaxMultiplicandPlaces> carries{};
};

struct MultiplicationWork {
    int product = 0;
    // One row: the product written at once (a one-place multiplier, or one ending in 0 worked
    // the short way: its tens times the multiplicand, the 0 set beside it). Two: the
    // partial products, then their sum.
    int rowCount = 1;
    std::array<ProductRow, 2> rows{};
    // What each column of the sum of the rows hands on, from the ones; none with one row.
    std::array<std::int8_t, MaxMultiplicandPlaces + MaxMultiplierPlaces> sumCarries{};
    bool rowCarry = false;  // some digit's product hands on to the next digit's
    bool widePartial = false;  // some row has a place more than the multiplicand (31x4 = 124)
    bool sumCarry = false;  // the sum of the rows carries
};
// The multiplicand 1 to 999, the multiplier 1 to 99.
MultiplicationWork multiplicationWork(int multiplicand, int multiplier);

// ---- Division ----

struct DivisionStep {
    int place = 0;       // of the dividend, over which the quotient digit stands (0: the ones)
    int partial = 0;     // the number the digit is found from
    int guess = 0;       // the first guess: the digit itself, but for a divisor of two places
    int digit = 0;       // the quotient digit
    int product = 0;     // digit x divisor
    int difference = 0;  // partial - product, before the next digit comes down
};

struct DivisionWork {
    int quotient = 0, remainder = 0;
    int stepCount = 0;  // the quotient's places: one step each, from its highest
    std::array<DivisionStep, MaxDividendPlaces> steps{};
    bool zeroInQuotient = false;
    bool guessFixed = false;  // some step's first guess (1 or more) had to be made smaller or larger
};
// dividend >= divisor >= 1, so the quotient has a first digit.
DivisionWork divisionWork(int dividend, int divisor);

// The divisor rounded to the nearest ten, halves up (26 to 30, 13 to 10, 25 to 30, 96 to 100),
// and the guess it gives: partial divided by it, at most 9. Only a divisor of two places is
// rounded; a step whose partial is smaller than the divisor takes 0 without a guess, and one
// whose partial holds the divisor starts from 1 at least (85/85: 90 does not go into 85, but
// the pupil tries 1).
int roundedDivisor(int divisor);
int firstGuess(int partial, int divisor);

// ---- Pairs ----

// A multiplicand and multiplier, or a dividend and divisor.
struct LongPair {
    std::uint16_t upper = 0;
    std::uint8_t lower = 0;
    friend bool operator==(const LongPair &, const LongPair &) = default;
};

// Where helper boxes for the carries of the digits' products may go, the multiplicand's
// places from the ones: above each place some admitted problem carries into.
std::array<bool, MaxMultiplicandPlaces> carryPlaces(const std::vector<LongPair> &pairs);

}  // namespace kolvara
