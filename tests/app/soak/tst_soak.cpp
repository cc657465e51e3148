// A long random session with the real window, offscreen: option and sign clicks, refreshes by button, key and
// double click, double clicks that must not refresh, the panel, window sizes, accelerator and arrow keys, and
// print runs through a print service that fails at random steps, their pages laid out with or without helper
// boxes. After every action the window must agree with its settings model, and the sheet with the settings of
// the fill that drew it, checked by column arithmetic done here. KOLVARA_SOAK_SEED picks the session (else a fixed one), KOLVARA_SOAK_ACTIONS its length; a failure
// names its starting number, the failing action and the ones just before it, and the same number repeats the session.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>

#include <random>

#include "feasibility.h"
#include "japanese_fonts.h"
#include "option_widgets.h"
#include "sheet_format_dialog.h"
#include "print_titles.h"
#include "sheet_painter.h"
#include "sheet_pdf.h"
#include "problem_table.h"

#include "../window_fixture.h"

using kolvara::Option;
using kolvara::Settings;

namespace {

// Left edge of the first problem on the window; the pitch spreads the rest over its width.
constexpr int FirstProblemLeft = 32;
const QString NoPrinter = QStringLiteral("デフォルト プリンタが存在しません");
const QString PrinterNotValid = QStringLiteral("選択したプリンタは有効ではありません");
const QString ServiceSilent = QStringLiteral("印刷サービスが応答しません");
const QString QueueStopped = QStringLiteral("プリンタは一時停止しています。再開すると印刷されます");

// "sub 022/222/211": the digit kinds of the upper and the lower number and the carry modes, hundreds to ones.
QString describe(const Settings &s)
{
    const std::uint8_t values[] = {s.DigitKind1_100, s.DigitKind1_10, s.DigitKind1_1, s.DigitKind2_100, s.DigitKind2_10,
                                   s.DigitKind2_1, s.CarryMode_100, s.CarryMode_10, s.CarryMode_1};
    QString text = QLatin1String(s.IsSubtraction ? "sub " : "add ");
    for (int i = 0; i < 9; ++i)
        text += QString::number(values[i]) + QLatin1String(i == 2 || i == 5 ? "/" : "");
    return text;
}

// Everything the panel shows of a settings model.
QString stateOf(const kolvara::ProblemSettings &m)
{
    QString text = describe(m.settings()) + QStringLiteral(", sign item %1, options").arg(m.operationItem());
    for (int g = 0; g < kolvara::OptionGroupCount; ++g)
        text += QStringLiteral(" %1 \"%2\"").arg(int(m.selectedOption(kolvara::OptionGroup(g))))
                    .arg(QString::fromStdString(m.statusText(kolvara::OptionGroup(g))));
    return text;
}

// Why `upper` and `lower` break the settings, worked out as on paper from the ones column up, each column taking
// the carry (or borrow) the column to its right really made; empty when they obey them.
QString breach(const Settings &s, int upper, int lower)
{
    using namespace kolvara;
    const bool sub = s.IsSubtraction == 1;
    if (sub && upper < lower)
        return QStringLiteral("negative difference");
    const int upperKinds[] = {s.DigitKind1_1, s.DigitKind1_10, s.DigitKind1_100};
    const int lowerKinds[] = {s.DigitKind2_1, s.DigitKind2_10, s.DigitKind2_100};
    const int modes[] = {s.CarryMode_1, s.CarryMode_10, s.CarryMode_100};
    const char *const places[] = {"ones", "tens", "hundreds"};
    auto allows = [](int kind, int digit) { return kind == Zero ? digit == 0 : kind == Rest ? digit > 0 : true; };
    int carry = 0;
    for (int column = 0, scale = 1; column < 3; ++column, scale *= 10) {
        const int a = upper / scale % 10, b = lower / scale % 10;
        if (!allows(upperKinds[column], a) || !allows(lowerKinds[column], b))
            return QStringLiteral("%1 digits %2 and %3 against their kinds").arg(places[column]).arg(a).arg(b);
        carry = sub ? (a - carry - b < 0) : (a + b + carry >= 10);
        // A difference has nothing left to borrow from beyond its hundreds.
        const int mode = sub && column == 2 ? int(Nashi) : modes[column];
        if ((mode == Ari && !carry) || (mode == Nashi && carry))
            return QStringLiteral("%1 column makes %2 %3")
                .arg(places[column], carry ? "a" : "no", sub ? "borrow" : "carry");
    }
    return {};
}

int upperOf(const TTessolin *p) { return p->ValueLine1_100() * 100 + p->ValueLine1_10() * 10 + p->ValueLine1_1(); }
int lowerOf(const TTessolin *p) { return p->ValueLine2_100() * 100 + p->ValueLine2_10() * 10 + p->ValueLine2_1(); }

// One thing the window shows, and what it should show.
struct Check {
    const char *what;
    QString shown, expected;
};

// "0110": flags and small counts, a digit each.
template <typename... Values>
QString digits(Values... values)
{
    return (QString() + ... + QString::number(values));
}

// The first of `checks` that fails, as the failure; empty when they all pass.
QString firstFailing(std::initializer_list<Check> checks)
{
    for (const Check &c : checks)
        if (c.shown != c.expected)
            return QStringLiteral("%1 [%2], expected [%3]").arg(c.what, c.shown, c.expected);
    return {};
}

// What an action must leave behind, besides what holds after any action.
struct Expect {
    kolvara::ProblemSettings model;
    int fills = 0;  // fills that draw a new sheet
    QStringList errors = {}, notices = {}, calls = {};
};

// The settings a sheet was drawn for, its layout, and the status lines that name those settings.
struct Fill {
    Settings settings;
    int perRow = 5, pitch = 0;
    QStringList lines;
};

// Drives the window, and stands in for its print service: a print run, or a printer setup, fails at the step
// drawn for it.
class Soak : public PrintService {
public:
    Soak(std::uint32_t seed, bool helperBoxes) : seed_(seed), random_(seed)
    {
        const Settings first = form().settings().settings();
        fill_ = {first, kolvara::problemsPerRowFor(first), form().columnPitch(), statusLines()};
        for (int r = 0; r < kolvara::SheetRowCount; ++r)
            rowTops_[r] = form().problemControl(1 + r * fill_.perRow)->y();
        form().setNoticeReporter([this](const QString &m) { notices_ << m; });
        form().setSaveFileNameAsker([this](const QString &) { return ++pdfAsks_, QString(); });
        // The sheet-format dialog is answered with Cancel, which changes nothing, or with
        // helper boxes turned on, which change only the printed pages.
        form().setSheetFormatAsker([helperBoxes](SheetFormatDialog &dialog) {
            for (QCheckBox *box : dialog.findChildren<QCheckBox *>())
                if (box->text().startsWith(QStringLiteral("補助数字")))
                    box->setChecked(true);
            return helperBoxes;
        });
        if (helperBoxes)
            form().findChild<QPushButton *>(QStringLiteral("ButtonSheetFormat"))->click();
        helperBoxes_ = helperBoxes;
        QApplication::setActiveWindow(&form());
        answers_ = ui().CheckBoxPrintAnswer->isChecked();
        ruled_ = ui().CheckBoxRuledLine->isChecked();
        for (QWidget *w : form().findChildren<QWidget *>()) {
            const auto *b = qobject_cast<QAbstractButton *>(w);
            const auto *g = qobject_cast<QGroupBox *>(w);
            if (const auto key = QKeySequence::mnemonic(b ? b->text() : g ? g->title() : QString()); !key.isEmpty())
                mnemonics_.push_back({key, w});
        }
        window_.onClock = [this] { ++fills_, fillWidth_ = form().outerWidth(); };
    }

