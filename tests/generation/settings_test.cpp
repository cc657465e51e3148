#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"
#include "texts.h"

using namespace kolvara;

namespace {

// An option by its enumerator's name: "RadioButton" then the number and place and the
// digit kind ("1_10Zero"), or the carry mode and the place ("KuriAgariSagariAri_10").
Option optionNamed(const std::string &name)
{
    static const std::string places[] = {"_100", "_10", "_1"}, kinds[] = {"Zero", "Rest", "All"},
                             modes[] = {"Ari", "Nashi", "Konzai"};
    for (int line = 1; line <= 2; ++line)
        for (int p = 0; p < 3; ++p)
            for (int v = 0; v < 3; ++v) {
                if (name == "RadioButton" + std::to_string(line) + places[p] + kinds[v])
                    return optionAt(OptionGroup((line - 1) * 3 + p), v);
                if (line == 1 && name == "RadioButtonKuriAgariSagari" + modes[v] + places[p])
                    return optionAt(OptionGroup(6 + p), v);
            }
    ADD_FAILURE() << "no option " << name;
    return Option::RadioButton1_1All;
}

// One letter a group, groups in the order 1_100 1_10 1_1 2_100 2_10 2_1 carry 100 10 1:
// Z R A for digit kinds, a n k for Ari, Nashi, Konzai.
char letter(OptionGroup g, int value) { return (isCarryGroup(g) ? "ank" : "ZRA")[value]; }

std::string selectionCode(const ProblemSettings &m)
{
    std::string code;
    for (int g = 0; g < OptionGroupCount; ++g)
        code += letter(OptionGroup(g), valueOf(m.selectedOption(OptionGroup(g))));
    return code;
}

std::string statusCode(const ProblemSettings &m)
{
    std::string code;
    for (int g = 0; g < OptionGroupCount; ++g) {
        const std::string &text = m.statusText(OptionGroup(g));
        char found = '?';
        for (int k = 0; k < 6; ++k)
            if (text == texts::StatusText[k])
                found = "ZRAank"[k];
        code += found;
    }
    return code;
}

std::string settingsCode(const Settings &s)
{
    const std::uint8_t values[9] = {s.DigitKind1_100, s.DigitKind1_10, s.DigitKind1_1, s.DigitKind2_100, s.DigitKind2_10,
                                    s.DigitKind2_1, s.CarryMode_100, s.CarryMode_10, s.CarryMode_1};
    std::string code;
    for (int g = 0; g < 9; ++g)
        code += letter(OptionGroup(g), values[g]);
    return code;
}

// "+" and "-" pick the sign item; anything else is an option's name.
void applySteps(ProblemSettings &m, const std::string &steps)
{
    std::istringstream in(steps);
    for (std::string step; in >> step;) {
        if (step == "+" || step == "-")
            m.selectOperation(step == "-" ? 1 : 0);
        else
            m.SelectOption(optionNamed(step));
    }
}

}  // namespace

struct ClickCase {
    const char *what;
    const char *steps;      // names without the common prefixes, expanded below
    const char *selection;  // selected options after the steps
    const char *status;     // status texts after the steps
};

// Shown by gtest (and in the ctest names) in place of the struct's bytes; the description
// is the test's name already.
void PrintTo(const ClickCase &c, std::ostream *os) { *os << "steps: " << (*c.steps ? c.steps : "none"); }

// The case's description as a test name: "sub: lower tens 1-9" -> "sub_lower_tens_1_9". Two cases
// described alike would get one name, which gtest refuses at start-up.
std::string caseName(const testing::TestParamInfo<ClickCase> &info)
{
    std::string name;
    bool gap = false;
    for (const char ch : std::string_view(info.param.what)) {
        const bool kept = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        if (!kept) {
            gap = true;
            continue;
        }
        if (gap && !name.empty())
            name += '_';
        name += ch;
        gap = false;
    }
    return name;
}

