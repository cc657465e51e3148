#include "sheet_pdf.h"

#include "japanese_fonts.h"
#include "sheet_painter.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>

#include <atomic>
#include <iterator>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qreal MarginMillimetres = 10;
// Vector output loses nothing at this resolution, and whole points stay whole dots.
constexpr int PdfDpi = 1200;

}  // namespace

QPageLayout landscapeLayout(const QPageSize &pageSize)
{
    return QPageLayout(pageSize, QPageLayout::Landscape,
                       QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
                       QPageLayout::Millimeter);
}

kolvara::Paper paperOf(const QPageLayout &layout)
{
    const QRectF full = layout.fullRect(QPageLayout::Point);
    const QRectF paint = layout.paintRect(QPageLayout::Point);
    return {full.width(), full.height(), paint.left()};
}

namespace {

void startWriter(QPdfWriter &pdf, const QPageLayout &layout, const QString &title)
{
    pdf.setTitle(title);
    pdf.setCreator(QStringLiteral("Kolvara"));
    pdf.setPageLayout(layout);
    pdf.setResolution(PdfDpi);
}

void drawPage(QPainter &painter, const QPdfWriter &pdf, const kolvara::SheetPage &page, const QtTextMetrics &metrics)
{
    // The painter's origin is the printable area's corner in whole device dots.
    const QPointF origin = QPointF(pdf.pageLayout().paintRectPixels(pdf.resolution()).topLeft()) * 72.0 / pdf.resolution();
    paintPage(painter, page, metrics, pdf.resolution(), origin);
}

// The named temporary files being written, for the signal handler, which may run on
// any thread at any moment: a slot is claimed (Claimed), filled, and only then shown to
// the handler (Named).
enum SlotState { Free, Claimed, Named };
struct UnfinishedFile {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free);
UnfinishedFile unfinishedFiles[8];

int rememberUnfinished(const QByteArray &path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < int(std::size(unfinishedFiles)); ++i) {
        UnfinishedFile &slot = unfinishedFiles[i];
        int expected = Free;
        if (slot.state.compare_exchange_strong(expected, Claimed)) {
            std::memcpy(slot.path, path.constData(), std::size_t(path.size()) + 1);
            slot.state.store(Named);
            return i;
        }
    }
    return -1;
}

void forgetUnfinished(int &slot)
{
    if (slot >= 0)
        unfinishedFiles[slot].state.store(Free);
    slot = -1;
}

void removeUnfinishedAndEnd(int signal)
{
    const int saved = errno;
    for (UnfinishedFile &slot : unfinishedFiles)
        if (slot.state.load() == Named)
            ::unlink(slot.path);
    errno = saved;
    // The handler was reset to the default on entry: once this returns, the signal ends
    // the program as it would have without the handler.
    ::raise(signal);
}

