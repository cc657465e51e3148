// The answer page against a pupil working every problem on paper: the two numbers, the digits
// of the answer with its point and struck zeros, what is written in each helper box and which
// digits are struck through are read back from the layout's primitives and compared with the
// pupil's own column-by-column working, which is written here from the way it is taught, not
// from the layout. Every pair where the pairs are few enough, a seeded sample elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "feasibility.h"
#include "fixed_metrics.h"
#include "problem_choice.h"
#include "sheet.h"
#include "steps.h"

using namespace kolvara;

namespace {

constexpr int Places = MaxColumns + 1;  // the columns and the place a last carry reaches

// A number as the pupil copies it: `value` in units of its last place, `decimals` of its
// places after the point (2.7 is {27, 1}, 5 is {5, 0}).
struct Operand {
    std::int64_t value = 0;
    int decimals = 0;
};

std::int64_t tenTo(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// A short text as written or read on the page, kept without allocating: the sweeps read
// millions of pages.
class Text {
public:
    Text() = default;
    Text(std::string_view text)
    {
        for (const char c : text)
            *this += c;
    }
    Text(const char *text) : Text(std::string_view(text)) {}
    Text(const std::string &text) : Text(std::string_view(text)) {}
    Text &operator+=(char c)
    {
        if (size_ < chars_.size())  // longer only on a garbled page, which differs anyway
            chars_[size_++] = c;
        return *this;
    }
    bool empty() const { return size_ == 0; }
    std::string str() const { return {chars_.data(), size_}; }
    friend bool operator==(const Text &, const Text &) = default;

private:
    std::array<char, 23> chars_{};
    std::size_t size_ = 0;
};

// As it is copied: the whole part (0 before the point of 0.5), then the point and every
// decimal place the number has.
Text written(Operand n)
{
    std::array<char, 20> digits{};
    std::size_t count = 0;
    std::int64_t rest = n.value;
    do {
        digits[count++] = char('0' + rest % 10);
        rest /= 10;
    } while (rest > 0 || count <= std::size_t(n.decimals));
    Text text;
    while (count-- > 0) {
        text += digits[count];
        if (count == std::size_t(n.decimals) && count > 0)
            text += '.';
    }
    return text;
}

// What the page shows: both numbers and the answer as read (a struck digit or point followed
// by '/', a missing digit between others as '_'), above each column (smallest place first)
// the small number written there ("" for nothing), and whether the digit below it is struck.
struct Working {
    Text upper, lower, answer;
    std::array<Text, Places> above;
    std::array<bool, Places> struck{};
    friend bool operator==(const Working &, const Working &) = default;
};

std::string describe(const Working &w, int columns)
{
    std::string s = w.upper.str() + " / " + w.lower.str() + " / answer " + (w.answer.empty() ? "none" : w.answer.str()) +
                    ", above the places from the left:";
    for (int c = columns; c >= 1; --c)
        s += " [" + w.above[std::size_t(c)].str() + (w.struck[std::size_t(c)] ? "/" : "") + "]";
    return s;
}

// The pupil's sheet of one problem: both numbers with their points in one column, each place
// a digit; the places a number has not are blank on paper and 0 in the arithmetic.
struct Paper {
    int decimals = 0;  // places after the point
    int columns = 0;   // places set out
    std::array<int, Places> top{}, bottom{};
    std::array<bool, Places> topBlank{};
};

Paper setOut(Operand upper, Operand lower, int columns)
{
    Paper p;
    p.decimals = std::max(upper.decimals, lower.decimals);
    p.columns = columns;
    std::int64_t a = upper.value * tenTo(p.decimals - upper.decimals);
    std::int64_t b = lower.value * tenTo(p.decimals - lower.decimals);
    for (int c = 0; c < Places; ++c, a /= 10, b /= 10) {
        p.top[std::size_t(c)] = int(a % 10);
        p.bottom[std::size_t(c)] = int(b % 10);
        p.topBlank[std::size_t(c)] = c < p.decimals - upper.decimals;
    }
    return p;
}

// The answer as written: the whole part without its leading zeros (the ones always), the
// point and every decimal place. Zeros at the end of the decimal part are struck through,
// and the point with them when every decimal is 0 (4.00 is read 4).
Text writeAnswer(const std::array<int, Places> &digits, int decimals)
{
    int highest = Places - 1;
    while (highest > decimals && digits[std::size_t(highest)] == 0)
        --highest;
    int zeros = 0;
    while (zeros < decimals && digits[std::size_t(zeros)] == 0)
        ++zeros;
    Text s;
    for (int c = highest; c >= 0; --c) {
        if (c == decimals - 1) {
            s += '.';
            if (zeros == decimals)
                s += '/';
        }
        s += char('0' + digits[std::size_t(c)]);
        if (c < zeros)
            s += '/';
    }
    return s;
}

// Adding: each column's digits and the carried 1; ten or more writes its ones below and a
// small 1 above the next column (the place left of the columns too).
Working pupilAdds(const Paper &p)
{
    Working w;
    std::array<int, Places> answer{};
    int carried = 0;
    for (int c = 0; c < p.columns; ++c) {
        const int sum = p.top[std::size_t(c)] + p.bottom[std::size_t(c)] + carried;
        answer[std::size_t(c)] = sum % 10;
        carried = sum / 10;
        if (carried)
            w.above[std::size_t(c + 1)] = "1";
    }
    answer[std::size_t(p.columns)] = carried;
    w.answer = writeAnswer(answer, p.decimals);
    return w;
}

// Subtracting: a column whose top digit is too small borrows from the nearest non-zero digit
// to its left, which is struck and written one less; every 0 passed on the way becomes 10
// and lends one in turn, so it is struck and written 9. A blank place lends like a 0, its 9
// written above the blank with nothing to strike. The borrowing column takes ten. A digit
// that lent shows what it finally became.
Working pupilSubtracts(const Paper &p)
{
    Working w;
    std::array<int, Places> top = p.top;
    std::array<bool, Places> lent{};
    std::array<int, Places> answer{};
    for (int c = 0; c < p.columns; ++c) {
        const auto here = std::size_t(c);
        if (top[here] < p.bottom[here]) {
            std::size_t from = here + 1;
            while (top[from] == 0)
                ++from;
            --top[from];
            lent[from] = true;
            for (std::size_t between = from - 1; between > here; --between) {
                top[between] = 9;
                lent[between] = true;
            }
            top[here] += 10;
        }
        answer[here] = top[here] - p.bottom[here];
    }
    for (std::size_t c = 1; c < std::size_t(Places); ++c)
        if (lent[c]) {
            w.above[c] = std::to_string(top[c]);
            w.struck[c] = !p.topBlank[c];
        }
    w.answer = writeAnswer(answer, p.decimals);
    return w;
}

bool isLess(Operand a, Operand b)
{
    const int decimals = std::max(a.decimals, b.decimals);
    return a.value * tenTo(decimals - a.decimals) < b.value * tenTo(decimals - b.decimals);
}

// The whole working; a difference below 0 has no answer, so nothing is written.
Working pupilWorks(bool subtraction, Operand upper, Operand lower, int columns)
{
    const Paper p = setOut(upper, lower, columns);
    Working w = subtraction && isLess(upper, lower) ? Working{} : subtraction ? pupilSubtracts(p) : pupilAdds(p);
    w.upper = written(upper);
    w.lower = written(lower);
    return w;
}

// The problem as the sheet holds it: digits by column, -1 for a decimal place a number has
// not. Whole places above a number's digits are 0, or -1 as a pattern shorter than the grid
// leaves them (`blankAbove`); the page shows neither.
ColumnProblem problemOf(bool subtraction, Operand upper, Operand lower, bool blankAbove = false)
{
    ColumnProblem problem;
    problem.sign = subtraction ? Sign::Minus : Sign::Plus;
    problem.decimals = std::max(upper.decimals, lower.decimals);
    const auto fill = [&](std::array<std::int8_t, MaxColumns> &digits, Operand n) {
        const int missing = problem.decimals - n.decimals;
        std::int64_t rest = n.value;
        for (int c = 0; c < MaxColumns; ++c) {
            const bool above = rest == 0 && c > problem.decimals;
            digits[std::size_t(c)] = c < missing || (above && blankAbove) ? std::int8_t(-1) : std::int8_t(rest % 10);
            if (c >= missing)
                rest /= 10;
        }
    };
    fill(problem.upper, upper);
    fill(problem.lower, lower);
    return problem;
}

constexpr double Top = 100;  // where each problem is laid out

enum Row { UpperRow, LowerRow, AnswerRow, Rows };

// Reads the working back from the answer page, and says what is wrong with how it is drawn.
class Reader {
public:
    explicit Reader(const ProblemLook &look) : look_(look) {}

    Working read(const Drawing &d, std::string &faults)
    {
        const double fs = look_.fontSize;
        const double rule = Top + problemRuleY(look_.fontSize);
        const auto rowAt = [&](double y) { return y <= Top + 1.5 * fs ? UpperRow : y < rule ? LowerRow : AnswerRow; };
        digits_ = {};
        boxes_ = {};
        cellStrokes_ = {};
        points_.fill(-1);
        pointStruck_ = false;
        std::array<double, Rows> baselines{};
        std::array<double, Rows> pointBaselines{};
        std::array<const DottedBox *, Places> helperBoxes{};
        Working w;
        const char sign = (look_.problem.sign == Sign::Minus) ? '-' : '+';

        for (const DottedBox &b : d.boxes) {
            const int column = columnAt((b.left + b.right) / 2);
            if (b.bottom <= Top) {
                if (column < 1 || column > look_.columns || !look_.helperColumns[std::size_t(column)] ||
                    helperBoxes[std::size_t(column)])
                    faults += " a helper box where none belongs;";
                else
                    helperBoxes[std::size_t(column)] = &b;
            } else if (column < 0 || column >= Places) {
                faults += " a place box outside the columns;";
            } else {
                ++boxes_[rowAt((b.top + b.bottom) / 2)][std::size_t(column)];
            }
        }
        for (int c = 1; c <= look_.columns; ++c)
            if (look_.helperColumns[std::size_t(c)] && !helperBoxes[std::size_t(c)])
                faults += " no helper box above place " + std::to_string(c) + ";";

        for (const TextRun &t : d.texts) {
            if (t.face != Face::Problem) {
                faults += " a text in the wrong face;";
                continue;
            }
            const double advance = metrics_.advance(t.face, t.pixelSize, t.text);
            const double centre = t.x + advance / 2;
            if (t.baseline <= Top) {
                const int column = std::clamp(columnAt(centre), 0, Places - 1);
                w.above[std::size_t(column)] = t.text;
                const DottedBox *box = helperBoxes[std::size_t(column)];
                if (!box)
                    faults += " '" + t.text + "' written where there is no box;";
                else if (t.x < box->left || t.x + advance > box->right || t.baseline <= box->top ||
                         t.baseline > box->bottom)
                    faults += " '" + t.text + "' does not fit its box;";
                if (t.accent != look_.accentAnswers)
                    faults += " helper digit not in the answer colour;";
                continue;
            }
            const Row row = rowAt(t.baseline);
            if (t.pixelSize != look_.pixelSize || t.accent != (row == AnswerRow && look_.accentAnswers))
                faults += " '" + t.text + "' in the wrong size or colour;";
            if (t.text.size() == 1 && (t.text[0] == '+' || t.text[0] == '-')) {
                if (row != LowerRow || t.text[0] != sign || columnAt(centre) != look_.columns)
                    faults += " sign '" + t.text + "' wrong or out of place;";
                continue;
            }
            if (t.text == ".") {
                // A point stands on the edge between the ones and the tenths.
                const double edge = (look_.width - 10 - (centre - Left)) / fs;
                if (std::abs(edge - std::round(edge)) > 1e-6 || points_[row] >= 0)
                    faults += " a point between places or twice;";
                points_[row] = int(std::round(edge));
                pointBaselines[row] = t.baseline;
                continue;
            }
            const int column = columnAt(centre);
            if (t.text.size() != 1 || t.text[0] < '0' || t.text[0] > '9' || column < 0 || column >= Places ||
                digits_[row][std::size_t(column)]) {
                faults += " '" + t.text + "' out of place;";
                continue;
            }
            digits_[row][std::size_t(column)] = t.text[0];
            if (baselines[row] != 0 && baselines[row] != t.baseline)
                faults += " digits of a line on different baselines;";
            baselines[row] = t.baseline;
        }
        for (int row = 0; row < Rows; ++row)
            if (points_[std::size_t(row)] >= 0 && pointBaselines[std::size_t(row)] != baselines[std::size_t(row)])
                faults += " a point off its line's baseline;";

        for (const Line &l : d.lines) {
            if (l.y1 == l.y2) {
                if (l.y1 != rule || l.x1 != Left || l.x2 != Left + look_.width - 1)
                    faults += " a level line that is not the rule;";
                continue;
            }
            if (l.accent != look_.accentAnswers)
                faults += " stroke not in the answer colour;";
            const double x = (l.x1 + l.x2) / 2, y = (l.y1 + l.y2) / 2;
            const Row row = y < Top ? LowerRow : rowAt(y);  // nothing may be struck above the numbers
            const double edge = (look_.width - 10 - (x - Left)) / fs;
            const bool throughPoint = std::abs(edge - std::round(edge)) < 0.05;
            const int column = int(std::floor(edge));
            const double cellLeft = Left + look_.width - 10 - (column + 1) * fs;
            if (row == AnswerRow && throughPoint) {
                if (pointStruck_ || int(std::round(edge)) != points_[AnswerRow] ||
                    std::abs(l.x1 - l.x2) > fs / 2)
                    faults += " a stroke off the answer's point;";
                pointStruck_ = true;
            } else if (row == LowerRow || column < 0 || column >= Places || std::min(l.x1, l.x2) < cellLeft ||
                       std::max(l.x1, l.x2) > cellLeft + fs) {
                faults += " a stroke off the digits that may be struck;";
            } else if (++cellStrokes_[row][std::size_t(column)] > 1) {
                faults += " a digit struck twice;";
            }
        }
        for (int c = 0; c < Places; ++c) {
            if (cellStrokes_[UpperRow][std::size_t(c)]) {
                w.struck[std::size_t(c)] = true;
                if (c == 0 || !digits_[UpperRow][std::size_t(c)])
                    faults += " a stroke where no digit lends;";
            }
            if (cellStrokes_[AnswerRow][std::size_t(c)] && !digits_[AnswerRow][std::size_t(c)])
                faults += " a stroke through an empty answer place;";
        }

        // Every box holds a digit, but for the empty answer of a difference below 0.
        const bool answered = std::any_of(digits_[AnswerRow].begin(), digits_[AnswerRow].end(), [](char c) { return c; });
        for (int row = 0; row < Rows; ++row)
            for (std::size_t c = 0; c < std::size_t(Places); ++c) {
                const int boxes = boxes_[std::size_t(row)][c];
                const bool digit = digits_[std::size_t(row)][c] != 0;
                if (boxes > 1 || (look_.boxes && digit && boxes == 0) ||
                    (boxes > 0 && !digit && (row != AnswerRow || answered)))
                    faults += " place boxes do not match the digits;";
            }
        w.upper = line(UpperRow, faults);
        w.lower = line(LowerRow, faults);
        w.answer = line(AnswerRow, faults);
        if (pointStruck_ && points_[AnswerRow] < 0)
            faults += " a struck point that is not there;";
        return w;
    }

    static constexpr double Left = 0;

private:
    // Which place a thing centred at x stands in: the ones cell ends 10 pixels in from the right.
    int columnAt(double centreX) const
    {
        return int(std::floor((look_.width - 10 - (centreX - Left)) / look_.fontSize));
    }

    // A line as read from the left: its digits, each struck one followed by '/', the point
    // where it stands, '_' for a place left empty between digits.
    Text line(Row row, std::string &faults) const
    {
        const auto &digits = digits_[row];
        int highest = Places - 1, lowest = 0;
        while (highest >= 0 && !digits[std::size_t(highest)])
            --highest;
        while (lowest < Places && !digits[std::size_t(lowest)])
            ++lowest;
        Text s;
        bool pointRead = false;
        for (int c = highest; c >= lowest; --c) {
            s += digits[std::size_t(c)] ? digits[std::size_t(c)] : '_';
            if (cellStrokes_[row][std::size_t(c)] && row == AnswerRow)
                s += '/';
            if (points_[row] == c && c > lowest) {
                s += '.';
                if (pointStruck_ && row == AnswerRow)
                    s += '/';
                pointRead = true;
            }
        }
        if (points_[row] >= 0 && !pointRead)
            faults += " a point away from the digits;";
        return s;
    }

    const ProblemLook &look_;
    const FixedMetrics metrics_;
    std::array<std::array<char, Places>, Rows> digits_{};
    std::array<std::array<int, Places>, Rows> boxes_{}, cellStrokes_{};
    std::array<int, Rows> points_{};
    bool pointStruck_ = false;
};

// Lays out answer pages one after the other and holds each against the pupil's working (a
// problem page against the two numbers alone); stops after 20 mismatches, enough to see
// the pattern.
class AnswerKeyCheck {
public:
    explicit AnswerKeyCheck(int columns, bool answers = true, int fontSize = 30) : reader_(look_)
    {
        look_.fontSize = fontSize;
        look_.pixelSize = int(std::lround(fontSize * 4 / 3.0));  // points at 96 dots an inch
        look_.columns = columns;
        look_.width = problemWidth(look_.fontSize, columns);
        look_.answers = answers;
        look_.helperColumns.fill(false);
        for (int c = 1; c <= columns; ++c)
            look_.helperColumns[std::size_t(c)] = true;
    }

    // False once there are too many mismatches to go on.
    bool operator()(bool subtraction, Operand upper, Operand lower)
    {
        look_.problem = problemOf(subtraction, upper, lower, upper.value % 3 == 0);
        look_.accentAnswers = (upper.value + lower.value) % 2 == 0;
        drawing_.backings.clear();
        drawing_.boxes.clear();
        drawing_.lines.clear();
        drawing_.texts.clear();
        drawing_.steps.clear();
        layOutProblem(look_, metrics_, Reader::Left, Top, drawing_);
        std::string faults;
        const Working drawn = reader_.read(drawing_, faults);
        Working expected = pupilWorks(subtraction, upper, lower, look_.columns);
        if (!look_.answers)
            expected = Working{expected.upper, expected.lower, {}, {}, {}};
        if (drawn == expected && faults.empty())
            return true;
        ADD_FAILURE() << written(upper).str() << (subtraction ? " - " : " + ") << written(lower).str() << " in "
                      << look_.columns << " places: the page shows " << describe(drawn, look_.columns)
                      << "; the pupil writes " << describe(expected, look_.columns) << faults;
        return ++failures_ < 20;
    }

private:
    ProblemLook look_;
    Reader reader_;
    const FixedMetrics metrics_;
    Drawing drawing_;
    int failures_ = 0;
};

// Every pair of numbers in the two ranges, with the signs given; a difference below 0 only
// where asked. False when it stopped at too many mismatches.
bool checkEveryPair(Operand upperMax, Operand lowerMax, int columns, std::initializer_list<bool> signs = {false, true},
                    bool negativeDifferences = false)
{
    AnswerKeyCheck check(columns);
    for (const bool subtraction : signs)
        for (std::int64_t a = 0; a <= upperMax.value; ++a)
            for (std::int64_t b = 0; b <= lowerMax.value; ++b) {
                const Operand upper{a, upperMax.decimals}, lower{b, lowerMax.decimals};
                if (subtraction && !negativeDifferences && isLess(upper, lower))
                    continue;
                if (!check(subtraction, upper, lower))
                    return false;
            }
    return true;
}

// A seeded sample of pairs up to the given numbers, each with any number of decimal places up
// to its maximum; differences below 0 are turned round.
void checkSample(Operand upperMax, Operand lowerMax, int columns, int pairs, bool everyLength, bool answers = true)
{
    AnswerKeyCheck check(columns, answers);
    std::mt19937_64 random(20240601);
    const auto draw = [&random, everyLength](Operand max) {
        const int decimals = everyLength ? int(random() % std::uint64_t(max.decimals + 1)) : max.decimals;
        const std::int64_t top = max.value / tenTo(max.decimals - decimals);
        return Operand{std::int64_t(random() % std::uint64_t(top + 1)), decimals};
    };
    for (int i = 0; i < pairs; ++i) {
        const bool subtraction = i % 2 == 1;
        Operand upper = draw(upperMax), lower = draw(lowerMax);
        if (subtraction && isLess(upper, lower))
            std::swap(upper, lower);
        if (!check(subtraction, upper, lower))
            return;
    }
}

}  // namespace

// The oracle itself, on problems whose working every teacher knows.
TEST(AnswerKey, PupilWorksTheTextbookExamples)
{
    const struct {
        bool subtraction;
        Operand upper, lower;
        int columns;
        const char *answer;
        std::array<const char *, Places> above;  // smallest place first
        std::array<bool, Places> struck;
    } cases[] = {
        {false, {999, 0}, {1, 0}, 3, "1000", {"", "1", "1", "1"}, {}},
        {true, {304, 0}, {127, 0}, 3, "177", {"", "9", "2"}, {false, true, true}},
        {true, {421, 0}, {397, 0}, 3, "24", {"", "11", "3"}, {false, true, true}},
        {true, {5, 0}, {125, 2}, 3, "3.75", {"", "9", "4"}, {false, false, true}},
        {false, {235, 2}, {165, 2}, 3, "4./0/0/", {"", "1", "1"}, {}},
        {true, {345, 2}, {27, 1}, 3, "0.75", {"", "", "2"}, {false, false, true}},
        {true, {421, 2}, {397, 2}, 3, "0.24", {"", "11", "3"}, {false, true, true}},
        {false, {2345, 3}, {1255, 3}, 4, "3.60/0/", {"", "1", "1"}, {}},
        {false, {1255, 3}, {2745, 3}, 4, "4./0/0/0/", {"", "1", "1", "1"}, {}},
        {true, {5, 0}, {1255, 3}, 4, "3.745", {"", "9", "9", "4"}, {false, false, false, true}},
        {true, {3601, 3}, {1255, 3}, 4, "2.346", {"", "9", "5"}, {false, true, true}},
        {false, {999999, 2}, {1, 2}, 6, "10000./0/0/", {"", "1", "1", "1", "1", "1", "1"}, {}},
        {true, {0, 0}, {1, 0}, 3, "", {}, {}},
    };
    for (const auto &c : cases) {
        const Working w = pupilWorks(c.subtraction, c.upper, c.lower, c.columns);
        Working expected;
        expected.upper = written(c.upper);
        expected.lower = written(c.lower);
        expected.answer = c.answer;
        for (std::size_t p = 0; p < std::size_t(Places); ++p)
            expected.above[p] = c.above[p] ? c.above[p] : "";
        expected.struck = c.struck;
        EXPECT_EQ(w, expected) << describe(w, c.columns) << " against " << describe(expected, c.columns);
    }
}

TEST(AnswerKey, EverySumUpTo999IsWorkedAsAPupilWorksIt) { checkEveryPair({999, 0}, {999, 0}, 3, {false}); }

TEST(AnswerKey, EveryDifferenceUpTo999IsWorkedAsAPupilWorksIt)
{
    checkEveryPair({999, 0}, {999, 0}, 3, {true}, true);
}

TEST(AnswerKey, EveryFourDigitNumberWithEveryTwoDigitNumber) { checkEveryPair({9999, 0}, {99, 0}, 4); }

TEST(AnswerKey, SampledPairsOfFourDigitNumbers) { checkSample({9999, 0}, {9999, 0}, 4, 200000, false); }

TEST(AnswerKey, EveryPairOfOneDecimalNumbers) { checkEveryPair({999, 1}, {99, 1}, 3, {false, true}, true); }

TEST(AnswerKey, EveryPairOfTwoDecimalNumbers) { checkEveryPair({999, 2}, {999, 2}, 3); }

// Points in one column over numbers of different lengths: 3.45 and 2.7, 5 and 1.25, 12 and 0.5.
TEST(AnswerKey, EveryPairOfNumbersWithDifferentDecimals)
{
    const struct {
        Operand upperMax, lowerMax;
        int columns;
    } ranges[] = {
        {{999, 2}, {99, 1}, 3}, {{99, 1}, {999, 2}, 3},  // 9.99 and 9.9
        {{99, 0}, {999, 2}, 4}, {{999, 2}, {99, 0}, 4},  // 99 and 9.99
        {{99, 0}, {99, 1}, 3}, {{999, 1}, {9, 0}, 3},    // 99 and 9.9, 99.9 and 9
        {{9999, 3}, {99, 1}, 4}, {{9, 0}, {9999, 3}, 4}, // 9.999 and 9.9, 9 and 9.999
    };
    for (const auto &r : ranges)
        if (!checkEveryPair(r.upperMax, r.lowerMax, r.columns))
            break;
}

// The widest problems, four whole and three decimal places, with a last carry into an eighth.
TEST(AnswerKey, SampledPairsOfTheWidestNumbers) { checkSample({9999999, 3}, {9999999, 3}, 7, 100000, true); }

// Every size a sheet sets its problems in: the answers in their places and each helper
// number, 11 too, inside its box.
TEST(AnswerKey, EverySizeKeepsTheHelperNumbersInTheirBoxes)
{
    const struct {
        bool subtraction;
        Operand upper, lower;
    } problems[] = {
        {true, {421, 0}, {397, 0}}, {true, {1100, 0}, {19, 0}}, {true, {5, 0}, {125, 2}},
        {true, {421, 2}, {397, 2}}, {false, {999999, 2}, {1, 2}}, {false, {235, 2}, {165, 2}},
        {false, {9999999, 3}, {1, 3}}, {true, {5, 0}, {1255, 3}},
    };
    for (int fontSize = 8; fontSize <= 60; ++fontSize) {
        AnswerKeyCheck check(7, true, fontSize);
        for (const auto &p : problems)
            if (!check(p.subtraction, p.upper, p.lower))
                return;
    }
}

// The problem page gives nothing away: no answer digit, point, helper digit or stroke.
TEST(AnswerKey, ProblemPagesShowOnlyTheNumbers) { checkSample({9999999, 3}, {9999999, 3}, 7, 20000, true, false); }

// A number of a problem as the pupil reads it off the sheet: blank decimal places are not
// there, blank whole places are empty above its digits.
Operand operandOf(const std::array<std::int8_t, MaxColumns> &digits, int decimals)
{
    Operand n{0, decimals};
    for (int c = MaxColumns - 1; c >= 0; --c)
        if (digits[std::size_t(c)] >= 0)
            n.value = n.value * 10 + digits[std::size_t(c)];
        else if (c < decimals)
            --n.decimals;
    return n;
}

int placesOf(const NumberPattern &n) { return int(n.whole.size() + n.decimals.size()); }

// Under each named step, every problem it admits has a helper box wherever the pupil writes
// something above a column, and no box stands where no problem of the step writes anything:
// over every problem where they are few enough, over a seeded draw of them elsewhere.
TEST(AnswerKey, NamedStepsHaveBoxesExactlyWherePupilsWrite)
{
    for (const NamedStep &step : NamedSteps) {
        SCOPED_TRACE(std::string(step.key));
        const ProblemChoice choice = problemsOf(step);
        if (isLong(choice.operation))
            continue;  // products and quotients have their own working
        const HelperColumns boxes = helperColumnsFor(choice);
        HelperColumns writtenOver{};
        const auto note = [&](bool subtraction, Operand upper, Operand lower, int columns) {
            const Working w = pupilWorks(subtraction, upper, lower, columns);
            for (std::size_t c = 0; c < writtenOver.size(); ++c)
                if (!w.above[c].empty()) {
                    writtenOver[c] = true;
                    if (!boxes[c])
                        return testing::AssertionFailure() << written(upper).str() << (subtraction ? "-" : "+")
                                                           << written(lower).str() << ": no box above place " << c;
                }
            return testing::AssertionSuccess();
        };
        const std::vector<bool> signs = choice.operation == Operation::Mixed ? std::vector<bool>{false, true}
                                        : std::vector<bool>{choice.operation == Operation::Subtract};
        const int upperPlaces = placesOf(choice.upper), lowerPlaces = placesOf(choice.lower);
        const int upperDecimals = int(choice.upper.decimals.size()), lowerDecimals = int(choice.lower.decimals.size());
        std::uint64_t admitted = 0;
        bool everyProblem = true;
        if (const auto settings = settingsOf(choice)) {
            for (int upper = 0; upper <= 999; ++upper)
                for (int lower = 0; lower <= 999; ++lower)
                    if (admits(*settings, upper, lower)) {
                        ++admitted;
                        ASSERT_TRUE(note(settings->IsSubtraction == 1, {upper, 0}, {lower, 0}, 3));
                    }
        } else if (upperPlaces + lowerPlaces <= 5) {
            for (const bool subtraction : signs) {
                const int columns = gridFor(choice, subtraction).columns();
                for (std::int64_t a = 0; a < tenTo(upperPlaces); ++a)
                    for (std::int64_t b = 0; b < tenTo(lowerPlaces); ++b) {
                        const Operand upper{a, upperDecimals}, lower{b, lowerDecimals};
                        if (obeysChoice(choice, problemOf(subtraction, upper, lower))) {
                            ++admitted;
                            ASSERT_TRUE(note(subtraction, upper, lower, columns));
                        }
                    }
            }
        } else {
            WideRandom random(7);
            for (const bool subtraction : signs) {
                const ColumnGrid grid = gridFor(choice, subtraction);
                for (int i = 0; i < 5000; ++i) {
                    const ColumnProblem p = drawProblem(grid, subtraction, choice.zeroEnd, random);
                    ASSERT_TRUE(obeysChoice(choice, p)) << problemText(p);
                    ASSERT_TRUE(note(subtraction, operandOf(p.upper, p.decimals), operandOf(p.lower, p.decimals),
                                     grid.columns()));
                }
            }
            everyProblem = false;
        }
        if (everyProblem) {
            EXPECT_EQ(admitted, countChoice(choice).problems);
        }
        EXPECT_EQ(boxes, writtenOver);
    }
}

// A sheet of sums and differences: each problem is drawn with its own sign.
TEST(AnswerKey, AMixedSheetDrawsEachProblemsOwnSign)
{
    Sheet sheet;
    sheet.answers = true;
    for (int i = 0; i < 20; ++i)
        sheet.problems.push_back(problemOf(i % 3 != 0, Operand{900 + i, 0}, Operand{125 + i, 0}));
    const SheetPage page = layOutPage(sheet, a4Paper(), FixedMetrics());
    std::string signs, expected;
    for (const TextRun &t : page.drawing.texts)
        if (t.face == Face::Problem && (t.text == "+" || t.text == "-"))
            signs += t.text;
    for (const SheetProblem &p : sheet.problems)
        expected += (p.sign == Sign::Minus) ? '-' : '+';
    EXPECT_EQ(signs, expected);
}
