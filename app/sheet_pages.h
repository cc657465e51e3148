// Pages of a worksheet as they go to paper or into a PDF: the window's client area,
// stretched onto the page by one fitting rule and drawn by the window's own paint code.
#pragma once

#include <QPageLayout>
#include <QSize>
#include <QString>

#include <memory>

class QPainter;
class QWidget;

// The resolution to give the device a page is drawn on: the window's own, so the page's
// pixels are the window's. Vector output loses no sharpness at this resolution.
int sheetPageDpi();

// Draws the client area of `window` with every visible child (hidden ones are left out),
// fitted (fitToPage) into `printable` device pixels at the painter's origin, the top-left
// corner of the printable area; `mark`, when given, small in the bottom right corner. The
// device must have sheetPageDpi().
void paintWindowPage(QPainter &painter, QWidget &window, QSize printable, const QString &mark = {});

// Landscape, with margins most printers can reach.
QPageLayout landscapeLayout(const QPageSize &pageSize);

// A PDF of sheet pages, written into a temporary file beside its target and renamed only
// once complete, so the file appears whole or not at all; dropped unfinished, it leaves
// nothing behind. Errors come back as the reason in the user's words, empty on success.
class SheetPdf {
public:
    explicit SheetPdf(const QString &fileName);
    ~SheetPdf();
    SheetPdf(const SheetPdf &) = delete;
    SheetPdf &operator=(const SheetPdf &) = delete;

    QString open(const QPageLayout &layout, const QString &title);
    void addPage(QWidget &window, const QString &mark = {});
    QString commit();

private:
    struct Writer;
    std::unique_ptr<Writer> writer_;
    QString fileName_;
};

// Size of an image of `image` pixels stretched onto `printable` pixels with
// its proportions kept: it fills the height if that leaves it narrower than
// the page, else the width. Quotients are rounded to the nearest integer,
// halves to the even neighbour. Empty when either size is empty.
QSize fitToPage(QSize image, QSize printable);
