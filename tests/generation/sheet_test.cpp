// The sheet's layout on its primitives: where problems, boxes, answers and labels go.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fixed_metrics.h"
#include "sheet.h"

using namespace kolvara;

namespace {


std::vector<TextRun> problemTexts(const Drawing &d)
{
    std::vector<TextRun> out;
    std::copy_if(d.texts.begin(), d.texts.end(), std::back_inserter(out),
                 [](const TextRun &t) { return t.face == Face::Problem; });
    return out;
}

// The digits of a line of one problem, read left to right from the runs inside its area.
std::string lineAt(const std::vector<TextRun> &runs, double left, double top, double bottom)
{
    std::vector<TextRun> inside;
    for (const TextRun &t : runs)
        if (t.x >= left && t.x < left + 140 && t.baseline > top && t.baseline <= bottom)
            inside.push_back(t);
    std::sort(inside.begin(), inside.end(), [](const TextRun &a, const TextRun &b) { return a.x < b.x; });
    std::string line;
    for (const TextRun &t : inside)
        line += t.text;
    return line;
}

// A drawn item's rectangle, texts as the metrics measure them, and whether it is the page's
// own (its heading, labels and mark) rather than a problem's.
struct Rect {
    double left, top, right, bottom;
    bool page = false;
};

std::vector<Rect> itemsOf(const Drawing &d, const TextMetrics &m)
{
    std::vector<Rect> items;
    for (const DottedBox &b : d.boxes)
        items.push_back({b.left, b.top, b.right, b.bottom});
    for (const Line &l : d.lines)
        items.push_back({std::min(l.x1, l.x2), std::min(l.y1, l.y2), std::max(l.x1, l.x2), std::max(l.y1, l.y2)});
    for (const TextRun &t : d.texts)
        items.push_back({t.x, t.baseline - m.ascent(t.face, t.pixelSize), t.x + m.advance(t.face, t.pixelSize, t.text),
                         t.baseline + m.descent(t.face, t.pixelSize), t.face == Face::Window && t.text.front() != '('});
    return items;
}

bool holds(const Drawing::ProblemArea &a, const Rect &r)
{
    return r.left >= a.left && r.right <= a.right && r.top >= a.top && r.bottom <= a.bottom;
}

}  // namespace

TEST(SheetLayout, PagesOfProblems)
{
    const struct {
        const char *what;
        std::vector<SheetProblem> problems;
        int perRow;
        bool boxes, answers;
        // The last problem: where it starts, its three lines, and how many boxes it has.
        double lastLeft, lastTop;
        std::string upper, lower, answer;
        std::size_t lastBoxes;
    } cases[] = {
        {"5 a row", std::vector<SheetProblem>(20, wholeProblem(false, 47, 385)), 5, true, false, 832, 576, "47", "+385", "", 8},
        {"7 a row", std::vector<SheetProblem>(28, wholeProblem(false, 5, 7)), 7, true, false, 890, 576, "5", "+7", "", 4},
        {"answer page", std::vector<SheetProblem>(20, wholeProblem(false, 999, 999)), 5, true, true, 832, 576, "999", "+999", "1998", 10},
        {"boxes off", std::vector<SheetProblem>(20, wholeProblem(false, 105, 5)), 5, false, true, 832, 576, "105", "+5", "110", 0},
        {"difference", std::vector<SheetProblem>(20, wholeProblem(true, 304, 127)), 5, true, true, 832, 576, "304", "-127", "177", 9},
        {"negative difference", std::vector<SheetProblem>(20, wholeProblem(true, 12, 345)), 5, true, true, 832, 576, "12", "-345", "", 6},
        {"zero", std::vector<SheetProblem>(1, wholeProblem(false, 0, 0)), 5, true, true, 32, 48, "0", "+0", "0", 3},
    };
    const FixedMetrics metrics;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sheet sheet;
        sheet.problems = c.problems;
        sheet.problemsPerRow = c.perRow;
        sheet.boxes = c.boxes;
        sheet.answers = c.answers;
        const SheetPage page = layOutPage(sheet, a4Paper(), metrics);
        const std::vector<TextRun> runs = problemTexts(page.drawing);
        // Font size 30 at 96 dpi: the lines' baselines lie 32 (0.8 em) below their tops 1, 43 and 86.
        EXPECT_EQ(lineAt(runs, c.lastLeft, c.lastTop, c.lastTop + 44), c.upper);
        EXPECT_EQ(lineAt(runs, c.lastLeft, c.lastTop + 44, c.lastTop + 87), c.lower);
        EXPECT_EQ(lineAt(runs, c.lastLeft, c.lastTop + 87, c.lastTop + 130), c.answer);
        EXPECT_EQ(std::count_if(page.drawing.boxes.begin(), page.drawing.boxes.end(),
                                [&](const DottedBox &b) { return b.left >= c.lastLeft - 1 && b.top >= c.lastTop - 1; }),
                  long(c.lastBoxes));
        // One rule a problem, as wide as the problem, on no backing: paper needs none.
        EXPECT_EQ(page.drawing.lines.size(), c.problems.size());
        EXPECT_EQ(page.drawing.lines.back().x2 - page.drawing.lines.back().x1, 139);
        EXPECT_TRUE(page.drawing.backings.empty());
        for (const DottedBox &b : page.drawing.boxes)
            EXPECT_TRUE(b.left >= 0 && b.right <= SheetWidth && b.top >= 0 && b.bottom <= SheetHeight);
    }
}

