// Long multiplication and division as the page sets them out: each line's number, the boxes,
// the rules, the bracket and the carries are read back from the layout's primitives by where
// they stand, and compared with the pupil's working done here on whole numbers; and pages of
// the widest and tallest problems at every page size, inside the sheet and apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fixed_metrics.h"
#include "problem_choice.h"
#include "sheet.h"
#include "steps.h"
#include "worksheet.h"

using namespace kolvara;

namespace {

// A number as written on one line: its digits and the place of its last one (0: the ones).
struct Written {
    std::string digits;
    int place = 0;
    friend bool operator==(const Written &, const Written &) = default;
    friend std::ostream &operator<<(std::ostream &out, const Written &w)
    {
        return out << '"' << w.digits << "\" at place " << w.place;
    }
};

std::string str(int n) { return std::to_string(n); }
int places(int n) { return int(str(n).size()); }

// The pupil's working line by line: multiplicand, multiplier, then each partial product one
// place further left and their sum; a one-place multiplier, or one ending in 0 (its tens
// times the multiplicand with the 0 set beside), gives the product at once.
std::vector<Written> pupilMultiplies(int a, int b)
{
    std::vector<Written> lines{{str(a), 0}, {str(b), 0}};
    if (b < 10 || b % 10 == 0)
        lines.push_back({str(a * b), 0});
    else
        lines.insert(lines.end(), {{str(a * (b % 10)), 0}, {str(a * (b / 10)), 1}, {str(a * b), 0}});
    return lines;
}

// What each digit of the multiplier hands on while it multiplies, the ones' row first:
// {row, place} -> the carry written above that place of the multiplicand.
std::map<std::pair<int, int>, std::string> pupilCarries(int a, int b)
{
    const std::vector<int> rowDigits = b < 10 ? std::vector<int>{b} : b % 10 == 0 ? std::vector<int>{b / 10}
                                                                                  : std::vector<int>{b % 10, b / 10};
    std::map<std::pair<int, int>, std::string> carries;
    const std::string digits = str(a);
    for (int row = 0; row < int(rowDigits.size()); ++row) {
        int carry = 0;
        for (int place = 1; place < int(digits.size()); ++place) {
            carry = ((digits[digits.size() - std::size_t(place)] - '0') * rowDigits[std::size_t(row)] + carry) / 10;
            if (carry > 0)
                carries[{row, place}] = str(carry);
        }
    }
    return carries;
}

// The pupil's division: quotient, dividend, then for each quotient digit (a 0 after the
// first is written in the quotient and passed) its product under the digits it comes from
// and what is left with the next digits brought down, to the next digit found or the ones.
std::vector<Written> pupilDivides(int dividend, int divisor)
{
    const std::string s = str(dividend);
    const int n = int(s.size());
    int next = 0, rest = 0;
    while (rest < divisor)
        rest = rest * 10 + (s[std::size_t(next++)] - '0');
    std::string quotient;
    std::vector<Written> working;
    for (;;) {
        const int digit = rest / divisor;
        quotient += char('0' + digit);
        working.push_back({str(digit * divisor), n - next});
        rest -= digit * divisor;
        while (next < n && rest * 10 + (s[std::size_t(next)] - '0') < divisor) {
            rest = rest * 10 + (s[std::size_t(next++)] - '0');
            quotient += '0';
        }
        if (next == n) {
            working.push_back({str(rest), 0});
            break;
        }
        rest = rest * 10 + (s[std::size_t(next++)] - '0');
        working.push_back({str(rest), n - next});
    }
    std::vector<Written> lines{{quotient, 0}, {s, 0}};
    lines.insert(lines.end(), working.begin(), working.end());
    return lines;
}

constexpr double Left = 40, Top = 160;
const FixedMetrics Metrics;

struct Extent {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    void add(double l, double t, double r, double b)
    {
        left = std::min(left, l), top = std::min(top, t), right = std::max(right, r), bottom = std::max(bottom, b);
    }
};

Extent extentOf(const TextRun &t)
{
    Extent e;
    e.add(t.x, t.baseline - Metrics.ascent(t.face, t.pixelSize), t.x + Metrics.advance(t.face, t.pixelSize, t.text),
          t.baseline + Metrics.descent(t.face, t.pixelSize));
    return e;
}

// One problem's page read back by position: the ones cell ends 10 pixels in from the right,
// cells are a font size wide, and line l starts where a problem of l lines would end.
struct Reading {
    std::map<int, std::map<int, char>> digits;  // line -> column -> digit
    std::map<std::pair<int, int>, double> centres;  // (line, column) -> a digit's centre
    std::set<std::pair<int, int>> boxes;
    std::map<int, Extent> lineExtents;  // of each line's digits and boxes
    std::vector<DottedBox> numberBoxes;  // on the line of the divisor and dividend
    std::map<std::pair<int, int>, std::string> helperDigits;  // (row from the nearest, place)
    std::set<std::pair<int, int>> helperBoxes;
    std::vector<Line> rules, strokes;
    std::string divisor;
    std::string answerWords;  // smaller than the digits: "20あまり3"
    Extent answerWordsExtent;
    std::string check;  // the division's check line: "19×47+4=897"
    Extent checkExtent;
    double checkSize = 0;
    double divisorRight = -1e9, dividendLeft = 1e9;
    std::string faults;
};

Reading readProblem(const ProblemLook &look, const Drawing &d)
{
    const int fs = look.fontSize;
    const auto column = [&](double x) { return int(std::floor((Left + look.width - 10 - x) / fs)); };
    const auto lineAt = [&](double y) {
        int line = 0;
        while (Top + problemHeight(fs, line + 1) <= y)
            ++line;
        return line;
    };
    const int helperPitch = helperBoxSize(fs) + 3;
    Reading r;
    for (const DottedBox &b : d.boxes) {
        if (b.bottom <= Top) {
            r.helperBoxes.insert({int((Top - b.bottom) / helperPitch), column((b.left + b.right) / 2)});
            continue;
        }
        const std::pair<int, int> cell{lineAt((b.top + b.bottom) / 2), column((b.left + b.right) / 2)};
        if (!r.boxes.insert(cell).second)
            r.faults += " two boxes in one place;";
        r.lineExtents[cell.first].add(b.left, b.top, b.right, b.bottom);
        if (cell.first == 1)
            r.numberBoxes.push_back(b);
    }
    // Where the bracket stands: the dividend's digits are right of it, the divisor's left.
    double bracketX = -1e9;
    for (const Line &l : d.lines)
        (l.y1 == l.y2 ? r.rules : r.strokes).push_back(l);
    for (const Line &l : r.strokes)
        bracketX = std::max(bracketX, std::max(l.x1, l.x2));
    for (const TextRun &t : d.texts) {
        const Extent e = extentOf(t);
        const double centre = (e.left + e.right) / 2;
        if (t.baseline <= Top) {
            r.helperDigits[{int((Top - t.baseline) / helperPitch), column(centre)}] = t.text;
            if (t.accent != look.accentAnswers)
                r.faults += " carry " + t.text + " not in the answer colour;";
            continue;
        }
        const int line = lineAt((e.top + e.bottom) / 2), col = column(centre);
        if (t.face == Face::Problem && t.pixelSize < look.pixelSize && t.text.find('=') != std::string::npos) {
            r.check += t.text;
            r.checkExtent = e;
            r.checkSize = t.pixelSize;
            if (t.accent != look.accentAnswers)
                r.faults += " '" + t.text + "' not in the answer colour;";
            continue;
        }
        if (t.face == Face::Problem && t.pixelSize < look.pixelSize) {
            r.answerWords += t.text;
            r.answerWordsExtent = e;
            if (t.accent != look.accentAnswers)
                r.faults += " '" + t.text + "' not in the answer colour;";
            continue;
        }
        if (t.text == "×") {
            if (line != 1 || col != look.columns)
                r.faults += " × out of place;";
            continue;
        }
        if (t.text.size() != 1 || t.text[0] < '0' || t.text[0] > '9') {
            r.faults += " '" + t.text + "' unexpected;";
            continue;
        }
        const bool given = line == 1 || (line == 0 && look.problem.sign == Sign::Times);
        if (t.accent != (!given && look.accentAnswers))
            r.faults += " '" + t.text + "' in the wrong colour;";
        if (line == 1 && !r.strokes.empty() && centre < bracketX) {
            r.divisor += t.text;
            r.divisorRight = std::max(r.divisorRight, e.right);
            continue;
        }
        if (line == 1)
            r.dividendLeft = std::min(r.dividendLeft, e.left);
        if (r.digits[line].count(col))
            r.faults += " two digits in one place;";
        r.digits[line][col] = t.text[0];
        r.centres[{line, col}] = centre;
        r.lineExtents[line].add(e.left, e.top, e.right, e.bottom);
    }
    return r;
}

// A line's digits from the left, each place down to the last one filled ('_' for a gap).
Written numberOn(const std::map<int, char> &digits)
{
    Written w{"", digits.begin()->first};
    for (int c = digits.rbegin()->first; c >= w.place; --c)
        w.digits += digits.count(c) ? digits.at(c) : '_';
    return w;
}

// A level line lies between two lines and reaches over the given places.
bool ruled(const Reading &r, const ProblemLook &look, int below, int highest, int lowest)
{
    const double cellLeft = Left + look.width - 10 - (highest + 1) * look.fontSize;
    const double cellRight = Left + look.width - 10 - lowest * look.fontSize;
    return std::any_of(r.rules.begin(), r.rules.end(), [&](const Line &l) {
        return l.y1 >= r.lineExtents.at(below - 1).bottom && l.y1 <= r.lineExtents.at(below).top &&
               std::min(l.x1, l.x2) <= cellLeft + 1 && std::max(l.x1, l.x2) >= cellRight - 1;
    });
}

struct LongCase {
    Sign sign;
    int upper, lower;
};

std::string nameOf(const LongCase &c) { return str(c.upper) + (c.sign == Sign::Times ? "×" : "÷") + str(c.lower); }

}  // namespace

