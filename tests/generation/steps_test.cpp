// Every named step admits problems, and every problem drawn for it obeys it.
#include <gtest/gtest.h>

#include <set>

#include "feasibility.h"
#include "generator.h"
#include "random_source.h"
#include "status_lines.h"
#include "steps.h"

using namespace kolvara;

TEST(NamedSteps, FeasibleAndObeyed)
{
    std::set<std::string_view> keys;
    for (const NamedStep &step : NamedSteps) {
        SCOPED_TRACE(std::string(step.key));
        EXPECT_TRUE(keys.insert(step.key).second) << "keys are unique";
        EXPECT_EQ(findStep(step.key), &step);
        ASSERT_TRUE(checkFeasibility(step.settings).possible);
        RandomSource random(std::uint32_t(step.key.size()) * 7919u);
        ProblemGenerator generator(step.settings, random);
        for (int i = 0; i < 1000; ++i) {
            generator.Ransuu();
            const CurrentProblem &p = generator.problem();
            ASSERT_TRUE(admits(step.settings, p.Line1Value, p.Line2Value)) << p.Line1Value << ", " << p.Line2Value;
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
