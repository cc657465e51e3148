#pragma once

#include <QPageLayout>
#include <QSize>
#include <QString>

#include <chrono>
#include <memory>

#include "print_queue.h"
#include "sheet.h"
#include "sheet_painter.h"
#include "sheet_pdf.h"

class QPrinter;
class QWidget;

// What the print run needs of a print system; errors come back as the message the user
// sees, an empty string meaning success.
class PrintService {
public:
    virtual ~PrintService() = default;
    // Starts a run.
    virtual QString prepareLandscape() = 0;
    // Prints one page of `sheet` as one job named `jobTitle`.
    virtual QString printSheet(const kolvara::Sheet &sheet, const QString &jobTitle) = 0;
    // Ends a run whose pages all went out; a service that collects pages delivers them now.
    virtual QString finishRun() { return {}; }
    virtual QString setup(QWidget *parent) = 0;
    // Something the user should know about the run that just completed (the jobs wait in
    // a stopped queue, say); empty when there is nothing. Asked once at the end of a run.
    virtual QString runNotice() { return {}; }
    // The paper a PDF of the sheet goes on, landscape.
    virtual QPageLayout pdfLayout() { return landscapeLayout(QPageSize(QPageSize::A4)); }
};

// The one printer object of the program: created on first use on the
// system's default printer, it keeps the chosen printer, its settings and
// orientation and the last job title for the whole run.
//
// Every question to the print service runs on a thread of its own, bounded by
// answerBound(); meanwhile the window keeps painting. Each page goes to the
// service as a PDF job of its own and counts as printed only once the service
// holds the job and has not aborted it.
//
// Errors come back as the message the user sees; an empty string means
// success.
class WorksheetPrinter : public PrintService {
public:
    WorksheetPrinter();
    ~WorksheetPrinter() override;
    WorksheetPrinter(const WorksheetPrinter &) = delete;
    WorksheetPrinter &operator=(const WorksheetPrinter &) = delete;

    // Looks up the current printer (the system's default until the user
    // picks another), makes sure the service still has it and it takes
    // jobs, and sets it to landscape.
    QString prepareLandscape() override;

    // Prints the page of `sheet`, laid out for the printer's paper, as one job
    // named `jobTitle`. Returns once the service holds the job. When the
    // printer writes a file, the page goes into that file, which finishRun()
    // completes.
    QString printSheet(const kolvara::Sheet &sheet, const QString &jobTitle) override;

    // Completes the file the run's pages went into, when the printer writes a file.
    QString finishRun() override;

    // That the run's jobs wait in a paused queue, once a run.
    QString runNotice() override;

    // The printer set-up dialog, on a copy of the current printer; OK makes
    // the copy current, Cancel changes nothing.
    QString setup(QWidget *parent) override;

    // The paper of the printer in hand (after a print run or the set-up dialog), else A4.
    QPageLayout pdfLayout() override;

    // Null until the first successful look-up of a printer.
    QPrinter *printer();

    // How long a question to the print service may take before the run gives up.
    std::chrono::milliseconds answerBound() const { return answerBound_; }
    void setAnswerBound(std::chrono::milliseconds bound) { answerBound_ = bound; }

    static const QString &noDefaultPrinterMessage();
    static const QString &unsupportedMessage();
    static const QString &printerNotValidMessage();
    static const QString &serviceUnreachableMessage();
    static const QString &serviceNoAnswerMessage();
    static const QString &answerPageNotPrintedMessage();

private:
    QString ensurePrinter();
    QString checkCurrentPrinter();
    QString messageFor(const printqueue::Answer &answer) const;

    QtTextMetrics metrics_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<SheetPdf> filePdf_;  // the file a run prints into, until the run ends
    std::chrono::milliseconds answerBound_{15000};
    int pagesSent_ = 0;                  // pages of the current run the service holds
    bool queueStopped_ = false;          // the current run's jobs wait in a paused queue
};
