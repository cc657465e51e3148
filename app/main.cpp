#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "caption_frame_style.h"
#include "form_kolvara.h"
#include "japanese_fonts.h"
#include "japanese_translations.h"
#include "sheet_pdf.h"

namespace {

constexpr int NoDisplay = 1;

// `named`: a display or platform was named, but did not start.
[[noreturn]] void sayNoDisplay(bool named)
{
    std::fprintf(stderr,
                 "kolvara: %s画面なしでプリントを作るには kolvara-sheet を使います（例：kolvara-sheet --sheets 5 -o "
                 "week.pdf）\n"
                 "kolvara: %s; without one, make sheets with kolvara-sheet (for example kolvara-sheet --sheets 5 -o "
                 "week.pdf)\n",
                 named ? "画面（デスクトップ）にウィンドウを開けません。" : "ウィンドウを開く画面（デスクトップ）が見つかりません。",
                 named ? "could not open the window on the display" : "found no display (desktop) to open the window on");
    std::fflush(stderr);
    // Called from inside the toolkit too, with the application object half made: nothing
    // is torn down.
    std::_Exit(NoDisplay);
}

bool platformNamed(int argc, char *argv[])
{
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char *value = std::getenv(variable); value && *value)
            return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    return false;
}

// While the application object starts its platform, the toolkit's messages wait: a
// platform that cannot start (a display that does not answer) ends in a fatal message
// after a few warnings, and is then said in one line instead; otherwise they go out.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
bool startingPlatform = false;
std::vector<HeldMessage> heldMessages;
QtMessageHandler toolkitHandler = nullptr;

void onToolkitMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!startingPlatform)
        return toolkitHandler(type, context, text);
    if (type == QtFatalMsg)
        sayNoDisplay(true);
    heldMessages.push_back({type, context.category, text});
}

void releaseHeldMessages()
{
    startingPlatform = false;
    for (const HeldMessage &message : std::exchange(heldMessages, {}))
        toolkitHandler(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                       message.text);
}

}  // namespace

int main(int argc, char *argv[])
{
    if (!platformNamed(argc, argv))
        sayNoDisplay(false);
    toolkitHandler = qInstallMessageHandler(onToolkitMessage);
    startingPlatform = true;
    QApplication app(argc, argv);
    releaseHeldMessages();
    QApplication::setApplicationName(QStringLiteral("Kolvara"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kolvara"));
    // Ties the window to its installed desktop entry, for its name and icon in the
    // desktop's task list (Wayland's app id; X11 desktops match StartupWMClass instead).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kolvara.Kolvara"));
    installCaptionFrameStyle();
    installJapaneseFontSubstitutes();
    installJapaneseTranslations(app);
    removeUnfinishedPdfsOnSignals();
    TFormKolvara window;
    window.show();
    // Over the window, so it is plain what the boxes are. Without the font the Japanese
    // line itself is boxes: the English line is what can be read then.
    if (!pageFontsInstalled())
        QMessageBox::warning(&window, QApplication::applicationDisplayName(),
                             QStringLiteral("日本語のフォント IPAゴシックが見つかりません。文字は □ で表示・印刷されます。"
                                            "fonts-ipafont-gothic を入れてから、起動し直してください。\n\n"
                                            "The IPA Gothic fonts are missing: every Japanese character shows and "
                                            "prints as a box. Install them (sudo apt install fonts-ipafont-gothic) "
                                            "and start Kolvara again."));
    return app.exec();
}
