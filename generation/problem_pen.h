// The pen the layouts of one problem write with: the cells of a problem's lines, the boxes
// a pupil writes in with their turns, numbers digit by digit and the helper boxes. Shared by
// the sum, product and quotient layouts; not part of the public API.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "long_arithmetic.h"
#include "sheet_layout.h"

namespace kolvara::layout {

enum ProblemLine { UpperLine, LowerLine, AnswerLine };

struct Cell {
    int left, top, width, height;
};

// Text cell of a place: columns are counted from the ones at the right.
Cell cellOf(const ProblemLook &look, int line, int column);

// A box a pupil writes in: what is right in it (the answer page's first), its turn and what
// it is for.
Drawing::Write pupilWrite(WriteRole role, int place, int row, Turn order, std::vector<std::string> answers);

// What the answer page writes in each box, by (line, column).
using Slots = std::map<std::pair<int, int>, Drawing::Write>;
struct ProblemPen {
    const ProblemLook &look;
    const TextMetrics &metrics;
    double left, top;
    Drawing &out;
    Slots *slots = nullptr;  // where the pupil's boxes are noted as well

    void text(int line, int column, const char *text, bool accent = false) const;

    // The box sits one pixel up and left of the cell, so neighbouring boxes share edges.
    // A box the pupil writes in is noted with what belongs there and its turn.
    void place(int line, int column, const char *digit, bool accent = false, const Drawing::Write *write = nullptr) const;

    // A helper box above a column of the upper line, in the row `row` up (0 nearest), noted
    // as a place to write with what belongs there; on the answer page that number is in it.
    void helperBox(int row, int column, Drawing::Write write, bool written) const;

    // Helper boxes above the upper number and, on the answer page, what the pupil writes in
    // them (workOf): the carried 1s, or each lending digit's new value with the digit struck;
    // each in its turn and with every notation that is right (writingOf).
    void helpers(const ColumnWork &work, const ColumnWriting &writing, bool written) const;

    // A stroke through a cell's digit, as a pupil strikes a digit that lent or a zero it drops.
    void strike(int line, int column) const;

    // A short stroke through the point, where the ones and the tenths meet.
    void strikePoint(int line) const;

    // The decimal point on the line between the ones and the tenths, on the digits' baseline.
    void point(int line, bool accent) const;

    // The places a number takes on the page: its whole part without leading zeros (the ones
    // always) and its decimal places.
    int placesShown(const std::array<std::int8_t, MaxColumns> &digits) const;

    // The whole part without its leading zeros (the ones always), then each decimal place
    // the number has, and its point; a place it has not is left without digit or box.
    void number(int line, const std::array<std::int8_t, MaxColumns> &digits) const;

    static constexpr const char *Digits[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static constexpr double HelperGap = 3;
};


// A problem page with room for the widest answer of its settings.
inline bool roomy(const ProblemLook &look, int places) { return !look.answers && places > 0; }

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
    int firstColumn = -1;  // of the quotient's first digit
    for (const auto &entry : slots) {
        const std::pair<int, int> &cell = entry.first;
        cells.insert(cell);
        if (cell.first == 0)
            firstColumn = std::max(firstColumn, cell.second);
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
            const Turn turn = quotientFirst && line == 0 && column > firstColumn ? Turn::placeTried(column)
                                                                                 : Turn::leftEmpty(line, column);
            const Drawing::Write empty = pupilWrite(r.role, column, r.row, turn, {""});
            pen.place(line, column, nullptr, false, &empty);
        }
}

// The cells of a line from a column leftwards.
void addCells(std::set<std::pair<int, int>> &cells, int line, int rightColumn, int count);

// How far a problem's own rule reaches past its sign and its ones, in cells.
constexpr double RuleReach = 0.15;

// A rule over a line: the boxes' top edge of that line.
double ruleY(int fontSize, int line);

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

// A number of the problem itself, in boxes, with no turn.
void writeNumber(const ProblemPen &pen, int line, int rightColumn, int value);

// The working of a product and of a quotient.
void layOutProduct(const ProblemPen &pen, const MultiplicationWork &w, int multiplicand, int multiplier);
void layOutQuotient(const ProblemPen &pen, const DivisionWork &w, int dividend, int divisor);

}  // namespace kolvara::layout
