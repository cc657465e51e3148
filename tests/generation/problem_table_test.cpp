#include <gtest/gtest.h>

#include <string>

#include "problem_table.h"
#include "texts.h"

using namespace kolvara;

namespace {

struct Sheet {
    ProblemSettings settings = ProblemSettings::makeDefault();
    RandomSource random;
    std::uint32_t now = 1000;
    ProblemTable table{settings, random, [this] { return now; }};
    SheetGeometry geometry;

    Sheet() { table.setUp(geometry); }
    void select(std::initializer_list<Option> options)
    {
        for (Option o : options)
            settings.SelectOption(o);
    }
    std::vector<std::string> row(int r) const
    {
        std::vector<std::string> cells;
        for (int c = 0; c < table.columnCount(); ++c)
            cells.push_back(table.cell(c, r));
        return cells;
    }
};

using O = Option;

}  // namespace

TEST(ProblemTable, SetUpBeforeTheFirstFill)
{
    Sheet sheet;
    EXPECT_EQ(sheet.geometry.ProblemsPerRow, 7);
    EXPECT_EQ(sheet.geometry.RowCount, 4);
    EXPECT_EQ(sheet.table.columnCount(), 29);
    EXPECT_EQ(sheet.table.cell(28, 0), "28");
    EXPECT_FALSE(sheet.table.Dainyuu(1)) << "nothing to split before a fill";
}

TEST(ProblemTable, GeometryFollowsDigitKinds)
{
    const std::vector<O> oneDigitEach{O::RadioButton1_100Zero, O::RadioButton1_10Zero, O::RadioButton2_100Zero,
                                      O::RadioButton2_10Zero};
    const struct {
        const char *what;
        std::vector<O> options;
        int perRow;
    } cases[] = {
        {"defaults", {}, 5},
        {"one digit each", oneDigitEach, 7},
        {"lower tens free", {O::RadioButton1_100Zero, O::RadioButton1_10Zero, O::RadioButton2_100Zero}, 5},
        {"one digit each, ones restricted",
         {O::RadioButton1_100Zero, O::RadioButton1_10Zero, O::RadioButton2_100Zero, O::RadioButton2_10Zero,
          O::RadioButton1_1Rest, O::RadioButton2_1Zero},
         7},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Sheet sheet;
        for (O o : c.options)
            sheet.settings.SelectOption(o);
        ASSERT_TRUE(sheet.table.DataJunbi(sheet.geometry).filled);
        const int count = 4 * c.perRow;
        EXPECT_EQ(sheet.geometry.ProblemsPerRow, c.perRow);
        EXPECT_EQ(sheet.geometry.RowCount, 4);
        EXPECT_EQ(sheet.table.columnCount(), count + 1);
        EXPECT_EQ(sheet.table.filledProblemCount(), count);
        EXPECT_EQ(sheet.table.cell(count, 0), std::to_string(count));
        EXPECT_FALSE(sheet.table.Dainyuu(count + 1));
    }
}

TEST(ProblemTable, LabelsAndResultsFollowTheOperation)
{
    for (int item : {0, 1}) {
        SCOPED_TRACE(item ? "subtraction" : "addition");
        Sheet sheet;
        sheet.settings.selectOperation(item);
        ASSERT_TRUE(sheet.table.DataJunbi(sheet.geometry).filled);
        EXPECT_EQ(sheet.table.cell(0, 1), texts::TableUpper);
        EXPECT_EQ(sheet.table.cell(0, 2), texts::TableLower);
        EXPECT_EQ(sheet.table.cell(0, 3), item ? texts::TableDifference : texts::TableSum);
        EXPECT_EQ(sheet.table.filledForSubtraction(), item == 1);
        for (int c = 1; c <= 20; ++c) {
            const auto p = sheet.table.Dainyuu(c);
            ASSERT_TRUE(p);
            EXPECT_EQ(p->Line1Value, std::stoi(sheet.table.cell(c, 1)));
            EXPECT_EQ(p->Line1_100 * 100 + p->Line1_10 * 10 + p->Line1_1, p->Line1Value);
            EXPECT_EQ(p->Line2_100 * 100 + p->Line2_10 * 10 + p->Line2_1, p->Line2Value);
            const int result = item ? p->Line1Value - p->Line2Value : p->Line1Value + p->Line2Value;
            EXPECT_GE(result, 0);
            EXPECT_EQ(std::to_string(result), sheet.table.cell(c, 3));
        }
    }
}

