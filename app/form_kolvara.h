// The one window of the program: the worksheet and its settings panel.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "print_run.h"
#include "problem_table.h"
#include "random_source.h"
#include "settings.h"
#include "sheet.h"
#include "sheet_painter.h"
#include "worksheet_printer.h"

namespace Ui {
class FormKolvara;
}
class QRadioButton;
class SheetFormatDialog;
class TTessolin;

class TFormKolvara : public QWidget {
    Q_OBJECT

public:
    // Shows an error to the user; by default the standard error box.
    using ErrorReporter = std::function<void(const QString &)>;
    // Asks for the file a PDF goes to, starting from a suggested path; empty when cancelled.
    using SaveFileNameAsker = std::function<QString(const QString &suggested)>;

    // Without a print service the window prints through the system's print system.
    explicit TFormKolvara(kolvara::Clock clock = kolvara::systemMillisecondsSinceMidnightUtc,
                          PrintService *printService = nullptr, QWidget *parent = nullptr);
    ~TFormKolvara() override;

    void setErrorReporter(ErrorReporter reporter) { errorReporter_ = std::move(reporter); }
    // Tells the user something about a run that went through, e.g. that the jobs wait in a
    // stopped queue; by default an information box.
    void setNoticeReporter(ErrorReporter reporter) { noticeReporter_ = std::move(reporter); }
    void setSaveFileNameAsker(SaveFileNameAsker asker) { saveFileNameAsker_ = std::move(asker); }
    // What the user does about pages lost at the printer after their run.
    enum class LostPagesChoice { Close, SavePdf, PrintAgain };
    // Tells that printed pages were lost, offering to save them as PDF and, when
    // `canPrintAgain`, to print them again; by default an error box with those buttons.
    using LostPagesAsker = std::function<LostPagesChoice(const QString &message, bool canPrintAgain)>;
    void setLostPagesAsker(LostPagesAsker asker) { lostPagesAsker_ = std::move(asker); }
    // The standard error box: error icon, the application's title, the message.
    static void showErrorBox(QWidget *parent, const QString &message);
    // The message as the error box shows it: "." appended after a character that sorts after ".".
    static QString errorBoxText(const QString &message);
    // What a completed print run says when the settings now admit no problem (`reason`).
    static QString printedWithoutNewProblemsText(const QString &reason);

    // The refresh: status lines, removal, fill and build.
    // Returns false when the settings admit no problem; the sheet then stays as it was.
    bool FormDblClick();
    void ShokiSettei();
    void ButtonGroupBoxStartCloseClick();
    void CheckBoxHyoudaiClick();
    void SpinEditFontSizeChange();
    void CheckBoxPrintAnswerClick() {}
    void ButtonPrintOutClick();
    void ButtonPrinterSetupClick();
    // Saves the sheet on screen as the print run would print it, into one PDF.
    void ButtonSavePdfClick();
    // "シートの形式": what the printed and saved pages add, and a named step to practise.
    void ButtonSheetFormatClick();
    const kolvara::SheetFormat &sheetFormat() const { return sheetFormat_; }
    void setSheetFormat(const kolvara::SheetFormat &format);
    // Shows the dialog; by default modal. Tests answer it themselves.
    using SheetFormatAsker = std::function<bool(SheetFormatDialog &dialog)>;
    void setSheetFormatAsker(SheetFormatAsker asker) { sheetFormatAsker_ = std::move(asker); }

    // The sheet on screen as a page: its problems, sign, labels and boxes, with or without
    // the answers. Paper and PDF are drawn from it, whatever the window's size.
    kolvara::Sheet sheetOnScreen(bool answers) const;

    // Worksheet layout.
    void HissanHyouji();
    void CreateComponent(int position, int row, int left, int top, int width, int height, bool ruledLine,
                         bool answer);
    void Sakujo();
    TTessolin *problemControl(int number) const;

    // Outer width with the frame the window system draws; without one, the stored
    // layout's 16 pixels of frame are added.
    int outerWidth() const;

    kolvara::ProblemSettings &settings() { return settings_; }
    const kolvara::ProblemTable &table() const { return table_; }
    const kolvara::SheetGeometry &geometry() const { return geometry_; }
    // Pixels between problem positions, from the window's width at the last fill.
    int columnPitch() const { return ColumnPitch; }
    quint8 answerPass() const { return AnswerPass; }
    PrintService &printService() { return *printService_; }
    // A print run or the printer set-up is under way: the print service is being asked,
    // or its dialog is open.
    bool printServiceBusy() const { return printing_ || settingUp_; }

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void FormCreate();
    // After a completed print run, a refused fill says that the pages went out.
    bool refresh(bool afterPrint = false);
    void applyStoredPixelSizes();
    void applyStoredOuterSize();
    void connectControls();
    void syncGroup(kolvara::OptionGroup group);
    void syncOperation();
    void applyPresentation();
    void setStatusLabels(const QString &line1, const QString &line2, const QString &lineK);
    void buildSheet(int problemsPerRow, bool subtractionSign);
    void buildLastFill();
    void hidePanelAndButtons();
    void showPanelAndButtons();
    void updateProblemCount();
    QString suggestedPdfPath() const;
    bool tableCoversSheet() const;
    void startPrintRun(PrintRun::Steps steps);
    void endPrintRun(bool completed, const QString &error, const QString &notice);
    void pagesLost(const QString &message, const QList<kolvara::Sheet> &pages);
    void savePdf(const QList<kolvara::Sheet> &pages);
    void closeWhenIdle();
    void reportError(const QString &message);

    Ui::FormKolvara *ui_;
    kolvara::ProblemSettings settings_;
    kolvara::RandomSource random_;
    kolvara::ProblemTable table_;
    kolvara::SheetGeometry geometry_;
    std::uint16_t ColumnPitch = 0;
    QtTextMetrics metrics_;  // shared by the problem controls
    kolvara::CurrentProblem current_;  // digits handed to the next control
    quint8 AnswerPass = 0;
    kolvara::SheetFormat sheetFormat_;
    kolvara::Settings filledSettings_;  // the settings of the fill on screen
    SheetFormatAsker sheetFormatAsker_;
    std::unique_ptr<WorksheetPrinter> systemPrinter_;
    PrintService *printService_;
    ErrorReporter errorReporter_;
    ErrorReporter noticeReporter_;
    SaveFileNameAsker saveFileNameAsker_;
    LostPagesAsker lostPagesAsker_;
    std::array<QRadioButton *, kolvara::OptionCount> optionButtons_{};
    std::array<QRadioButton *, 2> operationButtons_{};
    bool subtractionSign_ = false;  // the sign of the controls being built
    bool printing_ = false;
    bool settingUp_ = false;      // the set-up waits for the service or shows its dialog
    bool closeRequested_ = false;  // closed while the print service was busy
    bool gaveUpForClose_ = false;  // and it took longer than the window waits
    PrintRun *run_ = nullptr;      // the run under way
    bool reprint_ = false;         // it prints lost pages again, not the sheet on screen
    bool sizedToFrame_ = false;  // the stored outer size applied to the frame once known
};
