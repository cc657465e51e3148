// Files written whole or not at all, and sheet pages into a PDF such a file.
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

// A file written whole or not at all. A regular file (or a new one) is written into a
// temporary file beside its target, the one a symbolic link leads to, and renamed only
// once complete; dropped unfinished, it leaves nothing behind. An existing target that is
// no regular file (a named pipe, a device) and an open descriptor get everything at
// commit. Nothing the shell's ">" would refuse is written. Errors come back as the reason
// in the user's words, empty on success.
class WholeFile {
public:
    // A file name as the system spells it, in bytes that need not be UTF-8.
    struct LocalName {
        QByteArray bytes;
    };
    // A descriptor open for writing, such as standard output; left open.
    struct Descriptor {
        int fd;
    };

    explicit WholeFile(LocalName name) : name_(std::move(name.bytes)) {}
    explicit WholeFile(Descriptor out) : descriptor_(out.fd) {}
    ~WholeFile() { drop(); }
    WholeFile(const WholeFile &) = delete;
    WholeFile &operator=(const WholeFile &) = delete;

    QString open();
    // Hands the bytes so far to a temporary file, emptying `bytes`, once they are many;
    // false, keeping them, where they go out only at commit.
    bool writeAhead(QByteArray &bytes);
    QString commit(const QByteArray &rest);
    // The target's name as messages show it.
    QString shownName() const;
    // Drops the file unfinished and returns the message, its %1 the shown name.
    QString fail(const QString &message, int error);
    // The system's error number behind the last failure; 0 when the system gave none.
    int systemError() const { return systemError_; }

private:
    QString cannotSave(int error);
    QString notFinished(int error);
    void drop();
    QByteArray name_;
    int descriptor_ = -1;
    int fd_ = -1;
    bool ownsFd_ = false;
    QByteArray target_;     // renamed into at commit; empty when written into directly
    QByteArray temporary_;  // the temporary file's name; empty while it has none
    int slot_ = -1;
    int writeError_ = 0;  // of a part written ahead
    int systemError_ = 0;
};

// A PDF of sheet pages, written as a WholeFile.
class SheetPdf {
public:
    using LocalName = WholeFile::LocalName;
    using Descriptor = WholeFile::Descriptor;

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
    int systemError() const { return file_.systemError(); }

private:
    struct Writer;
    QString fail(const QString &message, int error);
    WholeFile file_;
    std::unique_ptr<Writer> writer_;  // dropped before the file
    kolvara::Paper paper_;
};

// Has SIGTERM, SIGINT and SIGHUP remove the temporary file of every WholeFile being written,
// then end the program as the signal would have.
void removeUnfinishedPdfsOnSignals();

// Whether the families the pages are drawn with (or the IPA Gothic fonts standing in for
// them) are installed: without them every Japanese character comes out as a box. Call
// once the application object exists and the font substitutes are installed.
bool pageFontsInstalled();

// One page as a complete PDF document in memory, for a print job.
QByteArray pagePdf(const kolvara::SheetPage &page, const QtTextMetrics &metrics, const QPageLayout &layout,
                   const QString &title);