    TFormKolvara &form() { return window_.form; }

    // Runs action `number`; returns what went wrong, empty when nothing did.
    QString step(int number)
    {
        window_.errors.clear(), notices_.clear(), calls_.clear(), pageFailure_.clear();
        const auto tableBefore = tableContents();
        nextFill_ = kolvara::settingsForNextFill(form().settings());
        const int fillsBefore = fills_;
        const Expect expect = act();
        QString failure = pageFailure_;
        syncFill();
        if (failure.isEmpty())
            failure = check(expect, fills_ - fillsBefore, fills_ == fillsBefore && tableContents() != tableBefore);
        recent_ << QStringLiteral("%1: %2").arg(number).arg(action_);
        if (recent_.size() > 10)
            recent_.removeFirst();
        if (failure.isEmpty())
            return {};
        return QStringLiteral("seed %1, action %2: %3\nlast actions:\n  %4\nreplay with KOLVARA_SOAK_SEED=%1")
            .arg(seed_).arg(number).arg(failure, recent_.join(QStringLiteral("\n  ")));
    }

    enum Step { Landscape, ProblemPage, AnswerPage, Finish, Setup, Never };

    QFuture<QString> prepareLandscape() override { return ready(serve(QStringLiteral("landscape"), Landscape)); }
    QFuture<QString> printSheet(const kolvara::Sheet &sheet, const QString &title) override
    {
        const Step page = title.endsWith(QString::fromUtf8(answerPageSuffix)) ? AnswerPage : ProblemPage;
        checkPage(page, sheet);
        return ready(serve(title, page));
    }
    QString finishRun() override { return serve(QStringLiteral("finish"), Finish); }
    QFuture<QString> setup(QWidget *) override { return ready(serve(QStringLiteral("setup"), Setup)); }
    QString runNotice() override
    {
        calls_ << QStringLiteral("notice");
        return notice_;
    }

private:
    // The service answers at once: the whole run happens within the click.
    static QFuture<QString> ready(const QString &answer) { return QtFuture::makeReadyFuture(answer); }
    QString serve(const QString &call, Step step)
    {
        calls_ << call;
        return failAt_ == step ? failure_ : QString();
    }

