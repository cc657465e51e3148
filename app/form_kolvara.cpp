#include "form_kolvara.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <utility>

#include "option_widgets.h"
#include "sheet_format_dialog.h"
#include "problem_count.h"
#include "status_lines.h"
#include "print_titles.h"
#include "tessolin.h"
#include "ui_FormKolvara.h"
#include "worksheet.h"

using namespace kolvara;

namespace {

constexpr QSize StoredOuterSize(1036, 766);
constexpr int StoredFrameWidth = 16;  // left and right border of the stored outer size
// The problems start here, one row every RowPitch pixels; the column pitch spreads them
// over the window's outer width less the left margin.
constexpr int SheetMargin = 32, SheetTop = 48, RowPitch = 176;
constexpr int PlacedWidth = 148, PlacedHeight = 139;
constexpr int CountLinePixelSize = 11, CountLineSmallestPixelSize = 9;
// A window closed during a print run waits this long for the run before giving it up.
constexpr std::chrono::seconds CloseWait{15};

QString toQt(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

TFormKolvara::TFormKolvara(Clock clock, PrintService *printService, QWidget *parent)
    : QWidget(parent), ui_(new Ui::FormKolvara), table_(settings_, random_, std::move(clock)),
      systemPrinter_(printService ? nullptr : std::make_unique<WorksheetPrinter>()),
      printService_(printService ? printService : systemPrinter_.get())
{
    // Applying the stored layout runs no handler: the connections come afterwards.
    ui_->setupUi(this);
    applyStoredPixelSizes();
    // The settings panel is a windowed control: opaque, in the desktop's colours, over the sheet.
    ui_->GroupBoxStart->setPalette(style()->standardPalette());
    ui_->GroupBoxStart->setAutoFillBackground(true);
    resize(1020, 727);
    move(1, 1);
    errorReporter_ = [this](const QString &message) { showErrorBox(this, message); };
    noticeReporter_ = [this](const QString &message) {
        QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), message, QMessageBox::Ok,
                        this);
        box.exec();
    };
    saveFileNameAsker_ = [this](const QString &suggested) {
        QFileDialog dialog(this, QStringLiteral("PDF保存"), QFileInfo(suggested).path(), QStringLiteral("PDF (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        dialog.selectFile(QFileInfo(suggested).fileName());
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    lostPagesAsker_ = [this](const QString &message, bool canPrintAgain) {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), errorBoxText(message),
                        QMessageBox::NoButton, this);
        box.setInformativeText(canPrintAgain
                                   ? QStringLiteral("印刷されなかったページは、PDFに保存するか、もう一度印刷できます。")
                                   : QStringLiteral("印刷されなかったページは、PDFに保存できます。"));
        QPushButton *save = box.addButton(QStringLiteral("PDF保存(&F)"), QMessageBox::AcceptRole);
        QPushButton *again =
            canPrintAgain ? box.addButton(QStringLiteral("もう一度印刷(&P)"), QMessageBox::AcceptRole) : nullptr;
        box.setDefaultButton(save);
        box.setEscapeButton(box.addButton(QStringLiteral("閉じる"), QMessageBox::RejectRole));
        box.exec();
        if (box.clickedButton() == save)
            return LostPagesChoice::SavePdf;
        return again && box.clickedButton() == again ? LostPagesChoice::PrintAgain : LostPagesChoice::Close;
    };
    connectControls();
    // A page already sent can still fail at the printer, long after its run.
    connect(printService_, &PrintService::pageFailed, this, &TFormKolvara::pagesLost);
    FormCreate();
    // Ctrl+Q ends the program as everywhere on a Linux desktop, also where the platform
    // names no key for quitting.
    QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    if (!quitKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)))
        quitKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Q));
    auto *quit = new QShortcut(this);
    quit->setKeys(quitKeys);
    connect(quit, &QShortcut::activated, this, &QWidget::close);
}

TFormKolvara::~TFormKolvara()
{
    delete run_;
    delete ui_;
}

// The stored layout gives font heights in pixels, as the property "fontPixelSize".
void TFormKolvara::applyStoredPixelSizes()
{
    QList<QWidget *> widgets = findChildren<QWidget *>();
    widgets.prepend(this);
    for (QWidget *widget : widgets) {
        const QVariant pixels = widget->property("fontPixelSize");
        QFont font = widget->font();
        if (font.resolveMask() & QFont::FamiliesResolved)
            font.setFamilies({QFont::substitute(font.family())});
        if (pixels.isValid())
            font.setPixelSize(pixels.toInt());
        widget->setFont(font);
    }
}

