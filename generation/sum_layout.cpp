// The layout of a sum or a difference, and of one problem of any kind.
#include <algorithm>

#include "problem_pen.h"

namespace kolvara {

using namespace layout;

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
        const Turn turn = Turn::sumWrite(writing.answerTurn[std::size_t(std::min(column, MaxColumns))]);
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

}  // namespace kolvara
