#include "sheet.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <type_traits>

#include "column_engine.h"
#include "long_arithmetic.h"
#include "feasibility.h"
#include "problem_table.h"
#include "texts.h"

namespace kolvara {

namespace {

// Rounds halves to the even neighbour (the default floating-point rounding mode).
int R(double x) { return int(std::nearbyint(x)); }

enum ProblemLine { UpperLine, LowerLine, AnswerLine };

// The sheet as the window lays it out at its stored size, in its client pixels.
constexpr int StoredOuterWidth = 1036;
constexpr int FirstProblemLeft = 32;
constexpr int FirstRowTop = 48;
constexpr int RowPitch = 176;
constexpr double PixelsPerPoint = 96.0 / 72.0;

// A label of the stored layout: its box and face; the text sits at the left, centred
// in the box's height.
struct LabelPlace {
    double left, top, height;
    double pixelSize;
};
constexpr LabelPlace ProgramLabelPlace{0, 0, 0, 12};
constexpr LabelPlace StatusPlaces[3]{{304, 0, 0, 11}, {304, 12, 0, 11}, {304, 24, 0, 11}};
constexpr LabelPlace ReadingPlace{8, 15, 11, 11};
constexpr LabelPlace HeadingPlace{8, 23, 27, 27};
constexpr LabelPlace DateNamePlace{440, 8, 29, 29};
constexpr double MarkPixelSize = 11;
constexpr double MarkInset = 4;

// A label sized to its text (height 0) has the text's own height.
void addLabel(Drawing &out, const TextMetrics &metrics, const LabelPlace &place, const std::string &text,
              bool underline = false)
{
    if (text.empty())
        return;
    const double ascent = metrics.ascent(Face::Window, place.pixelSize);
    const double textHeight = ascent + metrics.descent(Face::Window, place.pixelSize);
    const double height = place.height > 0 ? place.height : textHeight;
    out.add(TextRun{text, Face::Window, place.pixelSize, place.left, place.top + (height - textHeight) / 2 + ascent,
                    underline});
}

struct Cell {
    int left, top, width, height;
};

// Text cell of a place: columns are counted from the ones at the right.
Cell cellOf(const ProblemLook &look, int line, int column)
{
    const int fs = look.fontSize;
    const int bottom = R(fs * 1.5 * (line + 1)) - (2 * line + 1);
    const int top = line == UpperLine ? 1 : R(fs * 1.5 * line) - 2 * line;
    return {look.width - (column + 1) * fs - 10, top, fs, bottom - top};
}

// A box a pupil writes in: what is right in it (the answer page's first), its turn and what
// it is for.
Drawing::Write pupilWrite(WriteRole role, int place, int row, int order, std::vector<std::string> answers)
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

// What the answer page writes in each box, by (line, column).
using Slots = std::map<std::pair<int, int>, Drawing::Write>;

struct ProblemPen {
    const ProblemLook &look;
    const TextMetrics &metrics;
    double left, top;
    Drawing &out;
    Slots *slots = nullptr;  // where the pupil's boxes are noted as well

    void text(int line, int column, const char *text, bool accent = false) const
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

    // The box sits one pixel up and left of the cell, so neighbouring boxes share edges.
    // A box the pupil writes in is noted with what belongs there and its turn.
    void place(int line, int column, const char *digit, bool accent = false, const Drawing::Write *write = nullptr) const
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

    // A helper box above a column of the upper line, in the row `row` up (0 nearest), noted
    // as a place to write with what belongs there; on the answer page that number is in it.
    void helperBox(int row, int column, Drawing::Write write, bool written) const
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

    // Helper boxes above the upper number and, on the answer page, what the pupil writes in
    // them (workOf): the carried 1s, or each lending digit's new value with the digit struck;
    // each in its turn and with every notation that is right (writingOf).
    void helpers(const ColumnWork &work, const ColumnWriting &writing, bool written) const
    {
        const WriteRole role = look.problem.sign == Sign::Minus ? WriteRole::Borrow : WriteRole::Carry;
        for (int column = 1; column <= look.columns; ++column) {
            if (!look.helperColumns[std::size_t(column)])
                continue;
            const int value = work.helper[std::size_t(column)];
            helperBox(0, column,
                      pupilWrite(role, column - look.problem.decimals, 0, writing.helperTurn[std::size_t(column)],
                                 writing.helper[std::size_t(column)]),
                      written);
            if (value >= 0 && written && work.struck[std::size_t(column)])  // a stroke through the digit that lent
                strike(UpperLine, column);
        }
    }