void TFormKolvara::connectControls()
{
    for (int i = 0; i < OptionCount; ++i) {
        const Option option = Option(i);
        auto *button = findChild<QRadioButton *>(toQt(kolvara::objectName(option)));
        Q_ASSERT(button);
        optionButtons_[std::size_t(i)] = button;
        connect(button, &QRadioButton::toggled, this, [this, option](bool checked) {
            if (!checked)
                return;
            settings_.SelectOption(option);
            syncGroup(groupOf(option));  // a rule may have put the group back
            updateProblemCount();
        });
    }
    operationButtons_ = {ui_->RadioGroupWaSaItem0, ui_->RadioGroupWaSaItem1};
    for (int item = 0; item < 2; ++item)
        connect(operationButtons_[std::size_t(item)], &QRadioButton::toggled, this, [this, item](bool checked) {
            if (checked) {
                settings_.selectOperation(item);
                updateProblemCount();
            }
        });
    settings_.selectionChanged = [this](OptionGroup group) { syncGroup(group); };
    settings_.operationChanged = [this] {
        syncOperation();
        applyPresentation();
    };

    connect(ui_->ButtonKoushin, &QPushButton::clicked, this, [this] { FormDblClick(); });
    connect(ui_->ButtonShokiSettei, &QPushButton::clicked, this, &TFormKolvara::ShokiSettei);
    connect(ui_->ButtonGroupBoxStartClose, &QPushButton::clicked, this, &TFormKolvara::ButtonGroupBoxStartCloseClick);
    connect(ui_->CheckBoxHyoudai, &QCheckBox::clicked, this, &TFormKolvara::CheckBoxHyoudaiClick);
    connect(ui_->CheckBoxPrintAnswer, &QCheckBox::clicked, this, &TFormKolvara::CheckBoxPrintAnswerClick);
    connect(ui_->SpinEditFontSize, &QSpinBox::valueChanged, this, &TFormKolvara::SpinEditFontSizeChange);
    connect(ui_->ButtonPrintOut, &QPushButton::clicked, this, &TFormKolvara::ButtonPrintOutClick);
    connect(ui_->ButtonPrinterSetup, &QPushButton::clicked, this, &TFormKolvara::ButtonPrinterSetupClick);
    connect(ui_->ButtonSavePdf, &QPushButton::clicked, this, &TFormKolvara::ButtonSavePdfClick);
    connect(ui_->ButtonSheetFormat, &QPushButton::clicked, this, &TFormKolvara::ButtonSheetFormatClick);
}

void TFormKolvara::FormCreate()
{
    ui_->ButtonShokiSettei->hide();
    ui_->SpinEditFontSize->hide();
    ui_->LabelFontSize->hide();
    ui_->CheckBoxHyoudai->hide();
    AnswerPass = 0;
    settings_.setDefaultSettings();
    table_.setUp(geometry_);
    settings_.setDefaultStatusTexts();
    settings_.selectDefaultOptions();
    FormDblClick();
    updateProblemCount();
    ui_->LabelProjectName->setText(windowTitle());
    ui_->LabelProjectName->adjustSize();
}

// The model has already made the selection: the button follows without reporting a click.
void TFormKolvara::syncGroup(OptionGroup group)
{
    QRadioButton *button = optionButtons_[std::size_t(settings_.selectedOption(group))];
    const QSignalBlocker blocker(button);
    button->setChecked(true);
}

void TFormKolvara::syncOperation()
{
    QRadioButton *button = operationButtons_[std::size_t(settings_.operationItem())];
    const QSignalBlocker blocker(button);
    button->setChecked(true);
}

void TFormKolvara::applyPresentation()
{
    for (int g = 0; g < OptionGroupCount; ++g) {
        const OptionGroup group = OptionGroup(g);
        auto *box = optionButtons_[std::size_t(optionAt(group, 0))]->parentWidget();
        box->setToolTip(toQt(settings_.groupHint(group)));
        if (isCarryGroup(group))
            static_cast<QGroupBox *>(box)->setTitle(toQt(carryCaption(group, settings_.settings().IsSubtraction == 1)));
    }
    ui_->GroupBoxKuriAgariSagari_100->setVisible(settings_.isHundredsCarryGroupVisible());
}

