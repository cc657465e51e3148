// Whole print runs through a private CUPS scheduler whose printer keeps every document
// as a PDF.
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include "japanese_fonts.h"

#include "../print_system.h"
#include "../window_fixture.h"
#include "print_run_pages.h"

class TestPrintRunCups : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

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

            verifyPrintedProblems(pdf, 1, printer->pageLayout(), areas, screen, page == 1);
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
        QVERIFY(answerOf(w.form.printService().prepareLandscape()).isEmpty());
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
            verifyPrintedProblems(file, page, printer->pageLayout(), areas, screen, page == 2);
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
};

QTEST_MAIN(TestPrintRunCups)
#include "tst_print_run_cups.moc"
