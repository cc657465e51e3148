#include "status_lines.h"

namespace kolvara {

std::array<std::string, 3> statusLinesOf(const Settings &s)
{
    const std::uint8_t values[OptionGroupCount] = {
        s.DigitKind1_100, s.DigitKind1_10, s.DigitKind1_1, s.DigitKind2_100, s.DigitKind2_10, s.DigitKind2_1,
        // A subtraction never borrows in the hundreds; the window says "なし" there.
        s.IsSubtraction == 1 ? std::uint8_t(Nashi) : s.CarryMode_100, s.CarryMode_10, s.CarryMode_1};
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
