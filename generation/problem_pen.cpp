// The pen of one problem's layout, the sizes of a problem, and what a screen reader says for
// its boxes.
#include "problem_pen.h"

#include <algorithm>
#include <cmath>

#include "texts.h"

namespace kolvara {

namespace layout {

Cell cellOf(const ProblemLook &look, int line, int column)
{
    const int fs = look.fontSize;
    const int bottom = R(fs * 1.5 * (line + 1)) - (2 * line + 1);
    const int top = line == UpperLine ? 1 : R(fs * 1.5 * line) - 2 * line;
    return {look.width - (column + 1) * fs - 10, top, fs, bottom - top};
}

Drawing::Write pupilWrite(WriteRole role, int place, int row, Turn order, std::vector<std::string> answers)
{
    Drawing::Write w;
    w.answer = answers.front();
    w.answers = std::move(answers);
    w.helper = role == WriteRole::Carry || role == WriteRole::Borrow || role == WriteRole::RowCarry;
    w.order = order;
    w.role = role;
    w.place = place;
    w.row = row;
    return w;
}

void ProblemPen::text(int line, int column, const char *text, bool accent) const
{
    const Cell c = cellOf(look, line, column);
    const double advance = metrics.advance(Face::Problem, look.pixelSize, text);
    if (look.backings) {
        // One character high and as wide as the text, inside the cell: it covers what
        // lies under the text but spares the box's bottom edge.
        const int wholeAdvance = R(advance);
        const int backLeft = std::max(c.left + (c.width - wholeAdvance) / 2, c.left);
        const int backRight = std::min(c.left + (c.width - wholeAdvance) / 2 + wholeAdvance, c.left + c.width);
        const int backBottom = std::min(c.top + look.pixelSize, c.top + c.height);
        if (backRight > backLeft && backBottom > c.top)
            out.add(Backing{left + backLeft, top + c.top, double(backRight - backLeft), double(backBottom - c.top)});
    }
    out.add(TextRun{text, Face::Problem, double(look.pixelSize), left + c.left + (c.width - advance) / 2,
                    top + c.top + metrics.ascent(Face::Problem, look.pixelSize), false, accent});
}

void ProblemPen::place(int line, int column, const char *digit, bool accent, const Drawing::Write *write) const
{
    if (slots && write)
        (*slots)[{line, column}] = *write;
    if (look.boxes) {
        if (write) {
            out.writes.push_back(*write);
            out.writes.back().box = std::uint32_t(out.boxes.size());
        }
        const Cell c = cellOf(look, line, column);
        const DottedBox box{left + c.left - 1, top + c.top - 1, left + c.left + c.width - 1,
                            top + c.top + c.height - 2};
        // On screen the inside of a box is the paper's, over whatever overlaps it.
        if (look.backings)
            out.add(Backing{box.left + 1, box.top + 1, box.right - box.left - 1, box.bottom - box.top - 1});
        out.add(box);
    }
    if (digit)
        text(line, column, digit, accent);
}

void ProblemPen::helperBox(int row, int column, Drawing::Write write, bool written) const
{
    const std::string answer = write.answer;
    const int size = look.helperSize > 0 ? look.helperSize : helperBoxSize(look.fontSize, look.largeHelpers);
    const double boxTop = top - (row + 1) * (size + HelperGap);
    const Cell c = cellOf(look, UpperLine, column);
    const double boxLeft = left + c.left + (c.width - size) / 2.0;
    const DottedBox box{boxLeft, boxTop, boxLeft + size, boxTop + size};
    if (look.backings)
        out.add(Backing{box.left + 1, box.top + 1, box.right - box.left - 1, box.bottom - box.top - 1});
    write.box = std::uint32_t(out.boxes.size());
    out.writes.push_back(std::move(write));
    out.add(box);
    if (answer.empty() || !written)
        return;
    // Two digits (11) are set smaller, in whole pixels as the screen draws them, to stay
    // inside the box's dotted edges.
    double fitted = R(size * PixelsPerPoint * 0.8);
    double advance = metrics.advance(Face::Problem, fitted, answer);
    const double room = size - 2;
    if (advance > room) {
        fitted = std::max(1.0, std::floor(fitted * room / advance));
        advance = metrics.advance(Face::Problem, fitted, answer);
    }
    const double ascent = metrics.ascent(Face::Problem, fitted), descent = metrics.descent(Face::Problem, fitted);
    out.add(TextRun{answer, Face::Problem, fitted, boxLeft + (size - advance) / 2,
                    boxTop + (size + ascent - descent) / 2, false, look.accentAnswers});
}

void ProblemPen::helpers(const ColumnWork &work, const ColumnWriting &writing, bool written) const
{
    const WriteRole role = look.problem.sign == Sign::Minus ? WriteRole::Borrow : WriteRole::Carry;
    for (int column = 1; column <= look.columns; ++column) {
        if (!look.helperColumns[std::size_t(column)])
            continue;
        const int value = work.helper[std::size_t(column)];
        helperBox(0, column,
                  pupilWrite(role, column - look.problem.decimals, 0, Turn::sumWrite(writing.helperTurn[std::size_t(column)]),
                             writing.helper[std::size_t(column)]),
                  written);
        if (value >= 0 && written && work.struck[std::size_t(column)])  // a stroke through the digit that lent
            strike(UpperLine, column);
    }
}

void ProblemPen::strike(int line, int column) const
{
    const Cell c = cellOf(look, line, column);
    out.add(Line{left + c.left + 0.2 * c.width, top + c.top + 0.85 * c.height, left + c.left + 0.8 * c.width,
                 top + c.top + 0.1 * c.height, look.accentAnswers});
}

void ProblemPen::strikePoint(int line) const
{
    const Cell ones = cellOf(look, line, look.problem.decimals);
    const double x = left + ones.left + ones.width, y = top + ones.top + 0.8 * ones.height;
    const double reach = 0.15 * ones.width;
    out.add(Line{x - reach, y + reach, x + reach, y - reach, look.accentAnswers});
}

void ProblemPen::point(int line, bool accent) const
{
    const Cell ones = cellOf(look, line, look.problem.decimals);
    const double advance = metrics.advance(Face::Problem, look.pixelSize, ".");
    out.add(TextRun{".", Face::Problem, double(look.pixelSize), left + ones.left + ones.width - advance / 2,
                    top + ones.top + metrics.ascent(Face::Problem, look.pixelSize), false, accent});
}

int ProblemPen::placesShown(const std::array<std::int8_t, MaxColumns> &digits) const
{
    const int decimals = look.problem.decimals;
    for (int c = look.columns - 1; c > decimals; --c)
        if (digits[std::size_t(c)] > 0)
            return c + 1;
    return decimals + 1;
}

void ProblemPen::number(int line, const std::array<std::int8_t, MaxColumns> &digits) const
{
    const int decimals = look.problem.decimals;
    int highest = decimals;
    for (int c = look.columns - 1; c > decimals; --c)
        if (digits[std::size_t(c)] > 0) {
            highest = c;
            break;
        }
    bool fraction = false;
    for (int c = highest; c >= 0; --c)
        if (digits[std::size_t(c)] >= 0) {
            place(line, c, Digits[digits[std::size_t(c)]]);
            fraction = fraction || c < decimals;
        }
    if (fraction)
        point(line, false);
}

void addCells(std::set<std::pair<int, int>> &cells, int line, int rightColumn, int count)
{
    for (int c = 0; c < count; ++c)
        cells.insert({line, rightColumn + c});
}

double ruleY(int fontSize, int line) { return R(fontSize * 1.5 * line) - 2 * line - 1; }

void writeNumber(const ProblemPen &pen, int line, int rightColumn, int value)
{
    writeNumber(pen, line, rightColumn, value, true, false, {WriteRole::Answer}, nullptr);
}

}  // namespace layout

using namespace layout;

namespace {

std::string placeReading(int place)
{
    if (place < 0)
        return std::string(texts::DecimalPlaceReading[std::size_t(std::min(-place, int(texts::DecimalPlaceReading.size()))) - 1]);
    return std::string(texts::WholePlaceReading[std::size_t(std::min(place, int(texts::WholePlaceReading.size()) - 1))]);
}

}  // namespace

std::string writeLabel(const Drawing::Write &w)
{
    const std::string place = placeReading(w.place), row = std::to_string(w.row + 1);
    switch (w.role) {
    case WriteRole::Answer:
    case WriteRole::Product: return place + std::string(texts::AnswerOfPlace);
    case WriteRole::Carry: return place + std::string(texts::CarryOfPlace);
    case WriteRole::Borrow: return place + std::string(texts::BorrowOfPlace);
    case WriteRole::Partial: return row + std::string(texts::RowNumber) + place;
    case WriteRole::RowCarry: return row + std::string(texts::RowCarryBefore) + place + std::string(texts::RowCarryAfter);
    case WriteRole::Quotient: return std::string(texts::QuotientOf) + place;
    case WriteRole::DivisionProduct: return row + std::string(texts::DivisionProductOf) + place;
    case WriteRole::DivisionDifference: return row + std::string(texts::DivisionDifferenceOf) + place;
    }
    return place;
}

std::string pointLabel() { return std::string(texts::AnswerPoint); }

int longProblemLines(const ColumnProblem &p)
{
    const int upper = int(valueOf(p.upper)), lower = int(valueOf(p.lower));
    if (p.sign == Sign::Times)
        return upper > 0 && lower > 0 && multiplicationWork(upper, lower).rowCount == 2 ? 5 : 3;
    if (p.sign != Sign::Divide || lower <= 0 || upper < lower)
        return 3;
    const DivisionWork w = divisionWork(upper, lower);
    int lines = 2;
    for (int s = 0; s < w.stepCount; ++s)
        if (s == 0 || w.steps[std::size_t(s)].digit != 0)
            lines += 2;
    return lines;
}

int helperBoxSize(int fontSize, bool large) { return R(fontSize * (large ? 0.9 : 0.5)); }

int problemWidth(int fontSize, int columns) { return (columns + 1) * fontSize + 20; }
int problemHeight(int fontSize) { return problemHeight(fontSize, 3); }
int problemHeight(int fontSize, int lines) { return R(fontSize * 1.5 * lines) - (2 * lines - 1); }
int problemRuleY(int fontSize) { return R(fontSize * 3.0) - 5; }

}  // namespace kolvara
