#include "long_arithmetic.h"

#include <algorithm>

namespace kolvara {

namespace {

constexpr int Powers[] = {1, 10, 100, 1000, 10000, 100000};

int digitAt(int number, int place) { return number / Powers[place] % 10; }

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