TEST(ProblemTable, SplitsNumbersIntoDigits)
{
    // Hundreds and tens 0, ones fixed by the settings: every problem is the same.
    Sheet sheet;
    sheet.select({O::RadioButton1_100Zero, O::RadioButton1_10Zero, O::RadioButton1_1Zero, O::RadioButton2_100Zero,
                  O::RadioButton2_10Zero, O::RadioButton2_1Zero});
    ASSERT_TRUE(sheet.table.DataJunbi(sheet.geometry).filled);
    const auto zero = sheet.table.Dainyuu(28);
    ASSERT_TRUE(zero);
    EXPECT_EQ((std::vector<int>{zero->Line1_100, zero->Line1_10, zero->Line1_1, zero->Line1Value}),
              (std::vector<int>{0, 0, 0, 0}));

    sheet.select({O::RadioButton1_100Rest, O::RadioButton1_10All, O::RadioButton1_1All});
    ASSERT_TRUE(sheet.table.DataJunbi(sheet.geometry).filled);
    for (int c = 1; c <= 20; ++c) {
        const auto p = sheet.table.Dainyuu(c);
        const int v = std::stoi(sheet.table.cell(c, 1));
        EXPECT_EQ((std::vector<int>{p->Line1_100, p->Line1_10, p->Line1_1}),
                  (std::vector<int>{v / 100, v / 10 % 10, v % 10}));
        EXPECT_GE(p->Line1_100, 1);
    }
}

TEST(ProblemTable, SubtractionTurnsOffBorrowsAnUpperZeroWouldMakeImpossible)
{
    Sheet sheet;
    sheet.select({O::RadioButtonKuriAgariSagariAri_10});
    sheet.settings.selectOperation(1);
    sheet.select({O::RadioButton1_100Zero, O::RadioButtonKuriAgariSagariAri_10});
    ASSERT_TRUE(sheet.table.DataJunbi(sheet.geometry).filled);
    EXPECT_TRUE(sheet.settings.isSelected(O::RadioButtonKuriAgariSagariNashi_10));
    EXPECT_EQ(sheet.settings.settings().CarryMode_10, Nashi);
    for (int c = 1; c <= 20; ++c) {
        const int u = std::stoi(sheet.table.cell(c, 1)), l = std::stoi(sheet.table.cell(c, 2));
        EXPECT_GE(u % 100, l % 100) << "no borrow from the hundreds";
    }

    sheet.select({O::RadioButtonKuriAgariSagariKonzai_1});
    sheet.settings.selectOperation(0);  // upper tens "０" without the subtraction rules
    sheet.select({O::RadioButton1_10Zero});
    sheet.settings.selectOperation(1);
    sheet.select({O::RadioButton1_10Zero, O::RadioButtonKuriAgariSagariAri_1});
    ASSERT_TRUE(sheet.settings.isSelected(O::RadioButton1_10Zero));
    ASSERT_TRUE(sheet.table.DataJunbi(sheet.geometry).filled);
    EXPECT_TRUE(sheet.settings.isSelected(O::RadioButtonKuriAgariSagariNashi_1));
    EXPECT_TRUE(sheet.settings.isSelected(O::RadioButtonKuriAgariSagariNashi_10));
}

