// Multiplication and division against a pupil's working done on the digits as written: every
// pair of numbers the sheets take, the exact sets the conditions admit and why none, the
// drawn sheets, and the options the long operations refuse.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "long_arithmetic.h"
#include "long_conditions.h"
#include "problem_choice.h"
#include "sheet_request.h"
#include "steps.h"
#include "worksheet.h"

using namespace kolvara;

namespace {

int numberOf(const std::string &digits) { return std::stoi(digits); }
int digitOf(const std::string &s, std::size_t fromOnes) { return fromOnes < s.size() ? s[s.size() - 1 - fromOnes] - '0' : 0; }

struct Row {
    int place = 0, digit = 0, value = 0;
    std::array<int, 3> carries{};
    std::string written;
};

// The multiplicand times one digit from the ones: each digit's product writes its ones and
// hands its tens on, the highest digit's is written whole.
Row rowOf(const std::string &multiplicand, int digit, int place)
{
    Row row{place, digit, 0, {}, ""};
    for (std::size_t i = 0, carry = 0; i < multiplicand.size(); ++i) {
        const int product = digitOf(multiplicand, i) * digit + int(carry);
        if (i + 1 == multiplicand.size()) {
            row.written.insert(0, std::to_string(product));
        } else {
            row.written.insert(row.written.begin(), char('0' + product % 10));
            carry = std::size_t(product / 10);
            row.carries[i + 1] = product / 10;
        }
    }
    row.value = numberOf(row.written);
    return row;
}

struct Mul {
    int product = 0;
    std::vector<Row> rows;
    std::array<int, 5> sumCarries{};
    bool rowCarry = false, wide = false, sumCarry = false;
    std::array<bool, 3> carriesInto{};  // the multiplicand's places, from the ones
};

Mul pupilMultiplies(int a, int b)
{
    const std::string top = std::to_string(a), bottom = std::to_string(b);
    Mul m;
    if (bottom.size() == 1)
        m.rows = {rowOf(top, bottom[0] - '0', 0)};
    else if (bottom[1] == '0')  // 35x30: 35x3 with the 0 set beside it
        m.rows = {rowOf(top, bottom[0] - '0', 1)};
    else
        m.rows = {rowOf(top, bottom[1] - '0', 0), rowOf(top, bottom[0] - '0', 1)};
    if (m.rows.size() == 1) {
        m.product = numberOf(m.rows[0].written + std::string(std::size_t(m.rows[0].place), '0'));
    } else {
        const std::string low = m.rows[0].written, high = m.rows[1].written + "0";
        std::string sum;
        for (std::size_t c = 0, carry = 0; c < m.sumCarries.size(); ++c) {
            const int total = digitOf(low, c) + digitOf(high, c) + int(carry);
            sum.insert(sum.begin(), char('0' + total % 10));
            carry = std::size_t(total / 10);
            m.sumCarries[c] = total / 10;
            m.sumCarry = m.sumCarry || carry > 0;
        }
        m.product = numberOf(sum);
    }
    for (const Row &r : m.rows) {
        m.wide = m.wide || r.written.size() > top.size();
        for (std::size_t p = 0; p < r.carries.size(); ++p)
            m.carriesInto[p] = m.carriesInto[p] || r.carries[p] > 0;
    }
    for (bool c : m.carriesInto)
        m.rowCarry = m.rowCarry || c;
    return m;
}

struct Div {
    int quotient = 0, remainder = 0;
    std::vector<DivisionStep> steps;
    bool zero = false, fixed = false;
};

// Divide, bring down, repeat; the digit the largest whose product fits, the guess that from
// the divisor rounded to a ten (halves up) for a divisor of two places, but never 0 where the
// partial is at least the divisor: there the pupil tries 1 at least.
Div pupilDivides(int dividend, int divisor)
{
    const std::string s = std::to_string(dividend);
    std::size_t taken = 1;
    while (numberOf(s.substr(0, taken)) < divisor)
        ++taken;
    int partial = numberOf(s.substr(0, taken));
    std::string quotient;
    Div v;
    for (;;) {
        DivisionStep st{int(s.size() - taken), partial, 0, 9, 0, 0};
        while (st.digit * divisor > partial)
            --st.digit;
        st.guess = st.digit;
        if (divisor >= 10 && partial >= divisor) {
            const int rounded = divisor % 10 >= 5 ? divisor - divisor % 10 + 10 : divisor - divisor % 10;
            for (st.guess = 0; st.guess < 9 && (st.guess + 1) * rounded <= partial;)
                ++st.guess;
            if (st.guess == 0)
                st.guess = 1;
        }
        st.product = st.digit * divisor;
        st.difference = partial - st.product;
        quotient += char('0' + st.digit);
        v.fixed = v.fixed || st.guess != st.digit;
        v.steps.push_back(st);
        if (taken == s.size())
            break;
        partial = numberOf(std::to_string(st.difference) + s[taken++]);
    }
    v.quotient = numberOf(quotient);
    v.remainder = v.steps.back().difference;
    v.zero = quotient.find('0') != std::string::npos;
    return v;
}

// What the conditions ask about, for every pair: [division][upper][lower].
struct Facts {
    std::array<bool, 3> happens;  // row carry, wide row, sum carry; or remainder, zero, guess fixed
    int quotientPlaces;
    std::array<bool, 3> carriesInto;
};
const Facts &factsOf(bool division, int u, int l)
{
    static const std::vector<Facts> table = [] {
        std::vector<Facts> t(2 * 1000 * 100);
        for (int u = 1; u <= 999; ++u)
            for (int l = 1; l <= 99; ++l) {
                const Mul m = pupilMultiplies(u, l);
                t[std::size_t(u * 100 + l)] = {{m.rowCarry, m.wide, m.sumCarry}, 0, m.carriesInto};
                if (u >= l) {
                    const Div d = pupilDivides(u, l);
                    t[std::size_t(100000 + u * 100 + l)] = {{d.remainder != 0, d.zero, d.fixed}, int(d.steps.size()), {}};
                }
            }
        return t;
    }();
    return table[std::size_t((division ? 100000 : 0) + u * 100 + l)];
}

// Each condition row by its key, and the pupil's fact it asks about (Facts::happens).
const std::pair<std::string_view, std::size_t> FactOfCondition[] = {
    {"mul-carry", 0}, {"wide-partial", 1}, {"sum-carry", 2}, {"remainder", 0}, {"quotient-zero", 1}, {"guess-fix", 2}};

std::size_t rowOf(std::string_view key)
{
    for (std::size_t i = 0; i < LongConditionCount; ++i)
        if (LongConditionRows[i].key == key)
            return i;
    ADD_FAILURE() << "no condition " << key;
    return 0;
}

LongConditions withMode(LongConditions k, std::string_view key, std::uint8_t mode)
{
    k.modes[rowOf(key)] = mode;
    return k;
}

// Numbers 1 to 999 whose places hold digits of the kinds, highest place first.
const std::vector<int> &numbersMatching(const std::vector<std::uint8_t> &kinds)
{
    static std::map<std::vector<std::uint8_t>, std::vector<int>> cache;
    auto [it, added] = cache.try_emplace(kinds);
    for (int n = 1; added && n <= 999; ++n) {
        std::string s = std::to_string(n);
        if (s.size() > kinds.size())
            continue;
        s.insert(0, kinds.size() - s.size(), '0');
        bool fits = true;
        for (std::size_t i = 0; i < s.size(); ++i)
            fits = fits && (kinds[i] > FixedDigitBase ? s[i] - '0' == kinds[i] - FixedDigitBase
                                                      : kinds[i] == All || (kinds[i] == Rest) == (s[i] != '0'));
        if (fits)
            it->second.push_back(n);
    }
    return it->second;
}

// Every pattern of 1 to `places` places of Zero, Rest and All.
std::vector<std::vector<std::uint8_t>> patternsUpTo(int places)
{
    std::vector<std::vector<std::uint8_t>> all;
    for (int length = 1, count = 3; length <= places; ++length, count *= 3)
        for (int code = 0; code < count; ++code) {
            std::vector<std::uint8_t> kinds;
            for (int i = 0, c = code; i < length; ++i, c /= 3)
                kinds.insert(kinds.begin(), std::uint8_t(c % 3));
            all.push_back(kinds);
        }
    return all;
}

struct Brute {
    std::vector<std::pair<int, int>> pairs;
    std::string words;  // that the reason says when there is no pair
};

// The pairs left after each condition in turn; the reason is the condition that leaves none.
Brute bruteAdmitted(const LongConditions &k)
{
    Brute b;
    const std::vector<int> &uppers = numbersMatching(k.upper), &lowers = numbersMatching(k.lower);
    if (uppers.empty() || lowers.empty()) {
        const bool upper = uppers.empty();
        b.words = std::string(k.division ? (upper ? "わられる数" : "わる数") : (upper ? "かけられる数" : "かける数")) + "がいつも０";
        return b;
    }
    std::vector<std::pair<std::string, std::function<bool(const Facts &)>>> stages;
    const auto condition = [&](std::uint8_t mode, const char *always, const char *never, std::size_t fact) {
        if (mode != Konzai)
            stages.push_back({mode == Ari ? always : never, [=](const Facts &f) { return f.happens[fact] == (mode == Ari); }});
    };
    if (k.division && k.quotientPlaces != 0)
        stages.push_back({"商を" + std::to_string(k.quotientPlaces) + "けたにすることは",
                          [&](const Facts &f) { return f.quotientPlaces == k.quotientPlaces; }});
    if (k.division) {
        condition(k.modes[rowOf("remainder")], "あまりが出るように", "あまりが出ないように", 0);
        condition(k.modes[rowOf("quotient-zero")], "０がたつように", "０がたたないように", 1);
        condition(k.modes[rowOf("guess-fix")], "直す問題に", "直さない問題に", 2);
    } else {
        condition(k.modes[rowOf("mul-carry")], "くり上がりがあるように", "くり上がりがないように", 0);
        condition(k.modes[rowOf("wide-partial")], "多くなるように", "多くならないように", 1);
        condition(k.modes[rowOf("sum-carry")], "たし算でくり上がるように", "くり上がらないように", 2);
    }
    for (int u : uppers)
        for (int l : lowers)
            if (!k.division || u >= l)
                b.pairs.push_back({u, l});
    if (b.pairs.empty())
        b.words = "わられる数がいつもわる数より小さく";
    // Times 1 (either way round) and divided by 1 come first.
    if (k.trivial != Konzai && !b.pairs.empty()) {
        std::erase_if(b.pairs, [&](const std::pair<int, int> &p) {
            const bool one = p.second == 1 || (!k.division && p.first == 1);
            return one != (k.trivial == Ari);
        });
        if (b.pairs.empty())
            b.words = k.division ? (k.trivial == Ari ? "わる数を１にすることは" : "わる数がいつも１")
                                 : (k.trivial == Ari ? "１をかける（１にかける）問題には" : "どの問題も１を");
    }
    for (const auto &[words, keeps] : stages) {
        if (b.pairs.empty())
            break;
        std::erase_if(b.pairs, [&](const std::pair<int, int> &p) { return !keeps(factsOf(k.division, p.first, p.second)); });
        if (b.pairs.empty())
            b.words = words;
    }
    return b;
}

// Every part of a reason that names a condition: a reason holds its own and no other.
const std::vector<std::string> ReasonParts = {
    "いつも０", "わる数より小さく", "けたにすることは", "あまりが出るように", "あまりが出ないように", "０がたつように",
    "０がたたないように", "直す問題に", "直さない問題に", "くり上がりがあるように", "くり上がりがないように",
    "多くなるように", "多くならないように", "たし算でくり上がるように", "くり上がらないように",
    "わる数を１にすることは", "わる数がいつも１", "１をかける（１にかける）問題には", "どの問題も１を"};

// The English line says the same: for each part, what it says there (either of two).
const std::map<std::string, std::pair<std::string, std::string>> EnglishOfPart = {
    {"いつも０", {"can only be 0", "can only be 0"}},
    {"わる数より小さく", {"smaller than the divisor", "smaller than the divisor"}},
    {"けたにすることは", {"the quotient cannot have", "the quotient cannot have"}},
    {"あまりが出るように", {"no problem here leaves a remainder", "no problem here leaves a remainder"}},
    {"あまりが出ないように", {"every problem here leaves a remainder", "every problem here leaves a remainder"}},
    {"０がたつように", {"no quotient here has a 0", "no quotient here has a 0"}},
    {"０がたたないように", {"every quotient here has a 0", "every quotient here has a 0"}},
    {"直す問題に", {"no problem here has a first guess to correct", "needs no guess to correct"}},
    {"直さない問題に", {"every problem here has a first guess to correct", "every problem here has a first guess to correct"}},
    {"くり上がりがあるように", {"no digit's product here carries", "no digit's product here carries"}},
    {"くり上がりがないように", {"every problem here carries from a digit's product", "every problem here carries from a digit's product"}},
    {"多くなるように", {"no partial product here has a place more", "no partial product here has a place more"}},
    {"多くならないように", {"every problem here has a partial product with a place more", "every problem here has a partial product with a place more"}},
    {"たし算でくり上がるように", {"no sum of partial products here carries", "no sum of partial products here carries"}},
    {"くり上がらないように", {"every sum of partial products here carries", "every sum of partial products here carries"}},
    {"わる数を１にすることは", {"the divisor can never be 1", "the divisor can never be 1"}},
    {"わる数がいつも１", {"the divisor is always 1", "the divisor is always 1"}},
    {"１をかける（１にかける）問題には", {"no problem here has 1 as a factor", "no problem here has 1 as a factor"}},
    {"どの問題も１を", {"every problem here has 1 as a factor", "every problem here has 1 as a factor"}},
};

std::string describe(const LongConditions &k)
{
    std::string text = k.division ? "div " : "mul ";
    for (auto kinds : {&k.upper, &k.lower}) {
        for (std::uint8_t kind : *kinds)
            text += DigitLetters[kind];
        text += ' ';
    }
    for (std::uint8_t mode : k.modes)
        text += CarryLetters[mode];
    return text + CarryLetters[k.trivial] + std::to_string(k.quotientPlaces);
}

// Conditions of the operation drawn at random, the other operation's left Konzai.
LongConditions drawnConditions(bool division, std::vector<std::uint8_t> upper, std::vector<std::uint8_t> lower,
                               std::mt19937 &random)
{
    const auto mode = [&] { return std::uint8_t(random() % 3); };
    LongConditions k{division, std::move(upper), std::move(lower)};
    for (std::size_t i = 0; i < LongConditionCount; ++i)
        if ((LongConditionRows[i].operation == Operation::Divide) == division)
            k.modes[i] = mode();
    if (division)
        k.quotientPlaces = int(random() % 4);
    k.trivial = mode();
    return k;
}

ProblemChoice choiceFrom(const LongConditions &k)
{
    ProblemChoice c;
    c.operation = k.division ? Operation::Divide : Operation::Multiply;
    c.upper.whole = k.upper;
    c.lower.whole = k.lower;
    for (auto *whole : {&c.upper.whole, &c.lower.whole})
        whole->insert(whole->begin(), 3 - whole->size(), std::uint8_t(Zero));
    c.mulCarry = k.modes[rowOf("mul-carry")], c.widePartial = k.modes[rowOf("wide-partial")];
    c.sumCarry = k.modes[rowOf("sum-carry")], c.remainder = k.modes[rowOf("remainder")];
    c.quotientZero = k.modes[rowOf("quotient-zero")], c.guessFix = k.modes[rowOf("guess-fix")];
    c.quotientDigits = k.quotientPlaces;
    c.trivial = k.trivial;
    return c;
}

LongConditions conditionsOf(const ProblemChoice &c)
{
    LongConditions k{c.operation == Operation::Divide, c.upper.whole, c.lower.whole};
    for (const auto &[key, mode] : {std::pair{"mul-carry", c.mulCarry}, {"wide-partial", c.widePartial},
                                    {"sum-carry", c.sumCarry}, {"remainder", c.remainder},
                                    {"quotient-zero", c.quotientZero}, {"guess-fix", c.guessFix}})
        k.modes[rowOf(key)] = mode;
    k.quotientPlaces = c.quotientDigits;
    k.trivial = trivialOf(c);
    return k;
}

}  // namespace

