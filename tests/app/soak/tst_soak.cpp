// A long random session with the real window, offscreen: option and sign clicks, refreshes
// by button, key and double click, double clicks that must not refresh, the panel, window
// sizes, accelerator keys, arrow keys and print runs through a print service that fails at
// random steps. After every action the window must agree with its settings model, and the
// sheet with the settings of the fill that drew it, checked by column arithmetic done here.
// The random actions come from one seed (KOLVARA_SOAK_SEED, else a fixed one); a failure
// reports the starting number, the failing action and the ones just before it; running
// again with that number repeats the session.
// KOLVARA_SOAK_ACTIONS sets how many actions run.
#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <deque>
#include <memory>
#include <random>

#include "feasibility.h"
#include "form_kolvara.h"
#include "japanese_fonts.h"
#include "print_titles.h"
#include "problem_table.h"
#include "tessolin.h"
#include "ui_FormKolvara.h"

using kolvara::Settings;

namespace {

const QString NoPrinter = QStringLiteral("デフォルト プリンタが存在しません");
const QString PrinterNotValid = QStringLiteral("選択したプリンタは有効ではありません");
const QString ServiceSilent = QStringLiteral("印刷サービスが応答しません");
const QString QueueStopped = QStringLiteral("プリンタは一時停止しています。再開すると印刷されます");

// "sub 022/222/211": the digit kinds of the upper and the lower number and the carry
// modes, hundreds to ones, as the settings store them.
QString describe(const Settings &s)
{
    const std::uint8_t values[] = {s.DigitKind1_100, s.DigitKind1_10, s.DigitKind1_1, s.DigitKind2_100, s.DigitKind2_10,
                                   s.DigitKind2_1, s.CarryMode_100, s.CarryMode_10, s.CarryMode_1};
    QString text = QLatin1String(s.IsSubtraction ? "sub " : "add ");
    for (int i = 0; i < 9; ++i)
        text += QString::number(values[i]) + QLatin1String(i == 2 || i == 5 ? "/" : "");
    return text;
}

// Why `upper` and `lower` break the settings, worked out as on paper from the ones column
// up, each column taking the carry (or borrow) the column to its right really made; empty
// when they obey them.
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
            return QStringLiteral("%1 column %2")
                .arg(places[column], carry ? (sub ? "borrows" : "carries") : (sub ? "does not borrow" : "does not carry"));
    }
    return {};
}

// The numbers a problem shows, from its digits.
int upperOf(const TTessolin *p) { return p->ValueLine1_100() * 100 + p->ValueLine1_10() * 10 + p->ValueLine1_1(); }
int lowerOf(const TTessolin *p) { return p->ValueLine2_100() * 100 + p->ValueLine2_10() * 10 + p->ValueLine2_1(); }

// Everything the panel shows of the settings model.
struct ModelState {
    Settings settings;
    int operation = 0;
    std::array<kolvara::Option, kolvara::OptionGroupCount> selected{};
    std::array<std::string, kolvara::OptionGroupCount> texts;
    explicit ModelState(const kolvara::ProblemSettings &m) : settings(m.settings()), operation(m.operationItem())
    {
        for (int g = 0; g < kolvara::OptionGroupCount; ++g) {
            selected[g] = m.selectedOption(kolvara::OptionGroup(g));
            texts[g] = m.statusText(kolvara::OptionGroup(g));
        }
    }
    bool operator==(const ModelState &) const = default;
};

// Fails the step, or the page being printed, at the given point of its run.
struct FlakyPrinter : PrintService {
    enum Step { Landscape, ProblemPage, AnswerPage, Finish, Never };
    Step failAt = Never;
    QString failure, notice, setupFailure;
    QStringList calls;
    std::function<void(QWidget &, int page)> onPage;

