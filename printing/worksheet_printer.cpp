#include "worksheet_printer.h"

#include <QAbstractPrintDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPageLayout>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <utility>

using printqueue::Answer;
using printqueue::JobEnd;
using printqueue::Limit;
using printqueue::Outcome;

namespace {

// Where Qt keeps the options its print dialog gathers for the print service (pages per
// sheet, page set, banners, scheduled printing, the driver's own options), as key and
// value one after the other; Qt's own CUPS engine reads them from the same place.
const auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// A question whose thread is still busy past its bound has this much longer to answer
// before the window stops waiting for it.
constexpr std::chrono::milliseconds Grace{2000};
// How often a page that went out is asked after.
constexpr std::chrono::milliseconds FollowInterval{1000};

std::string local(const QString &text) { return text.toLocal8Bit().toStdString(); }

// The settings the print service needs beside the document, as the platform's own
// printing sends them.
printqueue::Options jobOptions(QPrinter &printer)
{
    printqueue::Options options;
    const QPageLayout layout = printer.pageLayout();
    options.emplace_back("media", local(layout.pageSize().key()));
    if (printer.copyCount() > 1) {
        options.emplace_back("copies", std::to_string(printer.copyCount()));
        if (printer.collateCopies())
            options.emplace_back("Collate", "True");
    }
    const bool landscape = layout.orientation() == QPageLayout::Landscape;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        options.emplace_back("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
        // Turned over along the page's long side as it is read.
        options.emplace_back("sides", landscape ? "two-sided-short-edge" : "two-sided-long-edge");
        break;
    case QPrinter::DuplexLongSide:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    }
    if (landscape)
        options.emplace_back("landscape", "true");
    const QStringList chosen = printer.printEngine()->property(CupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        options.emplace_back(local(chosen[i]), local(chosen[i + 1]));
    return options;
}

// What the set-up copy takes over from the printer in hand, read on the window's thread.
struct PrinterChoice {
    bool present = false;
    QString queue;  // empty for a printer that writes a file
    QPageLayout layout;
    int copies = 1;
    bool collate = false;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    QPrinter::ColorMode color = QPrinter::Color;
    QPrinter::PageOrder order = QPrinter::FirstPageFirst;
    QString docName;
    QVariant cupsOptions;
};

PrinterChoice choiceOf(QPrinter *printer)
{
    PrinterChoice choice;
    if (!printer)
        return choice;
    choice.present = true;
    if (printer->outputFormat() == QPrinter::NativeFormat)
        choice.queue = printer->printerName();
    choice.layout = printer->pageLayout();
    choice.copies = printer->copyCount();
    choice.collate = printer->collateCopies();
    choice.duplex = printer->duplex();
    choice.color = printer->colorMode();
    choice.order = printer->pageOrder();
    choice.docName = printer->docName();
    choice.cupsOptions = printer->printEngine()->property(CupsOptionsKey);
    return choice;
}

// A printer like `choice` to show in the set-up dialog, which writes into the printer it
// is given as soon as a choice changes, before OK or Cancel. The copy starts on the
// chosen queue; a printer that writes a file has no queue name, and a queue may have
// gone since: then on `fallback`, the default queue, or the first there is, and setup()
// shows a file chosen before. Where the service has no queue at all, it writes a PDF file.
std::shared_ptr<QPrinter> copyForSetup(const PrinterChoice &choice, const QString &fallback)
{
    QPrinterInfo info;
    for (const QString &queue : {choice.queue, fallback}) {
        if (info.isNull() && !queue.isEmpty())
            info = QPrinterInfo::printerInfo(queue);
    }
    if (info.isNull())
        info = QPrinterInfo::printerInfo(QPrinterInfo::availablePrinterNames().value(0));
    auto copy = info.isNull() ? std::make_shared<QPrinter>() : std::make_shared<QPrinter>(info);
    if (info.isNull())
        copy->setOutputFormat(QPrinter::PdfFormat);
    if (!choice.present)
        return copy;
    copy->setPageLayout(choice.layout);
    copy->setCopyCount(choice.copies);
    copy->setCollateCopies(choice.collate);
    copy->setDuplex(choice.duplex);
    copy->setColorMode(choice.color);
    copy->setPageOrder(choice.order);
    copy->setDocName(choice.docName);
    copy->printEngine()->setProperty(CupsOptionsKey, choice.cupsOptions);
    return copy;
}

// The printer `name` with its details, as the platform's print support looks it up.
std::shared_ptr<QPrinter> printerNamed(const std::string &name)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromLocal8Bit(name));
    return info.isNull() ? nullptr : std::make_shared<QPrinter>(info);
}

