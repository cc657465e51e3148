#include "sheet_pdf.h"

#include "sheet_painter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

constexpr qreal MarginMillimetres = 10;
// Vector output loses nothing at this resolution, and whole points stay whole dots.
constexpr int PdfDpi = 1200;

}  // namespace

QPageLayout landscapeLayout(const QPageSize &pageSize)
{
    return QPageLayout(pageSize, QPageLayout::Landscape,
                       QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                       QPageLayout::Millimeter);
}

kolvara::Paper paperOf(const QPageLayout &layout)
{
    const QRectF full = layout.fullRect(QPageLayout::Point);
    const QRectF paint = layout.paintRect(QPageLayout::Point);
    return {full.width(), full.height(), paint.left()};
}

namespace {

void startWriter(QPdfWriter &pdf, const QPageLayout &layout, const QString &title)
{
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("Kolvara"));
    pdf.setPageLayout(layout);
    pdf.setResolution(PdfDpi);
}

void drawPage(QPainter &painter, const QPdfWriter &pdf, const kolvara::SheetPage &page, const QtTextMetrics &metrics)
{
    // The painter's origin is the printable area's corner in whole device dots.
    const QPointF origin = QPointF(pdf.pageLayout().paintRectPixels(pdf.resolution()).topLeft()) * 72.0 / pdf.resolution();
    paintPage(painter, page, metrics, pdf.resolution(), origin);
}

}  // namespace

struct SheetPdf::Writer {
    explicit Writer(const QString &fileName) : file(fileName), pdf(&file) {}
    QSaveFile file;
    QPdfWriter pdf;
    QPainter painter;
    int pages = 0;
};

SheetPdf::SheetPdf(const QString &fileName) : fileName_(fileName) {}

SheetPdf::~SheetPdf()
{
    if (writer_ && writer_->painter.isActive())
        writer_->painter.end();
    // An unfinished file is dropped with its temporary file.
}

QString SheetPdf::open(const QPageLayout &layout, const QString &title)
{
    const QString shown = QFileInfo(fileName_).absoluteFilePath();
    writer_ = std::make_unique<Writer>(fileName_);
    if (!writer_->file.open(QIODevice::WriteOnly)) {
        writer_.reset();
        return QStringLiteral("「%1」を保存できません。フォルダがないか、書き込みが許可されていません").arg(shown);
    }
    startWriter(writer_->pdf, layout, title);
    if (!writer_->painter.begin(&writer_->pdf)) {
        writer_.reset();
        return QStringLiteral("「%1」にPDFを書き込めません").arg(shown);
    }
    paper_ = paperOf(writer_->pdf.pageLayout());
    return {};
}

void SheetPdf::addPage(const kolvara::SheetPage &page, const QtTextMetrics &metrics)
{
    if (!writer_)
        return;
    if (writer_->pages++ > 0)
        writer_->pdf.newPage();
    drawPage(writer_->painter, writer_->pdf, page, metrics);
}

QString SheetPdf::commit()
{
    const QString shown = QFileInfo(fileName_).absoluteFilePath();
    if (!writer_)
        return QStringLiteral("「%1」にPDFを書き込めません").arg(shown);
    const bool painted = writer_->painter.end();
    const bool saved = painted && writer_->file.commit();
    writer_.reset();
    if (!saved)
        return QStringLiteral("「%1」を書き終えられません。ディスクの空きを確かめてください").arg(shown);
    return {};
}

QByteArray pagePdf(const kolvara::SheetPage &page, const QtTextMetrics &metrics, const QPageLayout &layout,
                   const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        startWriter(pdf, layout, title);
        QPainter painter(&pdf);
        drawPage(painter, pdf, page, metrics);
    }
    return bytes;
}