    QString prepareLandscape() override
    {
        calls << QStringLiteral("landscape");
        return failAt == Landscape ? failure : QString();
    }
    QString printWindow(QWidget &window, const QString &title) override
    {
        calls << title;
        const int page = title.endsWith(QString::fromUtf8(answerPageSuffix)) ? AnswerPage : ProblemPage;
        onPage(window, page);
        return failAt == page ? failure : QString();
    }
    QString finishRun() override
    {
        calls << QStringLiteral("finish");
        return failAt == Finish ? failure : QString();
    }
    QString setup(QWidget *) override
    {
        calls << QStringLiteral("setup");
        return setupFailure;
    }
    QString runNotice() override
    {
        calls << QStringLiteral("notice");
        return notice;
    }
};

// What an action must leave behind, besides the invariants that hold after any action.
struct Expect {
    kolvara::ProblemSettings model;
    int fills = 0;  // fills that draw a new sheet
    QStringList errors, notices, calls;
};

struct Fill {
    Settings settings;
    int perRow = 5, pitch = 0;
    QStringList lines;  // the status lines that name its settings
};

class Soak {
public:
    explicit Soak(std::uint32_t seed) : seed_(seed), random_(seed)
    {
        form_ = std::make_unique<TFormKolvara>(
            [this] {
                ++fills_;
                fillWidth_ = form_ ? form_->outerWidth() : 0;
                return now_ += 17;
            },
            &printer_);
        fill_ = {form_->settings().settings(), kolvara::problemsPerRowFor(form_->settings().settings()),
                 form_->geometry().ColumnPitch, statusLines()};
        seenFills_ = fills_;
        for (int r = 0; r < kolvara::SheetRowCount; ++r)
            rowTops_[r] = form_->problemControl(1 + r * fill_.perRow)->y();
        form_->setErrorReporter([this](const QString &m) { errors_ << m; });
        form_->setNoticeReporter([this](const QString &m) { notices_ << m; });
        form_->setSaveFileNameAsker([this](const QString &) { return ++pdfAsks_, QString(); });
        printer_.onPage = [this](QWidget &, int page) { checkPage(page); };
        form_->show();
        QApplication::setActiveWindow(form_.get());
        answers_ = ui().CheckBoxPrintAnswer->isChecked();
        ruled_ = ui().CheckBoxRuledLine->isChecked();
        for (QAbstractButton *b : form_->findChildren<QAbstractButton *>())
            if (const QKeySequence key = QKeySequence::mnemonic(b->text()); !key.isEmpty())
                mnemonics_.push_back({key, b});
        for (QGroupBox *g : form_->findChildren<QGroupBox *>())
            if (const QKeySequence key = QKeySequence::mnemonic(g->title()); !key.isEmpty())
                mnemonics_.push_back({key, g});
    }

    TFormKolvara &form() { return *form_; }

    // Runs action `number`; returns what went wrong, empty when nothing did.
    QString step(int number)
    {
        errors_.clear(), notices_.clear(), printer_.calls.clear(), pageFailure_.clear();
        const auto tableBefore = tableContents();
        nextFill_ = kolvara::settingsForNextFill(form_->settings());
        const int fillsBefore = fills_;
        const std::optional<Expect> expect = act();
        QString failure = pageFailure_;
        syncFill();
        if (failure.isEmpty() && expect)
            failure = compare(*expect, fills_ - fillsBefore, fills_ == fillsBefore && tableContents() != tableBefore);
        if (failure.isEmpty())
            failure = checkWindow();
        recent_.push_back(QStringLiteral("%1: %2").arg(number).arg(action_));
        if (recent_.size() > 10)
            recent_.pop_front();
        if (failure.isEmpty())
            return {};
        QString report = QStringLiteral("seed %1, action %2: %3\nlast actions:").arg(seed_).arg(number).arg(failure);
        for (const QString &a : recent_)
            report += "\n  " + a;
        return report + QStringLiteral("\nreplay with KOLVARA_SOAK_SEED=%1").arg(seed_);
    }

private:
    Ui::FormKolvara &ui() { return form_->ui(); }
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    kolvara::ProblemSettings model() const
    {
        kolvara::ProblemSettings copy = form_->settings();
        copy.selectionChanged = nullptr;
        copy.operationChanged = nullptr;
        return copy;
    }
    QRadioButton *radio(kolvara::Option o) { return form_->findChild<QRadioButton *>(QString::fromUtf8(kolvara::objectName(o).data())); }
    QRadioButton *sign(int item) { return item ? ui().RadioGroupWaSaItem1 : ui().RadioGroupWaSaItem0; }