    void strike(int line, int column) const
    {
        const Cell c = cellOf(look, line, column);
        out.add(Line{left + c.left + 0.2 * c.width, top + c.top + 0.85 * c.height, left + c.left + 0.8 * c.width,
                     top + c.top + 0.1 * c.height, look.accentAnswers});
    }

    // A short stroke through the point, where the ones and the tenths meet.
    void strikePoint(int line) const
    {
        const Cell ones = cellOf(look, line, look.problem.decimals);
        const double x = left + ones.left + ones.width, y = top + ones.top + 0.8 * ones.height;
        const double reach = 0.15 * ones.width;
        out.add(Line{x - reach, y + reach, x + reach, y - reach, look.accentAnswers});
    }

    // The decimal point on the line between the ones and the tenths, on the digits' baseline.
    void point(int line, bool accent) const
    {
        const Cell ones = cellOf(look, line, look.problem.decimals);
        const double advance = metrics.advance(Face::Problem, look.pixelSize, ".");
        out.add(TextRun{".", Face::Problem, double(look.pixelSize), left + ones.left + ones.width - advance / 2,
                        top + ones.top + metrics.ascent(Face::Problem, look.pixelSize), false, accent});
    }

    // The places a number takes on the page: its whole part without leading zeros (the ones
    // always) and its decimal places.
    int placesShown(const std::array<std::int8_t, MaxColumns> &digits) const
    {
        const int decimals = look.problem.decimals;
        for (int c = look.columns - 1; c > decimals; --c)
            if (digits[std::size_t(c)] > 0)
                return c + 1;
        return decimals + 1;
    }

    // The whole part without its leading zeros (the ones always), then each decimal place
    // the number has, and its point; a place it has not is left without digit or box.
    void number(int line, const std::array<std::int8_t, MaxColumns> &digits) const
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