QByteArray folderOf(const QByteArray &name)
{
    const qsizetype slash = name.lastIndexOf('/');
    return slash < 0 ? QByteArrayLiteral(".") : slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// The kernel's protected_symlinks rule, which a link resolved here by hand would escape:
// in a sticky folder that everyone may write (such as /tmp), a link is followed only when
// it belongs to the follower or to the folder's owner, so nobody can lay one there to
// redirect another user's file.
bool mayFollow(const QByteArray &link, const struct stat &linkStatus)
{
    struct stat folder;
    if (::stat(folderOf(link).constData(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || linkStatus.st_uid == ::geteuid() || linkStatus.st_uid == folder.st_uid;
}

// Follows symbolic links to the name a write lands on, which need not exist yet.
// False with errno set when the links go round in a circle or cannot be read, or with
// `refused` set when one may not be followed.
bool followLinks(QByteArray &name, bool &refused)
{
    refused = false;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status;
        if (::lstat(name.constData(), &status) != 0)
            return errno == ENOENT;
        if (!S_ISLNK(status.st_mode))
            return true;
        if (!mayFollow(name, status)) {
            refused = true;
            errno = EACCES;
            return false;
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(name.constData(), link, sizeof link);
        if (length < 0)
            return false;
        if (length == sizeof link) {
            errno = ENAMETOOLONG;
            return false;
        }
        QByteArray next(link, length);
        if (!next.startsWith('/'))
            next.prepend(name.left(name.lastIndexOf('/') + 1));
        name = next;
    }
    errno = ELOOP;
    return false;
}

qsizetype lastNameLength(const QByteArray &path) { return path.size() - path.lastIndexOf('/') - 1; }

constexpr int TemporarySuffix = 7;  // ".XXXXXX"

// The target's name with a random suffix, cut short where needed (never inside a UTF-8
// character) so that it stays within the system's limit on a name.
QByteArray temporaryName(const QByteArray &target)
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = target;
    if (const qsizetype excess = lastNameLength(name) + TemporarySuffix - NAME_MAX; excess > 0) {
        qsizetype keep = name.size() - excess;
        while (keep > name.lastIndexOf('/') + 1 && (quint8(name[keep]) & 0xC0) == 0x80)
            --keep;
        name.truncate(keep);
    }
    name += '.';
    for (int i = 0; i < TemporarySuffix - 1; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

// Makes a temporary file beside `target` under a new name, `create` doing the making
// (false with errno set). The name is known to the signal handler before the file
// exists, so there is no moment in which a signal would leave it behind.
template <typename Create>
bool makeNamedTemporary(const QByteArray &target, QByteArray &name, int &slot, Create create)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = temporaryName(target);
        slot = rememberUnfinished(candidate);
        if (create(candidate)) {
            name = candidate;
            return true;
        }
        const int error = errno;
        forgetUnfinished(slot);
        if (error != EEXIST) {
            errno = error;
            return false;
        }
    }
    errno = EEXIST;
    return false;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, at, std::size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        left -= written;
    }
    return true;
}

}  // namespace

void WholeFile::drop()
{
    // An unfinished file is dropped with its temporary file.
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    temporary_.clear();
    forgetUnfinished(slot_);
    if (ownsFd_ && fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    ownsFd_ = false;
    target_.clear();
    writeError_ = 0;
}

QString WholeFile::shownName() const
{
    if (descriptor_ == STDOUT_FILENO)
        return QStringLiteral("標準出力");
    if (descriptor_ >= 0)
        return QStringLiteral("ファイル記述子 %1").arg(descriptor_);
    return QFileInfo(QFile::decodeName(name_)).absoluteFilePath();
}

QString WholeFile::fail(const QString &message, int error)
{
    drop();
    systemError_ = error;
    return message.arg(shownName());
}

QString WholeFile::cannotSave(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return fail(QStringLiteral("「%1」を保存できません。ディスクの空きを確かめてください"), error);
    if (error == ENAMETOOLONG)
        return fail(QStringLiteral("「%1」を保存できません。名前が長すぎます"), error);
    if (error == ENOENT || error == ENOTDIR || error == EACCES || error == EPERM || error == EROFS)
        return fail(QStringLiteral("「%1」を保存できません。フォルダがないか、書き込みが許可されていません"), error);
    return fail(QStringLiteral("「%1」を保存できません"), error);
}

QString WholeFile::notFinished(int error)
{
    return fail(error == ENOSPC || error == EDQUOT || error == EFBIG
                    ? QStringLiteral("「%1」を書き終えられません。ディスクの空きを確かめてください")
                    : QStringLiteral("「%1」を書き終えられません"),
                error);
}

QString WholeFile::open()
{
    drop();
    systemError_ = 0;
    if (descriptor_ >= 0) {
        fd_ = descriptor_;
        return {};
    }
    QByteArray target = name_;
    struct stat status;
    if (target.isEmpty())
        return cannotSave(ENOENT);
    bool refused = false;
    const bool followed = followLinks(target, refused);
    const bool exists = followed && ::stat(target.constData(), &status) == 0;
    if (!followed && errno == ELOOP)
        return fail(QStringLiteral("「%1」を保存できません。シンボリックリンクが循環しています"), ELOOP);
    if (refused)
        return fail(QStringLiteral("「%1」を保存できません。"
                                   "だれでも書けるフォルダにある、ほかの人のシンボリックリンクはたどりません"),
                    EACCES);
    if (exists && S_ISDIR(status.st_mode))
        return fail(QStringLiteral("「%1」はフォルダです。ファイルの名前を指定してください"), EISDIR);
    // What the shell's ">" would refuse is not done by a rename either.
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return errno == EACCES ? fail(QStringLiteral("「%1」は書き込みが許可されていません"), EACCES) : cannotSave(errno);
    // Checked now rather than at the rename, after all the work.
    if (lastNameLength(target) > NAME_MAX)
        return cannotSave(ENAMETOOLONG);
    ownsFd_ = true;
    if (exists && !S_ISREG(status.st_mode)) {
        // A named pipe or a device is the reader of the file, not a place to rename over.
        fd_ = ::open(target.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } else {
        target_ = target;
        fd_ = ::open(folderOf(target).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            // No unnamed temporary files on this file system (FAT, for one).
            int fd = -1;
            makeNamedTemporary(target, temporary_, slot_, [&fd](const QByteArray &name) {
                fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                return fd >= 0;
            });
            fd_ = fd;
        }
        // A file replaced keeps its owner, group and mode as far as the user may set
        // them (the owner only for root; the group for a member of it).
        if (fd_ >= 0 && exists) {
            if (::fchown(fd_, status.st_uid, status.st_gid) != 0)
                (void)!::fchown(fd_, uid_t(-1), status.st_gid);
            ::fchmod(fd_, status.st_mode & 07777);
        }
    }
    if (fd_ < 0)
        return cannotSave(errno);
    return {};
}

bool WholeFile::writeAhead(QByteArray &bytes)
{
    // Into a temporary file a long document goes ahead in parts, so memory stays flat;
    // a pipe or device gets the whole of it at the end, or nothing.
    constexpr qsizetype PartBytes = 256 * 1024;
    if (target_.isEmpty() || fd_ < 0 || bytes.size() < PartBytes)
        return false;
    if (!writeError_ && !writeAll(fd_, bytes))
        writeError_ = errno ? errno : EIO;
    bytes.clear();
    return true;
}

QString WholeFile::commit(const QByteArray &rest)
{
    if (fd_ < 0)
        return fail(QStringLiteral("「%1」に書き込めません"), systemError_);
    // The whole file (or its rest) goes out at once: a reader of a pipe gets nothing of a
    // run that fails before it ends.
    if (writeError_)
        return notFinished(writeError_);
    if (!writeAll(fd_, rest))
        return notFinished(errno);
    if (target_.isEmpty()) {
        const bool owned = std::exchange(ownsFd_, false);
        if (owned && ::close(std::exchange(fd_, -1)) != 0)
            return notFinished(errno);
        drop();
        return {};
    }
    if (::fdatasync(fd_) != 0)
        return notFinished(errno);
    if (temporary_.isEmpty()) {
        const QByteArray unnamed = "/proc/self/fd/" + QByteArray::number(fd_);
        if (!makeNamedTemporary(target_, temporary_, slot_, [&unnamed](const QByteArray &name) {
                return ::linkat(AT_FDCWD, unnamed.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0;
            }))
            return notFinished(errno);
    }
    if (::rename(temporary_.constData(), target_.constData()) != 0)
        return notFinished(errno);
    temporary_.clear();
    drop();
    return {};
}

struct SheetPdf::Writer {
    Writer() : buffer(&bytes), pdf(&buffer) { buffer.open(QIODevice::WriteOnly); }
    ~Writer()
    {
        if (painter.isActive())
            painter.end();
    }
    QByteArray bytes;
    QBuffer buffer;
    QPdfWriter pdf;
    QPainter painter;
    int pages = 0;
};

SheetPdf::SheetPdf(const QString &fileName) : file_(LocalName{QFile::encodeName(fileName)}) {}
SheetPdf::SheetPdf(LocalName name) : file_(std::move(name)) {}
SheetPdf::SheetPdf(Descriptor out) : file_(out) {}
SheetPdf::~SheetPdf() = default;

QString SheetPdf::fail(const QString &message, int error)
{
    writer_.reset();
    return file_.fail(message, error);
}

QString SheetPdf::open(const QPageLayout &layout, const QString &title)
{
    writer_.reset();
    if (const QString error = file_.open(); !error.isEmpty())
        return error;
    writer_ = std::make_unique<Writer>();
    startWriter(writer_->pdf, layout, title);
    if (!writer_->painter.begin(&writer_->pdf))
        return fail(QStringLiteral("「%1」にPDFを書き込めません"), 0);
    paper_ = paperOf(writer_->pdf.pageLayout());
    return {};
}

void SheetPdf::addPage(const kolvara::SheetPage &page, const QtTextMetrics &metrics)
{
    if (!writer_)
        return;
    if (writer_->pages++ > 0)
        writer_->pdf.newPage();
    drawPage(writer_->painter, writer_->pdf, page, metrics);
    if (file_.writeAhead(writer_->bytes))
        writer_->buffer.seek(0);
}

QString SheetPdf::commit()
{
    if (!writer_)
        return fail(QStringLiteral("「%1」にPDFを書き込めません"), file_.systemError());
    if (!writer_->painter.end())
        return fail(QStringLiteral("「%1」にPDFを書き込めません"), 0);
    const QByteArray rest = writer_->bytes;
    writer_.reset();
    return file_.commit(rest);
}

void removeUnfinishedPdfsOnSignals()
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction action = {};
        // A signal the caller ignores (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
            continue;
        action = {};
        action.sa_handler = removeUnfinishedAndEnd;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

bool pageFontsInstalled()
{
    for (const char *face : {windowFaceName, problemFaceName}) {
        const QString name = QString::fromUtf8(face);
        if (!QFontDatabase::hasFamily(name) && !QFontDatabase::hasFamily(QFont::substitute(name)))
            return false;
    }
    return true;
}

QByteArray pagePdf(const kolvara::SheetPage &page, const QtTextMetrics &metrics, const QPageLayout &layout,
                   const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        startWriter(pdf, layout, title);
        QPainter painter(&pdf);
        drawPage(painter, pdf, page, metrics);
    }
    return bytes;
}
