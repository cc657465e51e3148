// The main window, driven as a user would: clicks on its radio buttons and buttons,
// double clicks on the sheet.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include "japanese_fonts.h"
#include "sheet_painter.h"
#include "japanese_translations.h"
#include "texts.h"

#include "feasibility.h"
#include "option_widgets.h"
#include "sheet_format_dialog.h"

#include "../window_fixture.h"

namespace {

QString expectedLine(int kind)
{
    const QString text = QString::fromUtf8(kolvara::texts::StatusText[std::size_t(kind)].data());
    return text + "," + text + "," + text;
}

// Whether the problem carries (or borrows) out of the tens column.
bool tensCarry(const TTessolin &p)
{
    if (p.Sign() == QStringLiteral("-")) {
        const int onesBorrow = p.ValueLine1_1() < p.ValueLine2_1() ? 1 : 0;
        return p.ValueLine1_10() - onesBorrow < p.ValueLine2_10();
    }
    const int onesCarry = p.ValueLine1_1() + p.ValueLine2_1() >= 10 ? 1 : 0;
    return p.ValueLine1_10() + p.ValueLine2_10() + onesCarry >= 10;
}

}  // namespace

class TestFormKolvara : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

    void stateAfterStart()
    {
        Window w;
        const FormControls ui(w.form);
        QVERIFY(ui.GroupBoxStart->isVisible());
        QVERIFY(!ui.ButtonShokiSettei->isVisible());
        QVERIFY(!ui.SpinEditFontSize->isVisible());
        QVERIFY(!ui.LabelFontSize->isVisible());
        QVERIFY(!ui.CheckBoxHyoudai->isVisible());
        QCOMPARE(ui.LabelProjectName->text(), QStringLiteral("Kolvara"));
        QCOMPARE(ui.Label1->text(), expectedLine(2));
        QCOMPARE(ui.Label2->text(), expectedLine(2));
        QCOMPARE(ui.LabelK->text(), expectedLine(5));
        QVERIFY(ui.RadioGroupWaSaItem0->isChecked());
        QVERIFY(ui.RadioButton1_10All->isChecked() && ui.RadioButton1_100All->isChecked());
        QCOMPARE(w.form.settings().settings(), kolvara::Settings{});
        QCOMPARE(w.problems().size(), 20);
        for (TTessolin *p : w.problems()) {
            QVERIFY(!p->ShowAnswer());
            QCOMPARE(p->toolTip(), p->objectName());
        }
        QCOMPARE(w.form.columnPitch(), 200);
        QCOMPARE(QFontInfo(w.form.font()).family(), QStringLiteral("IPAGothic"));
    }

    void layoutOfTheSheet_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("lefts");
        QTest::newRow("5 a row") << QStringList{} << 20 << QList<int>{32, 232, 432, 632, 832};
        QTest::newRow("7 a row") << QStringList{"RadioButton1_100Zero", "RadioButton1_10Zero", "RadioButton2_100Zero",
                                                "RadioButton2_10Zero"}
                                 << 28 << QList<int>{32, 175, 318, 461, 604, 747, 890};
    }
    void layoutOfTheSheet()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, count);
        QFETCH(QList<int>, lefts);
        Window w;
        for (const QString &name : clicks)
            w.click({name.toLatin1().constData()});
        w.form.FormDblClick();
        QCOMPARE(w.problems().size(), count);
        const int perRow = int(lefts.size());
        for (int c = 1; c <= count; ++c) {
            TTessolin *p = w.form.problemControl(c);
            QVERIFY(p);
            const int row = (c - 1) / perRow, position = (c - 1) % perRow;
            QCOMPARE(p->geometry(), QRect(lefts[position], 48 + 176 * row, 140, 130));
        }
        QVERIFY(!w.form.problemControl(count + 1));
        w.form.Sakujo();
        QVERIFY(w.problems().isEmpty());
    }

    void programSelectionsShowInTheButtons()
    {
        Window w;
        w.click({"RadioButtonKuriAgariSagariAri_1"});
        QVERIFY(w.radio("RadioButton1_1Rest")->isChecked());
        QVERIFY(w.radio("RadioButton2_1Rest")->isChecked());
        w.click({"RadioButton1_1Zero"});
        QVERIFY(w.radio("RadioButtonKuriAgariSagariNashi_1")->isChecked());
        // A rule that puts its own group back: subtracting, upper hundreds "０".
        w.click({"RadioGroupWaSaItem1", "RadioButton1_100Zero", "RadioButton2_100Rest"});
        QVERIFY(w.radio("RadioButton2_100Zero")->isChecked());
        QVERIFY(!w.radio("RadioButton2_100Rest")->isChecked());
        QVERIFY(w.radio("RadioButton1_100Rest")->isChecked());
    }

    void captionsHintsAndVisibilityFollowTheOperation()
    {
        Window w;
        const FormControls ui(w.form);
        for (int item : {1, 0}) {
            w.click({item ? "RadioGroupWaSaItem1" : "RadioGroupWaSaItem0"});
            const auto &captions = item ? kolvara::CarryCaptionSubtraction : kolvara::CarryCaptionAddition;
            const auto &hints = item ? kolvara::texts::GroupHintSubtraction : kolvara::texts::GroupHintAddition;
            QCOMPARE(ui.GroupBoxKuriAgariSagari_10->title(), QString::fromUtf8(captions[1].data()));
            QCOMPARE(ui.GroupBoxKuriAgariSagari_1->title(), QString::fromUtf8(captions[2].data()));
            QCOMPARE(ui.GroupBox1_100->toolTip(), QString::fromUtf8(hints[0].data()));
            QCOMPARE(ui.GroupBox2_1->toolTip(), QString::fromUtf8(hints[5].data()));
            QCOMPARE(ui.GroupBoxKuriAgariSagari_10->toolTip(), QString::fromUtf8(hints[7].data()));
            QCOMPARE(ui.GroupBoxKuriAgariSagari_100->isVisible(), item == 0);
        }
    }

    void doubleClickRefreshesOnlyOnTheFreeSurface()
    {
        Window w;
        const FormControls ui(w.form);
        const QStringList first = w.sheet();
        QTest::mouseDClick(ui.LabelMondai, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseDClick(w.form.problemControl(1), Qt::LeftButton, {}, QPoint(60, 20));
        QTest::mouseDClick(ui.GroupBoxStart, Qt::LeftButton, {}, QPoint(100, 150));
        QCOMPARE(w.sheet(), first);
        w.click({"RadioButton1_1Zero"});  // options alone change neither sheet nor lines
        QCOMPARE(w.sheet(), first);
        QCOMPARE(ui.Label1->text(), expectedLine(2));
        QTest::mouseDClick(&w.form, Qt::LeftButton, {}, QPoint(600, 712));
        QVERIFY(w.sheet() != first);
        QVERIFY(ui.Label1->text() != expectedLine(2));
        QTest::mouseClick(ui.ButtonKoushin, Qt::LeftButton);
        QCOMPARE(w.problems().size(), 20);
    }

    void panelOpensAndCloses()
    {
        Window w;
        const FormControls ui(w.form);
        const QStringList sheet = w.sheet();
        QTest::mouseClick(ui.ButtonGroupBoxStartClose, Qt::LeftButton);
        QVERIFY(!ui.GroupBoxStart->isVisible() && ui.ButtonShokiSettei->isVisible());
        QTest::mouseClick(ui.ButtonShokiSettei, Qt::LeftButton);
        QVERIFY(ui.GroupBoxStart->isVisible() && !ui.ButtonShokiSettei->isVisible());
        QCOMPARE(w.sheet(), sheet);
        QCOMPARE(w.errors, QStringList());
    }

    // A named step sets the settings and draws its sheet; the format shows in the pages and
    // the screen holds the problems a smaller page prints. The window's own page comes
    // first: each answer row its own answer's boxes, the status lines on both pages.
    void sheetFormatDialog()
    {
        Window w;
        const kolvara::NamedStep &step = *kolvara::findStep("sub-3-zero-tens");
        const kolvara::Settings settings = *kolvara::settingsOf(step);
        QStringList shown;
        const auto showing = [&shown](SheetFormatDialog &d) {
            shown.clear();
            for (QCheckBox *box : d.findChildren<QCheckBox *>())
                if (box->isChecked())
                    shown << box->text();
            shown << d.findChildren<QComboBox *>()[2]->currentData().toString();
        };
        w.form.setSheetFormatAsker([&](SheetFormatDialog &d) {
            showing(d);
            for (QCheckBox *box : d.findChildren<QCheckBox *>())
                box->setChecked(box->text().startsWith(QStringLiteral("補助数字")));
            const QList<QComboBox *> choices = d.findChildren<QComboBox *>();
            choices[0]->setCurrentIndex(choices[0]->findText(QString::fromUtf8(step.name.data(), step.name.size())));
            choices[1]->setCurrentIndex(choices[1]->findData(6));
            choices[2]->setCurrentIndex(choices[2]->findData(QStringLiteral("widest")));
            return true;
        });
        QVERIFY(!w.form.sheetOnScreen(false).format.widestAnswers);
        QVERIFY(w.form.sheetOnScreen(false).format.statusLinesOnProblems);
        w.click({"ButtonSheetFormat"});
        QCOMPARE(shown, (QStringList{QStringLiteral("問題のページにも状況の行(&L)"), QStringLiteral("exact")}));
        QCOMPARE(w.form.settings().settings(), settings);
        QCOMPARE(w.problems().size(), 6);
        const kolvara::Sheet page = w.form.sheetOnScreen(true);
        QCOMPARE(page.problems.size(), std::size_t(6));
        QVERIFY(page.format.helperBoxes && !page.format.score);
        QVERIFY(page.format.widestAnswers && !page.format.statusLinesOnProblems);
        QCOMPARE(page.helperColumns, (kolvara::HelperColumns{false, true, true, false}));
        for (const kolvara::SheetProblem &p : page.problems)
            QVERIFY2(kolvara::admits(settings, int(kolvara::valueOf(p.upper)), int(kolvara::valueOf(p.lower))),
                     kolvara::problemText(p).c_str());
        // The dialog shows the format chosen; cancel changes nothing.
        w.form.setSheetFormatAsker([&](SheetFormatDialog &d) {
            showing(d);
            d.findChildren<QComboBox *>()[1]->setCurrentIndex(0);
            d.findChildren<QComboBox *>()[2]->setCurrentIndex(1);
            return false;
        });
        w.click({"ButtonSheetFormat"});
        QCOMPARE(shown, (QStringList{QStringLiteral("補助数字のわく(&H)"), QStringLiteral("widest")}));
        QCOMPARE(w.form.sheetFormat().perPage, 6);
        QVERIFY(w.form.sheetFormat().widestAnswers);
    }

    // The widest answers give every problem of the printed and saved page as many answer
    // boxes as the longest answer of the settings; the screen keeps each problem's look,
    // and the window's own page stays as it was.
    void widestAnswersOnPages_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<bool>("helperBoxes");
        QTest::addColumn<int>("answerBoxes");
        QTest::newRow("sums on the window's grid") << QStringList{} << 0 << false << 4;
        QTest::newRow("differences on the window's grid") << QStringList{"RadioGroupWaSaItem1"} << 0 << false << 3;
        QTest::newRow("sums without a carry out of the hundreds")
            << QStringList{"RadioButton1_100Zero", "RadioButtonKuriAgariSagariNashi_100"} << 0 << false << 3;
        QTest::newRow("sums of two places, 6 a page with helper boxes")
            << QStringList{"RadioButton1_100Zero", "RadioButton2_100Zero"} << 6 << true << 3;
        QTest::newRow("differences, 12 a page") << QStringList{"RadioGroupWaSaItem1"} << 12 << false << 3;
    }
    void widestAnswersOnPages()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, perPage);
        QFETCH(bool, helperBoxes);
        QFETCH(int, answerBoxes);
        Window w;
        for (const QString &name : clicks)
            w.click({name.toLatin1().constData()});
        QVERIFY(w.form.FormDblClick());
        kolvara::SheetFormat format = w.form.sheetFormat();
        format.perPage = perPage;
        format.helperBoxes = helperBoxes;
        w.form.setSheetFormat(format);
        const QtTextMetrics metrics;
        const auto drawingOf = [&metrics](const kolvara::Sheet &sheet) {
            return kolvara::layOutPage(sheet, kolvara::a4Paper(), metrics).drawing;
        };
        const auto sameDrawing = [](const kolvara::Drawing &a, const kolvara::Drawing &b) {
            return a.boxes == b.boxes && a.lines == b.lines && a.texts == b.texts && a.backings == b.backings &&
                   a.writes == b.writes;
        };
        const QStringList problems = w.sheet();
        const QImage screen = w.form.grab().toImage();
        // Exact answers: the page of each problem's own room, as before.
        for (const bool answers : {false, true}) {
            kolvara::Sheet own = w.form.sheetOnScreen(answers);
            QVERIFY(!own.format.widestAnswers && own.windowLook);
            const kolvara::Drawing page = drawingOf(own);
            own.room = {};
            QVERIFY(sameDrawing(page, drawingOf(own)));
        }
        format.widestAnswers = true;
        w.form.setSheetFormat(format);
        QCOMPARE(w.sheet(), problems);
        QCOMPARE(w.form.grab().toImage(), screen);
        const kolvara::Sheet sheet = w.form.sheetOnScreen(false);
        const kolvara::Drawing page = drawingOf(sheet);
        QList<int> boxes(qsizetype(sheet.problems.size()), 0);
        for (const kolvara::Drawing::Write &write : page.writes)
            if (!write.helper && write.problem < std::uint32_t(boxes.size()))
                ++boxes[qsizetype(write.problem)];
        QCOMPARE(boxes, QList<int>(boxes.size(), answerBoxes));
        // No problem's own answer is longer than the room of its settings.
        kolvara::Sheet own = sheet;
        own.format.widestAnswers = false;
        QList<int> ownBoxes(boxes.size(), 0);
        for (const kolvara::Drawing::Write &write : drawingOf(own).writes)
            if (!write.helper && write.problem < std::uint32_t(ownBoxes.size()))
                ++ownBoxes[qsizetype(write.problem)];
        for (const int n : ownBoxes)
            QVERIFY(n > 0 && n <= answerBoxes);
    }

    // Every caption of the dialog has an accelerator of its own, and each reaches its
    // control: a box toggles, a label's list takes the focus.
    void sheetFormatDialogAccelerators()
    {
        Window w;
        QStringList faults;
        int captions = 0;
        w.form.setSheetFormatAsker([&](SheetFormatDialog &d) {
            d.show();
            QApplication::setActiveWindow(&d);
            if (!QTest::qWaitForWindowActive(&d))
                return faults << "the dialog is not active", false;
            QSet<QString> keys;
            auto check = [&](const QString &text, QWidget *target) {
                ++captions;
                const QKeySequence key = QKeySequence::mnemonic(text);
                if (key.isEmpty() || keys.contains(key.toString()))
                    return void(faults << text + ": no accelerator of its own");
                keys << key.toString();
                auto *box = qobject_cast<QCheckBox *>(target);
                const bool was = box && box->isChecked();
                d.findChildren<QPushButton *>().constFirst()->setFocus();
                QTest::keyClick(&d, key[0].key(), Qt::AltModifier);
                if (!QTest::qWaitFor([&] { return box ? box->isChecked() != was : target->hasFocus(); }, 2000))
                    faults << text + ": the accelerator does not reach its control";
            };
            for (QLabel *label : d.findChildren<QLabel *>())
                if (label->buddy())
                    check(label->text(), label->buddy());
            for (QCheckBox *box : d.findChildren<QCheckBox *>())
                check(box->text(), box);
            return false;
        });
        w.click({"ButtonSheetFormat"});
        QCOMPARE(faults, QStringList());
        QVERIFY(captions >= 10);
    }

    void keyboardAccelerators()
    {
        Window w;
        const FormControls ui(w.form);
        QApplication::setActiveWindow(&w.form);
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        const QStringList first = w.sheet();
        QTest::keyClick(w.form.windowHandle(), Qt::Key_N, Qt::AltModifier);  // 更新(&N)
        QTRY_VERIFY(w.sheet() != first);  // a mnemonic clicks its button after a short press
        QTest::keyClick(w.form.windowHandle(), Qt::Key_K, Qt::AltModifier);  // 位取りの枠線表示(&K)
        QTRY_VERIFY(!ui.CheckBoxRuledLine->isChecked());
        int asked = 0;
        w.form.setSaveFileNameAsker([&asked](const QString &) {
            ++asked;
            return QString();  // cancelled
        });
        QTest::keyClick(w.form.windowHandle(), Qt::Key_F, Qt::AltModifier);  // PDF保存(&F)
        QTRY_COMPARE(asked, 1);
        int formats = 0;
        w.form.setSheetFormatAsker([&formats](SheetFormatDialog &) { return ++formats, false; });
        QTest::keyClick(w.form.windowHandle(), Qt::Key_L, Qt::AltModifier);  // シートの形式(&L)…
        QTRY_COMPARE(formats, 1);
        QTest::keyClick(w.form.windowHandle(), Qt::Key_X, Qt::AltModifier);  // 閉じる(&X)
        QTRY_VERIFY(!ui.GroupBoxStart->isVisible());
    }

    // Keys whose owner can be hidden: a hidden control never takes a key from a shown one.
    void keysOfTheWindow_data()
    {
        QTest::addColumn<bool>("panelClosed");
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<bool>("windowOpen");
        QTest::addColumn<bool>("panelOpen");
        QTest::addColumn<QString>("focus");
        QTest::newRow("Alt+S reopens the closed panel")
            << true << QKeyCombination(Qt::AltModifier, Qt::Key_S) << true << true << QString();
        QTest::newRow("Alt+S in the open panel goes to the sign")
            << false << QKeyCombination(Qt::AltModifier, Qt::Key_S) << true << true << "RadioGroupWaSaItem0";
        QTest::newRow("Ctrl+Q closes the window")
            << false << QKeyCombination(Qt::ControlModifier, Qt::Key_Q) << false << true << QString();
    }
    void keysOfTheWindow()
    {
        QFETCH(bool, panelClosed);
        QFETCH(QKeyCombination, key);
        QFETCH(bool, windowOpen);
        QFETCH(bool, panelOpen);
        QFETCH(QString, focus);
        Window w;
        const FormControls ui(w.form);
        QApplication::setActiveWindow(&w.form);
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        if (panelClosed)
            QTest::mouseClick(ui.ButtonGroupBoxStartClose, Qt::LeftButton);
        const QStringList sheet = w.sheet();
        QTest::keyClick(w.form.windowHandle(), key.key(), key.keyboardModifiers());
        QTRY_COMPARE(w.form.isVisible(), windowOpen);
        QTRY_COMPARE(ui.GroupBoxStart->isHidden(), !panelOpen);
        QCOMPARE(ui.ButtonShokiSettei->isHidden(), panelOpen);
        if (!focus.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(w.sheet(), sheet);
    }

    void resizedWindowSpreadsTheNextSheet()
    {
        Window w;
        w.form.resize(1284, 727);
        QCOMPARE(w.form.outerWidth(), 1300);
        QCOMPARE(w.form.problemControl(5)->x(), 832);  // until the next fill
        w.form.FormDblClick();
        QCOMPARE(w.form.columnPitch(), 253);
        QCOMPARE(w.form.problemControl(5)->x(), 32 + 4 * 253);
    }

    void impossibleSettingsKeepTheSheet()
    {
        Window w;
        const FormControls ui(w.form);
        const QStringList sheet = w.sheet();
        w.click({"RadioButton1_10Zero", "RadioButton2_10Zero", "RadioButtonKuriAgariSagariAri_10"});
        QVERIFY(!w.form.FormDblClick());
        QCOMPARE(w.errors.size(), 1);
        QVERIFY(w.errors[0].contains(QString::fromUtf8(kolvara::texts::PlaceName[1].data())));
        QCOMPARE(w.sheet(), sheet);
        QCOMPARE(ui.LabelK->text(), expectedLine(5));
        // One digit each but impossible: the 5-a-row sheet stays as it was.
        w.click({"RadioButton1_100Zero", "RadioButton2_100Zero"});
        QVERIFY(!w.form.FormDblClick());
        QCOMPARE(w.sheet(), sheet);
        w.click({"RadioButtonKuriAgariSagariKonzai_10"});
        QVERIFY(w.form.FormDblClick());
        QCOMPARE(w.problems().size(), 28);
        // Switched to "－" where no subtraction exists: the sums keep their "+".
        const QStringList sums = w.sheet();
        w.click({"RadioGroupWaSaItem1", "RadioButton1_1Zero", "RadioButton2_1Rest", "RadioButtonKuriAgariSagariNashi_1"});
        QVERIFY(!w.form.FormDblClick());
        QCOMPARE(w.sheet(), sums);
    }

    // The status lines name what the sheet's problems follow, also where the fill changed
    // a selection of its own.
    void statusLinesDescribeTheSheet_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("lineK");
        QTest::newRow("borrow turned off by the fill")
            << QStringList{"RadioGroupWaSaItem1", "RadioButton1_100Zero", "RadioButton2_100Zero",
                           "RadioButtonKuriAgariSagariAri_10"}
            << QStringLiteral("な　し,な　し,混　在");
        QTest::newRow("nothing for the fill to change")
            << QStringList{"RadioGroupWaSaItem1", "RadioButtonKuriAgariSagariAri_10"}
            << QStringLiteral("な　し,あ　り,混　在");
    }
    void statusLinesDescribeTheSheet()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, lineK);
        Window w;
        const FormControls ui(w.form);
        for (const QString &name : clicks)
            w.click({name.toLatin1().constData()});
        QVERIFY(w.form.FormDblClick());
        QCOMPARE(ui.LabelK->text(), lineK);
        const bool always = lineK.section(',', 1, 1) == QStringLiteral("あ　り");
        for (TTessolin *p : w.problems())
            QVERIFY2(tensCarry(*p) == always, qPrintable(p->objectName()));
    }

    // The panel's count line follows every click and says what the next refresh will meet;
    // neither the sheet nor the status lines change with it.
    void problemCountLine_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("red");
        QTest::newRow("plenty") << QStringList{} << QStringLiteral("問題は1,000,000通り") << false;
        QTest::newRow("fewer than the sheet holds")
            << QStringList{"RadioButton1_100Zero", "RadioButton1_10Zero", "RadioButton2_100Zero", "RadioButton2_10Zero",
                           "RadioButton2_1Zero"}
            << QStringLiteral("問題は10通りだけです。28問の中に同じ問題がくり返し出ます") << false;
        QTest::newRow("none") << QStringList{"RadioButton1_10Zero", "RadioButton2_10Zero", "RadioButtonKuriAgariSagariAri_10"}
                              << QStringLiteral("足される数と足す数の十の位がどちらも「０」なので、十の位のくり上がりを「あり」にはできません")
                              << true;
        // The next fill turns the tens borrow off by itself, so problems do exist.
        QTest::newRow("what the fill will adjust")
            << QStringList{"RadioGroupWaSaItem1", "RadioButton1_100Zero", "RadioButtonKuriAgariSagariAri_10"}
            << QStringLiteral("問題は5,050通り") << false;
    }
    void problemCountLine()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, text);
        QFETCH(bool, red);
        Window w;
        const FormControls ui(w.form);
        const QStringList sheet = w.sheet();
        for (const QString &name : clicks)
            w.click({name.toLatin1().constData()});
        QCOMPARE(ui.LabelProblemCount->text(), text);
        QCOMPARE(ui.LabelProblemCount->palette().color(QPalette::WindowText) == QColor(Qt::red), red);
        QCOMPARE(w.sheet(), sheet);
        QCOMPARE(ui.LabelK->text(), expectedLine(5));
        if (qEnvironmentVariableIsSet("KOLVARA_GRAB"))
            w.form.grab().save(qEnvironmentVariable("KOLVARA_GRAB") + QTest::currentDataTag() + ".png");
    }

    // The print and file dialogs speak Qt's own words; they must come out Japanese too.
    void qtButtonsSpeakJapanese()
    {
        const QLocale before;
        installJapaneseTranslations(*qApp);
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        const QString cancel = box.button(QDialogButtonBox::Cancel)->text();
        qDeleteAll(qApp->findChildren<QTranslator *>());
        QLocale::setDefault(before);
        QCOMPARE(cancel, QStringLiteral("キャンセル"));
    }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("japanese") << QStringLiteral("\u3042") << QStringLiteral("\u3042.");
        QTest::newRow("letter") << QStringLiteral("failed") << QStringLiteral("failed.");
        QTest::newRow("full stop") << QStringLiteral("done.") << QStringLiteral("done.");
        QTest::newRow("below full stop") << QStringLiteral("a-") << QStringLiteral("a-");
        QTest::newRow("empty") << QString() << QString();
    }
    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(TFormKolvara::errorBoxText(message), shown);
    }
};

QTEST_MAIN(TestFormKolvara)
#include "tst_form_kolvara.moc"