TEST(LongLayout, WorkingReadsBackAsThePupilWritesIt)
{
    const LongCase cases[] = {
        {Sign::Times, 35, 30},   {Sign::Times, 203, 4},  {Sign::Times, 23, 4},  {Sign::Times, 31, 4},
        {Sign::Times, 48, 27},   {Sign::Times, 999, 99}, {Sign::Times, 7, 8},   {Sign::Divide, 408, 4},
        {Sign::Divide, 156, 3},  {Sign::Divide, 816, 4}, {Sign::Divide, 80, 4}, {Sign::Divide, 83, 4},
        {Sign::Divide, 91, 13},  {Sign::Divide, 78, 26}, {Sign::Divide, 999, 99}, {Sign::Divide, 100, 3},
        {Sign::Divide, 9, 9},    {Sign::Divide, 56, 7},  {Sign::Divide, 755, 3}, {Sign::Divide, 987, 1},
        {Sign::Divide, 897, 19}, {Sign::Divide, 893, 19},
    };
    // The check lines as a textbook prints them: no "+0" when nothing is left.
    const std::map<std::string, std::string> checks{
        {"897÷19", "19×47+4=897"}, {"893÷19", "19×47=893"}, {"408÷4", "4×102=408"}, {"100÷3", "3×33+1=100"},
        {"9÷9", "9×1=9"},          {"987÷1", "1×987=987"},  {"999÷99", "99×10+9=999"}, {"80÷4", "4×20=80"},
    };
    for (const LongCase &c : cases)
        for (const bool answers : {true, false})
            for (const bool check : {false, true}) {
                SCOPED_TRACE(nameOf(c) + (answers ? ", answer page" : ", problem page") + (check ? ", check line" : ""));
                const bool times = c.sign == Sign::Times;
                // The places of a sheet of three-place uppers and two-place lowers, so a smaller
                // problem must find its own places in the wider grid.
                ProblemLook look;
                look.problem = wholeProblem(c.sign, c.upper, c.lower);
                look.columns = 5;
                look.width = problemWidth(look.fontSize, look.columns);
                look.answers = look.accentAnswers = answers;
                look.helperColumns[1] = look.helperColumns[2] = times;
                look.checkLine = check;
                Drawing d;
                layOutProblem(look, Metrics, Left, Top, d);
                const Reading r = readProblem(look, d);
                EXPECT_EQ(r.faults, "");

                const std::vector<Written> expected =
                    times ? pupilMultiplies(c.upper, c.lower) : pupilDivides(c.upper, c.lower);
                EXPECT_EQ(longProblemLines(look.problem), int(expected.size()));
                for (int line = 0; line < int(expected.size()) + 2; ++line) {
                    SCOPED_TRACE("line " + str(line));
                    const bool given = line == 1 || (line == 0 && times);
                    const bool shown = line < int(expected.size()) && (answers || given);
                    const Written want = line < int(expected.size()) ? expected[std::size_t(line)] : Written{"", 99};
                    const auto found = r.digits.find(line);
                    EXPECT_EQ(found != r.digits.end() ? numberOn(found->second) : Written{}, shown ? want : Written{});
                    // A box for each place of the line, on both pages, and none elsewhere; the
                    // divisor's straight left of the dividend's.
                    for (int col = -1; col <= look.columns; ++col) {
                        const bool wanted = col >= want.place && col < want.place + int(want.digits.size());
                        const bool divisor = !times && line == 1 && col >= places(c.upper) &&
                                             col < places(c.upper) + places(c.lower);
                        EXPECT_EQ(r.boxes.count({line, col}) == 1, wanted || divisor) << "column " << col;
                    }
                }

                if (times) {
                    EXPECT_EQ(r.divisor, "");
                    EXPECT_TRUE(r.strokes.empty());
                    EXPECT_TRUE(ruled(r, look, 2, look.columns, 0)) << "no rule under the multiplier";
                    const bool twoRows = expected.size() == 5;
                    EXPECT_TRUE(!twoRows || ruled(r, look, 4, places(c.upper * c.lower) - 1, 0))
                        << "no rule under the partial products";
                    EXPECT_EQ(r.rules.size(), twoRows ? 2u : 1u);
                    // A row of boxes above the multiplicand for each digit multiplied, the first
                    // nearest, the carries written in them on the answer page only.
                    std::set<std::pair<int, int>> boxes;
                    for (int row = 0; row < (twoRows ? 2 : 1); ++row)
                        boxes.insert({{row, 1}, {row, 2}});
                    EXPECT_EQ(r.helperBoxes, boxes);
                    EXPECT_EQ(r.helperDigits, answers ? pupilCarries(c.upper, c.lower) : decltype(r.helperDigits){});
                    EXPECT_EQ(r.check, "");
                    continue;
                }
                EXPECT_EQ(r.divisor, str(c.lower));
                EXPECT_TRUE(r.helperBoxes.empty());
                // The answer in words on the answer page where something is left, left of the
                // dividend's places below the divisor, on the working's last line; a quotient
                // alone is the one over the bar.
                const int rest = c.upper % c.lower;
                EXPECT_EQ(r.answerWords, answers && rest ? str(c.upper / c.lower) + "あまり" + str(rest) : "");
                if (answers && rest) {
                    const Extent &words = r.answerWordsExtent, &last = r.lineExtents.at(int(expected.size()) - 1);
                    EXPECT_GE(words.left, Left);
                    EXPECT_LT(words.right, r.dividendLeft - 2);
                    EXPECT_GT(words.top, r.lineExtents.at(1).bottom);
                    EXPECT_GE(words.bottom, last.top);
                    EXPECT_LE(words.bottom, last.bottom);
                }
                // The check line on the answer page alone, under the working's last line, within the
                // problem's width and the one line more it is given.
                if (!(answers && check)) {
                    EXPECT_EQ(r.check, "");
                } else {
                    const std::string quotient = expected[0].digits;
                    EXPECT_EQ(r.check, str(c.lower) + "×" + quotient + (rest ? "+" + str(rest) : "") + "=" + str(c.upper));
                    if (const auto literal = checks.find(nameOf(c)); literal != checks.end()) {
                        EXPECT_EQ(r.check, literal->second);
                    }
                    const Extent &e = r.checkExtent, &last = r.lineExtents.at(int(expected.size()) - 1);
                    EXPECT_GE(e.left, Left);
                    EXPECT_LE(e.right, Left + look.width);
                    EXPECT_GT(e.top, last.bottom);
                    EXPECT_LE(e.bottom, Top + problemHeight(look.fontSize, int(expected.size()) + 1));
                    EXPECT_GE(r.checkSize, look.pixelSize * 0.4) << "too small to read";
                }
                // Each quotient digit stands straight over the dividend's digit of its place.
                if (answers)
                    for (const auto &[col, digit] : r.digits.at(0)) {
                        ASSERT_TRUE(r.centres.count({1, col})) << "no dividend place under " << digit;
                        EXPECT_EQ(r.centres.at({0, col}), r.centres.at({1, col})) << digit;
                    }
                // The bar over the dividend from the bracket; a rule under each product.
                EXPECT_TRUE(ruled(r, look, 1, places(c.upper) - 1, 0)) << "no bar over the dividend";
                std::size_t products = 0;
                for (std::size_t line = 2; line < expected.size(); line += 2, ++products) {
                    const Written &product = expected[line];
                    const int highest = product.place + int(product.digits.size()) - 1;
                    EXPECT_TRUE(ruled(r, look, int(line) + 1, highest, product.place))
                        << "no rule under the product on line " << line;
                }
                EXPECT_EQ(r.rules.size(), 1 + products);
                // The bracket hangs from the bar's left end down the dividend's line, bowing to the
                // right as a ")", between the divisor and the dividend.
                ASSERT_FALSE(r.strokes.empty());
                Extent bracket;
                for (const Line &l : r.strokes)
                    bracket.add(std::min(l.x1, l.x2), std::min(l.y1, l.y2), std::max(l.x1, l.x2), std::max(l.y1, l.y2));
                const Line &bar = *std::min_element(r.rules.begin(), r.rules.end(),
                                                    [](const Line &a, const Line &b) { return a.y1 < b.y1; });
                EXPECT_EQ(bracket.top, bar.y1);
                EXPECT_EQ(r.strokes.front().x1, std::min(bar.x1, bar.x2));
                EXPECT_GT(bracket.right - r.strokes.front().x1, look.fontSize * 0.1);
                EXPECT_GE(bracket.bottom, r.lineExtents.at(1).bottom - 3);
                EXPECT_GT(bracket.left, r.divisorRight);
                EXPECT_LT(bracket.right, r.dividendLeft);
                for (const DottedBox &b : r.numberBoxes)  // nor crosses their boxes
                    EXPECT_TRUE(b.right < bracket.left || b.left > bracket.right) << b.left << " to " << b.right;
            }
}

