#include "practice_json.h"

#include <algorithm>
#include <cmath>

#include "json_writer.h"
#include "session_json.h"

namespace kolvara::web {

namespace {

struct Bounds {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    void add(double l, double t, double r, double b)
    {
        left = std::min(left, l), top = std::min(top, t), right = std::max(right, r), bottom = std::max(bottom, b);
    }
    bool holds(double x, double y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// The place each problem takes: from the top of its first written row (its helper boxes)
// to the bottom of its last, across its columns from its left corner with the sign and a
// divisor's bracket. Neighbours stand further apart, so what lies inside is its own.
std::vector<Bounds> cellsOf(const Sheet &sheet, const Drawing &d)
{
    const ProblemGrid grid = problemGridFor(sheet);
    const std::size_t count = std::min(sheet.problems.size(), std::size_t(grid.columns * grid.rows));
    std::vector<Bounds> cells(count);
    for (const Drawing::Write &w : d.writes) {
        const DottedBox &b = d.boxes[w.box];
        if (w.problem < count)
            cells[w.problem].add(b.left, b.top, b.right, b.bottom);
    }
    const double width = problemWidth(grid.fontSize, grid.places);
    for (std::size_t i = 0; i < count; ++i) {
        const double left = grid.lefts[i % std::size_t(grid.columns)], top = grid.tops[i / std::size_t(grid.columns)];
        if (cells[i].left > cells[i].right)  // nothing to write: the problem's own lines
            cells[i].add(left, top, left + width, top + problemHeight(grid.fontSize, longProblemLines(sheet.problems[i])));
        cells[i].left = std::min(cells[i].left, left - grid.fontSize / 4.0);
        cells[i].right = std::max(cells[i].right, left + width);
    }
    return cells;
}

// Each problem's ink: every box, line and character whose middle lies in its cell.
std::vector<Bounds> problemBounds(const Sheet &sheet, const Drawing &d, const TextMetrics &metrics)
{
    const std::vector<Bounds> cells = cellsOf(sheet, d);
    std::vector<Bounds> ink(cells.size());
    const auto place = [&](double l, double t, double r, double b) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            if (cells[i].holds((l + r) / 2, (t + b) / 2)) {
                ink[i].add(l, t, r, b);
                return;
            }
    };
    for (const DottedBox &b : d.boxes)
        place(b.left, b.top, b.right, b.bottom);
    for (const Line &l : d.lines)
        place(std::min(l.x1, l.x2), std::min(l.y1, l.y2), std::max(l.x1, l.x2), std::max(l.y1, l.y2));
    for (const TextRun &t : d.texts)
        place(t.x, t.baseline - metrics.ascent(t.face, t.pixelSize), t.x + metrics.advance(t.face, t.pixelSize, t.text),
              t.baseline + metrics.descent(t.face, t.pixelSize));
    for (std::size_t i = 0; i < ink.size(); ++i)
        if (ink[i].left > ink[i].right)
            ink[i] = cells[i];
    return ink;
}

}  // namespace

PracticeSheet practiceSheet(const WebSession &session, int number)
{
    // Every place a pupil writes in has a box: the digits' boxes and the helper boxes for
    // carries and borrows, whatever the printed sheets have.
    Sheet sheet = session.sheet(number - 1, false);
    sheet.boxes = true;
    sheet.format.helperBoxes = true;
    sheet.format.largeHelpers = true;
    sheet.format.answerLabel = false;
    PracticeSheet out;
    out.page = layOutPage(sheet, paperOf(session.request().paper), session.metrics());
    for (const Bounds &b : problemBounds(sheet, out.page.drawing, session.metrics()))
        out.bounds.push_back({b.left, b.top, b.right, b.bottom});
    return out;
}

std::string practiceJson(const WebSession &session, int number)
{
    JsonWriter j;
    j.beginObject().field("max", MaxPupilNumber);
    if (!session.practiceRefusal().empty()) {
        j.field("error", session.practiceRefusal()).endObject();
        return j.take();
    }
    if (number < 1 || number > MaxPupilNumber) {
        j.field("error", "しゅっせきばんごうは 1 から " + std::to_string(MaxPupilNumber) + " までの かずです。").endObject();
        return j.take();
    }
    const PracticeSheet practice = practiceSheet(session, number);
    const Drawing &d = practice.page.drawing;
    j.field("no", number);
    j.key("problems").beginArray();
    std::size_t w = 0;
    for (std::size_t i = 0; i < practice.bounds.size(); ++i) {
        j.beginObject();
        j.key("bounds").beginArray();
        for (const double side : practice.bounds[i])
            j.value(side);
        j.endArray();
        j.key("writes").beginArray();
        for (; w < d.writes.size() && d.writes[w].problem == i; ++w) {
            const Drawing::Write &write = d.writes[w];
            j.beginObject().field("box", unsigned(write.box)).key("answers").beginArray();
            for (const std::string &answer : write.answers)
                j.value(answer);
            j.endArray().field("helper", write.helper).field("label", writeLabel(write)).endObject();
        }
        j.endArray();
        for (const Drawing::PointWrite &point : d.points) {
            if (point.problem != i)
                continue;
            j.key("point").beginObject().key("boxes").beginArray();
            for (const std::uint32_t box : point.boxes)
                j.value(unsigned(box));
            j.endArray().field("after", point.after).field("label", pointLabel()).endObject();
        }
        j.endObject();
    }
    j.endArray();
    j.endObject();
    std::string text = j.take();
    text.insert(text.size() - 1, ",\"page\":" + pageJson(practice.page));
    return text;
}

}  // namespace kolvara::web