std::string expand(const std::string &steps)
{
    std::istringstream in(steps);
    std::string out;
    for (std::string s; in >> s;) {
        if (s == "+" || s == "-")
            out += s;
        else if (s.rfind("K", 0) == 0)  // K:Ari_1 -> RadioButtonKuriAgariSagariAri_1
            out += "RadioButtonKuriAgariSagari" + s.substr(2);
        else
            out += "RadioButton" + s;
        out += ' ';
    }
    return out;
}

class Clicks : public testing::TestWithParam<ClickCase> {};

TEST_P(Clicks, SelectionsSettingsAndTexts)
{
    const ClickCase &c = GetParam();
    ProblemSettings m = ProblemSettings::makeDefault();
    applySteps(m, expand(c.steps));
    EXPECT_EQ(selectionCode(m), c.selection);
    EXPECT_EQ(statusCode(m), c.status);
    EXPECT_EQ(settingsCode(m.settings()), selectionCode(m)) << "settings follow the selection";
}

INSTANTIATE_TEST_SUITE_P(
    Options, Clicks,
    testing::Values(
        ClickCase{"default", "", "AAAAAAkkk", "AAAAAAkkk"},
        ClickCase{"reselecting runs nothing", "1_1All K:Konzai_10 2_100All +", "AAAAAAkkk", "AAAAAAkkk"},
        ClickCase{"add: upper ones 0", "1_1Zero", "AAZAAAkkn", "AAZAAAkkn"},
        ClickCase{"add: lower ones 0", "2_1Zero", "AAAAAZkkn", "AAAAAZkkn"},
        ClickCase{"add: ones carry", "K:Ari_1", "AARAARkka", "AARAARkka"},
        ClickCase{"add: ones carry then 0", "K:Ari_1 1_1Zero", "AAZAARkkn", "AAZAARkkn"},
        ClickCase{"add: both tens 0", "2_10Zero 1_10Zero", "AZAAZAknk", "AZAAZAknk"},
        ClickCase{"add: upper tens 0 over lower 1-9", "2_10Rest 1_10Zero", "AZAARAkkk", "AZAARAkkk"},
        ClickCase{"add: both hundreds 0", "1_100Zero 2_100Zero", "ZAAZAAnkk", "ZAAZAAnkk"},
        ClickCase{"sub: switch", "-", "AAAAAAkkk", "AAAAAAnkk"},
        ClickCase{"sub: switch over upper hundreds 0", "1_100Zero -", "ZRAZAAknk", "ZRAZAAnnk"},
        ClickCase{"sub: switch over lower hundreds 1-9", "2_100Rest -", "RAARAAkkk", "RAARAAnkk"},
        ClickCase{"sub: switch over lower 1-9 1-9", "2_100Rest 2_10Rest -", "RRARRAkkk", "RRARRAnkk"},
        ClickCase{"sub: upper hundreds 0", "- 1_100Zero", "ZAAZAAknk", "ZAAZAAnnk"},
        ClickCase{"sub: lower hundreds all stays 0", "- 1_100Zero 2_100All", "ZAAZAAknk", "ZAAZAAnnk"},
        ClickCase{"sub: lower hundreds 1-9 stays 0", "- 1_100Zero 2_100Rest", "RAAZAAknk", "RAAZAAnnk"},
        ClickCase{"sub: lower hundreds 1-9 twice", "- 1_100Zero 2_100Rest 2_100Rest", "RAARAAknk", "RAARAAnnk"},
        ClickCase{"sub: upper tens 0 under hundreds 0", "- 1_100Zero K:Konzai_10 1_10Zero", "ZZRZZAknn", "ZZRZZAnnn"},
        ClickCase{"sub: tens text without tens option", "- 2_10Zero 1_100Zero K:Konzai_10 1_10Zero", "ZZRZZAkkn",
                  "ZZRZZAnnn"},
        ClickCase{"sub: upper ones 0 under 0 0", "- 1_100Zero K:Konzai_10 1_10Zero 1_1Zero", "ZRZZZAknn",
                  "ZRZZZAnnn"},
        ClickCase{"sub: upper hundreds 0 after tens and ones 0", "- 1_10Zero 1_1Zero 1_100Zero", "ZZZZAAknk",
                  "ZZZZAAnnk"},
        ClickCase{"sub: lower tens 0 under upper 0 0", "- 1_10Zero 1_100Zero K:Konzai_10 2_10Zero", "ZZAZZAknk",
                  "ZZAZZAnnk"},
        ClickCase{"sub: lower tens 1-9 under lower hundreds 1-9", "- 2_100Rest 2_10Rest", "RRARRAkkk", "RRARRAnkk"},
        ClickCase{"sub: borrows may be set", "- K:Ari_1 K:Ari_10", "AAAAAAkaa", "AAAAAAnaa"},
        ClickCase{"back to add restores the hundreds text", "K:Ari_100 - +", "AAAAAAakk", "AAAAAAakk"},
        ClickCase{"switching back keeps subtraction's changes", "1_100Zero - +", "ZRAZAAknk", "ZRAZAAknk"}),
    caseName);

