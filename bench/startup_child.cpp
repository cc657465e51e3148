// Starts, shows one window of the program's size and exits once it has been painted.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QLabel>
#include <QWidget>

#ifdef KOLVARA_WINDOW
#include "form_kolvara.h"
#include "japanese_fonts.h"
#endif

namespace {
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};
}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FirstPaint firstPaint;
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
