// The places a pupil writes in, as the practice on a tablet walks them: every box the pupil
// fills, in the order pupils write, with what belongs there, and nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "fixed_metrics.h"
#include "long_arithmetic.h"
#include "sheet.h"

using namespace kolvara;

namespace {

struct Step {
    std::string answer;
    bool helper = false;
    friend bool operator==(const Step &, const Step &) = default;
    friend std::ostream &operator<<(std::ostream &out, const Step &s) { return out << (s.helper ? "^" : "") << '"' << s.answer << '"'; }
};

bool inside(const TextRun &t, const DottedBox &b)
{
    return t.x >= b.left - 1 && t.x <= b.right && t.baseline >= b.top && t.baseline <= b.bottom + 2;
}

// A box as the pupil comes to it: what it is for, its row and place, and what is right in it
// ("11|1": 11 or 1; "0|": 0 or nothing).
struct Box {
    WriteRole role = WriteRole::Answer;
    int row = 0, place = 0;
    std::string answers;
    friend bool operator==(const Box &, const Box &) = default;
    friend std::ostream &operator<<(std::ostream &out, const Box &b)
    {
        return out << "(" << int(b.role) << " r" << b.row << " p" << b.place << ": \"" << b.answers << "\")";
    }
};
using Boxes = std::vector<Box>;

std::string joined(const std::vector<std::string> &notations)
{
    std::string text;
    for (std::size_t i = 0; i < notations.size(); ++i)
        text += (i ? "|" : "") + notations[i];
    return text;
}

std::string digitText(int digit) { return std::string(1, char('0' + digit)); }

// The writes of one problem laid out alone on its problem page, in their turns.
Boxes boxesOf(const ColumnProblem &problem, HelperColumns helpers, const WritingRoom &room = {}, int columns = 3)
{
    static const FixedMetrics metrics;
    ProblemLook look;
    look.problem = problem;
    look.columns = columns;
    look.width = problemWidth(look.fontSize, columns);
    look.helperColumns = helpers;
    look.signByNumber = true;
    look.room = room;
    Drawing d;
    layOutProblem(look, metrics, 0, 80, d);
    std::stable_sort(d.writes.begin(), d.writes.end(), [](const auto &a, const auto &b) { return a.order < b.order; });
    Boxes boxes;
    for (const Drawing::Write &w : d.writes) {
        EXPECT_FALSE(w.answers.empty());
        EXPECT_EQ(w.answer, w.answers.empty() ? "" : w.answers.front());
        boxes.push_back({w.role, w.row, w.place, joined(w.answers)});
    }
    return boxes;
}

// The first box of `all` of each kind, row and place that `some` has, in the order of `all`.
Boxes keptOf(const Boxes &all, const Boxes &some)
{
    const auto same = [](const Box &a, const Box &b) { return a.role == b.role && a.row == b.row && a.place == b.place; };
    Boxes kept;
    for (const Box &b : all)
        if (std::any_of(some.begin(), some.end(), [&](const Box &s) { return same(s, b); }) &&
            std::none_of(kept.begin(), kept.end(), [&](const Box &k) { return same(k, b); }))
            kept.push_back(b);
    return kept;
}

// A sum or difference of whole numbers as a pupil works it on paper, from the ones: adding,
// each column's digit, then the carried 1 over the next column; subtracting, a column too
// small borrows from the nearest place that is not 0, each 0 on the way borrowing in turn
// and lending 9, written from that lender inwards before the digit. Every helper box comes
// up at the latest just before the digit of the column right of it. A lender that later
// borrows may show its value with the ten or without it, and the highest place that lends
// its last 1 may be left empty. With `room`, the answer's places beyond its own left empty.
Boxes pupilWorksColumns(bool subtraction, int upper, int lower, int columns, bool room)
{
    std::array<int, MaxColumns + 2> top{}, low{};
    int highest = -1;
    for (int c = 0, u = upper, l = lower; c < MaxColumns + 2; ++c, u /= 10, l /= 10) {
        top[std::size_t(c)] = u % 10, low[std::size_t(c)] = l % 10;
        if (u % 10)
            highest = c;
    }
    const int answer = subtraction ? upper - lower : upper + lower;
    const int places = int(std::to_string(answer).size());
    const int helpers = subtraction ? columns - 1 : columns;  // the highest column lends to none
    std::array<std::string, MaxColumns + 2> helper{};
    std::array<bool, MaxColumns + 2> lent{}, said{};
    Boxes turns;
    turns.reserve(std::size_t(2 * columns + 2));
    const auto helperBox = [&](int c) {
        if (c >= 1 && c <= helpers && !said[std::size_t(c)]) {
            said[std::size_t(c)] = true;
            turns.push_back({subtraction ? WriteRole::Borrow : WriteRole::Carry, 0, c, {}});
        }
    };
    int carry = 0;
    for (int c = 0; c < (subtraction ? columns : columns + 1); ++c) {
        int digit = 0;
        if (!subtraction) {
            helperBox(c);
            const int sum = top[std::size_t(c)] + low[std::size_t(c)] + carry;
            digit = sum % 10, carry = sum / 10;
            if (carry && c + 1 <= columns)
                helper[std::size_t(c + 1)] = "1";
        } else {
            if (top[std::size_t(c)] < low[std::size_t(c)]) {
                int lender = c + 1;
                while (lender < MaxColumns + 1 && top[std::size_t(lender)] == 0)
                    ++lender;
                for (int j = lender; j > c; --j) {
                    std::string &h = helper[std::size_t(std::min(j, columns))];
                    if (j == lender) {
                        h = std::to_string(--top[std::size_t(j)]);
                        if (top[std::size_t(j)] == 0 && j == highest)
                            h += "|";
                    } else {
                        top[std::size_t(j)] = 9, h = "9";
                    }
                    lent[std::size_t(j)] = true;
                    helperBox(j);
                }
                if (lent[std::size_t(c)])
                    helper[std::size_t(c)] = std::to_string(top[std::size_t(c)] + 10) + "|" + std::to_string(top[std::size_t(c)]);
                top[std::size_t(c)] += 10;
            }
            helperBox(c + 1);
            digit = top[std::size_t(c)] - low[std::size_t(c)];
        }
        if (c < places || room)
            turns.push_back({WriteRole::Answer, 0, c, {c < places ? digitText(digit) : ""}});
    }
    for (Box &b : turns)
        if (b.role != WriteRole::Answer)
            b.answers = helper[std::size_t(b.place)];
    return turns;
}

// Long division as a pupil works it: たてる the digit over the place, かける its product
// under it (by a divisor of one place as the times table says it, the highest place first;
// by two, from the ones), ひく the difference from the ones, おろす the next place; a place
// that still cannot be divided gets a 0 over it once it is down. A row is written as its
// number, so a difference of 0 with places brought down shows only those from the first that
// is not 0.
Boxes pupilDividesInTurn(int dividend, int divisor)
{
    const std::string digits = std::to_string(dividend);
    const int n = int(digits.size());
    const auto placeOf = [&](int i) { return n - 1 - i; };
    int i = 0, partial = digits[0] - '0';
    while (partial < divisor)
        partial = partial * 10 + (digits[std::size_t(++i)] - '0');
    Boxes turns;
    for (int row = 0;; ++row) {
        const int place = placeOf(i), q = partial / divisor;
        turns.push_back({WriteRole::Quotient, 0, place, {digitText(q)}});
        const std::string product = std::to_string(q * divisor);
        const int length = int(product.size());
        for (int k = 0; k < length; ++k) {
            const int at = divisor < 10 ? k : length - 1 - k;
            turns.push_back({WriteRole::DivisionProduct, row, place + length - 1 - at, {std::string(1, product[std::size_t(at)])}});
        }
        int value = partial - q * divisor, j = i;
        std::vector<int> zeros;
        while (j + 1 < n) {
            value = value * 10 + (digits[std::size_t(++j)] - '0');
            if (value >= divisor)
                break;
            zeros.push_back(placeOf(j));
        }
        const std::string row_ = std::to_string(value);
        const int until = placeOf(j), top = until + int(row_.size()) - 1;
        const auto digitAt = [&](int column) { return std::string(1, row_[std::size_t(top - column)]); };
        for (int column = place; column <= top; ++column)
            turns.push_back({WriteRole::DivisionDifference, row, column, {digitAt(column)}});
        for (int column = place - 1; column >= until; --column) {
            if (column <= top)
                turns.push_back({WriteRole::DivisionDifference, row, column, {digitAt(column)}});
            if (std::find(zeros.begin(), zeros.end(), column) != zeros.end())
                turns.push_back({WriteRole::Quotient, 0, column, {"0"}});
        }
        if (value < divisor || j == i)
            return turns;
        i = j, partial = value;
    }
}

// Long multiplication as a pupil works it: each row from the multiplicand's ones, a digit
// and then the carry over the next place (an empty box where none), the highest place's
// product written whole, row by row; a multiplier ending in 0 has its 0 set first and one
// row from the tens. Two rows are added from the ones.
Boxes pupilMultipliesInTurn(int multiplicand, int multiplier, const HelperColumns &helpers)
{
    std::vector<int> a;
    for (int m = multiplicand; m > 0; m /= 10)
        a.push_back(m % 10);
    const int places = int(a.size());
    Boxes turns;
    const auto row = [&](int r, int digit, int shift, WriteRole role) {
        int carry = 0;
        for (int k = 0; k < places; ++k) {
            const int t = a[std::size_t(k)] * digit + carry;
            if (k == places - 1) {
                turns.push_back({role, r, shift + k, {digitText(t % 10)}});
                if (t >= 10)
                    turns.push_back({role, r, shift + k + 1, {digitText(t / 10)}});
                break;
            }
            turns.push_back({role, r, shift + k, {digitText(t % 10)}});
            carry = t / 10;
            if (helpers[std::size_t(k + 1)])
                turns.push_back({WriteRole::RowCarry, r, k + 1, {carry ? digitText(carry) : ""}});
        }
    };
    if (multiplier < 10) {
        row(0, multiplier, 0, WriteRole::Product);
    } else if (multiplier % 10 == 0) {
        turns.push_back({WriteRole::Product, 0, 0, {"0"}});
        row(0, multiplier / 10, 1, WriteRole::Product);
    } else {
        row(0, multiplier % 10, 0, WriteRole::Partial);
        row(1, multiplier / 10, 1, WriteRole::Partial);
        const std::string product = std::to_string(multiplicand * multiplier);
        for (int k = 0; k < int(product.size()); ++k)
            turns.push_back({WriteRole::Product, 0, k, {std::string(1, product[product.size() - 1 - std::size_t(k)])}});
    }
    return turns;
}

}  // namespace

