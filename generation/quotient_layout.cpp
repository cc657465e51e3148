// The layout of a quotient.
#include <algorithm>
#include <array>
#include <cmath>
#include <set>

#include "problem_pen.h"
#include "texts.h"

namespace kolvara::layout {

namespace {

// The answer in words beside the working's last lines, left of the dividend's places and
// under the divisor: "20あまり3".
void writeQuotient(const ProblemPen &pen, const DivisionWork &w, int line, int dividendPlaces, int divisor)
{
    const ProblemLook &look = pen.look;
    const std::string quotient = std::to_string(w.quotient);
    const std::string rest = std::string(texts::RemainderWord) + std::to_string(w.remainder);
    const double right = cellOf(look, line, dividendPlaces - 1).left - 1 - 0.2 * look.fontSize, room = right - 2;
    // One size for every answer of these places, set by the longest, and on one line: a
    // quotient standing alone beside the working would read as one of its numbers.
    const std::string longest = std::string(std::size_t(dividendPlaces), '0') + std::string(texts::RemainderWord) +
                                std::string(std::size_t(placesOf(divisor)), '0');
    const double largest = R(look.pixelSize * 0.6);
    const double advance = pen.metrics.advance(Face::Problem, largest, longest);
    const double size = std::max(1.0, advance > room ? std::floor(largest * room / advance) : largest);
    const std::string text = quotient + rest;
    const double baseline = cellOf(look, line, dividendPlaces - 1).top + pen.metrics.ascent(Face::Problem, look.pixelSize);
    pen.out.add(TextRun{text, Face::Problem, size, pen.left + right - pen.metrics.advance(Face::Problem, size, text),
                        pen.top + baseline, false, look.accentAnswers});
}

// The check under the working, from the divisor's left as far as the problem's right edge:
// "19×47+4=897", the divisor times the quotient and the remainder giving the dividend back
// ("19×47=893" with nothing left). One size for every problem of these places, set by the
// longest, so the lines of a page read alike.
void writeCheck(const ProblemPen &pen, const DivisionWork &w, int line, int dividend, int divisor)
{
    const ProblemLook &look = pen.look;
    const int divisorPlaces = placesOf(divisor), dividendPlaces = placesOf(dividend);
    const auto zeros = [](int n) { return std::string(std::size_t(std::max(n, 1)), '0'); };
    const std::string longest = zeros(divisorPlaces) + "×" + zeros(dividendPlaces - divisorPlaces + 1) + "+" +
                                zeros(divisorPlaces) + "=" + zeros(dividendPlaces);
    const double left = std::max(2.0, cellOf(look, 1, dividendPlaces + divisorPlaces - 1).left - 0.4 * look.fontSize);
    const double room = look.width - 2 - left;
    const double largest = R(look.pixelSize * 0.6);
    const double advance = pen.metrics.advance(Face::Problem, largest, longest);
    const double size = std::max(1.0, advance > room ? std::floor(largest * room / advance) : largest);
    std::string text = std::to_string(divisor) + "×" + std::to_string(w.quotient);
    if (w.remainder > 0)
        text += "+" + std::to_string(w.remainder);
    text += "=" + std::to_string(dividend);
    const double baseline = cellOf(look, line, 0).top + pen.metrics.ascent(Face::Problem, look.pixelSize);
    pen.out.add(TextRun{text, Face::Problem, size, pen.left + left, pen.top + baseline, false, look.accentAnswers});
}

}  // namespace

// Long division: the quotient over the bar, the divisor left of the bracket and the dividend
// under the bar; then for each quotient digit but a 0 (which is written and passed, as
// schools teach) its product under the digits it is taken from, a rule, and the difference
// with the next digits brought down. The last difference is the remainder.
void layOutQuotient(const ProblemPen &pen, const DivisionWork &w, int dividend, int divisor)
{
    const ProblemLook &look = pen.look;
    const bool written = look.answers, accent = look.accentAnswers;
    const int fs = look.fontSize;
    // The bracket stands straight left of the dividend, as the pupil writes it, the divisor
    // left of it, set a little further left so the bracket's stroke stands clear of both.
    const int bracketColumn = placesOf(dividend);  // the first column left of the dividend
    // Pupils write a digit of the quotient, its product, the difference from the right, then
    // bring the next place down; a 0 of the quotient goes up right after the place it could
    // not divide is brought down. A product by a divisor of one place is written as the
    // times table says it, its highest place first; by two places, worked from the ones.
    std::array<Turn, MaxDividendPlaces> digitTurn{};
    for (int s = 0, written = 0; s < w.stepCount; ++s) {
        const DivisionStep &step = w.steps[std::size_t(s)];
        if (step.digit != 0 || s == 0) {
            written = s;
            digitTurn[std::size_t(s)] = Turn::quotientDigit(s);
        } else {
            const int from = w.steps[std::size_t(written)].place;
            digitTurn[std::size_t(s)] = Turn::quotientZeroAfter(Turn::bringDown(written, from - 1 - step.place));
        }
    }
    const bool room = roomy(look, look.room.divisionLines);
    for (int s = 0; s < w.stepCount && !room; ++s) {
        const DivisionStep &step = w.steps[std::size_t(s)];
        const char *digit = ProblemPen::Digits[step.digit];
        const Drawing::Write write = pupilWrite(WriteRole::Quotient, step.place, 0, digitTurn[std::size_t(s)], {digit});
        pen.place(0, step.place, written ? digit : nullptr, accent, &write);
    }
    writeNumber(pen, 1, 0, dividend);
    ProblemPen divisorPen = pen;
    divisorPen.left -= 0.4 * fs;
    writeNumber(divisorPen, 1, bracketColumn, divisor);
    // The boxes' edges lie one pixel left of their cells: the stroke keeps 0.1 of a cell from
    // the dividend's first box and the divisor's last.
    const Cell first = cellOf(look, 1, bracketColumn - 1);
    const double barY = pen.top + ruleY(fs, 1), barLeft = pen.left + first.left - 1 - 0.3 * fs;
    pen.out.add(Line{barLeft, barY, pen.left + look.width - 1, barY});
    const double bottom = pen.top + ruleY(fs, 2) - 2;
    const double height = bottom - barY;
    // The bracket's stroke bows out to the right, as a ")" hanging from the bar, in short
    // enough pieces to read as a curve.
    constexpr int Pieces = 10;
    const auto bowX = [&](int i) { return barLeft + 0.2 * fs * std::sin(3.14159265358979 * i / Pieces); };
    for (int i = 0; i < Pieces; ++i)
        pen.out.add(Line{bowX(i), barY + height * i / Pieces, bowX(i + 1), barY + height * (i + 1) / Pieces});

    if (room) {
        // A box over every place of the dividend for the quotient, and the rows of the longest
        // working below it, the same for every problem and without rules: where the quotient
        // starts and how long the working is are the pupil's to find.
        std::set<std::pair<int, int>> cells;
        for (int line = 0; line < look.room.divisionLines; ++line)
            if (line != 1)
                addCells(cells, line, 0, bracketColumn);
        placeRoom(
            pen, cells,
            answerSlots(pen, [&](const ProblemPen &aside) { layOutQuotient(aside, w, dividend, divisor); }),
            [](int line) {
                return line == 0 ? LineRole{WriteRole::Quotient}
                                 : LineRole{line % 2 ? WriteRole::DivisionDifference : WriteRole::DivisionProduct, line / 2 - 1};
            },
            true);
        return;
    }
    int line = 2;
    for (int s = 0; s < w.stepCount; ++s) {
        const DivisionStep &step = w.steps[std::size_t(s)];
        if (step.digit == 0 && s > 0)
            continue;
        int next = s + 1;
        while (next < w.stepCount && w.steps[std::size_t(next)].digit == 0)
            ++next;
        const int highest = step.place + placesOf(step.product) - 1;
        const int row = line / 2 - 1;
        writeNumber(pen, line, step.place, step.product, written, accent, {WriteRole::DivisionProduct, row},
                    [&](int column) { return Turn::product(s, divisor < 10 ? highest - column : column - step.place); });
        const int ruleLeft = step.place + std::max(placesOf(step.partial), placesOf(step.product)) - 1;
        const Cell from = cellOf(look, line + 1, ruleLeft), to = cellOf(look, line + 1, step.place);
        const double y = pen.top + ruleY(fs, line + 1);
        pen.out.add(Line{pen.left + from.left - 1, y, pen.left + to.left + to.width - 1, y});
        // The difference with every place down to the next written digit's brought down.
        const int until = next < w.stepCount ? w.steps[std::size_t(next)].place : 0;
        int value = step.difference;
        for (int place = step.place - 1; place >= until; --place)
            value = value * 10 + dividend / (place == 0 ? 1 : place == 1 ? 10 : 100) % 10;
        writeNumber(pen, line + 1, until, value, written, accent, {WriteRole::DivisionDifference, row}, [&](int column) {
            return column >= step.place ? Turn::difference(s, column - step.place) : Turn::bringDown(s, step.place - 1 - column);
        });
        line += 2;
    }
    if (written && w.remainder > 0)  // a quotient alone is the one over the bar
        writeQuotient(pen, w, line - 1, bracketColumn, divisor);
    if (written && look.checkLine)
        writeCheck(pen, w, line, dividend, divisor);
}

}  // namespace kolvara::layout
