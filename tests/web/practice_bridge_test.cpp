// The practice's sheets from the bridge: each problem shown alone with every box a pupil
// writes in, nothing of its neighbours or of the page's heading, for every named step and
// the first and last 出席番号; numbers outside the class have no sheet.
#include <gtest/gtest.h>

#include <string>

#include "practice_json.h"
#include "steps.h"

using namespace kolvara;
using namespace kolvara::web;

namespace {

bool inside(double x, double y, const std::array<double, 4> &b) { return x >= b[0] && x <= b[2] && y >= b[1] && y <= b[3]; }

bool overlap(const std::array<double, 4> &a, const std::array<double, 4> &b)
{
    return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
}

}  // namespace

TEST(Practice, EachProblemAloneWithEveryBoxItsPupilWritesIn)
{
    for (const NamedStep &step : NamedSteps) {
        WebSession session;
        session.open("step=" + std::string(step.key) + "&seed=77", 0);
        for (const int number : {1, MaxPupilNumber}) {
            SCOPED_TRACE(std::string(step.key) + " No." + std::to_string(number));
            const Sheet sheet = session.sheet(number - 1, false);
            const PracticeSheet practice = practiceSheet(session, number);
            const Drawing &d = practice.page.drawing;
            ASSERT_EQ(practice.bounds.size(), sheet.problems.size());
            std::vector<int> answerBoxes(practice.bounds.size(), 0);
            for (const Drawing::Write &w : d.writes) {
                ASSERT_LT(w.problem, practice.bounds.size());
                const DottedBox &box = d.boxes[w.box];
                EXPECT_TRUE(inside(box.left, box.top, practice.bounds[w.problem]) &&
                            inside(box.right, box.bottom, practice.bounds[w.problem]))
                    << "box " << w.box << " of problem " << w.problem;
                answerBoxes[w.problem] += !w.helper && !w.answer.empty();
            }
            for (std::size_t i = 0; i < practice.bounds.size(); ++i) {
                EXPECT_GT(answerBoxes[i], 0) << "problem " << i;
                for (std::size_t k = i + 1; k < practice.bounds.size(); ++k)
                    EXPECT_FALSE(overlap(practice.bounds[i], practice.bounds[k])) << "problems " << i << " and " << k;
            }
            // The heading and the date line stay out of every problem's picture.
            const TextMetrics &m = session.metrics();
            for (const TextRun &t : d.texts) {
                if (t.text != sheet.heading && !t.underline)
                    continue;
                const double x = t.x + m.advance(t.face, t.pixelSize, t.text) / 2;
                const double y = t.baseline - m.ascent(t.face, t.pixelSize) / 2;
                for (const auto &b : practice.bounds)
                    EXPECT_FALSE(inside(x, y, b)) << t.text;
            }
        }
    }
}

TEST(Practice, AnAnswersDecimalPointIsShownAndNoDigitOfIt)
{
    const struct {
        const char *address;
        int points;  // on the page besides those of the problems' numbers
    } cases[] = {{"step=dec-2-add&seed=5", 20}, {"step=dec-1-sub&seed=9", 20}, {"step=add-3&seed=5", 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address);
        WebSession session;
        session.open(c.address, 0);
        Sheet problems = session.sheet(0, false);
        problems.boxes = true;
        problems.format.helperBoxes = true;
        const std::vector<TextRun> before = layOutPage(problems, paperOf(session.request().paper), session.metrics()).drawing.texts;
        const std::vector<TextRun> after = practiceSheet(session, 1).page.drawing.texts;
        ASSERT_EQ(after.size(), before.size() + std::size_t(c.points));
        for (std::size_t i = before.size(); i < after.size(); ++i)
            EXPECT_EQ(after[i].text, ".");
    }
}

TEST(Practice, OnlyTheClassesNumbersHaveASheet)
{
    WebSession session;
    session.open("step=add-3&seed=5", 0);
    for (const int number : {-1, 0, MaxPupilNumber + 1, 1 << 30})
        EXPECT_NE(practiceJson(session, number).find("\"error\""), std::string::npos) << number;
    for (const int number : {1, MaxPupilNumber})
        EXPECT_EQ(practiceJson(session, number).find("\"error\""), std::string::npos) << number;
}