namespace {

// The primitives of each problem of a page, told apart by the "(k)" label laid out after
// each problem's own; the page's other texts (heading, name line, mark) on their own.
struct PageParts {
    std::vector<Extent> problems;
    std::vector<Extent> others;
};

PageParts partsOf(const Drawing &d)
{
    PageParts parts;
    Extent current;
    bool any = false;
    for (const Drawing::Step &step : d.steps) {
        if (step.kind == Drawing::Kind::Box) {
            const DottedBox &b = d.boxes[step.index];
            current.add(b.left, b.top, b.right, b.bottom), any = true;
        } else if (step.kind == Drawing::Kind::Line) {
            const Line &l = d.lines[step.index];
            current.add(std::min(l.x1, l.x2), std::min(l.y1, l.y2), std::max(l.x1, l.x2), std::max(l.y1, l.y2));
            any = true;
        } else if (step.kind == Drawing::Kind::Text) {
            const TextRun &t = d.texts[step.index];
            const Extent e = extentOf(t);
            const bool label = any && t.face == Face::Window && t.text.rfind('(', 0) == 0;
            if (t.face == Face::Problem || label)
                current.add(e.left, e.top, e.right, e.bottom), any = true;
            else
                parts.others.push_back(e);
            if (label)
                parts.problems.push_back(current), current = {}, any = false;
        }
    }
    EXPECT_FALSE(any) << "a problem without its number";
    return parts;
}

double gapBetween(const Extent &a, const Extent &b)
{
    return std::max({b.left - a.right, a.left - b.right, b.top - a.bottom, a.top - b.bottom});
}

}  // namespace

