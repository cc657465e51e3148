// A whole page: its heading, labels and status lines, and its problems on their grid.
#include <algorithm>
#include <cmath>

#include "sheet_layout.h"
#include "texts.h"

namespace kolvara {

using namespace layout;

namespace {

// A label of the stored layout: its box and face; the text sits at the left, centred
// in the box's height.
struct LabelPlace {
    double left, top, height;
    double pixelSize;
};
constexpr LabelPlace ProgramLabelPlace{0, 0, 0, 12};
constexpr LabelPlace StatusPlaces[3]{{304, 0, 0, 11}, {304, 12, 0, 11}, {304, 24, 0, 11}};
constexpr LabelPlace ReadingPlace{8, 15, 11, 11};
constexpr LabelPlace HeadingPlace{8, 23, 27, 27};
constexpr LabelPlace DateNamePlace{440, 8, 29, 29};
constexpr double MarkPixelSize = 11;
constexpr double MarkInset = 4;

// A label sized to its text (height 0) has the text's own height.
void addLabel(Drawing &out, const TextMetrics &metrics, const LabelPlace &place, const std::string &text,
              bool underline = false)
{
    if (text.empty())
        return;
    const double ascent = metrics.ascent(Face::Window, place.pixelSize);
    const double textHeight = ascent + metrics.descent(Face::Window, place.pixelSize);
    const double height = place.height > 0 ? place.height : textHeight;
    out.add(TextRun{text, Face::Window, place.pixelSize, place.left, place.top + (height - textHeight) / 2 + ascent,
                    underline});
}

// The date-and-name line with the class before the name where asked, shrunk to end before
// the score box when there is one.
void addHeaderLines(Drawing &out, const TextMetrics &metrics, const Sheet &sheet)
{
    std::string line = sheet.dateNameLine;
    if (sheet.format.classLine) {
        const std::size_t name = line.find(texts::NameWord);
        line.insert(name == std::string::npos ? line.size() : name, texts::ClassLine);
    }
    double right = SheetWidth - MarkInset;
    if (sheet.format.score) {
        const std::string score = std::string(texts::ScorePrefix) + std::to_string(sheet.problems.size());
        const double size = DateNamePlace.pixelSize;
        const double width = metrics.advance(Face::Window, size, score);
        const double ascent = metrics.ascent(Face::Window, size), descent = metrics.descent(Face::Window, size);
        const double left = right - width - 4, top = DateNamePlace.top - 2, bottom = top + ascent + descent + 4;
        out.add(TextRun{score, Face::Window, size, left + 2, top + 2 + ascent, false, false});
        for (const Line &edge : {Line{left, top, right, top}, Line{right, top, right, bottom},
                                 Line{left, bottom, right, bottom}, Line{left, top, left, bottom}})
            out.add(edge);
        right = left - 12;
    }
    LabelPlace place = DateNamePlace;
    const double width = metrics.advance(Face::Window, place.pixelSize, line);
    if (place.left + width > right && width > 0)
        place.pixelSize = std::floor(place.pixelSize * (right - place.left) / width);
    addLabel(out, metrics, place, line, true);
}

// The rectangle the items drawn from step `first` on take, texts as their metrics measure
// them; where nothing was drawn, `empty`.
Drawing::ProblemArea inkSince(const Drawing &d, std::size_t first, const TextMetrics &metrics, Drawing::ProblemArea empty)
{
    Drawing::ProblemArea area{empty.problem, 1e9, 1e9, -1e9, -1e9};
    const auto add = [&](double l, double t, double r, double b) {
        area.left = std::min(area.left, l), area.top = std::min(area.top, t);
        area.right = std::max(area.right, r), area.bottom = std::max(area.bottom, b);
    };
    for (std::size_t k = first; k < d.steps.size(); ++k) {
        const std::uint32_t i = d.steps[k].index;
        switch (d.steps[k].kind) {
        case Drawing::Kind::Backing: {
            const Backing &b = d.backings[i];
            add(b.left, b.top, b.left + b.width, b.top + b.height);
            break;
        }
        case Drawing::Kind::Box: {
            const DottedBox &b = d.boxes[i];
            add(b.left, b.top, b.right, b.bottom);
            break;
        }
        case Drawing::Kind::Line: {
            const Line &l = d.lines[i];
            add(std::min(l.x1, l.x2), std::min(l.y1, l.y2), std::max(l.x1, l.x2), std::max(l.y1, l.y2));
            break;
        }
        case Drawing::Kind::Text: {
            const TextRun &t = d.texts[i];
            add(t.x, t.baseline - metrics.ascent(t.face, t.pixelSize), t.x + metrics.advance(t.face, t.pixelSize, t.text),
                t.baseline + metrics.descent(t.face, t.pixelSize));
            break;
        }
        }
    }
    return area.left > area.right ? empty : area;
}

}  // namespace

SheetPage layOutPage(const Sheet &sheet, const Paper &paper, const TextMetrics &metrics)
{
    SheetPage page;
    page.width = paper.width;
    page.height = paper.height;
    page.placement = placeOnPaper(paper);
    Drawing &out = page.drawing;
    out.boxes.reserve(sheet.problems.size() * 11);
    out.texts.reserve(sheet.problems.size() * 12 + 8);
    out.steps.reserve(sheet.problems.size() * 24 + 8);
    out.areas.reserve(sheet.problems.size());

    addHeaderLines(out, metrics, sheet);
    if (sheet.showProgramLabel) {
        addLabel(out, metrics, ProgramLabelPlace, sheet.programLabel);
        for (int i = 0; i < 3 && (sheet.answers || sheet.format.statusLinesOnProblems); ++i) {
            // Lines of four places and decimals are set smaller to end before the date line.
            LabelPlace place = StatusPlaces[i];
            const std::string &line = sheet.statusLines[std::size_t(i)];
            const double room = DateNamePlace.left - 4 - place.left, width = metrics.advance(Face::Window, place.pixelSize, line);
            if (width > room)
                place.pixelSize = std::floor(place.pixelSize * room / width);
            addLabel(out, metrics, place, line);
        }
    }
    addLabel(out, metrics, HeadingPlace, sheet.heading);
    addLabel(out, metrics, ReadingPlace, sheet.reading);
    if (sheet.answers && sheet.format.answerLabel) {
        // After the heading, on its baseline, small enough to end before the status lines.
        const std::string label(texts::AnswerKeyLabel);
        const double size = HeadingPlace.pixelSize;
        const double left = HeadingPlace.left + metrics.advance(Face::Window, size, sheet.heading) + size / 4;
        const double room = StatusPlaces[0].left - 4 - left, width = metrics.advance(Face::Window, size, label);
        const double fitted = width > room ? std::floor(size * room / width) : size;
        const double ascent = metrics.ascent(Face::Window, size), descent = metrics.descent(Face::Window, size);
        const double baseline = HeadingPlace.top + (HeadingPlace.height - ascent - descent) / 2 + ascent;
        out.add(TextRun{label, Face::Window, fitted, left, baseline, false, sheet.format.redAnswers});
    }

    const ProblemGrid grid = problemGridFor(sheet);
    ProblemLook look;
    look.columns = grid.places;
    look.boxes = sheet.boxes;
    look.answers = sheet.answers;
    look.fontSize = grid.fontSize;
    look.pixelSize = R(grid.fontSize * PixelsPerPoint);
    look.width = problemWidth(look.fontSize, look.columns);
    look.accentAnswers = sheet.format.redAnswers && sheet.answers;
    if (sheet.format.helperBoxes)
        look.helperColumns = sheet.helperColumns;
    look.largeHelpers = sheet.format.largeHelpers;
    look.helperSize = helperBoxSizeOf(sheet, grid.fontSize);
    look.signByNumber = !sheet.windowLook;
    look.room = roomOf(sheet);
    look.checkLine = sheet.format.checkLines && sheet.answers;
    const double numberPixels = std::max(11, R(grid.fontSize * PixelsPerPoint * 0.4));
    const std::size_t count = std::min(sheet.problems.size(), std::size_t(grid.columns * grid.rows));
    for (std::size_t i = 0; i < count; ++i) {
        look.problem = sheet.problems[i];
        const double left = grid.lefts[i % std::size_t(grid.columns)], top = grid.tops[i / std::size_t(grid.columns)];
        const std::size_t firstWrite = out.writes.size(), firstStep = out.steps.size(), firstPoint = out.points.size();
        layOutProblem(look, metrics, left, top, out);
        for (std::size_t k = firstWrite; k < out.writes.size(); ++k)
            out.writes[k].problem = std::uint32_t(i);
        for (std::size_t k = firstPoint; k < out.points.size(); ++k)
            out.points[k].problem = std::uint32_t(i);
        std::stable_sort(out.writes.begin() + std::ptrdiff_t(firstWrite), out.writes.end(),
                         [](const Drawing::Write &a, const Drawing::Write &b) { return a.order < b.order; });
        if (sheet.format.numbers) {  // in the upper line's empty thousands place
            const std::string number = "(" + std::to_string(i + 1) + ")";
            double x = left;
            if (!sheet.windowLook) {
                // Just left of the problem's own rule, where the sign stands by its numbers.
                double inkLeft = left + look.width;
                for (std::size_t k = firstStep; k < out.steps.size(); ++k)
                    if (out.steps[k].kind == Drawing::Kind::Line) {
                        const Line &l = out.lines[out.steps[k].index];
                        inkLeft = std::min({inkLeft, l.x1, l.x2});
                    }
                x = std::max(left, inkLeft - metrics.advance(Face::Window, numberPixels, number));
            }
            out.add(TextRun{number, Face::Window, numberPixels, x, top + metrics.ascent(Face::Window, numberPixels), false,
                            false});
        }
        // A problem with no working to set out keeps its place on the grid.
        const double height = problemHeight(look.fontSize, longProblemLines(look.problem));
        out.areas.push_back(inkSince(out, firstStep, metrics, {std::uint32_t(i), left, top, left + look.width, top + height}));
    }

    if (!sheet.mark.empty()) {
        const double advance = metrics.advance(Face::Window, MarkPixelSize, sheet.mark);
        out.add(TextRun{sheet.mark, Face::Window, MarkPixelSize, SheetWidth - MarkInset - advance,
                        SheetHeight - MarkInset - metrics.descent(Face::Window, MarkPixelSize), false});
    }
    return page;
}

}  // namespace kolvara
