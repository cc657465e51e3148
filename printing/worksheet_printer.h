#pragma once

#include <QPageLayout>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

#include "print_queue.h"
#include "print_service.h"
#include "sheet.h"
#include "sheet_painter.h"
#include "sheet_pdf.h"

class QPrinter;
class QTimer;
class QWidget;
class ServiceThreads;
struct JobWatch;

// The one printer object of the program: created on first use on the
// system's default printer, it keeps the chosen printer, its settings and
// orientation and the last job title for the whole run.
//
// Every question to the print service, the platform's own look-ups of a
// printer's details included, runs on a thread of its own and is given up
// after answerBound(); the window keeps painting and taking input meanwhile,
// and learns the answer from the step's future. The set-up dialog is the
// platform's, which asks the service on the window's thread: it opens only once
// the service has just answered, and each of its waits is cut off after
// answerBound() as well (where the service's library lets its own connection be
// limited, as Debian's does). All threads end with the object.
//
// Each page goes to the service as a PDF job of its own and counts as printed
// once the service holds the job and has not aborted it; the job is followed
// beside the window until the printer completes it, and should it be aborted
// or cancelled, pageFailed() says which page was lost and hands it back. A job
// given up on that the service could not be told to cancel (it went away while
// the document was on its way) is cancelled once the service is back, tried
// beside the window for as long as a page is followed.
//
// Errors come back as the message the user sees; an empty string means
// success.
class WorksheetPrinter : public PrintService {
    Q_OBJECT

public:
    WorksheetPrinter();
    ~WorksheetPrinter() override;
    WorksheetPrinter(const WorksheetPrinter &) = delete;
    WorksheetPrinter &operator=(const WorksheetPrinter &) = delete;

    // Looks up the current printer (the system's default until the user
    // picks another), makes sure the service still has it and it takes
    // jobs, and sets it to landscape.
    QFuture<QString> prepareLandscape() override;

    // Prints the page of `sheet`, laid out for the printer's paper, as one job
    // named `jobTitle`. Answers once the service holds the job. When the
    // printer writes a file, the page goes into that file, which finishRun()
    // completes.
    QFuture<QString> printSheet(const kolvara::Sheet &sheet, const QString &jobTitle) override;

    // Completes the file the run's pages went into, when the printer writes a file.
    QString finishRun() override;

    // That the run's jobs wait in a paused queue, once a run.
    QString runNotice() override;

    // The printer set-up dialog, on a copy of the current printer (or, with no
    // printer yet, of the default one, or of printing into a PDF file where the
    // service has no printer at all); OK makes the copy current, Cancel changes
    // nothing. Opens whenever the service answers.
    QFuture<QString> setup(QWidget *parent) override;

    void abandon() override;

    // The paper of the printer in hand (after a print run or the set-up dialog), else A4.
    QPageLayout pdfLayout() override;

    // Null until the first successful look-up of a printer.
    QPrinter *printer();

    // How long a question to the print service may take before the run gives up.
    std::chrono::milliseconds answerBound() const { return answerBound_; }
    void setAnswerBound(std::chrono::milliseconds bound) { answerBound_ = bound; }
    // How long a page that went out is followed until its printer completes it.
    std::chrono::milliseconds followBound() const { return followBound_; }
    void setFollowBound(std::chrono::milliseconds bound) { followBound_ = bound; }

    static const QString &noDefaultPrinterMessage();
    static const QString &unsupportedMessage();
    static const QString &printerNotValidMessage();
    static const QString &serviceUnreachableMessage();
    static const QString &serviceNotRunningMessage();
    static const QString &serviceNotFoundMessage();
    static const QString &serviceWrongAnswerMessage();
    static const QString &serviceNoAnswerMessage();
    static const QString &answerPageNotPrintedMessage();
    // The first line of the message when printed pages were lost after all.
    static QString pagesNotPrintedMessage(bool problemPage, bool answerPage);

private:
    template <typename Result>
    QFuture<Result> ask(std::function<Result(const printqueue::Limit &)> question, Result late,
                        std::function<void(const Result &)> dropped = {});
    QString messageFor(const printqueue::Answer &answer) const;
    QString prepared(const printqueue::Answer &answer);
    QString openSetupDialog(QWidget *parent, std::shared_ptr<QPrinter> choice);
    void follow(int job, const std::string &printer, const kolvara::Sheet &page);
    void reportLostPages(const std::string &printer, const QList<kolvara::Sheet> &pages, printqueue::JobEnd end,
                         const std::string &reason);
    void leaveBehind(int job);
    void withdrawLeftJobs();

    QtTextMetrics metrics_;
    std::shared_ptr<QPrinter> printer_;
    std::unique_ptr<SheetPdf> filePdf_;  // the file a run prints into, until the run ends
    std::chrono::milliseconds answerBound_{15000};
    std::chrono::milliseconds followBound_{std::chrono::minutes(5)};
    int pagesSent_ = 0;                  // pages of the current run the service holds
    bool queueStopped_ = false;          // the current run's jobs wait in a paused queue
    bool abandoned_ = false;             // the window gave up waiting: open no dialog
    std::function<void()> giveUp_;       // answers the question under way as unanswered
    int busy_ = 0;                       // questions under way, each with a busy cursor
    std::shared_ptr<JobWatch> watch_;    // the current run's jobs, followed together
    // Jobs left without their document, each to cancel until its time is up.
    std::vector<std::pair<int, std::chrono::steady_clock::time_point>> leftJobs_;
    QTimer *withdrawTimer_ = nullptr;
    bool withdrawing_ = false;           // an attempt to cancel them is under way
    std::unique_ptr<ServiceThreads> threads_;
};