TEST(LongLayout, WidestAndTallestProblemsFitEveryPage)
{
    struct PageCase {
        Operation operation;
        const char *upper, *lower;
        std::vector<std::pair<int, int>> problems;  // laid out in turn over the page
    };
    const PageCase cases[] = {
        {Operation::Multiply, "naa", "n", {{999, 9}, {100, 1}, {999, 7}}},
        {Operation::Multiply, "naa", "nn", {{999, 99}, {999, 90}, {100, 11}}},
        {Operation::Divide, "naa", "n", {{987, 1}, {999, 9}, {100, 1}}},
        {Operation::Divide, "naa", "nn", {{999, 99}, {999, 10}, {100, 99}}},
        {Operation::Divide, "naa", "aa", {{987, 1}, {999, 99}, {56, 7}}},
    };
    const std::pair<const char *, Paper> papers[] = {
        {"A4", a4Paper()}, {"Letter", letterPaper()}, {"B5", jisB5Paper()}, {"B4", jisB4Paper()}};
    for (const PageCase &c : cases) {
        WorksheetChoice choice;
        choice.problems.operation = c.operation;
        ASSERT_EQ(readNumberPattern("--upper", c.upper, choice.problems.upper), "");
        ASSERT_EQ(readNumberPattern("--lower", c.lower, choice.problems.lower), "");
        for (const bool helpers : {false, true})
            for (const int perPage : perPageChoices(choice.problems, helpers))
                for (const auto &[paperName, paper] : papers)
                    for (const bool check : {false, true}) {
                        SCOPED_TRACE(std::string(c.upper) + (c.operation == Operation::Divide ? " ÷ " : " × ") + c.lower +
                                     ", " + str(perPage) + " a page" + (helpers ? ", helper boxes, " : ", ") + paperName +
                                     (check ? ", check lines" : ""));
                        choice.format.perPage = perPage;
                        choice.format.helperBoxes = helpers;
                        choice.format.checkLines = check;
                        choice.format.numbers = true;
                        Sheet sheet = worksheetFor(choice, 0, 7);
                        sheet.answers = true;
                        const Sign sign = c.operation == Operation::Divide ? Sign::Divide : Sign::Times;
                        for (std::size_t i = 0; i < sheet.problems.size(); ++i) {
                            const auto &[upper, lower] = c.problems[i % c.problems.size()];
                            sheet.problems[i] = wholeProblem(sign, upper, lower);
                        }
                        const int expected = perPage > 0 ? perPage : 20;
                        ASSERT_EQ(int(sheet.problems.size()), expected);
                        const SheetPage page = layOutPage(sheet, paper, Metrics);
                        const PageParts parts = partsOf(page.drawing);
                        ASSERT_EQ(int(parts.problems.size()), expected);
                        // A check line under each division asked for it, within its problem's
                        // width and its recorded area; none under a product, none unasked.
                        const ProblemGrid grid = problemGridFor(sheet);
                        const double width = problemWidth(grid.fontSize, grid.places);
                        int checks = 0;
                        for (const TextRun &t : page.drawing.texts) {
                            if (t.text.find('=') == std::string::npos)
                                continue;
                            ++checks;
                            const Extent e = extentOf(t);
                            const std::vector<Drawing::ProblemArea> &areas = page.drawing.areas;
                            const auto area = std::find_if(areas.begin(), areas.end(), [&](const auto &a) {
                                return e.left >= a.left && e.right <= a.right && e.top >= a.top && e.bottom <= a.bottom;
                            });
                            ASSERT_NE(area, areas.end()) << t.text << " outside every problem's area";
                            const double left = grid.lefts[area->problem % std::size_t(grid.columns)];
                            EXPECT_GE(e.left, left) << t.text;
                            EXPECT_LE(e.right, left + width) << t.text;
                            EXPECT_LE(area->right, left + width) << t.text;
                        }
                        EXPECT_EQ(checks, check && c.operation == Operation::Divide ? expected : 0);
                        double headingBottom = 0;
                        for (const Extent &e : parts.others)
                            if (e.bottom < SheetHeight / 2.0)
                                headingBottom = std::max(headingBottom, e.bottom);
                        // Neighbours stand at least a quarter of a cell apart, so no rule runs on
                        // into the next problem's.
                        const double apart = problemGridFor(sheet).fontSize / 4.0;
                        for (std::size_t i = 0; i < parts.problems.size(); ++i) {
                            const Extent &e = parts.problems[i];
                            SCOPED_TRACE("problem " + str(int(i) + 1));
                            EXPECT_GE(e.left, 0);
                            EXPECT_LE(e.right, SheetWidth);
                            EXPECT_GE(e.top, headingBottom);
                            EXPECT_LE(e.bottom, SheetHeight);
                            for (const Extent &other : parts.others)
                                EXPECT_GT(gapBetween(e, other), 0);
                            for (std::size_t j = i + 1; j < parts.problems.size(); ++j)
                                EXPECT_GE(gapBetween(e, parts.problems[j]), apart) << "and problem " << j + 1;
                            // The sheet's area lands inside the paper's printable area.
                            const PagePlacement &p = page.placement;  // sheet units to points
                            EXPECT_GE(p.offsetX + p.scaleX * e.left, paper.margin - 1e-9);
                            EXPECT_LE(p.offsetX + p.scaleX * e.right, paper.width - paper.margin + 1e-9);
                            EXPECT_GE(p.offsetY + p.scaleY * e.top, paper.margin - 1e-9);
                            EXPECT_LE(p.offsetY + p.scaleY * e.bottom, paper.height - paper.margin + 1e-9);
                        }
                    }
    }
}

