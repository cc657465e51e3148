// The one routine that draws a sheet's primitives with a QPainter: the problem controls on
// screen, printed pages and PDFs all go through it.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QGlyphRun>
#include <QPointF>

#include <memory>

#include "sheet.h"

class QPainter;

// Measures the sheet's faces with the toolkit, at the exact pixel sizes the layout asks for.
class QtTextMetrics : public kolvara::TextMetrics {
public:
    QtTextMetrics();
    ~QtTextMetrics() override;
    double advance(kolvara::Face face, double pixelSize, std::string_view utf8) const override;
    double ascent(kolvara::Face face, double pixelSize) const override;
    double descent(kolvara::Face face, double pixelSize) const override;

    // The face at a pixel size, as drawn.
    QFont font(kolvara::Face face, double pixelSize) const;
    // The glyphs of a short text, laid out once and kept: drawing a digit then costs no
    // text layout, and the page still carries it as text.
    const QGlyphRun &glyphs(kolvara::Face face, double pixelSize, const std::string &text) const;

private:
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

// Where the drawing goes: the screen keeps the look of the problem control pixel for pixel;
// paper sheds what only the screen needs and draws faster.
enum class DrawingTarget { Screen, Paper };

struct DrawingInk {
    QColor text = Qt::black;
    QColor paper = Qt::white;
    QColor accent = QColor(0xd0, 0x10, 0x10);  // answers and helper digits in red
};

// Draws `drawing` in the painter's current coordinates.
void paintDrawing(QPainter &painter, const kolvara::Drawing &drawing, const QtTextMetrics &metrics,
                  DrawingTarget target, const DrawingInk &ink = {});

// Draws a page on a device of `dotsPerInch` whose painter origin lies at `originPoints`
// (the top-left corner of its printable area, in points from the paper's corner).
void paintPage(QPainter &painter, const kolvara::SheetPage &page, const QtTextMetrics &metrics, double dotsPerInch,
               QPointF originPoints);
