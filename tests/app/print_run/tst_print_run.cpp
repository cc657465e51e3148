// The print run of the window, step by step, against a print service that records what
// it is asked.
#include <QCheckBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

#include "japanese_fonts.h"

#include "../print_system.h"
#include "../window_fixture.h"
#include "print_run_pages.h"

namespace {

struct RecordingPrinter : PrintService {
    QStringList calls;
    QList<QStringList> printedSheets;
    QList<bool> panelVisibleWhilePrinting;
    QList<int> printedPerRow;
    QString failAt, failure = QStringLiteral("failure");
    TFormKolvara *form = nullptr;  // the window printing, for whilePrinting and the panel
    std::function<void(TFormKolvara &)> whilePrinting;
    QPromise<QString> *later = nullptr;  // when set, the problem page's answer, given by the test

    QFuture<QString> prepareLandscape() override
    {
        calls << QStringLiteral("landscape");
        return QtFuture::makeReadyFuture(failAt == calls.last() ? failure : QString());
    }
    QFuture<QString> printSheet(const kolvara::Sheet &sheet, const QString &title) override
    {
        calls << title;
        printedSheets << describe(sheet);
        printedPerRow << sheet.problemsPerRow;
        if (form) {
            if (whilePrinting)
                whilePrinting(*form);
            const FormControls ui(*form);
            panelVisibleWhilePrinting << (ui.GroupBoxStart->isVisible() || ui.ButtonPrintOut->isVisible() ||
                                          ui.ButtonKoushin->isVisible() || ui.ButtonShokiSettei->isVisible());
        }
        if (later && title == ProblemTitle)
            return later->future();
        return QtFuture::makeReadyFuture(failAt == title ? failure : QString());
    }
    QFuture<QString> setup(QWidget *) override
    {
        calls << QStringLiteral("setup");
        return QtFuture::makeReadyFuture(failAt == calls.last() ? failure : QString());
    }
};
}  // namespace

class TestPrintRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

    void printsProblemPageThenAnswerPage()
    {
        RecordingPrinter printer;
        Window w(&printer);
        printer.form = &w.form;
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

    // Rows of 5 need a hundreds place somewhere, rows of 7 have none. Changing that without
    // a refresh must neither print a row cut short at the other pitch nor, after an error,
    // leave the sheet laid out for settings it was not drawn for.
    void pageFollowsTheRowSizeOfTheSettings_data()
    {
        QTest::addColumn<bool>("startWithSeven");
        QTest::addColumn<QString>("failAt");
        QTest::addColumn<int>("printedPerRow");
        QTest::newRow("5 to 7 a row") << false << QString() << 7;
        QTest::newRow("7 to 5 a row") << true << QString() << 5;
        QTest::newRow("5 to 7, no printer") << false << QStringLiteral("landscape") << 0;
        QTest::newRow("7 to 5, answer page fails") << true << AnswerTitle << 5;
    }
    void pageFollowsTheRowSizeOfTheSettings()
    {
        QFETCH(bool, startWithSeven);
        QFETCH(QString, failAt);
        QFETCH(int, printedPerRow);
        const std::initializer_list<const char *> noHundredsNorTens = {"RadioButton1_100Zero", "RadioButton1_10Zero",
                                                                       "RadioButton2_100Zero", "RadioButton2_10Zero"};
        RecordingPrinter printer;
        printer.failAt = failAt;
        Window w(&printer);
        if (startWithSeven) {
            w.click(noHundredsNorTens);
            w.click({"ButtonKoushin"});
            w.click({"RadioButton1_100All"});
        } else {
            w.click(noHundredsNorTens);
        }
        const QStringList sheetBefore = sheetOf(w.form);
        const QList<QRect> areasBefore = problemAreas(w.form);
        w.print();

        for (int i = 0; i < printer.printedSheets.size(); ++i) {
            QCOMPARE(printer.printedPerRow[i], printedPerRow);
            QCOMPARE(printer.printedSheets[i].size(), 4 * printedPerRow);
        }
        if (failAt.isEmpty())
            return;
        QCOMPARE(w.errors, QStringList{printer.failure});
        if (printer.printedSheets.isEmpty()) {  // nothing refreshed: the sheet stays as it was laid out
            QCOMPARE(sheetOf(w.form), sheetBefore);
            QCOMPARE(problemAreas(w.form), areasBefore);
        } else {  // refreshed for the run: its sheet, as the problem page showed it
            QCOMPARE(sheetOf(w.form).size(), 4 * printedPerRow);
            QCOMPARE(problemAreas(w.form)[1].left() - problemAreas(w.form)[0].left(),
                     (w.form.outerWidth() - 32) / printedPerRow);
        }
        QVERIFY(w.usable());
    }

    void answerPageShowsTheProblemPagesProblems()
    {
        RecordingPrinter printer;
        // A double click on the sheet and the refresh button arrive while the first page is sent.
        printer.whilePrinting = [](TFormKolvara &form) {
            if (form.answerPass() == 0) {
                QTest::mouseDClick(&form, Qt::LeftButton, {}, QPoint(600, 712));
                FormControls(form).ButtonKoushin->click();
            }
        };
        Window w(&printer);
        printer.form = &w.form;
        w.print();
        QCOMPARE(printer.printedSheets.size(), 2);
        for (int i = 0; i < printer.printedSheets[0].size(); ++i)
            QCOMPARE(printer.printedSheets[1][i], printer.printedSheets[0][i] + QStringLiteral("shown"));
    }

    // Closed while a page is with the print service: the window waits for the run, then
    // closes by itself.
    void closeWaitsForTheRun()
    {
        RecordingPrinter printer;
        QPromise<QString> problemPage;
        problemPage.start();
        printer.later = &problemPage;
        Window w(&printer);
        QTest::mouseClick(FormControls(w.form).ButtonPrintOut, Qt::LeftButton);
        QVERIFY(w.form.printServiceBusy());
        QVERIFY(!w.form.close());
        QVERIFY(w.form.isVisible());
        problemPage.addResult(QString());
        problemPage.finish();
        QTRY_VERIFY(!w.form.isVisible());
        QCOMPARE(printer.calls, (QStringList{QStringLiteral("landscape"), ProblemTitle, AnswerTitle}));
        QVERIFY(w.errors.isEmpty());
    }

    void printerSetupErrorIsShown()
    {
        RecordingPrinter printer;
        printer.failAt = QStringLiteral("setup");
        Window w(&printer);
        w.click({"ButtonPrinterSetup"});
        QCOMPARE(w.errors, QStringList{printer.failure});
    }
};

QTEST_MAIN(TestPrintRun)
#include "tst_print_run.moc"
