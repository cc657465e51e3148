// The layout of a product.
#include <set>

#include "problem_pen.h"

namespace kolvara::layout {

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
    const auto turn = [](int row) { return [row](int column) { return Turn::rowDigit(row, column); }; };
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
                          pupilWrite(WriteRole::RowCarry, place, r, Turn::carryAfter(r, place - 1 + row.place),
                                     {carry ? std::to_string(carry) : std::string()}),
                          written);
        }
    }
}

}  // namespace kolvara::layout