TEST(ProblemTable, ImpossibleSettingsLeaveEverythingAsItWas)
{
    Sheet sheet;
    ASSERT_TRUE(sheet.table.DataJunbi(sheet.geometry).filled);
    const auto problems = sheet.row(1);
    const SheetGeometry geometry = sheet.geometry;
    const auto state = sheet.random.state();

    // Adding: both tens places "０" but the tens column must always carry.
    sheet.select({O::RadioButton1_10Zero, O::RadioButton2_10Zero, O::RadioButtonKuriAgariSagariAri_10});
    sheet.now = 5000;
    const FillResult result = sheet.table.DataJunbi(sheet.geometry);
    EXPECT_FALSE(result.filled);
    EXPECT_NE(result.reason.find(texts::PlaceName[texts::TensPlace]), std::string::npos) << result.reason;
    EXPECT_NE(result.reason.find(texts::CarryAddition), std::string::npos) << result.reason;
    EXPECT_EQ(sheet.row(1), problems);
    EXPECT_EQ(sheet.geometry.ProblemsPerRow, geometry.ProblemsPerRow);
    EXPECT_EQ(sheet.random.state(), state);
}

TEST(ProblemTable, ReasonsNameTheColumnAndTheRule)
{
    using texts::HundredsPlace, texts::TensPlace, texts::OnesPlace, texts::PlaceName, texts::optionCaption;
    const struct {
        const char *what;
        Settings settings;
        std::string_view place, mode;
    } cases[] = {
        {"add: ones carry, upper ones 0",
         {All, All, Zero, All, All, All, Ari, Konzai, Konzai, 0}, PlaceName[OnesPlace], optionCaption(Ari)},
        {"add: tens carry, upper tens 0, no ones carry",
         {All, Zero, All, All, Rest, All, Nashi, Ari, Konzai, 0}, PlaceName[TensPlace], optionCaption(Ari)},
        {"add: hundreds carry, both hundreds 0",
         {Zero, All, All, Zero, All, All, Konzai, Nashi, Ari, 0}, PlaceName[HundredsPlace], optionCaption(Ari)},
        {"sub: ones borrow, lower ones 0",
         {All, All, All, All, All, Zero, Ari, Konzai, Konzai, 1}, PlaceName[OnesPlace], optionCaption(Ari)},
        {"sub: no ones borrow, upper ones 0, lower 1-9",
         {All, All, Zero, All, All, Rest, Nashi, Konzai, Konzai, 1}, PlaceName[OnesPlace], optionCaption(Nashi)},
        {"sub: tens borrow, lower tens 0, no ones borrow",
         {All, All, All, All, Zero, All, Nashi, Ari, Konzai, 1}, PlaceName[TensPlace], optionCaption(Ari)},
        {"sub: no tens borrow, upper tens 0, lower 1-9",
         {All, Zero, All, All, Rest, All, Konzai, Nashi, Konzai, 1}, PlaceName[TensPlace], optionCaption(Nashi)},
        {"sub: upper hundreds 0, lower 1-9",
         {Zero, All, All, Rest, All, All, Konzai, Konzai, Konzai, 1}, PlaceName[HundredsPlace],
         texts::LowerNumberSubtraction},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const Feasibility f = checkFeasibility(c.settings);
        EXPECT_FALSE(f.possible);
        EXPECT_NE(f.reason.find(c.place), std::string::npos) << f.reason;
        EXPECT_NE(f.reason.find(c.mode), std::string::npos) << f.reason;
    }
}

TEST(ProblemTable, FillsReseedFromTheClock)
{
    Sheet a, b;
    a.now = b.now = 43200123;
    ASSERT_TRUE(a.table.DataJunbi(a.geometry).filled);
    ASSERT_TRUE(b.table.DataJunbi(b.geometry).filled);
    EXPECT_EQ(a.row(1), b.row(1));
    EXPECT_EQ(a.row(2), b.row(2));
    b.now += 1;
    ASSERT_TRUE(b.table.DataJunbi(b.geometry).filled);
    EXPECT_NE(a.row(1), b.row(1));
}