// A printer looked up off the window's thread, with what the service said on the way.
struct Found {
    Answer answer;
    std::shared_ptr<QPrinter> printer;
};

Answer answerOf(Outcome outcome)
{
    Answer answer;
    answer.outcome = outcome;
    return answer;
}

Answer noAnswer() { return answerOf(Outcome::NoAnswer); }

}  // namespace

// The threads that ask the print service. Each ends within its question's bound; the
// printer tells them all to give up when it goes, and waits for every one.
class ServiceThreads {
public:
    ~ServiceThreads()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (Worker &worker : workers_)
            worker.thread.join();
    }

    void start(std::function<void()> work)
    {
        const std::lock_guard lock(mutex_);
        // Threads that have ended are joined as new ones start, so they never pile up.
        for (auto it = workers_.begin(); it != workers_.end();) {
            if (*it->done) {
                it->thread.join();
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        workers_.push_back({std::thread([work = std::move(work), done] {
                                printqueue::prepareThread();
                                work();
                                *done = true;
                            }),
                            done});
    }

    const std::atomic<bool> &stopping() const { return stopping_; }

    // Waits `time`; false, at once, when the threads are to stop.
    bool rest(std::chrono::milliseconds time)
    {
        std::unique_lock lock(mutex_);
        return !wake_.wait_for(lock, time, [this] { return stopping_.load(); });
    }

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex mutex_;
    std::condition_variable wake_;
    std::list<Worker> workers_;
    std::atomic<bool> stopping_{false};
};

// The jobs of one run that went out, followed on one thread until each has ended.
struct JobWatch {
    struct Job {
        int id = 0;
        std::string printer;
        kolvara::Sheet page;  // as it went out
        bool ended = false;
    };
    std::mutex mutex;
    std::vector<Job> jobs;
    printqueue::Clock::time_point until;
    bool over = false;  // the thread has stopped following: a new job needs a new watch
};

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

const QString &WorksheetPrinter::serviceNotRunningMessage()
{
    static const QString message = QStringLiteral("印刷サービス（CUPS）が動いていません");
    return message;
}

const QString &WorksheetPrinter::serviceNotFoundMessage()
{
    static const QString message = QStringLiteral("印刷サービスのあるコンピュータが見つかりません");
    return message;
}

const QString &WorksheetPrinter::serviceWrongAnswerMessage()
{
    static const QString message = QStringLiteral("印刷サービスから正しい返事がありません");
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

QString WorksheetPrinter::pagesNotPrintedMessage(bool problemPage, bool answerPage)
{
    if (problemPage && answerPage)
        return QStringLiteral("問題のページと解答のページは印刷されませんでした。");
    return answerPage ? QStringLiteral("解答のページは印刷されませんでした。")
                      : QStringLiteral("問題のページは印刷されませんでした。");
}

WorksheetPrinter::WorksheetPrinter() : withdrawTimer_(new QTimer(this)), threads_(std::make_unique<ServiceThreads>())
{
    withdrawTimer_->setInterval(FollowInterval);
    connect(withdrawTimer_, &QTimer::timeout, this, &WorksheetPrinter::withdrawLeftJobs);
}

WorksheetPrinter::~WorksheetPrinter()
{
    threads_.reset();
    while (busy_ > 0) {
        QGuiApplication::restoreOverrideCursor();
        --busy_;
    }
}

QPrinter *WorksheetPrinter::printer()
{
    return printer_.get();
}

// Runs `question` on a thread of its own. The future has its answer, or `late` once the
// bound and the grace have passed; a question answered too late is dropped, and
// `dropped` undoes what it did.
template <typename Result>
QFuture<Result> WorksheetPrinter::ask(std::function<Result(const Limit &)> question, Result late,
                                      std::function<void(const Result &)> dropped)
{
    struct Pending {
        std::mutex mutex;
        bool settled = false;
        std::atomic<bool> abandoned{false};
        QPromise<Result> promise;
    };
    auto pending = std::make_shared<Pending>();
    pending->promise.start();
    const Limit limit{printqueue::Clock::now() + answerBound_, &pending->abandoned, &threads_->stopping()};
    threads_->start([pending, limit, question = std::move(question), dropped = std::move(dropped)] {
        Result result = question(limit);
        {
            const std::lock_guard lock(pending->mutex);
            if (!pending->settled) {
                pending->settled = true;
                pending->promise.addResult(std::move(result));
                pending->promise.finish();
                return;
            }
        }
        if (dropped)
            dropped(result);
    });
    const auto giveUp = [pending, late] {
        const std::lock_guard lock(pending->mutex);
        if (pending->settled)
            return;
        pending->settled = true;
        pending->abandoned = true;
        pending->promise.addResult(late);
        pending->promise.finish();
    };
    QTimer::singleShot(answerBound_ + Grace, this, giveUp);
    giveUp_ = giveUp;

    // The window paints and takes input on; the cursor says the service is being asked.
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    ++busy_;
    return whenReady(pending->promise.future(), this, [this](const Result &result) {
        giveUp_ = nullptr;
        if (busy_ > 0) {
            QGuiApplication::restoreOverrideCursor();
            --busy_;
        }
        return result;
    });
}

void WorksheetPrinter::abandon()
{
    abandoned_ = true;
    if (giveUp_)
        giveUp_();
}

QString WorksheetPrinter::messageFor(const Answer &answer) const
{
    const QString printer = QString::fromLocal8Bit(answer.printer);
    const QString server = QString::fromLocal8Bit(answer.server);
    const QString reason = answer.reason.empty()
                               ? QString()
                               : QStringLiteral("\n印刷サービスからの説明: %1").arg(QString::fromLocal8Bit(answer.reason));
    const QString orPdf = QStringLiteral("\n印刷しないで「PDF保存」で PDF ファイルに保存することもできます");
    const QString checkSettings =
        QStringLiteral("\n印刷サービスの場所の設定（環境変数 CUPS_SERVER や /etc/cups/client.conf）を確かめてください");
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
    case Outcome::NotRunning:
        if (!server.isEmpty() && server != QLatin1String("localhost"))
            return serviceNotRunningMessage() + QStringLiteral("（%1）").arg(server) + checkSettings + orPdf;
        return serviceNotRunningMessage() +
               QStringLiteral("\n印刷するには、管理者が端末で「sudo systemctl start cups」を実行して印刷サービスを起動してください") +
               orPdf;
    case Outcome::NotFound:
        return serviceNotFoundMessage() + QStringLiteral("\nコンピュータ「%1」はネットワークで見つかりませんでした").arg(server) +
               checkSettings + orPdf;
    case Outcome::WrongAnswer:
        return serviceWrongAnswerMessage() +
               QStringLiteral("\n「%1」で答えたのは印刷サービス（CUPS）ではないようです").arg(server) +
               (answer.reason.empty() ? QString() : QStringLiteral("（%1）").arg(QString::fromLocal8Bit(answer.reason))) +
               checkSettings + orPdf;
    case Outcome::Unreachable:
        return serviceUnreachableMessage() + (server.isEmpty() ? QString() : QStringLiteral("（%1）").arg(server)) +
               reason + orPdf;
    case Outcome::NoAnswer:
        return serviceNoAnswerMessage() +
               QStringLiteral("\n%1秒待っても答えがありませんでした").arg((answerBound_.count() + 999) / 1000);
    case Outcome::NoLibrary:
        return serviceUnreachableMessage() +
               QStringLiteral("\n印刷に必要なライブラリ %1 が見つかりません。パッケージ libcups2 をインストールしてください")
                   .arg(QString::fromLocal8Bit(answer.reason)) +
               orPdf;
    }
    return {};
}

QFuture<QString> WorksheetPrinter::prepareLandscape()
{
    filePdf_.reset();  // what an unfinished run began is dropped
    pagesSent_ = 0;
    queueStopped_ = false;
    abandoned_ = false;
    watch_.reset();
    // A printer that writes a file needs no service.
    if (printer_ && printer_->outputFormat() == QPrinter::PdfFormat)
        return QtFuture::makeReadyFuture(prepared({}));

    // QPrinter itself would fall back to the first printer, or to writing a PDF file,
    // when there is no default; the user must be told instead. The platform's look-up
    // of the printer's details asks the service too, so it is made on the same thread.
    const std::string current = printer_ ? local(printer_->printerName()) : std::string();
    const auto question = [current](const Limit &limit) {
        Found found;
        std::string name = current;
        if (name.empty()) {
            found.answer = printqueue::findDefaultPrinter(limit);
            if (found.answer.outcome != Outcome::Done)
                return found;
            name = found.answer.printer;
            printqueue::limitThreadConnection(limit);
            found.printer = printerNamed(name);
            if (!found.printer) {
                found.answer = answerOf(limit.reached() ? Outcome::NoAnswer : Outcome::NoDefault);
                return found;
            }
        }
        found.answer = printqueue::checkPrinter(name, limit);
        return found;
    };
    return whenReady(ask<Found>(question, Found{noAnswer(), nullptr}), this, [this](const Found &found) {
        if (found.printer && found.answer.outcome == Outcome::Done)
            printer_ = found.printer;
        return prepared(found.answer);
    });
}

QString WorksheetPrinter::prepared(const Answer &answer)
{
    if (answer.outcome != Outcome::Done)
        return messageFor(answer);
    queueStopped_ = queueStopped_ || answer.stopped;
    if (!printer_->setPageOrientation(QPageLayout::Landscape))
        return unsupportedMessage();
    return {};
}

QFuture<QString> WorksheetPrinter::printSheet(const kolvara::Sheet &sheet, const QString &jobTitle)
{
    if (!printer_)
        return QtFuture::makeReadyFuture(noDefaultPrinterMessage());
    printer_->setDocName(jobTitle);

    // Printing into a file, every job would replace the file the one before wrote: the
    // run's pages go into that one file together, complete at the end of the run.
    if (printer_->outputFormat() == QPrinter::PdfFormat) {
        if (!filePdf_) {
            filePdf_ = std::make_unique<SheetPdf>(printer_->outputFileName());
            if (!filePdf_->open(printer_->pageLayout(), jobTitle).isEmpty()) {
                filePdf_.reset();
                return QtFuture::makeReadyFuture(printerNotValidMessage());
            }
        }
        filePdf_->addPage(kolvara::layOutPage(sheet, filePdf_->paper(), metrics_), metrics_);
        return QtFuture::makeReadyFuture(QString());
    }

    const std::string name = local(printer_->printerName());
    const std::string title = jobTitle.toUtf8().toStdString();
    const QPageLayout layout = printer_->pageLayout();
    const QByteArray document = pagePdf(kolvara::layOutPage(sheet, paperOf(layout), metrics_), metrics_, layout, jobTitle);
    const std::string pdf(document.constData(), std::size_t(document.size()));
    const printqueue::Options options = jobOptions(*printer_);
    const std::atomic<bool> *stopping = &threads_->stopping();
    const auto submitted = ask<Answer>(
        [name, title, pdf, options](const Limit &limit) { return printqueue::submitPdf(name, title, pdf, options, limit); },
        noAnswer(),
        // The window was told the page did not go out: it must not print later.
        [bound = answerBound_, stopping, self = this](const Answer &late) {
            const bool left = late.outcome == Outcome::Done
                                  ? late.job && !printqueue::cancelJob(late.job, Limit::after(bound, stopping))
                                  : late.leftBehind;
            // Every thread is joined before the printer goes.
            if (left)
                QMetaObject::invokeMethod(self, [self, job = late.job] { self->leaveBehind(job); }, Qt::QueuedConnection);
        });
    return whenReady(submitted, this, [this, sheet](const Answer &answer) {
        if (answer.outcome != Outcome::Done) {
            if (answer.leftBehind)
                leaveBehind(answer.job);
            const QString error = messageFor(answer);
            return pagesSent_ > 0 ? answerPageNotPrintedMessage() + QLatin1Char('\n') + error : error;
        }
        ++pagesSent_;
        queueStopped_ = queueStopped_ || answer.stopped;
        follow(answer.job, answer.printer, sheet);
        return QString();
    });
}

// Follows the job until its printer has completed it, aborted it or it was cancelled, or
// until the follow bound has passed with the job still waiting, which is left alone.
void WorksheetPrinter::follow(int job, const std::string &printer, const kolvara::Sheet &page)
{
    if (job <= 0)
        return;
    if (watch_) {
        const std::lock_guard lock(watch_->mutex);
        if (!watch_->over) {
            watch_->jobs.push_back({job, printer, page});
            watch_->until = printqueue::Clock::now() + followBound_;
            return;
        }
    }
    watch_ = std::make_shared<JobWatch>();
    watch_->jobs.push_back({job, printer, page});
    watch_->until = printqueue::Clock::now() + followBound_;
    ServiceThreads *threads = threads_.get();
    // Every thread is joined before this object goes: it outlives the thread.
    WorksheetPrinter *self = this;
    const auto bound = answerBound_;
    threads_->start([watch = watch_, threads, self, bound] {
        while (threads->rest(FollowInterval)) {
            std::vector<JobWatch::Job> open;
            {
                const std::lock_guard lock(watch->mutex);
                for (const JobWatch::Job &job : watch->jobs)
                    if (!job.ended)
                        open.push_back(job);
                if (open.empty() || printqueue::Clock::now() >= watch->until) {
                    watch->over = true;
                    return;
                }
            }
            // The pages found lost in one look are told together.
            QList<kolvara::Sheet> lost;
            JobEnd end = JobEnd::Unknown;
            std::string reason, printer;
            std::vector<int> ended;
            for (const JobWatch::Job &job : open) {
                const printqueue::JobState state =
                    printqueue::askJobState(job.id, Limit::after(bound, &threads->stopping()));
                if (state.end == JobEnd::Waiting || state.end == JobEnd::Unknown)
                    continue;
                ended.push_back(job.id);
                if (state.end == JobEnd::Completed)
                    continue;
                lost.append(job.page);
                if (end == JobEnd::Unknown) {
                    end = state.end;
                    reason = state.reason;
                    printer = job.printer;
                }
            }
            {
                const std::lock_guard lock(watch->mutex);
                for (JobWatch::Job &job : watch->jobs)
                    job.ended = job.ended || std::find(ended.begin(), ended.end(), job.id) != ended.end();
            }
            if (!lost.isEmpty())
                QMetaObject::invokeMethod(
                    self, [=] { self->reportLostPages(printer, lost, end, reason); }, Qt::QueuedConnection);
        }
    });
}

void WorksheetPrinter::reportLostPages(const std::string &printer, const QList<kolvara::Sheet> &pages, JobEnd end,
                                       const std::string &reason)
{
    const auto answers = [](const kolvara::Sheet &page) { return page.answers; };
    const QString name = QString::fromLocal8Bit(printer);
    QString message = pagesNotPrintedMessage(!std::all_of(pages.begin(), pages.end(), answers),
                                             std::any_of(pages.begin(), pages.end(), answers)) +
                      (end == JobEnd::Cancelled ? QStringLiteral("\nプリンタ「%1」の印刷は取り消されました").arg(name)
                                                : QStringLiteral("\nプリンタ「%1」で印刷が中止されました").arg(name));
    if (!reason.empty())
        message += QStringLiteral("\n印刷サービスからの説明: %1").arg(QString::fromLocal8Bit(reason));
    emit pageFailed(message, pages);
}

void WorksheetPrinter::leaveBehind(int job)
{
    leftJobs_.emplace_back(job, printqueue::Clock::now() + followBound_);
    withdrawTimer_->start();
}

// One attempt at a time, on a thread of its own, each question within the bound.
void WorksheetPrinter::withdrawLeftJobs()
{
    if (withdrawing_)
        return;
    const auto now = printqueue::Clock::now();
    std::erase_if(leftJobs_, [now](const auto &left) { return left.second <= now; });
    if (leftJobs_.empty()) {
        withdrawTimer_->stop();
        return;
    }
    withdrawing_ = true;
    std::vector<int> jobs;
    for (const auto &left : leftJobs_)
        jobs.push_back(left.first);
    WorksheetPrinter *self = this;  // outlives the thread, as above
    const std::atomic<bool> *stopping = &threads_->stopping();
    threads_->start([jobs, self, bound = answerBound_, stopping] {
        std::vector<int> withdrawn;
        for (const int job : jobs)
            if (printqueue::withdrawJob(job, Limit::after(bound, stopping)))
                withdrawn.push_back(job);
        QMetaObject::invokeMethod(
            self,
            [self, withdrawn] {
                self->withdrawing_ = false;
                std::erase_if(self->leftJobs_, [&withdrawn](const auto &left) {
                    return std::find(withdrawn.begin(), withdrawn.end(), left.first) != withdrawn.end();
                });
            },
            Qt::QueuedConnection);
    });
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

QFuture<QString> WorksheetPrinter::setup(QWidget *parent)
{
    abandoned_ = false;
    const PrinterChoice current = choiceOf(printer_.get());
    // The dialog's copy is built where the service is asked: building it looks the
    // printer up. A service that answers opens the dialog, with printers or without.
    const auto question = [current](const Limit &limit) {
        Found found;
        found.answer = printqueue::findDefaultPrinter(limit);
        if (!printqueue::serviceAnswered(found.answer.outcome))
            return found;
        printqueue::limitThreadConnection(limit);
        const QString fallback =
            found.answer.outcome == Outcome::Done ? QString::fromLocal8Bit(found.answer.printer) : QString();
        found.printer = copyForSetup(current, fallback);
        if (limit.reached()) {
            found.answer = noAnswer();
            found.printer.reset();
        }
        return found;
    };
    const QPointer<QWidget> window(parent);
    return whenReady(ask<Found>(question, Found{noAnswer(), nullptr}), this, [this, window](const Found &found) {
        if (!found.printer)
            return messageFor(found.answer);
        if (abandoned_)
            return QString();
        return openSetupDialog(window, found.printer);
    });
}

QString WorksheetPrinter::openSetupDialog(QWidget *parent, std::shared_ptr<QPrinter> choice)
{
    // The platform's dialog asks the service for its printers on this thread: no single
    // wait of its may hold the window longer than a question's bound.
    printqueue::limitThreadConnectionWaits(answerBound_);
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
    if (printer_ && printer_->outputFormat() == QPrinter::PdfFormat) {
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