// With the widest room, the problem page's boxes are the answer page's, in the same order,
// then those the pupil leaves empty; no rule of the working is drawn for the pupil, and
// without boxes there is nothing to write in at all.
TEST(WriteOrder, PupilsWriteFromTheOnesWithTheirCarriesAndEachStepOfADivision)
{
    const auto h = [](const char *a) { return Step{a, true}; };
    const auto d = [](const char *a) { return Step{a, false}; };
    const auto empty = [](int n, std::vector<Step> first = {}) {
        first.insert(first.end(), std::size_t(n), Step{"", false});
        return first;
    };
    const WritingRoom sums{.sumPlaces = 4, .differencePlaces = 3};
    const WritingRoom products{.partialPlaces = 3, .productPlaces = 4, .twoRows = true};
    const WritingRoom divisions{.divisionLines = 8};
    const struct {
        Sign sign;
        int upper, lower;
        HelperColumns helpers;
        std::vector<Step> steps;
        WritingRoom room{};
        std::vector<Step> roomSteps{};  // on the problem page: the answer's, those left empty among them
        int rules = 1;                // drawn on a roomy problem page with boxes: the problem's own
    } cases[] = {
        // The carried 1 goes over the tens right after the ones digit; none is an empty box.
        {Sign::Plus, 58, 67, {false, true, true}, {d("5"), h("1"), d("2"), h("1"), d("1")}},
        {Sign::Plus, 12, 34, {false, true, true}, {d("6"), h(""), d("4"), h("")}},
        // Room for a carry out of the highest column, and for the widest difference.
        {Sign::Plus, 12, 34, {false, true, true}, {d("6"), h(""), d("4"), h("")}, sums, empty(2, {d("6"), h(""), d("4"), h("")})},
        // Borrowing across a zero: the lenders first, the furthest first, then the digits.
        {Sign::Minus, 907, 899, {false, true, true}, {h("8"), h("9"), d("8")}, sums, {h("8"), h("9"), d("8"), d(""), d("")}},
        {Sign::Minus, 304, 127, {false, true, true}, {h("2"), h("9"), d("7"), d("7"), d("1")}},
        // Each lent value, or the box left empty, before the digit it makes possible.
        {Sign::Minus, 922, 328, {false, true, true}, {h("11"), d("4"), h("8"), d("9"), d("5")}},
        {Sign::Minus, 645, 123, {false, true, true}, {h(""), d("2"), h(""), d("2"), d("5")}},
        {Sign::Times, 23, 4, {false, true, false}, {d("2"), h("1"), d("9")}},
        // Both partial products' rows and their rule whatever the multiplier.
        {Sign::Times, 23, 4, {false, true, false}, {d("2"), h("1"), d("9")}, products, empty(8, {d("2"), h("1"), d("9"), h("")}), 2},
        // Row by row from the ones, each row's carry as it comes, then the product.
        {Sign::Times, 48, 27, {false, true, false},
         {d("6"), h("5"), d("3"), d("3"), d("6"), h("1"), d("9"), d("6"), d("9"), d("2"), d("1")}},
        // The short way: the 0 first, then 35 x 3 from the ones.
        {Sign::Times, 35, 30, {false, true, false}, {d("0"), d("5"), h("1"), d("0"), d("1")}},
        {Sign::Times, 35, 30, {false, true, false}, {d("0"), d("5"), h("1"), d("0"), d("1")}, products,
         empty(7, {d("0"), d("5"), h("1"), d("0"), d("1"), h("")}), 2},
        {Sign::Times, 48, 27, {false, true, false},
         {d("6"), h("5"), d("3"), d("3"), d("6"), h("1"), d("9"), d("6"), d("9"), d("2"), d("1")}, products,
         empty(1, {d("6"), h("5"), d("3"), d("3"), d("6"), h("1"), d("9"), d("6"), d("9"), d("2"), d("1")}), 2},
        // Quotient digit, its product (by one place as the times table says it, the highest
        // first), the difference, the next place brought down; a 0 of the quotient right
        // after the place it could not divide comes down.
        {Sign::Divide, 156, 3, {}, {d("5"), d("1"), d("5"), d("6"), d("2"), d("6"), d("0")}},
        {Sign::Divide, 510, 5, {}, {d("1"), d("5"), d("1"), d("0"), d("0"), d("2"), d("1"), d("0"), d("0")}},
        // A box over every place of the dividend, and every row of the longest working.
        // The hundreds, where nothing stands, tried first.
        {Sign::Divide, 156, 3, {}, {d("5"), d("1"), d("5"), d("6"), d("2"), d("6"), d("0")}, divisions,
         empty(13, {d(""), d("5"), d("1"), d("5"), d("6"), d("2"), d("6"), d("0")}), 11},
        // A 0 of the quotient whose step has no row.
        {Sign::Divide, 759, 75, {}, {d("1"), d("5"), d("7"), d("9"), d("0")}, divisions,
         empty(15, {d(""), d("1"), d("5"), d("7"), d("9"), d("0")}), 11},
        {Sign::Divide, 408, 4, {}, {d("1"), d("4"), d("0"), d("8"), d("2"), d("8"), d("0")}},
        {Sign::Divide, 91, 13, {}, {d("7"), d("1"), d("9"), d("0")}},
        {Sign::Divide, 83, 4, {}, {d("2"), d("8"), d("3"), d("0")}},
        {Sign::Divide, 754, 32, {}, {d("2"), d("4"), d("6"), d("1"), d("1"), d("4"), d("3"), d("6"), d("9"), d("8"), d("1")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(problemText(wholeProblem(c.sign, c.upper, c.lower)));
        const bool roomy = c.room != WritingRoom{};
        for (const bool answers : {false, true}) {
            SCOPED_TRACE(answers ? "answer page" : "problem page");
            Sheet sheet;
            sheet.problems = {wholeProblem(c.sign, c.upper, c.lower)};
            sheet.columns = c.sign == Sign::Divide || c.sign == Sign::Times ? 5 : 3;
            sheet.answers = answers;
            sheet.format.helperBoxes = true;
            sheet.format.perPage = 6;
            sheet.helperColumns = c.helpers;
            sheet.room = c.room;
            sheet.format.widestAnswers = roomy;
            const Drawing drawing = layOutPage(sheet, a4Paper(), FixedMetrics()).drawing;
            const std::vector<Step> &expected = roomy && !answers ? c.roomSteps : c.steps;
            if (roomy && !answers) {
                EXPECT_EQ(int(drawing.lines.size()), c.rules);
                // Without place-value boxes, only the helper boxes asked for.
                sheet.boxes = false;
                const Drawing plain = layOutPage(sheet, a4Paper(), FixedMetrics()).drawing;
                EXPECT_EQ(plain.boxes.size(), plain.writes.size());
                for (const Drawing::Write &w : plain.writes)
                    EXPECT_TRUE(w.helper);
                EXPECT_EQ(int(plain.lines.size()), c.sign == Sign::Divide ? 11 : 1);
            }
            std::vector<Step> steps;
            for (const Drawing::Write &w : drawing.writes) {
                ASSERT_LT(w.box, drawing.boxes.size());
                EXPECT_EQ(w.problem, 0u);
                steps.push_back({w.answer, w.helper});
                // The answer page shows what belongs in the box; the problem page nothing.
                std::string shown;
                for (const TextRun &t : drawing.texts)
                    if (inside(t, drawing.boxes[w.box]))
                        shown += t.text;
                EXPECT_EQ(shown, answers ? w.answer : "") << "box " << w.box;
            }
            EXPECT_EQ(steps, expected);
        }
    }
}

// Every box the problem page leaves empty is one place to write, and each problem's places
// follow the problem before's; with the widest room too.
TEST(WriteOrder, EveryEmptyBoxOfAPageOnce)
{
    for (const bool widest : {false, true}) {
        SCOPED_TRACE(widest ? "widest room" : "own room");
        Sheet sheet;
        for (int i = 0; i < 6; ++i)
            sheet.problems.push_back(wholeProblem(i % 2 ? Sign::Divide : Sign::Times, 100 + 131 * i, 7 + 13 * i));
        sheet.columns = 5;
        sheet.format.perPage = 6;
        sheet.format.helperBoxes = true;
        sheet.helperColumns = {false, true, true};
        sheet.format.widestAnswers = widest;
        sheet.room = {.partialPlaces = 4, .productPlaces = 5, .twoRows = true, .divisionLines = 8};
        const Drawing drawing = layOutPage(sheet, a4Paper(), FixedMetrics()).drawing;
        std::vector<int> writesOf(drawing.boxes.size(), 0);
        std::uint32_t problem = 0;
        for (const Drawing::Write &w : drawing.writes) {
            ++writesOf[w.box];
            EXPECT_GE(w.problem, problem);
            problem = w.problem;
        }
        EXPECT_EQ(problem, 5u);
        for (std::size_t b = 0; b < drawing.boxes.size(); ++b) {
            bool given = false;
            for (const TextRun &t : drawing.texts)
                given = given || inside(t, drawing.boxes[b]);
            EXPECT_EQ(writesOf[b], given ? 0 : 1) << "box " << b;
        }
    }
}

// Every sum and difference of numbers up to 999: each answer box's digit, every helper box's
// notations and every box's turn, as the pupil's own working has them. The whole sweep goes
// through the notations and turns the layout takes (writingOf); a sample through the layout
// itself, in the problem's own room and in the widest.
TEST(WriteOrder, SumsAndDifferencesAsThePupilWorksThem)
{
    const auto turnsOf = [](const ColumnProblem &p, int columns) {
        const bool subtraction = p.sign == Sign::Minus;
        const ColumnWork work = workOf(p, columns);
        const ColumnWriting writing = writingOf(p, work, columns);
        std::vector<std::pair<int, Box>> turns;
        turns.reserve(std::size_t(2 * columns + 2));
        for (int c = 0; c < (subtraction ? columns : columns + 1); ++c)
            turns.push_back({writing.answerTurn[std::size_t(c)],
                             {WriteRole::Answer, 0, c, {c < work.answerPlaces ? digitText(work.answer[std::size_t(c)]) : ""}}});
        for (int c = 1; c <= (subtraction ? columns - 1 : columns); ++c)
            turns.push_back({writing.helperTurn[std::size_t(c)],
                             {subtraction ? WriteRole::Borrow : WriteRole::Carry, 0, c, joined(writing.helper[std::size_t(c)])}});
        std::sort(turns.begin(), turns.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        Boxes boxes;
        boxes.reserve(turns.size());
        for (const auto &t : turns)
            boxes.push_back(t.second);
        return boxes;
    };
    const WritingRoom widest{.sumPlaces = 4, .differencePlaces = 3};
    int failures = 0, sampled = 0;
    for (const bool subtraction : {false, true})
        for (int upper = 0; upper <= 999 && failures < 5; ++upper)
            for (int lower = 0; lower <= (subtraction ? upper : 999) && failures < 5; ++lower) {
                const ColumnProblem p = wholeProblem(subtraction, upper, lower);
                const Boxes expected = pupilWorksColumns(subtraction, upper, lower, 3, true);
                if (turnsOf(p, 3) != expected) {
                    ADD_FAILURE() << problemText(p) << ": " << ::testing::PrintToString(turnsOf(p, 3)) << " but the pupil "
                                  << ::testing::PrintToString(expected);
                    ++failures;
                }
                if ((upper * 31 + lower * 17) % 997 != 0)
                    continue;
                ++sampled;
                const HelperColumns helpers{false, true, true, !subtraction};
                EXPECT_EQ(boxesOf(p, helpers), pupilWorksColumns(subtraction, upper, lower, 3, false)) << problemText(p);
                EXPECT_EQ(boxesOf(p, helpers, widest), expected) << problemText(p);
                failures += ::testing::Test::HasFailure() ? 5 : 0;
            }
    EXPECT_GT(sampled, 1000);
    // Four places, where a chain of lenders runs through two 0s.
    for (const auto &[upper, lower] : {std::pair{1000, 999}, {1000, 1}, {1001, 2}, {2005, 1996}, {1100, 1}, {9999, 9999}}) {
        SCOPED_TRACE(std::to_string(upper) + "-" + std::to_string(lower));
        const ColumnProblem p = wholeProblem(true, upper, lower);
        EXPECT_EQ(turnsOf(p, 4), pupilWorksColumns(true, upper, lower, 4, true));
        EXPECT_EQ(boxesOf(p, {false, true, true, true}, {}, 4), pupilWorksColumns(true, upper, lower, 4, false));
    }
}

// The notations a helper box takes, named: the ten written or not, a 0 that borrows to lend,
// and the highest place that lends its last 1.
TEST(WriteOrder, EveryRightNotationOfAHelperBox)
{
    using V = std::vector<std::string>;
    const struct {
        Sign sign;
        int upper, lower, columns, column;
        V notations;
    } cases[] = {
        {Sign::Minus, 922, 328, 3, 1, {"11", "1"}}, {Sign::Minus, 922, 328, 3, 2, {"8"}},
        {Sign::Minus, 645, 299, 3, 1, {"13", "3"}}, {Sign::Minus, 421, 397, 3, 1, {"11", "1"}},
        {Sign::Minus, 411, 397, 3, 1, {"10", "0"}},
        {Sign::Minus, 304, 127, 3, 1, {"9"}},       {Sign::Minus, 304, 127, 3, 2, {"2"}},
        {Sign::Minus, 100, 1, 3, 2, {"0", ""}},     {Sign::Minus, 100, 1, 3, 1, {"9"}},
        {Sign::Minus, 1000, 999, 4, 3, {"0", ""}},  {Sign::Minus, 1100, 1, 4, 2, {"0"}},
        {Sign::Minus, 645, 123, 3, 1, {""}},        {Sign::Minus, 200, 1, 3, 2, {"1"}},
        {Sign::Plus, 58, 67, 3, 1, {"1"}},          {Sign::Plus, 58, 67, 3, 2, {"1"}},
        {Sign::Plus, 12, 34, 3, 1, {""}},
    };
    for (const auto &c : cases) {
        const ColumnProblem p = wholeProblem(c.sign, c.upper, c.lower);
        SCOPED_TRACE(problemText(p) + " column " + std::to_string(c.column));
        EXPECT_EQ(writingOf(p, workOf(p, c.columns), c.columns).helper[std::size_t(c.column)], c.notations);
    }
}

// Every 2-place and 3-place dividend by a divisor of one place, every 3-place one by two
// places: the quotient digit, its product, the difference and each place brought down in the
// pupil's turns; with the widest room too, its quotient places before the first tried first.
TEST(WriteOrder, DivisionsInThePupilsTurns)
{
    const WritingRoom widest{.divisionLines = 8};
    int failures = 0;
    for (const auto &[from, to, divisors] : {std::tuple{10, 99, 9}, {100, 999, 9}, {100, 999, 99}})
        for (int divisor = divisors == 9 ? 1 : 10; divisor <= divisors && failures < 5; ++divisor)
            for (int dividend = std::max(from, divisor); dividend <= to && failures < 5; ++dividend) {
                const ColumnProblem p = wholeProblem(Sign::Divide, dividend, divisor);
                const Boxes expected = pupilDividesInTurn(dividend, divisor);
                const Boxes laid = boxesOf(p, {}, {}, 5);
                if (laid != expected) {
                    ADD_FAILURE() << problemText(p) << ": " << ::testing::PrintToString(laid) << " but the pupil "
                                  << ::testing::PrintToString(expected);
                    ++failures;
                }
                if (dividend % 7 != 0)
                    continue;
                const Boxes room = boxesOf(p, {}, widest, 5);
                Boxes first;
                for (int place = placesOf(dividend) - 1; place > expected.front().place; --place)
                    first.push_back({WriteRole::Quotient, 0, place, {""}});
                const Boxes head(room.begin(), room.begin() + std::ptrdiff_t(std::min(room.size(), first.size())));
                EXPECT_EQ(head, first) << problemText(p);
                EXPECT_EQ(keptOf(room, expected), expected) << problemText(p);
                failures += ::testing::Test::HasFailure() ? 5 : 0;
            }
}

// Every 2-place multiplicand by one and two places, and a sample of three places by two:
// row by row from the ones with each carry right after its digit, then the sum; the widest
// room keeps the same turns.
TEST(WriteOrder, ProductsRowByRowThenTheSum)
{
    const WritingRoom widest{.partialPlaces = 4, .productPlaces = 5, .twoRows = true};
    int failures = 0;
    for (int multiplicand = 10; multiplicand <= 999 && failures < 5; multiplicand += multiplicand < 100 ? 1 : 37)
        for (int multiplier = 1; multiplier <= 99 && failures < 5; ++multiplier) {
            const HelperColumns helpers{false, true, multiplicand >= 100};
            const ColumnProblem p = wholeProblem(Sign::Times, multiplicand, multiplier);
            const Boxes expected = pupilMultipliesInTurn(multiplicand, multiplier, helpers);
            const Boxes laid = boxesOf(p, helpers, {}, 5);
            if (laid != expected) {
                ADD_FAILURE() << problemText(p) << ": " << ::testing::PrintToString(laid) << " but the pupil "
                              << ::testing::PrintToString(expected);
                ++failures;
            }
            if (multiplier % 5 != 3)
                continue;
            EXPECT_EQ(keptOf(boxesOf(p, helpers, widest, 5), expected), expected) << problemText(p);
            failures += ::testing::Test::HasFailure() ? 5 : 0;
        }
}

// The answer's decimal point: noted with the answer row's boxes, right of the box the answer
// page sets it after, in the problem's own room and the widest; none for whole numbers.
TEST(WriteOrder, TheAnswersPointIsThePupils)
{
    const auto decimal = [](Sign sign, int upper, int lower, int decimals, int upperBlanks, int lowerBlanks) {
        ColumnProblem p = wholeProblem(sign, upper, lower);
        p.decimals = decimals;
        for (int c = 0; c < upperBlanks; ++c)
            p.upper[std::size_t(c)] = -1;
        for (int c = 0; c < lowerBlanks; ++c)
            p.lower[std::size_t(c)] = -1;
        return p;
    };
    const struct {
        ColumnProblem problem;
        int boxes, after;  // in the problem's own room
    } cases[] = {
        {decimal(Sign::Plus, 125, 250, 2, 0, 1), 3, 0},   // 1.25 + 2.5 = 3.75
        {decimal(Sign::Plus, 975, 25, 2, 0, 0), 4, 1},    // 9.75 + 0.25 = 10.00
        {decimal(Sign::Minus, 500, 125, 2, 2, 0), 3, 0},  // 5 - 1.25 = 3.75
        {decimal(Sign::Minus, 103, 98, 1, 0, 0), 2, 0},   // 10.3 - 9.8 = 0.5
        {decimal(Sign::Minus, 4567, 1234, 2, 0, 0), 4, 1},
        {decimal(Sign::Plus, 2345, 1255, 3, 0, 0), 4, 0},   // 2.345 + 1.255 = 3.600
        {decimal(Sign::Minus, 5000, 1255, 3, 3, 0), 4, 0},  // 5 - 1.255 = 3.745
        {wholeProblem(Sign::Plus, 58, 67), 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(problemText(c.problem));
        for (const bool widest : {false, true}) {
            Sheet sheet;
            sheet.problems = {c.problem, c.problem};
            sheet.columns = 4;
            sheet.windowLook = false;
            sheet.format.perPage = 6;
            sheet.format.widestAnswers = widest;
            sheet.room = {.sumPlaces = 5, .differencePlaces = 4, .numberPlaces = 4};
            const FixedMetrics metrics;
            const Drawing d = layOutPage(sheet, a4Paper(), metrics).drawing;
            sheet.answers = true;
            const Drawing answerPage = layOutPage(sheet, a4Paper(), metrics).drawing;
            if (c.boxes == 0) {
                EXPECT_TRUE(d.points.empty());
                continue;
            }
            ASSERT_EQ(d.points.size(), 2u);
            for (std::uint32_t problem = 0; problem < 2; ++problem) {
                const Drawing::PointWrite &point = d.points[problem];
                EXPECT_EQ(point.problem, problem);
                const int extra = int(point.boxes.size()) - c.boxes;
                EXPECT_EQ(extra, widest ? (c.problem.sign == Sign::Plus ? 5 : 4) - c.boxes : 0);
                EXPECT_EQ(point.after, c.after + extra);
                // The boxes are the problem's answer digits', left to right.
                std::vector<std::uint32_t> answers;
                for (const Drawing::Write &w : d.writes)
                    if (w.problem == problem && w.role == WriteRole::Answer)
                        answers.push_back(w.box);
                std::sort(answers.begin(), answers.end(),
                          [&](std::uint32_t a, std::uint32_t b) { return d.boxes[a].left < d.boxes[b].left; });
                EXPECT_EQ(point.boxes, answers);
                // Where the answer page sets the point: on the right edge of that box.
                const DottedBox &box = d.boxes[point.boxes[std::size_t(point.after)]];
                int points = 0;
                for (const TextRun &t : answerPage.texts)
                    if (t.text == "." && t.baseline > box.top && t.baseline < box.bottom + 2 && t.x > box.left &&
                        t.x < box.right + box.right - box.left) {
                        ++points;
                        EXPECT_NEAR(t.x + metrics.advance(t.face, t.pixelSize, ".") / 2, box.right, 1.5);
                    }
                EXPECT_EQ(points, 1);
            }
        }
    }
}

// What a screen reader says for a box: its place and what it is for, in hiragana.
TEST(WriteOrder, EachBoxIsNamedForAScreenReader)
{
    ColumnProblem decimals = wholeProblem(Sign::Plus, 125, 250);
    decimals.decimals = 2;
    decimals.lower[0] = -1;
    ColumnProblem thousandths = wholeProblem(Sign::Plus, 2345, 1255);
    thousandths.decimals = 3;
    const struct {
        ColumnProblem problem;
        HelperColumns helpers;
        std::size_t turn;
        const char *label;
    } cases[] = {
        {wholeProblem(Sign::Plus, 58, 67), {false, true, true}, 0, "いちの くらいの こたえ"},
        {wholeProblem(Sign::Plus, 58, 67), {false, true, true}, 1, "じゅうの くらいの くりあがり"},
        {wholeProblem(Sign::Minus, 922, 328), {false, true, true}, 0, "じゅうの くらいの くりさがり"},
        {wholeProblem(Sign::Minus, 922, 328), {false, true, true}, 4, "ひゃくの くらいの こたえ"},
        {decimals, {false, true, true}, 0, "100ぶんの1の くらいの こたえ"},
        {decimals, {false, true, true}, 2, "10ぶんの1の くらいの こたえ"},
        {thousandths, {false, true, true}, 0, "1000ぶんの1の くらいの こたえ"},
        {thousandths, {false, true, true}, 2, "100ぶんの1の くらいの こたえ"},
        {wholeProblem(Sign::Plus, 9999, 1), {false, true, true, true, true}, 8, "まんの くらいの こたえ"},
        {wholeProblem(Sign::Times, 48, 27), {false, true}, 0, "1だんめの いちの くらい"},
        {wholeProblem(Sign::Times, 48, 27), {false, true}, 1, "1だんめの くりあがり（じゅうの くらい）"},
        {wholeProblem(Sign::Times, 48, 27), {false, true}, 4, "2だんめの じゅうの くらい"},
        {wholeProblem(Sign::Times, 48, 27), {false, true}, 10, "せんの くらいの こたえ"},
        {wholeProblem(Sign::Divide, 754, 32), {}, 0, "しょうの じゅうの くらい"},
        {wholeProblem(Sign::Divide, 754, 32), {}, 1, "1かいめの かけざんの じゅうの くらい"},
        {wholeProblem(Sign::Divide, 754, 32), {}, 3, "1かいめの ひきざんの じゅうの くらい"},
        {wholeProblem(Sign::Divide, 754, 32), {}, 9, "2かいめの ひきざんの いちの くらい"},
        {wholeProblem(Sign::Divide, 754, 32), {}, 10, "2かいめの ひきざんの じゅうの くらい"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(problemText(c.problem) + " turn " + std::to_string(c.turn));
        ProblemLook look;
        look.problem = c.problem;
        look.columns = c.problem.sign == Sign::Plus || c.problem.sign == Sign::Minus ? 4 : 5;
        look.width = problemWidth(look.fontSize, look.columns);
        look.helperColumns = c.helpers;
        Drawing d;
        layOutProblem(look, FixedMetrics(), 0, 80, d);
        std::stable_sort(d.writes.begin(), d.writes.end(), [](const auto &a, const auto &b) { return a.order < b.order; });
        ASSERT_LT(c.turn, d.writes.size());
        EXPECT_EQ(writeLabel(d.writes[c.turn]), c.label);
    }
    EXPECT_EQ(pointLabel(), "こたえの しょうすうてん");
}