TEST(Settings, StoredLayoutBeforeStart)
{
    ProblemSettings m;
    EXPECT_EQ(selectionCode(m), "ZZAAAAkkk");
    EXPECT_EQ(m.operationItem(), 1);
}

TEST(Settings, StartRunsOnlyTheChangingSelections)
{
    ProblemSettings m;
    std::vector<OptionGroup> changed;
    int operationChanges = 0;
    m.selectionChanged = [&](OptionGroup g) { changed.push_back(g); };
    m.operationChanged = [&] { ++operationChanges; };
    m.start();
    EXPECT_EQ(changed, (std::vector<OptionGroup>{OptionGroup::GroupBox1_10, OptionGroup::GroupBox1_100}));
    EXPECT_EQ(operationChanges, 1);
    EXPECT_EQ(m.settings(), Settings{});
    const std::string all(texts::statusText(All)), mixed(texts::statusText(Konzai));
    EXPECT_EQ(m.statusLine1(), all + "," + all + "," + all);
    EXPECT_EQ(m.statusLine2(), m.statusLine1());
    EXPECT_EQ(m.statusLineK(), mixed + "," + mixed + "," + mixed);
}

TEST(Settings, ProgramSelectionsAreReportedToTheView)
{
    ProblemSettings m = ProblemSettings::makeDefault();
    std::vector<OptionGroup> changed;
    m.selectionChanged = [&](OptionGroup g) { changed.push_back(g); };
    m.SelectOption(Option::RadioButtonKuriAgariSagariAri_1);
    EXPECT_EQ(changed, (std::vector<OptionGroup>{OptionGroup::GroupBoxKuriAgariSagari_1, OptionGroup::GroupBox1_1,
                                                 OptionGroup::GroupBox2_1}));
}

TEST(Settings, PresentationFollowsTheOperation)
{
    ProblemSettings m = ProblemSettings::makeDefault();
    for (int item : {1, 0, 1}) {
        const bool sub = item == 1;
        SCOPED_TRACE(sub ? "to subtraction" : "to addition");
        m.selectOperation(item);
        const auto &hints = sub ? texts::GroupHintSubtraction : texts::GroupHintAddition;
        EXPECT_EQ(m.isHundredsCarryGroupVisible(), !sub);
        EXPECT_EQ(m.groupHint(OptionGroup::GroupBox2_1), hints[std::size_t(OptionGroup::GroupBox2_1)]);
        EXPECT_EQ(m.groupHint(OptionGroup::GroupBoxKuriAgariSagari_1),
                  hints[std::size_t(OptionGroup::GroupBoxKuriAgariSagari_1)]);
    }
}

TEST(Settings, ProblemsPerRowCountsOnlyHundredsAndTens)
{
    EXPECT_EQ(problemsPerRowFor(Settings{Zero, Zero, All, Zero, Zero, Rest, Konzai, Konzai, Konzai, 0}), 7);
    EXPECT_EQ(problemsPerRowFor(Settings{Zero, Zero, All, Zero, Rest, Rest, Konzai, Konzai, Konzai, 0}), 5);
    EXPECT_EQ(problemsPerRowFor(Settings{}), 5);
}
