// The printer object where the system has no printer at all.
#include <QApplication>
#include <QLabel>
#include <QPrinterInfo>
#include <QTimer>
#include <QtTest>

#include "worksheet_printer.h"

class TestNoPrinter : public QObject {
    Q_OBJECT

private slots:
    void reportsMissingDefaultPrinter();
};

namespace {
const QString kNoDefaultPrinter = QStringLiteral("デフォルト プリンタが存在しません");
const QString kHeading = QStringLiteral("計算しましょう。");
const QString kCaption = QStringLiteral("Kolvara");
const QString kWithoutAnswers = QStringLiteral("解答値なし");
}  // namespace

void TestNoPrinter::reportsMissingDefaultPrinter()
{
    QVERIFY(QPrinterInfo::defaultPrinter().isNull());

    // A dialog must not open; should one, it is closed so the test ends.
    bool sawDialog = false;
    QTimer guard;
    guard.setInterval(50);
    connect(&guard, &QTimer::timeout, this, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            sawDialog = true;
            modal->close();
        }
    });
    guard.start();

    WorksheetPrinter printer;
    QCOMPARE(printer.prepareLandscape(), kNoDefaultPrinter);
    QCOMPARE(printer.setup(nullptr), kNoDefaultPrinter);
    QCOMPARE(printer.printSheet(kolvara::Sheet{}, kCaption + kWithoutAnswers), kNoDefaultPrinter);
    QVERIFY(!sawDialog);
    QVERIFY(!printer.printer());
}

QTEST_MAIN(TestNoPrinter)
#include "tst_worksheet_printer_no_printer.moc"
