// Print runs and printer set-ups against a private scheduler that fails as a teacher's
// can: a queue that turns jobs away, a scheduler gone or frozen before or between the
// pages, a scheduler stopped while a page's document is on its way, a paused queue, a
// queue removed between two runs, a printer that aborts every job, no queue at all, and
// settings that point to no service, to an unknown computer or to a server that is no
// print service. Each run and each set-up ends with the message the user needs and the
// window usable, never keeps it waiting beyond the bound, and leaves no job held.
#include <QAbstractPrintDialog>
#include <QApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>

#include "japanese_fonts.h"

#include "../print_system.h"
#include "../window_fixture.h"
#include "print_run_pages.h"

namespace {

constexpr std::chrono::milliseconds Bound{2000};

// The system's printer, with a moment between the problem page and the answer page.
struct PrinterWithPause : PrintService {
    WorksheetPrinter real;
    std::function<void()> afterProblemPage;
    int pages = 0;

    PrinterWithPause() { connect(&real, &PrintService::pageFailed, this, &PrintService::pageFailed); }
    QFuture<QString> prepareLandscape() override { return real.prepareLandscape(); }
    QFuture<QString> printSheet(const kolvara::Sheet &sheet, const QString &title) override
    {
        return whenReady(real.printSheet(sheet, title), this, [this](const QString &error) {
            if (++pages == 1 && afterProblemPage)
                afterProblemPage();
            return error;
        });
    }
    QString finishRun() override { return real.finishRun(); }
    QString runNotice() override { return real.runNotice(); }
    QFuture<QString> setup(QWidget *parent) override { return real.setup(parent); }
};

void scheduler(const char *command) { runTool(qEnvironmentVariable("KOLVARA_CUPS_SCRIPT"), {QLatin1String(command), cupsDir()}); }

// Something on the loopback address that is not a print service: it answers every
// request with `reply`, and stops with the test.
class NotAPrintService : public QTcpServer {
public:
    explicit NotAPrintService(QByteArray reply) : reply_(std::move(reply))
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = nextPendingConnection()) {
                connect(client, &QTcpSocket::readyRead, client, [this, client] {
                    client->readAll();
                    client->write(reply_);
                    client->disconnectFromHost();
                });
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            }
        });
    }

private:
    QByteArray reply_;
};

// The private scheduler behind the loopback address, stopped once a job exists and its
// document is about to go: the job stays without it.
class StopsBeforeDocument : public QTcpServer {
public:
    StopsBeforeDocument()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = nextPendingConnection()) {
                auto *upstream = new QLocalSocket(client);
                upstream->connectToServer(cupsDir() + QStringLiteral("/cupsd.sock"));
                upstream->waitForConnected(1000);
                connect(upstream, &QLocalSocket::readyRead, client, [=] { client->write(upstream->readAll()); });
                // The stream as it came, scanned request by request: a read may end or begin
                // anywhere inside one.
                auto stream = std::make_shared<QByteArray>();
                auto forwarded = std::make_shared<qsizetype>(0);
                connect(client, &QTcpSocket::readyRead, client, [this, client, upstream, stream, forwarded] {
                    stream->append(client->readAll());
                    qsizetype safe = stream->size();  // all but a header still coming
                    for (qsizetype at = stream->indexOf("POST /printers/", *forwarded); at >= 0;
                         at = stream->indexOf("POST /printers/", at + 1)) {
                        const qsizetype end = stream->indexOf("\r\n\r\n", at);
                        if (end < 0) {
                            safe = at;
                            break;
                        }
                        // Send-Document: posted to the queue like Create-Job, but in chunks.
                        if (!stream->mid(at, end - at).contains("Content-Length:")) {
                            scheduler("stop");
                            close();
                            for (QTcpSocket *open : findChildren<QTcpSocket *>())
                                open->abort();
                            return;
                        }
                    }
                    // A read may also end inside "POST /printers/" itself: the start of the
                    // word waits for the rest, or the scan from `forwarded` would miss it.
                    static constexpr QByteArrayView marker = "POST /printers/";
                    for (qsizetype keep = std::min<qsizetype>(marker.size() - 1, safe - *forwarded); keep > 0; --keep)
                        if (stream->sliced(safe - keep, keep) == marker.first(keep)) {
                            safe -= keep;
                            break;
                        }
                    upstream->write(stream->mid(*forwarded, safe - *forwarded));
                    *forwarded = safe;
                });
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            }
        });
    }
};

QByteArray addressOf(const QTcpServer &server) { return "127.0.0.1:" + QByteArray::number(server.serverPort()); }

