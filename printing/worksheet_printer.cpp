#include "worksheet_printer.h"

#include <QAbstractPrintDialog>
#include <QBuffer>
#include <QComboBox>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

using printqueue::Answer;
using printqueue::Outcome;

namespace {

// The engine's key for the options the set-up dialog gathers for the print service.
const auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(QPrintEngine::PPK_CustomBase);

// A question a worker thread abandoned past its bound still ends on its own; this much
// longer the window waits for it before it stops listening.
constexpr int GraceMilliseconds = 2000;

// Asks the print service on a thread of its own; the window keeps painting meanwhile.
// Input waits until the answer is in: the run's buttons are hidden anyway.
Answer askPrintService(const std::function<Answer(printqueue::Bound)> &question, printqueue::Bound bound)
{
    struct Pending {
        std::mutex mutex;
        std::optional<Answer> answer;
    };
    auto pending = std::make_shared<Pending>();
    // Detached: should the service hold the thread beyond every bound, the window must
    // not wait for it, and the thread touches nothing but its own copy of the question.
    std::thread([pending, question, bound] {
        Answer answer = question(bound);
        const std::lock_guard lock(pending->mutex);
        pending->answer = std::move(answer);
    }).detach();

    const auto answered = [&pending] {
        const std::lock_guard lock(pending->mutex);
        return pending->answer.has_value();
    };
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (answered() || waited.elapsed() > bound.count() + GraceMilliseconds)
            loop.quit();
    });
    poll.start(5);
    if (!answered()) {
        // The window paints on, but takes no input until the service has answered.
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QGuiApplication::restoreOverrideCursor();
    }

    const std::lock_guard lock(pending->mutex);
    if (pending->answer)
        return *pending->answer;
    Answer noAnswer;
    noAnswer.outcome = Outcome::NoAnswer;
    return noAnswer;
}

std::string local(const QString &text) { return text.toLocal8Bit().toStdString(); }

// The settings the print service needs beside the document, as the platform's own
// printing sends them.
printqueue::Options jobOptions(QPrinter &printer)
{
    printqueue::Options options;
    options.emplace_back("media", local(printer.pageLayout().pageSize().key()));
    if (printer.copyCount() > 1) {
        options.emplace_back("copies", std::to_string(printer.copyCount()));
        if (printer.collateCopies())
            options.emplace_back("Collate", "True");
    }
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        options.emplace_back("sides", "one-sided");
        break;
    case QPrinter::DuplexLongSide:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    case QPrinter::DuplexAuto:
        break;
    }
    if (printer.pageLayout().orientation() == QPageLayout::Landscape)
        options.emplace_back("landscape", "true");
    const QStringList chosen = printer.printEngine()->property(CupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        options.emplace_back(local(chosen[i]), local(chosen[i + 1]));
    return options;
}

// A printer like `current` to show in the set-up dialog, which writes into the printer it
// is given as soon as a choice changes, before OK or Cancel. A printer that writes a file
// has no queue name: the copy starts on the default queue, and setup() shows the file.
std::unique_ptr<QPrinter> copyForSetup(QPrinter &current)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(current.printerName());
    auto copy = info.isNull() ? std::make_unique<QPrinter>() : std::make_unique<QPrinter>(info);
    copy->setPageLayout(current.pageLayout());
    copy->setCopyCount(current.copyCount());
    copy->setCollateCopies(current.collateCopies());
    copy->setDuplex(current.duplex());
    copy->setColorMode(current.colorMode());
    copy->setPageOrder(current.pageOrder());
    copy->setDocName(current.docName());
    copy->printEngine()->setProperty(CupsOptionsKey, current.printEngine()->property(CupsOptionsKey));
    return copy;
}

}  // namespace

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

const QString &WorksheetPrinter::serviceUnreachableMessage()
{
    static const QString message = QStringLiteral("印刷サービスに接続できません");
    return message;
}

const QString &WorksheetPrinter::serviceNoAnswerMessage()
{
    static const QString message = QStringLiteral("印刷サービスが応答しません");
    return message;
}

const QString &WorksheetPrinter::answerPageNotPrintedMessage()
{
    static const QString message =
        QStringLiteral("問題のページは印刷されましたが、解答のページは印刷されませんでした。");
    return message;
}

WorksheetPrinter::WorksheetPrinter() = default;
WorksheetPrinter::~WorksheetPrinter() = default;

QPrinter *WorksheetPrinter::printer()
{
    return printer_.get();
}

QString WorksheetPrinter::messageFor(const Answer &answer) const
{
    const QString printer = QString::fromLocal8Bit(answer.printer);
    const QString reason = answer.reason.empty()
                               ? QString()
                               : QStringLiteral("\n印刷サービスからの説明: %1").arg(QString::fromLocal8Bit(answer.reason));
    switch (answer.outcome) {
    case Outcome::Done:
        return {};
    case Outcome::NoDefault:
        return noDefaultPrinterMessage();
    case Outcome::NoSuchPrinter:
        return printerNotValidMessage() + QStringLiteral("\nプリンタ「%1」は印刷サービスにありません").arg(printer);
    case Outcome::NotAccepting:
        return printerNotValidMessage() + QStringLiteral("\nプリンタ「%1」は印刷を受け付けていません").arg(printer) +
               reason;
    case Outcome::Failed:
        return QStringLiteral("プリンタ「%1」に印刷できませんでした").arg(printer) + reason;
    case Outcome::Unreachable:
        return serviceUnreachableMessage() + reason;
    case Outcome::NoAnswer:
        return serviceNoAnswerMessage() +
               QStringLiteral("\n%1秒待っても答えがありませんでした").arg((answerBound_.count() + 999) / 1000);
    }
    return {};
}