void TFormKolvara::setStatusLabels(const QString &line1, const QString &line2, const QString &lineK)
{
    const std::pair<QLabel *, const QString *> labels[] = {
        {ui_->Label1, &line1}, {ui_->Label2, &line2}, {ui_->LabelK, &lineK}};
    for (auto [label, text] : labels) {
        label->setText(*text);
        label->adjustSize();
    }
}

bool TFormKolvara::FormDblClick()
{
    // While pages are sent, nothing may refill the table: the answer page must show the
    // problem page's problems.
    if (printing_)
        return false;
    return refresh();
}

bool TFormKolvara::refresh(bool afterPrint)
{
    Sakujo();
    const FillResult fill = table_.DataJunbi(geometry_);
    if (!fill.filled) {
        // Keep the sheet that was on screen, with the lines that describe it.
        buildLastFill();
        updateProblemCount();
        const QString reason = QString::fromStdString(fill.reason);
        if (!afterPrint)
            reportError(reason);
        else if (noticeReporter_)
            noticeReporter_(printedWithoutNewProblemsText(reason));
        return false;
    }
    ColumnPitch = std::uint16_t((outerWidth() - SheetMargin) / geometry_.ProblemsPerRow);
    filledSettings_ = settings_.settings();
    // Only now: the fill may have selected options of its own, and the lines must name the
    // settings the new problems follow.
    setStatusLabels(toQt(settings_.statusLine1()), toQt(settings_.statusLine2()), toQt(settings_.statusLineK()));
    HissanHyouji();
    updateProblemCount();  // the fill may have selected options of its own
    return true;
}

void TFormKolvara::updateProblemCount()
{
    const ProblemCountNote note = problemCountNote(settingsForNextFill(settings_));
    QLabel *label = ui_->LabelProblemCount;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, note.impossible ? QColor(Qt::red) : ui_->GroupBoxStart->palette().color(QPalette::WindowText));
    label->setPalette(palette);
    label->setText(toQt(note.text));
    // The longest reasons need a smaller face to fit the free corner of the panel whole.
    QFont font = label->font();
    for (int pixels = CountLinePixelSize; pixels >= CountLineSmallestPixelSize; --pixels) {
        font.setPixelSize(pixels);
        const QRect needed = QFontMetrics(font).boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text());
        if (needed.height() <= label->contentsRect().height())
            break;
    }
    label->setFont(font);
}

// Where the window system draws a frame, the stored outer size includes it. A window
// manager reports the frame some time after the window is shown, usually with the move or
// resize that puts the window into it; the size is applied once, when the frame is first
// known, and the window is the user's to size from then on. Without a frame nothing changes.
void TFormKolvara::applyStoredOuterSize()
{
    if (sizedToFrame_ || !isVisible())
        return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.isNull())
        return;
    sizedToFrame_ = true;
    resize(StoredOuterSize - frame);
}

void TFormKolvara::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A platform that knows the frame at once has it after this event.
    QTimer::singleShot(0, this, &TFormKolvara::applyStoredOuterSize);
}

void TFormKolvara::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    applyStoredOuterSize();
}

void TFormKolvara::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyStoredOuterSize();
}

void TFormKolvara::closeEvent(QCloseEvent *event)
{
    // A run or a set-up waits for the print service at most its bound: the window closes
    // once it ends, and gives a run up should it take longer than CloseWait.
    if (printServiceBusy()) {
        event->ignore();
        if (!std::exchange(closeRequested_, true))
            QTimer::singleShot(CloseWait, this, [this] {
                if (!closeRequested_ || !printServiceBusy())
                    return;
                gaveUpForClose_ = true;
                if (run_)
                    run_->abandon();
                else
                    printService_->abandon();
            });
        return;
    }
    QWidget::closeEvent(event);
}

void TFormKolvara::closeWhenIdle()
{
    if (!closeRequested_ || printServiceBusy())
        return;
    closeRequested_ = gaveUpForClose_ = false;
    close();
}

void TFormKolvara::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Only the window's own free surface refreshes; labels, problems and the panel do not.
    if (!childAt(event->position().toPoint()))
        FormDblClick();
    event->accept();
}

