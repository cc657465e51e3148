// The sheet's faces measured from a table made from the font files when the site is built
// (web/tools/make_fonts.py), for the layout in the browser, where no toolkit measures them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sheet.h"

namespace kolvara::web {

struct GlyphAdvance {
    char32_t codepoint;
    std::uint16_t advance;
};

// One face in font units. Ascent and descent are the ones the desktop's toolkit reads, so
// text sits where it sits there; advances are sorted by code point.
struct FaceTable {
    int unitsPerEm;
    int ascent;
    int descent;
    int underlinePosition;  // of the underline's centre, below the baseline when negative
    int underlineThickness;
    int missingAdvance;     // of a character the face lacks
    const GlyphAdvance *advances;
    std::size_t count;
};

extern const FaceTable WindowFaceTable;
extern const FaceTable ProblemFaceTable;

const FaceTable &faceTable(Face face);

// Linear measurements: font units scaled to the pixel size, without hinting.
class TableTextMetrics : public TextMetrics {
public:
    double advance(Face face, double pixelSize, std::string_view utf8) const override;
    double ascent(Face face, double pixelSize) const override;
    double descent(Face face, double pixelSize) const override;
};

// Where an underlined run's line goes: its top, below the baseline, and its thickness.
struct UnderlinePlace {
    double offset;
    double thickness;
};
UnderlinePlace underlineOf(Face face, double pixelSize);

}  // namespace kolvara::web