    FormControls ui() { return FormControls(form()); }
    QWindow *window() { return form().windowHandle(); }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    QRadioButton *radio(Option o) { return window_.radio(kolvara::objectName(o).data()); }
    QRadioButton *sign(int item) { return item ? ui().RadioGroupWaSaItem1 : ui().RadioGroupWaSaItem0; }
    QStringList statusLines()
    {
        const kolvara::ProblemSettings &m = form().settings();
        return {QString::fromStdString(m.statusLine1()), QString::fromStdString(m.statusLine2()),
                QString::fromStdString(m.statusLineK())};
    }
    std::vector<std::string> tableContents()
    {
        const kolvara::ProblemTable &t = form().table();
        std::vector cells{std::to_string(t.filledProblemCount()), std::to_string(t.filledForSubtraction())};
        for (int c = 0; c < t.columnCount(); ++c)
            for (int r = 0; r < kolvara::ProblemTable::Rows; ++r)
                cells.push_back(t.cell(c, r));
        return cells;
    }

    // A fill read the clock: the sheet now comes from the settings the action started with.
    void syncFill()
    {
        if (fills_ == seenFills_)
            return;
        seenFills_ = fills_;
        const int perRow = kolvara::problemsPerRowFor(nextFill_);
        fill_ = {nextFill_, perRow, (fillWidth_ - FirstProblemLeft) / perRow, statusLines()};
    }

    // Clicks `b` where a user would, a push button in its middle, a radio button or check box on its mark;
    // nothing when it is hidden or something covers that point.
    std::optional<Expect> click(QAbstractButton *b)
    {
        const QPoint mark = qobject_cast<QPushButton *>(b) ? b->rect().center() : QPoint(6, b->height() / 2);
        const QPoint p = b->mapTo(&form(), mark);
        if (!b->isVisible() || form().childAt(p) != b)
            return std::nullopt;
        action_ = "click " + b->objectName();
        Expect e = pressing(b);
        QTest::mouseClick(window(), Qt::LeftButton, {}, p);
        return e;
    }
    // Double clicks a point of `widget` where nothing covers it, or of the window's own surface; returns what it
    // did, empty when it found no such point.
    QString doubleClickOn(QWidget *widget = nullptr)
    {
        for (int tries = 0; tries < 50; ++tries) {
            const QRect r = widget ? widget->rect() : form().rect();
            const QPoint p =
                (widget ? widget->mapTo(&form(), QPoint()) : QPoint()) + QPoint(below(r.width()), below(r.height()));
            if (form().rect().contains(p) && form().childAt(p) == widget) {
                QTest::mouseDClick(window(), Qt::LeftButton, {}, p);
                return QStringLiteral("double click%1 at (%2,%3)")
                    .arg(widget ? " on " + widget->objectName() : QString()).arg(p.x()).arg(p.y());
            }
        }
        return {};
    }
    QString resizeAtRandom()
    {
        const QSize size(760 + below(700), 540 + below(360));
        form().resize(size);
        return QStringLiteral("resize to %1x%2").arg(size.width()).arg(size.height());
    }

