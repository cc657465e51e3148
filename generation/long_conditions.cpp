#include "long_conditions.h"

#include <algorithm>

#include "texts.h"

namespace kolvara {

namespace {

// Every number whose places hold digits of these kinds, highest place first, except 0.
std::vector<int> numbersOf(const std::vector<std::uint8_t> &kinds)
{
    std::vector<int> numbers{0};
    for (const std::uint8_t kind : kinds) {
        const DigitRange range = digitRange(kind);
        const int low = range.low, high = range.high;
        std::vector<int> next;
        next.reserve(numbers.size() * std::size_t(high - low + 1));
        for (const int n : numbers)
            for (int d = low; d <= high; ++d)
                next.push_back(n * 10 + d);
        numbers = std::move(next);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::remove(numbers.begin(), numbers.end(), 0), numbers.end());
    return numbers;
}

bool meets(std::uint8_t mode, bool happens) { return mode == Konzai || (mode == Ari) == happens; }

// A reason in Japanese and in English.
struct Words {
    std::string japanese, english;
};

Words modeWords(std::uint8_t mode, Words always, Words never) { return mode == Ari ? always : never; }

// The conditions in the order their reasons are given: the fixed ones, then
// LongConditionRows from FirstRow on; NoFault when a pair obeys them all.
enum Fault : std::size_t { NoQuotient, Trivial, QuotientPlaces, FirstRow };
constexpr std::size_t NoFault = FirstRow + LongConditionCount;

// What a pair's working does, for the summary of the pairs admitted.
struct Facts {
    std::array<bool, LongConditionCount> happens{};
    int quotientPlaces = 0;
    std::array<bool, MaxMultiplicandPlaces> carriesInto{};
};

// x1, 1x and /1 need no working.
bool trivialPair(bool division, int upper, int lower) { return lower == 1 || (!division && upper == 1); }

// The first condition the pair does not obey, and what its working does.
std::size_t firstFault(const LongConditions &k, int upper, int lower, Facts &facts)
{
    if (k.division) {
        if (upper < lower)
            return NoQuotient;
        if (!meets(k.trivial, trivialPair(true, upper, lower)))
            return Trivial;
        const DivisionWork w = divisionWork(upper, lower);
        for (std::size_t i = 0; i < LongConditionCount; ++i)
            if (const auto fact = LongConditionRows[i].divided)
                facts.happens[i] = fact(w);
        facts.quotientPlaces = w.stepCount;
        if (k.quotientPlaces != 0 && w.stepCount != k.quotientPlaces)
            return QuotientPlaces;
    } else {
        if (!meets(k.trivial, trivialPair(false, upper, lower)))
            return Trivial;
        const MultiplicationWork w = multiplicationWork(upper, lower);
        for (std::size_t i = 0; i < LongConditionCount; ++i)
            if (const auto fact = LongConditionRows[i].multiplied)
                facts.happens[i] = fact(w);
        for (int r = 0; r < w.rowCount; ++r)
            for (std::size_t place = 1; place < facts.carriesInto.size(); ++place)
                facts.carriesInto[place] = facts.carriesInto[place] || w.rows[std::size_t(r)].carries[place] > 0;
    }
    const Operation operation = k.division ? Operation::Divide : Operation::Multiply;
    for (std::size_t i = 0; i < LongConditionCount; ++i)
        if (LongConditionRows[i].operation == operation && !meets(k.modes[i], facts.happens[i]))
            return FirstRow + i;
    return NoFault;
}

// Why no pair is left, given the condition after which none is. `twoPlaceDivisors`: whether
// some pair the conditions before it leave has a divisor of two places, and
// `twoPlacesAllowed` whether the divisor's pattern allows one.
Words reasonOf(const LongConditions &k, std::size_t fault, bool twoPlaceDivisors, bool twoPlacesAllowed)
{
    switch (fault) {
    case NoQuotient:
        return {"わられる数がいつもわる数より小さくなります", "the dividend is always smaller than the divisor"};
    case Trivial:
        if (k.division)
            return modeWords(k.trivial, {"わる数を１にすることはできません", "the divisor can never be 1 here"},
                             {"わる数がいつも１になります", "the divisor is always 1 here"});
        return modeWords(k.trivial, {"１をかける（１にかける）問題にはできません", "no problem here has 1 as a factor"},
                         {"どの問題も１をかける（１にかける）問題になります", "every problem here has 1 as a factor"});
    case QuotientPlaces:
        return {"商を" + std::to_string(k.quotientPlaces) + "けたにすることはできません",
                "the quotient cannot have " + std::to_string(k.quotientPlaces) + " places here"};
    default: break;
    }
    if (fault >= NoFault)
        return {};
    const LongCondition &c = LongConditionRows[fault - FirstRow];
    const std::uint8_t mode = k.modes[fault - FirstRow];
    const Words always{std::string(c.cannotAlways.japanese), std::string(c.cannotAlways.english)};
    if (mode != Ari)
        return {std::string(c.cannotNever.japanese), std::string(c.cannotNever.english)};
    if (c.oneDigitDivisor.japanese.empty() || twoPlaceDivisors)
        return always;
    // Only a divisor of two places can do it: say what left none.
    const std::string note = "、" + always.japanese + "（" + std::string(c.oneDigitDivisor.japanese) + "）";
    const std::string english = ", and " + std::string(c.oneDigitDivisor.english);
    if (!twoPlacesAllowed)
        return {"わる数が１けたなので" + note, "the divisor has one place" + english};
    if (k.quotientPlaces != 0)
        return {"商が" + std::to_string(k.quotientPlaces) + "けたになるのはわる数が１けたのときだけなので" + note,
                "a quotient of " + std::to_string(k.quotientPlaces) + " places needs a one-place divisor here" + english};
    return {"ほかの条件にあうのはわる数が１けたの問題だけなので" + note,
            "the other conditions leave only one-place divisors" + english};
}

}  // namespace

bool admits(const LongConditions &k, int upper, int lower)
{
    Facts facts;
    return upper > 0 && lower > 0 && firstFault(k, upper, lower, facts) == NoFault;
}

LongChoiceSet admittedPairs(const LongConditions &k)
{
    LongChoiceSet set;
    const std::vector<int> uppers = numbersOf(k.upper), lowers = numbersOf(k.lower);
    if (uppers.empty() || lowers.empty()) {
        const bool upperZero = uppers.empty();
        set.reason = std::string(k.division ? (upperZero ? "わられる数" : "わる数") : (upperZero ? "かけられる数" : "かける数")) +
                     "がいつも０になります";
        set.reasonEnglish = std::string("the ") +
                            (k.division ? (upperZero ? "dividend" : "divisor") : (upperZero ? "multiplicand" : "multiplier")) +
                            " can only be 0";
        return set;
    }
    // The pairs left by the conditions before the one a pair first fails are those that fail
    // later; the reason is the condition after which none is left: the latest first fault.
    // A pair with a divisor of two places reaches every condition up to its own first fault.
    std::size_t latest = NoQuotient, latestTwoPlaces = NoQuotient;
    for (const int u : uppers)
        for (const int l : lowers) {
            Facts facts;
            const std::size_t fault = firstFault(k, u, l, facts);
            latest = std::max(latest, fault);
            if (l >= 10)
                latestTwoPlaces = std::max(latestTwoPlaces, fault);
            if (fault != NoFault)
                continue;
            set.pairs.push_back({std::uint16_t(u), std::uint8_t(l)});
            for (std::size_t i = 0; i < LongConditionCount; ++i)
                if ((LongConditionRows[i].operation == Operation::Divide) == k.division)
                    (facts.happens[i] ? set.some : set.none)[i] = true;
            set.quotientPlaces[std::size_t(facts.quotientPlaces)] = true;
            for (std::size_t place = 0; place < facts.carriesInto.size(); ++place)
                set.carryPlaces[place] = set.carryPlaces[place] || facts.carriesInto[place];
        }
    if (set.pairs.empty()) {
        const Words why = reasonOf(k, latest, latestTwoPlaces >= latest, lowers.back() >= 10);
        set.reason = why.japanese;
        set.reasonEnglish = why.english;
    }
    return set;
}

LongConditions longConditionsOf(const ProblemChoice &c)
{
    LongConditions k;
    k.division = c.operation == Operation::Divide;
    k.upper = c.upper.whole;
    k.lower = c.lower.whole;
    for (std::size_t i = 0; i < LongConditionCount; ++i)
        k.modes[i] = c.*LongConditionRows[i].mode;
    k.quotientPlaces = c.quotientDigits;
    k.trivial = trivialOf(c);
    return k;
}

// The count, the status lines, the helper boxes and the draws of a sheet all ask.
const LongChoiceSet &longSetOf(const ProblemChoice &c)
{
    thread_local LongConditions lastConditions;
    thread_local LongChoiceSet lastSet;
    thread_local bool filled = false;
    const LongConditions k = longConditionsOf(c);
    if (!filled || !(k == lastConditions)) {
        lastSet = admittedPairs(k);
        lastConditions = k;
        filled = true;
    }
    return lastSet;
}

std::string longConditionsLine(const ProblemChoice &c)
{
    const LongChoiceSet &set = longSetOf(c);
    std::string line;
    for (std::size_t i = 0; i < LongConditionCount; ++i) {
        const LongCondition &row = LongConditionRows[i];
        if (row.operation != c.operation)
            continue;
        std::uint8_t mode = c.*row.mode;
        if (!set.pairs.empty())
            mode = !set.some[i] ? std::uint8_t(Nashi) : !set.none[i] ? std::uint8_t(Ari) : std::uint8_t(Konzai);
        line += (line.empty() ? "" : "・") + std::string(row.statusLabel) + std::string(texts::statusText(CarryMode(mode)));
    }
    if (c.operation != Operation::Divide)
        return line;
    const std::array<bool, MaxDividendPlaces + 1> &quotientPlaces = set.quotientPlaces;
    for (int places = 1; places <= MaxDividendPlaces; ++places)
        if (quotientPlaces[std::size_t(places)] && std::count(quotientPlaces.begin(), quotientPlaces.end(), true) == 1)
            line += "・商" + std::to_string(places) + "けた";
    return line;
}

const LongCondition *foreignLongCondition(const ProblemChoice &c)
{
    for (const LongCondition &row : LongConditionRows)
        if (row.operation != c.operation && c.*row.mode != Konzai)
            return &row;
    return nullptr;
}

}  // namespace kolvara