    static constexpr const char *Digits[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static constexpr double HelperGap = 3;
};

// A problem page with room for the widest answer of its settings.
bool roomy(const ProblemLook &look, int places) { return !look.answers && places > 0; }

// Where the answer page writes and in what turn: the working laid out aside with its answers.
template <typename LayOut>
Slots answerSlots(const ProblemPen &pen, LayOut layOut)
{
    ProblemLook look = pen.look;
    look.answers = true;
    look.room = {};
    look.backings = false;
    Drawing aside;
    Slots slots;
    layOut(ProblemPen{look, pen.metrics, pen.left, pen.top, aside, &slots});
    return slots;
}

// What a line of a product's or a quotient's room is for, and its row: where the answer page
// does not write, the box is left empty.
struct LineRole {
    WriteRole role;
    int row = 0;
};

// The boxes of `room` and wherever the answer page writes, each noted with what belongs in it:
// "" where the pupil leaves it empty, those after the working's own. A quotient's places
// before its first digit come first, from the highest, as a pupil tries each in turn.
template <typename RoleOfLine>
void placeRoom(const ProblemPen &pen, const std::set<std::pair<int, int>> &room, const Slots &slots, RoleOfLine roleOf,
               bool quotientFirst = false)
{
    std::set<std::pair<int, int>> cells = room;
    int firstTurn = 0, firstColumn = -1;
    for (const auto &[cell, slot] : slots) {
        cells.insert(cell);
        if (cell.first == 0 && cell.second > firstColumn)
            firstColumn = cell.second, firstTurn = slot.order;
    }
    for (int line = 0; line < 16; ++line)
        for (int column = MaxColumns + 2; column >= 0; --column) {
            if (!cells.count({line, column}))
                continue;
            const auto found = slots.find({line, column});
            if (found != slots.end()) {
                pen.place(line, column, nullptr, false, &found->second);
                continue;
            }
            const LineRole r = roleOf(line);
            const int turn = quotientFirst && line == 0 && column > firstColumn ? firstTurn - 1 - column
                                                                                : 10'000 + 100 * line + column;
            const Drawing::Write empty = pupilWrite(r.role, column, r.row, turn, {""});
            pen.place(line, column, nullptr, false, &empty);
        }
}

// The cells of a line from a column leftwards.
void addCells(std::set<std::pair<int, int>> &cells, int line, int rightColumn, int count)
{
    for (int c = 0; c < count; ++c)
        cells.insert({line, rightColumn + c});
}

// How far a problem's own rule reaches past its sign and its ones, in cells.
constexpr double RuleReach = 0.15;

// A rule over a line: the boxes' top edge of that line.
double ruleY(int fontSize, int line) { return R(fontSize * 1.5 * line) - 2 * line - 1; }

// A whole number written digit by digit from a column leftwards, in boxes; the digits on the
// answer page only (`written`).
// `order` gives a pupil's digit its turn by its column; the numbers of the problem have none.
template <typename Order>
void writeNumber(const ProblemPen &pen, int line, int rightColumn, int value, bool written, bool accent, LineRole role,
                 Order order)
{
    const std::string digits = std::to_string(value);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int column = rightColumn + int(digits.size() - 1 - i);
        const char *digit = ProblemPen::Digits[digits[i] - '0'];
        if constexpr (std::is_same_v<Order, std::nullptr_t>) {
            pen.place(line, column, digit, accent);
        } else {
            const Drawing::Write write = pupilWrite(role.role, column, role.row, order(column), {digit});
            pen.place(line, column, written ? digit : nullptr, accent, &write);
        }
    }
}

void writeNumber(const ProblemPen &pen, int line, int rightColumn, int value)
{
    writeNumber(pen, line, rightColumn, value, true, false, {WriteRole::Answer}, nullptr);
}

// Long multiplication: the multiplicand over the multiplier with x at the left, a rule,
// each partial product shifted one place to the left of the one before, a second rule and
// the product; a one-place multiplier, or one ending in 0, gives the product at once. The
// helper boxes above the multiplicand take each row's carries, the first row's nearest.
void layOutProduct(const ProblemPen &pen, const MultiplicationWork &w, int multiplicand, int multiplier)
{
    const ProblemLook &look = pen.look;
    const bool written = look.answers, accent = look.accentAnswers;
    writeNumber(pen, 0, 0, multiplicand);
    pen.text(1, look.columns, "×");
    writeNumber(pen, 1, 0, multiplier);
    // Pupils write each row from the ones, its carries as they go, then the product.
    const auto turn = [](int stage) { return [stage](int column) { return stage * 100 + 2 * column; }; };
    const double right = pen.left + look.width - 1;
    pen.out.add(Line{pen.left, pen.top + ruleY(look.fontSize, 2), right, pen.top + ruleY(look.fontSize, 2)});
    int helperRows = w.rowCount;
    if (roomy(look, look.room.partialPlaces)) {
        // Every problem the same rows: with two partial products, their rule too where there
        // are boxes to write in.
        const WritingRoom &room = look.room;
        std::set<std::pair<int, int>> cells;
        addCells(cells, 2, 0, room.partialPlaces);
        if (room.twoRows) {
            addCells(cells, 3, 1, room.partialPlaces);
            addCells(cells, 4, 0, room.productPlaces);
            helperRows = 2;
            if (look.boxes)
                pen.out.add(Line{pen.left, pen.top + ruleY(look.fontSize, 4), right, pen.top + ruleY(look.fontSize, 4)});
        }
        placeRoom(pen, cells,
                  answerSlots(pen, [&](const ProblemPen &aside) { layOutProduct(aside, w, multiplicand, multiplier); }),
                  [&](int line) {
                      return line == 2 && w.rowCount == 2 ? LineRole{WriteRole::Partial, 0}
                             : line == 3                  ? LineRole{WriteRole::Partial, 1}
                                                          : LineRole{WriteRole::Product};
                  });
    } else if (w.rowCount == 2) {
        writeNumber(pen, 2, 0, w.rows[0].value, written, accent, {WriteRole::Partial, 0}, turn(0));
        writeNumber(pen, 3, 1, w.rows[1].value, written, accent, {WriteRole::Partial, 1}, turn(1));
        pen.out.add(Line{pen.left, pen.top + ruleY(look.fontSize, 4), right, pen.top + ruleY(look.fontSize, 4)});
        writeNumber(pen, 4, 0, w.product, written, accent, {WriteRole::Product}, turn(2));
    } else {
        writeNumber(pen, 2, 0, w.product, written, accent, {WriteRole::Product}, turn(0));
    }
    for (int r = 0; r < helperRows; ++r) {
        const ProductRow &row = w.rows[std::size_t(r)];
        for (int place = 1; place < MaxMultiplicandPlaces; ++place) {
            if (!look.helperColumns[std::size_t(place)])
                continue;
            const int carry = place < placesOf(multiplicand) ? row.carries[std::size_t(place)] : 0;
            // Handed on by the place below, right after its digit of the row is written.
            pen.helperBox(r, place,
                          pupilWrite(WriteRole::RowCarry, place, r, r * 100 + 2 * (place - 1 + row.place) + 1,
                                     {carry ? std::to_string(carry) : std::string()}),
                          written);
        }
    }
}

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
    std::array<int, MaxDividendPlaces> digitTurn{};
    for (int s = 0, written = 0; s < w.stepCount; ++s) {
        const DivisionStep &step = w.steps[std::size_t(s)];
        if (step.digit != 0 || s == 0) {
            written = s;
            digitTurn[std::size_t(s)] = s * 100;
        } else {
            const int from = w.steps[std::size_t(written)].place;
            digitTurn[std::size_t(s)] = written * 100 + 80 + 2 * (from - 1 - step.place) + 1;
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
                    [&](int column) { return s * 100 + 10 + (divisor < 10 ? highest - column : column - step.place); });
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
            return column >= step.place ? s * 100 + 50 + column - step.place : s * 100 + 80 + 2 * (step.place - 1 - column);
        });
        line += 2;
    }
    if (written && w.remainder > 0)  // a quotient alone is the one over the bar
        writeQuotient(pen, w, line - 1, bracketColumn, divisor);
}

}  // namespace

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