    // The model as it stands, apart from the window, and nothing else to happen.
    Expect unchanged()
    {
        Expect e{form().settings()};
        e.model.selectionChanged = nullptr, e.model.operationChanged = nullptr;
        return e;
    }
    Expect refreshing(Expect e)
    {
        kolvara::adjustForFill(e.model);
        if (const kolvara::Feasibility f = kolvara::checkFeasibility(e.model.settings()); f.possible)
            ++e.fills;
        else
            e.errors << QString::fromStdString(f.reason);
        return e;
    }

    // A print run with a fault drawn at random for it.
    Expect printing()
    {
        failAt_ = Never;
        notice_.clear();
        switch (below(6)) {
        case 0: failAt_ = Landscape, failure_ = NoPrinter; break;
        case 1: failAt_ = Step(ProblemPage + below(2)), failure_ = PrinterNotValid; break;
        case 2: failAt_ = Step(below(4)), failure_ = ServiceSilent; break;
        case 3: notice_ = QueueStopped; break;
        default: break;
        }
        const char *const steps[] = {"landscape", "problem page", "answer page", "finish", "setup", "nowhere"};
        action_ += QStringLiteral(": print%1, fails at %2%3")
                       .arg(answers_ ? " with answers" : "", steps[failAt_])
                       .arg(notice_.isEmpty() ? "" : ", queue stopped");
        Expect e = unchanged();
        panelOpen_ = true;
        // A sheet of the other sign or row size is refreshed before it goes out.
        const Settings now = e.model.settings();
        const bool redraw =
            now.IsSubtraction != fill_.settings.IsSubtraction || kolvara::problemsPerRowFor(now) != fill_.perRow;
        const QString title = form().windowTitle();
        const QStringList calls{QStringLiteral("landscape"), title + QString::fromUtf8(problemPageSuffix),
                                title + QString::fromUtf8(answerPageSuffix), QStringLiteral("finish")};
        for (const Step step : {Landscape, ProblemPage, AnswerPage, Finish}) {
            if (step == AnswerPage && !answers_)
                continue;
            e.calls << calls[step];
            if (failAt_ == step) {
                e.errors << failure_;
                return e;
            }
            if (step == Landscape && redraw) {
                e = refreshing(e);
                if (!e.errors.isEmpty())
                    return e;
            }
        }
        // The pages went out: settings that now admit no problem say so beside that, not as a failure.
        e = refreshing(e);
        if (!e.errors.isEmpty())
            e.notices << TFormKolvara::printedWithoutNewProblemsText(e.errors.takeFirst());
        e.calls << QStringLiteral("notice");
        if (!notice_.isEmpty())
            e.notices << notice_;
        return e;
    }

    // What pressing `b` does, by mouse or by its key.
    Expect pressing(QAbstractButton *b)
    {
        const FormControls u = ui();
        if (b == u.ButtonKoushin)
            return refreshing(unchanged());
        if (b == u.ButtonPrintOut)
            return printing();
        Expect e = unchanged();
        if (b == u.ButtonPrinterSetup) {
            failAt_ = chance(0.3) ? Setup : Never;
            failure_ = NoPrinter;
            e.calls << QStringLiteral("setup");
            if (failAt_ == Setup)
                e.errors << NoPrinter;
        } else if (b == u.ButtonGroupBoxStartClose || b == u.ButtonShokiSettei) {
            panelOpen_ = b == u.ButtonShokiSettei;
        } else if (b == u.CheckBoxPrintAnswer || b == u.CheckBoxRuledLine) {
            bool &checked = b == u.CheckBoxPrintAnswer ? answers_ : ruled_;
            checked = !checked;
        } else if (b == u.ButtonSavePdf) {
            ++expectedPdfAsks_;
        } else {
            select(e.model, b);
        }
        return e;
    }
    // What checking a radio button does to the model.
    void select(kolvara::ProblemSettings &model, QAbstractButton *b)
    {
        if (b == sign(0) || b == sign(1))
            model.selectOperation(b == sign(1));
        for (int o = 0; o < kolvara::OptionCount; ++o)
            if (b == radio(Option(o)))
                model.SelectOption(Option(o));
    }

