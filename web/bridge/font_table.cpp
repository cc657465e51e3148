#include "font_table.h"

#include <algorithm>

namespace kolvara::web {

namespace {

// The next code point of UTF-8 text; a malformed byte counts as one character.
char32_t nextCodePoint(std::string_view text, std::size_t &at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + std::size_t(length) > text.size()) {
        ++at;
        return 0xFFFD;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + std::size_t(i));
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        c = (c << 6) | (next & 0x3F);
    }
    at += std::size_t(length);
    return c;
}

double scaled(const FaceTable &face, double units, double pixelSize) { return units * pixelSize / face.unitsPerEm; }

}  // namespace

const FaceTable &faceTable(Face face) { return face == Face::Window ? WindowFaceTable : ProblemFaceTable; }

double TableTextMetrics::advance(Face face, double pixelSize, std::string_view utf8) const
{
    const FaceTable &table = faceTable(face);
    const GlyphAdvance *end = table.advances + table.count;
    long units = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = nextCodePoint(utf8, at);
        const GlyphAdvance *found =
            std::lower_bound(table.advances, end, c, [](const GlyphAdvance &g, char32_t v) { return g.codepoint < v; });
        units += found != end && found->codepoint == c ? found->advance : table.missingAdvance;
    }
    return scaled(table, double(units), pixelSize);
}

double TableTextMetrics::ascent(Face face, double pixelSize) const
{
    return scaled(faceTable(face), faceTable(face).ascent, pixelSize);
}

double TableTextMetrics::descent(Face face, double pixelSize) const
{
    return scaled(faceTable(face), faceTable(face).descent, pixelSize);
}

UnderlinePlace underlineOf(Face face, double pixelSize)
{
    const FaceTable &table = faceTable(face);
    // At least a unit thick, as a line one pixel wide on the window.
    const double thickness = std::max(1.0, scaled(table, table.underlineThickness, pixelSize));
    return {-scaled(table, table.underlinePosition, pixelSize) - thickness / 2, thickness};
}

}  // namespace kolvara::web
