// Pages of a worksheet as they go to paper or into a PDF: the window's client area,
// recorded as vectors and stretched onto the page by one fitting rule.
#pragma once

#include <QList>
#include <QPageLayout>
#include <QPicture>
#include <QSize>
#include <QString>

#include <memory>

class QPainter;
class QWidget;

struct SheetPage {
    QPicture picture;  // the client area, window pixels
    QSize size;        // of the client area
    QString mark;      // small text in the bottom right corner, or none
};

// Records the client area of `window` with every visible child; hidden ones are left out.
SheetPage recordWindowPage(QWidget &window);

// The resolution to give the device a page is played back on: the picture's own. Playback
// lays text out for the target's resolution; at any other, text would come out larger or
// smaller than the rest. Vector output loses no sharpness at this resolution.
int sheetPageDpi();

// Draws `page` fitted (fitToPage) into `printable` device pixels, on a painter whose origin
// is the printable area's top-left corner and whose device has sheetPageDpi().
void paintSheetPage(QPainter &painter, const SheetPage &page, QSize printable);

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
    void addPage(const SheetPage &page);
    QString commit();

private:
    struct Writer;
    std::unique_ptr<Writer> writer_;
    QString fileName_;
};

// All of `pages` into one PDF at `fileName`, as SheetPdf writes it.
QString writeSheetPdf(const QString &fileName, const QList<SheetPage> &pages, const QPageLayout &layout,
                      const QString &title);

// Size of an image of `image` pixels stretched onto `printable` pixels with
// its proportions kept: it fills the height if that leaves it narrower than
// the page, else the width. Quotients are rounded to the nearest integer,
// halves to the even neighbour. Empty when either size is empty.
QSize fitToPage(QSize image, QSize printable);
