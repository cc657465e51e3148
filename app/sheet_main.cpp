// kolvara-sheet: numbered worksheets with their answer pages into one PDF, without a
// display or a widget: each page is laid out as the window prints it and drawn by the
// sheet painter.
#include <QGuiApplication>
#include <QPageSize>

#include <iostream>
#include <string>
#include <vector>

#include "japanese_fonts.h"
#include "problem_count.h"
#include "problem_table.h"
#include "sheet.h"
#include "sheet_options.h"
#include "sheet_painter.h"
#include "sheet_pdf.h"
#include "status_lines.h"

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
    QGuiApplication app(qtArgc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Kolvara"));
    installJapaneseFontSubstitutes();

    SheetPdf pdf(QString::fromLocal8Bit(options.output.c_str()));
    const QPageSize paper(options.paper == PaperSize::Letter ? QPageSize::Letter : QPageSize::A4);
    if (const QString error = pdf.open(landscapeLayout(paper), QStringLiteral("Kolvara")); !error.isEmpty()) {
        complain(error.toStdString() + "\ncannot write " + options.output);
        return NotWritten;
    }

    const std::uint32_t first = options.seed ? *options.seed : systemMillisecondsSinceMidnightUtc();
    std::uint32_t clockReading = first;
    ProblemSettings model;
    RandomSource random;
    ProblemTable table(model, random, [&clockReading] { return clockReading; });
    SheetGeometry geometry;
    const QtTextMetrics metrics;
    const auto statusLines = statusLinesOf(options.settings);
    for (int k = 0; k < options.sheets; ++k) {
        clockReading = first + std::uint32_t(k);
        table.fill(options.settings, geometry);
        if (options.distinct)
            table.makeDistinct(options.settings);
        Sheet sheet = sheetFromTable(table, geometry.ProblemsPerRow, options.settings.IsSubtraction == 1);
        sheet.programLabel = "Kolvara";
        sheet.statusLines = statusLines;
        sheet.boxes = options.boxes;
        sheet.mark = QStringLiteral("No.%1\u3000%2").arg(k + 1).arg(clockReading).toStdString();
        pdf.addPage(layOutPage(sheet, pdf.paper(), metrics), metrics);
        if (options.answers) {
            sheet.answers = true;
            pdf.addPage(layOutPage(sheet, pdf.paper(), metrics), metrics);
        }
    }
    if (const QString error = pdf.commit(); !error.isEmpty()) {
        complain(error.toStdString() + "\ncannot write " + options.output);
        return NotWritten;
    }
    return 0;
}
