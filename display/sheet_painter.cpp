#include "sheet_painter.h"

#include "japanese_fonts.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

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

void paintDrawing(QPainter &painter, const kolvara::Drawing &drawing, const QtTextMetrics &metrics,
                  DrawingTarget target, const DrawingInk &ink)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const bool screen = target == DrawingTarget::Screen;
    for (const kolvara::Backing &b : drawing.backings)
        painter.fillRect(QRectF(b.left, b.top, b.width, b.height), ink.paper);

    if (!drawing.boxes.empty()) {
        QPen dotted(ink.text, 1, Qt::CustomDashLine, Qt::FlatCap);
        dotted.setDashPattern({1, 1});
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        for (const kolvara::DottedBox &b : drawing.boxes) {
            if (screen) {
                // Four strokes, each dotted from its own start, as the control always looked.
                const QPointF topLeft(b.left, b.top), topRight(b.right, b.top);
                const QPointF bottomLeft(b.left, b.bottom), bottomRight(b.right, b.bottom);
                const QLineF edges[4] = {{topLeft, topRight}, {topRight, bottomRight}, {bottomLeft, bottomRight},
                                         {topLeft, bottomLeft}};
                painter.drawLines(edges, 4);
            } else {
                painter.drawRect(QRectF(b.left, b.top, b.right - b.left, b.bottom - b.top));
            }
        }
    }

    painter.setPen(QPen(ink.text, 1, Qt::SolidLine));
    for (const kolvara::Line &l : drawing.lines)
        painter.drawLine(QLineF(l.x1, l.y1, l.x2, l.y2));

    for (const kolvara::TextRun &t : drawing.texts) {
        if (screen || t.underline) {
            QFont font = metrics.font(t.face, t.pixelSize);
            font.setUnderline(t.underline);
            painter.setFont(font);
            painter.drawText(QPointF(t.x, t.baseline), toQt(t.text));
        } else {
            painter.drawGlyphRun(QPointF(t.x, t.baseline), metrics.glyphs(t.face, t.pixelSize, t.text));
        }
    }
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