void signalScheduler(int signal)
{
    QFile pidFile(cupsDir() + QStringLiteral("/cupsd.pid"));
    QVERIFY(pidFile.open(QIODevice::ReadOnly));
    QVERIFY(::kill(pid_t(pidFile.readAll().trimmed().toInt()), signal) == 0);
}

void admin(const QString &program, const QStringList &arguments) { runTool(program, arguments); }

enum class Fault {
    QueueRefuses,
    SchedulerGone,
    SchedulerFrozen,
    GoneAfterProblemPage,
    GoneBeforeDocument,
    FrozenAfterProblemPage,
    QueuePaused,
    QueueRemoved,
    PrinterAborts,
    NoService,
    UnknownHost,
    ServerSpeaksGarbage,
    ServerFails,
    NoPrinter,
};

// Where the window asks for the print service while a fault that redirects it lasts.
struct Redirect {
    QByteArray server;
    std::unique_ptr<QTcpServer> listener;
};

Redirect cause(Fault fault)
{
    const QString queue = QStringLiteral("kolvara-pdf");
    Redirect redirect;
    switch (fault) {
    case Fault::QueueRefuses:
        // A job of an earlier row still at work would put its own word in place of the reason.
        for (QElapsedTimer waited = [] { QElapsedTimer t; t.start(); return t; }();;) {
            const QList<Job> jobs = schedulerJobs();
            if (std::none_of(jobs.begin(), jobs.end(), [](const Job &j) { return j.state == QLatin1String("processing"); }) ||
                waited.elapsed() > 20000)
                break;
            QTest::qWait(100);
        }
        admin(QStringLiteral("cupsreject"), {QStringLiteral("-r"), QStringLiteral("toner empty"), queue});
        break;
    case Fault::SchedulerGone:
    case Fault::GoneAfterProblemPage:
        scheduler("stop");
        break;
    case Fault::SchedulerFrozen:
    case Fault::FrozenAfterProblemPage:
        signalScheduler(SIGSTOP);
        break;
    case Fault::QueuePaused:
        admin(QStringLiteral("cupsdisable"), {queue});
        break;
    case Fault::QueueRemoved:
    case Fault::NoPrinter:
        admin(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
        break;
    case Fault::PrinterAborts:
        admin(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue, QStringLiteral("-v"), QStringLiteral("kolvara-fail:/"),
                                          QStringLiteral("-o"), QStringLiteral("printer-error-policy=abort-job")});
        break;
    case Fault::NoService:
        redirect.server = (cupsDir() + QStringLiteral("/no-such-socket")).toLocal8Bit();
        break;
    case Fault::UnknownHost:
        redirect.server = "kolvara-no-such-host.invalid";
        break;
    case Fault::ServerSpeaksGarbage:
    case Fault::ServerFails:
        redirect.listener = std::make_unique<NotAPrintService>(
            fault == Fault::ServerFails ? QByteArray("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n")
                                        : QByteArray("\x01\x02 nothing a print service would say\r\n\r\n"));
        redirect.server = addressOf(*redirect.listener);
        break;
    case Fault::GoneBeforeDocument:
        redirect.listener = std::make_unique<StopsBeforeDocument>();
        redirect.server = addressOf(*redirect.listener);
        break;
    }
    if (!redirect.server.isEmpty())
        qputenv("CUPS_SERVER", redirect.server);
    return redirect;
}

// The scheduler and its queue as the other printing tests expect them.
void mend(Fault fault, const QByteArray &server)
{
    qputenv("CUPS_SERVER", server);
    if (fault == Fault::SchedulerFrozen || fault == Fault::FrozenAfterProblemPage)
        signalScheduler(SIGCONT);
    if (fault == Fault::QueueRefuses)
        admin(QStringLiteral("cupsaccept"), {QStringLiteral("kolvara-pdf")});
    if (fault == Fault::QueuePaused)
        admin(QStringLiteral("cupsenable"), {QStringLiteral("kolvara-pdf")});
    if (fault == Fault::GoneBeforeDocument)
        scheduler("resume");  // with the job it had
    scheduler("start");  // the queue as it was, with its backend and policies
}

QList<int> jobIds()
{
    QList<int> ids;
    for (const Job &job : schedulerJobs())
        ids << job.id;
    return ids;
}

// Jobs other than `before` that wait for a release that never comes.
QList<int> heldJobs(const QList<int> &before)
{
    QList<int> ids;
    for (const Job &job : schedulerJobs())
        if (job.state == QLatin1String("pending-held") && !before.contains(job.id))
            ids << job.id;
    return ids;
}