    // Draws actions until one can be done: its button may be hidden or covered.
    Expect act()
    {
        const FormControls u = ui();
        for (;;) {
            const int roll = below(100);
            QAbstractButton *target = nullptr;
            if (roll < 28) {
                // Rows of 7 need "０" in four groups at once: those options come up more often.
                const Option towardSeven[] = {Option::RadioButton1_100Zero, Option::RadioButton1_10Zero,
                                              Option::RadioButton2_100Zero, Option::RadioButton2_10Zero};
                target = radio(chance(0.3) ? towardSeven[below(4)] : Option(below(kolvara::OptionCount)));
            } else if (roll < 34) {
                target = sign(below(2));
            } else if (roll < 61) {
                QAbstractButton *const buttons[] = {
                    u.ButtonKoushin, u.ButtonPrintOut, u.ButtonPrintOut, u.ButtonPrintOut, u.ButtonPrinterSetup,
                    u.ButtonGroupBoxStartClose, u.ButtonShokiSettei, u.CheckBoxPrintAnswer, u.CheckBoxRuledLine,
                    u.ButtonSavePdf};
                target = buttons[below(int(std::size(buttons)))];
            } else if (roll < 67) {  // a double click on the sheet itself refreshes
                const Expect e = refreshing(unchanged());
                if (action_ = doubleClickOn(); !action_.isEmpty())
                    return e;
            } else if (roll < 73) {  // one on a label or a problem does not
                QList<QWidget *> targets;
                for (QWidget *w : form().findChildren<QWidget *>())
                    if (w->isVisible() && (qobject_cast<QLabel *>(w) || qobject_cast<TTessolin *>(w)))
                        targets << w;
                const Expect e = unchanged();
                if (action_ = doubleClickOn(targets[below(int(targets.size()))]); !action_.isEmpty())
                    return e;
            } else if (roll < 78) {
                const Expect e = unchanged();
                action_ = resizeAtRandom();
                return e;
            } else {
                return roll < 86 ? accelerator() : arrowKey();
            }
            if (target)
                if (std::optional<Expect> e = click(target))
                    return *e;
        }
    }

    Expect accelerator()
    {
        const auto &[key, widget] = mnemonics_[std::size_t(below(int(mnemonics_.size())))];
        action_ = key.toString() + " for " + widget->objectName();
        std::vector<QWidget *> owners;
        for (const auto &m : mnemonics_)
            if (m.first == key && m.second->isVisible() && m.second->isEnabled())
                owners.push_back(m.second);
        // Several visible owners of one letter only take turns at the focus.
        auto *button = owners.size() == 1 ? qobject_cast<QAbstractButton *>(owners[0]) : nullptr;
        const Expect e = button ? pressing(button) : unchanged();
        QTest::keyClick(window(), Qt::Key(key[0].key()), Qt::AltModifier);
        // A button's letter presses it for a moment, then clicks it.
        if (button && !QTest::qWaitFor([button] { return !button->isDown(); }, 5000))
            action_ += " (never released)";
        return e;
    }

    Expect arrowKey()
    {
        const Qt::Key key = std::array{Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right}[below(4)];
        auto *before = qobject_cast<QRadioButton *>(QApplication::focusWidget());
        const bool wasChecked = before && before->isChecked();
        Expect e = unchanged();
        QTest::keyClick(window(), key);
        auto *after = qobject_cast<QRadioButton *>(QApplication::focusWidget());
        action_ = QStringLiteral("key %1 from %2 to %3")
                      .arg(QKeySequence(key).toString(), before ? before->objectName() : "-")
                      .arg(after ? after->objectName() : "-");
        // An arrow moves a checked radio button's check along with the focus.
        if (wasChecked && after && after != before && after->parentWidget() == before->parentWidget())
            select(e.model, after);
        return e;
    }

