#include "column_engine.h"

#include <algorithm>

#include "column.h"
#include "messages.h"

namespace kolvara {

namespace {

// The answer digit of the smallest place, as the zero-end condition reads it.
bool zeroEndAllows(std::uint8_t zeroEnd, bool subtraction, int upper, int lower)
{
    const bool zero = columnDigit(subtraction, upper, lower, 0) == 0;
    return !((zeroEnd == Ari && !zero) || (zeroEnd == Nashi && zero));
}

// Whether column c accepts the pair (a, b) with incoming carry `in`, and what it hands on.
struct Step {
    bool accepted;
    int out;
};

Step stepAt(const ColumnGrid &g, bool subtraction, std::uint8_t zeroEnd, int c, int a, int b, int in)
{
    const int out = columnCarry(subtraction, a, b, in);
    bool ok = carryModeAllows(g.mode[std::size_t(c)], out);
    if (ok && c == 0 && g.decimals > 0)
        ok = zeroEndAllows(zeroEnd, subtraction, a, b);
    // A difference must not be negative: the highest column borrows from nothing.
    if (ok && subtraction && c == g.columns() - 1)
        ok = out == 0;
    return {ok, out};
}

// What the columns filled so far say besides the carry: whether the upper and the lower
// number are 0 so far, and whether they are the same so far. The carry is bit 0; without a
// trivial condition the flags are left at 0, and only states 0 and 1 are used.
enum : int { UpperZero = 2, LowerZero = 4, Same = 8, StateCount = 16 };

int stateCountOf(const ColumnGrid &g) { return g.trivial == Konzai ? 2 : StateCount; }
int firstState(const ColumnGrid &g) { return g.trivial == Konzai ? 0 : UpperZero | LowerZero | Same; }

int nextState(const ColumnGrid &g, int state, int a, int b, int out)
{
    if (g.trivial == Konzai)
        return out;
    return out | (state & UpperZero & (a == 0 ? ~0 : 0)) | (state & LowerZero & (b == 0 ? ~0 : 0)) |
           (state & Same & (a == b ? ~0 : 0));
}

// A trivial problem: adding 0 (either way round); taking 0 away, or a number from itself.
bool trivialState(bool subtraction, int state)
{
    return subtraction ? (state & (LowerZero | Same)) != 0 : (state & (UpperZero | LowerZero)) != 0;
}

bool finalStateAllowed(const ColumnGrid &g, bool subtraction, int state)
{
    return g.trivial == Konzai || (g.trivial == Ari) == trivialState(subtraction, state);
}

// ways[c][state]: the ways to fill columns c and above, given the state column c receives.
using Onward = std::array<std::array<std::uint64_t, StateCount>, MaxColumns + 1>;

Onward onwardWays(const ColumnGrid &g, bool subtraction, std::uint8_t zeroEnd)
{
    Onward ways{};
    const int n = g.columns(), states = stateCountOf(g);
    for (int state = 0; state < states; ++state)
        ways[std::size_t(n)][std::size_t(state)] = finalStateAllowed(g, subtraction, state) ? 1 : 0;
    for (int c = n - 1; c >= 0; --c) {
        const DigitRange u = digitRange(g.upper[std::size_t(c)]), l = digitRange(g.lower[std::size_t(c)]);
        for (int state = 0; state < states; ++state)
            for (int a = u.low; a <= u.high; ++a)
                for (int b = l.low; b <= l.high; ++b) {
                    const Step s = stepAt(g, subtraction, zeroEnd, c, a, b, state & 1);
                    if (s.accepted)
                        ways[std::size_t(c)][std::size_t(state)] +=
                            ways[std::size_t(c + 1)][std::size_t(nextState(g, state, a, b, s.out))];
                }
    }
    return ways;
}

}  // namespace

ColumnConditions conditionsOf(const Settings &s)
{
    ColumnConditions k;
    k.subtraction = s.IsSubtraction == 1;
    k.upper.whole = {s.DigitKind1_100, s.DigitKind1_10, s.DigitKind1_1};
    k.lower.whole = {s.DigitKind2_100, s.DigitKind2_10, s.DigitKind2_1};
    k.carry = {k.subtraction ? std::uint8_t(Nashi) : s.CarryMode_100, s.CarryMode_10, s.CarryMode_1};
    return k;
}

GridResult gridOf(const ColumnConditions &k)
{
    GridResult result;
    ColumnGrid &g = result.grid;
    const auto longest = [](std::size_t a, std::size_t b) { return int(std::max(a, b)); };
    g.whole = longest(k.upper.whole.size(), k.lower.whole.size());
    g.decimals = longest(k.upper.decimals.size(), k.lower.decimals.size());
    g.trivial = k.trivial;
    if (g.whole < 1 || g.whole > MaxWholePlaces || g.decimals > MaxDecimalPlaces) {
        result.error = twoLanguages("数は整数部分が1～" + std::to_string(MaxWholePlaces) + "けた、小数部分が" +
                                        std::to_string(MaxDecimalPlaces) + "けたまでです。",
                                    "A number has 1 to " + std::to_string(MaxWholePlaces) + " whole places and up to " +
                                        std::to_string(MaxDecimalPlaces) + " decimal places.");
        return result;
    }
    if (int(k.carry.size()) != g.columns()) {
        result.error = twoLanguages("くり上がり（くり下がり）の指定は" + std::to_string(g.columns()) +
                                        "けた分、数と同じ位置に小数点を置いてください。",
                                    "The carry modes need one letter for each of the " + std::to_string(g.columns()) +
                                        " columns, with the point where the numbers have theirs.");
        return result;
    }
    const auto place = [&](const NumberPattern &p, int c) -> std::uint8_t {
        if (c < g.decimals) {  // decimal places, smallest first
            const int tenthsFirst = g.decimals - 1 - c;
            return tenthsFirst < int(p.decimals.size()) ? p.decimals[std::size_t(tenthsFirst)] : Blank;
        }
        const int fromOnes = c - g.decimals;
        return fromOnes < int(p.whole.size()) ? p.whole[p.whole.size() - 1 - std::size_t(fromOnes)] : Blank;
    };
    for (int c = 0; c < g.columns(); ++c) {
        g.upper[std::size_t(c)] = place(k.upper, c);
        g.lower[std::size_t(c)] = place(k.lower, c);
        g.mode[std::size_t(c)] = k.carry[k.carry.size() - 1 - std::size_t(c)];
    }
    return result;
}

ColumnProblem wholeProblem(bool subtraction, int upper, int lower)
{
    return wholeProblem(subtraction ? Sign::Minus : Sign::Plus, upper, lower);
}

ColumnProblem wholeProblem(Sign sign, int upper, int lower)
{
    ColumnProblem p;
    p.sign = sign;
    for (std::size_t c = 0; c < MaxColumns; ++c, upper /= 10, lower /= 10) {
        p.upper[c] = std::int8_t(upper % 10);
        p.lower[c] = std::int8_t(lower % 10);
    }
    return p;
}

std::int64_t valueOf(const std::array<std::int8_t, MaxColumns> &digits)
{
    std::int64_t value = 0;
    for (std::size_t c = MaxColumns; c-- > 0;)
        value = value * 10 + std::max<int>(digits[c], 0);
    return value;
}

std::string numberText(const std::array<std::int8_t, MaxColumns> &digits, int decimals)
{
    std::string text;
    for (int c = MaxColumns - 1; c >= 0; --c) {
        const int d = digits[std::size_t(c)];
        if (c < decimals && d < 0)
            break;  // no further decimal places
        if (c == decimals - 1 && !text.empty())
            text += '.';
        if (text.empty() && d <= 0 && c > decimals)
            continue;  // a leading zero or blank
        text += char('0' + std::max(d, 0));
    }
    return text;
}

std::string_view signText(Sign sign)
{
    static constexpr std::string_view texts[] = {"+", "-", "x", "/"};
    return texts[std::size_t(sign)];
}

std::string problemText(const ColumnProblem &p)
{
    return numberText(p.upper, p.decimals) + std::string(signText(p.sign)) + numberText(p.lower, p.decimals);
}

ColumnCount countProblems(const ColumnGrid &g, bool subtraction, std::uint8_t zeroEnd)
{
    const Onward onward = onwardWays(g, subtraction, zeroEnd);
    const int states = stateCountOf(g);
    ColumnCount count;
    count.problems = onward[0][std::size_t(firstState(g))];
    // reach[state]: the ways to fill the columns below c so that c receives `state`.
    std::array<std::uint64_t, StateCount> reach{};
    reach[std::size_t(firstState(g))] = 1;
    for (int c = 0; c < g.columns(); ++c) {
        const DigitRange u = digitRange(g.upper[std::size_t(c)]), l = digitRange(g.lower[std::size_t(c)]);
        std::array<std::uint64_t, StateCount> next{};
        for (int state = 0; state < states; ++state) {
            if (!reach[std::size_t(state)])
                continue;
            for (int a = u.low; a <= u.high; ++a)
                for (int b = l.low; b <= l.high; ++b) {
                    const Step s = stepAt(g, subtraction, zeroEnd, c, a, b, state & 1);
                    if (!s.accepted)
                        continue;
                    const int after = nextState(g, state, a, b, s.out);
                    next[std::size_t(after)] += reach[std::size_t(state)];
                    if (onward[std::size_t(c + 1)][std::size_t(after)])
                        (s.out ? count.chances[std::size_t(c)].some : count.chances[std::size_t(c)].none) = true;
                }
        }
        reach = next;
    }
    return count;
}

int columnStep(const ColumnGrid &g, bool subtraction, std::uint8_t zeroEnd, int column, int a, int b, int incoming)
{
    if (!kindAllows(g.upper[std::size_t(column)], a) || !kindAllows(g.lower[std::size_t(column)], b))
        return -1;
    const Step s = stepAt(g, subtraction, zeroEnd, column, a, b, incoming);
    return s.accepted ? s.out : -1;
}

bool obeys(const ColumnGrid &g, bool subtraction, std::uint8_t zeroEnd, const ColumnProblem &p)
{
    int state = firstState(g);
    for (int c = 0; c < g.columns(); ++c) {
        const int a = p.upper[std::size_t(c)], b = p.lower[std::size_t(c)];
        // A place is left off where the grid has none, or where it ends a number in 0.
        const auto placed = [&](const std::array<std::int8_t, MaxColumns> &digits, std::uint8_t kind, int digit) {
            if (kind == Blank)
                return digit < 0;
            return digit >= 0 || (c < g.decimals && kindAllows(kind, 0) && (c == 0 || digits[std::size_t(c - 1)] < 0));
        };
        if (!placed(p.upper, g.upper[std::size_t(c)], a) || !placed(p.lower, g.lower[std::size_t(c)], b))
            return false;
        const int da = std::max(a, 0), db = std::max(b, 0);
        if (!kindAllows(g.upper[std::size_t(c)], da) || !kindAllows(g.lower[std::size_t(c)], db))
            return false;
        const Step s = stepAt(g, subtraction, zeroEnd, c, da, db, state & 1);
        if (!s.accepted)
            return false;
        state = nextState(g, state, da, db, s.out);
    }
    return finalStateAllowed(g, subtraction, state);
}

std::uint64_t WideRandom::next()
{
    // splitmix64: every platform computes the same sequence.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t WideRandom::below(std::uint64_t n)
{
    // The largest multiple of n that fits, so every remainder is equally likely.
    const std::uint64_t limit = std::uint64_t(-1) - std::uint64_t(-1) % n;
    std::uint64_t x;
    do
        x = next();
    while (x >= limit);
    return x % n;
}

ColumnProblem drawProblem(const ColumnGrid &g, bool subtraction, std::uint8_t zeroEnd, WideRandom &random)
{
    const Onward onward = onwardWays(g, subtraction, zeroEnd);
    ColumnProblem p;
    p.sign = subtraction ? Sign::Minus : Sign::Plus;
    p.decimals = g.decimals;
    p.upper.fill(-1);
    p.lower.fill(-1);
    int state = firstState(g);
    for (int c = 0; c < g.columns(); ++c) {
        // Each pair weighed by the ways to finish the problem after it: uniform over problems.
        std::uint64_t pick = random.below(onward[std::size_t(c)][std::size_t(state)]);
        const DigitRange u = digitRange(g.upper[std::size_t(c)]), l = digitRange(g.lower[std::size_t(c)]);
        bool placed = false;
        for (int a = u.low; a <= u.high && !placed; ++a)
            for (int b = l.low; b <= l.high && !placed; ++b) {
                const Step s = stepAt(g, subtraction, zeroEnd, c, a, b, state & 1);
                if (!s.accepted)
                    continue;
                const int after = nextState(g, state, a, b, s.out);
                const std::uint64_t ways = onward[std::size_t(c + 1)][std::size_t(after)];
                if (pick >= ways) {
                    pick -= ways;
                    continue;
                }
                p.upper[std::size_t(c)] = g.upper[std::size_t(c)] == Blank ? -1 : std::int8_t(a);
                p.lower[std::size_t(c)] = g.lower[std::size_t(c)] == Blank ? -1 : std::int8_t(b);
                state = after;
                placed = true;
            }
    }
    // A decimal number is not written with a 0 at its end that its pattern did not ask for
    // (8078 rather than 8078.00): the place is left blank, the value stays.
    for (auto [digits, kinds] : {std::pair{&p.upper, &g.upper}, std::pair{&p.lower, &g.lower}})
        for (int c = 0; c < g.decimals && (*digits)[std::size_t(c)] <= 0; ++c)
            if ((*kinds)[std::size_t(c)] != Zero)
                (*digits)[std::size_t(c)] = -1;
            else
                break;
    return p;
}

ColumnWork workOf(const ColumnProblem &p, int columns)
{
    ColumnWork w;
    w.helper.fill(-1);
    int in = 0;
    for (int c = 0; c < columns; ++c) {
        const int a = std::max<int>(p.upper[std::size_t(c)], 0), b = std::max<int>(p.lower[std::size_t(c)], 0);
        w.answer[std::size_t(c)] = std::int8_t(columnDigit((p.sign == Sign::Minus), a, b, in));
        in = columnCarry((p.sign == Sign::Minus), a, b, in);
        w.handedOn[std::size_t(c)] = std::int8_t(in);
    }
    if (!(p.sign == Sign::Minus))
        w.answer[std::size_t(columns)] = std::int8_t(in);
    for (int c = 1; c <= columns; ++c) {
        if (!w.handedOn[std::size_t(c - 1)])
            continue;
        if (!(p.sign == Sign::Minus)) {
            w.helper[std::size_t(c)] = 1;  // the carried 1
        } else if (c < columns) {
            // The column lends one, and takes ten itself if it borrows in turn.
            const int a = std::max<int>(p.upper[std::size_t(c)], 0);
            w.helper[std::size_t(c)] = std::int8_t(a - 1 + 10 * w.handedOn[std::size_t(c)]);
            w.struck[std::size_t(c)] = p.upper[std::size_t(c)] >= 0;
        }
    }
    w.answerPlaces = p.decimals + 1;
    for (int c = columns; c >= 0; --c)
        if (w.answer[std::size_t(c)] != 0) {
            w.answerPlaces = std::max(w.answerPlaces, c + 1);
            break;
        }
    return w;
}

ColumnWriting writingOf(const ColumnProblem &p, const ColumnWork &work, int columns)
{
    ColumnWriting w;
    const bool subtraction = p.sign == Sign::Minus;
    const auto digit = [&](int c) { return c < MaxColumns ? std::max<int>(p.upper[std::size_t(c)], 0) : 0; };
    int highest = -1;  // the upper number's highest place
    for (int c = 0; c < columns; ++c)
        if (digit(c) > 0)
            highest = c;
    for (int c = 0; c <= columns; ++c) {
        std::vector<std::string> &notations = w.helper[std::size_t(c)];
        const int value = work.helper[std::size_t(c)];
        if (value < 0) {
            notations = {""};
            continue;
        }
        notations = {std::to_string(value)};
        if (!subtraction)
            continue;
        const bool borrows = c < columns && work.handedOn[std::size_t(c)] != 0;
        if (borrows && digit(c) > 0)
            notations.push_back(std::to_string(digit(c) - 1));
        else if (!borrows && value == 0 && c == highest)
            notations.push_back("");
    }
    int turn = 0;
    std::array<bool, MaxColumns + 1> done{};
    const auto helperNow = [&](int c) {
        if (c <= columns && !done[std::size_t(c)])
            done[std::size_t(c)] = true, w.helperTurn[std::size_t(c)] = turn++;
    };
    for (int c = 0; c <= MaxColumns; ++c) {  // the answer row may have room beyond the columns
        if (subtraction) {
            int furthest = c + 1;
            while (furthest < columns && work.handedOn[std::size_t(furthest - 1)] && digit(furthest) == 0)
                ++furthest;
            for (int h = furthest; h > c; --h)
                helperNow(h);
        } else if (c > 0) {
            helperNow(c);
        }
        w.answerTurn[std::size_t(c)] = turn++;
    }
    return w;
}

}  // namespace kolvara