TEST(SheetLayout, LabelsAndMark)
{
    Sheet sheet;
    sheet.heading = "計算";
    sheet.dateNameLine = "なまえ";
    sheet.programLabel = "Kolvara";
    sheet.statusLines = {"a", "b", "c"};
    sheet.mark = "No.1";
    const FixedMetrics metrics;
    const auto find = [](const SheetPage &page, const std::string &text) {
        return std::find_if(page.drawing.texts.begin(), page.drawing.texts.end(),
                            [&](const TextRun &t) { return t.text == text; });
    };
    SheetPage page = layOutPage(sheet, a4Paper(), metrics);
    ASSERT_NE(find(page, "計算"), page.drawing.texts.end());
    EXPECT_DOUBLE_EQ(find(page, "計算")->x, 8);
    // Centred in its 29 pixel high box at 8: (29 - 29) / 2 + 0.8 x 29.
    EXPECT_DOUBLE_EQ(find(page, "なまえ")->baseline, 8 + 0.8 * 29);
    EXPECT_TRUE(find(page, "なまえ")->underline);
    // Right-aligned 4 pixels in from the sheet's bottom-right corner.
    EXPECT_DOUBLE_EQ(find(page, "No.1")->x + 4 * 0.5 * 11, SheetWidth - 4);
    EXPECT_DOUBLE_EQ(find(page, "No.1")->baseline, SheetHeight - 4 - 0.2 * 11);
    EXPECT_NE(find(page, "b"), page.drawing.texts.end());

    // The status lines kept for the answer page: the label stays on both.
    sheet.format.statusLinesOnProblems = false;
    for (const bool answers : {false, true}) {
        sheet.answers = answers;
        page = layOutPage(sheet, a4Paper(), metrics);
        EXPECT_NE(find(page, "Kolvara"), page.drawing.texts.end());
        EXPECT_EQ(find(page, "b") != page.drawing.texts.end(), answers);
    }
    sheet.answers = false;

    sheet.showProgramLabel = false;
    sheet.mark.clear();
    page = layOutPage(sheet, a4Paper(), metrics);
    EXPECT_EQ(find(page, "Kolvara"), page.drawing.texts.end());
    EXPECT_EQ(find(page, "b"), page.drawing.texts.end());
    EXPECT_EQ(find(page, "No.1"), page.drawing.texts.end());
}

