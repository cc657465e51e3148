// Every named step is read from its own options, admits problems, and every problem drawn
// for it obeys it.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "long_conditions.h"
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
    // A fixed digit reads as itself, beside the other kinds.
    const auto fixed = statusLinesFor(problemsOf(*findStep("sub-3-2-zero-tens")));
    EXPECT_EQ(fixed[0], "　１　,　０　,すべて");
    EXPECT_EQ(fixed[1], "　０　,１～９,すべて");
    EXPECT_EQ(fixed[2], "な　し,あ　り,あ　り");
    // Products and quotients: each condition of the operation as the problems do it, and a
    // quotient's places where every problem has the same.
    for (const auto &[step, line] : {std::pair{"mul-2-1", "くり上がりな　し・けたがふえるな　し・たし算な　し"},
                                     {"mul-2-2", "くり上がり混　在・けたがふえる混　在・たし算混　在"},
                                     {"div-3-1-3", "あまり混　在・商の０な　し・見当な　し・商3けた"},
                                     {"div-2-2-fix", "あまり混　在・商の０な　し・見当あ　り・商1けた"}})
        EXPECT_EQ(statusLinesFor(problemsOf(*findStep(step)))[2], line) << step;
}

namespace {

// A problem as the textbook prints it, "3.45+2.7" or "630/21", set out for the choice: each
// number's own decimal places, the others blank, and blank above its pattern's whole places.
ColumnProblem printed(const std::string &text, int decimals, const ProblemChoice &choice)
{
    const std::size_t at = text.find_first_of("+-x/");
    const char sign = text[at];
    ColumnProblem p;
    p.sign = sign == '+' ? Sign::Plus : sign == '-' ? Sign::Minus : sign == 'x' ? Sign::Times : Sign::Divide;
    p.decimals = decimals;
    for (auto [digits, number, pattern] : {std::tuple{&p.upper, text.substr(0, at), &choice.upper},
                                           std::tuple{&p.lower, text.substr(at + 1), &choice.lower}}) {
        const std::size_t point = number.find('.');
        const int own = point == std::string::npos ? 0 : int(number.size() - point - 1);
        std::string whole = number;
        if (point != std::string::npos)
            whole.erase(point, 1);
        long long value = std::stoll(whole);
        for (int i = own; i < decimals; ++i)
            value *= 10;
        for (int c = 0; c < MaxColumns; ++c, value /= 10) {
            const bool beyond = c < decimals - own || (!isLong(choice.operation) && c >= decimals + int(pattern->whole.size()));
            (*digits)[std::size_t(c)] = beyond ? std::int8_t(-1) : std::int8_t(value % 10);
        }
    }
    return p;
}

// Adding 0 either way round, taking 0 away or a number from itself, 1 as a factor, /1.
bool trivialProblem(const ColumnProblem &p)
{
    const std::int64_t upper = valueOf(p.upper), lower = valueOf(p.lower);
    switch (p.sign) {
    case Sign::Plus: return upper == 0 || lower == 0;
    case Sign::Minus: return lower == 0 || upper == lower;
    case Sign::Times: return upper == 1 || lower == 1;
    case Sign::Divide: break;
    }
    return lower == 1;
}

}  // namespace

