#include "sheet_painter.h"

#include "japanese_fonts.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

using kolvara::Face;

namespace {

QString toQt(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

// Fonts, metrics and glyphs by face and pixel size: the same few are asked for thousands of
// times a page.
struct QtTextMetrics::Cache {
    struct Sized {
        QFont font;
        QFontMetricsF metrics{QFont()};
        QRawFont raw;
        std::map<std::string, QGlyphRun, std::less<>> runs;
        std::map<std::string, double, std::less<>> advances;
    };
    std::map<std::pair<Face, int>, Sized> sized;  // pixel size in 1/64 pixels

    Sized &at(Face face, double pixelSize)
    {
        const std::pair key{face, int(pixelSize * 64 + 0.5)};
        auto it = sized.find(key);
        if (it != sized.end())
            return it->second;
        Sized s;
        // The IPA face behind each name, also where no substitute has been installed.
        const bool window = face == Face::Window;
        s.font.setFamilies({QFont::substitute(QString::fromUtf8(window ? windowFaceName : problemFaceName)),
                            QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")});
        if (!window)
            s.font.setFamilies({s.font.families().first(), QStringLiteral("IPAPGothic")});
        s.font.setPixelSize(std::max(1, int(pixelSize + 0.5)));
        s.metrics = QFontMetricsF(s.font);
        return sized.emplace(key, std::move(s)).first->second;
    }
};

QtTextMetrics::QtTextMetrics() : cache_(std::make_unique<Cache>()) {}
QtTextMetrics::~QtTextMetrics() = default;

QFont QtTextMetrics::font(Face face, double pixelSize) const { return cache_->at(face, pixelSize).font; }

double QtTextMetrics::advance(Face face, double pixelSize, std::string_view utf8) const
{
    Cache::Sized &s = cache_->at(face, pixelSize);
    auto it = s.advances.find(utf8);
    if (it == s.advances.end())
        it = s.advances.emplace(std::string(utf8), s.metrics.horizontalAdvance(toQt(utf8))).first;
    return it->second;
}

double QtTextMetrics::ascent(Face face, double pixelSize) const { return cache_->at(face, pixelSize).metrics.ascent(); }
double QtTextMetrics::descent(Face face, double pixelSize) const
{
    return cache_->at(face, pixelSize).metrics.descent();
}

const QGlyphRun &QtTextMetrics::glyphs(Face face, double pixelSize, const std::string &text) const
{
    Cache::Sized &s = cache_->at(face, pixelSize);
    auto it = s.runs.find(text);
    if (it != s.runs.end())
        return it->second;
    if (!s.raw.isValid())
        s.raw = QRawFont::fromFont(s.font);
    const QList<quint32> indexes = s.raw.glyphIndexesForString(toQt(text));
    const QList<QPointF> advances = s.raw.advancesForGlyphIndexes(indexes);
    QList<QPointF> positions;
    QPointF at;
    for (const QPointF &a : advances) {
        positions << at;
        at += a;
    }
    QGlyphRun run;
    run.setRawFont(s.raw);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    return s.runs.emplace(text, run).first->second;
}

namespace {

// The boxes' edges as few strokes as look the same: on screen each edge is dotted from its
// own start, top and bottom from the left, the sides from the top. Edges that neighbouring
// boxes share are drawn once, and edges that continue one another become one stroke where
// the dots fall as they would (an even distance from the stroke's start).
QPainterPath boxEdges(const std::vector<kolvara::DottedBox> &boxes)
{
    struct Edge {
        double line, from, to;
        bool operator<(const Edge &o) const { return std::tie(line, from, to) < std::tie(o.line, o.from, o.to); }
    };
    std::vector<Edge> across, down;
    across.reserve(boxes.size() * 2);
    down.reserve(boxes.size() * 2);
    for (const kolvara::DottedBox &b : boxes) {
        across.push_back({b.top, b.left, b.right});
        across.push_back({b.bottom, b.left, b.right});
        down.push_back({b.left, b.top, b.bottom});
        down.push_back({b.right, b.top, b.bottom});
    }
    QPainterPath path;
    const auto add = [&path](std::vector<Edge> &edges, bool horizontal) {
        std::sort(edges.begin(), edges.end());
        for (std::size_t i = 0; i < edges.size();) {
            Edge stroke = edges[i++];
            while (i < edges.size() && edges[i].line == stroke.line && edges[i].from <= stroke.to &&
                   std::fmod(edges[i].from - stroke.from, 2.0) == 0) {
                stroke.to = std::max(stroke.to, edges[i].to);
                ++i;
            }
            path.moveTo(horizontal ? QPointF(stroke.from, stroke.line) : QPointF(stroke.line, stroke.from));
            path.lineTo(horizontal ? QPointF(stroke.to, stroke.line) : QPointF(stroke.line, stroke.to));
        }
    };
    add(across, true);
    add(down, false);
    return path;
}

}  // namespace

namespace {

QPen dottedPen(const QColor &colour)
{
    QPen dotted(colour, 1, Qt::CustomDashLine, Qt::FlatCap);
    dotted.setDashPattern({1, 1});
    return dotted;
}

void drawText(QPainter &painter, const kolvara::TextRun &t, const QtTextMetrics &metrics)
{
    QFont font = metrics.font(t.face, t.pixelSize);
    font.setUnderline(t.underline);
    painter.setFont(font);
    painter.drawText(QPointF(t.x, t.baseline), toQt(t.text));
}

// In the order the layout made them, so each digit's backing hides what lies beneath it,
// as the control always painted.
void paintOnScreen(QPainter &painter, const kolvara::Drawing &drawing, const QtTextMetrics &metrics,
                   const DrawingInk &ink)
{
    const QPen dotted = dottedPen(ink.text), solid(ink.text, 1, Qt::SolidLine);
    const kolvara::TextRun *lastFont = nullptr;  // the texts of a problem share one font
    for (const kolvara::Drawing::Step &step : drawing.steps) {
        switch (step.kind) {
        case kolvara::Drawing::Kind::Backing: {
            const kolvara::Backing &b = drawing.backings[step.index];
            painter.fillRect(QRectF(b.left, b.top, b.width, b.height), ink.paper);
            break;
        }
        case kolvara::Drawing::Kind::Box: {
            // Four strokes, each dotted from its own start.
            const kolvara::DottedBox &b = drawing.boxes[step.index];
            const QPointF topLeft(b.left, b.top), topRight(b.right, b.top);
            const QPointF bottomLeft(b.left, b.bottom), bottomRight(b.right, b.bottom);
            const QLineF edges[4] = {{topLeft, topRight}, {topRight, bottomRight}, {bottomLeft, bottomRight},
                                     {topLeft, bottomLeft}};
            painter.setPen(dotted);
            painter.drawLines(edges, 4);
            break;
        }
        case kolvara::Drawing::Kind::Line: {
            const kolvara::Line &l = drawing.lines[step.index];
            painter.setPen(l.accent ? QPen(ink.accent, 1, Qt::SolidLine) : solid);
            painter.drawLine(QLineF(l.x1, l.y1, l.x2, l.y2));
            break;
        }
        case kolvara::Drawing::Kind::Text: {
            const kolvara::TextRun &t = drawing.texts[step.index];
            painter.setPen(t.accent ? QPen(ink.accent, 1, Qt::SolidLine) : solid);
            if (!lastFont || lastFont->face != t.face || lastFont->pixelSize != t.pixelSize ||
                lastFont->underline != t.underline) {
                QFont font = metrics.font(t.face, t.pixelSize);
                font.setUnderline(t.underline);
                painter.setFont(font);
                lastFont = &t;
            }
            painter.drawText(QPointF(t.x, t.baseline), toQt(t.text));
            break;
        }
        }
    }
}

// Paper has nothing beneath: each kind at once, with the pen set once.
void paintOnPaper(QPainter &painter, const kolvara::Drawing &drawing, const QtTextMetrics &metrics,
                  const DrawingInk &ink)
{
    if (!drawing.boxes.empty()) {
        painter.setPen(dottedPen(ink.text));
        painter.drawPath(boxEdges(drawing.boxes));
    }
    for (const bool accent : {false, true}) {
        QPainterPath lines;
        for (const kolvara::Line &l : drawing.lines)
            if (l.accent == accent) {
                lines.moveTo(l.x1, l.y1);
                lines.lineTo(l.x2, l.y2);
            }
        if (!lines.isEmpty()) {
            painter.setPen(QPen(accent ? ink.accent : ink.text, 1, Qt::SolidLine));
            painter.drawPath(lines);
        }
    }

    // The glyphs of every text of one face and size as one run, placed glyph by glyph, so a
    // page costs a few text objects instead of one per digit.
    struct Glyphs {
        QRawFont font;
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    std::map<std::tuple<bool, kolvara::Face, double>, Glyphs> runs;
    painter.setPen(QPen(ink.text, 1, Qt::SolidLine));
    for (const kolvara::TextRun &t : drawing.texts) {
        if (t.underline) {
            painter.setPen(QPen(t.accent ? ink.accent : ink.text, 1, Qt::SolidLine));
            drawText(painter, t, metrics);
            continue;
        }
        const QGlyphRun &glyphs = metrics.glyphs(t.face, t.pixelSize, t.text);
        Glyphs &run = runs[{t.accent, t.face, t.pixelSize}];
        run.font = glyphs.rawFont();
        run.indexes += glyphs.glyphIndexes();
        for (const QPointF &at : glyphs.positions())
            run.positions << at + QPointF(t.x, t.baseline);
    }
    for (const auto &[key, glyphs] : runs) {
        painter.setPen(QPen(std::get<0>(key) ? ink.accent : ink.text, 1, Qt::SolidLine));
        QGlyphRun run;
        run.setRawFont(glyphs.font);
        run.setGlyphIndexes(glyphs.indexes);
        run.setPositions(glyphs.positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
}

}  // namespace

void paintDrawing(QPainter &painter, const kolvara::Drawing &drawing, const QtTextMetrics &metrics,
                  DrawingTarget target, const DrawingInk &ink)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    if (target == DrawingTarget::Screen)
        paintOnScreen(painter, drawing, metrics, ink);
    else
        paintOnPaper(painter, drawing, metrics, ink);
    painter.restore();
}

void paintPage(QPainter &painter, const kolvara::SheetPage &page, const QtTextMetrics &metrics, double dotsPerInch,
               QPointF originPoints)
{
    const double dotsPerPoint = dotsPerInch / 72.0;
    const kolvara::PagePlacement &p = page.placement;
    painter.save();
    painter.scale(dotsPerPoint, dotsPerPoint);
    painter.translate(p.offsetX - originPoints.x(), p.offsetY - originPoints.y());
    painter.scale(p.scaleX, p.scaleY);
    paintDrawing(painter, page.drawing, metrics, DrawingTarget::Paper);
    painter.restore();
}
