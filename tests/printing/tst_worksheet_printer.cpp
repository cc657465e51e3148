// The printer object against a private scheduler with one printer: one landscape page a
// job, placed on the printer's paper, and the set-up dialog.
#include "worksheet_printer.h"

#include "../app/print_system.h"

#include <QAbstractPrintDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <functional>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

namespace {

const QString kCaption = QStringLiteral("Kolvara");
const QString kWithoutAnswers = QStringLiteral("解答値なし");
const QString kWithAnswers = QStringLiteral("解答値あり");
const QString kHeading = QStringLiteral("計算しましょう。");
const QString kStatusText = QStringLiteral("足される数");
const QString kHiddenButton = QStringLiteral("プリンタ設定(&U)");

// The attributes of job `id` as the scheduler keeps them, "name=value" each.
QStringList jobAttributes(int id)
{
    return runTool(qEnvironmentVariable("KOLVARA_CUPS_SCRIPT"), {QStringLiteral("job"), cupsDir(), QString::number(id)})
        .split(u'\n', Qt::SkipEmptyParts);
}

Job findJob(int id)
{
    for (const Job &job : schedulerJobs()) {
        if (job.id == id)
            return job;
    }
    return {};
}

// The label's words merged into one box; null when it is not on the page.
QRectF boxOf(const QList<TextBox> &words, const QString &text)
{
    QString joined;
    QRectF box;
    for (const TextBox &word : words) {
        if (!text.contains(word.text))
            continue;
        joined += word.text;
        box = box.isNull() ? word.box : box.united(word.box);
    }
    return joined == text ? box : QRectF();
}

} // namespace

class TestWorksheetPrinter : public QObject {
    Q_OBJECT

private slots:
    void printsSheetAsOneLandscapePage_data();
    void printsSheetAsOneLandscapePage();
    void setupAppliesOnlyAccepted_data();
    void setupAppliesOnlyAccepted();
    void jobCarriesWhatWasChosen_data();
    void jobCarriesWhatWasChosen();
};

void TestWorksheetPrinter::printsSheetAsOneLandscapePage_data()
{
    QTest::addColumn<bool>("answers");
    QTest::addColumn<QString>("title");

    QTest::newRow("problem page") << false << kCaption + kWithoutAnswers;
    QTest::newRow("answer page") << true << kCaption + kWithAnswers;
}

void TestWorksheetPrinter::printsSheetAsOneLandscapePage()
{
    if (cupsDir().isEmpty())
        QSKIP("needs the private scheduler (run through ctest)");
    QFETCH(bool, answers);
    QFETCH(QString, title);

    kolvara::Sheet sheet;
    sheet.heading = kHeading.toStdString();
    sheet.statusLines = {kStatusText.toStdString(), "", ""};
    sheet.problems = {kolvara::wholeProblem(false, 47, 385), kolvara::wholeProblem(false, 999, 999)};
    sheet.answers = answers;
    sheet.mark = kCaption.toStdString();  // right-aligned into the bottom-right corner

    WorksheetPrinter printer;
    QCOMPARE(answerOf(printer.prepareLandscape()), QString());
    QVERIFY(printer.printer());
    QCOMPARE(printer.printer()->printerName(), QStringLiteral("kolvara-pdf"));
    QCOMPARE(printer.printer()->pageLayout().orientation(), QPageLayout::Landscape);

    QList<int> before;
    for (const Job &job : schedulerJobs())
        before.append(job.id);
    QCOMPARE(answerOf(printer.printSheet(sheet, title)), QString());

    // The job is with the scheduler as soon as printSheet returns.
    QList<Job> added;
    for (const Job &job : schedulerJobs()) {
        if (!before.contains(job.id))
            added.append(job);
    }
    QCOMPARE(added.size(), 1);
    const int id = added.first().id;
    QCOMPARE(added.first().name, title);

    const QString pdf = cupsDir() + QStringLiteral("/out/job-%1.pdf").arg(id);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pdf), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(findJob(id).state, QStringLiteral("completed"), 20000);
    // Finished jobs keep their title in the job list.
    QCOMPARE(findJob(id).name, title);

    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("(?m)^Pages:\\s+1$"))), qPrintable(info));
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    QVERIFY2(size.hasMatch(), qPrintable(info));
    QVERIFY2(size.captured(1).toDouble() > size.captured(2).toDouble(), qPrintable(info));

    const QString text = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY2(text.contains(kHeading), qPrintable(text));
    QVERIFY2(text.contains(kStatusText), qPrintable(text));
    QCOMPARE(text.contains(QStringLiteral("1998")), answers);

    // The sheet's corners land where the placement on the printer's paper puts them.
    const kolvara::PagePlacement place = kolvara::placeOnPaper(paperOf(printer.printer()->pageLayout()));
    const QPointF origin(place.offsetX, place.offsetY);
    const QPointF farCorner(place.offsetX + place.scaleX * kolvara::SheetWidth,
                            place.offsetY + place.scaleY * kolvara::SheetHeight);
    // Glyph boxes are not the labels' exact edges: a few sheet pixels.
    const qreal tolerance = 10 * place.scaleX;
    const QList<TextBox> words = pdfWords(pdf);
    const QRectF headingBox = boxOf(words, kHeading);
    const QRectF cornerBox = boxOf(words, kCaption);
    QVERIFY(!headingBox.isNull());
    QVERIFY(!cornerBox.isNull());
    QVERIFY2(qAbs(headingBox.left() - origin.x()) < tolerance, qPrintable(QString::number(headingBox.left())));
    QVERIFY2(qAbs(cornerBox.right() - farCorner.x()) < tolerance, qPrintable(QString::number(cornerBox.right())));
    QVERIFY2(qAbs(cornerBox.bottom() - farCorner.y()) < tolerance, qPrintable(QString::number(cornerBox.bottom())));
}

