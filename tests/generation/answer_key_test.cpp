// The answer page against a pupil working every problem on paper: for every pair of numbers
// up to 999, adding and subtracting, the digits of the answer, what is written in each helper
// box and which digits are struck through are read back from the layout's primitives and
// compared with the pupil's own column-by-column working, which is written here from the
// way it is taught, not from the layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>

#include "feasibility.h"
#include "fixed_metrics.h"
#include "sheet.h"
#include "steps.h"

using namespace kolvara;

namespace {

// What the pupil writes: the answer as read, and above each column (ones first) the small
// number written there ("" for nothing), and whether the digit below it is struck through.
struct Working {
    std::string answer;
    std::array<std::string, 4> above;
    std::array<bool, 4> struck{};
    friend bool operator==(const Working &, const Working &) = default;
};

std::string describe(const Working &w)
{
    std::string s = "answer " + w.answer + ", above thousands..tens:";
    for (int c = 3; c >= 1; --c)
        s += " [" + w.above[std::size_t(c)] + (w.struck[std::size_t(c)] ? "/" : "") + "]";
    return s;
}

std::array<int, 3> onesFirst(int n) { return {n % 10, n / 10 % 10, n / 100}; }

std::string readAnswer(const std::array<int, 4> &digits)
{
    std::string s;
    for (int c = 3; c >= 0; --c)
        if (!s.empty() || digits[std::size_t(c)] != 0 || c == 0)
            s += char('0' + digits[std::size_t(c)]);
    return s;
}

// Adding: each column's digits and the carried 1; ten or more writes its ones below and a
// small 1 above the next column.
Working pupilAdds(int upper, int lower)
{
    const auto a = onesFirst(upper), b = onesFirst(lower);
    Working w;
    std::array<int, 4> answer{};
    int carried = 0;
    for (std::size_t c = 0; c < 3; ++c) {
        const int sum = a[c] + b[c] + carried;
        answer[c] = sum % 10;
        carried = sum / 10;
        if (carried)
            w.above[c + 1] = "1";
    }
    answer[3] = carried;
    w.answer = readAnswer(answer);
    return w;
}

// Subtracting: a column whose top digit is too small borrows from the nearest non-zero digit
// to its left, which is struck and written one less; every 0 passed on the way becomes 10
// and lends one in turn, so it is struck and written 9. The borrowing column takes ten. A
// digit struck earlier shows what it finally became.
Working pupilSubtracts(int upper, int lower)
{
    Working w;
    if (upper < lower)
        return w;  // no such problem: nothing to write
    std::array<int, 4> top{};
    const auto a = onesFirst(upper), b = onesFirst(lower);
    std::copy(a.begin(), a.end(), top.begin());
    std::array<int, 4> answer{};
    for (std::size_t c = 0; c < 3; ++c) {
        if (top[c] < b[c]) {
            std::size_t from = c + 1;
            while (top[from] == 0)
                ++from;
            --top[from];
            w.struck[from] = true;
            for (std::size_t between = from - 1; between > c; --between) {
                top[between] = 9;
                w.struck[between] = true;
            }
            top[c] += 10;
        }
        answer[c] = top[c] - b[c];
    }
    for (std::size_t c = 1; c < 4; ++c)
        if (w.struck[c])
            w.above[c] = std::to_string(top[c]);
    w.answer = readAnswer(answer);
    return w;
}

Working pupilWorks(bool subtraction, int upper, int lower)
{
    return subtraction ? pupilSubtracts(upper, lower) : pupilAdds(upper, lower);
}

constexpr double Top = 100;  // where each problem is laid out

ProblemLook answerLook(bool subtraction, int upper, int lower, const HelperColumns &helperColumns)
{
    ProblemLook look;
    look.problem = wholeProblem(subtraction, upper, lower);
    look.answers = true;
    look.accentAnswers = (upper + lower) % 2 == 0;
    look.helperColumns = helperColumns;
    return look;
}

// Which column a thing centred at x stands in: the ones cell ends 10 pixels in from the right.
int columnAt(const ProblemLook &look, double centreX)
{
    return int(std::floor((look.width - 10 - centreX) / look.fontSize));
}

// Reads the working back from the answer page, and says what is wrong with how it is drawn.
Working readBack(const ProblemLook &look, const Drawing &d, std::string &faults)
{
    const FixedMetrics metrics;
    const double rule = Top + problemRuleY(look.fontSize);
    Working w;
    std::map<int, char> answer;
    std::map<int, const DottedBox *> helperBoxes;
    for (const DottedBox &b : d.boxes)
        if (b.bottom <= Top)
            helperBoxes[columnAt(look, (b.left + b.right) / 2)] = &b;
    for (const TextRun &t : d.texts) {
        if (t.face != Face::Problem || t.text == "+" || t.text == "-")
            continue;
        const double advance = metrics.advance(t.face, t.pixelSize, t.text);
        const int column = columnAt(look, t.x + advance / 2);
        if (t.baseline > rule) {
            answer[column] = t.text[0];
            if (t.text.size() != 1 || t.pixelSize != look.pixelSize || t.accent != look.accentAnswers)
                faults += " answer digit '" + t.text + "' drawn wrongly;";
        } else if (t.baseline <= Top) {
            w.above[std::size_t(std::clamp(column, 0, 3))] = t.text;
            const auto box = helperBoxes.find(column);
            if (box == helperBoxes.end())
                faults += " '" + t.text + "' written where there is no box;";
            else if (t.x < box->second->left || t.x + advance > box->second->right || t.baseline <= box->second->top ||
                     t.baseline > box->second->bottom)
                faults += " '" + t.text + "' does not fit its box;";
            if (t.accent != look.accentAnswers)
                faults += " helper digit not in the answer colour;";
        }
    }
    for (const auto &[column, digit] : answer) {
        if (column < 0 || column > 3)
            faults += " answer digit outside the columns;";
        w.answer.insert(w.answer.begin(), digit);
    }
    // The answer's digits stand in adjacent columns, from the ones up.
    if (!answer.empty() && (answer.begin()->first != 0 || answer.rbegin()->first != int(answer.size()) - 1))
        faults += " answer digits out of place;";
    for (const Line &l : d.lines) {
        if (l.y1 == l.y2)
            continue;  // the rule
        const int column = columnAt(look, (l.x1 + l.x2) / 2);
        if (column < 1 || column > 3 || std::min(l.y1, l.y2) < Top || std::max(l.y1, l.y2) > Top + 1.5 * look.fontSize)
            faults += " a stroke off the upper number's digits;";
        else
            w.struck[std::size_t(column)] = true;
        if (l.accent != look.accentAnswers)
            faults += " stroke not in the answer colour;";
    }
    return w;
}

void checkEveryPair(bool subtraction)
{
    const HelperColumns everyColumn{false, true, true, true};
    int checked = 0;
    for (int upper = 0; upper <= 999; ++upper)
        for (int lower = 0; lower <= 999; ++lower) {
            const ProblemLook look = answerLook(subtraction, upper, lower, everyColumn);
            Drawing d;
            layOutProblem(look, FixedMetrics(), 0, Top, d);
            std::string faults;
            const Working drawn = readBack(look, d, faults);
            const Working expected = pupilWorks(subtraction, upper, lower);
            if (drawn != expected || !faults.empty()) {
                ADD_FAILURE() << upper << (subtraction ? " - " : " + ") << lower << ": the page shows "
                              << describe(drawn) << ", the pupil writes " << describe(expected) << faults;
                if (++checked > 20)
                    return;  // enough to see the pattern
            }
        }
}

}  // namespace