Sheet sheetFromProblems(std::vector<SheetProblem> problems, int problemsPerRow, const SheetFormat &format)
{
    Sheet sheet;
    sheet.problemsPerRow = problemsPerRow;
    sheet.heading = texts::Heading;
    sheet.reading = texts::HeadingReading;
    sheet.dateNameLine = texts::DateNameLine;
    sheet.format = format;
    if (format.perPage > 0 && problems.size() > std::size_t(format.perPage))
        problems.resize(std::size_t(format.perPage));
    sheet.problems = std::move(problems);
    return sheet;
}

Sheet sheetFromTable(const ProblemTable &table, int problemsPerRow, bool subtraction, const SheetFormat &format)
{
    std::vector<SheetProblem> problems;
    const int count = format.perPage > 0 ? format.perPage : SheetRowCount * problemsPerRow;
    for (int c = 1; c <= count; ++c) {
        const auto p = table.Dainyuu(c);
        if (!p)
            break;  // only columns the last fill wrote hold a problem
        problems.push_back(wholeProblem(subtraction, p->Line1Value, p->Line2Value));
    }
    return sheetFromProblems(std::move(problems), problemsPerRow, format);
}

HelperColumns helperColumnsFor(const Settings &settings)
{
    const auto chances = carryChances(settings);
    // Adding, a carry from column c goes into c + 1; subtracting, c + 1 lends to c.
    HelperColumns columns{};
    columns[1] = chances[0].some;
    columns[2] = chances[1].some;
    columns[3] = settings.IsSubtraction == 0 && chances[2].some;
    return columns;
}

int helperBoxSize(int fontSize, bool large) { return R(fontSize * (large ? 0.9 : 0.5)); }

int unitsForMillimetres(double mm)
{
    const PagePlacement smallest = placeOnPaper(jisB5Paper());
    const double mmPerUnit = std::min(smallest.scaleX, smallest.scaleY) * 25.4 / 72;
    return int(std::ceil(mm / mmPerUnit - 1e-9));
}

int helperBoxSizeOf(const Sheet &sheet, int fontSize)
{
    const int size = helperBoxSize(fontSize, sheet.format.largeHelpers);
    return sheet.windowLook ? size : std::max(size, unitsForMillimetres(PencilHelperMillimetres));
}

int problemWidth(int fontSize, int columns) { return (columns + 1) * fontSize + 20; }
int problemHeight(int fontSize) { return problemHeight(fontSize, 3); }
int problemHeight(int fontSize, int lines) { return R(fontSize * 1.5 * lines) - (2 * lines - 1); }
int problemRuleY(int fontSize) { return R(fontSize * 3.0) - 5; }

