// Every combination of digit kinds, carry modes and operation, against every pair of numbers
// up to 999: the exact count, where a carry (or borrow) can and cannot happen, where the
// helper boxes go and what the status lines say; a fill either succeeds with problems that
// obey every rule, or is refused exactly when no problem exists at all.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "feasibility.h"
#include "problem_table.h"
#include "sheet.h"
#include "status_lines.h"

using namespace kolvara;

namespace {

// What a pair (upper, lower) looks like to the settings: which of its six digits are 0,
// and the carries (addition) or borrows (subtraction) that written arithmetic produces.
// For subtraction the third bit says whether the difference is non-negative.
struct Signature {
    std::array<bool, 6> zeroDigit;  // upper 100, 10, 1, lower 100, 10, 1
    std::array<bool, 3> carry;      // ones, tens, hundreds
};

Signature signatureOf(bool subtraction, int upper, int lower)
{
    Signature s;
    const int digits[6] = {upper / 100, upper / 10 % 10, upper % 10, lower / 100, lower / 10 % 10, lower % 10};
    for (int i = 0; i < 6; ++i)
        s.zeroDigit[i] = digits[i] == 0;
    if (subtraction) {
        s.carry = {upper % 10 < lower % 10, upper % 100 < lower % 100, upper >= lower};
    } else {
        s.carry = {upper % 10 + lower % 10 >= 10, upper % 100 + lower % 100 >= 100, upper + lower >= 1000};
    }
    return s;
}

int encode(const Signature &s)
{
    int code = 0;
    for (bool b : s.zeroDigit)
        code = code * 2 + b;
    for (bool b : s.carry)
        code = code * 2 + b;
    return code;
}

bool kindAllows(std::uint8_t kind, bool zero) { return kind == All || (kind == Zero) == zero; }
bool modeAllows(std::uint8_t mode, bool carry) { return mode == Konzai || (mode == Ari) == carry; }

bool obeys(const Settings &st, const Signature &s)
{
    const std::uint8_t kinds[6] = {st.DigitKind1_100, st.DigitKind1_10, st.DigitKind1_1,
                                   st.DigitKind2_100, st.DigitKind2_10, st.DigitKind2_1};
    for (int i = 0; i < 6; ++i)
        if (!kindAllows(kinds[i], s.zeroDigit[i]))
            return false;
    if (!modeAllows(st.CarryMode_1, s.carry[0]) || !modeAllows(st.CarryMode_10, s.carry[1]))
        return false;
    return st.IsSubtraction ? s.carry[2] : modeAllows(st.CarryMode_100, s.carry[2]);
}

Signature decode(int code)
{
    Signature s;
    for (int i = 2; i >= 0; --i, code >>= 1)
        s.carry[i] = code & 1;
    for (int i = 5; i >= 0; --i, code >>= 1)
        s.zeroDigit[i] = code & 1;
    return s;
}

// How many pairs show each signature, by operation: every pair of numbers 0 to 999.
std::array<std::array<std::uint32_t, 512>, 2> countSignatures()
{
    std::array<std::array<std::uint32_t, 512>, 2> counts{};
    for (int op = 0; op < 2; ++op)
        for (int u = 0; u < 1000; ++u)
            for (int l = 0; l < 1000; ++l)
                ++counts[op][encode(signatureOf(op == 1, u, l))];
    return counts;
}

}  // namespace

