// Sheet pages into a PDF file, written whole or not at all.
#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QString>

#include <memory>

#include "sheet.h"

class QtTextMetrics;

// Landscape, with margins most printers can reach.
QPageLayout landscapeLayout(const QPageSize &pageSize);
// The paper and printable area of a page layout, in points.
kolvara::Paper paperOf(const QPageLayout &layout);

// A PDF of sheet pages. A regular file (or a new one) is written into a temporary file
// beside its target, the one a symbolic link leads to, and renamed only once complete,
// so the file appears whole or not at all; dropped unfinished, it leaves nothing behind.
// An existing target that is no regular file (a named pipe, a device) and an open
// descriptor are written into at commit. Errors come back as the reason in the user's
// words, empty on success.
class SheetPdf {
public:
    // A file name as the system spells it, in bytes that need not be UTF-8.
    struct LocalName {
        QByteArray bytes;
    };
    // A descriptor open for writing, such as standard output; left open.
    struct Descriptor {
        int fd;
    };

    explicit SheetPdf(const QString &fileName);
    explicit SheetPdf(LocalName name);
    explicit SheetPdf(Descriptor out);
    ~SheetPdf();
    SheetPdf(const SheetPdf &) = delete;
    SheetPdf &operator=(const SheetPdf &) = delete;

    QString open(const QPageLayout &layout, const QString &title);
    // The paper the pages are laid out for; valid once open.
    const kolvara::Paper &paper() const { return paper_; }
    void addPage(const kolvara::SheetPage &page, const QtTextMetrics &metrics);
    QString commit();
    // The system's error number behind the last failure; 0 when the system gave none.
    int systemError() const { return systemError_; }

private:
    struct Writer;
    QString fail(const QString &message, int error);
    QString cannotSave(int error);
    QString shownName() const;
    std::unique_ptr<Writer> writer_;
    QByteArray name_;
    int descriptor_ = -1;
    kolvara::Paper paper_;
    int systemError_ = 0;
};

// Has SIGTERM, SIGINT and SIGHUP remove the temporary file of every PDF being written,
// then end the program as the signal would have.
void removeUnfinishedPdfsOnSignals();

// Whether the families the pages are drawn with (or the IPA Gothic fonts standing in for
// them) are installed: without them every Japanese character comes out as a box. Call
// once the application object exists and the font substitutes are installed.
bool pageFontsInstalled();

// One page as a complete PDF document in memory, for a print job.
QByteArray pagePdf(const kolvara::SheetPage &page, const QtTextMetrics &metrics, const QPageLayout &layout,
                   const QString &title);
