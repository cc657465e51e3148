#include <QApplication>

#include "caption_frame_style.h"
#include "form_kolvara.h"
#include "japanese_fonts.h"
#include "japanese_translations.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kolvara"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kolvara"));
    // Ties the window to its installed desktop entry, for its name and icon in the
    // desktop's task list (Wayland's app id; X11 desktops match StartupWMClass instead).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kolvara.Kolvara"));
    installCaptionFrameStyle();
    installJapaneseFontSubstitutes();
    installJapaneseTranslations(app);
    TFormKolvara window;
    window.show();
    return app.exec();
}
