#pragma once

#include <QSize>
#include <QString>

#include <memory>

class QPrinter;
class QWidget;

// What the print run needs of a print system; errors come back as the message the user
// sees, an empty string meaning success.
class PrintService {
public:
    virtual ~PrintService() = default;
    virtual QString prepareLandscape() = 0;
    virtual QString printWindow(QWidget &window, const QString &jobTitle) = 0;
    virtual QString setup(QWidget *parent) = 0;
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
    // system.
    QString printWindow(QWidget &window, const QString &jobTitle) override;

    // The printer set-up dialog, started from the current printer; OK makes
    // the choice current, Cancel changes nothing.
    QString setup(QWidget *parent) override;

    // Null until the first successful look-up of a printer.
    QPrinter *printer();

    static const QString &noDefaultPrinterMessage();
    static const QString &unsupportedMessage();
    static const QString &printerNotValidMessage();

private:
    QString ensurePrinter();

    std::unique_ptr<QPrinter> printer_;
};

// Size of an image of `image` pixels stretched onto `printable` pixels with
// its proportions kept: it fills the height if that leaves it narrower than
// the page, else the width. Quotients are rounded to the nearest integer,
// halves to the even neighbour. Empty when either size is empty.
QSize fitToPage(QSize image, QSize printable);