// Each step holds the textbook's own examples of it.
TEST(NamedSteps, HoldTheirTextbookExamples)
{
    const struct {
        std::string_view key;
        std::string problem;
        int decimals = 0;
    } cases[] = {
        {"sub-teens-borrow", "13-9"},       {"sub-teens-borrow", "11-2"},     {"sub-2-1-borrow", "52-7"},
        {"sub-3-2-hundreds", "143-68"},     {"sub-3-2-hundreds", "105-37"},   {"sub-3-2-zero-tens", "105-37"},
        {"add-3-2", "345+28"},              {"sub-3-2", "352-27"},            {"add-3-carry-ones-tens", "258+365"},
        {"add-3-carry-three", "763+459"},   {"add-3-four-digits", "648+736"}, {"add-3-four-digits", "763+459"},
        {"add-4-3", "4897+389"},            {"sub-4-3", "4897-389"},          {"sub-4-thousand", "1000-265"},
        {"sub-3-zero-tens", "304-127"},     {"mul-3-1-zero", "203x4"},        {"mul-tens", "35x30"},
        {"mul-3-tens", "234x30"},           {"mul-2-1", "23x2"},              {"mul-2-1-hundreds", "31x4"},
        {"mul-2-1-carry", "23x4"},          {"mul-2-2", "23x14"},             {"div-2-1-exact", "84/4"},
        {"div-2-1-remainder", "69/4"},      {"div-2-1-zero", "81/4"},         {"div-3-1-2", "156/3"},
        {"div-3-1-zero", "408/4"},          {"div-tens", "80/20"},            {"div-tens", "90/20"},
        {"div-2-2", "96/32"},               {"div-2-2", "85/85"},             {"div-2-2-fix", "78/26"},
        {"div-2-2-fix", "91/13"},           {"div-3-2-1", "192/32"},          {"div-3-2-2", "896/32"},
        {"div-3-2-zero", "630/21"},         {"div-3-2-fix", "252/36"},        {"div-guess-fix", "78/26"},
        {"div-guess-fix", "91/13"},         {"div-guess-fix", "252/36"},      {"dec-1-add", "0.3+0.4", 1},
        {"dec-1-sub", "2.5-1.8", 1},        {"dec-lengths", "3.45+2.7", 2},   {"dec-whole-minus", "5-1.25", 2},
        {"dec-zero-end", "2.35+1.65", 2},   {"dec-3-add", "2.345+1.255", 3},  {"dec-3-sub", "4.325-1.258", 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.problem);
        const NamedStep *step = findStep(c.key);
        ASSERT_NE(step, nullptr);
        const ProblemChoice choice = problemsOf(*step);
        EXPECT_TRUE(obeysChoice(choice, printed(c.problem, c.decimals, choice)));
    }
    // And not what belongs to another step: 52-7 is not a first-grade borrow, 85/85 needs
    // no correction, 143-68 does not borrow through a zero.
    for (const auto &[key, problem] : {std::pair{"sub-teens-borrow", "52-7"}, std::pair{"div-2-2-fix", "85/85"},
                                       std::pair{"sub-3-2-zero-tens", "143-68"}, std::pair{"div-2-1-remainder", "81/4"},
                                       std::pair{"mul-2-1", "23x1"}, std::pair{"sub-1", "7-7"}, std::pair{"sub-1", "7-0"}})
        EXPECT_FALSE(obeysChoice(problemsOf(*findStep(key)), printed(problem, 0, problemsOf(*findStep(key))))) << key << " " << problem;
}

// No step admits a problem with 0 or 1 that needs no working: the drawn problems hold none,
// every pair of the long steps is looked at, and for whole numbers of up to three places
// the count is every pair the step's places and carries admit less the trivial ones.
TEST(NamedSteps, AdmitNoTrivialProblem)
{
    for (const NamedStep &step : NamedSteps) {
        SCOPED_TRACE(std::string(step.key));
        const ProblemChoice choice = problemsOf(step);
        for (int k = 0; k < 20; ++k)
            for (const SheetProblem &p : worksheetFor({choice, {}, true, false}, k, 99).problems)
                ASSERT_FALSE(trivialProblem(p)) << problemText(p);
        if (isLong(choice.operation)) {
            for (const LongPair &pair : longSetOf(choice).pairs)
                ASSERT_FALSE(trivialProblem(wholeProblem(choice.operation == Operation::Multiply ? Sign::Times : Sign::Divide,
                                                         pair.upper, pair.lower)));
            continue;
        }
        ProblemChoice any = choice;
        any.trivial = Konzai;
        if (choice.operation == Operation::Mixed || !choice.upper.decimals.empty() || !choice.lower.decimals.empty() ||
            choice.upper.whole.size() > 3 || choice.lower.whole.size() > 3)
            continue;
        const bool sub = choice.operation == Operation::Subtract;
        const ColumnGrid grid = gridFor(any, sub);
        std::uint64_t admitted = 0;
        for (int upper = 0; upper <= 999; ++upper)
            for (int lower = 0; lower <= 999; ++lower) {
                const ColumnProblem p = wholeProblem(sub, upper, lower);
                admitted += obeys(grid, sub, Konzai, p) && !trivialProblem(p);
            }
        EXPECT_EQ(countChoice(choice).problems, admitted);
    }
}

// The window's sheet-format dialog lists every step its three places can show, trivial
// problems or not; its own generator never takes a choice that leaves them out or fixes a digit.
TEST(NamedSteps, TheWindowShowsTheThreePlaceSteps)
{
    EXPECT_EQ(settingsOf(*findStep("add-1")), (Settings{Zero, Zero, Rest, Zero, Zero, Rest, Nashi, Nashi, Nashi, 0}));
    EXPECT_EQ(settingsOf(*findStep("sub-1")), (Settings{Zero, Zero, Rest, Zero, Zero, All, Nashi, Nashi, Nashi, 1}));
    int shown = 0;
    for (const NamedStep &step : NamedSteps) {
        const ProblemChoice choice = problemsOf(step);
        EXPECT_FALSE(settingsOf(choice).has_value()) << step.key;
        shown += settingsOf(step).has_value();
    }
    EXPECT_EQ(shown, 21);
    EXPECT_FALSE(settingsOf(*findStep("sub-3-2-zero-tens")).has_value());  // "10a" fixes a digit
    ProblemChoice fixed;
    ASSERT_EQ(readNumberPattern("--upper", "1aa", fixed.upper), "");
    EXPECT_FALSE(settingsOf(fixed).has_value());
    EXPECT_EQ(patternText(fixed.upper, DigitLetters), "1aa");
}
