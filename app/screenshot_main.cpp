// Saves a picture of the window right after start: kolvara-screenshot FILE.png
#include <QApplication>
#include <QTimer>

#include "caption_frame_style.h"
#include "form_kolvara.h"
#include "japanese_fonts.h"
#include "japanese_translations.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Kolvara"));
    installCaptionFrameStyle();
    installJapaneseFontSubstitutes();
    installJapaneseTranslations(app);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshot.png");
    TFormKolvara window;
    window.show();
    int status = 0;
    QTimer::singleShot(300, &app, [&] {
        status = window.grab().save(path) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