// On screen each place is drawn whole before the next: the inside of its box in the paper's
// colour, the box, then the digit on a backing one em high that spares the box's bottom edge.
TEST(SheetLayout, ScreenDrawsPlaceByPlace)
{
    ProblemLook look;
    look.problem = wholeProblem(false, 789, 456);
    look.answers = true;
    look.backings = true;
    Drawing drawing;
    layOutProblem(look, FixedMetrics(), 0, 0, drawing);
    using K = Drawing::Kind;
    std::string kinds;
    for (const Drawing::Step &step : drawing.steps)
        kinds += "bxlt"[int(step.kind)];
    // Three upper places, the sign, three lower places, four answer places, the rule.
    EXPECT_EQ(kinds, "bxbtbxbtbxbt" "bt" "bxbtbxbtbxbt" "bxbtbxbtbxbtbxbt" "l");
    for (std::size_t i = 0; i < drawing.steps.size(); ++i) {
        if (drawing.steps[i].kind != K::Text)
            continue;
        const Backing &under = drawing.backings[drawing.steps[i - 1].index];
        const TextRun &text = drawing.texts[drawing.steps[i].index];
        EXPECT_EQ(under.height, 40);
        EXPECT_NEAR(under.left + under.width / 2, text.x + FixedMetrics().advance(Face::Problem, 40, text.text) / 2, 0.5);
    }
}

TEST(SheetLayout, FitToPage)
{
    const struct {
        const char *what;
        IntSize image, printable, fitted;
    } cases[] = {
        // Fills the height: W x PH / H stays below PW.
        {"height, fraction up", {400, 300}, {1000, 500}, {667, 500}},
        {"height, fraction down", {400, 300}, {1000, 700}, {933, 700}},
        {"height, half to even below", {402, 200}, {13000, 4850}, {9748, 4850}},
        {"height, half to even above", {406, 200}, {13000, 4850}, {9846, 4850}},
        {"height, just narrower", {799, 400}, {1000, 500}, {999, 500}},
        // Fills the width: W x PH / H reaches PW.
        {"width, wide image", {800, 200}, {1000, 500}, {1000, 250}},
        {"width, same proportions", {200, 100}, {1000, 500}, {1000, 500}},
        {"width, just wider", {801, 400}, {1000, 500}, {1000, 499}},
        {"width, rounding reaches PW", {1999, 1000}, {1000, 500}, {1000, 500}},
        {"width, half to even below", {200, 100}, {13001, 9000}, {13001, 6500}},
        {"width, half to even above", {200, 100}, {13003, 9000}, {13003, 6502}},
        {"empty image", {0, 300}, {1000, 500}, {}},
        {"empty page", {400, 300}, {1000, 0}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fitToPage(c.image, c.printable), c.fitted);
    }
}

// The sheet fills the printable area's height on A4 and its width on Letter, centred.
TEST(SheetLayout, PlacementOnPaper)
{
    const struct {
        const char *what;
        Paper paper;
        double fittedWidth, fittedHeight;  // dots at 96 an inch
    } cases[] = {{"A4", a4Paper(), 1009, 719}, {"Letter", letterPaper(), 982, 700}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const PagePlacement p = placeOnPaper(c.paper);
        EXPECT_NEAR(p.scaleX * SheetWidth, c.fittedWidth * 0.75, 1e-9);
        EXPECT_NEAR(p.scaleY * SheetHeight, c.fittedHeight * 0.75, 1e-9);
        // Equal room left and right, above and below, within the whole-dot margins.
        EXPECT_NEAR(2 * p.offsetX + p.scaleX * SheetWidth, c.paper.width, 0.75);
        EXPECT_NEAR(2 * p.offsetY + p.scaleY * SheetHeight, c.paper.height, 0.75);
    }
}