    std::vector<std::string> tableContents() const
    {
        const kolvara::ProblemTable &t = form_->table();
        std::vector<std::string> cells{std::to_string(t.filledProblemCount()), std::to_string(t.filledForSubtraction())};
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
        fill_ = {nextFill_, perRow, (fillWidth_ - kolvara::SheetMargin) / perRow, statusLines()};
    }
    QStringList statusLines() const
    {
        const kolvara::ProblemSettings &m = form_->settings();
        return {QString::fromStdString(m.statusLine1()), QString::fromStdString(m.statusLine2()),
                QString::fromStdString(m.statusLineK())};
    }

    // ---- Input, as the window system delivers it ----

    QWindow *window() { return form_->windowHandle(); }
    // Clicks `b` where a user would, a push button in its middle, a radio button or check
    // box on its mark; nothing when it is hidden or something covers that point.
    std::optional<Expect> click(QAbstractButton *b)
    {
        const QPoint p = b->mapTo(form_.get(), qobject_cast<QPushButton *>(b) ? b->rect().center() : QPoint(6, b->height() / 2));
        if (!b->isVisible() || form_->childAt(p) != b)
            return std::nullopt;
        action_ = "click " + b->objectName();
        Expect e = pressing(b);
        QTest::mouseClick(window(), Qt::LeftButton, {}, p);
        return e;
    }
    // A point of the window's own surface, or of `widget` where nothing covers it.
    std::optional<QPoint> pointOn(QWidget *widget)
    {
        for (int tries = 0; tries < 50; ++tries) {
            const QRect r = widget ? widget->rect() : form_->rect();
            const QPoint p = (widget ? widget->mapTo(form_.get(), QPoint()) : QPoint()) +
                             QPoint(below(r.width()), below(r.height()));
            if (form_->rect().contains(p) && form_->childAt(p) == widget)
                return p;
        }
        return std::nullopt;
    }
    void doubleClick(QPoint p) { QTest::mouseDClick(window(), Qt::LeftButton, {}, p); }

    // ---- Expectations ----

    Expect unchanged() { return {model(), 0, {}, {}, {}}; }
    void expectRefresh(Expect &e)
    {
        kolvara::adjustForFill(e.model);
        if (const kolvara::Feasibility f = kolvara::checkFeasibility(e.model.settings()); f.possible)
            ++e.fills;
        else
            e.errors << QString::fromStdString(f.reason);
    }
    Expect refreshing()
    {
        Expect e = unchanged();
        expectRefresh(e);
        return e;
    }

    // A print run with a fault drawn at random for it.
    Expect printing()
    {
        using S = FlakyPrinter::Step;
        printer_.failAt = S::Never;
        printer_.notice.clear();
        switch (below(6)) {
        case 0: printer_.failAt = S::Landscape, printer_.failure = NoPrinter; break;
        case 1: printer_.failAt = S(S::ProblemPage + below(2)), printer_.failure = PrinterNotValid; break;
        case 2: printer_.failAt = S(below(4)), printer_.failure = ServiceSilent; break;
        case 3: printer_.notice = QueueStopped; break;
        default: break;
        }
        const char *const steps[] = {"landscape", "problem page", "answer page", "finish", "nowhere"};
        action_ += QStringLiteral(": print%1, fails at %2%3")
                       .arg(answers_ ? " with answers" : "", steps[printer_.failAt],
                            printer_.notice.isEmpty() ? "" : ", queue stopped");
        const QString title = form_->windowTitle();
        Expect e = unchanged();
        panelOpen_ = true;
        e.calls << QStringLiteral("landscape");
        auto failsAt = [&](S step) {
            if (printer_.failAt != step)
                return false;
            e.errors << printer_.failure;
            return true;
        };
        if (failsAt(S::Landscape))
            return e;
        // A sheet of the other sign or row size is refreshed before it goes out.
        const Settings now = e.model.settings();
        if (now.IsSubtraction != fill_.settings.IsSubtraction || kolvara::problemsPerRowFor(now) != fill_.perRow) {
            expectRefresh(e);
            if (!e.errors.isEmpty())
                return e;
        }
        e.calls << title + QString::fromUtf8(problemPageSuffix);
        if (failsAt(S::ProblemPage))
            return e;
        if (answers_) {
            e.calls << title + QString::fromUtf8(answerPageSuffix);
            if (failsAt(S::AnswerPage))
                return e;
        }
        e.calls << QStringLiteral("finish");
        if (failsAt(S::Finish))
            return e;
        expectRefresh(e);
        e.calls << QStringLiteral("notice");
        if (!printer_.notice.isEmpty())
            e.notices << printer_.notice;
        return e;
    }