TEST(LongArithmetic, TheTextbookCases)
{
    struct Product {
        int a, b, product, rowCount, place, value, carryIntoTens;
        bool rowCarry, wide;
    };
    // 31x4: the highest digit's 12 is written whole, no carry.
    for (const Product &c : {Product{35, 30, 1050, 1, 1, 105, 1, true, true}, Product{203, 4, 812, 1, 0, 812, 1, true, false},
                             Product{31, 4, 124, 1, 0, 124, 0, false, true}, Product{23, 4, 92, 1, 0, 92, 1, true, false},
                             Product{23, 14, 322, 2, 0, 92, 1, true, false}}) {
        SCOPED_TRACE(std::to_string(c.a) + "x" + std::to_string(c.b));
        const MultiplicationWork w = multiplicationWork(c.a, c.b);
        EXPECT_EQ(w.product, c.product);
        EXPECT_EQ(w.rowCount, c.rowCount);
        EXPECT_EQ(w.rows[0].place, c.place);
        EXPECT_EQ(w.rows[0].value, c.value);
        EXPECT_EQ(w.rows[0].carries[1], c.carryIntoTens);
        EXPECT_EQ(w.rowCarry, c.rowCarry);
        EXPECT_EQ(w.widePartial, c.wide);
    }

    struct Case {
        int dividend, divisor, quotient, stepCount, firstPlace, firstGuess;
        bool zero, fixed;
    };
    for (const Case &c : {Case{408, 4, 102, 3, 2, 1, true, false}, Case{156, 3, 52, 2, 1, 5, false, false},
                          Case{80, 4, 20, 2, 1, 2, true, false}, Case{91, 13, 7, 1, 0, 9, false, true},
                          Case{78, 26, 3, 1, 0, 2, false, true}, Case{96, 32, 3, 1, 0, 3, false, false},
                          // 90 does not go into 85, but 85 holds 85 once: the pupil tries 1.
                          Case{85, 85, 1, 1, 0, 1, false, false}, Case{47, 45, 1, 1, 0, 1, false, false},
                          Case{252, 36, 7, 1, 0, 6, false, true}, Case{630, 21, 30, 2, 1, 3, true, false},
                          Case{896, 32, 28, 2, 1, 2, false, false}}) {
        SCOPED_TRACE(std::to_string(c.dividend) + "/" + std::to_string(c.divisor));
        const DivisionWork w = divisionWork(c.dividend, c.divisor);
        EXPECT_EQ(w.quotient, c.quotient);
        EXPECT_EQ(w.stepCount, c.stepCount);
        EXPECT_EQ(w.steps[0].place, c.firstPlace);
        EXPECT_EQ(w.steps[0].guess, c.firstGuess);
        EXPECT_EQ(w.zeroInQuotient, c.zero);
        EXPECT_EQ(w.guessFixed, c.fixed);
    }
    const std::pair<int, int> rounding[] = {{26, 30}, {13, 10}, {25, 30}, {95, 100}, {99, 100}, {7, 7}};
    for (const auto &[divisor, rounded] : rounding)
        EXPECT_EQ(roundedDivisor(divisor), rounded) << divisor;
}

