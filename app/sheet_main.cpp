// kolvara-sheet: numbered worksheets with their answer pages into one PDF, without a
// display or a widget: each page is laid out as the window prints it and drawn by the
// sheet painter. With --json, the sheets' problems as JSON instead, without the toolkit's
// fonts or painter.
#include <QGuiApplication>
#include <QPageSize>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "japanese_fonts.h"
#include "problem_count.h"
#include "random_source.h"
#include "sheet.h"
#include "sheet_json.h"
#include "sheet_options.h"
#include "sheet_painter.h"
#include "sheet_pdf.h"
#include "steps.h"
#include "worksheet.h"

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

// The file -o names: a name without an extension gets `extension`, as in the window's save
// dialog, unless something other than a regular file (a folder, a named pipe, a device,
// a link that leads nowhere) already has that name.
std::string outputFile(std::string name, const char *extension)
{
    struct stat status;
    const bool taken = ::lstat(name.c_str(), &status) == 0 &&
                       (::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode));
    const std::size_t slash = name.rfind('/');
    if (!taken && name.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos)
        name += extension;
    return name;
}

bool isFolder(const std::string &name)
{
    struct stat status;
    return ::stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Standard input, output and error that the caller closed would each be the next file
// opened, and whatever is said there would land in the PDF: /dev/null holds their places.
// Returns which were closed.
std::array<bool, 3> holdClosedStandardDescriptors()
{
    std::array<bool, 3> closed{};
    for (int fd = 0; fd < 3; ++fd)
        closed[std::size_t(fd)] = ::fcntl(fd, F_GETFD) < 0 && errno == EBADF;
    for (int fd = 0; fd < 3; ++fd) {
        // The lowest free descriptor is the one taken.
        if (closed[std::size_t(fd)] && ::open("/dev/null", fd ? O_WRONLY : O_RDONLY) < 0)
            std::_Exit(NotWritten);
    }
    return closed;
}

constexpr char StandardOutputClosed[] = "標準出力が閉じています\nstandard output is closed; nothing was written";

// Text for standard output; false, said, when it cannot be written.
bool print(const std::string &text, bool closed)
{
    if (!closed && (std::cout << text).flush())
        return true;
    complain(closed ? StandardOutputClosed : "標準出力に書き込めません\ncannot write to standard output");
    return false;
}

int notWritten(const QString &error, const std::string &output, int systemError)
{
    std::string reason = "cannot write " + (output == StandardOutputName ? std::string("to standard output") : output);
    if (systemError != 0)
        reason += std::string(": ") + std::strerror(systemError);
    complain(error.toStdString() + "\n" + reason);
    return NotWritten;
}

WholeFile outputOf(const std::string &output)
{
    return output == StandardOutputName ? WholeFile(WholeFile::Descriptor{STDOUT_FILENO})
                                        : WholeFile(WholeFile::LocalName{QByteArray::fromStdString(output)});
}

}  // namespace