    // What must hold after an action: what it expected, then the window agreeing with its settings model, and
    // the sheet with its last fill.
    QString check(const Expect &e, int fills, bool tableChangedWithoutFill)
    {
        const FormControls u = ui();
        const kolvara::ProblemSettings &m = form().settings();
        // The model selects one option a group: the buttons it selects are one checked button a group.
        QStringList checked, selected;
        for (int o = 0; o < kolvara::OptionCount; ++o) {
            if (radio(Option(o))->isChecked())
                checked << radio(Option(o))->objectName();
            if (m.isSelected(Option(o)))
                selected << radio(Option(o))->objectName();
        }
        const int item = m.operationItem();
        const QString failure = firstFailing({
            {"fills", QString::number(fills), QString::number(e.fills)},
            {"problem table changed without a fill", QString::number(tableChangedWithoutFill), "0"},
            {"settings model", stateOf(m), stateOf(e.model)},
            {"errors", window_.errors.join('|'), e.errors.join('|')},
            {"notices", notices_.join('|'), e.notices.join('|')},
            {"print service asked", calls_.join('|'), e.calls.join('|')},
            {"PDF file asks", QString::number(pdfAsks_), QString::number(expectedPdfAsks_)},
            {"checked options", checked.join(' '), selected.join(' ')},
            {"sign buttons checked", digits(sign(0)->isChecked(), sign(1)->isChecked()), digits(item == 0, item == 1)},
            {"sign item of a model with subtraction", digits(item), digits(m.settings().IsSubtraction)},
            {"panel, its open button, print, setup, refresh, answer pass", controls(),
             digits(panelOpen_, !panelOpen_, 1, 1, 1, 0)},
            {"answers and place boxes checked",
             digits(u.CheckBoxPrintAnswer->isChecked(), u.CheckBoxRuledLine->isChecked()), digits(answers_, ruled_)},
            {"status lines", QStringList{u.Label1->text(), u.Label2->text(), u.LabelK->text()}.join('|'),
             fill_.lines.join('|')},
        });
        return failure.isEmpty() ? checkSheet(Never) : failure;
    }

    // Which of the panel, its open button, and the print, setup and refresh buttons show; the answer pass.
    QString controls()
    {
        const FormControls u = ui();
        return digits(u.GroupBoxStart->isVisible(), u.ButtonShokiSettei->isVisible(), u.ButtonPrintOut->isVisible(),
                      u.ButtonPrinterSetup->isVisible(), u.ButtonKoushin->isVisible(), form().answerPass());
    }

    // The sheet as the last fill laid it out: its problems at its positions, with its sign, each obeying the
    // settings it was drawn for; on a page built afresh, with answers only on the answer page and the place boxes
    // as the check box says.
    QString checkSheet(Step page)
    {
        const Fill &f = fill_;
        const bool answers = page == AnswerPage, sub = f.settings.IsSubtraction == 1;
        const int count = kolvara::SheetRowCount * f.perRow;
        if (const auto shown = window_.problems().size(); shown != count)
            return QStringLiteral("%1 problems on the sheet, the fill (%2) drew %3")
                .arg(shown).arg(describe(f.settings)).arg(count);
        const kolvara::ProblemTable &table = form().table();
        for (int c = 1; c <= count; ++c) {
            const TTessolin *p = form().problemControl(c);
            if (!p)
                return QStringLiteral("no Pelmora%1").arg(c);
            const int upper = upperOf(p), lower = lowerOf(p);
            const QPoint at(FirstProblemLeft + (c - 1) % f.perRow * f.pitch, rowTops_[(c - 1) / f.perRow]);
            auto point = [](QPoint q) { return QStringLiteral("(%1,%2)").arg(q.x()).arg(q.y()); };
            const QString failure = firstFailing({
                {"table cells", QString::fromStdString(table.cell(c, 1) + " " + table.cell(c, 2)),
                 QStringLiteral("%1 %2").arg(upper).arg(lower)},
                {"position", point(p->pos()), point(at)},
                {"sign", p->Sign(), sub ? "-" : "+"},
                {"breach of the settings", breach(f.settings, upper, lower), ""},
                {"answer", p->ShowAnswer() ? QString::number(p->ValueAnswer()) : "hidden",
                 answers ? QString::number(sub ? upper - lower : upper + lower) : "hidden"},
                {"place boxes", page == Never ? "" : digits(p->ShowRuledLine()), page == Never ? "" : digits(ruled_)},
            });
            if (!failure.isEmpty())
                return QStringLiteral("Pelmora%1 %2 %3 %4 (fill: %5): ")
                           .arg(c).arg(upper).arg(p->Sign()).arg(lower).arg(describe(f.settings)) + failure;
        }
        return {};
    }