void TFormKolvara::ShokiSettei()
{
    ui_->ButtonShokiSettei->hide();
    ui_->GroupBoxStart->show();
}

void TFormKolvara::ButtonGroupBoxStartCloseClick()
{
    ui_->GroupBoxStart->hide();
    ui_->ButtonShokiSettei->show();
}

void TFormKolvara::CheckBoxHyoudaiClick()
{
    const bool visible = ui_->CheckBoxHyoudai->isChecked();
    for (QLabel *label : {ui_->LabelProjectName, ui_->Label1, ui_->Label2, ui_->LabelK})
        label->setVisible(visible);
}

void TFormKolvara::SpinEditFontSizeChange() { Sakujo(); }

int TFormKolvara::outerWidth() const
{
    // The frame the window system draws, if any; without one (no window manager, or not
    // shown yet) the width counts the stored layout's frame.
    const int framed = frameGeometry().width();
    return framed > width() ? framed : width() + StoredFrameWidth;
}

// ---- Worksheet layout ----

TTessolin *TFormKolvara::problemControl(int number) const
{
    return findChild<TTessolin *>(QStringLiteral("Pelmora%1").arg(number), Qt::FindDirectChildrenOnly);
}

void TFormKolvara::HissanHyouji()
{
    buildSheet(problemsPerRowFor(settings_.settings()), ui_->RadioGroupWaSaItem1->isChecked());
}

// After a refused fill: the problems of the last fill, as they were drawn.
void TFormKolvara::buildLastFill()
{
    buildSheet(table_.filledProblemCount() / geometry_.RowCount, table_.filledForSubtraction());
}

void TFormKolvara::buildSheet(int problemsPerRow, bool subtractionSign)
{
    subtractionSign_ = subtractionSign;
    geometry_.ProblemsPerRow = problemsPerRow;
    geometry_.RowCount = SheetRowCount;
    // A smaller page shows only the problems it prints.
    const int shown = sheetFormat_.perPage > 0 ? sheetFormat_.perPage : geometry_.RowCount * geometry_.ProblemsPerRow;
    int c = 1;
    for (int r = 1; r <= geometry_.RowCount; ++r) {
        for (int p = 1; p <= geometry_.ProblemsPerRow; ++p, ++c) {
            // Only columns that the last fill wrote hold a problem.
            const auto digits = table_.Dainyuu(c);
            if (!digits || c > shown)
                continue;
            current_ = *digits;
            CreateComponent(p, r, ColumnPitch * (p - 1) + SheetMargin, RowPitch * (r - 1) + SheetTop,
                            PlacedWidth, PlacedHeight, ui_->CheckBoxRuledLine->isChecked(), AnswerPass == 1);
        }
    }
}

void TFormKolvara::CreateComponent(int position, int row, int left, int top, int width, int height, bool ruledLine,
                                   bool answer)
{
    const QString name = QStringLiteral("Pelmora%1").arg((row - 1) * geometry_.ProblemsPerRow + position);
    if (findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *control = new TTessolin(this);
    control->setTextMetrics(&metrics_);
    control->setGeometry(left, top, width, height);
    control->setObjectName(name);
    control->setFontSize(quint8(ui_->SpinEditFontSize->value()));
    control->setValueLine1_1(quint8(current_.Line1_1));
    control->setValueLine1_10(quint8(current_.Line1_10));
    control->setValueLine1_100(quint8(current_.Line1_100));
    control->setSign(subtractionSign_ ? QStringLiteral("-") : QStringLiteral("+"));
    control->setValueLine2_1(quint8(current_.Line2_1));
    control->setValueLine2_10(quint8(current_.Line2_10));
    control->setValueLine2_100(quint8(current_.Line2_100));
    control->setShowRuledLine(ruledLine);
    control->setShowAnswer(answer);
    control->setToolTip(name);
    control->setShowHint(true);
    // Problems paint under the buttons and the settings panel, over the labels.
    control->stackUnder(ui_->ButtonPrintOut);
    control->show();
}

void TFormKolvara::Sakujo()
{
    const int count = geometry_.RowCount * geometry_.ProblemsPerRow;
    for (int c = 1; c <= count; ++c)
        delete problemControl(c);
}

// ---- Errors ----

QString TFormKolvara::errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void TFormKolvara::showErrorBox(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), errorBoxText(message),
                    QMessageBox::Ok, parent);
    box.exec();
}