    // What pressing `b` does, by mouse or by its key.
    Expect pressing(QAbstractButton *b)
    {
        auto &u = ui();
        if (b == u.ButtonKoushin)
            return refreshing();
        if (b == u.ButtonPrintOut)
            return printing();
        Expect e = unchanged();
        if (b == u.ButtonPrinterSetup) {
            printer_.setupFailure = chance(0.3) ? NoPrinter : QString();
            e.calls << QStringLiteral("setup");
            if (!printer_.setupFailure.isEmpty())
                e.errors << printer_.setupFailure;
        } else if (b == u.ButtonGroupBoxStartClose || b == u.ButtonShokiSettei) {
            panelOpen_ = b == u.ButtonShokiSettei;
        } else if (b == u.CheckBoxPrintAnswer) {
            answers_ = !answers_;
        } else if (b == u.CheckBoxRuledLine) {
            ruled_ = !ruled_;
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
            if (b == radio(kolvara::Option(o)))
                model.SelectOption(kolvara::Option(o));
    }

    // ---- Actions ----

    std::optional<Expect> act()
    {
        for (;;) {
            const int roll = below(100);
            if (roll < 28) {  // an option
                // Rows of 7 need "０" in four groups at once: those options come up more often.
                using O = kolvara::Option;
                const O towardSeven[] = {O::RadioButton1_100Zero, O::RadioButton1_10Zero, O::RadioButton2_100Zero,
                                         O::RadioButton2_10Zero};
                const O option = chance(0.3) ? towardSeven[below(4)] : O(below(kolvara::OptionCount));
                if (auto e = click(radio(option)))
                    return e;
            } else if (roll < 34) {  // the sign
                if (auto e = click(sign(below(2))))
                    return e;
            } else if (roll < 61) {  // a button or check box of the window
                QAbstractButton *const buttons[] = {ui().ButtonKoushin, ui().ButtonPrintOut, ui().ButtonPrintOut,
                                                    ui().ButtonPrintOut, ui().ButtonPrinterSetup,
                                                    ui().ButtonGroupBoxStartClose, ui().ButtonShokiSettei,
                                                    ui().CheckBoxPrintAnswer, ui().CheckBoxRuledLine, ui().ButtonSavePdf};
                if (auto e = click(buttons[below(int(std::size(buttons)))]))
                    return e;
            } else if (roll < 67) {  // a double click on the sheet itself refreshes
                if (const auto p = pointOn(nullptr)) {
                    action_ = QStringLiteral("double click at (%1,%2)").arg(p->x()).arg(p->y());
                    const Expect e = refreshing();
                    doubleClick(*p);
                    return e;
                }
            } else if (roll < 73) {  // one on a label or a problem does not
                QList<QWidget *> targets;
                for (QWidget *w : form_->findChildren<QWidget *>())
                    if (w->isVisible() && (qobject_cast<QLabel *>(w) || qobject_cast<TTessolin *>(w)))
                        targets << w;
                QWidget *target = targets[below(int(targets.size()))];
                if (const auto p = pointOn(target)) {
                    action_ = QStringLiteral("double click on %1 at (%2,%3)").arg(target->objectName()).arg(p->x()).arg(p->y());
                    doubleClick(*p);
                    return unchanged();
                }
            } else if (roll < 78) {
                const QSize size(760 + below(700), 540 + below(360));
                action_ = QStringLiteral("resize to %1x%2").arg(size.width()).arg(size.height());
                form_->resize(size);
                return unchanged();
            } else if (roll < 86) {
                return accelerator();
            } else {
                return arrowKey();
            }
        }
    }

    std::optional<Expect> accelerator()
    {
        const auto &[key, widget] = mnemonics_[std::size_t(below(int(mnemonics_.size())))];
        action_ = key.toString() + " for " + widget->objectName();
        std::vector<QWidget *> targets;
        for (const auto &m : mnemonics_)
            if (m.first == key && m.second->isVisible() && m.second->isEnabled())
                targets.push_back(m.second);
        auto *button = targets.size() == 1 ? qobject_cast<QAbstractButton *>(targets[0]) : nullptr;
        // Several visible owners of one letter only take turns at the focus.
        const Expect e = button ? pressing(button) : unchanged();
        QTest::keyClick(window(), Qt::Key(key[0].key()), Qt::AltModifier);
        // A button's letter presses it for a moment, then clicks it.
        if (button && !QTest::qWaitFor([button] { return !button->isDown(); }, 5000))
            action_ += " (never released)";
        return e;
    }

    std::optional<Expect> arrowKey()
    {
        const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right};
        const Qt::Key key = keys[below(4)];
        auto *before = qobject_cast<QRadioButton *>(QApplication::focusWidget());
        const bool wasChecked = before && before->isChecked();
        Expect e = unchanged();
        QTest::keyClick(window(), key);
        auto *after = qobject_cast<QRadioButton *>(QApplication::focusWidget());
        action_ = QStringLiteral("key %1 from %2 to %3")
                      .arg(QKeySequence(key).toString(), before ? before->objectName() : "-", after ? after->objectName() : "-");
        // An arrow moves a checked radio button's check along with the focus.
        if (wasChecked && after && after != before && after->parentWidget() == before->parentWidget())
            select(e.model, after);
        return e;
    }