// Fewer problems a page grow to fill it, inside the printable area, apart, boxes in proportion.
TEST(SheetLayout, ProblemsPerPage)
{
    const struct {
        int perPage, problemsPerRow;
        bool helperBoxes;
        int columns, rows;
    } cases[] = {{6, 5, false, 3, 2}, {8, 5, true, 4, 2}, {12, 7, false, 4, 3}, {0, 5, true, 5, 4}, {0, 7, true, 7, 4}};
    int lastFontSize = 1000;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.perPage) + " a page");
        Sheet sheet;
        sheet.format.perPage = c.perPage;
        sheet.problemsPerRow = c.problemsPerRow;
        sheet.format.helperBoxes = c.helperBoxes;
        sheet.helperColumns = {false, true, true, true};
        sheet.format.numbers = true;
        sheet.answers = true;
        sheet.problems.assign(std::size_t(c.columns * c.rows), wholeProblem(false, 999, 999));
        const ProblemGrid grid = problemGridFor(sheet);
        EXPECT_EQ(grid.columns, c.columns);
        EXPECT_EQ(grid.rows, c.rows);
        if (c.perPage) {
            EXPECT_LT(grid.fontSize, lastFontSize);  // fewer problems, larger digits
            lastFontSize = grid.fontSize;
        }
        const SheetPage page = layOutPage(sheet, a4Paper(), FixedMetrics());
        // Every box inside the sheet's area, in the proportions of the screen's boxes.
        for (const DottedBox &b : page.drawing.boxes) {
            EXPECT_GE(b.left, 0);
            EXPECT_LE(b.right, SheetWidth);
            EXPECT_GE(b.top, 40);
            EXPECT_LE(b.bottom, SheetHeight - 20);
        }
        // Problems apart: each one's numbers, rule and answer clear of its neighbours'.
        for (std::size_t i = 1; i < page.drawing.lines.size(); ++i) {
            const Line &a = page.drawing.lines[i - 1], &b = page.drawing.lines[i];
            if (a.y1 == b.y1) {
                EXPECT_GT(b.x1, a.x2);
            }
        }
        EXPECT_GE(grid.tops.back() + problemHeight(grid.fontSize), grid.tops.front());
        EXPECT_LE(grid.tops.back() + problemHeight(grid.fontSize), 700);
        // "(n)" for every problem.
        EXPECT_EQ(std::count_if(page.drawing.texts.begin(), page.drawing.texts.end(),
                                [](const TextRun &t) { return t.text.front() == '('; }),
                  long(sheet.problems.size()));
    }
    // 6 a page: digits about 20 mm high on A4 (font size in points x 4/3 pixels, on A4 0.742 pt a pixel).
    Sheet six;
    six.format.perPage = 6;
    const double millimetres = problemGridFor(six).fontSize * 4.0 / 3 * placeOnPaper(a4Paper()).scaleY * 25.4 / 72;
    EXPECT_NEAR(millimetres, 20, 1.5);
}

TEST(SheetLayout, ScoreClassLineAndAnswerKeyLabel)
{
    Sheet sheet;
    sheet.heading = "計算しましょう。";
    sheet.dateNameLine = "　月　日（　　）なまえ　　　　";
    sheet.problems.assign(20, SheetProblem{Sign::Minus, 2});
    sheet.format.classLine = true;
    sheet.format.score = true;
    sheet.format.answerLabel = true;
    sheet.format.redAnswers = true;
    const auto find = [](const SheetPage &page, const std::string &text) {
        return std::find_if(page.drawing.texts.begin(), page.drawing.texts.end(),
                            [&](const TextRun &t) { return t.text.find(text) != std::string::npos; });
    };
    SheetPage page = layOutPage(sheet, a4Paper(), FixedMetrics());
    EXPECT_EQ(find(page, "こたえ"), page.drawing.texts.end());  // the problem page has none
    const auto score = find(page, "／20");
    ASSERT_NE(score, page.drawing.texts.end());
    const auto line = find(page, "組");
    ASSERT_NE(line, page.drawing.texts.end());
    EXPECT_NE(line->text.find("　年　組　番　なまえ"), std::string::npos);
    // The shrunk date line ends before the score box.
    EXPECT_LT(line->x + FixedMetrics().advance(Face::Window, line->pixelSize, line->text), score->x);

    sheet.answers = true;
    page = layOutPage(sheet, a4Paper(), FixedMetrics());
    const auto label = find(page, "こたえ");
    ASSERT_NE(label, page.drawing.texts.end());
    EXPECT_TRUE(label->accent);
    EXPECT_LE(label->x + FixedMetrics().advance(Face::Window, label->pixelSize, label->text), 304);
}