void layOutProblem(const ProblemLook &look, const TextMetrics &metrics, double left, double top, Drawing &out)
{
    const ProblemPen pen{look, metrics, left, top, out};
    const ColumnProblem &p = look.problem;
    if (p.sign == Sign::Times || p.sign == Sign::Divide) {
        const int upper = int(valueOf(p.upper)), lower = int(valueOf(p.lower));
        if (upper <= 0 || lower <= 0 || (p.sign == Sign::Divide && upper < lower))
            return;  // no working to set out
        if (p.sign == Sign::Times)
            layOutProduct(pen, multiplicationWork(upper, lower), upper, lower);
        else
            layOutQuotient(pen, divisionWork(upper, lower), upper, lower);
        return;
    }
    const int signColumn = look.signByNumber ? std::max(pen.placesShown(p.upper), pen.placesShown(p.lower)) : look.columns;
    pen.number(UpperLine, p.upper);
    pen.text(LowerLine, signColumn, (p.sign == Sign::Minus) ? "-" : "+");
    pen.number(LowerLine, p.lower);

    // A negative difference has no digits to show, only empty boxes from the ones down.
    const ColumnWork work = workOf(p, look.columns);
    const bool negative = (p.sign == Sign::Minus) && work.handedOn[std::size_t(look.columns - 1)] != 0;
    const int places = negative ? p.decimals + 1 : work.answerPlaces;
    const bool written = look.answers && !negative;
    const int room = p.sign == Sign::Minus ? look.room.differencePlaces : look.room.sumPlaces;
    const int boxes = roomy(look, room) ? std::max(places, room) : places;
    const ColumnWriting writing = writingOf(p, work, look.columns);
    // The answer row's boxes from the left, for the point the pupil sets among them.
    Drawing::PointWrite point;
    for (int column = boxes - 1; column >= 0; --column) {
        const int turn = writing.answerTurn[std::size_t(std::min(column, MaxColumns))];
        if (column == p.decimals)
            point.after = int(point.boxes.size());
        point.boxes.push_back(std::uint32_t(out.boxes.size()));
        if (negative) {  // nothing to write
            pen.place(AnswerLine, column, nullptr);
            continue;
        }
        // Room the answer does not need is left empty.
        const char *digit = column >= places ? "" : ProblemPen::Digits[work.answer[std::size_t(column)]];
        const Drawing::Write write = pupilWrite(WriteRole::Answer, column - p.decimals, 0, turn, {digit});
        pen.place(AnswerLine, column, written && *digit ? digit : nullptr, look.accentAnswers, &write);
    }
    if (p.decimals > 0 && look.boxes && !negative)
        out.points.push_back(std::move(point));
    if (p.decimals > 0 && written) {
        pen.point(AnswerLine, look.accentAnswers);
        // Zeros at the end of the decimal part are struck through, and the point with them
        // when nothing is left after it (4.00 is 4).
        int zeros = 0;
        while (zeros < p.decimals && work.answer[std::size_t(zeros)] == 0)
            pen.strike(AnswerLine, zeros++);
        if (zeros == p.decimals)
            pen.strikePoint(AnswerLine);
    }
    pen.helpers(work, writing, written);
    const double ruleY = top + problemRuleY(look.fontSize);
    if (!look.signByNumber) {
        out.add(Line{left, ruleY, left + look.width - 1, ruleY});
        return;
    }
    // From the sign, or the answer's room where it is wider, to the ones, a little beyond each.
    const Cell highest = cellOf(look, LowerLine, std::max(signColumn, boxes - 1)), ones = cellOf(look, LowerLine, 0);
    const double reach = R(look.fontSize * RuleReach);
    out.add(Line{left + highest.left - 1 - reach, ruleY, left + ones.left + ones.width - 1 + reach, ruleY});
}

Paper a4Paper() { return {842, 595, 28}; }
Paper letterPaper() { return {792, 612, 28}; }
Paper jisB5Paper() { return {729, 516, 28}; }
Paper jisB4Paper() { return {1032, 729, 28}; }

