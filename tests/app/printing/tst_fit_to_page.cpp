// The rule that fits the window onto the printable area of a page.
#include <QtTest>

#include "sheet_pages.h"

class TestFitToPage : public QObject {
    Q_OBJECT

private slots:
    void fitToPage_data();
    void fitToPage();
};

void TestFitToPage::fitToPage_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("printable");
    QTest::addColumn<QSize>("fitted");

    // Fills the height: W * PH / H stays below PW.
    QTest::newRow("height, fraction up") << QSize(400, 300) << QSize(1000, 500) << QSize(667, 500);
    QTest::newRow("height, fraction down") << QSize(400, 300) << QSize(1000, 700) << QSize(933, 700);
    QTest::newRow("height, half to even below") << QSize(402, 200) << QSize(13000, 4850) << QSize(9748, 4850);
    QTest::newRow("height, half to even above") << QSize(406, 200) << QSize(13000, 4850) << QSize(9846, 4850);
    QTest::newRow("height, just narrower") << QSize(799, 400) << QSize(1000, 500) << QSize(999, 500);

    // Fills the width: W * PH / H reaches PW.
    QTest::newRow("width, wide image") << QSize(800, 200) << QSize(1000, 500) << QSize(1000, 250);
    QTest::newRow("width, same proportions") << QSize(200, 100) << QSize(1000, 500) << QSize(1000, 500);
    QTest::newRow("width, just wider") << QSize(801, 400) << QSize(1000, 500) << QSize(1000, 499);
    QTest::newRow("width, rounding reaches PW") << QSize(1999, 1000) << QSize(1000, 500) << QSize(1000, 500);
    QTest::newRow("width, half to even below") << QSize(200, 100) << QSize(13001, 9000) << QSize(13001, 6500);
    QTest::newRow("width, half to even above") << QSize(200, 100) << QSize(13003, 9000) << QSize(13003, 6502);
    QTest::newRow("width, A4 landscape at 1200 dpi")
        << QSize(1016, 682) << QSize(13560, 9448) << QSize(13560, 9102);

    QTest::newRow("empty image") << QSize(0, 300) << QSize(1000, 500) << QSize();
    QTest::newRow("empty page") << QSize(400, 300) << QSize(1000, 0) << QSize();
}

void TestFitToPage::fitToPage()
{
    QFETCH(QSize, image);
    QFETCH(QSize, printable);
    QFETCH(QSize, fitted);
    QCOMPARE(::fitToPage(image, printable), fitted);
}

QTEST_GUILESS_MAIN(TestFitToPage)
#include "tst_fit_to_page.moc"
