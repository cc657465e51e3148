#include "status_lines.h"

#include "feasibility.h"

namespace kolvara {

namespace {

// What the sheet's problems do in a column: a column that can never carry reads "なし", one
// that always does "あり", whatever was asked for.
std::uint8_t carryShown(std::uint8_t mode, const CarryChances &chances)
{
    if (!chances.some)
        return Nashi;
    if (!chances.none)
        return Ari;
    return mode;
}

}  // namespace

std::array<std::string, 3> statusLinesOf(const Settings &s)
{
    const auto chances = carryChances(s);
    const bool possible = chances[0].some || chances[0].none;
    const auto shown = [&](std::uint8_t mode, int column) {
        return possible ? carryShown(mode, chances[std::size_t(column)]) : mode;
    };
    const std::uint8_t values[OptionGroupCount] = {
        s.DigitKind1_100, s.DigitKind1_10, s.DigitKind1_1, s.DigitKind2_100, s.DigitKind2_10, s.DigitKind2_1,
        // A subtraction never borrows in the hundreds; the window says "なし" there.
        s.IsSubtraction == 1 ? std::uint8_t(Nashi) : shown(s.CarryMode_100, 2), shown(s.CarryMode_10, 1),
        shown(s.CarryMode_1, 0)};
    std::array<std::string, 3> lines;
    for (int g = 0; g < OptionGroupCount; ++g) {
        std::string &line = lines[std::size_t(g / 3)];
        if (!line.empty())
            line += ",";
        line += statusTextOf(optionAt(OptionGroup(g), values[g] > 2 ? 2 : values[g]));
    }
    return lines;
}

}  // namespace kolvara