QString TFormKolvara::printedWithoutNewProblemsText(const QString &reason)
{
    return QStringLiteral("印刷しました。\n今の設定では次の問題を作れないため、画面の問題はそのままです。\n") + reason;
}

void TFormKolvara::reportError(const QString &message)
{
    if (errorReporter_)
        errorReporter_(message);
}

// ---- Printing ----

// Whether the settings lay out the sheet the last fill was drawn for: the same sign and
// the same number of problems a row. Otherwise the page would show problems drawn for the
// other sign, columns the fill did not write, or a row cut short at the other pitch.
bool TFormKolvara::tableCoversSheet() const
{
    const Settings &s = settings_.settings();
    return table_.filledForSubtraction() == (s.IsSubtraction == 1) &&
           problemsPerSheetFor(s) == table_.filledProblemCount();
}

void TFormKolvara::ButtonPrintOutClick()
{
    if (printServiceBusy())
        return;
    printing_ = true;
    hidePanelAndButtons();

    PrintRun::Steps steps;
    // When the settings now lay out another sheet than the one on screen, a new one first.
    steps.ready = [this] { return tableCoversSheet() || refresh(); };
    steps.page = [this](bool answers) {
        AnswerPass = answers ? 1 : 0;
        return sheetOnScreen(answers);
    };
    steps.problemTitle = windowTitle() + QString::fromUtf8(problemPageSuffix);
    steps.answerTitle = windowTitle() + QString::fromUtf8(answerPageSuffix);
    steps.answers = ui_->CheckBoxPrintAnswer->isChecked();
    reprint_ = false;
    startPrintRun(std::move(steps));
}

void TFormKolvara::startPrintRun(PrintRun::Steps steps)
{
    run_ = new PrintRun(*printService_, std::move(steps), this);
    connect(run_, &PrintRun::finished, this, &TFormKolvara::endPrintRun);
    run_->start();
}

// Pages that went out but never came out of the printer: the sheet on screen has moved
// on since, so what can be saved or printed again is those very pages.
void TFormKolvara::pagesLost(const QString &message, const QList<Sheet> &pages)
{
    const bool canPrintAgain = !printServiceBusy() && !pages.isEmpty();
    const LostPagesChoice choice = lostPagesAsker_ ? lostPagesAsker_(message, canPrintAgain) : LostPagesChoice::Close;
    if (choice == LostPagesChoice::SavePdf) {
        savePdf(pages);
    } else if (choice == LostPagesChoice::PrintAgain && canPrintAgain && !printServiceBusy()) {
        printing_ = true;
        hidePanelAndButtons();
        PrintRun::Steps steps;
        steps.page = [pages](bool answers) {
            const auto page =
                std::find_if(pages.begin(), pages.end(), [answers](const Sheet &p) { return p.answers == answers; });
            return page != pages.end() ? *page : pages.front();
        };
        steps.problemTitle = windowTitle() + QString::fromUtf8(problemPageSuffix);
        steps.answerTitle = windowTitle() + QString::fromUtf8(answerPageSuffix);
        steps.problems = !pages.front().answers;
        steps.answers = pages.back().answers;
        reprint_ = true;
        startPrintRun(std::move(steps));
    }
}

// Whether the run completed or stopped on an error, the window is usable again.
void TFormKolvara::endPrintRun(bool completed, const QString &error, const QString &notice)
{
    run_->deleteLater();
    run_ = nullptr;
    printing_ = false;
    AnswerPass = 0;
    // Lost pages printed again leave the sheet on screen as it is.
    const bool reprint = std::exchange(reprint_, false);
    if (completed && !reprint) {
        refresh(true);
    } else if (!error.isEmpty() && !reprint) {
        // The sheet of the last fill, as its refresh laid it out, without answers.
        Sakujo();
        buildLastFill();
    }
    showPanelAndButtons();
    // A run given up for a close has nothing left to tell.
    if (!error.isEmpty() && !gaveUpForClose_)
        reportError(error);
    if (!notice.isEmpty() && noticeReporter_)
        noticeReporter_(notice);
    closeWhenIdle();
}