TEST(LongArithmetic, EveryProductIsWorkedAsAPupilWorksIt)
{
    int faults = 0;
    for (int a = 1; a <= 999 && faults < 10; ++a)
        for (int b = 1; b <= 99; ++b) {
            const Mul m = pupilMultiplies(a, b);
            ASSERT_EQ(m.product, a * b) << "the pupil's own working, " << a << "x" << b;
            const MultiplicationWork w = multiplicationWork(a, b);
            bool same = w.product == m.product && w.rowCount == int(m.rows.size()) && w.rowCarry == m.rowCarry &&
                        w.widePartial == m.wide && w.sumCarry == m.sumCarry;
            // Each condition of products reads its own fact.
            const bool facts[] = {m.rowCarry, m.wide, m.sumCarry};
            for (const auto &[key, fact] : FactOfCondition)
                if (const auto read = LongConditionRows[rowOf(key)].multiplied)
                    same = same && read(w) == facts[fact];
            for (std::size_t r = 0; r < 2; ++r) {
                const Row want = r < m.rows.size() ? m.rows[r] : Row{};
                const ProductRow &got = w.rows[r];
                same = same && got.place == want.place && got.digit == want.digit && got.value == want.value;
                for (std::size_t p = 0; p < 3; ++p)
                    same = same && got.carries[p] == want.carries[p];
            }
            for (std::size_t c = 0; c < m.sumCarries.size(); ++c)
                same = same && w.sumCarries[c] == m.sumCarries[c];
            if (!same && ++faults <= 10)
                ADD_FAILURE() << a << "x" << b << " is not worked as a pupil works it";
        }
}

