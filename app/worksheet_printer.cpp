#include "worksheet_printer.h"

#include <QAbstractPrintDialog>
#include <QPageLayout>
#include <QPainter>
#include <QPicture>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegion>
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

} // namespace

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

const QString &WorksheetPrinter::noDefaultPrinterMessage()
{
    static const QString message = QStringLiteral("デフォルト プリンタが存在しません");
    return message;
}

const QString &WorksheetPrinter::unsupportedMessage()
{
    static const QString message = QStringLiteral("選択されたプリンタではサポートされていない機能です");
    return message;
}

const QString &WorksheetPrinter::printerNotValidMessage()
{
    static const QString message = QStringLiteral("選択したプリンタは有効ではありません");
    return message;
}

WorksheetPrinter::WorksheetPrinter() = default;
WorksheetPrinter::~WorksheetPrinter() = default;

QPrinter *WorksheetPrinter::printer()
{
    return printer_.get();
}

QString WorksheetPrinter::ensurePrinter()
{
    if (printer_)
        return {};
    // QPrinter itself would fall back to the first printer, or to writing a
    // PDF file, when there is no default; the user must be told instead.
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        return noDefaultPrinterMessage();
    printer_ = std::make_unique<QPrinter>(defaultPrinter);
    return {};
}

QString WorksheetPrinter::prepareLandscape()
{
    if (QString error = ensurePrinter(); !error.isEmpty())
        return error;
    if (!printer_->setPageOrientation(QPageLayout::Landscape))
        return unsupportedMessage();
    return {};
}

QString WorksheetPrinter::printWindow(QWidget &window, const QString &jobTitle)
{
    if (QString error = ensurePrinter(); !error.isEmpty())
        return error;
    printer_->setDocName(jobTitle);

    // QWidget::render() straight onto a printer paints through a bitmap,
    // which loses the text. Recorded into a picture and played back, text
    // and lines stay vectors.
    QPicture picture;
    QPainter recorder(&picture);
    window.render(&recorder, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    recorder.end();
    // Playback lays text out for the target's resolution; at any other than
    // the picture's own, text would come out larger or smaller than the
    // rest. Vector output loses no sharpness at this resolution.
    printer_->setResolution(picture.logicalDpiY());

    QPainter painter;
    if (!printer_->isValid() || !painter.begin(printer_.get()))
        return printerNotValidMessage();

    // The painter's origin is the top-left corner of the printable area.
    const QSize image = window.size();
    const QSize printable =
        printer_->pageLayout().paintRectPixels(printer_->resolution()).size();
    const QSize fitted = fitToPage(image, printable);
    if (!fitted.isEmpty()) {
        painter.scale(qreal(fitted.width()) / image.width(),
                      qreal(fitted.height()) / image.height());
        painter.drawPicture(0, 0, picture);
    }
    // For CUPS, end() uploads the document and returns once the scheduler
    // holds the job.
    if (!painter.end())
        return printerNotValidMessage();
    return {};
}

QString WorksheetPrinter::setup(QWidget *parent)
{
    if (QString error = ensurePrinter(); !error.isEmpty())
        return error;
    QPrintDialog dialog(printer_.get(), parent);
    // Every job is one page: no page range. Printing into a PDF file stays
    // on offer, for a user who wants to keep the sheet rather than print it.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    // The dialog writes the choice into the printer only when accepted.
    dialog.exec();
    return {};
}
