// kolvara-sheet: numbered worksheets with their answer pages into one PDF, without a
// display. Each page is the window's own printed page, drawn off screen.
#include <QApplication>
#include <QPageSize>

#include <iostream>
#include <string>
#include <vector>

#include "caption_frame_style.h"
#include "form_kolvara.h"
#include "japanese_fonts.h"
#include "problem_count.h"
#include "sheet_options.h"
#include "sheet_pages.h"
#include "ui_FormKolvara.h"

using namespace kolvara;

namespace {

constexpr int BadInput = 2;
constexpr int NotWritten = 1;

void complain(const std::string &lines)
{
    std::size_t start = 0;
    while (start <= lines.size()) {
        const std::size_t end = lines.find('\n', start);
        std::cerr << "kolvara-sheet: " << lines.substr(start, end - start) << '\n';
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

}  // namespace

int main(int argc, char *argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedSheetOptions parsed = parseSheetOptions(arguments);
    if (!parsed.error.empty()) {
        complain(parsed.error + "\n'kolvara-sheet --help' で使い方を表示します (shows the usage)");
        return BadInput;
    }
    const SheetOptions &options = parsed.options;
    if (options.help) {
        std::cout << SheetHelpText;
        return 0;
    }

    const ProblemCountNote note = problemCountNote(options.settings);
    if (note.impossible) {
        complain(note.text + "\nthese settings admit no problem; nothing was written");
        return BadInput;
    }
    if (options.distinct && note.repeats)
        complain(note.text + "\nonly " + std::to_string(note.count) + " different problems exist for a sheet of " +
                 std::to_string(note.sheetSize) + "; repeats will occur");

    // Nothing is shown: the pages are drawn off screen, whatever display there is. The
    // toolkit's notes about the desktop it does not use are no concern of the caller's.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << "kolvara-sheet: " << message.toStdString() << '\n';
    });
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Kolvara"));
    installCaptionFrameStyle();
    installJapaneseFontSubstitutes();

    SheetPdf pdf(QString::fromLocal8Bit(options.output.c_str()));
    const QPageSize paper(options.paper == Paper::Letter ? QPageSize::Letter : QPageSize::A4);
    if (const QString error = pdf.open(landscapeLayout(paper), QStringLiteral("Kolvara")); !error.isEmpty()) {
        complain(error.toStdString() + "\ncannot write " + options.output);
        return NotWritten;
    }

    const std::uint32_t first = options.seed ? *options.seed : systemMillisecondsSinceMidnightUtc();
    std::uint32_t clockReading = first;
    TFormKolvara window([&clockReading] { return clockReading; });
    window.ui().CheckBoxRuledLine->setChecked(options.boxes);
    for (int k = 0; k < options.sheets; ++k) {
        clockReading = first + std::uint32_t(k);
        window.refreshWithSettings(options.settings, options.distinct);
        const QString mark = QStringLiteral("No.%1\u3000%2").arg(k + 1).arg(clockReading);
        window.layOutSheetPages(options.answers, [&pdf, &mark](QWidget &page) { pdf.addPage(page, mark); });
    }
    if (const QString error = pdf.commit(); !error.isEmpty()) {
        complain(error.toStdString() + "\ncannot write " + options.output);
        return NotWritten;
    }
    return 0;
}