TEST(LongArithmetic, EveryQuotientIsWorkedAsAPupilWorksIt)
{
    int faults = 0;
    for (int n = 1; n <= 999 && faults < 10; ++n)
        for (int d = 1; d <= std::min(n, 99); ++d) {
            const Div v = pupilDivides(n, d);
            ASSERT_TRUE(v.quotient == n / d && v.remainder == n % d) << "the pupil's own working, " << n << "/" << d;
            const DivisionWork w = divisionWork(n, d);
            bool same = w.quotient == v.quotient && w.remainder == v.remainder && w.stepCount == int(v.steps.size()) &&
                        w.zeroInQuotient == v.zero && w.guessFixed == v.fixed;
            const bool facts[] = {v.remainder != 0, v.zero, v.fixed};
            for (const auto &[key, fact] : FactOfCondition)
                if (const auto read = LongConditionRows[rowOf(key)].divided)
                    same = same && read(w) == facts[fact];
            for (std::size_t i = 0; i < w.steps.size(); ++i) {
                const DivisionStep want = i < v.steps.size() ? v.steps[i] : DivisionStep{};
                const DivisionStep &got = w.steps[i];
                same = same && got.place == want.place && got.partial == want.partial && got.guess == want.guess &&
                       got.digit == want.digit && got.product == want.product && got.difference == want.difference;
            }
            if (!same && ++faults <= 10)
                ADD_FAILURE() << n << "/" << d << " is not worked as a pupil works it";
        }
}

