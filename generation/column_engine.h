// Written addition and subtraction of numbers of up to four whole places and three decimal
// places, worked column by column: which problems a set of conditions admits, how many there
// are, a draw that is uniform over them, and what a pupil writes for each.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "feasibility.h"
#include "settings.h"

namespace kolvara {

inline constexpr int MaxWholePlaces = 4;
inline constexpr int MaxDecimalPlaces = 3;
inline constexpr int MaxColumns = MaxWholePlaces + MaxDecimalPlaces;

// The places of one number: digit kinds (Zero, Rest, All), highest place first.
struct NumberPattern {
    std::vector<std::uint8_t> whole;
    std::vector<std::uint8_t> decimals;  // tenths first; none for a whole number
    friend bool operator==(const NumberPattern &, const NumberPattern &) = default;
};

// What every problem of a sheet half must obey.
struct ColumnConditions {
    bool subtraction = false;
    NumberPattern upper, lower;
    // A carry (adding) or borrow (subtracting) mode for each column of the two numbers set
    // with their points in one column, highest column first.
    std::vector<std::uint8_t> carry;
    // Whether the answer's last decimal place is 0: Ari always, Nashi never, Konzai either.
    std::uint8_t zeroEnd = Konzai;
    // Trivial problems (adding 0, taking 0 away, a number from itself): Ari only those,
    // Nashi none, Konzai either.
    std::uint8_t trivial = Konzai;
    friend bool operator==(const ColumnConditions &, const ColumnConditions &) = default;
};

// The three-place settings of the window as conditions: a difference never borrows in its
// hundreds, whatever the hundreds' mode says.
ColumnConditions conditionsOf(const Settings &settings);

// The columns of the conditions, ones of the smallest place first.
struct ColumnGrid {
    int whole = 1, decimals = 0;
    std::array<std::uint8_t, MaxColumns> upper{}, lower{}, mode{};
    std::uint8_t trivial = Konzai;
    int columns() const { return whole + decimals; }
};

// The grid, or an empty string and a message (Japanese, then English) when the conditions
// cannot be set out: too many places, or carry modes that do not meet the columns.
struct GridResult {
    ColumnGrid grid;
    std::string error;
};
GridResult gridOf(const ColumnConditions &conditions);

// Where helper boxes may go, the smallest place first: above every column and the place left
// of them, which a last carry reaches.
using HelperColumns = std::array<bool, MaxColumns + 1>;

// The sign between a problem's numbers.
enum class Sign : std::uint8_t { Plus, Minus, Times, Divide };

// One problem: its digits by column, smallest place first, -1 where the number has no place.
// A product or a quotient has two whole numbers: the multiplicand or dividend above.
struct ColumnProblem {
    Sign sign = Sign::Plus;
    int decimals = 0;
    std::array<std::int8_t, MaxColumns> upper{}, lower{};
    friend bool operator==(const ColumnProblem &, const ColumnProblem &) = default;
};

// A problem of two whole numbers up to 999999, every column a digit (leading zeros 0).
ColumnProblem wholeProblem(bool subtraction, int upper, int lower);
ColumnProblem wholeProblem(Sign sign, int upper, int lower);

// The whole value of a number of the problem, in units of its smallest place; blanks are 0.
std::int64_t valueOf(const std::array<std::int8_t, MaxColumns> &digits);

// A number as printed ("3.45", "5", "1000"), a sign as "+", "-", "x" or "/", and a problem
// as "4897+389", "5-1.25" or "35x30".
std::string numberText(const std::array<std::int8_t, MaxColumns> &digits, int decimals);
std::string_view signText(Sign sign);
std::string problemText(const ColumnProblem &problem);

// How many problems the conditions admit, and where carries can and cannot happen.
struct ColumnCount {
    std::uint64_t problems = 0;
    std::array<CarryChances, MaxColumns> chances{};
};
ColumnCount countProblems(const ColumnGrid &grid, bool subtraction, std::uint8_t zeroEnd);

// What column `column` hands on when it holds the digits (a, b) and received `incoming`, or
// -1 when the grid does not take them there: their kinds, the column's mode, the zero-end
// condition on the smallest place and a difference's highest column, which borrows from nothing.
int columnStep(const ColumnGrid &grid, bool subtraction, std::uint8_t zeroEnd, int column, int a, int b, int incoming);

// Whether a problem obeys the conditions.
bool obeys(const ColumnGrid &grid, bool subtraction, std::uint8_t zeroEnd, const ColumnProblem &problem);

// A 64-bit random source that gives the same numbers on every platform.
class WideRandom {
public:
    explicit WideRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // Uniform in 0 to n - 1; n > 0.
    std::uint64_t below(std::uint64_t n);

private:
    std::uint64_t state_;
};

// A problem drawn uniformly from those the grid admits; the count must not be 0.
ColumnProblem drawProblem(const ColumnGrid &grid, bool subtraction, std::uint8_t zeroEnd, WideRandom &random);

// What the pupil writes: the answer's digits smallest place first (one more place than the
// columns, for a last carry), what each column hands on, and above each column the helper
// number (-1 for none) with whether the digit below it is struck through.
struct ColumnWork {
    std::array<std::int8_t, MaxColumns + 1> answer{};
    int answerPlaces = 1;  // the digits of the answer as written, leading zeros left out
    std::array<std::int8_t, MaxColumns> handedOn{};
    std::array<std::int8_t, MaxColumns + 1> helper{};
    std::array<bool, MaxColumns + 1> struck{};
};
ColumnWork workOf(const ColumnProblem &problem, int columns);

// How a pupil may fill the helper boxes of a sum or difference and in what turn the boxes
// are written. Each helper box above a column takes any of its notations, the answer page's
// first ("" alone where nothing goes there): a lending column that borrows in turn may show
// its value with the ten or without it (11 or 1), and the highest place of the upper number
// that lends its last 1 may be struck and left empty. Turns run from the ones: adding, each
// column's digit then the carry above the next column; subtracting, the helper box above the
// next column first, and where that lender is a 0 the lenders beyond it first, the furthest
// first, as a pupil must borrow for the 0 before it can lend.
struct ColumnWriting {
    std::array<std::vector<std::string>, MaxColumns + 1> helper;
    std::array<int, MaxColumns + 1> helperTurn{}, answerTurn{};
};
ColumnWriting writingOf(const ColumnProblem &problem, const ColumnWork &work, int columns);

}  // namespace kolvara