// Every named step's sheets as kolvara-sheet makes them, at every page size and paper, both
// pages (the divisions' check lines on, and off for the problem page's own room): each
// problem keeps to itself, its rule within its own numbers and boxes, clear of the heading;
// with helper boxes, every box big enough for a pupil's pencil on paper.
TEST(LongLayout, EveryStepsPagesKeepTheirProblemsApart)
{
    const std::pair<const char *, Paper> papers[] = {
        {"A4", a4Paper()}, {"Letter", letterPaper()}, {"B5", jisB5Paper()}, {"B4", jisB4Paper()}};
    const double cellUnits = unitsForMillimetres(PencilCellMillimetres);
    for (const NamedStep &step : NamedSteps)
        for (const bool helpers : {false, true})
            for (const int perPage : perPageChoices(problemsOf(step), helpers))
                for (const auto &[paperName, paper] : papers)
                    for (const int kind : {0, 1, 2}) {  // the problem page with the widest room or its own, the answers
                        const bool answers = kind == 2;
                        SCOPED_TRACE(std::string(step.key) + ", " + str(perPage) + " a page" + (helpers ? ", helper boxes, " : ", ") +
                                     paperName + (answers ? ", answers" : kind == 1 ? ", own room" : ""));
                        WorksheetChoice choice;
                        choice.problems = problemsOf(step);
                        choice.format.perPage = perPage;
                        choice.format.helperBoxes = helpers;
                        choice.format.numbers = true;
                        choice.format.widestAnswers = kind != 1;
                        choice.format.statusLinesOnProblems = kind == 1;
                        choice.format.checkLines = kind != 1;  // a division's grid a line taller on both pages
                        Sheet sheet = worksheetFor(choice, 0, 11);
                        sheet.answers = answers;
                        sheet.format.answerLabel = answers;
                        const SheetPage page = layOutPage(sheet, paper, Metrics);
                        const Drawing &d = page.drawing;
                        const PageParts parts = partsOf(d);
                        ASSERT_EQ(parts.problems.size(), sheet.problems.size());
                        double headingBottom = 0;
                        for (const Extent &e : parts.others)
                            if (e.bottom < SheetHeight / 2.0)
                                headingBottom = std::max(headingBottom, e.bottom);
                        const int fontSize = problemGridFor(sheet).fontSize;
                        // A gap a reader sees: a millimetre or so, on the smallest paper.
                        const double apart = std::max(4.0, fontSize / 8.0);
                        for (std::size_t i = 0; i < parts.problems.size(); ++i) {
                            const Extent &e = parts.problems[i];
                            SCOPED_TRACE("problem " + str(int(i) + 1));
                            EXPECT_GE(e.left, 0);
                            EXPECT_LE(e.right, SheetWidth);
                            EXPECT_GE(e.top, headingBottom + 4) << "touches the heading";
                            EXPECT_LE(e.bottom, SheetHeight);
                            for (const Extent &other : parts.others)
                                EXPECT_GE(gapBetween(e, other), 4);
                            for (std::size_t j = i + 1; j < parts.problems.size(); ++j)
                                EXPECT_GE(gapBetween(e, parts.problems[j]), apart) << "and problem " << j + 1;
                        }
                        // Each level rule within its own problem's numbers and boxes, a little
                        // past them at most; a sign of a sum or difference within a cell of
                        // its own digits.
                        std::size_t problem = 0;
                        std::vector<Line> rules;
                        std::vector<Extent> signs, digits;
                        Extent ink;
                        const auto checkRules = [&] {
                            for (const Line &l : rules) {
                                EXPECT_GE(std::min(l.x1, l.x2), ink.left - fontSize / 2.0) << "problem " << problem + 1;
                                EXPECT_LE(std::max(l.x1, l.x2), ink.right + fontSize / 2.0) << "problem " << problem + 1;
                            }
                            for (const Extent &sign : signs) {
                                double nearest = 1e9;
                                for (const Extent &digit : digits)
                                    if (digit.top <= sign.top && digit.left > sign.right)
                                        nearest = std::min(nearest, digit.left - sign.right);
                                EXPECT_LE(nearest, fontSize) << "the sign of problem " << problem + 1;
                            }
                            rules.clear(), signs.clear(), digits.clear(), ink = {};
                        };
                        for (const Drawing::Step &st : d.steps) {
                            if (st.kind == Drawing::Kind::Box) {
                                const DottedBox &b = d.boxes[st.index];
                                ink.add(b.left, b.top, b.right, b.bottom);
                            } else if (st.kind == Drawing::Kind::Line) {
                                const Line &l = d.lines[st.index];
                                if (l.y1 == l.y2)
                                    rules.push_back(l);
                            } else if (st.kind == Drawing::Kind::Text && d.texts[st.index].face == Face::Problem) {
                                const TextRun &t = d.texts[st.index];
                                const Extent e = extentOf(t);
                                ink.add(e.left, e.top, e.right, e.bottom);
                                (t.text == "+" || t.text == "-" ? signs : digits).push_back(e);
                            } else if (st.kind == Drawing::Kind::Text && d.texts[st.index].text.rfind('(', 0) == 0 &&
                                       !rules.empty()) {
                                checkRules(), ++problem;
                            }
                        }
                        if (!helpers || !std::any_of(sheet.helperColumns.begin(), sheet.helperColumns.end(),
                                                     [](bool b) { return b; }))
                            continue;
                        // On paper: every digit's cell and every helper box a pencil's size.
                        const PagePlacement &p = page.placement;
                        const auto mm = [&](double units) { return units * std::min(p.scaleX, p.scaleY) * 25.4 / 72; };
                        EXPECT_GE(fontSize, cellUnits);
                        std::vector<bool> helper(d.boxes.size(), false);
                        for (const Drawing::Write &w : d.writes)
                            helper[w.box] = w.helper;
                        for (std::size_t b = 0; b < d.boxes.size(); ++b) {
                            const DottedBox &box = d.boxes[b];
                            const double least = helper[b] ? PencilHelperMillimetres : PencilCellMillimetres;
                            EXPECT_GE(mm(std::min(box.right - box.left, box.bottom - box.top)), least - 1e-9) << "box " << b;
                        }
                    }
}