// Every pattern pair of each operation, each with conditions drawn at random; the sets are
// compared pair by pair, and an empty one's reason must name the condition that emptied it.
TEST(LongArithmetic, AdmittedPairsAndWhyNone)
{
    constexpr int DrawsEach = 3;
    std::mt19937 random(20250611);
    int empty = 0, total = 0;
    for (const bool division : {false, true})
        for (const auto &upper : patternsUpTo(MaxDividendPlaces))
            for (const auto &lower : patternsUpTo(MaxDivisorPlaces))
                for (int draw = 0; draw < DrawsEach; ++draw) {
                    const LongConditions k = drawnConditions(division, upper, lower, random);
                    const Brute want = bruteAdmitted(k);
                    const LongChoiceSet got = admittedPairs(k);
                    SCOPED_TRACE(describe(k));
                    ++total;
                    ASSERT_EQ(got.pairs.size(), want.pairs.size());
                    for (std::size_t i = 0; i < want.pairs.size(); ++i)
                        ASSERT_TRUE(got.pairs[i].upper == want.pairs[i].first && got.pairs[i].lower == want.pairs[i].second)
                            << "pair " << i << ": " << want.pairs[i].first << ", " << want.pairs[i].second;
                    // What the admitted pairs' working does.
                    std::array<bool, 3> some{}, none{}, into{};
                    std::array<bool, 4> places{};
                    for (const auto &[u, l] : want.pairs) {
                        const Facts &f = factsOf(division, u, l);
                        for (std::size_t i = 0; i < 3; ++i) {
                            (f.happens[i] ? some : none)[i] = true;
                            into[i] = into[i] || f.carriesInto[i];
                        }
                        places[std::size_t(f.quotientPlaces)] = true;
                        ASSERT_TRUE(admits(k, u, l));
                    }
                    // By the condition rows: the other operation's rows say nothing.
                    std::array<bool, LongConditionCount> someByRow{}, noneByRow{};
                    for (const auto &[key, fact] : FactOfCondition)
                        if ((LongConditionRows[rowOf(key)].operation == Operation::Divide) == division) {
                            someByRow[rowOf(key)] = some[fact];
                            noneByRow[rowOf(key)] = none[fact];
                        }
                    ASSERT_TRUE(got.some == someByRow && got.none == noneByRow && got.carryPlaces == into);
                    ASSERT_TRUE(!division || got.quotientPlaces == places);
                    ASSERT_TRUE(division || carryPlaces(got.pairs) == into);
                    if (!want.pairs.empty()) {
                        ASSERT_EQ(got.reason, "");
                        ASSERT_EQ(got.reasonEnglish, "");
                        continue;
                    }
                    ++empty;
                    ASSERT_NE(got.reason.find(want.words), std::string::npos) << got.reason;
                    for (const auto &[part, english] : EnglishOfPart)
                        if (want.words.find(part) != std::string::npos && !(part == "くり上がらないように" && want.words != part)) {
                            ASSERT_TRUE(got.reasonEnglish.find(english.first) != std::string::npos ||
                                        got.reasonEnglish.find(english.second) != std::string::npos)
                                << got.reasonEnglish;
                        }
                    for (const std::string &part : ReasonParts)
                        ASSERT_EQ(got.reason.find(part) != std::string::npos, want.words.find(part) != std::string::npos) << got.reason;
                }
    // The draws reach both kinds of answer.
    EXPECT_GT(empty, total / 10);
    EXPECT_LT(empty, total * 9 / 10);
}

