#include "long_arithmetic.h"

#include <algorithm>

namespace kolvara {

namespace {

constexpr int Powers[] = {1, 10, 100, 1000, 10000, 100000};

int digitAt(int number, int place) { return number / Powers[place] % 10; }

// Every number whose places hold digits of these kinds, highest place first, except 0.
std::vector<int> numbersOf(const std::vector<std::uint8_t> &kinds)
{
    std::vector<int> numbers{0};
    for (const std::uint8_t kind : kinds) {
        const int low = kind == Rest ? 1 : 0, high = kind == Zero ? 0 : 9;
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

std::string modeWord(std::uint8_t mode, std::string_view always, std::string_view never)
{
    return std::string(mode == Ari ? always : never);
}

// The conditions in the order their reasons are given; `NoFault` when a pair obeys them all.
enum Fault { NoQuotient, QuotientPlaces, Remainder, QuotientZero, GuessFix, RowCarry, WidePartial, SumCarry, NoFault };

// What a pair's working does, for the summary of the pairs admitted.
struct Facts {
    std::array<bool, 3> happens{};
    int quotientPlaces = 0;
    std::array<bool, MaxMultiplicandPlaces> carriesInto{};
};

// The first condition the pair does not obey, and what its working does.
Fault firstFault(const LongConditions &k, int upper, int lower, Facts &facts)
{
    if (k.division) {
        if (upper < lower)
            return NoQuotient;
        const DivisionWork w = divisionWork(upper, lower);
        facts.happens = {w.remainder != 0, w.zeroInQuotient, w.guessFixed};
        facts.quotientPlaces = w.stepCount;
        if (k.quotientPlaces != 0 && w.stepCount != k.quotientPlaces)
            return QuotientPlaces;
        if (!meets(k.remainder, w.remainder != 0))
            return Remainder;
        if (!meets(k.quotientZero, w.zeroInQuotient))
            return QuotientZero;
        if (!meets(k.guessFix, w.guessFixed))
            return GuessFix;
        return NoFault;
    }
    const MultiplicationWork w = multiplicationWork(upper, lower);
    facts.happens = {w.rowCarry, w.widePartial, w.sumCarry};
    for (int r = 0; r < w.rowCount; ++r)
        for (std::size_t place = 1; place < facts.carriesInto.size(); ++place)
            facts.carriesInto[place] = facts.carriesInto[place] || w.rows[std::size_t(r)].carries[place] > 0;
    if (!meets(k.rowCarry, w.rowCarry))
        return RowCarry;
    if (!meets(k.widePartial, w.widePartial))
        return WidePartial;
    if (!meets(k.sumCarry, w.sumCarry))
        return SumCarry;
    return NoFault;
}

std::string reasonOf(const LongConditions &k, Fault fault)
{
    switch (fault) {
    case NoQuotient: return "わられる数がいつもわる数より小さくなります";
    case QuotientPlaces: return "商を" + std::to_string(k.quotientPlaces) + "けたにすることはできません";
    case Remainder: return modeWord(k.remainder, "あまりが出るようにはできません", "あまりが出ないようにはできません");
    case QuotientZero:
        return modeWord(k.quotientZero, "商に０がたつようにはできません", "商に０がたたないようにはできません");
    case GuessFix:
        return modeWord(k.guessFix, "見当をつけた商を直す問題にはできません（わる数が１けたのときは見当をつけません）",
                        "見当をつけた商を直さない問題にはできません");
    case RowCarry:
        return modeWord(k.rowCarry, "かけ算のくり上がりがあるようにはできません", "かけ算のくり上がりがないようにはできません");
    case WidePartial:
        return modeWord(k.widePartial, "部分の積のけたがかけられる数より多くなるようにはできません",
                        "部分の積のけたがかけられる数より多くならないようにはできません");
    case SumCarry:
        return modeWord(k.sumCarry,
                        "部分の積のたし算でくり上がるようにはできません（部分の積をたすのは、かける数が２けたで一の位が０でないときです）",
                        "部分の積のたし算でくり上がらないようにはできません");
    case NoFault: break;
    }
    return {};
}

}  // namespace

int placesOf(int number)
{
    int places = 1;
    while (places < 6 && number >= Powers[places])
        ++places;
    return places;
}

MultiplicationWork multiplicationWork(int multiplicand, int multiplier)
{
    MultiplicationWork w;
    w.product = multiplicand * multiplier;
    const int places = placesOf(multiplicand);
    // Filled in place: the walk over every pair of a setting spends most of its time here.
    const auto row = [&](ProductRow &r, int place) {
        r.place = place;
        r.digit = digitAt(multiplier, place);
        r.value = multiplicand * r.digit;
        int carry = 0;
        for (int p = 0; p + 1 < std::min(places, MaxMultiplicandPlaces); ++p) {
            carry = (digitAt(multiplicand, p) * r.digit + carry) / 10;
            r.carries[std::size_t(p + 1)] = std::int8_t(carry);
            w.rowCarry = w.rowCarry || carry > 0;
        }
        w.widePartial = w.widePartial || placesOf(r.value) > places;
    };
    if (multiplier < 10) {
        row(w.rows[0], 0);
    } else if (multiplier % 10 == 0) {
        row(w.rows[0], 1);
    } else {
        w.rowCount = 2;
        row(w.rows[0], 0);
        row(w.rows[1], 1);
        int carry = 0;
        for (int column = 0; column < int(w.sumCarries.size()); ++column) {
            const int sum = digitAt(w.rows[0].value, column) + (column > 0 ? digitAt(w.rows[1].value, column - 1) : 0) + carry;
            carry = sum / 10;
            w.sumCarries[std::size_t(column)] = std::int8_t(carry);
            w.sumCarry = w.sumCarry || carry > 0;
        }
    }
    return w;
}

int roundedDivisor(int divisor) { return divisor < 10 ? divisor : (divisor + 5) / 10 * 10; }

int firstGuess(int partial, int divisor) { return std::min(9, partial / roundedDivisor(divisor)); }

DivisionWork divisionWork(int dividend, int divisor)
{
    DivisionWork w;
    w.quotient = dividend / divisor;
    w.remainder = dividend % divisor;
    // The first digit stands over the last place of the smallest leading part that holds the
    // divisor; each later place is brought down beside the difference.
    int place = placesOf(dividend) - 1;
    int partial = dividend / Powers[place];
    while (partial < divisor) {
        --place;
        partial = dividend / Powers[place];
    }
    for (;; --place) {
        DivisionStep &s = w.steps[std::size_t(w.stepCount++)];
        s.place = place;
        s.partial = partial;
        s.digit = partial / divisor;
        s.guess = divisor >= 10 && partial >= divisor ? firstGuess(partial, divisor) : s.digit;
        s.product = s.digit * divisor;
        s.difference = partial - s.product;
        w.zeroInQuotient = w.zeroInQuotient || s.digit == 0;
        w.guessFixed = w.guessFixed || s.guess != s.digit;
        if (place == 0)
            break;
        partial = s.difference * 10 + digitAt(dividend, place - 1);
    }
    return w;
}

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
        return set;
    }
    // The pairs left by the conditions before the one a pair first fails are those that fail
    // later; the reason is the condition after which none is left: the latest first fault.
    Fault latest = NoQuotient;
    for (const int u : uppers)
        for (const int l : lowers) {
            Facts facts;
            const Fault fault = firstFault(k, u, l, facts);
            latest = std::max(latest, fault);
            if (fault != NoFault)
                continue;
            set.pairs.push_back({std::uint16_t(u), std::uint8_t(l)});
            for (std::size_t i = 0; i < facts.happens.size(); ++i)
                (facts.happens[i] ? set.some : set.none)[i] = true;
            set.quotientPlaces[std::size_t(facts.quotientPlaces)] = true;
            for (std::size_t place = 0; place < facts.carriesInto.size(); ++place)
                set.carryPlaces[place] = set.carryPlaces[place] || facts.carriesInto[place];
        }
    if (set.pairs.empty())
        set.reason = reasonOf(k, latest);
    return set;
}

std::array<bool, MaxMultiplicandPlaces> carryPlaces(const std::vector<LongPair> &pairs)
{
    std::array<bool, MaxMultiplicandPlaces> places{};
    for (const LongPair &p : pairs) {
        const MultiplicationWork w = multiplicationWork(p.upper, p.lower);
        for (int r = 0; r < w.rowCount; ++r)
            for (std::size_t place = 1; place < places.size(); ++place)
                places[place] = places[place] || w.rows[std::size_t(r)].carries[place] > 0;
    }
    return places;
}

}  // namespace kolvara