// What the dialog's printer box offers: the queues, then printing into a PDF file.
enum class Pick { Copies, OtherQueue, PdfFile };

void TestWorksheetPrinter::setupAppliesOnlyAccepted_data()
{
    QTest::addColumn<int>("pick");
    QTest::addColumn<bool>("accept");
    QTest::newRow("three copies, OK") << int(Pick::Copies) << true;
    QTest::newRow("three copies, Cancel") << int(Pick::Copies) << false;
    QTest::newRow("another queue, Cancel") << int(Pick::OtherQueue) << false;
    QTest::newRow("PDF file, Cancel") << int(Pick::PdfFile) << false;
    QTest::newRow("PDF file, OK") << int(Pick::PdfFile) << true;
}

void TestWorksheetPrinter::setupAppliesOnlyAccepted()
{
    if (cupsDir().isEmpty())
        QSKIP("needs the private scheduler (run through ctest)");
    QFETCH(int, pick);
    QFETCH(bool, accept);
    const QString other = QStringLiteral("kolvara-second");
    runTool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), other, QStringLiteral("-v"),
                                        QStringLiteral("kolvara-keep:") + cupsDir() + QStringLiteral("/out"),
                                        QStringLiteral("-E")});
    const auto removeOther = qScopeGuard([&] { runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), other}); });
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("sheet.pdf"));

    WorksheetPrinter printer;
    QCOMPARE(answerOf(printer.prepareLandscape()), QString());
    QCOMPARE(printer.printer()->copyCount(), 1);

    // Drives the next dialog: `choose` runs on it, then OK or Cancel.
    QString okText, shownPrinter;
    const auto drive = [&](const std::function<void(QAbstractPrintDialog &)> &choose, bool ok) {
        auto *timer = new QTimer(this);
        timer->setInterval(50);
        connect(timer, &QTimer::timeout, this, [=, &okText, &shownPrinter] {
            auto *dialog = qobject_cast<QAbstractPrintDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->deleteLater();
            timer->stop();
            okText = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->text();
            shownPrinter = dialog->findChild<QComboBox *>(QStringLiteral("printers"))->currentText();
            choose(*dialog);
            ok ? dialog->accept() : dialog->reject();
        });
        timer->start();
    };
    drive([&](QAbstractPrintDialog &dialog) {
        auto *printers = dialog.findChild<QComboBox *>(QStringLiteral("printers"));
        switch (Pick(pick)) {
        case Pick::Copies:
            dialog.findChild<QSpinBox *>(QStringLiteral("copies"))->setValue(3);
            break;
        case Pick::OtherQueue:
            printers->setCurrentIndex(printers->findText(other));
            break;
        case Pick::PdfFile:
            printers->setCurrentIndex(printers->count() - 1);
            dialog.findChild<QLineEdit *>(QStringLiteral("filename"))->setText(file);
            break;
        }
    }, accept);
    QCOMPARE(answerOf(printer.setup(nullptr)), QString());
    // The dialog only chooses: its button must not promise a print.
    QCOMPARE(okText, QStringLiteral("OK"));

    const bool toFile = accept && Pick(pick) == Pick::PdfFile;
    QCOMPARE(printer.printer()->outputFormat(), toFile ? QPrinter::PdfFormat : QPrinter::NativeFormat);
    if (!toFile)
        QCOMPARE(printer.printer()->printerName(), QStringLiteral("kolvara-pdf"));
    QCOMPARE(printer.printer()->copyCount(), accept && Pick(pick) == Pick::Copies ? 3 : 1);
    // Whatever the dialog chose, the next run prints landscape again.
    printer.printer()->setPageOrientation(QPageLayout::Portrait);
    QCOMPARE(answerOf(printer.prepareLandscape()), QString());
    QCOMPARE(printer.printer()->pageLayout().orientation(), QPageLayout::Landscape);

    // Opened again, the dialog shows the choice in force.
    const QString chosenBefore = shownPrinter;
    drive([](QAbstractPrintDialog &) {}, false);
    QCOMPARE(answerOf(printer.setup(nullptr)), QString());
    if (toFile)
        QVERIFY2(shownPrinter != QStringLiteral("kolvara-pdf") && shownPrinter != other, qPrintable(shownPrinter));
    else
        QCOMPARE(shownPrinter, chosenBefore);
}