TEST(Sweep, EveryCombinationFillsCorrectlyOrIsRefusedExactlyWhenImpossible)
{
    const auto signatureCounts = countSignatures();
    int combinations = 0, refused = 0;
    for (int code = 0; code < SettingsCombinationCount; ++code) {
        SCOPED_TRACE("combination " + std::to_string(code));
        const Settings st = settingsCombination(code);
        ++combinations;

        const bool sub = st.IsSubtraction == 1;
        std::uint32_t expected = 0;
        std::array<CarryChances, 3> chances{};
        for (int sig = 0; sig < 512; ++sig) {
            const Signature signature = decode(sig);
            if (!signatureCounts[st.IsSubtraction][sig] || !obeys(st, signature))
                continue;
            expected += signatureCounts[st.IsSubtraction][sig];
            for (std::size_t c = 0; c < 3; ++c) {
                // The hundreds of a difference never borrow: its third bit says "not negative".
                const bool carries = sub && c == 2 ? false : signature.carry[c];
                (carries ? chances[c].some : chances[c].none) = true;
            }
        }

        const Feasibility feasibility = checkFeasibility(st);
        ASSERT_EQ(feasibility.problemCount, expected);
        ASSERT_EQ(feasibility.possible, expected > 0);
        ASSERT_EQ(feasibility.reason.empty(), expected > 0);
        // The English line says the same: it names the places the Japanese one names, and
        // the same carry mode.
        ASSERT_EQ(feasibility.reasonEnglish.empty(), expected > 0);
        for (const auto &[japanese, english] : {std::pair{"百の位", "hundreds"}, std::pair{"十の位", "tens"},
                                                std::pair{"一の位", "ones"}, std::pair{"「あり」に", "cannot always"},
                                                std::pair{"「なし」に", "cannot never"}, std::pair{"より小さく", "smaller than"}})
            ASSERT_EQ(feasibility.reason.find(japanese) != std::string::npos,
                      feasibility.reasonEnglish.find(english) != std::string::npos)
                << feasibility.reason << " / " << feasibility.reasonEnglish;

        const auto computed = carryChances(st);
        for (std::size_t c = 0; c < 3; ++c) {
            ASSERT_EQ(computed[c].some, chances[c].some) << "column " << c;
            ASSERT_EQ(computed[c].none, chances[c].none) << "column " << c;
        }
        // A helper box above each column that some problem carries into (adding) or that
        // lends to the column on its right (subtracting).
        const HelperColumns helpers{false, chances[0].some, chances[1].some, !sub && chances[2].some};
        ASSERT_EQ(helperColumnsFor(st), helpers);
        // The carry line names what the problems do: "なし" where none carries, "あり" where
        // all do, else the choice; settings without a problem show the choice as it is.
        const auto shown = [&](std::uint8_t mode, std::size_t c) -> std::uint8_t {
            if (expected == 0)
                return mode;
            return !chances[c].some ? std::uint8_t(Nashi) : !chances[c].none ? std::uint8_t(Ari) : mode;
        };
        const std::uint8_t carryShown[3] = {sub ? std::uint8_t(Nashi) : shown(st.CarryMode_100, 2),
                                            shown(st.CarryMode_10, 1), shown(st.CarryMode_1, 0)};
        std::string carryLine;
        for (int g = 0; g < 3; ++g)
            carryLine += std::string(g ? "," : "") +
                         std::string(statusTextOf(optionAt(OptionGroup(6 + g), carryShown[g] > 2 ? 2 : carryShown[g])));
        ASSERT_EQ(statusLinesOf(st)[2], carryLine);

        ProblemSettings model = ProblemSettings::makeDefault();
        RandomSource random;
        ProblemTable table(model, random, [code] { return std::uint32_t(code * 7919u); });
        SheetGeometry geometry;
        const FillResult result = table.fill(st, geometry);
        ASSERT_EQ(result.filled, expected > 0);
        if (!result.filled) {
            ++refused;
            EXPECT_FALSE(result.reason.empty());
            continue;
        }
        const int count = geometry.RowCount * geometry.ProblemsPerRow;
        ASSERT_EQ(table.filledProblemCount(), count);
        for (int c = 1; c <= count; ++c) {
            const int upper = std::stoi(table.cell(c, 1)), lower = std::stoi(table.cell(c, 2));
            const int result3 = std::stoi(table.cell(c, 3));
            ASSERT_TRUE(obeys(st, signatureOf(st.IsSubtraction, upper, lower)))
                << upper << (st.IsSubtraction ? " - " : " + ") << lower;
            ASSERT_EQ(result3, st.IsSubtraction ? upper - lower : upper + lower);
        }
    }
    EXPECT_EQ(combinations, 39366);
    // Roughly two fifths of all combinations admit no problem at all.
    EXPECT_GT(refused, combinations / 4);
    EXPECT_LT(refused, combinations / 2);
}
