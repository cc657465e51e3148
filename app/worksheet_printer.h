#pragma once

#include <QPageLayout>
#include <QSize>
#include <QString>

#include <memory>

#include "sheet_pages.h"

class QPrinter;
class QWidget;

// What the print run needs of a print system; errors come back as the message the user
// sees, an empty string meaning success.
class PrintService {
public:
    virtual ~PrintService() = default;
    // Starts a run.
    virtual QString prepareLandscape() = 0;
    virtual QString printWindow(QWidget &window, const QString &jobTitle) = 0;
    // Ends a run whose pages all went out; a service that collects pages delivers them now.
    virtual QString finishRun() { return {}; }
    virtual QString setup(QWidget *parent) = 0;
    // Something the user should know about the run that just completed (the jobs wait in
    // a stopped queue, say); empty when there is nothing. Asked once at the end of a run.
    virtual QString runNotice() { return {}; }
    // The paper a PDF of the sheet goes on, landscape.
    virtual QPageLayout pdfLayout() { return landscapeLayout(QPageSize(QPageSize::A4)); }
};

// The one printer object of the program: created on first use on the
// system's default printer, it keeps the chosen printer, its settings and
// orientation and the last job title for the whole run.
//
// Errors come back as the message the user sees; an empty string means
// success.
class WorksheetPrinter : public PrintService {
public:
    WorksheetPrinter();
    ~WorksheetPrinter() override;
    WorksheetPrinter(const WorksheetPrinter &) = delete;
    WorksheetPrinter &operator=(const WorksheetPrinter &) = delete;

    // Looks up the current printer (the system's default until the user
    // picks another) and sets it to landscape.
    QString prepareLandscape() override;

    // Prints the client area of `window` as one job of one page named
    // `jobTitle`, scaled by fitToPage() to the printable area. Hidden
    // children are left out. Returns once the job is handed to the print
    // system. When the printer writes a file, the page goes into that file,
    // which finishRun() completes.
    QString printWindow(QWidget &window, const QString &jobTitle) override;

    // Completes the file the run's pages went into, when the printer writes a file.
    QString finishRun() override;

    // The printer set-up dialog, started from the current printer; OK makes
    // the choice current, Cancel changes nothing.
    QString setup(QWidget *parent) override;

    // The paper of the printer in hand (after a print run or the set-up dialog), else A4.
    QPageLayout pdfLayout() override;

    // Null until the first successful look-up of a printer.
    QPrinter *printer();

    static const QString &noDefaultPrinterMessage();
    static const QString &unsupportedMessage();
    static const QString &printerNotValidMessage();

private:
    QString ensurePrinter();

    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<SheetPdf> filePdf_;  // the file a run prints into, until the run ends
};
