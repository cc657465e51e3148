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

// The conditions in the order their reasons are given; `NoFault` when a pair obeys them all.
enum Fault { NoQuotient, Trivial, QuotientPlaces, Remainder, QuotientZero, GuessFix, RowCarry, WidePartial, SumCarry, NoFault };

// What a pair's working does, for the summary of the pairs admitted.
struct Facts {
    std::array<bool, 3> happens{};
    int quotientPlaces = 0;
    std::array<bool, MaxMultiplicandPlaces> carriesInto{};
};

// x1, 1x and /1 need no working.
bool trivialPair(bool division, int upper, int lower) { return lower == 1 || (!division && upper == 1); }

// The first condition the pair does not obey, and what its working does.
Fault firstFault(const LongConditions &k, int upper, int lower, Facts &facts)
{
    if (k.division) {
        if (upper < lower)
            return NoQuotient;
        if (!meets(k.trivial, trivialPair(true, upper, lower)))
            return Trivial;
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
    if (!meets(k.trivial, trivialPair(false, upper, lower)))
        return Trivial;
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

// Why no pair is left, given the condition after which none is. `twoPlaceDivisors`: whether
// some pair the conditions before the guess leave has a divisor of two places, and
// `twoPlacesAllowed` whether the divisor's pattern allows one.
Words reasonOf(const LongConditions &k, Fault fault, bool twoPlaceDivisors, bool twoPlacesAllowed)
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
    case Remainder:
        return modeWords(k.remainder, {"あまりが出るようにはできません", "no problem here leaves a remainder"},
                         {"あまりが出ないようにはできません", "every problem here leaves a remainder"});
    case QuotientZero:
        return modeWords(k.quotientZero, {"商に０がたつようにはできません", "no quotient here has a 0 among its digits"},
                         {"商に０がたたないようにはできません", "every quotient here has a 0 among its digits"});
    case GuessFix:
        if (k.guessFix != Ari)
            return {"見当をつけた商を直さない問題にはできません", "every problem here has a first guess to correct"};
        if (twoPlaceDivisors)
            return {"見当をつけた商を直す問題にはできません", "no problem here has a first guess to correct"};
        if (!twoPlacesAllowed)
            return {"わる数が１けたなので、見当をつけた商を直す問題にはできません（１けたでわるときは見当をつけません）",
                    "the divisor has one place, and a one-place divisor needs no guess to correct"};
        if (k.quotientPlaces != 0)
            return {"商が" + std::to_string(k.quotientPlaces) +
                        "けたになるのはわる数が１けたのときだけなので、見当をつけた商を直す問題にはできません（１けたでわるときは見当をつけません）",
                    "a quotient of " + std::to_string(k.quotientPlaces) +
                        " places needs a one-place divisor here, and a one-place divisor needs no guess to correct"};
        return {"ほかの条件にあうのはわる数が１けたの問題だけなので、見当をつけた商を直す問題にはできません（１けたでわるときは見当をつけません）",
                "the other conditions leave only one-place divisors, and a one-place divisor needs no guess to correct"};
    case RowCarry:
        return modeWords(k.rowCarry, {"かけ算のくり上がりがあるようにはできません", "no digit's product here carries into the next"},
                         {"かけ算のくり上がりがないようにはできません", "every problem here carries from a digit's product into the next"});
    case WidePartial:
        return modeWords(k.widePartial,
                         {"部分の積のけたがかけられる数より多くなるようにはできません",
                          "no partial product here has a place more than the multiplicand"},
                         {"部分の積のけたがかけられる数より多くならないようにはできません",
                          "every problem here has a partial product with a place more than the multiplicand"});
    case SumCarry:
        return modeWords(k.sumCarry,
                         {"部分の積のたし算でくり上がるようにはできません（部分の積をたすのは、かける数が２けたで一の位が０でないときです）",
                          "no sum of partial products here carries (partial products are added only for a two-place "
                          "multiplier whose ones are not 0)"},
                         {"部分の積のたし算でくり上がらないようにはできません", "every sum of partial products here carries"});
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

int firstGuess(int partial, int divisor)
{
    // A partial that holds the divisor holds it at least once, whatever the rounding says.
    const int guess = std::min(9, partial / roundedDivisor(divisor));
    return partial >= divisor ? std::max(1, guess) : guess;
}

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
        set.reasonEnglish = std::string("the ") +
                            (k.division ? (upperZero ? "dividend" : "divisor") : (upperZero ? "multiplicand" : "multiplier")) +
                            " can only be 0";
        return set;
    }
    // The pairs left by the conditions before the one a pair first fails are those that fail
    // later; the reason is the condition after which none is left: the latest first fault.
    Fault latest = NoQuotient;
    bool twoPlaceDivisors = false;
    for (const int u : uppers)
        for (const int l : lowers) {
            Facts facts;
            const Fault fault = firstFault(k, u, l, facts);
            latest = std::max(latest, fault);
            twoPlaceDivisors = twoPlaceDivisors || (fault >= GuessFix && l >= 10);
            if (fault != NoFault)
                continue;
            set.pairs.push_back({std::uint16_t(u), std::uint8_t(l)});
            for (std::size_t i = 0; i < facts.happens.size(); ++i)
                (facts.happens[i] ? set.some : set.none)[i] = true;
            set.quotientPlaces[std::size_t(facts.quotientPlaces)] = true;
            for (std::size_t place = 0; place < facts.carriesInto.size(); ++place)
                set.carryPlaces[place] = set.carryPlaces[place] || facts.carriesInto[place];
        }
    if (set.pairs.empty()) {
        const Words why = reasonOf(k, latest, twoPlaceDivisors, lowers.back() >= 10);
        set.reason = why.japanese;
        set.reasonEnglish = why.english;
    }
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
