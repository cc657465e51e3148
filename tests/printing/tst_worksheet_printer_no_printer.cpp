// The printer object where the print service answers but has no printer at all.
#include <QAbstractPrintDialog>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "worksheet_printer.h"

#include "../app/print_system.h"

class TestNoPrinter : public QObject {
    Q_OBJECT

private slots:
    void printsOnlyIntoAFileChosenInTheSetup();
};

namespace {
const QString kNoDefaultPrinter = QStringLiteral("デフォルト プリンタが存在しません");
const QString kCaption = QStringLiteral("Kolvara");
const QString kWithoutAnswers = QStringLiteral("解答値なし");
}  // namespace

// Printing says there is no printer; the set-up dialog still opens, and its one choice,
// a PDF file, is what printing then writes into.
void TestNoPrinter::printsOnlyIntoAFileChosenInTheSetup()
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("sheet.pdf"));
    WorksheetPrinter printer;
    QCOMPARE(answerOf(printer.prepareLandscape()), kNoDefaultPrinter);
    QCOMPARE(answerOf(printer.printSheet(kolvara::Sheet{}, kCaption + kWithoutAnswers)), kNoDefaultPrinter);
    QVERIFY(!printer.printer());

    QStringList offered;
    for (const bool accept : {false, true}) {
        QTimer driver;
        driver.setInterval(50);
        connect(&driver, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QAbstractPrintDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            driver.stop();
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            offered.clear();
            for (int i = 0; i < printers->count(); ++i)
                offered << printers->itemText(i);
            dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(file);
            accept ? dialog->accept() : dialog->reject();
        });
        driver.start();
        QCOMPARE(answerOf(printer.setup(nullptr)), QString());
        QCOMPARE(offered.size(), 1);  // no queue, only the file
        QCOMPARE(printer.printer() != nullptr, accept);
    }

    QCOMPARE(answerOf(printer.prepareLandscape()), QString());
    QCOMPARE(answerOf(printer.printSheet(kolvara::Sheet{}, kCaption + kWithoutAnswers)), QString());
    QCOMPARE(printer.finishRun(), QString());
    QCOMPARE(pdfPageCount(file), 1);
}

QTEST_MAIN(TestNoPrinter)
#include "tst_worksheet_printer_no_printer.moc"