// Presses "プリンタ設定" and takes what follows: the dialog, closed at once with Cancel,
// or a message. Returns the message, "dialog" when the dialog opened.
QString pressSetup(Window &w)
{
    bool opened = false;
    QTimer cancel;
    cancel.setInterval(50);
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QAbstractPrintDialog *>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->reject();
        }
    });
    cancel.start();
    const qsizetype errorsBefore = w.errors.size();
    w.click({"ButtonPrinterSetup"});
    if (opened)
        return QStringLiteral("dialog");
    return w.errors.size() > errorsBefore ? w.errors.takeLast() : QString();
}

}  // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(TFormKolvara::LostPagesChoice)

class TestPrintFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

    void faultEndsTheRunWithItsMessage_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("printedBefore");  // the window knows its printer before the fault
        QTest::addColumn<bool>("betweenPages");
        QTest::addColumn<QString>("message");  // how the error begins; empty: the run completes
        QTest::addColumn<QString>("detail");   // a part of the message or notice naming the cause
        QTest::addColumn<int>("jobs");         // jobs the run leaves with the scheduler; -1: not known
        QTest::addColumn<QString>("later");    // how a message after the run begins, if one must come
        QTest::addColumn<QString>("setup");    // how "プリンタ設定" answers: its message, or "dialog"
        // What the user does about pages lost after the run.
        QTest::addColumn<TFormKolvara::LostPagesChoice>("offer");
        const auto close = TFormKolvara::LostPagesChoice::Close;
        const QString notValid = WorksheetPrinter::printerNotValidMessage();
        const QString answerLost = WorksheetPrinter::answerPageNotPrintedMessage() + u'\n';
        const QString notRunning = WorksheetPrinter::serviceNotRunningMessage();
        const QString noAnswer = WorksheetPrinter::serviceNoAnswerMessage();
        const QString wrongAnswer = WorksheetPrinter::serviceWrongAnswerMessage();
        const QString dialog = QStringLiteral("dialog");
        const QString start = QStringLiteral("systemctl start cups");
        QTest::newRow("queue refuses jobs") << Fault::QueueRefuses << true << false << notValid
                                            << QStringLiteral("toner empty") << 0 << QString() << dialog << close;
        QTest::newRow("scheduler gone") << Fault::SchedulerGone << true << false << notRunning << start << -1
                                        << QString() << notRunning << close;
        QTest::newRow("scheduler frozen") << Fault::SchedulerFrozen << true << false << noAnswer << QString() << 0
                                          << QString() << noAnswer << close;
        QTest::newRow("gone after the problem page") << Fault::GoneAfterProblemPage << true << true
                                                     << answerLost + notRunning << start << -1 << QString()
                                                     << notRunning << close;
        QTest::newRow("gone while the document goes") << Fault::GoneBeforeDocument << true << false << notRunning
                                                      << QStringLiteral("127.0.0.1:") << 1 << QString() << notRunning << close;
        QTest::newRow("frozen after the problem page") << Fault::FrozenAfterProblemPage << true << true
                                                       << answerLost + noAnswer << QString() << 1 << QString()
                                                       << noAnswer << close;
        QTest::newRow("queue paused") << Fault::QueuePaused << true << false << QString() << QStringLiteral("一時停止")
                                      << 2 << QString() << dialog << close;
        QTest::newRow("queue removed since the last run") << Fault::QueueRemoved << true << false << notValid
                                                          << QStringLiteral("kolvara-pdf") << 0 << QString() << dialog << close;
        QTest::newRow("printer aborts every job") << Fault::PrinterAborts << true << false << QString() << QString()
                                                  << 2 << WorksheetPrinter::pagesNotPrintedMessage(true, true)
                                                  << dialog << close;
        QTest::newRow("printer aborts, the lost pages saved as PDF")
            << Fault::PrinterAborts << true << false << QString() << QString() << 2
            << WorksheetPrinter::pagesNotPrintedMessage(true, true) << dialog << TFormKolvara::LostPagesChoice::SavePdf;
        QTest::newRow("no service running") << Fault::NoService << false << false << notRunning
                                            << QStringLiteral("PDF保存") << 0 << QString() << notRunning << close;
        QTest::newRow("unknown host") << Fault::UnknownHost << false << false
                                      << WorksheetPrinter::serviceNotFoundMessage()
                                      << QStringLiteral("kolvara-no-such-host.invalid") << 0 << QString()
                                      << WorksheetPrinter::serviceNotFoundMessage() << close;
        QTest::newRow("server speaks no IPP") << Fault::ServerSpeaksGarbage << false << false << wrongAnswer
                                              << QStringLiteral("127.0.0.1:") << 0 << QString() << wrongAnswer << close;
        QTest::newRow("server answers HTTP 500") << Fault::ServerFails << false << false << wrongAnswer
                                                 << QStringLiteral("HTTP 500") << 0 << QString() << wrongAnswer << close;
        QTest::newRow("no printer at all") << Fault::NoPrinter << false << false
                                           << WorksheetPrinter::noDefaultPrinterMessage() << QString() << 0
                                           << QString() << dialog << close;
    }
    void faultEndsTheRunWithItsMessage()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, printedBefore);
        QFETCH(bool, betweenPages);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        QFETCH(int, jobs);
        QFETCH(QString, later);
        QFETCH(QString, setup);
        QFETCH(TFormKolvara::LostPagesChoice, offer);
        const QByteArray server = qgetenv("CUPS_SERVER");
        PrinterWithPause printer;
        printer.real.setAnswerBound(Bound);
        Window w(&printer);
        w.lostPagesChoice = offer;
        QTemporaryDir folder;
        const QString savedPdf = folder.filePath(QStringLiteral("lost.pdf"));
        w.form.setSaveFileNameAsker([&savedPdf](const QString &) { return savedPdf; });
        QStringList notices;
        w.form.setNoticeReporter([&notices](const QString &notice) { notices << notice; });
        if (printedBefore) {
            w.print();
            QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join(u'\n')));
        }
        printer.pages = 0;

        const QList<int> before = jobIds();
        const QStringList sheetBefore = sheetOf(w.form);
        const QList<QRect> areasBefore = problemAreas(w.form);
        Redirect redirect;
        if (betweenPages)
            printer.afterProblemPage = [fault, &redirect] { redirect = cause(fault); };
        else
            redirect = cause(fault);
        bool windowKeptGoing = false;
        // Tied to the window: a run quicker than the timer must not leave it to fire into a
        // later row, after this flag is gone.
        QTimer::singleShot(Bound / 4, &w.form, [&windowKeptGoing] { windowKeptGoing = true; });
        QElapsedTimer waited;
        waited.start();
        w.print();
        const qint64 runTook = waited.elapsed();
        waited.restart();
        const QString setupAnswer = pressSetup(w);
        const qint64 setupTook = waited.elapsed();
        // A page lost after its run is told as soon as the service knows.
        if (!later.isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(!w.errors.isEmpty(), 10000);
        mend(fault, server);

        for (const qint64 took : {runTook, setupTook})
            QVERIFY2(took < Bound.count() + 1500, qPrintable(QString::number(took)));
        QVERIFY(w.usable());
        if (message.isEmpty()) {
            QCOMPARE(w.errors.size(), later.isEmpty() ? 0 : 1);
            if (!later.isEmpty()) {
                QVERIFY2(w.errors[0].startsWith(later), qPrintable(w.errors[0]));
                QVERIFY2(w.errors[0].contains(QStringLiteral("paper jam")), qPrintable(w.errors[0]));
            }
            QCOMPARE(notices.size(), detail.isEmpty() ? 0 : 1);
            if (!detail.isEmpty())
                QVERIFY2(notices[0].contains(detail), qPrintable(notices[0]));
            QVERIFY(sheetOf(w.form) != sheetBefore);
            // The pages lost, saved as they went out, although the window shows new problems.
            if (offer == TFormKolvara::LostPagesChoice::SavePdf) {
                QCOMPARE(pdfPageCount(savedPdf), 2);
                for (const int page : {1, 2})
                    verifyPrintedProblems(savedPdf, page, printer.real.pdfLayout(), areasBefore, sheetBefore, page == 2);
            }
        } else {
            QCOMPARE(w.errors.size(), 1);
            QVERIFY2(w.errors[0].startsWith(message), qPrintable(w.errors[0]));
            QVERIFY2(w.errors[0].contains(detail), qPrintable(w.errors[0]));
            QVERIFY(notices.isEmpty());
            QCOMPARE(sheetOf(w.form), sheetBefore);
        }
        QVERIFY2(setupAnswer.startsWith(setup), qPrintable(setupAnswer));
        if (runTook > Bound.count() / 2)
            QVERIFY(windowKeptGoing);
        if (jobs >= 0) {
            QList<int> added = jobIds();
            for (int id : before)
                added.removeAll(id);
            QCOMPARE(added.size(), jobs);
        }
        // A job given up on is cancelled once the scheduler is back, not left held: also one
        // a frozen scheduler makes only then, from the request it took before.
        QTRY_VERIFY_WITH_TIMEOUT(heldJobs(before).isEmpty(), 10000);
    }
};

QTEST_MAIN(TestPrintFaults)
#include "tst_print_faults.moc"
