// The practice's sheets from the bridge: each problem shown alone with every box a pupil
// writes in, nothing of its neighbours or of the page's heading, for every named step and
// the first and last 出席番号; numbers outside the class have no sheet.
#include <gtest/gtest.h>

#include <algorithm>
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
    // The step's own page size, and six a page, where problems stand furthest apart.
    for (const auto &[step, perPage] : [] {
             std::vector<std::pair<std::string, std::string>> runs;
             for (const NamedStep &s : NamedSteps)
                 for (const char *size : {"", "&per-page=6"})
                     runs.emplace_back(s.key, size);
             return runs;
         }()) {
        WebSession session;
        session.open("step=" + step + "&seed=77" + perPage, 0);
        for (const int number : {1, MaxPupilNumber}) {
            SCOPED_TRACE(step + perPage + " No." + std::to_string(number));
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
            // Each problem's picture is the area its ink takes on the page, and every box, rule
            // and digit of the problems lies in one.
            ASSERT_EQ(d.areas.size(), practice.bounds.size());
            for (std::size_t i = 0; i < d.areas.size(); ++i) {
                const Drawing::ProblemArea &a = d.areas[i];
                EXPECT_EQ(a.problem, i);
                EXPECT_EQ(practice.bounds[i], (std::array<double, 4>{a.left, a.top, a.right, a.bottom})) << "problem " << i;
            }
            const auto inOne = [&](double left, double top, double right, double bottom) {
                return std::count_if(practice.bounds.begin(), practice.bounds.end(), [&](const auto &b) {
                           return inside(left, top, b) && inside(right, bottom, b);
                       }) == 1;
            };
            for (const DottedBox &b : d.boxes)
                EXPECT_TRUE(inOne(b.left, b.top, b.right, b.bottom)) << "box at " << b.left << "," << b.top;
            for (const Line &l : d.lines)
                EXPECT_TRUE(inOne(std::min(l.x1, l.x2), std::min(l.y1, l.y2), std::max(l.x1, l.x2), std::max(l.y1, l.y2)))
                    << "line at " << l.x1 << "," << l.y1;
            for (const TextRun &t : d.texts)
                if (t.face == Face::Problem) {
                    const TextMetrics &m = session.metrics();
                    EXPECT_TRUE(inOne(t.x, t.baseline - m.ascent(t.face, t.pixelSize), t.x + m.advance(t.face, t.pixelSize, t.text),
                                      t.baseline + m.descent(t.face, t.pixelSize)))
                        << t.text;
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

// The answer's point is the pupil's to set: the page draws nothing beyond the problem page's
// own, and each answer with a point has its answer row's boxes noted with the one the point
// follows, in the JSON as well.
TEST(Practice, AnAnswersDecimalPointIsThePupilsToSet)
{
    const struct {
        const char *address;
        int points;  // problems whose answer has a point
    } cases[] = {{"step=dec-2-add&seed=5", 20}, {"step=dec-1-sub&seed=9", 20}, {"step=dec-mixed&seed=3", 20},
                 {"step=add-3&seed=5", 0}, {"step=div-3-2&seed=5", 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address);
        WebSession session;
        session.open(c.address, 0);
        Sheet problems = session.sheet(0, false);
        problems.boxes = true;
        problems.format.helperBoxes = true;
        problems.format.largeHelpers = true;
        const Drawing page = layOutPage(problems, paperOf(session.request().paper), session.metrics()).drawing;
        const Drawing d = practiceSheet(session, 1).page.drawing;
        EXPECT_EQ(d.texts, page.texts);
        ASSERT_EQ(int(d.points.size()), c.points);
        const std::string json = practiceJson(session, 1);
        std::size_t pointsInJson = 0;
        for (std::size_t at = json.find("\"point\":"); at != std::string::npos; at = json.find("\"point\":", at + 1))
            ++pointsInJson;
        EXPECT_EQ(pointsInJson, d.points.size());
        for (const Drawing::PointWrite &point : d.points) {
            ASSERT_GT(point.boxes.size(), std::size_t(point.after + 1));
            // Left to right along the answer row, every box an answer digit's.
            for (std::size_t i = 0; i < point.boxes.size(); ++i) {
                if (i > 0) {
                    EXPECT_LT(d.boxes[point.boxes[i - 1]].left, d.boxes[point.boxes[i]].left);
                }
                EXPECT_TRUE(std::any_of(d.writes.begin(), d.writes.end(), [&](const Drawing::Write &w) {
                    return w.box == point.boxes[i] && w.problem == point.problem && w.role == WriteRole::Answer;
                }));
            }
            std::string entry = "\"point\":{\"boxes\":[";
            for (std::size_t i = 0; i < point.boxes.size(); ++i)
                entry += (i ? "," : "") + std::to_string(point.boxes[i]);
            entry += "],\"after\":" + std::to_string(point.after) + ",\"label\":\"" + pointLabel() + "\"}";
            EXPECT_NE(json.find(entry), std::string::npos) << entry;
        }
    }
}

// Each write in the JSON as the page reads it: its box, every notation that is right in it,
// whether it is a helper box and its spoken name, in the order pupils write.
TEST(Practice, EachWriteWithEveryRightNotationAndItsName)
{
    std::size_t twoWays = 0;  // helper boxes of two notations: a lender that borrows too
    for (const char *address : {"step=sub-3-zero-tens&seed=4", "step=sub-3&seed=8", "step=add-3-carry-twice&seed=2",
                                "step=mul-3-2&seed=6", "step=div-3-2-2&seed=7"}) {
        SCOPED_TRACE(address);
        WebSession session;
        session.open(address, 0);
        const Drawing d = practiceSheet(session, 1).page.drawing;
        const std::string json = practiceJson(session, 1);
        std::size_t at = 0;
        for (const Drawing::Write &w : d.writes) {
            std::string entry = "{\"box\":" + std::to_string(w.box) + ",\"answers\":[";
            for (std::size_t i = 0; i < w.answers.size(); ++i)
                entry += std::string(i ? "," : "") + "\"" + w.answers[i] + "\"";
            entry += std::string("],\"helper\":") + (w.helper ? "true" : "false") + ",\"label\":\"" + writeLabel(w) + "\"}";
            const std::size_t found = json.find(entry, at);
            ASSERT_NE(found, std::string::npos) << entry;
            at = found + entry.size();
            twoWays += w.answers.size() > 1;
        }
    }
    EXPECT_GT(twoWays, 0u);
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