// Sheets of every named step and of drawn settings hold their page's count of problems, each
// one the brute force admits; a small setting's sheets draw every pair about equally often.
TEST(LongArithmetic, DrawnSheetsObeyAndCoverTheirPairs)
{
    std::vector<ProblemChoice> choices;
    for (const NamedStep &step : NamedSteps)
        if (step.op == "mul" || step.op == "div")
            choices.push_back(problemsOf(step));
    std::mt19937 random(7);
    const auto uppers = patternsUpTo(3), lowers = patternsUpTo(2);
    while (choices.size() < 70) {
        const bool division = random() % 2 == 1;
        const auto &upper = uppers[random() % uppers.size()], &lower = lowers[random() % lowers.size()];
        const LongConditions k = drawnConditions(division, upper, lower, random);
        if (choiceError(choiceFrom(k)).empty())
            choices.push_back(choiceFrom(k));
    }
    for (const ProblemChoice &choice : choices) {
        const LongConditions k = conditionsOf(choice);
        SCOPED_TRACE(describe(k));
        const Brute want = bruteAdmitted(k);
        const std::set<std::pair<int, int>> admitted(want.pairs.begin(), want.pairs.end());
        EXPECT_EQ(countChoice(choice).problems, want.pairs.size());
        const bool twoPlaces = choice.lower.whole.size() == 3 && choice.lower.whole[1] != Zero;
        const int perPage = k.division ? 6 : twoPlaces ? 12 : 20;
        EXPECT_EQ(perPageOf(choice, 0), perPage);
        for (int sheet = 0; sheet < 3; ++sheet) {
            const Sheet s = worksheetFor(WorksheetChoice{choice, {}, true, false}, sheet, 4321);
            ASSERT_EQ(s.problems.size(), want.pairs.empty() ? 0u : std::size_t(perPage));
            for (const SheetProblem &p : s.problems) {
                EXPECT_EQ(p.sign, k.division ? Sign::Divide : Sign::Times);
                EXPECT_TRUE(obeysChoice(choice, p)) << problemText(p);
                EXPECT_TRUE(admitted.contains({int(valueOf(p.upper)), int(valueOf(p.lower))})) << problemText(p);
            }
        }
    }

    // 23 pairs each: n x n without a wide product, and n / n without a remainder.
    for (const auto &[k, sheets] : {std::pair{withMode({false, {Rest}, {Rest}}, "wide-partial", Nashi), 200},
                                    std::pair{withMode({true, {Rest}, {Rest}}, "remainder", Nashi), 700}}) {
        SCOPED_TRACE(describe(k));
        const std::vector<std::pair<int, int>> pairs = bruteAdmitted(k).pairs;
        ASSERT_EQ(pairs.size(), 23u);
        std::map<std::pair<int, int>, int> seen;
        int draws = 0;
        for (int sheet = 0; sheet < sheets; ++sheet)
            for (const SheetProblem &p : worksheetFor({choiceFrom(k), {}, true, false}, sheet, 99).problems) {
                ++seen[{int(valueOf(p.upper)), int(valueOf(p.lower))}];
                ++draws;
            }
        ASSERT_EQ(seen.size(), pairs.size());
        for (const auto &pair : pairs)
            EXPECT_NEAR(seen[pair], draws / 23.0, draws / 23.0 / 2) << pair.first << ", " << pair.second;
    }
}

