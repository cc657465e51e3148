// The places a pupil writes in, as the practice on a tablet walks them: every box the pupil
// fills, in the order pupils write, with what belongs there, and nothing else.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixed_metrics.h"
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