TEST(AnswerKey, EverySumUpTo999IsWorkedAsAPupilWorksIt) { checkEveryPair(false); }

TEST(AnswerKey, EveryDifferenceUpTo999IsWorkedAsAPupilWorksIt) { checkEveryPair(true); }

// Under each named step, every problem it admits has a helper box wherever the pupil writes
// something above a column, and no box stands where no problem of the step writes anything.
TEST(AnswerKey, NamedStepsHaveBoxesExactlyWherePupilsWrite)
{
    for (const NamedStep &step : NamedSteps) {
        SCOPED_TRACE(std::string(step.key));
        const bool subtraction = step.settings.IsSubtraction == 1;
        const HelperColumns boxes = helperColumnsFor(step.settings);
        HelperColumns written{};
        int admitted = 0;
        for (int upper = 0; upper <= 999; ++upper)
            for (int lower = 0; lower <= 999; ++lower) {
                if (!admits(step.settings, upper, lower))
                    continue;
                ++admitted;
                const Working w = pupilWorks(subtraction, upper, lower);
                for (std::size_t c = 0; c < 4; ++c)
                    if (!w.above[c].empty()) {
                        written[c] = true;
                        ASSERT_TRUE(boxes[c]) << upper << " " << lower << ": no box above column " << c;
                    }
            }
        EXPECT_EQ(std::uint32_t(admitted), checkFeasibility(step.settings).problemCount);
        EXPECT_EQ(boxes, written);
    }
}
