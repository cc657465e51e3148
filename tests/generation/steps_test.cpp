// Every named step is read from its own options, admits problems, and every problem drawn
// for it obeys it.
#include <gtest/gtest.h>

#include <set>

#include "problem_choice.h"
#include "status_lines.h"
#include "steps.h"
#include "worksheet.h"

using namespace kolvara;

TEST(NamedSteps, FeasibleAndObeyed)
{
    std::set<std::string_view> keys;
    int grade = 0;
    for (const NamedStep &step : NamedSteps) {
        SCOPED_TRACE(std::string(step.key));
        EXPECT_TRUE(keys.insert(step.key).second) << "keys are unique";
        EXPECT_EQ(findStep(step.key), &step);
        EXPECT_GE(step.grade, grade) << "in school order";
        EXPECT_FALSE(gradeName(step.grade).empty());
        grade = step.grade;
        ProblemChoice choice;
        ASSERT_EQ(readNumberPattern("upper", step.upper, choice.upper), "");
        ASSERT_EQ(readNumberPattern("lower", step.lower, choice.lower), "");
        ASSERT_EQ(readCarryPattern("carry", step.carry, choice.carry), "");
        const ProblemChoice problems = problemsOf(step);
        ASSERT_EQ(choiceError(problems), "");
        ASSERT_TRUE(countChoice(problems).possible) << countChoice(problems).reason;
        // A thousand problems: fifty sheets of twenty, or more sheets of fewer.
        const WorksheetChoice worksheet{problems, {}, true, false};
        int drawn = 0;
        for (int k = 0; drawn < 1000; ++k)
            for (const SheetProblem &p : worksheetFor(worksheet, k, 1234).problems) {
                ASSERT_TRUE(obeysChoice(problems, p)) << problemText(p);
                ++drawn;
            }
    }
    EXPECT_EQ(findStep("no-such-step"), nullptr);
}

// kolvara-sheet takes its patterns as given: the status lines still say what the sheet's
// problems do in each column.
TEST(NamedSteps, StatusLinesTellWhatTheColumnsDo)
{
    // One-digit sums that always carry: the tens and hundreds can never carry.
    const auto lines = statusLinesOf(Settings{Zero, Zero, Rest, Zero, Zero, Rest, Ari, Konzai, Konzai, 0});
    EXPECT_EQ(lines[2], "な　し,な　し,あ　り");
    // Any sum: every column may or may not carry.
    EXPECT_EQ(statusLinesOf(Settings{})[2], "混　在,混　在,混　在");
}