int main(int argc, char *argv[])
{
    const std::array<bool, 3> closed = holdClosedStandardDescriptors();
    const bool outputClosed = closed[STDOUT_FILENO];
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedSheetOptions parsed = parseSheetOptions(arguments);
    if (!parsed.error.empty()) {
        complain(parsed.error + "\n'kolvara-sheet --help' で使い方を表示します (shows the usage)");
        return BadInput;
    }
    const SheetOptions &options = parsed.options;
    if (options.help)
        return print(sheetHelpText(), outputClosed) ? 0 : NotWritten;
    if (options.version)
        return print("kolvara-sheet " KOLVARA_VERSION "\n", outputClosed) ? 0 : NotWritten;
    if (options.listSteps) {
        std::string list;
        int grade = 0;
        for (const NamedStep &step : NamedSteps) {
            if (step.grade != grade)
                list += "# " + std::string(gradeName(grade = step.grade)) + '\n';
            list += std::string(step.key) + '\t' + std::string(step.name) + '\n';
        }
        return print(list, outputClosed) ? 0 : NotWritten;
    }

    const SheetRequest &request = options.request;
    const ProblemCountNote note = problemCountNote(problemsOf(request));
    if (note.impossible) {
        complain(note.text + "\nno problem fits these settings: " + note.english + "; nothing was written");
        return BadInput;
    }
    if (note.repeats)
        complain(note.text + "\n" + note.english);

    const bool toStandardOutput = options.output == StandardOutputName;
    const std::string output = toStandardOutput ? options.output : outputFile(options.output, options.json ? ".json" : ".pdf");
    if (toStandardOutput && outputClosed) {
        complain(StandardOutputClosed);
        return NotWritten;
    }
    if (toStandardOutput && !options.json && ::isatty(STDOUT_FILENO)) {
        complain("標準出力が端末です。PDFはパイプでつなぐか、ファイルに書き出してください（例：kolvara-sheet -o - | lp）\n"
                 "standard output is a terminal: pipe the PDF on (kolvara-sheet -o - | lp) or name a file");
        return BadInput;
    }
    if (!toStandardOutput && isFolder(output)) {
        const std::string kind = options.json ? "JSON" : "PDF", example = output + (options.json ? "/week.json" : "/week.pdf");
        complain("「" + output + "」はフォルダです。書き出す" + kind + "の名前を指定してください（例：" + example + "）\n" +
                 output + " is a folder: name the " + kind + " to write (for example " + example + "); nothing was written");
        return BadInput;
    }

    const std::uint32_t first = request.hasSeed ? request.seed : systemMillisecondsSinceMidnightUtc();
    const WorksheetChoice choice = worksheetChoiceOf(request);
    removeUnfinishedPdfsOnSignals();
    if (options.json) {
        WholeFile file = outputOf(output);
        QString error = file.open();
        if (error.isEmpty())
            error = file.commit(QByteArray::fromStdString(sheetsJson(choice, first, request.sheets)));
        return error.isEmpty() ? 0 : notWritten(error, output, file.systemError());
    }

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
    if (!pageFontsInstalled()) {
        complain("日本語のフォント IPAゴシックが入っていません。fonts-ipafont-gothic を入れてください"
                 "（sudo apt install fonts-ipafont-gothic）\n"
                 "the IPA Gothic fonts are missing, so every character would come out as a box: "
                 "install fonts-ipafont-gothic; nothing was written");
        return NotWritten;
    }

    SheetPdf pdf = toStandardOutput ? SheetPdf(SheetPdf::Descriptor{STDOUT_FILENO})
                                    : SheetPdf(SheetPdf::LocalName{QByteArray::fromStdString(output)});
    constexpr QPageSize::PageSizeId papers[] = {QPageSize::A4, QPageSize::Letter, QPageSize::JisB5, QPageSize::JisB4};
    const QPageSize paper(papers[int(request.paper)]);
    if (const QString error = pdf.open(landscapeLayout(paper), QStringLiteral("Kolvara")); !error.isEmpty())
        return notWritten(error, output, pdf.systemError());

    const QtTextMetrics metrics;
    std::vector<Sheet> answerPages;  // held back for the end with --answers-last
    for (int k = 0; k < request.sheets; ++k) {
        Sheet sheet = worksheetFor(choice, k, first);
        pdf.addPage(layOutPage(sheet, pdf.paper(), metrics), metrics);
        if (request.answers) {
            sheet.answers = true;
            if (request.answersLast)
                answerPages.push_back(std::move(sheet));
            else
                pdf.addPage(layOutPage(sheet, pdf.paper(), metrics), metrics);
        }
    }
    for (const Sheet &sheet : answerPages)
        pdf.addPage(layOutPage(sheet, pdf.paper(), metrics), metrics);
    if (const QString error = pdf.commit(); !error.isEmpty())
        return notWritten(error, output, pdf.systemError());
    return 0;
}