// Each option the operation cannot take is refused by name; the same request without it is
// taken, as are the long operations' own options.
TEST(LongArithmetic, RequestsRefuseOptionsTheOperationCannotTake)
{
    using Options = std::vector<std::pair<std::string, std::string>>;
    const Options mul{{"op", "mul"}, {"upper", "nn"}, {"lower", "n"}}, div{{"op", "div"}, {"upper", "nnn"}, {"lower", "n"}},
        add{{"op", "add"}};
    struct Case {
        const Options &base;
        std::string key, value;
        bool refused;
    };
    const Case cases[] = {
        {mul, "remainder", "y", true},    {div, "mul-carry", "y", true},        {mul, "carry", "nny", true},
        {mul, "zero-end", "y", true},     {add, "quotient-digits", "2", true},  {div, "lower", "0", true},
        {div, "lower", "00", true},       {mul, "lower", "nnn", true},          {div, "lower", "nnn", true},
        {div, "upper", "nnnn", true},     {mul, "upper", "n.n", true},          {div, "upper", "n.n", true},
        {div, "per-page", "12", true},    {add, "per-page", "4", true},         {div, "quotient-zero", "y", false},
        {mul, "sum-carry", "n", false},   {div, "guess-fix", "y", false},       {div, "quotient-digits", "3", false},
        {mul, "lower", "n0", false},      {mul, "per-page", "12", false},       {div, "per-page", "4", false},
        {div, "lower", "a", false},       {mul, "zero-end", "m", false},        {add, "per-page", "12", false},
    };
    const auto read = [](SheetRequest &r, const std::string &key, const std::string &value) {
        const SheetOptionRow *row = findSheetOption(key);
        ASSERT_NE(row, nullptr) << key;
        ASSERT_EQ(row->read(r, "--" + key, value), "") << key;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("--" + c.key + " " + c.value + " with --op " + c.base.front().second);
        SheetRequest r;
        for (const auto &[key, value] : c.base)
            read(r, key, value);
        ASSERT_EQ(requestError(r), "");
        read(r, c.key, c.value);
        const std::string error = requestError(r);
        EXPECT_EQ(!error.empty(), c.refused) << error;
        if (c.refused) {
            EXPECT_NE(error.find("--" + c.key), std::string::npos) << error;
        }
    }
    for (const NamedStep &step : NamedSteps) {
        SheetRequest r;
        read(r, "step", std::string(step.key));
        EXPECT_EQ(requestError(r), "") << step.key;
    }
    // Every condition row is an option of its operation alone, one a step stands in for, with
    // a fact the pupil's working checks; y and n are refused by name by every other operation.
    for (const LongCondition &c : LongConditionRows) {
        const std::string key(c.key);
        SCOPED_TRACE(key);
        const SheetOptionRow *row = findSheetOption(key);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->operations, operationBit(c.operation));
        // Its fact is read from its own operation's working.
        EXPECT_TRUE(c.operation == Operation::Multiply ? c.multiplied && !c.divided
                                                       : c.operation == Operation::Divide && c.divided && !c.multiplied);
        EXPECT_NE(std::find(std::begin(ProblemKeys), std::end(ProblemKeys), c.key), std::end(ProblemKeys));
        EXPECT_NE(std::find_if(std::begin(FactOfCondition), std::end(FactOfCondition),
                               [&](const auto &f) { return f.first == c.key; }),
                  std::end(FactOfCondition));
        for (const Options *base : {&add, &mul, &div})
            for (const std::string value : {"y", "n", "m"}) {
                SheetRequest r;
                for (const auto &[k, v] : *base)
                    read(r, k, v);
                read(r, key, value);
                const bool own = base == (c.operation == Operation::Multiply ? &mul : &div);
                EXPECT_EQ(r.problems.*c.mode, CarryLetters.find(value[0]));
                EXPECT_EQ(row->write(r), value == "m" ? "" : value);
                const std::string error = requestError(r);
                EXPECT_EQ(error.empty(), own || value == "m") << value << " with " << base->front().second << ": " << error;
                if (!error.empty()) {
                    EXPECT_NE(error.find("--" + key + " "), std::string::npos) << error;
                }
            }
    }
}
