// The print run of the window: its steps against a recording print service, and whole
// runs through a private CUPS scheduler whose printer keeps every document as a PDF.
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QGroupBox>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

#include "japanese_fonts.h"
#include "print_titles.h"

#include "../print_system.h"
#include "../window_fixture.h"

namespace {

const QString ProblemTitle = QStringLiteral("Kolvara") + QString::fromUtf8(problemPageSuffix);
const QString AnswerTitle = QStringLiteral("Kolvara") + QString::fromUtf8(answerPageSuffix);

// One problem as the sheet shows it: "upper sign lower = answer-or-blank".
QString describe(const TTessolin *p)
{
    const int a = p->ValueLine1_100() * 100 + p->ValueLine1_10() * 10 + p->ValueLine1_1();
    const int b = p->ValueLine2_100() * 100 + p->ValueLine2_10() * 10 + p->ValueLine2_1();
    return QStringLiteral("%1%2%3=%4").arg(a).arg(p->Sign()).arg(b).arg(p->ShowAnswer() ? QStringLiteral("shown") : QString());
}

QStringList sheetOf(const TFormKolvara &form)
{
    QStringList out;
    for (int c = 1; const TTessolin *p = form.problemControl(c); ++c)
        out << describe(p);
    return out;
}

QList<QRect> problemAreas(const TFormKolvara &form)
{
    QList<QRect> areas;
    for (int c = 1; const TTessolin *p = form.problemControl(c); ++c)
        areas << p->geometry();
    return areas;
}

// Page `page` of `pdf` shows the problems `screen` (additions) at `areas`, with their sums
// only when `answers`.
void verifyPrintedProblems(const QString &pdf, int page, const QPageLayout &layout, QSize windowSize,
                           const QList<QRect> &areas, const QStringList &screen, bool answers)
{
    const QList<PrintedChar> chars = printedChars(pdf, page, layout, windowSize);
    for (int i = 0; i < areas.size(); ++i) {
        const QStringList printed = printedProblem(chars, areas[i]);
        const QStringList parts = screen[i].split(QRegularExpression(QStringLiteral("[+=]")));
        QCOMPARE(printed[0], parts[0]);
        QCOMPARE(printed[1], parts[1]);
        QCOMPARE(printed[2], answers ? QString::number(parts[0].toInt() + parts[1].toInt()) : QString());
    }
}

// Records what a print run asks of the print system, and can fail a chosen step.
struct RecordingPrinter : PrintService {
    QStringList calls;
    QList<QStringList> printedSheets;
    QList<bool> panelVisibleWhilePrinting;
    QString failAt, failure = QStringLiteral("failure");
    std::function<void(TFormKolvara &)> whilePrinting;

    QString prepareLandscape() override
    {
        calls << QStringLiteral("landscape");
        return failAt == calls.last() ? failure : QString();
    }
    QString printWindow(QWidget &window, const QString &title) override
    {
        calls << title;
        auto &form = static_cast<TFormKolvara &>(window);
        printedSheets << sheetOf(form);
        if (whilePrinting)
            whilePrinting(form);
        panelVisibleWhilePrinting << (form.ui().GroupBoxStart->isVisible() || form.ui().ButtonPrintOut->isVisible() ||
                                      form.ui().ButtonKoushin->isVisible() || form.ui().ButtonShokiSettei->isVisible());
        return failAt == title ? failure : QString();
    }
    QString setup(QWidget *) override
    {
        calls << QStringLiteral("setup");
        return failAt == calls.last() ? failure : QString();
    }
};

}  // namespace

class TestPrintRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

    // ---- steps, against a recording print service ----

    void printsProblemPageThenAnswerPage()
    {
        RecordingPrinter printer;
        Window w(&printer);
        w.click({"ButtonGroupBoxStartClose"});
        const QStringList before = sheetOf(w.form);
        w.print();
        QCOMPARE(printer.calls, (QStringList{QStringLiteral("landscape"), ProblemTitle, AnswerTitle}));
        QCOMPARE(printer.printedSheets.size(), 2);
        QCOMPARE(printer.printedSheets[0], before);
        QCOMPARE(printer.printedSheets[1].size(), before.size());
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(printer.printedSheets[1][i], before[i] + QStringLiteral("shown"));
        QCOMPARE(printer.panelVisibleWhilePrinting, (QList<bool>{false, false}));
        QVERIFY(sheetOf(w.form) != before);  // a new sheet follows
        QVERIFY(w.usable());                 // with the panel open, even though it was closed
        QVERIFY(w.errors.isEmpty());
    }

    void printsOnePageWithoutAnswers()
    {
        RecordingPrinter printer;
        Window w(&printer);
        w.click({"CheckBoxPrintAnswer"});
        w.print();
        QCOMPARE(printer.calls, (QStringList{QStringLiteral("landscape"), ProblemTitle}));
        QVERIFY(w.usable());
    }

    void errorsLeaveTheWindowUsable_data()
    {
        QTest::addColumn<QString>("failAt");
        QTest::addColumn<int>("pages");
        QTest::newRow("orientation") << QStringLiteral("landscape") << 0;
        QTest::newRow("problem page") << ProblemTitle << 1;
        QTest::newRow("answer page") << AnswerTitle << 2;
    }
    void errorsLeaveTheWindowUsable()
    {
        QFETCH(QString, failAt);
        QFETCH(int, pages);
        RecordingPrinter printer;
        printer.failAt = failAt;
        Window w(&printer);
        const QStringList before = sheetOf(w.form);
        w.print();
        QCOMPARE(printer.printedSheets.size(), pages);
        QCOMPARE(w.errors, QStringList{printer.failure});
        QCOMPARE(sheetOf(w.form), before);  // the same problems, without answers
        QVERIFY(w.usable());
    }

    void neverPrintsASignTheProblemsWereNotDrawnFor()
    {
        RecordingPrinter printer;
        Window w(&printer);
        w.click({"RadioGroupWaSaItem1"});  // "－" without a refresh
        w.print();
        QCOMPARE(printer.printedSheets.size(), 2);
        for (const QString &problem : printer.printedSheets[1]) {
            const auto parts = problem.split(QRegularExpression(QStringLiteral("[-=]")));
            QVERIFY2(parts.size() >= 2 && parts[0].toInt() >= parts[1].toInt(), qPrintable(problem));
        }
        QVERIFY(w.form.table().filledForSubtraction());
    }

    void neverPrintsColumnsTheLastFillDidNotWrite()
    {
        RecordingPrinter printer;
        Window w(&printer);
        for (const char *name : {"RadioButton1_100Zero", "RadioButton1_10Zero", "RadioButton2_100Zero", "RadioButton2_10Zero"})
            w.click({name});
        w.print();  // 5 a row on screen, 7 a row now
        QCOMPARE(printer.printedSheets[0].size(), 28);
        QCOMPARE(printer.printedSheets[1].size(), 28);
    }

    void answerPageShowsTheProblemPagesProblems()
    {
        RecordingPrinter printer;
        // A double click on the sheet and the refresh button arrive while the first page is sent.
        printer.whilePrinting = [](TFormKolvara &form) {
            if (form.answerPass() == 0) {
                QTest::mouseDClick(&form, Qt::LeftButton, {}, QPoint(600, 712));
                form.ui().ButtonKoushin->click();
            }
        };
        Window w(&printer);
        w.print();
        QCOMPARE(printer.printedSheets.size(), 2);
        for (int i = 0; i < printer.printedSheets[0].size(); ++i)
            QCOMPARE(printer.printedSheets[1][i], printer.printedSheets[0][i] + QStringLiteral("shown"));
    }

    void printerSetupErrorIsShown()
    {
        RecordingPrinter printer;
        printer.failAt = QStringLiteral("setup");
        Window w(&printer);
        w.click({"ButtonPrinterSetup"});
        QCOMPARE(w.errors, QStringList{printer.failure});
    }

    // ---- whole runs through the private scheduler ----

    void cupsPrintsTwoLandscapePagesWithTheSameProblems()
    {
        Window w;
        const int jobsBefore = int(schedulerJobs().size());
        const QStringList screen = sheetOf(w.form);
        const QList<QRect> areas = problemAreas(w.form);
        w.print();
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join(u'\n')));

        const QList<Job> jobs = schedulerJobs().mid(jobsBefore);
        QCOMPARE(jobs.size(), 2);
        QCOMPARE(jobs[0].name, ProblemTitle);
        QCOMPARE(jobs[1].name, AnswerTitle);
        QPrinter *printer = static_cast<WorksheetPrinter &>(w.form.printService()).printer();
        QVERIFY(printer);
        for (int page = 0; page < 2; ++page) {
            const QString pdf = keptPdf(jobs[page].id);
            const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
            QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
            const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
            QVERIFY(size.hasMatch() && size.captured(1).toDouble() > size.captured(2).toDouble());

            const QString text = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).remove(u' ');
            for (const char *present : {"計算しましょう。", "なまえ", "Kolvara", "すべて,すべて,すべて"})
                QVERIFY2(text.contains(QString::fromUtf8(present)), present);
            for (const char *absent : {"印刷", "更新", "初期設定", "符号"})
                QVERIFY2(!text.contains(QString::fromUtf8(absent)), absent);

            verifyPrintedProblems(pdf, 1, printer->pageLayout(), w.form.size(), areas, screen, page == 1);
            QVERIFY(!QTest::currentTestFailed());
        }
        QVERIFY(sheetOf(w.form) != screen);
        QVERIFY(w.usable());
    }

    void cupsPrintsOneJobWithoutAnswers()
    {
        Window w;
        w.click({"CheckBoxPrintAnswer"});
        const int jobsBefore = int(schedulerJobs().size());
        w.print();
        const QList<Job> jobs = schedulerJobs().mid(jobsBefore);
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs[0].name, ProblemTitle);
    }

    // A printer that writes a file: both pages in that one file, not the answer page alone.
    void printToFileKeepsBothPages()
    {
        Window w;
        QVERIFY(w.form.printService().prepareLandscape().isEmpty());
        QPrinter *printer = static_cast<WorksheetPrinter &>(w.form.printService()).printer();
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("run.pdf"));
        printer->setOutputFileName(file);
        const int jobsBefore = int(schedulerJobs().size());
        const QStringList screen = sheetOf(w.form);
        const QList<QRect> areas = problemAreas(w.form);
        w.print();
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join(u'\n')));
        QCOMPARE(pdfPageCount(file), 2);
        for (int page = 1; page <= 2; ++page)
            verifyPrintedProblems(file, page, printer->pageLayout(), w.form.size(), areas, screen, page == 2);
        QCOMPARE(schedulerJobs().size(), jobsBefore);
        QVERIFY(w.usable());
    }

    void printerThatCannotBeOpened()
    {
        Window w;
        w.print();
        QPrinter *printer = static_cast<WorksheetPrinter &>(w.form.printService()).printer();
        QVERIFY(printer);
        printer->setOutputFileName(QStringLiteral("/nonexistent-folder/sheet.pdf"));
        const QStringList before = sheetOf(w.form);
        w.print();
        QCOMPARE(w.errors, QStringList{WorksheetPrinter::printerNotValidMessage()});
        QCOMPARE(sheetOf(w.form), before);
        QVERIFY(w.usable());
    }

    // "PDF保存" with no printer at all: A4, the problems on screen, which stay there.
    void savePdf_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::newRow("with answers") << true;
        QTest::newRow("problems only") << false;
    }
    void savePdf()
    {
        QFETCH(bool, answers);
        Window w;
        w.form.ui().CheckBoxPrintAnswer->setChecked(answers);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("sheet.pdf"));
        QString suggested;
        w.form.setSaveFileNameAsker([&](const QString &path) {
            suggested = path;
            return file;
        });
        w.click({"ButtonGroupBoxStartClose"});
        const QStringList screen = sheetOf(w.form);
        const QList<QRect> areas = problemAreas(w.form);
        w.click({"ButtonSavePdf"});
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join(u'\n')));
        QVERIFY(suggested.endsWith(QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".pdf")));
        QCOMPARE(pdfPageCount(file), answers ? 2 : 1);
        const QString info = runTool(QStringLiteral("pdfinfo"), {file});
        QVERIFY2(info.contains(QStringLiteral("842 x 595 pts (A4)")), qPrintable(info));
        const QPageLayout a4 = landscapeLayout(QPageSize(QPageSize::A4));
        for (int page = 1; page <= (answers ? 2 : 1); ++page)
            verifyPrintedProblems(file, page, a4, w.form.size(), areas, screen, page == 2);
        QCOMPARE(sheetOf(w.form), screen);
        QVERIFY(w.usable());
    }

    void savePdfThatCannotBeWritten()
    {
        Window w;
        QTemporaryDir folder;
        const QString missing = folder.filePath(QStringLiteral("no-such-folder/sheet.pdf"));
        QString answer;
        w.form.setSaveFileNameAsker([&](const QString &) { return answer; });
        const QStringList screen = sheetOf(w.form);
        w.click({"ButtonSavePdf"});  // cancelled
        answer = missing;
        w.click({"ButtonSavePdf"});
        QCOMPARE(w.errors.size(), 1);
        QVERIFY2(w.errors[0].contains(QStringLiteral("保存できません")), qPrintable(w.errors[0]));
        QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(sheetOf(w.form), screen);
        QVERIFY(w.usable());
    }

    void noDefaultPrinter()
    {
        Window w;
        const QStringList before = sheetOf(w.form);
        w.print();
        QCOMPARE(w.errors, QStringList{WorksheetPrinter::noDefaultPrinterMessage()});
        QCOMPARE(sheetOf(w.form), before);
        QVERIFY(w.usable());
    }
};

QTEST_MAIN(TestPrintRun)
#include "tst_print_run.moc"
