// The main window under a real window manager (scripts/wm-test-env.sh starts one): the
// stored outer size includes the frame the manager draws, whatever its size, and the first
// sheet is spaced as every sheet after it.
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "japanese_fonts.h"

#include "../window_fixture.h"

namespace {

// The frame as the manager itself reports it on the window: left, right, top, bottom.
QMargins reportedFrame(const QWidget &window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("_NET_FRAME_EXTENTS")});
    if (!xprop.waitForFinished(5000))
        return {};
    const auto match = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
                           .match(QString::fromLatin1(xprop.readAllStandardOutput()));
    if (!match.hasMatch())
        return {};
    return QMargins(match.captured(1).toInt(), match.captured(3).toInt(), match.captured(2).toInt(),
                    match.captured(4).toInt());
}

int pitch(const Window &w) { return w.form.problemControl(2)->x() - w.form.problemControl(1)->x(); }

}  // namespace

class TestWindowManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QStringLiteral("xcb"), "run under scripts/wm-test-env.sh");
        installJapaneseFontSubstitutes();
    }

    void storedOuterSizeIncludesTheFrame()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.form));
        QMargins frame;
        QTRY_VERIFY((frame = reportedFrame(w.form)) != QMargins());
        const QSize client(1036 - frame.left() - frame.right(), 766 - frame.top() - frame.bottom());
        QTRY_COMPARE(w.form.size(), client);
        QCOMPARE(w.form.frameGeometry().size(), QSize(1036, 766));

        const int first = pitch(w);
        QVERIFY(w.form.FormDblClick());
        QCOMPARE(pitch(w), first);
        QCOMPARE(first, 200);

        // Once the frame is known, the window is the user's to size.
        w.form.resize(900, 700);
        QTRY_COMPARE(w.form.size(), QSize(900, 700));
        QTest::qWait(300);
        QCOMPARE(w.form.size(), QSize(900, 700));
    }
};

QTEST_MAIN(TestWindowManager)
#include "tst_window_manager.moc"