    // ---- Checks ----

    QString compare(const Expect &e, int fills, bool tableChangedWithoutFill)
    {
        if (fills != e.fills)
            return QStringLiteral("%1 fills, expected %2").arg(fills).arg(e.fills);
        if (tableChangedWithoutFill)
            return QStringLiteral("the problem table changed without a fill");
        if (ModelState(form_->settings()) != ModelState(e.model))
            return QStringLiteral("settings model %1, expected %2 (or their selections or status texts differ)")
                .arg(describe(form_->settings().settings()), describe(e.model.settings()));
        if (errors_ != e.errors)
            return QStringLiteral("errors [%1], expected [%2]").arg(errors_.join('|'), e.errors.join('|'));
        if (notices_ != e.notices)
            return QStringLiteral("notices [%1], expected [%2]").arg(notices_.join('|'), e.notices.join('|'));
        if (printer_.calls != e.calls)
            return QStringLiteral("print service asked [%1], expected [%2]").arg(printer_.calls.join('|'), e.calls.join('|'));
        if (pdfAsks_ != expectedPdfAsks_)
            return QStringLiteral("asked for a PDF file %1 times, expected %2").arg(pdfAsks_).arg(expectedPdfAsks_);
        return {};
    }

    QString checkWindow()
    {
        auto &u = ui();
        const kolvara::ProblemSettings &m = form_->settings();
        // The model selects one option a group: every button as the model says is one
        // checked button a group.
        for (int o = 0; o < kolvara::OptionCount; ++o)
            if (radio(kolvara::Option(o))->isChecked() != m.isSelected(kolvara::Option(o)))
                return radio(kolvara::Option(o))->objectName() + QStringLiteral(" checked %1, the model says %2")
                           .arg(radio(kolvara::Option(o))->isChecked()).arg(m.isSelected(kolvara::Option(o)));
        for (int item : {0, 1})
            if (sign(item)->isChecked() != (m.operationItem() == item) || m.settings().IsSubtraction != m.operationItem())
                return QStringLiteral("sign item %1 checked %2, the model's item %3, subtraction %4")
                    .arg(item).arg(sign(item)->isChecked()).arg(m.operationItem()).arg(int(m.settings().IsSubtraction));
        if (u.GroupBoxStart->isVisible() != panelOpen_ || u.ButtonShokiSettei->isVisible() == panelOpen_ ||
            !u.ButtonPrintOut->isVisible() || !u.ButtonPrinterSetup->isVisible() || !u.ButtonKoushin->isVisible() ||
            form_->answerPass() != 0)
            return QStringLiteral("panel open %1 (expected %2), buttons %3%4%5%6, answer pass %7")
                .arg(u.GroupBoxStart->isVisible()).arg(panelOpen_).arg(u.ButtonShokiSettei->isVisible())
                .arg(u.ButtonPrintOut->isVisible()).arg(u.ButtonPrinterSetup->isVisible()).arg(u.ButtonKoushin->isVisible())
                .arg(form_->answerPass());
        if (u.CheckBoxPrintAnswer->isChecked() != answers_ || u.CheckBoxRuledLine->isChecked() != ruled_)
            return QStringLiteral("check boxes changed by themselves");
        if (const QStringList lines{u.Label1->text(), u.Label2->text(), u.LabelK->text()}; lines != fill_.lines)
            return QStringLiteral("status lines [%1] on a sheet drawn for [%2]").arg(lines.join('|'), fill_.lines.join('|'));
        return checkSheet(0);
    }

