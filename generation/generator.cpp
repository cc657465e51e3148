#include "generator.h"

#include "column.h"
#include "feasibility.h"

namespace kolvara {

std::uint16_t ProblemGenerator::Ransuu_Hassei(std::uint8_t kind)
{
    switch (kind) {
    case Zero: return 0;
    case Rest: return std::uint16_t(1 + random_.RandomBelow(9));
    default: return std::uint16_t(random_.RandomBelow(10));
    }
}

// Each column draws the upper digit, then the lower one, and draws both again until the
// column's test passes. Konzai, and any other value, accepts the first draw.

void ProblemGenerator::drawAdditionColumn(std::uint8_t mode, std::uint8_t upperKind, std::uint8_t lowerKind,
                                          std::int32_t &upper, std::int32_t &lower, std::int16_t &result, int carry,
                                          int &handedOn)
{
    for (;;) {
        upper = Ransuu_Hassei(upperKind);
        lower = Ransuu_Hassei(lowerKind);
        result = std::int16_t(carry + upper + lower);
        const int out = columnCarry(false, upper, lower, carry);
        if (!carryModeAllows(mode, out))
            continue;
        handedOn = out;
        return;
    }
}

void ProblemGenerator::Ransuu_1wa(std::uint8_t mode)
{
    drawAdditionColumn(mode, settings_.DigitKind1_1, settings_.DigitKind2_1, problem_.Line1_1, problem_.Line2_1,
                       ColumnResult_1, 0, carries_[0]);
}

void ProblemGenerator::Ransuu_10wa(std::uint8_t mode)
{
    drawAdditionColumn(mode, settings_.DigitKind1_10, settings_.DigitKind2_10, problem_.Line1_10, problem_.Line2_10,
                       ColumnResult_10, carries_[0], carries_[1]);
}

void ProblemGenerator::Ransuu_100wa(std::uint8_t mode)
{
    drawAdditionColumn(mode, settings_.DigitKind1_100, settings_.DigitKind2_100, problem_.Line1_100,
                       problem_.Line2_100, ColumnResult_100, carries_[1], carries_[2]);
}

void ProblemGenerator::Ransuu_1sa(std::uint8_t mode)
{
    for (;;) {
        problem_.Line1_1 = Ransuu_Hassei(settings_.DigitKind1_1);
        problem_.Line2_1 = Ransuu_Hassei(settings_.DigitKind2_1);
        ColumnResult_1 = std::int16_t(problem_.Line1_1 - problem_.Line2_1);
        const int out = columnCarry(true, problem_.Line1_1, problem_.Line2_1, 0);
        if (!carryModeAllows(mode, out))
            continue;
        return;
    }
}

void ProblemGenerator::Ransuu_10sa(std::uint8_t mode)
{
    // The borrow the ones digits actually produced, so a "no borrow" tens column really
    // never borrows, even when the ones column is mixed.
    const int borrow = columnCarry(true, problem_.Line1_1, problem_.Line2_1, 0);
    for (;;) {
        problem_.Line1_10 = Ransuu_Hassei(settings_.DigitKind1_10);
        problem_.Line2_10 = Ransuu_Hassei(settings_.DigitKind2_10);
        const int out = columnCarry(true, problem_.Line1_10, problem_.Line2_10, borrow);
        if (!carryModeAllows(mode, out))
            continue;
        return;
    }
}

void ProblemGenerator::Ransuu_100sa()
{
    problem_.Line1_100 = Ransuu_Hassei(settings_.DigitKind1_100);
    problem_.Line2_100 = Ransuu_Hassei(settings_.DigitKind2_100);
}

// A column whose digit kinds leave no acceptable pair after the columns below (say tens
// "あり" with a tens place "０" after ones without a carry) starts the problem again from
// the ones column instead of drawing that column for ever. The check draws nothing, so
// wherever a column can pass, the draws are exactly those of the plain column loop.
void ProblemGenerator::drawAddition()
{
    const Settings &s = settings_;
    for (;;) {
        Ransuu_1wa(s.CarryMode_1);
        if (!columnCanPass(false, s.DigitKind1_10, s.DigitKind2_10, s.CarryMode_10, carries_[0]))
            continue;
        Ransuu_10wa(s.CarryMode_10);
        if (!columnCanPass(false, s.DigitKind1_100, s.DigitKind2_100, s.CarryMode_100, carries_[1]))
            continue;
        Ransuu_100wa(s.CarryMode_100);
        return;
    }
}

void ProblemGenerator::drawSubtraction()
{
    const Settings &s = settings_;
    for (;;) {
        Ransuu_1sa(s.CarryMode_1);
        const int borrow = columnCarry(true, problem_.Line1_1, problem_.Line2_1, 0);
        if (!columnCanPass(true, s.DigitKind1_10, s.DigitKind2_10, s.CarryMode_10, borrow))
            continue;
        Ransuu_10sa(s.CarryMode_10);
        Ransuu_100sa();
        return;
    }
}

void ProblemGenerator::Ransuu()
{
    for (;;) {
        if (settings_.IsSubtraction == 1)
            drawSubtraction();
        else
            drawAddition();
        problem_.Line1Value = problem_.Line1_100 * 100 + problem_.Line1_10 * 10 + problem_.Line1_1;
        problem_.Line2Value = problem_.Line2_100 * 100 + problem_.Line2_10 * 10 + problem_.Line2_1;
        // A subtraction is drawn again, whole, until the difference is not negative.
        if (settings_.IsSubtraction == 1 && problem_.Line1Value < problem_.Line2Value)
            continue;
        return;
    }
}

}  // namespace kolvara
