// The problems a run of sheets asks for, in kolvara-sheet's patterns: the operation (or both
// mixed), each number's places with an optional point, a carry mode a column and whether the
// answer's decimal part ends in 0. Settings of the window's three places are the special
// case that keeps its own generator, so every seed gives the sheets it always gave.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "column_engine.h"
#include "long_arithmetic.h"
#include "settings.h"

namespace kolvara {

enum class Operation : std::uint8_t { Add, Subtract, Mixed, Multiply, Divide };

// The trivial condition when nothing was said: products and quotients leave trivial problems
// out, sums and differences take them as they come.
inline constexpr std::uint8_t TrivialUnset = 3;

// Multiplication and division: the long working of whole numbers.
constexpr bool isLong(Operation op) { return op == Operation::Multiply || op == Operation::Divide; }

struct ProblemChoice {
    Operation operation = Operation::Add;
    // Digit kinds, highest whole place first; at least three whole places, the higher ones
    // Zero when a pattern is shorter ("n" is "00n").
    NumberPattern upper{{All, All, All}, {}};
    NumberPattern lower{{All, All, All}, {}};
    // Carry (or borrow) modes as written, highest column first, with the point where the
    // pattern had one; a shorter whole part leaves the higher columns Konzai.
    NumberPattern carry{{Konzai, Konzai, Konzai}, {}};
    std::uint8_t zeroEnd = Konzai;
    // Multiplication: a digit's product hands on to the next one's; a partial product has a
    // place more than the multiplicand; the partial products' sum carries.
    std::uint8_t mulCarry = Konzai, widePartial = Konzai, sumCarry = Konzai;
    // Division: a remainder, a 0 in the quotient, a first guess to correct, and the
    // quotient's places (0 for any).
    std::uint8_t remainder = Konzai, quotientZero = Konzai, guessFix = Konzai;
    int quotientDigits = 0;
    // Problems with 0 or 1 that need no working (+0, 0+, -0, a number less itself, x1, /1):
    // Ari only those, Nashi none, Konzai either, TrivialUnset the operation's own default
    // (trivialOf).
    std::uint8_t trivial = TrivialUnset;
    friend bool operator==(const ProblemChoice &, const ProblemChoice &) = default;
};

// What an operation takes when nothing else is said: for addition and subtraction any
// three places; for multiplication and division their first unit, two places by one.
ProblemChoice defaultChoice(Operation operation);
// The choice with another operation: the patterns that were the old operation's defaults
// become the new one's; what was chosen stays.
ProblemChoice withOperation(const ProblemChoice &choice, Operation operation);
// The trivial condition in force: as chosen, or the operation's own (Nashi for products
// and quotients, Konzai else).
std::uint8_t trivialOf(const ProblemChoice &choice);

// The letters of the patterns, by value: digit kinds "0na" (Zero, Rest, All), carry modes
// "ynm" (Ari, Nashi, Konzai).
inline constexpr std::string_view DigitLetters = "0na";
inline constexpr std::string_view CarryLetters = "ynm";

// Reads "a.nn" or "0na" (either case); on a fault says what is wrong, a Japanese line and an
// English line, and leaves `out` as it was. `option` names the option in the message.
std::string readNumberPattern(std::string_view option, std::string_view text, NumberPattern &out);
std::string readCarryPattern(std::string_view option, std::string_view text, NumberPattern &out);
// Back to letters, at least three whole letters ("00a.nn").
std::string patternText(const NumberPattern &pattern, std::string_view letters);

// What is wrong with the choice as a whole (empty when nothing): a carry pattern whose point
// does not meet the numbers' or that has more whole letters than they have places, a
// zero-end condition without a decimal place; for multiplication and division, numbers with
// a point or more places than the operation takes, a divisor that can only be 0, and a
// condition of another operation.
std::string choiceError(const ProblemChoice &choice);

// The window's settings, when the choice has nothing they cannot say.
std::optional<Settings> settingsOf(const ProblemChoice &choice);
// The window's settings that show the choice's places and carries, whether or not it leaves
// out problems with 0 or 1, which those settings cannot say: for panels that show them.
std::optional<Settings> shownSettingsOf(ProblemChoice choice);
ProblemChoice choiceOf(const Settings &settings);

// The conditions of one sign: a difference never borrows in its highest column, whatever its
// letter says.
ColumnGrid gridFor(const ProblemChoice &choice, bool subtraction);

// Problems the choice admits (for a mixed choice, of each sign added up) and, when none,
// why, in Japanese and in English: for a mixed choice, impossible when either sign is.
struct ChoiceCount {
    std::uint64_t problems = 0;
    bool possible = false;
    std::string reason, reasonEnglish;
};
ChoiceCount countChoice(const ProblemChoice &choice);

// The three status lines of a sheet: the upper number's places, the lower number's, and
// what each column's carry does in the sheet's problems.
std::array<std::string, 3> statusLinesFor(const ProblemChoice &choice);

// Where the helper boxes go: above each column some problem carries into or that lends.
HelperColumns helperColumnsFor(const ProblemChoice &choice);

// Whether a problem obeys the choice (its sign must be one the choice has).
bool obeysChoice(const ProblemChoice &choice, const ColumnProblem &problem);

// Problems a page: the per-page choice, or what a page of the choice's problems holds
// when it is 0 (20 of addition and subtraction, and of products by one place; 12 of
// products by two places; 6 quotients, or 4 larger). perPageChoices lists those a teacher may choose, the
// largest first: 0 where the page's own count may be kept. With helper boxes, only pages that
// keep a pencil's room (pencilFits), and a page that does in place of one that does not.
int perPageOf(const ProblemChoice &choice, int perPage, bool helperBoxes = false);
std::vector<int> perPageChoices(const ProblemChoice &choice, bool helperBoxes = false);

// The places a product's or quotient's sheet sets out beside its sign or bracket: the
// upper number's and the lower number's, added.
int longColumnsOf(const ProblemChoice &choice);

}  // namespace kolvara
