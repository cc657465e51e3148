#include "sheet_pages.h"

#include "japanese_fonts.h"

#include <QFileInfo>
#include <QPainter>
#include <QPicture>
#include <QPdfWriter>
#include <QRegion>
#include <QSaveFile>
#include <QWidget>

namespace {

// Nearest integer to numerator / denominator, halves to the even neighbour;
// both operands positive.
qint64 roundQuotient(qint64 numerator, qint64 denominator)
{
    qint64 quotient = numerator / denominator;
    const qint64 twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

constexpr qreal MarginMillimetres = 10;
constexpr int MarkPixelSize = 11;
constexpr int MarkInset = 4;

}  // namespace

QSize fitToPage(QSize image, QSize printable)
{
    if (image.isEmpty() || printable.isEmpty())
        return {};
    const qint64 w = image.width();
    const qint64 h = image.height();
    const qint64 pw = printable.width();
    const qint64 ph = printable.height();

    const qint64 width = roundQuotient(w * ph, h);
    if (width < pw)
        return QSize(int(width), int(ph));
    return QSize(int(pw), int(roundQuotient(h * pw, w)));
}

int sheetPageDpi() { return QPicture().logicalDpiY(); }

void paintWindowPage(QPainter &painter, QWidget &window, QSize printable, const QString &mark)
{
    const QSize size = window.size();
    const QSize fitted = fitToPage(size, printable);
    if (fitted.isEmpty())
        return;
    painter.save();
    painter.scale(qreal(fitted.width()) / size.width(), qreal(fitted.height()) / size.height());
    const auto flags = QWidget::DrawWindowBackground | QWidget::DrawChildren;
    if (painter.device()->devType() == QInternal::Printer) {
        // QWidget::render() onto a printer paints through a bitmap, which loses the text.
        // Recorded into a picture and played back, text and lines stay vectors.
        QPicture picture;
        QPainter recorder(&picture);
        window.render(&recorder, QPoint(), QRegion(), flags);
        recorder.end();
        painter.drawPicture(0, 0, picture);
    } else {
        window.render(&painter, QPoint(), QRegion(), flags);
    }
    if (!mark.isEmpty()) {
        QFont font(QFont::substitute(QString::fromUtf8(windowFaceName)));
        font.setPixelSize(MarkPixelSize);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRect(QPoint(0, 0), size - QSize(MarkInset, MarkInset)), Qt::AlignRight | Qt::AlignBottom,
                         mark);
    }
    painter.restore();
}

QPageLayout landscapeLayout(const QPageSize &pageSize)
{
    return QPageLayout(pageSize, QPageLayout::Landscape,
                       QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                       QPageLayout::Millimeter);
}

struct SheetPdf::Writer {
    explicit Writer(const QString &fileName) : file(fileName), pdf(&file) {}
    QSaveFile file;
    QPdfWriter pdf;
    QPainter painter;
    QSize printable;
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
    writer_->pdf.setTitle(title);
    writer_->pdf.setCreator(QStringLiteral("Kolvara"));
    writer_->pdf.setPageLayout(layout);
    writer_->pdf.setResolution(sheetPageDpi());
    if (!writer_->painter.begin(&writer_->pdf)) {
        writer_.reset();
        return QStringLiteral("「%1」にPDFを書き込めません").arg(shown);
    }
    writer_->printable = writer_->pdf.pageLayout().paintRectPixels(writer_->pdf.resolution()).size();
    return {};
}

void SheetPdf::addPage(QWidget &window, const QString &mark)
{
    if (!writer_)
        return;
    if (writer_->pages++ > 0)
        writer_->pdf.newPage();
    paintWindowPage(writer_->painter, window, writer_->printable, mark);
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