QString WorksheetPrinter::ensurePrinter()
{
    if (printer_)
        return {};
    // QPrinter itself would fall back to the first printer, or to writing a
    // PDF file, when there is no default; the user must be told instead.
    const Answer found = askPrintService(&printqueue::findDefaultPrinter, answerBound_);
    if (found.outcome != Outcome::Done)
        return messageFor(found);
    // The service has just answered, so the platform's own look-up of the printer's
    // details does not keep the window waiting.
    const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromLocal8Bit(found.printer));
    if (info.isNull())
        return noDefaultPrinterMessage();
    printer_ = std::make_unique<QPrinter>(info);
    return {};
}

// Whether the service still has the current printer and it takes jobs; a printer that
// writes a file needs no service.
QString WorksheetPrinter::checkCurrentPrinter()
{
    if (printer_->outputFormat() == QPrinter::PdfFormat)
        return {};
    const std::string name = local(printer_->printerName());
    const Answer answer =
        askPrintService([name](printqueue::Bound bound) { return printqueue::checkPrinter(name, bound); },
                        answerBound_);
    queueStopped_ = queueStopped_ || answer.stopped;
    return messageFor(answer);
}

QString WorksheetPrinter::prepareLandscape()
{
    filePdf_.reset();  // what an unfinished run began is dropped
    pagesSent_ = 0;
    queueStopped_ = false;
    if (QString error = ensurePrinter(); !error.isEmpty())
        return error;
    if (QString error = checkCurrentPrinter(); !error.isEmpty())
        return error;
    if (!printer_->setPageOrientation(QPageLayout::Landscape))
        return unsupportedMessage();
    return {};
}

QString WorksheetPrinter::printSheet(const kolvara::Sheet &sheet, const QString &jobTitle)
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
        filePdf_->addPage(kolvara::layOutPage(sheet, filePdf_->paper(), metrics_), metrics_);
        return {};
    }

    const std::string name = local(printer_->printerName());
    const std::string title = jobTitle.toUtf8().toStdString();
    const QPageLayout layout = printer_->pageLayout();
    const QByteArray document = pagePdf(kolvara::layOutPage(sheet, paperOf(layout), metrics_), metrics_, layout, jobTitle);
    const std::string pdf(document.constData(), std::size_t(document.size()));
    const printqueue::Options options = jobOptions(*printer_);
    const Answer answer = askPrintService(
        [name, title, pdf, options](printqueue::Bound bound) {
            return printqueue::submitPdf(name, title, pdf, options, bound);
        },
        answerBound_);
    if (answer.outcome != Outcome::Done) {
        const QString error = messageFor(answer);
        return pagesSent_ > 0 ? answerPageNotPrintedMessage() + QLatin1Char('\n') + error : error;
    }
    ++pagesSent_;
    queueStopped_ = queueStopped_ || answer.stopped;
    return {};
}

QString WorksheetPrinter::finishRun()
{
    const std::unique_ptr<SheetPdf> pdf = std::move(filePdf_);
    if (pdf && !pdf->commit().isEmpty())
        return printerNotValidMessage();
    return {};
}

QString WorksheetPrinter::runNotice()
{
    if (!std::exchange(queueStopped_, false) || !printer_)
        return {};
    return QStringLiteral("プリンタ「%1」は一時停止しています。\n"
                          "印刷したページは待ち行列にあり、プリンタが再開すると印刷されます。")
        .arg(printer_->printerName());
}

QPageLayout WorksheetPrinter::pdfLayout()
{
    // Only a printer already in hand: looking one up asks the print system, and a PDF
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
    // The dialog asks the service for its printers without any bound: only open it while
    // the service answers.
    const Answer service = askPrintService(&printqueue::findDefaultPrinter, answerBound_);
    if (service.outcome == Outcome::Unreachable || service.outcome == Outcome::NoAnswer)
        return messageFor(service);

    std::unique_ptr<QPrinter> choice = copyForSetup(*printer_);
    QPrintDialog dialog(choice.get(), parent);
    // Every job is one page: no page range. Printing into a PDF file stays
    // on offer, for a user who wants to keep the sheet rather than print it.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setWindowTitle(QStringLiteral("プリンタ設定"));
    // The dialog only chooses; it prints nothing.
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>()) {
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    }
    // The dialog starts on a queue, and turns the printer it is given to that queue; a
    // file chosen before is shown as the choice in force, once the dialog, shown, offers
    // the file as its last entry.
    if (printer_->outputFormat() == QPrinter::PdfFormat) {
        QTimer::singleShot(0, &dialog, [&dialog, file = printer_->outputFileName()] {
            if (auto *printers = dialog.findChild<QComboBox *>(QStringLiteral("printers")))
                printers->setCurrentIndex(printers->count() - 1);
            if (auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("filename")))
                name->setText(file);
        });
    }
    if (dialog.exec() == QDialog::Accepted)
        printer_ = std::move(choice);
    return {};
}
