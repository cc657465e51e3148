// sheet_dump: kolvara-sheet's pages for default settings as JSON, laid out and measured as
// kolvara-sheet lays them out, for a peer that draws the same primitives with another PDF
// library. Pages come in kolvara-sheet's order: problem page, answer page, per sheet.
//
//   sheet_dump [--sheets N] [--seed S] [-o FILE]     (defaults 100, 1, standard output)
//   sheet_dump [--sheets N] [--seed S] --pdf FILE    the same pages as kolvara-sheet's PDF,
//                                                    for any number of sheets (memory bench)
#include <QGuiApplication>
#include <QPageSize>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "japanese_fonts.h"
#include "sheet.h"
#include "sheet_painter.h"
#include "sheet_pdf.h"
#include "sheet_request.h"
#include "worksheet.h"

using namespace kolvara;

namespace {

// Shortest text that reads back as the same double.
void number(std::ostream &out, double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    out.write(text, end - text);
}

void quoted(std::ostream &out, std::string_view text)
{
    out << '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out << '\\' << c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
            out << escaped;
        } else {
            out << c;  // UTF-8 passes through
        }
    }
    out << '"';
}

// Named fields of one primitive: {"a":1,"b":2}.
template <typename... Fields>
void record(std::ostream &out, const Fields &...fields)
{
    out << '{';
    bool first = true;
    const auto field = [&](const std::pair<const char *, double> &f) {
        if (!first)
            out << ',';
        first = false;
        out << '"' << f.first << "\":";
        number(out, f.second);
    };
    (field(fields), ...);
    out << '}';
}

template <typename T, typename Write>
void list(std::ostream &out, const char *name, const std::vector<T> &items, Write write)
{
    out << ",\n\"" << name << "\":[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out << ',';
        write(items[i]);
    }
    out << ']';
}

void page(std::ostream &out, const SheetPage &p)
{
    const PagePlacement &at = p.placement;
    out << "{\"width\":";
    number(out, p.width);
    out << ",\"height\":";
    number(out, p.height);
    out << ",\"placement\":";
    record(out, std::pair{"scaleX", at.scaleX}, std::pair{"scaleY", at.scaleY}, std::pair{"offsetX", at.offsetX},
           std::pair{"offsetY", at.offsetY});
    const Drawing &d = p.drawing;
    list(out, "backings", d.backings, [&out](const Backing &b) {
        record(out, std::pair{"left", b.left}, std::pair{"top", b.top}, std::pair{"width", b.width},
               std::pair{"height", b.height});
    });
    list(out, "boxes", d.boxes, [&out](const DottedBox &b) {
        record(out, std::pair{"left", b.left}, std::pair{"top", b.top}, std::pair{"right", b.right},
               std::pair{"bottom", b.bottom});
    });
    list(out, "lines", d.lines, [&out](const Line &l) {
        record(out, std::pair{"x1", l.x1}, std::pair{"y1", l.y1}, std::pair{"x2", l.x2}, std::pair{"y2", l.y2});
    });
    list(out, "texts", d.texts, [&out](const TextRun &t) {
        out << "{\"text\":";
        quoted(out, t.text);
        out << ",\"face\":" << (t.face == Face::Window ? "\"window\"" : "\"problem\"") << ",\"pixelSize\":";
        number(out, t.pixelSize);
        out << ",\"x\":";
        number(out, t.x);
        out << ",\"baseline\":";
        number(out, t.baseline);
        out << ",\"underline\":" << (t.underline ? "true" : "false") << '}';
    });
    out << '}';
}

bool whole(const char *text, std::uint64_t max, std::uint64_t &value)
{
    const std::string_view s(text);
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && error == std::errc() && end == s.data() + s.size() && value <= max;
}

}  // namespace

int main(int argc, char *argv[])
{
    std::uint64_t sheets = 100;
    std::uint64_t seed = 1;
    std::string output, pdfFile;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option(argv[i]);
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = value != nullptr;
        if (ok && option == "--sheets")
            ok = whole(value, 100000, sheets) && sheets > 0;
        else if (ok && option == "--seed")
            ok = whole(value, UINT32_MAX, seed);
        else if (ok && (option == "-o" || option == "--output"))
            output = value;
        else if (ok && option == "--pdf")
            pdfFile = value;
        else
            ok = false;
        if (!ok) {
            std::cerr << "usage: sheet_dump [--sheets N] [--seed S] [-o FILE | --pdf FILE]\n";
            return 2;
        }
        ++i;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The toolkit's notes about the desktop it does not use would only clutter the output.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << "sheet_dump: " << message.toStdString() << '\n';
    });
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    installJapaneseFontSubstitutes();
    const QtTextMetrics metrics;
    // The paper kolvara-sheet lays its pages out on: its PDF writer's, whose margins come in
    // whole points, so the sheet sits a little differently than on a4Paper().
    const Paper paper = paperOf(landscapeLayout(QPageSize(QPageSize::A4)));

    // kolvara-sheet's sheets for its defaults.
    const WorksheetChoice choice = worksheetChoiceOf(SheetRequest{});

    SheetPdf pdf(QString::fromLocal8Bit(pdfFile.c_str()));
    if (!pdfFile.empty() && !pdf.open(landscapeLayout(QPageSize(QPageSize::A4)), QStringLiteral("Kolvara")).isEmpty()) {
        std::cerr << "sheet_dump: cannot write " << pdfFile << '\n';
        return 1;
    }
    std::ostringstream json;
    json << "{\"pages\":[\n";
    for (std::uint64_t k = 0; k < sheets; ++k) {
        Sheet sheet = worksheetFor(choice, int(k), std::uint32_t(seed));
        for (const bool answers : {false, true}) {
            sheet.answers = answers;
            if (!pdfFile.empty()) {
                pdf.addPage(layOutPage(sheet, paper, metrics), metrics);
                continue;
            }
            if (k > 0 || answers)
                json << ",\n";
            page(json, layOutPage(sheet, paper, metrics));
        }
    }
    json << "\n]}\n";
    if (!pdfFile.empty())
        return pdf.commit().isEmpty() ? 0 : 1;

    if (output.empty()) {
        std::cout << json.str();
        return std::cout.flush() ? 0 : 1;
    }
    std::ofstream file(output, std::ios::binary);
    file << json.str();
    if (!file.flush()) {
        std::cerr << "sheet_dump: cannot write " << output << '\n';
        return 1;
    }
    return 0;
}