    // The sheet as the last fill laid it out: its problems at its positions, with its sign,
    // each obeying the settings it was drawn for; on a page (1 problems, 2 answers) built
    // afresh, with the place boxes as the check box says.
    QString checkSheet(int page)
    {
        const bool answers = page == FlakyPrinter::AnswerPage;
        const Fill &f = fill_;
        const bool sub = f.settings.IsSubtraction == 1;
        const int count = kolvara::SheetRowCount * f.perRow;
        const auto controls = form_->findChildren<TTessolin *>(Qt::FindDirectChildrenOnly);
        if (controls.size() != count)
            return QStringLiteral("%1 problems on the sheet, the fill (%2) drew %3").arg(controls.size()).arg(describe(f.settings)).arg(count);
        const kolvara::ProblemTable &table = form_->table();
        for (int c = 1; c <= count; ++c) {
            const TTessolin *p = form_->problemControl(c);
            if (!p)
                return QStringLiteral("no Pelmora%1").arg(c);
            const int upper = upperOf(p), lower = lowerOf(p);
            const QString what = QStringLiteral("Pelmora%1 %2 %3 %4 (fill: %5)")
                                     .arg(c).arg(upper).arg(p->Sign()).arg(lower).arg(describe(f.settings));
            if (table.cell(c, 1) != std::to_string(upper) || table.cell(c, 2) != std::to_string(lower))
                return what + QStringLiteral(": the table holds %1 and %2").arg(table.cell(c, 1).c_str(), table.cell(c, 2).c_str());
            const QPoint at(kolvara::SheetMargin + (c - 1) % f.perRow * f.pitch, rowTops_[(c - 1) / f.perRow]);
            if (p->pos() != at)
                return what + QStringLiteral(" at (%1,%2), laid out at (%3,%4)").arg(p->x()).arg(p->y()).arg(at.x()).arg(at.y());
            if (p->Sign() != (sub ? "-" : "+"))
                return what + QStringLiteral(": the sign of the other operation");
            if (const QString why = breach(f.settings, upper, lower); !why.isEmpty())
                return what + ": " + why;
            if (p->ShowAnswer() != answers || (answers && p->ValueAnswer() != (sub ? upper - lower : upper + lower)))
                return what + QStringLiteral(": answer shown %1, value %2").arg(p->ShowAnswer()).arg(p->ValueAnswer());
            if (page != 0 && p->ShowRuledLine() != ruled_)
                return what + QStringLiteral(": place boxes %1 on the page").arg(p->ShowRuledLine());
        }
        return {};
    }