namespace {

// Nearest integer to numerator / denominator, halves to the even neighbour; both positive.
long long roundQuotient(long long numerator, long long denominator)
{
    long long quotient = numerator / denominator;
    const long long twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

}  // namespace

IntSize fitToPage(IntSize image, IntSize printable)
{
    if (image.width <= 0 || image.height <= 0 || printable.width <= 0 || printable.height <= 0)
        return {};
    const long long width = roundQuotient(image.width * printable.height, image.height);
    if (width < printable.width)
        return {width, printable.height};
    return {printable.width, roundQuotient(image.height * printable.width, image.width)};
}

PagePlacement placeOnPaper(const Paper &paper)
{
    const auto dots = [](double points) { return points * PixelsPerPoint; };
    const long long margin = std::llround(std::floor(dots(paper.margin)));
    const IntSize printable{std::llround(dots(paper.width)) - 2 * margin, std::llround(dots(paper.height)) - 2 * margin};
    const IntSize fitted = fitToPage({SheetWidth, SheetHeight}, printable);
    PagePlacement placement;
    placement.scaleX = double(fitted.width) / SheetWidth / PixelsPerPoint;
    placement.scaleY = double(fitted.height) / SheetHeight / PixelsPerPoint;
    placement.offsetX = (double(margin) + double(printable.width - fitted.width) / 2) / PixelsPerPoint;
    placement.offsetY = (double(margin) + double(printable.height - fitted.height) / 2) / PixelsPerPoint;
    return placement;
}

double problemLeft(int position, int problemsPerRow)
{
    const int pitch = (StoredOuterWidth - FirstProblemLeft) / problemsPerRow;
    return FirstProblemLeft + pitch * position;
}

double problemTop(int row) { return FirstRowTop + RowPitch * row; }

namespace {

// The area a spread grid fills: below the heading, above the mark, within the margins.
constexpr double GridLeft = 32, GridRight = 1004, GridTop = 52, GridBottom = 700;
// Sheets in their own look keep clear of the heading, and may come nearer the mark.
constexpr double ClearGridTop = 56, ClearGridBottom = 706;
constexpr double ColumnGap = 3, RowGap = 12;
// 6 a page: digits about 20 mm high on A4.
constexpr int LargestFontSize = 58;

}  // namespace

namespace {

// The room every problem gets, when the page gives the widest.
WritingRoom roomOf(const Sheet &sheet) { return sheet.format.widestAnswers ? sheet.room : WritingRoom{}; }

bool isLongSheet(const Sheet &sheet)
{
    const WritingRoom room = roomOf(sheet);
    return room.partialPlaces > 0 || room.divisionLines > 0 ||
           std::any_of(sheet.problems.begin(), sheet.problems.end(),
                       [](const SheetProblem &p) { return p.sign == Sign::Times || p.sign == Sign::Divide; });
}

// Rows of helper boxes above a problem: a product's carries take one a partial product.
int helperRowsOf(const Sheet &sheet)
{
    int rows = roomOf(sheet).twoRows ? 2 : 1;
    for (const SheetProblem &p : sheet.problems)
        if (p.sign == Sign::Times && longProblemLines(p) == 5)
            rows = 2;
    return rows;
}

// The columns the problems are set out in: the sheet's, or where each sign stands by its own
// numbers, only as many as the widest number the settings allow.
int columnsOf(const Sheet &sheet)
{
    if (sheet.windowLook || sheet.room.numberPlaces <= 0)
        return sheet.columns;
    int columns = std::min(sheet.columns, sheet.room.numberPlaces);
    for (const SheetProblem &p : sheet.problems)  // never fewer than a problem's own digits
        for (int c = columns; c < sheet.columns; ++c)
            if (p.upper[std::size_t(c)] > 0 || p.lower[std::size_t(c)] > 0)
                columns = c + 1;
    return columns;
}

// Lines the tallest problem of the page takes.
int linesOf(const Sheet &sheet)
{
    const WritingRoom room = roomOf(sheet);
    int lines = std::max(room.twoRows ? 5 : 3, room.divisionLines);
    for (const SheetProblem &p : sheet.problems)
        lines = std::max(lines, longProblemLines(p));
    return lines;
}

}  // namespace

ProblemGrid problemGridFor(const Sheet &sheet)
{
    ProblemGrid grid;
    const int perRow = std::max(sheet.problemsPerRow, 1);
    const bool long_ = isLongSheet(sheet);
    // Wider problems than three places spread too, as they would not fit the screen's pitch.
    const int columns = columnsOf(sheet);
    grid.places = columns;
    if (sheet.windowLook && sheet.format.perPage <= 0 && !sheet.format.helperBoxes && sheet.columns <= 3 && !long_) {
        grid.columns = perRow;
        grid.rows = SheetRowCount;
        grid.fontSize = sheet.fontSize;
        for (int c = 0; c < grid.columns; ++c)
            grid.lefts.push_back(problemLeft(c, perRow));
        for (int r = 0; r < grid.rows; ++r)
            grid.tops.push_back(problemTop(r));
        return grid;
    }
    switch (sheet.format.perPage) {
    case 4: grid.columns = 2, grid.rows = 2; break;
    case 6: grid.columns = 3, grid.rows = 2; break;
    case 8: grid.columns = 4, grid.rows = 2; break;
    case 12: grid.columns = 4, grid.rows = 3; break;
    default: grid.columns = perRow, grid.rows = SheetRowCount; break;
    }
    const int lines = linesOf(sheet);
    const int helperRows = helperRowsOf(sheet);
    const bool helpers = sheet.format.helperBoxes && std::any_of(sheet.helperColumns.begin(), sheet.helperColumns.end(),
                                                                 [](bool b) { return b; });
    const auto band = [&](int fontSize) {
        return helpers || (sheet.format.helperBoxes && !long_) ? helperRows * (helperBoxSizeOf(sheet, fontSize) + 4) : 0;
    };
    const auto blockHeight = [&](int fontSize) { return problemHeight(fontSize, lines) + band(fontSize); };
    // Products and quotients are wide enough for the width to set their size: half a cell
    // between neighbours keeps one problem's rules from running on into the next one's.
    // A quarter of a cell keeps sums' own rules apart too.
    const auto columnGap = [&](int fontSize) {
        return long_ ? fontSize / 2.0 : sheet.windowLook ? ColumnGap : fontSize / 4.0;
    };
    const double gridTop = sheet.windowLook ? GridTop : ClearGridTop;
    const double gridBottom = sheet.windowLook ? GridBottom : ClearGridBottom;
    int fs = LargestFontSize;
    while (fs > 8 && (grid.columns * problemWidth(fs, columns) + (grid.columns - 1) * columnGap(fs) > GridRight - GridLeft ||
                      grid.rows * blockHeight(fs) + (grid.rows - 1) * RowGap > gridBottom - gridTop))
        --fs;
    grid.fontSize = fs;
    const double slot = (GridRight - GridLeft) / grid.columns;
    for (int c = 0; c < grid.columns; ++c)
        grid.lefts.push_back(std::round(GridLeft + slot * c + (slot - problemWidth(fs, columns)) / 2));
    const double spare = gridBottom - gridTop - grid.rows * blockHeight(fs);
    const double gap = grid.rows > 1 ? spare / (grid.rows - 1) : 0;
    const double first = gridTop + (grid.rows > 1 ? 0 : spare / 2) + band(fs);
    for (int r = 0; r < grid.rows; ++r)
        grid.tops.push_back(std::round(first + r * (blockHeight(fs) + gap)));
    return grid;
}

namespace {

// The date-and-name line with the class before the name where asked, shrunk to end before
// the score box when there is one.
void addHeaderLines(Drawing &out, const TextMetrics &metrics, const Sheet &sheet)
{
    std::string line = sheet.dateNameLine;
    if (sheet.format.classLine) {
        const std::size_t name = line.find(texts::NameWord);
        line.insert(name == std::string::npos ? line.size() : name, texts::ClassLine);
    }
    double right = SheetWidth - MarkInset;
    if (sheet.format.score) {
        const std::string score = std::string(texts::ScorePrefix) + std::to_string(sheet.problems.size());
        const double size = DateNamePlace.pixelSize;
        const double width = metrics.advance(Face::Window, size, score);
        const double ascent = metrics.ascent(Face::Window, size), descent = metrics.descent(Face::Window, size);
        const double left = right - width - 4, top = DateNamePlace.top - 2, bottom = top + ascent + descent + 4;
        out.add(TextRun{score, Face::Window, size, left + 2, top + 2 + ascent, false, false});
        for (const Line &edge : {Line{left, top, right, top}, Line{right, top, right, bottom},
                                 Line{left, bottom, right, bottom}, Line{left, top, left, bottom}})
            out.add(edge);
        right = left - 12;
    }
    LabelPlace place = DateNamePlace;
    const double width = metrics.advance(Face::Window, place.pixelSize, line);
    if (place.left + width > right && width > 0)
        place.pixelSize = std::floor(place.pixelSize * (right - place.left) / width);
    addLabel(out, metrics, place, line, true);
}

}  // namespace

SheetPage layOutPage(const Sheet &sheet, const Paper &paper, const TextMetrics &metrics)
{
    SheetPage page;
    page.width = paper.width;
    page.height = paper.height;
    page.placement = placeOnPaper(paper);
    Drawing &out = page.drawing;
    out.boxes.reserve(sheet.problems.size() * 11);
    out.texts.reserve(sheet.problems.size() * 12 + 8);
    out.steps.reserve(sheet.problems.size() * 24 + 8);

    addHeaderLines(out, metrics, sheet);
    if (sheet.showProgramLabel) {
        addLabel(out, metrics, ProgramLabelPlace, sheet.programLabel);
        for (int i = 0; i < 3 && (sheet.answers || sheet.format.statusLinesOnProblems); ++i) {
            // Lines of four places and decimals are set smaller to end before the date line.
            LabelPlace place = StatusPlaces[i];
            const std::string &line = sheet.statusLines[std::size_t(i)];
            const double room = DateNamePlace.left - 4 - place.left, width = metrics.advance(Face::Window, place.pixelSize, line);
            if (width > room)
                place.pixelSize = std::floor(place.pixelSize * room / width);
            addLabel(out, metrics, place, line);
        }
    }
    addLabel(out, metrics, HeadingPlace, sheet.heading);
    addLabel(out, metrics, ReadingPlace, sheet.reading);
    if (sheet.answers && sheet.format.answerLabel) {
        // After the heading, on its baseline, small enough to end before the status lines.
        const std::string label(texts::AnswerKeyLabel);
        const double size = HeadingPlace.pixelSize;
        const double left = HeadingPlace.left + metrics.advance(Face::Window, size, sheet.heading) + size / 4;
        const double room = StatusPlaces[0].left - 4 - left, width = metrics.advance(Face::Window, size, label);
        const double fitted = width > room ? std::floor(size * room / width) : size;
        const double ascent = metrics.ascent(Face::Window, size), descent = metrics.descent(Face::Window, size);
        const double baseline = HeadingPlace.top + (HeadingPlace.height - ascent - descent) / 2 + ascent;
        out.add(TextRun{label, Face::Window, fitted, left, baseline, false, sheet.format.redAnswers});
    }

    const ProblemGrid grid = problemGridFor(sheet);
    ProblemLook look;
    look.columns = grid.places;
    look.boxes = sheet.boxes;
    look.answers = sheet.answers;
    look.fontSize = grid.fontSize;
    look.pixelSize = R(grid.fontSize * PixelsPerPoint);
    look.width = problemWidth(look.fontSize, look.columns);
    look.accentAnswers = sheet.format.redAnswers && sheet.answers;
    if (sheet.format.helperBoxes)
        look.helperColumns = sheet.helperColumns;
    look.largeHelpers = sheet.format.largeHelpers;
    look.helperSize = helperBoxSizeOf(sheet, grid.fontSize);
    look.signByNumber = !sheet.windowLook;
    look.room = roomOf(sheet);
    const double numberPixels = std::max(11, R(grid.fontSize * PixelsPerPoint * 0.4));
    const std::size_t count = std::min(sheet.problems.size(), std::size_t(grid.columns * grid.rows));
    for (std::size_t i = 0; i < count; ++i) {
        look.problem = sheet.problems[i];
        const double left = grid.lefts[i % std::size_t(grid.columns)], top = grid.tops[i / std::size_t(grid.columns)];
        const std::size_t firstWrite = out.writes.size(), firstStep = out.steps.size(), firstPoint = out.points.size();
        layOutProblem(look, metrics, left, top, out);
        for (std::size_t k = firstWrite; k < out.writes.size(); ++k)
            out.writes[k].problem = std::uint32_t(i);
        for (std::size_t k = firstPoint; k < out.points.size(); ++k)
            out.points[k].problem = std::uint32_t(i);
        std::stable_sort(out.writes.begin() + std::ptrdiff_t(firstWrite), out.writes.end(),
                         [](const Drawing::Write &a, const Drawing::Write &b) { return a.order < b.order; });
        if (sheet.format.numbers) {  // in the upper line's empty thousands place
            const std::string number = "(" + std::to_string(i + 1) + ")";
            double x = left;
            if (!sheet.windowLook) {
                // Just left of the problem's own rule, where the sign stands by its numbers.
                double inkLeft = left + look.width;
                for (std::size_t k = firstStep; k < out.steps.size(); ++k)
                    if (out.steps[k].kind == Drawing::Kind::Line) {
                        const Line &l = out.lines[out.steps[k].index];
                        inkLeft = std::min({inkLeft, l.x1, l.x2});
                    }
                x = std::max(left, inkLeft - metrics.advance(Face::Window, numberPixels, number));
            }
            out.add(TextRun{number, Face::Window, numberPixels, x, top + metrics.ascent(Face::Window, numberPixels), false,
                            false});
        }
    }

    if (!sheet.mark.empty()) {
        const double advance = metrics.advance(Face::Window, MarkPixelSize, sheet.mark);
        out.add(TextRun{sheet.mark, Face::Window, MarkPixelSize, SheetWidth - MarkInset - advance,
                        SheetHeight - MarkInset - metrics.descent(Face::Window, MarkPixelSize), false});
    }
    return page;
}

}  // namespace kolvara
