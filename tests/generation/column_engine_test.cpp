// The column engine against brute force: counts, carry chances and draws for whole numbers and
// decimals of up to four whole places, checked by enumerating the numbers themselves and
// reading carries off their sums, not columns.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>

#include "column_engine.h"
#include "feasibility.h"

using namespace kolvara;

namespace {

// Powers of ten up to 10^7.
std::int64_t tenTo(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// A problem as two whole numbers in units of the grid's smallest place.
struct Pair {
    std::int64_t upper, lower;
};

// Whether the pair obeys the grid, read off the numbers: a column c carries when the parts of
// the two numbers below and at c add up to 10^(c+1) or more, and borrows when the upper part
// is the smaller.
bool bruteObeys(const ColumnGrid &g, bool sub, std::uint8_t zeroEnd, const Pair &p, std::array<int, MaxColumns> &carries)
{
    const int n = g.columns();
    for (int c = 0; c < n; ++c) {
        const int a = int(p.upper / tenTo(c) % 10), b = int(p.lower / tenTo(c) % 10);
        const auto allows = [](std::uint8_t kind, int d) {
            if (kind > FixedDigitBase)
                return d == kind - FixedDigitBase;
            return kind == All ? true : kind == Rest ? d > 0 : d == 0;  // Zero and Blank are 0
        };
        if (!allows(g.upper[std::size_t(c)], a) || !allows(g.lower[std::size_t(c)], b))
            return false;
        const std::int64_t m = tenTo(c + 1);
        const bool carry = sub ? p.upper % m < p.lower % m : p.upper % m + p.lower % m >= m;
        carries[std::size_t(c)] = carry;
        const std::uint8_t mode = g.mode[std::size_t(c)];
        if ((mode == Ari && !carry) || (mode == Nashi && carry))
            return false;
    }
    if (sub && p.upper < p.lower)
        return false;
    // Adding 0 either way round, taking 0 away, or a number from itself.
    if (g.trivial != Konzai) {
        const bool trivial = sub ? p.lower == 0 || p.upper == p.lower : p.upper == 0 || p.lower == 0;
        if (trivial != (g.trivial == Ari))
            return false;
    }
    if (g.decimals > 0 && zeroEnd != Konzai) {
        const bool zero = (sub ? p.upper - p.lower : p.upper + p.lower) % 10 == 0;
        if ((zeroEnd == Ari) != zero)
            return false;
    }
    return true;
}

Pair pairOf(const ColumnProblem &p, int columns)
{
    Pair pair{0, 0};
    for (int c = columns - 1; c >= 0; --c) {
        pair.upper = pair.upper * 10 + std::max<int>(p.upper[std::size_t(c)], 0);
        pair.lower = pair.lower * 10 + std::max<int>(p.lower[std::size_t(c)], 0);
    }
    return pair;
}

struct Brute {
    std::uint64_t count = 0;
    std::array<CarryChances, MaxColumns> chances{};
};

// Enumerates only the digits each place allows, so four-digit settings with some fixed places
// stay small.
Brute bruteCount(const ColumnGrid &g, bool sub, std::uint8_t zeroEnd)
{
    Brute b;
    const int n = g.columns();
    std::vector<std::int64_t> uppers{0}, lowers{0};
    for (int c = n - 1; c >= 0; --c) {
        const auto extend = [](std::vector<std::int64_t> &values, std::uint8_t kind) {
            std::vector<std::int64_t> next;
            for (std::int64_t v : values)
                for (int d = 0; d <= 9; ++d)
                    if (kind > FixedDigitBase ? d == kind - FixedDigitBase : kind == All || (kind == Rest ? d > 0 : d == 0))
                        next.push_back(v * 10 + d);
            values.swap(next);
        };
        extend(uppers, g.upper[std::size_t(c)]);
        extend(lowers, g.lower[std::size_t(c)]);
    }
    std::array<int, MaxColumns> carries{};
    for (std::int64_t u : uppers)
        for (std::int64_t l : lowers)
            if (bruteObeys(g, sub, zeroEnd, {u, l}, carries)) {
                ++b.count;
                for (int c = 0; c < n; ++c)
                    (carries[std::size_t(c)] ? b.chances[std::size_t(c)].some : b.chances[std::size_t(c)].none) = true;
            }
    return b;
}

std::uint64_t spaceOf(const ColumnGrid &g)
{
    std::uint64_t space = 1;
    for (int c = 0; c < g.columns(); ++c)
        for (std::uint8_t kind : {g.upper[std::size_t(c)], g.lower[std::size_t(c)]})
            space *= kind == All ? 10 : kind == Rest ? 9 : 1;  // a fixed digit is one
    return space;
}

// Random conditions: up to four whole places, up to three decimal places, either number
// possibly shorter, some places a fixed digit, every mode.
ColumnConditions randomConditions(std::mt19937 &rng)
{
    const auto pick = [&rng](int n) { return int(rng() % std::uint32_t(n)); };
    ColumnConditions k;
    k.subtraction = pick(2) == 1;
    for (NumberPattern *p : {&k.upper, &k.lower}) {
        p->whole.resize(std::size_t(1 + pick(MaxWholePlaces)));
        p->decimals.resize(std::size_t(pick(MaxDecimalPlaces + 1)));
        const auto kindOf = [&] { return pick(8) == 7 ? fixedDigit(1 + pick(9)) : std::uint8_t(pick(3)); };
        for (auto &kind : p->whole)
            kind = kindOf();
        for (auto &kind : p->decimals)
            kind = kindOf();
    }
    const std::size_t columns = std::max(k.upper.whole.size(), k.lower.whole.size()) +
                                std::max(k.upper.decimals.size(), k.lower.decimals.size());
    k.carry.resize(columns);
    for (auto &mode : k.carry)
        mode = std::uint8_t(pick(3));
    k.zeroEnd = std::uint8_t(pick(3));
    // Only trivial problems are few: asked for now and then.
    const int trivial = pick(6);
    k.trivial = trivial == 0 ? std::uint8_t(Ari) : trivial < 3 ? std::uint8_t(Nashi) : std::uint8_t(Konzai);
    return k;
}

}  // namespace

// The window's three places: the engine counts what the feasibility check counts.
TEST(ColumnEngine, AgreesWithTheThreePlaceCountForEverySetting)
{
    for (int code = 0; code < SettingsCombinationCount; ++code) {
        const Settings st = settingsCombination(code);
        const GridResult r = gridOf(conditionsOf(st));
        ASSERT_TRUE(r.error.empty());
        const ColumnCount count = countProblems(r.grid, st.IsSubtraction == 1, Konzai);
        ASSERT_EQ(count.problems, checkFeasibility(st).problemCount) << "combination " << code;
        const auto chances = carryChances(st);
        for (std::size_t c = 0; c < 3; ++c) {
            ASSERT_EQ(count.chances[c].some, chances[c].some) << "combination " << code << " column " << c;
            ASSERT_EQ(count.chances[c].none, chances[c].none) << "combination " << code << " column " << c;
        }
    }
}

// Four places, decimals, numbers of different lengths and the zero-end condition: counts and
// chances against enumeration, and every drawn problem obeys, for settings to thousandths
// (whose random grids are mostly too large to enumerate) and then a broad random sweep.
TEST(ColumnEngine, CountsChancesAndDrawsAgreeWithBruteForce)
{
    const auto conditions = [](bool sub, NumberPattern upper, NumberPattern lower, std::vector<std::uint8_t> carry,
                               std::uint8_t zeroEnd, std::uint8_t trivial) {
        return ColumnConditions{sub, std::move(upper), std::move(lower), std::move(carry), zeroEnd, trivial};
    };
    const ColumnConditions thousandths[] = {
        // n.aan + 0.0an, the thousandths always carrying
        conditions(false, {{Rest}, {All, All, Rest}}, {{Zero}, {Zero, All, Rest}}, {Konzai, Konzai, Konzai, Ari}, Konzai, Konzai),
        // a.aaa - a.n, the answer ending in 0
        conditions(true, {{All}, {All, All, All}}, {{All}, {Rest}}, {Nashi, Konzai, Konzai, Konzai}, Ari, Konzai),
        // n.aaa + n.a, never ending in 0, nothing trivial
        conditions(false, {{Rest}, {All, All, All}}, {{Rest}, {All}}, {Konzai, Konzai, Konzai, Konzai}, Nashi, Nashi),
        // n - 0.aan: the blank places lend as zeros
        conditions(true, {{Rest}, {}}, {{Zero}, {All, All, Rest}}, {Nashi, Ari, Konzai, Konzai}, Konzai, Nashi),
        // 2.345 + 1.255 alone
        conditions(false, {{fixedDigit(2)}, {fixedDigit(3), fixedDigit(4), fixedDigit(5)}},
                   {{fixedDigit(1)}, {fixedDigit(2), fixedDigit(5), fixedDigit(5)}}, {Konzai, Konzai, Ari, Ari}, Ari, Konzai),
    };
    std::mt19937 rng(20261207);
    int checked = 0, feasible = 0;
    while (checked < 700 + int(std::size(thousandths))) {
        const ColumnConditions k =
            checked < int(std::size(thousandths)) ? thousandths[std::size_t(checked)] : randomConditions(rng);
        const GridResult r = gridOf(k);
        ASSERT_TRUE(r.error.empty());
        if (spaceOf(r.grid) > 2'000'000)
            continue;  // brute force keeps to what it can enumerate quickly
        ++checked;
        const Brute brute = bruteCount(r.grid, k.subtraction, k.zeroEnd);
        const ColumnCount count = countProblems(r.grid, k.subtraction, k.zeroEnd);
        ASSERT_EQ(count.problems, brute.count) << "sweep " << checked;
        for (int c = 0; c < r.grid.columns(); ++c) {
            ASSERT_EQ(count.chances[std::size_t(c)].some, brute.chances[std::size_t(c)].some) << "column " << c;
            ASSERT_EQ(count.chances[std::size_t(c)].none, brute.chances[std::size_t(c)].none) << "column " << c;
        }
        if (!count.problems)
            continue;
        ++feasible;
        WideRandom random{std::uint64_t(checked)};
        std::array<int, MaxColumns> carries{};
        for (int draw = 0; draw < 200; ++draw) {
            const ColumnProblem p = drawProblem(r.grid, k.subtraction, k.zeroEnd, random);
            ASSERT_TRUE(obeys(r.grid, k.subtraction, k.zeroEnd, p));
            ASSERT_TRUE(bruteObeys(r.grid, k.subtraction, k.zeroEnd, pairOf(p, r.grid.columns()), carries));
        }
    }
    EXPECT_GT(feasible, 100);
}

// The draw is uniform: over a small setting each problem comes up about equally often.
TEST(ColumnEngine, DrawsAreUniform)
{
    // One-place sums that carry: 45 problems. One-place differences without 0 taken away or a
    // number from itself: 55 less 10 less 10 plus 0-0 once, 36.
    const struct {
        bool sub;
        std::uint8_t carry, trivial;
        std::uint64_t problems;
    } cases[] = {{false, Ari, Konzai, 45}, {true, Konzai, Nashi, 36}};
    for (const auto &c : cases) {
        ColumnConditions k;
        k.subtraction = c.sub;
        k.upper.whole = {All};
        k.lower.whole = {All};
        k.carry = {c.carry};
        k.trivial = c.trivial;
        const GridResult r = gridOf(k);
        ASSERT_EQ(countProblems(r.grid, c.sub, Konzai).problems, c.problems);
        std::map<std::pair<int, int>, int> seen;
        WideRandom random(7);
        for (std::uint64_t i = 0; i < c.problems * 400; ++i) {
            const ColumnProblem p = drawProblem(r.grid, c.sub, Konzai, random);
            ++seen[{p.upper[0], p.lower[0]}];
        }
        ASSERT_EQ(seen.size(), c.problems);
        for (const auto &[pair, times] : seen) {
            EXPECT_GT(times, 300) << pair.first << (c.sub ? "-" : "+") << pair.second;
            EXPECT_LT(times, 500) << pair.first << (c.sub ? "-" : "+") << pair.second;
            EXPECT_TRUE(!c.sub || (pair.second != 0 && pair.first != pair.second));
        }
    }
}

// What the pupil writes for problems of different lengths and with decimals.
TEST(ColumnEngine, WorkOfDecimalsAndWholeNumbersBesideThem)
{
    const auto problem = [](bool sub, int decimals, std::vector<int> upper, std::vector<int> lower) {
        ColumnProblem p;  // digits given smallest place first, -1 for none
        p.sign = sub ? Sign::Minus : Sign::Plus;
        p.decimals = decimals;
        p.upper.fill(-1);
        p.lower.fill(-1);
        for (std::size_t i = 0; i < upper.size(); ++i)
            p.upper[i] = std::int8_t(upper[i]);
        for (std::size_t i = 0; i < lower.size(); ++i)
            p.lower[i] = std::int8_t(lower[i]);
        return p;
    };
    const struct {
        const char *what;
        ColumnProblem p;
        int columns;
        std::string answer;  // as written, smallest place last
        std::string helpers;  // above each column, highest first: digit, '.' for none, '/' after a struck one
    } cases[] = {
        {"3.45 + 2.7", problem(false, 2, {5, 4, 3}, {-1, 7, 2}), 3, "615", ".1.."},
        {"5 - 1.25", problem(true, 2, {-1, -1, 5}, {5, 2, 1}), 3, "375", ".4/9."},
        {"4897 + 389", problem(false, 0, {7, 9, 8, 4}, {9, 8, 3}), 4, "5286", ".111."},
        {"1000 - 265", problem(true, 0, {0, 0, 0, 1}, {5, 6, 2}), 4, "735", ".0/9/9/."},
        {"2.35 + 1.65", problem(false, 2, {5, 3, 2}, {5, 6, 1}), 3, "400", ".11."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const ColumnWork w = workOf(c.p, c.columns);
        std::string answer;
        for (int i = w.answerPlaces - 1; i >= 0; --i)
            answer += char('0' + w.answer[std::size_t(i)]);
        EXPECT_EQ(answer, c.answer);
        std::string helpers;
        for (int i = c.columns; i >= 0; --i) {
            helpers += w.helper[std::size_t(i)] < 0 ? "." : std::to_string(w.helper[std::size_t(i)]);
            if (w.struck[std::size_t(i)])
                helpers += "/";
        }
        EXPECT_EQ(helpers, c.helpers);
    }
}

// A drawn decimal is written without a 0 at its end that its pattern left open (8078.00 is
// written 8078, 3.40 is 3.4), but keeps one its pattern fixed; the value is what was drawn.
TEST(ColumnEngine, DrawnDecimalsEndInNoZeroTheirPatternLeftOpen)
{
    const struct {
        NumberPattern upper, lower;
        bool sub;
        bool upperKeepsItsZero;
    } cases[] = {
        {{{All, All, All, All}, {All, All}}, {{All, All}, {All}}, false, false},
        {{{All}, {All, Zero}}, {{All}, {All}}, false, true},
        {{{Rest, All}, {Rest}}, {{All}, {All, All}}, true, false},
    };
    for (const auto &c : cases) {
        ColumnConditions k;
        k.subtraction = c.sub;
        k.upper = c.upper;
        k.lower = c.lower;
        const GridResult r = gridOf(k = [&] {
            k.carry.assign(std::max(c.upper.whole.size(), c.lower.whole.size()) +
                               std::max(c.upper.decimals.size(), c.lower.decimals.size()),
                           std::uint8_t(Konzai));
            return k;
        }());
        ASSERT_TRUE(r.error.empty());
        WideRandom random(11);
        int shortened = 0;
        std::array<int, MaxColumns> carries{};
        for (int draw = 0; draw < 3000; ++draw) {
            const ColumnProblem p = drawProblem(r.grid, c.sub, Konzai, random);
            ASSERT_TRUE(obeys(r.grid, c.sub, Konzai, p));
            ASSERT_TRUE(bruteObeys(r.grid, c.sub, Konzai, pairOf(p, r.grid.columns()), carries));
            for (const auto *digits : {&p.upper, &p.lower}) {
                const std::string text = numberText(*digits, p.decimals);
                const bool point = text.find('.') != std::string::npos;
                if (digits == &p.upper && c.upperKeepsItsZero) {
                    EXPECT_EQ(text.substr(text.size() - 3, 1), ".") << text;
                    EXPECT_EQ(text.back(), '0') << text;
                    continue;
                }
                EXPECT_TRUE(!point || text.back() != '0') << text;
                const NumberPattern &pattern = digits == &p.upper ? c.upper : c.lower;
                shortened += int(point ? text.size() - text.find('.') - 1 < pattern.decimals.size() : !pattern.decimals.empty());
            }
        }
        EXPECT_GT(shortened, 100);
    }
}
