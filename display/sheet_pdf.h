// Sheet pages into a PDF file, written whole or not at all.
#pragma once

#include <QPageLayout>
#include <QString>

#include <memory>

#include "sheet.h"

class QtTextMetrics;

// Landscape, with margins most printers can reach.
QPageLayout landscapeLayout(const QPageSize &pageSize);
// The paper and printable area of a page layout, in points.
kolvara::Paper paperOf(const QPageLayout &layout);

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
    // The paper the pages are laid out for; valid once open.
    const kolvara::Paper &paper() const { return paper_; }
    void addPage(const kolvara::SheetPage &page, const QtTextMetrics &metrics);
    QString commit();

private:
    struct Writer;
    std::unique_ptr<Writer> writer_;
    QString fileName_;
    kolvara::Paper paper_;
};

// One page as a complete PDF document in memory, for a print job.
QByteArray pagePdf(const kolvara::SheetPage &page, const QtTextMetrics &metrics, const QPageLayout &layout,
                   const QString &title);
