// The y|n|m conditions of multiplication and division, one row each: the option that sets
// it, what the working must do, the status line's word and why no problem can meet it. The
// option table, the count and its reasons, the status line and the refusal of a condition
// of the other operation are all made from these rows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "long_arithmetic.h"
#include "problem_choice.h"

namespace kolvara {

// A text in Japanese and in English.
struct TwoWords {
    std::string_view japanese, english;
};

struct LongCondition {
    std::string_view key;  // the option, without its dashes
    std::uint8_t ProblemChoice::*mode;
    Operation operation;  // Multiply or Divide
    // Whether a problem's working does it: the one for the operation is set.
    bool (*multiplied)(const MultiplicationWork &) = nullptr;
    bool (*divided)(const DivisionWork &) = nullptr;
    std::string_view statusLabel;  // before its あり／なし／混在 on the status line
    // For the panel and the dialog, then for --help and the manual pages.
    std::string_view caption, hint, helpJapanese, helpEnglish;
    // Why no problem can be had: asked always (y), asked never (n).
    TwoWords cannotAlways, cannotNever;
    // For a condition only a two-place divisor can meet: why a one-place one cannot, said
    // after cannotAlways; empty for the others.
    TwoWords oneDigitDivisor = {};
};

// In the order the options are listed and the reasons are looked for.
inline constexpr LongCondition LongConditionRows[] = {
    {"mul-carry", &ProblemChoice::mulCarry, Operation::Multiply,
     [](const MultiplicationWork &w) { return w.rowCarry; }, nullptr, "くり上がり",
     "かけ算のくり上がり", "一つの位のかけ算の十の位を、次の位の積にたすかどうか（23×4）。",
     "かけ算の中のくり上がり（23×4 の 3×4=12 の 1 を次の積にたす）：\ny いつも、n ない、m どちらでも（既定 m。31×4=124 のように最後の\n位の積をそのまま書くのはくり上がりではない）",
     "a digit's product hands its tens on to the next digit's (23x4):\ny = always, n = never, m = either (default m; the last digit's\nproduct written whole, as in 31x4 = 124, is not one)",
     {"かけ算のくり上がりがあるようにはできません", "no digit's product here carries into the next"},
     {"かけ算のくり上がりがないようにはできません", "every problem here carries from a digit's product into the next"}},
    {"wide-partial", &ProblemChoice::widePartial, Operation::Multiply,
     [](const MultiplicationWork &w) { return w.widePartial; }, nullptr, "けたがふえる",
     "積のけたがふえる", "一つの位をかけた積が、かけられる数より1けた多くなるかどうか（31×4=124）。",
     "一つの位をかけた積（部分の積）が、かけられる数より1けた多くなる\n（31×4=124）：y いつも、n ない、m どちらでも（既定 m）",
     "a digit's product (a partial product) has a place more than the\nmultiplicand (31x4 = 124): y = always, n = never, m = either\n(default m)",
     {"部分の積のけたがかけられる数より多くなるようにはできません",
      "no partial product here has a place more than the multiplicand"},
     {"部分の積のけたがかけられる数より多くならないようにはできません",
      "every problem here has a partial product with a place more than the multiplicand"}},
    {"sum-carry", &ProblemChoice::sumCarry, Operation::Multiply,
     [](const MultiplicationWork &w) { return w.sumCarry; }, nullptr, "たし算",
     "部分の積のたし算のくり上がり", "2けたをかけるとき、部分の積のたし算でくり上がるかどうか。",
     "部分の積をたすときのくり上がり：y いつも、n ない、m どちらでも\n（既定 m）",
     "the sum of the partial products carries: y = always, n = never,\nm = either (default m)",
     {"部分の積のたし算でくり上がるようにはできません（部分の積をたすのは、かける数が２けたで一の位が０でないときです）",
      "no sum of partial products here carries (partial products are added only for a two-place multiplier whose "
      "ones are not 0)"},
     {"部分の積のたし算でくり上がらないようにはできません", "every sum of partial products here carries"}},
    {"remainder", &ProblemChoice::remainder, Operation::Divide, nullptr,
     [](const DivisionWork &w) { return w.remainder != 0; }, "あまり",
     "あまり", "わり算にあまりが出るかどうか。",
     "わり算のあまり：y いつもある、n ない、m どちらでも（既定 m）",
     "division leaves a remainder: y = always, n = never, m = either\n(default m)",
     {"あまりが出るようにはできません", "no problem here leaves a remainder"},
     {"あまりが出ないようにはできません", "every problem here leaves a remainder"}},
    {"quotient-zero", &ProblemChoice::quotientZero, Operation::Divide, nullptr,
     [](const DivisionWork &w) { return w.zeroInQuotient; }, "商の０",
     "商に０がたつ", "商のとちゅうや一の位に０がたつかどうか（408÷4=102）。",
     "商に0がたつ（408÷4=102）：y いつも、n ない、m どちらでも（既定 m）",
     "a 0 among the quotient's digits (408/4 = 102): y = always,\nn = never, m = either (default m)",
     {"商に０がたつようにはできません", "no quotient here has a 0 among its digits"},
     {"商に０がたたないようにはできません", "every quotient here has a 0 among its digits"}},
    {"guess-fix", &ProblemChoice::guessFix, Operation::Divide, nullptr,
     [](const DivisionWork &w) { return w.guessFixed; }, "見当",
     "見当をつけた商を直す", "2けたでわるとき、わる数を四捨五入した何十で見当をつけた商を直すかどうか。",
     "2けたでわるとき、わる数を十の位までの概数（四捨五入）にして\nたてた商を直す：y いつも、n ない、m どちらでも（既定 m。78÷26 は\n30 とみて 2 をたて 3 に、91÷13 は 10 とみて 9 をたて 7 に直す）",
     "with a divisor of two places, a guess from the divisor rounded to\nthe nearest ten (halves up) must be corrected: y = always,\nn = never, m = either (default m; 78/26: 2 from 30 becomes 3;\n91/13: 9 from 10 becomes 7)",
     {"見当をつけた商を直す問題にはできません", "no problem here has a first guess to correct"},
     {"見当をつけた商を直さない問題にはできません", "every problem here has a first guess to correct"},
     {"１けたでわるときは見当をつけません", "a one-place divisor needs no guess to correct"}},
};
inline constexpr std::size_t LongConditionCount = std::size(LongConditionRows);

// What every problem of a multiplication or division sheet obeys. Each condition is Ari
// (always), Nashi (never) or Konzai (either). Neither number is ever 0, and a dividend is
// never smaller than its divisor.
struct LongConditions {
    bool division = false;
    // Digit kinds (Zero, Rest, All) of the multiplicand or dividend (upper) and of the
    // multiplier or divisor (lower), highest place first; the numbers have these places at
    // most, as a higher place that is 0 is left out.
    std::vector<std::uint8_t> upper, lower;
    // By LongConditionRows; the other operation's stay Konzai.
    std::array<std::uint8_t, LongConditionCount> modes = [] {
        std::array<std::uint8_t, LongConditionCount> all{};
        all.fill(Konzai);
        return all;
    }();
    int quotientPlaces = 0;         // 1 to 3, or 0 for any
    std::uint8_t trivial = Konzai;  // a factor or a divisor 1
    friend bool operator==(const LongConditions &, const LongConditions &) = default;
};

// Whether a pair of numbers obeys the conditions.
bool admits(const LongConditions &conditions, int upper, int lower);

// Every pair the conditions admit, the upper number's smallest first; and, when there is
// none, why (in Japanese and in English): the first condition that leaves none of the pairs
// the ones before it leave, in the order: a dividend at least the divisor, the trivial
// condition, the quotient's places, then the rows of LongConditionRows.
struct LongChoiceSet {
    std::vector<LongPair> pairs;
    std::string reason, reasonEnglish;
    // What the pairs' working does, by LongConditionRows: whether some pair does it and
    // whether some does not; the quotients' places seen; and the multiplicand's places, from
    // the ones, some row carries into.
    std::array<bool, LongConditionCount> some{}, none{};
    std::array<bool, MaxDividendPlaces + 1> quotientPlaces{};
    std::array<bool, MaxMultiplicandPlaces> carryPlaces{};
};
LongChoiceSet admittedPairs(const LongConditions &conditions);

// A multiplication or division choice as the long engine's conditions, and the pairs they
// admit, worked out once for a run of calls with the same conditions (the reference holds
// until a call on this thread with other conditions).
LongConditions longConditionsOf(const ProblemChoice &choice);
const LongChoiceSet &longSetOf(const ProblemChoice &choice);

// The status line of a product's or quotient's sheet: each of the operation's conditions
// with "あ　り" when every problem does it, "な　し" when none, else "混　在".
std::string longConditionsLine(const ProblemChoice &choice);

// The first condition set (not Konzai) that is not the choice's operation's, or null.
const LongCondition *foreignLongCondition(const ProblemChoice &choice);

}  // namespace kolvara