    // While a page goes out: the page, then what a user may do meanwhile.
    // The page printed is the sheet on screen, with the answers on the answer page only.
    void checkPage(Step page, const kolvara::Sheet &sheet)
    {
        if (!pageFailure_.isEmpty())
            return;
        syncFill();
        QStringList onScreen, shown;
        for (int c = 1; const TTessolin *p = form().problemControl(c); ++c)
            onScreen << QStringLiteral("%1%2%3").arg(upperOf(p)).arg(p->Sign()).arg(lowerOf(p));
        for (const kolvara::SheetProblem &p : sheet.problems)
            shown << QString::fromStdString(kolvara::problemText(p));
        const bool answerPage = page == AnswerPage;
        // Laid out as a printer would: helper digits of every kind of column included.
        static const kolvara::Paper paper = paperOf(landscapeLayout(QPageSize(QPageSize::A4)));
        static const QtTextMetrics metrics;
        kolvara::layOutPage(sheet, paper, metrics);
        QString failure = firstFailing({
            {"panel, its open button, print, setup, refresh, answer pass", controls(),
             digits(0, 0, 0, 0, 0, answerPage)},
            {"page as on screen", shown.join(' '), onScreen.join(' ')},
            {"problems as on the problem page", shown.join(' '), (answerPage ? problemPage_ : shown).join(' ')},
            {"answers, boxes, row, helper boxes",
             digits(sheet.answers, sheet.boxes, sheet.problemsPerRow, sheet.format.helperBoxes),
             digits(answerPage, ruled_, fill_.perRow, helperBoxes_)},
        });
        if (failure.isEmpty())
            failure = checkSheet(Never);
        problemPage_ = shown;
        if (!failure.isEmpty()) {
            pageFailure_ = (answerPage ? "answer page: " : "problem page: ") + failure;
            return;
        }
        // The service keeps the window responsive while it works: a double click on the sheet, or a new window
        // size, must not change what the next page shows.
        const QString onPage = QStringLiteral(" on page %1").arg(page);
        if (chance(0.3))
            if (const QString clicked = doubleClickOn(); !clicked.isEmpty())
                action_ += ", " + clicked + onPage;
        if (chance(0.15))
            action_ += ", " + resizeAtRandom() + onPage;
    }

    const std::uint32_t seed_;
    std::mt19937 random_;
    Step failAt_ = Never;
    QString failure_, notice_, action_, pageFailure_;
    QStringList calls_, notices_, recent_, problemPage_;
    Window window_{this};
    int fills_ = 0, seenFills_ = 0, fillWidth_ = 0, pdfAsks_ = 0, expectedPdfAsks_ = 0;
    Fill fill_;
    Settings nextFill_;
    std::array<int, kolvara::SheetRowCount> rowTops_{};
    std::vector<std::pair<QKeySequence, QWidget *>> mnemonics_;
    bool panelOpen_ = true, answers_ = true, ruled_ = true, helperBoxes_ = false;
};

}  // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

    void randomSessionKeepsWindowAndSheetConsistent_data()
    {
        QTest::addColumn<bool>("helperBoxes");
        QTest::newRow("plain pages") << false;
        QTest::newRow("helper boxes on both operations' pages") << true;
    }
    void randomSessionKeepsWindowAndSheetConsistent()
    {
        QFETCH(bool, helperBoxes);
        bool ok = false;
        const std::uint32_t given = qEnvironmentVariable("KOLVARA_SOAK_SEED").toUInt(&ok);
        const std::uint32_t seed = ok ? given : std::mt19937::default_seed;
        const int givenActions = qEnvironmentVariableIntValue("KOLVARA_SOAK_ACTIONS", &ok);
        const int actions = ok ? givenActions : 3000;
        Soak soak(seed, helperBoxes);
        QVERIFY(QTest::qWaitForWindowActive(&soak.form()));
        QElapsedTimer timer;
        timer.start();
        for (int n = 1; n <= actions; ++n)
            if (const QString failure = soak.step(n); !failure.isEmpty())
                QFAIL(qPrintable(failure));
        qInfo("seed %u: %d actions in %.1f s", seed, actions, double(timer.elapsed()) / 1000);
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
