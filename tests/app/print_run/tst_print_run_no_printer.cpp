// The window where the system has no printer at all: printing says so, and a PDF of the
// sheet can still be saved.
#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "japanese_fonts.h"

#include "../print_system.h"
#include "../window_fixture.h"
#include "print_run_pages.h"

class TestPrintRunNoPrinter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

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
        FormControls(w.form).CheckBoxPrintAnswer->setChecked(answers);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("sheet.pdf"));
        QString suggested;
        w.form.setSaveFileNameAsker([&](const QString &path) {
            suggested = path;
            return file;
        });
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
            verifyPrintedProblems(file, page, a4, areas, screen, page == 2);
        QCOMPARE(sheetOf(w.form), screen);
        QVERIFY(w.usable());
    }

    // The page is laid out for the paper: a small or a maximised window saves the very page
    // the window saves at its stored size.
    void savedPageIgnoresWindowSize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("700 x 500") << QSize(700, 500);
        QTest::newRow("1270 x 960") << QSize(1270, 960);
    }
    void savedPageIgnoresWindowSize()
    {
        QFETCH(QSize, size);
        QTemporaryDir folder;
        const auto save = [&folder](const QSize &windowSize, const QString &name) {
            Window w;
            w.form.resize(windowSize);
            w.now = 5000;
            w.click({"ButtonKoushin"});
            const QString file = folder.filePath(name);
            w.form.setSaveFileNameAsker([file](const QString &) { return file; });
            w.click({"ButtonSavePdf"});
            return file;
        };
        const QString stored = save(QSize(1020, 727), QStringLiteral("stored.pdf"));
        const QString other = save(size, QStringLiteral("other.pdf"));
        for (int page = 1; page <= 2; ++page) {
            const QList<TextBox> expected = pdfWords(stored, page), words = pdfWords(other, page);
            QCOMPARE(words.size(), expected.size());
            QCOMPARE(words.size() > 40, true);  // 20 problems and the labels
            for (int i = 0; i < words.size(); ++i) {
                QCOMPARE(words[i].text, expected[i].text);
                QCOMPARE(words[i].box, expected[i].box);
            }
        }
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

QTEST_MAIN(TestPrintRunNoPrinter)
#include "tst_print_run_no_printer.moc"