// The widest problems (four places and three decimals, a carry into a fifth place) fit the page
// at every size, helper boxes, numbers and the answer's extra place included, and never overlap.
TEST(SheetLayout, WideProblemsFitEveryPageSize)
{
    ColumnProblem widest;
    widest.decimals = 3;
    widest.upper = {9, 9, 9, 9, 9, 9, 9};
    widest.lower = {9, 9, 9, 9, 9, 9, 9};
    for (const int perPage : {0, 12, 8, 6})
        for (const bool helpers : {false, true}) {
            SCOPED_TRACE(std::to_string(perPage) + (helpers ? " a page, helper boxes" : " a page"));
            Sheet sheet;
            sheet.columns = 7;
            sheet.answers = true;
            sheet.format.perPage = perPage;
            sheet.format.helperBoxes = helpers;
            sheet.format.numbers = true;
            sheet.helperColumns.fill(true);
            sheet.problems.assign(std::size_t(perPage ? perPage : 20), widest);
            const ProblemGrid grid = problemGridFor(sheet);
            const SheetPage page = layOutPage(sheet, a4Paper(), FixedMetrics());
            const FixedMetrics metrics;
            for (const DottedBox &b : page.drawing.boxes) {
                EXPECT_GE(b.left, 0);
                EXPECT_LE(b.right, SheetWidth);
                EXPECT_GE(b.top, 0);
                EXPECT_LE(b.bottom, SheetHeight);
            }
            for (const TextRun &t : page.drawing.texts) {
                EXPECT_GE(t.x, 0) << t.text;
                EXPECT_LE(t.x + metrics.advance(t.face, t.pixelSize, t.text), SheetWidth) << t.text;
            }
            // Neighbours stand apart: each problem is narrower than the step to the next.
            for (std::size_t c = 1; c < grid.lefts.size(); ++c)
                EXPECT_GE(grid.lefts[c] - grid.lefts[c - 1], problemWidth(grid.fontSize, sheet.columns));
            for (std::size_t r = 1; r < grid.tops.size(); ++r)
                EXPECT_GE(grid.tops[r] - grid.tops[r - 1], problemHeight(grid.fontSize) + (helpers ? helperBoxSize(grid.fontSize) : 0));
        }
}