void TFormKolvara::hidePanelAndButtons()
{
    for (QWidget *w : {static_cast<QWidget *>(ui_->ButtonPrintOut), static_cast<QWidget *>(ui_->ButtonPrinterSetup),
                       static_cast<QWidget *>(ui_->ButtonKoushin), static_cast<QWidget *>(ui_->GroupBoxStart),
                       static_cast<QWidget *>(ui_->ButtonShokiSettei)})
        w->hide();
}

// As after every completed print run: the panel open, whether it was before or not.
void TFormKolvara::showPanelAndButtons()
{
    ui_->GroupBoxStart->show();
    ui_->ButtonPrinterSetup->show();
    ui_->ButtonPrintOut->show();
    ui_->ButtonKoushin->show();
    ui_->ButtonShokiSettei->hide();
}

// ---- PDF ----

Sheet TFormKolvara::sheetOnScreen(bool answers) const
{
    Sheet sheet = sheetFromTable(table_, geometry_.ProblemsPerRow, subtractionSign_, sheetFormat_);
    sheet.helperColumns = helperColumnsFor(filledSettings_);
    // Pages of the widest answers give every problem this room; the screen keeps each its own.
    sheet.room = writingRoomOf(choiceOf(filledSettings_));
    sheet.programLabel = ui_->LabelProjectName->text().toStdString();
    sheet.statusLines = {ui_->Label1->text().toStdString(), ui_->Label2->text().toStdString(),
                         ui_->LabelK->text().toStdString()};
    sheet.showProgramLabel = ui_->CheckBoxHyoudai->isChecked();
    sheet.boxes = ui_->CheckBoxRuledLine->isChecked();
    sheet.answers = answers;
    sheet.fontSize = ui_->SpinEditFontSize->value();
    return sheet;
}

void TFormKolvara::setSheetFormat(const SheetFormat &format)
{
    if (format == sheetFormat_)
        return;
    sheetFormat_ = format;
    // The screen shows the problems the pages will hold.
    const int problemsPerRow = geometry_.ProblemsPerRow;
    Sakujo();
    buildSheet(problemsPerRow, subtractionSign_);
}

void TFormKolvara::ButtonSheetFormatClick()
{
    if (printing_)
        return;
    SheetFormatDialog dialog(sheetFormat_, this);
    const bool accepted = sheetFormatAsker_ ? sheetFormatAsker_(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted)
        return;
    setSheetFormat(dialog.format());
    if (const NamedStep *step = dialog.step()) {
        // The step's settings exactly, then a sheet of them.
        settings_.adopt(*settingsOf(*step));
        updateProblemCount();
        FormDblClick();
    }
}

QString TFormKolvara::suggestedPdfPath() const
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("Kolvara-%1.pdf").arg(QDate::currentDate().toString(Qt::ISODate)));
}

void TFormKolvara::ButtonSavePdfClick()
{
    if (printing_)
        return;
    QList<Sheet> pages{sheetOnScreen(false)};
    if (ui_->CheckBoxPrintAnswer->isChecked())
        pages.append(sheetOnScreen(true));
    savePdf(pages);
}

void TFormKolvara::savePdf(const QList<Sheet> &pages)
{
    const QString fileName = saveFileNameAsker_ ? saveFileNameAsker_(suggestedPdfPath()) : QString();
    if (fileName.isEmpty())
        return;
    SheetPdf pdf(fileName);
    QString error = pdf.open(printService_->pdfLayout(), windowTitle());
    if (error.isEmpty()) {
        for (const Sheet &page : pages)
            pdf.addPage(layOutPage(page, pdf.paper(), metrics_), metrics_);
        error = pdf.commit();
    }
    if (!error.isEmpty())
        reportError(error);
}

void TFormKolvara::ButtonPrinterSetupClick()
{
    if (printServiceBusy())
        return;
    settingUp_ = true;
    // Nothing else may ask the service until the set-up is done.
    ui_->ButtonPrintOut->setEnabled(false);
    ui_->ButtonPrinterSetup->setEnabled(false);
    whenReady(printService_->setup(this), this, [this](const QString &error) {
        settingUp_ = false;
        ui_->ButtonPrintOut->setEnabled(true);
        ui_->ButtonPrinterSetup->setEnabled(true);
        if (!error.isEmpty() && !gaveUpForClose_)
            reportError(error);
        closeWhenIdle();
    });
}
