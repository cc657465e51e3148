#include <QApplication>

#include "form_kolvara.h"
#include "japanese_fonts.h"
#include "japanese_translations.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kolvara"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kolvara"));
    installJapaneseFontSubstitutes();
    installJapaneseTranslations(app);
    TFormKolvara window;
    window.show();
    return app.exec();
}
