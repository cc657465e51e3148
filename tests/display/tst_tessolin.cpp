#include "japanese_fonts.h"
#include "tessolin.h"

#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QtTest>

namespace {

// A white page holding one problem at (x, 0), at FontSize 30.
struct Sheet
{
    QWidget page;
    TTessolin *problem = new TTessolin(&page);

    Sheet(int upper = 47, const QString &sign = "+", int lower = 385, int x = 0)
    {
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::white);
        page.setPalette(palette);
        page.setAutoFillBackground(true);
        page.resize(200, 200);
        problem->move(x, 0);
        problem->setFontSize(30);
        problem->setValueLine1_100(upper / 100);
        problem->setValueLine1_10(upper / 10 % 10);
        problem->setValueLine1_1(upper % 10);
        problem->setSign(sign);
        problem->setValueLine2_100(lower / 100);
        problem->setValueLine2_10(lower / 10 % 10);
        problem->setValueLine2_1(lower % 10);
    }
    QImage render()
    {
        QImage image(page.size(), QImage::Format_RGB32);
        page.render(&image);
        return image;
    }
};

int dark(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += qGray(image.pixel(x, y)) < 128;
    return count;
}

} // namespace

class TestTessolin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

    // boxes/marks: per line (upper, lower, answer) the columns thousands..ones;
    // the lower line's thousands column holds the sign.
    void layout_data()
    {
        QTest::addColumn<int>("upper");
        QTest::addColumn<QString>("sign");
        QTest::addColumn<int>("lower");
        QTest::addColumn<bool>("ruled");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<int>("answer");
        QTest::newRow("47+385") << 47 << "+" << 385 << true << true << "0011 0111 0111" << "0011 1111 0111" << 432;
        QTest::newRow("789+456") << 789 << "+" << 456 << true << true << "0111 0111 1111" << "0111 1111 1111" << 1245;
        QTest::newRow("105+5") << 105 << "+" << 5 << true << true << "0111 0001 0111" << "0111 1001 0111" << 110;
        QTest::newRow("0+0") << 0 << "+" << 0 << true << true << "0001 0001 0001" << "0001 1001 0001" << 0;
        QTest::newRow("999+999") << 999 << "+" << 999 << true << true << "0111 0111 1111" << "0111 1111 1111" << 1998;
        QTest::newRow("100-1") << 100 << "-" << 1 << true << true << "0111 0001 0011" << "0111 1001 0011" << 99;
        QTest::newRow("500-500") << 500 << "-" << 500 << true << true << "0111 0111 0001" << "0111 1111 0001" << 0;
        QTest::newRow("12-345") << 12 << "-" << 345 << true << true << "0011 0111 0001" << "0011 1111 0000" << 65536 - 333;
        QTest::newRow("hidden 47+385") << 47 << "+" << 385 << true << false << "0011 0111 0111" << "0011 1111 0000" << 432;
        QTest::newRow("hidden 47+45") << 47 << "+" << 45 << true << false << "0011 0011 0011" << "0011 1011 0000" << 92;
        QTest::newRow("no boxes") << 47 << "+" << 385 << false << true << "0000 0000 0000" << "0011 1111 0111" << 432;
        QTest::newRow("bare") << 47 << "+" << 385 << false << false << "0000 0000 0000" << "0011 1111 0000" << 432;
    }
    void layout()
    {
        QFETCH(int, upper); QFETCH(QString, sign); QFETCH(int, lower);
        QFETCH(bool, ruled); QFETCH(bool, answers); QFETCH(QString, boxes); QFETCH(QString, marks);
        QFETCH(int, answer);
        Sheet sheet(upper, sign, lower);
        sheet.problem->setShowRuledLine(ruled);
        sheet.problem->setShowAnswer(answers);
        const auto digits = [&] {
            const auto d = sheet.problem->answerDigits();
            return d[0] * 1000 + d[1] * 100 + d[2] * 10 + d[3];
        };
        const int shown = answer > 1998 ? 0 : answer; // no digits for a negative difference
        // Known before any paint; painting leaves it alone.
        QCOMPARE(sheet.problem->ValueAnswer(), answer);
        QCOMPARE(digits(), shown);
        const QImage image = sheet.render();
        QCOMPARE(sheet.problem->ValueAnswer(), answer);
        QCOMPARE(digits(), shown);

        // FS 30: lines y 1..44, 43..87, 86..130; column k spans x 100 - 30k .. 130 - 30k.
        const int tops[] = {1, 43, 86}, heights[] = {43, 44, 44};
        for (int line = 0; line < 3; ++line) {
            const int top = tops[line], height = heights[line];
            for (int column = 3; column >= 0; --column) {
                const int left = 100 - 30 * column, at = line * 5 + 3 - column;
                // Boxes grow leftwards from the ones, so a box's left edge tells it apart.
                const int leftEdge = dark(image, QRect(left - 1, top + 1, 1, height - 4));
                QCOMPARE(leftEdge > 0, boxes.at(at) == '1');
                QVERIFY(leftEdge <= (height - 3) / 2); // dotted
                if (boxes.at(at) == '1') // not wiped by the digit's opaque background
                    QVERIFY(dark(image, QRect(left, top + height - 2, 28, 1)) >= 14);
                QCOMPARE(dark(image, QRect(left + 2, top + 2, 25, height - 6)) > 0, marks.at(at) == '1');
            }
        }
        QCOMPARE(dark(image, QRect(0, 85, 140, 1)), 140);   // the solid rule
        QCOMPARE(dark(image, QRect(0, 0, 9, 130)), 9);      // margins: rule only
        QCOMPARE(dark(image, QRect(130, 0, 10, 130)), 10);
        QCOMPARE(dark(image, QRect(140, 0, 60, 200)), 0);
    }

    void sizeAndRule_data()
    {
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("ruleY");
        QTest::newRow("20") << 20 << QSize(100, 85) << 55;
        QTest::newRow("21") << 21 << QSize(104, 89) << 58;
        QTest::newRow("23") << 23 << QSize(112, 99) << 64;
        QTest::newRow("30") << 30 << QSize(140, 130) << 85;
        QTest::newRow("32") << 32 << QSize(148, 139) << 91;
        QTest::newRow("40") << 40 << QSize(180, 175) << 115;
    }
    void sizeAndRule()
    {
        QFETCH(int, fontSize); QFETCH(QSize, size); QFETCH(int, ruleY);
        Sheet sheet;
        sheet.problem->setFontSize(fontSize);
        QCOMPARE(sheet.problem->size(), size);
        const QImage image = sheet.render();
        QCOMPARE(sheet.problem->size(), size);
        QCOMPARE(dark(image, QRect(0, ruleY, size.width() + 1, 1)), size.width());
        QVERIFY(dark(image, QRect(0, ruleY - 1, size.width(), 1)) < size.width() / 2);
        sheet.problem->resize(50, 40);
        sheet.problem->setFontSize(fontSize); // unchanged: keeps the bounds
        QCOMPARE(sheet.problem->size(), QSize(50, 40));
    }

    // Each write first rewrites the stored value, which must request no repaint.
    void writeRules_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("stored");
        for (const char *digit : {"ValueLine1_1", "ValueLine1_10", "ValueLine1_100",
                                  "ValueLine2_1", "ValueLine2_10", "ValueLine2_100"})
            QTest::newRow(digit) << QByteArray(digit) << QVariant(12) << QVariant(9);
        QTest::newRow("whole") << QByteArray("ValueLine1") << QVariant(1200) << QVariant(999);
        QTest::newRow("whole 5") << QByteArray("ValueLine2") << QVariant(5) << QVariant(5);
        QTest::newRow("sign x") << QByteArray("Sign") << QVariant("x") << QVariant("+");
        QTest::newRow("sign empty") << QByteArray("Sign") << QVariant("") << QVariant("+");
        QTest::newRow("sign -") << QByteArray("Sign") << QVariant("-") << QVariant("-");
        QTest::newRow("ruled") << QByteArray("ShowRuledLine") << QVariant(false) << QVariant(false);
        QTest::newRow("answer") << QByteArray("ShowAnswer") << QVariant(false) << QVariant(false);
        QTest::newRow("font") << QByteArray("FontSize") << QVariant(20) << QVariant(20);
    }
    void writeRules()
    {
        QFETCH(QByteArray, property); QFETCH(QVariant, written); QFETCH(QVariant, stored);
        TTessolin problem;
        const QVariant before = problem.property(property);
        const int requests = problem.repaintRequestCount();
        problem.setProperty(property, before);
        QCOMPARE(problem.repaintRequestCount(), requests);
        problem.setProperty(property, written);
        QCOMPARE(problem.property(property), stored);
        QCOMPARE(problem.repaintRequestCount(), requests + (stored != before));
    }

    void wholeValueAndDigitsAreSeparate()
    {
        TTessolin p;
        p.setValueLine1(1200);
        p.setValueLine2(305);
        p.setValueLine2_1(7);
        QCOMPARE(QList<int>({p.ValueLine1_100(), p.ValueLine1_10(), p.ValueLine1_1(), p.ValueLine2_100(),
                             p.ValueLine2_10(), p.ValueLine2_1(), p.ValueLine2()}),
                 QList<int>({9, 9, 9, 3, 0, 7, 305}));
    }

    void widthFollowsWholeValues()
    {
        Sheet sheet(5, "+", 7, 20);
        QCOMPARE(sheet.problem->geometry(), QRect(20, 0, 140, 130)); // digits alone keep the width
        sheet.problem->setValueLine1(5);
        QCOMPARE(sheet.problem->geometry(), QRect(20, 0, 140, 130)); // the lower number is still 456
        sheet.problem->setValueLine2(7);
        QCOMPARE(sheet.problem->geometry(), QRect(20, 0, 80, 130));
        // The very first paint draws every line at the new width.
        const QImage image = sheet.render();
        QCOMPARE(sheet.problem->geometry(), QRect(20, 0, 80, 130));
        QVERIFY(dark(image, QRect(20 + 42, 2, 26, 39)) > 0);  // upper ones digit
        QVERIFY(dark(image, QRect(20 + 12, 45, 26, 39)) > 0); // sign at x 10..40
        QVERIFY(dark(image, QRect(20 + 42, 45, 26, 39)) > 0); // lower ones digit
        QCOMPARE(dark(image, QRect(20 + 80, 0, 80, 200)), 0);
    }

    // Printing renders through a scaled painter: the dots must grow with it.
    void dotsScaleWithPainter()
    {
        Sheet sheet;
        const QImage plain = sheet.render();
        QImage fine(sheet.page.size() * 3, QImage::Format_RGB32);
        QPainter painter(&fine);
        painter.scale(3, 3);
        sheet.page.render(&painter);
        painter.end();
        QCOMPARE(dark(fine, QRect(296, 3, 3, 120)), 9 * dark(plain, QRect(99, 1, 1, 40)));
    }

    void fontIsIpaPGothic()
    {
        TTessolin problem;
        QCOMPARE(QFontInfo(problem.font()).family(), QString("IPAPGothic"));
    }

    void hintAndDoubleClick()
    {
        Sheet sheet;
        sheet.problem->setToolTip("Pelmora1");
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), sheet.problem->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(sheet.problem, &help);
        QVERIFY(!QToolTip::isVisible());
        sheet.problem->setShowHint(true);
        QApplication::sendEvent(sheet.problem, &help);
        QCOMPARE(QToolTip::text(), QString("Pelmora1"));
        QToolTip::hideText();

        // Accepted by the problem, so the sheet does not draw new problems.
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 5), sheet.problem->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        click.ignore();
        QApplication::sendEvent(sheet.problem, &click);
        QVERIFY(click.isAccepted());
    }
};

QTEST_MAIN(TestTessolin)
#include "tst_tessolin.moc"
