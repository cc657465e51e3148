#include "worksheet_printer.h"

#include <QAbstractPrintDialog>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include <utility>

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
    filePdf_.reset();  // what an unfinished run began is dropped
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

    // Printing into a file, every job would replace the file the one before wrote: the
    // run's pages go into that one file together, complete at the end of the run.
    if (printer_->outputFormat() == QPrinter::PdfFormat) {
        if (!filePdf_) {
            filePdf_ = std::make_unique<SheetPdf>(printer_->outputFileName());
            if (!filePdf_->open(printer_->pageLayout(), jobTitle).isEmpty()) {
                filePdf_.reset();
                return printerNotValidMessage();
            }
        }
        filePdf_->addPage(window);
        return {};
    }

    printer_->setResolution(sheetPageDpi());
    QPainter painter;
    if (!printer_->isValid() || !painter.begin(printer_.get()))
        return printerNotValidMessage();
    // The painter's origin is the top-left corner of the printable area.
    paintWindowPage(painter, window, printer_->pageLayout().paintRectPixels(printer_->resolution()).size());
    // For CUPS, end() uploads the document and returns once the scheduler
    // holds the job.
    if (!painter.end())
        return printerNotValidMessage();
    return {};
}

QString WorksheetPrinter::finishRun()
{
    const std::unique_ptr<SheetPdf> pdf = std::move(filePdf_);
    if (pdf && !pdf->commit().isEmpty())
        return printerNotValidMessage();
    return {};
}

QPageLayout WorksheetPrinter::pdfLayout()
{
    // Only a printer already in hand: looking one up asks the print system, which can
    // keep the window waiting for minutes when the scheduler does not answer, and a PDF
    // must not depend on it.
    if (!printer_)
        return PrintService::pdfLayout();
    QPageLayout layout = printer_->pageLayout();
    layout.setOrientation(QPageLayout::Landscape);
    return layout;
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