    // While a page goes out: the page, then what a user may do meanwhile.
    void checkPage(int page)
    {
        if (!pageFailure_.isEmpty())
            return;
        syncFill();
        auto &u = ui();
        const bool answerPage = page == FlakyPrinter::AnswerPage;
        QString failure;
        if (u.GroupBoxStart->isVisible() || u.ButtonShokiSettei->isVisible() || u.ButtonPrintOut->isVisible() ||
            u.ButtonPrinterSetup->isVisible() || u.ButtonKoushin->isVisible())
            failure = QStringLiteral("the panel or a button is on the page");
        else if (form_->answerPass() != (answerPage ? 1 : 0))
            failure = QStringLiteral("answer pass %1").arg(form_->answerPass());
        else
            failure = checkSheet(page);
        QStringList shown;
        for (int c = 1; const TTessolin *p = form_->problemControl(c); ++c)
            shown << QStringLiteral("%1%2%3 at %4,%5").arg(upperOf(p)).arg(p->Sign()).arg(lowerOf(p)).arg(p->x()).arg(p->y());
        if (failure.isEmpty() && answerPage && shown != problemPage_)
            failure = QStringLiteral("the answer page shows other problems or places than the problem page");
        problemPage_ = shown;
        if (!failure.isEmpty()) {
            pageFailure_ = (answerPage ? "answer page: " : "problem page: ") + failure;
            return;
        }
        // The service keeps the window responsive while it works: a double click on the
        // sheet, or a new window size, must not change what the next page shows.
        if (chance(0.3)) {
            if (const auto p = pointOn(nullptr)) {
                doubleClick(*p);
                action_ += QStringLiteral(", double click at (%1,%2) on page %3").arg(p->x()).arg(p->y()).arg(page);
            }
        }
        if (chance(0.15)) {
            const QSize size(760 + below(700), 540 + below(360));
            form_->resize(size);
            action_ += QStringLiteral(", resize to %1x%2 on page %3").arg(size.width()).arg(size.height()).arg(page);
        }
    }

    const std::uint32_t seed_;
    std::mt19937 random_;
    FlakyPrinter printer_;
    std::unique_ptr<TFormKolvara> form_;
    std::uint32_t now_ = 1000;
    int fills_ = 0, seenFills_ = 0, fillWidth_ = 0;
    Fill fill_;
    Settings nextFill_;
    std::array<int, kolvara::SheetRowCount> rowTops_{};
    std::vector<std::pair<QKeySequence, QWidget *>> mnemonics_;
    QStringList errors_, notices_;
    QString action_, pageFailure_;
    QStringList problemPage_;
    std::deque<QString> recent_;
    bool panelOpen_ = true, answers_ = true, ruled_ = true;
    int pdfAsks_ = 0, expectedPdfAsks_ = 0;
};

}  // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installJapaneseFontSubstitutes(); }

    void randomSessionKeepsWindowAndSheetConsistent()
    {
        bool ok = false;
        const std::uint32_t seed = qEnvironmentVariable("KOLVARA_SOAK_SEED").toUInt(&ok);
        const std::uint32_t used = ok ? seed : std::mt19937::default_seed;
        const int actions = qEnvironmentVariableIsSet("KOLVARA_SOAK_ACTIONS") ? qEnvironmentVariableIntValue("KOLVARA_SOAK_ACTIONS") : 3000;
        Soak soak(used);
        QVERIFY(QTest::qWaitForWindowActive(&soak.form()));
        QElapsedTimer timer;
        timer.start();
        for (int n = 1; n <= actions; ++n)
            if (const QString failure = soak.step(n); !failure.isEmpty())
                QFAIL(qPrintable(failure));
        qInfo("seed %u: %d actions in %.1f s", used, actions, double(timer.elapsed()) / 1000);
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
