#include "feasibility.h"

#include <array>

#include "column.h"
#include "column_engine.h"
#include "texts.h"

namespace kolvara {

namespace {

// counts[in][out]: digit pairs that the column accepts, by incoming and outgoing carry.
using Transfer = std::array<std::array<std::uint32_t, 2>, 2>;

Transfer columnTransfer(bool subtraction, std::uint8_t upperKind, std::uint8_t lowerKind, std::uint8_t mode)
{
    Transfer t{};
    const DigitRange u = digitRange(upperKind), l = digitRange(lowerKind);
    for (int in = 0; in < 2; ++in)
        for (int a = u.low; a <= u.high; ++a)
            for (int b = l.low; b <= l.high; ++b) {
                const int out = columnCarry(subtraction, a, b, in);
                if (carryModeAllows(mode, out))
                    ++t[in][out];
            }
    return t;
}

struct Column {
    std::uint8_t upper, lower, mode;
};

// Ones first; the hundreds of a subtraction must not borrow, or the difference would be negative.
std::array<Column, 3> columnsOf(const Settings &s)
{
    return {Column{s.DigitKind1_1, s.DigitKind2_1, s.CarryMode_1},
            Column{s.DigitKind1_10, s.DigitKind2_10, s.CarryMode_10},
            Column{s.DigitKind1_100, s.DigitKind2_100, s.IsSubtraction == 1 ? std::uint8_t(Nashi) : s.CarryMode_100}};
}

std::string quoted(std::string_view caption) { return "「" + std::string(caption) + "」"; }

struct Words {
    std::string upper, lower, carry;
};

// A reason in Japanese and in English.
struct Reason {
    std::string japanese, english;
    Reason operator+(const Reason &more) const { return {japanese + more.japanese, english + more.english}; }
};

std::string numberEnglish(const Words &w, const std::string &number)
{
    return number == w.upper ? "the upper number's " : "the lower number's ";
}

// "<number>の<place>が「<kind>」"
Reason placeIs(const Words &w, const std::string &number, int column, std::uint8_t kind)
{
    return {number + "の" + std::string(texts::PlaceName[column]) + "が" + quoted(texts::optionCaption(DigitKind(kind))),
            numberEnglish(w, number) + std::string(texts::PlaceEnglish[column]) + " is " +
                std::string(texts::kindEnglish(kind))};
}

Reason cannotBe(const Words &w, int column, std::uint8_t mode, bool sub)
{
    return {std::string(texts::PlaceName[column]) + "の" + w.carry + "を" + quoted(texts::optionCaption(CarryMode(mode))) +
                "にはできません",
            "the " + std::string(texts::PlaceEnglish[column]) + " cannot " + std::string(texts::modeEnglish(mode, sub))};
}

// "、" and ", so " or " and ".
const Reason So{"なので、", ", so "};
const Reason And{"で", " and "};

// column: 0 hundreds, 1 tens, 2 ones. in[s]: whether the column below can hand on s.
Reason columnReason(bool sub, const Words &w, int column, std::uint8_t upperKind, std::uint8_t lowerKind,
                    std::uint8_t mode, const std::array<bool, 2> &in)
{
    const std::string below = column < 2 ? std::string(texts::PlaceName[column + 1]) : std::string();
    const std::string belowEnglish = column < 2 ? std::string(texts::PlaceEnglish[column + 1]) : std::string();
    const Reason noneFromBelow{"で、" + below + "から" + w.carry + "がないので、",
                               " and the " + belowEnglish + (sub ? " never borrow" : " never carry") + ", so "};
    const Reason oneFromBelow{"で、" + below + "から" + w.carry + "があるので、",
                              " and the " + belowEnglish + " always borrow, so "};
    const bool onlyNone = in[0] && !in[1], onlyOne = in[1] && !in[0];
    Reason why;
    if (!sub) {  // only "あり" can fail when adding
        if (upperKind == Zero && lowerKind == Zero)
            why = {w.upper + "と" + w.lower + "の" + std::string(texts::PlaceName[column]) + "がどちらも" +
                       quoted(texts::optionCaption(Zero)) + "なので、",
                   "the " + std::string(texts::PlaceEnglish[column]) + " of both numbers are 0, so "};
        else if (column < 2 && onlyNone)
            why = placeIs(w, upperKind == Zero ? w.upper : w.lower, column, Zero) + noneFromBelow;
        else
            why = placeIs(w, upperKind == Zero ? w.upper : w.lower, column, Zero) + So;
    } else if (mode == Ari) {
        if (upperKind == Rest && column < 2)
            why = placeIs(w, w.lower, column, Zero) + And + placeIs(w, w.upper, column, Rest) + So;
        else if (column < 2 && onlyNone)
            why = placeIs(w, w.lower, column, Zero) + noneFromBelow;
        else
            why = placeIs(w, w.lower, column, lowerKind) + So;
    } else {
        if (lowerKind == Rest)
            why = placeIs(w, w.upper, column, Zero) + And + placeIs(w, w.lower, column, Rest) + So;
        else if (onlyOne)
            why = placeIs(w, w.upper, column, Zero) + oneFromBelow;
        else
            why = placeIs(w, w.upper, column, upperKind) + So;
    }
    return why + cannotBe(w, column, mode, sub);
}

}  // namespace

bool columnCanPass(bool subtraction, std::uint8_t upperKind, std::uint8_t lowerKind, std::uint8_t mode, int incoming)
{
    const DigitRange u = digitRange(upperKind), l = digitRange(lowerKind);
    for (int a = u.low; a <= u.high; ++a)
        for (int b = l.low; b <= l.high; ++b)
            if (carryModeAllows(mode, columnCarry(subtraction, a, b, incoming)))
                return true;
    return false;
}

namespace {

// The counts and chances come from the column engine; this file keeps the words of why.
ColumnCount countOf(const Settings &s)
{
    return countProblems(gridOf(conditionsOf(s)).grid, s.IsSubtraction == 1, Konzai);
}

}  // namespace

bool admits(const Settings &s, int upper, int lower)
{
    if (upper < 0 || upper > 999 || lower < 0 || lower > 999)
        return false;
    const bool sub = s.IsSubtraction == 1;
    return obeys(gridOf(conditionsOf(s)).grid, sub, Konzai, wholeProblem(sub, upper, lower));
}

std::array<CarryChances, 3> carryChances(const Settings &s)
{
    const ColumnCount count = countOf(s);
    return {count.chances[0], count.chances[1], count.chances[2]};
}

Feasibility checkFeasibility(const Settings &s)
{
    const bool sub = s.IsSubtraction == 1;
    const Words words = sub ? Words{std::string(texts::UpperNumberSubtraction), std::string(texts::LowerNumberSubtraction),
                                    std::string(texts::CarrySubtraction)}
                            : Words{std::string(texts::UpperNumberAddition), std::string(texts::LowerNumberAddition),
                                    std::string(texts::CarryAddition)};
    const std::array<Column, 3> columns = columnsOf(s);

    std::array<std::uint32_t, 2> ways{1, 0};  // problems so far, by the carry they hand on
    for (int i = 0; i < 3; ++i) {
        const Column &c = columns[i];
        const Transfer t = columnTransfer(sub, c.upper, c.lower, c.mode);
        const std::array<std::uint32_t, 2> next{ways[0] * t[0][0] + ways[1] * t[1][0], ways[0] * t[0][1] + ways[1] * t[1][1]};
        if (next[0] + next[1] == 0) {
            const int column = 2 - i;
            const std::array<bool, 2> in{ways[0] > 0, ways[1] > 0};
            Feasibility result;
            Reason why;
            if (sub && column == 0) {
                why = c.lower == Rest
                          ? placeIs(words, words.upper, 0, Zero) + And + placeIs(words, words.lower, 0, Rest) + So
                          : placeIs(words, words.upper, 0, Zero) +
                                Reason{"で、" + std::string(texts::PlaceName[texts::TensPlace]) + "から" + words.carry +
                                           "があるので、",
                                       " and the tens always borrow, so "};
                why = why + Reason{words.upper + "がいつも" + words.lower + "より小さくなります",
                                   "the upper number is always smaller than the lower number"};
            } else {
                why = columnReason(sub, words, column, c.upper, c.lower, c.mode, in);
            }
            result.reason = why.japanese;
            result.reasonEnglish = why.english;
            return result;
        }
        ways = next;
    }
    Feasibility result;
    result.possible = true;
    result.problemCount = std::uint32_t(countOf(s).problems);
    return result;
}

}  // namespace kolvara
