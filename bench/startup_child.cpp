// Starts, shows one window of the program's size and, once its first frame is painted,
// writes the moment (CLOCK_MONOTONIC, nanoseconds) to the descriptor named by argv[1].
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QLabel>
#include <QWidget>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

#ifdef KOLVARA_WINDOW
#include "form_kolvara.h"
#include "japanese_fonts.h"
#endif

namespace {
class FirstPaint : public QObject {
public:
    explicit FirstPaint(int reportFd) : reportFd_(reportFd) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window's paint event comes before its children's and the flush; a zero
        // timer fires once the event loop is back, with the whole frame on screen.
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, qApp, [this] { report(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void report()
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::int64_t ns = std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
        const bool written = reportFd_ >= 0 && write(reportFd_, &ns, sizeof ns) == sizeof ns;
        QCoreApplication::exit(written ? 0 : 1);
    }

    int reportFd_;
    bool seen_ = false;
};
}  // namespace

int main(int argc, char *argv[])
{
    const int reportFd = argc > 1 ? std::atoi(argv[1]) : -1;
    QApplication app(argc, argv);
    FirstPaint firstPaint(reportFd);
#ifdef KOLVARA_WINDOW
    installJapaneseFontSubstitutes();
    TFormKolvara window;
#else
    QWidget window;
    window.resize(1020, 727);
#ifdef WITH_JAPANESE_LABEL
    // The same bare window with one line of Japanese text: it pays for the font database.
    QLabel label(QString::fromUtf8("\u8a08\u7b97"), &window);
#endif
#endif
    window.installEventFilter(&firstPaint);
    window.show();
    return app.exec();
}