// What is chosen for the next job, and how.
enum class Choice { InDialog, TwoSidedAuto, DocumentRefused };

void TestWorksheetPrinter::jobCarriesWhatWasChosen_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("attributes");  // what the job must carry
    QTest::addColumn<QString>("error");           // how the answer begins; empty: printed
    QTest::newRow("pages per sheet and a hold, in the dialog's properties")
        << int(Choice::InDialog) << QStringList{QStringLiteral("number-up=2"), QStringLiteral("job-hold-until=indefinite")}
        << QString();
    QTest::newRow("two-sided as the printer sees fit, on landscape pages")
        << int(Choice::TwoSidedAuto) << QStringList{QStringLiteral("sides=two-sided-short-edge")} << QString();
    // Created, then its document turned away: the job must not wait in the queue.
    QTest::newRow("document refused once the job exists")
        << int(Choice::DocumentRefused) << QStringList{QStringLiteral("job-state=canceled")}
        << QStringLiteral("プリンタ「kolvara-pdf」に印刷できませんでした");
}

void TestWorksheetPrinter::jobCarriesWhatWasChosen()
{
    if (cupsDir().isEmpty())
        QSKIP("needs the private scheduler (run through ctest)");
    QFETCH(int, choice);
    QFETCH(QStringList, attributes);
    QFETCH(QString, error);
    const QString queue = QStringLiteral("kolvara-pdf"), duplexQueue = QStringLiteral("kolvara-duplex");
    WorksheetPrinter printer;
    QCOMPARE(answerOf(printer.prepareLandscape()), QString());

    switch (Choice(choice)) {
    case Choice::InDialog: {
        // The dialog, then its properties dialog: two pages a sheet, the job held.
        QTimer driver;
        driver.setInterval(50);
        bool propertiesAsked = false, propertiesDone = false;
        connect(&driver, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            if (auto *dialog = qobject_cast<QAbstractPrintDialog *>(modal)) {
                if (propertiesDone) {
                    driver.stop();
                    dialog->accept();
                } else if (!std::exchange(propertiesAsked, true)) {
                    // Clicked once the timer has returned: the properties dialog runs modal.
                    auto *properties = dialog->findChild<QPushButton *>(QStringLiteral("properties"));
                    QTimer::singleShot(0, properties, &QPushButton::click);
                }
            } else if (auto *pages = modal->findChild<QComboBox *>(QStringLiteral("pagesPerSheetCombo"))) {
                if (std::exchange(propertiesDone, true))
                    return;
                pages->setCurrentIndex(1);  // two pages a sheet
                modal->findChild<QComboBox *>(QStringLiteral("jobHoldComboBox"))->setCurrentIndex(1);  // indefinitely
                static_cast<QDialog *>(modal)->accept();
            }
        });
        driver.start();
        QCOMPARE(answerOf(printer.setup(nullptr)), QString());
        QVERIFY(propertiesDone);
        QCOMPARE(answerOf(printer.prepareLandscape()), QString());
        break;
    }
    case Choice::TwoSidedAuto:
        // A printer that prints on both sides: the raw queue prints on one side only.
        runTool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), duplexQueue, QStringLiteral("-v"),
                                            QStringLiteral("kolvara-keep:") + cupsDir() + QStringLiteral("/out"),
                                            QStringLiteral("-P"), cupsDir() + QStringLiteral("/kolvara-duplex.ppd"),
                                            QStringLiteral("-E")});
        printer.printer()->setPrinterName(duplexQueue);
        printer.printer()->setDuplex(QPrinter::DuplexAuto);
        QCOMPARE(printer.printer()->duplex(), QPrinter::DuplexAuto);
        break;
    case Choice::DocumentRefused:
        runTool(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue, QStringLiteral("-o"),
                                            QStringLiteral("printer-op-policy=kolvara-no-documents")});
        break;
    }
    const auto restore = qScopeGuard([&] {
        runTool(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), queue, QStringLiteral("-o"), QStringLiteral("printer-op-policy=default")});
        if (Choice(choice) == Choice::TwoSidedAuto)
            runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), duplexQueue});
    });

    QList<int> before;
    for (const Job &job : schedulerJobs())
        before.append(job.id);
    const QString answer = answerOf(printer.printSheet(kolvara::Sheet{}, kCaption + kWithoutAnswers));
    QVERIFY2(error.isEmpty() ? answer.isEmpty() : answer.startsWith(error), qPrintable(answer));
    QList<Job> added;
    for (const Job &job : schedulerJobs()) {
        if (!before.contains(job.id))
            added.append(job);
    }
    QCOMPARE(added.size(), 1);
    const QStringList carried = jobAttributes(added.first().id);
    // A held job stays in the queue: it goes with the test.
    runTool(QStringLiteral("cancel"), {QString::number(added.first().id)});
    for (const QString &attribute : attributes)
        QVERIFY2(carried.contains(attribute), qPrintable(attribute + u'\n' + carried.join(u'\n')));
}

QTEST_MAIN(TestWorksheetPrinter)
#include "tst_worksheet_printer.moc"