// Each problem's area is the rectangle of its own ink: every box, line and text of the
// problems lies in exactly one area, each area is no larger than what lies in it, each write
// lies in its own problem's, and neighbours' areas never overlap.
TEST(SheetLayout, EachProblemsAreaHoldsItsInk)
{
    ColumnProblem decimals;
    decimals.decimals = 2;
    decimals.upper = {5, 0, 9, 1, -1, -1};
    decimals.lower = {7, 9, 4, -1, -1, -1};
    const struct {
        const char *what;
        std::vector<SheetProblem> problems;
        int perPage, perRow;
        bool windowLook, answers, helperBoxes, numbers;
        WritingRoom room;
    } cases[] = {
        {"window, 5 a row", std::vector<SheetProblem>(20, wholeProblem(false, 999, 999)), 0, 5, true, true, false, true, {}},
        {"window, 7 a row, helper boxes", std::vector<SheetProblem>(28, wholeProblem(true, 302, 145)), 0, 7, true, true, true, false, {}},
        {"one place, 6 a page", std::vector<SheetProblem>(6, wholeProblem(false, 5, 7)), 6, 5, false, true, false, true, {}},
        {"decimals, 6 a page, widest", std::vector<SheetProblem>(6, decimals), 6, 5, false, false, true, true,
         {.sumPlaces = 5, .numberPlaces = 4}},
        {"products, 8 a page", {wholeProblem(Sign::Times, 47, 38), wholeProblem(Sign::Times, 305, 7), wholeProblem(Sign::Times, 99, 99),
                                wholeProblem(Sign::Times, 60, 40)}, 8, 5, false, true, true, true, {}},
        {"products, widest", std::vector<SheetProblem>(8, wholeProblem(Sign::Times, 86, 7)), 8, 5, false, false, true, false,
         {.partialPlaces = 4, .productPlaces = 5, .twoRows = true}},
        {"quotients, 12 a page", {wholeProblem(Sign::Divide, 812, 4), wholeProblem(Sign::Divide, 754, 32), wholeProblem(Sign::Divide, 95, 7),
                                  wholeProblem(Sign::Divide, 3, 5)}, 12, 5, false, true, false, false, {}},
        {"quotients, widest", std::vector<SheetProblem>(6, wholeProblem(Sign::Divide, 96, 8)), 6, 5, false, false, false, true,
         {.divisionLines = 8}},
    };
    const FixedMetrics metrics;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sheet sheet = sheetFromProblems(c.problems, c.perRow, SheetFormat{.helperBoxes = c.helperBoxes, .numbers = c.numbers,
                                                                          .perPage = c.perPage, .widestAnswers = true});
        sheet.columns = c.problems.front().sign == Sign::Plus || c.problems.front().sign == Sign::Minus ? 4 : 5;
        sheet.windowLook = c.windowLook;
        sheet.answers = c.answers;
        sheet.room = c.room;
        sheet.helperColumns.fill(true);
        sheet.mark = "No.1";
        const Drawing d = layOutPage(sheet, a4Paper(), metrics).drawing;
        ASSERT_EQ(d.areas.size(), c.problems.size());
        for (std::size_t i = 0; i < d.areas.size(); ++i) {
            EXPECT_EQ(d.areas[i].problem, i);
            for (std::size_t k = i + 1; k < d.areas.size(); ++k) {
                const Drawing::ProblemArea &a = d.areas[i], &b = d.areas[k];
                EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                    << "problems " << i << " and " << k;
            }
        }
        std::vector<Rect> extents(d.areas.size(), Rect{1e9, 1e9, -1e9, -1e9});  // of what lies in each
        for (const Rect &r : itemsOf(d, metrics)) {
            const auto count = std::count_if(d.areas.begin(), d.areas.end(), [&](const auto &a) { return holds(a, r); });
            EXPECT_EQ(count, r.page ? 0 : 1) << r.left << "," << r.top << " " << r.right << "," << r.bottom;
            if (r.page)
                continue;
            for (std::size_t i = 0; i < d.areas.size(); ++i)
                if (holds(d.areas[i], r))
                    extents[i] = {std::min(extents[i].left, r.left), std::min(extents[i].top, r.top),
                                  std::max(extents[i].right, r.right), std::max(extents[i].bottom, r.bottom)};
        }
        for (std::size_t i = 0; i < d.areas.size(); ++i) {
            const Drawing::ProblemArea &a = d.areas[i];
            const bool drawn = extents[i].left <= extents[i].right;
            if (drawn) {
                EXPECT_DOUBLE_EQ(extents[i].left, a.left) << "problem " << i;
                EXPECT_DOUBLE_EQ(extents[i].top, a.top) << "problem " << i;
                EXPECT_DOUBLE_EQ(extents[i].right, a.right) << "problem " << i;
                EXPECT_DOUBLE_EQ(extents[i].bottom, a.bottom) << "problem " << i;
            }
            EXPECT_EQ(drawn, sheet.problems[i] != wholeProblem(Sign::Divide, 3, 5) || c.numbers) << "problem " << i;
        }
        for (const Drawing::Write &w : d.writes) {
            const DottedBox &b = d.boxes[w.box];
            EXPECT_TRUE(holds(d.areas[w.problem], {b.left, b.top, b.right, b.bottom})) << "box " << w.box;
        }
    }
}
