#include "practice_json.h"

#include "json_writer.h"
#include "session_json.h"

namespace kolvara::web {

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
    for (const Drawing::ProblemArea &a : out.page.drawing.areas)
        out.bounds.push_back({a.left, a.top, a.right, a.bottom});
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
