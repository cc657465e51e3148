// Print runs against a private scheduler that fails as a teacher's can: a queue that turns
// jobs away, a scheduler gone or frozen before or between the pages, a paused queue, a
// queue removed between two runs. Each run ends with the message the user needs and the
// window usable, and never freezes it beyond the bound.
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <functional>

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

    QString prepareLandscape() override { return real.prepareLandscape(); }
    QString printSheet(const kolvara::Sheet &sheet, const QString &title) override
    {
        const QString error = real.printSheet(sheet, title);
        if (++pages == 1 && afterProblemPage)
            afterProblemPage();
        return error;
    }
    QString finishRun() override { return real.finishRun(); }
    QString runNotice() override { return real.runNotice(); }
    QString setup(QWidget *parent) override { return real.setup(parent); }
};

void scheduler(const char *command) { runTool(qEnvironmentVariable("KOLVARA_CUPS_SCRIPT"), {QLatin1String(command), cupsDir()}); }

void signalScheduler(int signal)
{
    QFile pidFile(cupsDir() + QStringLiteral("/cupsd.pid"));
    QVERIFY(pidFile.open(QIODevice::ReadOnly));
    QVERIFY(::kill(pid_t(pidFile.readAll().trimmed().toInt()), signal) == 0);
}

void admin(const QString &program, const QStringList &arguments) { runTool(program, arguments); }

enum class Fault { QueueRefuses, SchedulerGone, SchedulerFrozen, GoneAfterProblemPage, FrozenAfterProblemPage, QueuePaused, QueueRemoved };

void cause(Fault fault)
{
    switch (fault) {
    case Fault::QueueRefuses:
        admin(QStringLiteral("cupsreject"), {QStringLiteral("-r"), QStringLiteral("toner empty"), QStringLiteral("kolvara-pdf")});
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
        admin(QStringLiteral("cupsdisable"), {QStringLiteral("kolvara-pdf")});
        break;
    case Fault::QueueRemoved:
        admin(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("kolvara-pdf")});
        break;
    }
}

// The scheduler and its queue as the other printing tests expect them.
void mend(Fault fault)
{
    if (fault == Fault::SchedulerFrozen || fault == Fault::FrozenAfterProblemPage)
        signalScheduler(SIGCONT);
    if (fault == Fault::QueueRefuses)
        admin(QStringLiteral("cupsaccept"), {QStringLiteral("kolvara-pdf")});
    if (fault == Fault::QueuePaused)
        admin(QStringLiteral("cupsenable"), {QStringLiteral("kolvara-pdf")});
    scheduler("start");
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

class TestPrintFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

    void faultEndsTheRunWithItsMessage_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("betweenPages");
        QTest::addColumn<QString>("message");  // how the error begins; empty: the run completes
        QTest::addColumn<QString>("detail");   // a part of the message or notice naming the cause
        QTest::addColumn<int>("jobs");
        const QString notValid = WorksheetPrinter::printerNotValidMessage();
        const QString answerLost = WorksheetPrinter::answerPageNotPrintedMessage() + u'\n';
        QTest::newRow("queue refuses jobs") << Fault::QueueRefuses << false << notValid << QStringLiteral("toner empty") << 0;
        QTest::newRow("scheduler gone") << Fault::SchedulerGone << false
                                        << WorksheetPrinter::serviceUnreachableMessage() << QString() << 0;
        QTest::newRow("scheduler frozen") << Fault::SchedulerFrozen << false
                                          << WorksheetPrinter::serviceNoAnswerMessage() << QString() << 0;
        QTest::newRow("gone after the problem page") << Fault::GoneAfterProblemPage << true
                                                     << answerLost + WorksheetPrinter::serviceUnreachableMessage()
                                                     << QString() << 1;
        QTest::newRow("frozen after the problem page") << Fault::FrozenAfterProblemPage << true
                                                       << answerLost + WorksheetPrinter::serviceNoAnswerMessage()
                                                       << QString() << 1;
        QTest::newRow("queue paused") << Fault::QueuePaused << false << QString() << QStringLiteral("一時停止") << 2;
        QTest::newRow("queue removed since the last run") << Fault::QueueRemoved << false << notValid
                                                          << QStringLiteral("kolvara-pdf") << 0;
    }
    void faultEndsTheRunWithItsMessage()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, betweenPages);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        QFETCH(int, jobs);
        PrinterWithPause printer;
        printer.real.setAnswerBound(Bound);
        Window w(&printer);
        QStringList notices;
        w.form.setNoticeReporter([&notices](const QString &notice) { notices << notice; });
        w.print();  // the printer is known before it goes wrong
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join(u'\n')));
        printer.pages = 0;

        const auto sent = [] {
            QList<int> ids;
            for (const Job &job : schedulerJobs())
                ids << job.id;
            return ids;
        };
        const QList<int> before = sent();
        const QStringList sheetBefore = sheetOf(w.form);
        if (betweenPages)
            printer.afterProblemPage = [fault] { cause(fault); };
        else
            cause(fault);
        bool windowKeptGoing = false;
        // Tied to the window: a run quicker than the timer must not leave it to fire into a
        // later row, after this flag is gone.
        QTimer::singleShot(Bound / 4, &w.form, [&windowKeptGoing] { windowKeptGoing = true; });
        QElapsedTimer run;
        run.start();
        w.print();
        const qint64 took = run.elapsed();
        mend(fault);

        QVERIFY2(took < Bound.count() + 1500, qPrintable(QString::number(took)));
        QVERIFY(w.usable());
        if (message.isEmpty()) {
            QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join(u'\n')));
            QCOMPARE(notices.size(), 1);
            QVERIFY2(notices[0].contains(detail), qPrintable(notices[0]));
            QVERIFY(sheetOf(w.form) != sheetBefore);
        } else {
            QCOMPARE(w.errors.size(), 1);
            QVERIFY2(w.errors[0].startsWith(message), qPrintable(w.errors[0]));
            QVERIFY2(w.errors[0].contains(detail), qPrintable(w.errors[0]));
            QVERIFY(notices.isEmpty());
            QCOMPARE(sheetOf(w.form), sheetBefore);
        }
        if (took > Bound.count() / 2)
            QVERIFY(windowKeptGoing);
        if (fault != Fault::SchedulerGone && fault != Fault::GoneAfterProblemPage) {
            QList<int> added = sent();
            for (int id : before)
                added.removeAll(id);
            QCOMPARE(added.size(), jobs);
        }
    }

    void setupAgainstAFrozenSchedulerIsBounded()
    {
        WorksheetPrinter printer;
        printer.setAnswerBound(Bound);
        QCOMPARE(printer.prepareLandscape(), QString());
        signalScheduler(SIGSTOP);
        QElapsedTimer waited;
        waited.start();
        const QString error = printer.setup(nullptr);
        const qint64 took = waited.elapsed();
        signalScheduler(SIGCONT);
        QVERIFY2(error.startsWith(WorksheetPrinter::serviceNoAnswerMessage()), qPrintable(error));
        QVERIFY2(took < Bound.count() + 1500, qPrintable(QString::number(took)));
    }
};

QTEST_MAIN(TestPrintFaults)
#include "tst_print_faults.moc"
