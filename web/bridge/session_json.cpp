#include "session_json.h"

#include <algorithm>

#include "json_writer.h"
#include "option_widgets.h"
#include "steps.h"
#include "texts.h"

namespace kolvara::web {

std::string staticJson()
{
    JsonWriter j;
    j.beginObject();
    j.key("options").beginArray();
    for (int i = 0; i < OptionCount; ++i) {
        const Option option = Option(i);
        j.beginObject()
            .field("name", objectName(option))
            .field("group", int(groupOf(option)))
            .field("value", valueOf(option))
            .field("caption", captionOf(option))
            .field("hint", hintOf(option))
            .endObject();
    }
    j.endArray();
    j.key("groups").beginArray();
    for (int g = 0; g < OptionGroupCount; ++g)
        j.beginObject()
            .field("name", objectName(OptionGroup(g)))
            .field("carry", isCarryGroup(OptionGroup(g)))
            .endObject();
    j.endArray();
    j.key("places").beginArray();
    for (const std::string_view place : texts::PlaceName)
        j.value(place);
    j.endArray();
    j.key("steps").beginArray();
    for (const NamedStep &step : NamedSteps)
        j.beginObject()
            .field("key", step.key)
            .field("name", step.name)
            .field("grade", step.grade)
            .field("gradeName", gradeName(step.grade))
            .endObject();
    j.endArray();
    // The teachers' options as the table names them: caption, hint and values.
    j.key("sheetOptions").beginObject();
    for (const SheetOptionRow &row : sheetOptionRows()) {
        if (row.windowOnly)
            continue;
        j.key(row.key).beginObject().field("caption", row.caption).field("hint", row.hint);
        j.field("unsetCaption", row.unsetCaption);
        j.key("valueCaptions").beginArray();
        for (std::size_t start = 0; !row.valueCaptions.empty() && start <= row.valueCaptions.size();) {
            const std::size_t end = std::min(row.valueCaptions.find('|', start), row.valueCaptions.size());
            j.value(row.valueCaptions.substr(start, end - start));
            start = end + 1;
        }
        j.endArray();
        j.field("switch", row.kind == OptionKind::Switch);
        j.key("values").beginArray();
        if (row.kind == OptionKind::Words)
            for (std::size_t start = 0; start <= row.valueName.size();) {
                const std::size_t end = std::min(row.valueName.find('|', start), row.valueName.size());
                j.value(row.valueName.substr(start, end - start));
                start = end + 1;
            }
        j.endArray().endObject();
    }
    j.endObject();
    j.key("perPage").beginArray();
    for (const int n : SmallerPages)
        j.value(n);
    j.endArray();
    j.field("maxSheets", MaxSheets).field("maxSeed", double(MaxSeed));
    j.endObject();
    return j.take();
}

std::string stateJson(const WebSession &session)
{
    const ProblemSettings &model = session.model();
    const SheetRequest &request = session.request();
    const bool subtraction = model.settings().IsSubtraction == 1;
    SheetRequest wanted;
    wanted.problems = session.wanted();
    JsonWriter j;
    j.beginObject();
    j.field("address", session.address()).field("remembered", settingsAddressOf(request));
    j.field("operation", model.operationItem());
    // The panel's problems in kolvara-sheet's words, and whether the window's buttons can show them.
    j.key("problems").beginObject();
    for (const std::string_view key : ProblemKeys)
        j.field(key, findSheetOption(key)->write(wanted));
    j.endObject();
    j.field("threePlaces", session.threePlaces()).field("error", session.error());
    j.key("selection").beginArray();
    for (int g = 0; g < OptionGroupCount; ++g)
        j.value(valueOf(model.selectedOption(OptionGroup(g))));
    j.endArray();
    j.key("groupHints").beginArray();
    for (int g = 0; g < OptionGroupCount; ++g)
        j.value(model.groupHint(OptionGroup(g)));
    j.endArray();
    j.key("carryCaptions").beginArray();
    for (const OptionGroup g : {OptionGroup::GroupBoxKuriAgariSagari_100, OptionGroup::GroupBoxKuriAgariSagari_10,
                                OptionGroup::GroupBoxKuriAgariSagari_1})
        j.value(carryCaption(g, subtraction));
    j.endArray();
    j.field("hundredsCarryVisible", model.isHundredsCarryGroupVisible());
    j.key("rows").beginArray();
    j.value(subtraction ? texts::UpperNumberSubtraction : texts::UpperNumberAddition);
    j.value(subtraction ? texts::LowerNumberSubtraction : texts::LowerNumberAddition);
    j.value(subtraction ? texts::CarrySubtraction : texts::CarryAddition);
    j.endArray();
    const ProblemCountNote note = session.countNote();
    j.key("count").beginObject()
        .field("text", note.text)
        .field("impossible", note.impossible)
        .field("repeats", note.repeats)
        .endObject();
    j.field("hasSheet", session.hasSheet()).field("seed", double(request.seed)).field("refusal", session.refusal());
    j.field("answers", request.answers).field("boxes", request.boxes).field("distinct", request.distinct);
    j.field("paper", paperKey(request.paper)).field("sheets", request.sheets);
    const SheetFormat &f = request.format;
    j.key("format").beginObject()
        .field("helper-boxes", f.helperBoxes)
        .field("red-answers", f.redAnswers)
        .field("class-line", f.classLine)
        .field("score", f.score)
        .field("numbers", f.numbers)
        .field("answers-last", request.answersLast)
        .endObject();
    j.field("perPage", f.perPage);
    // The step whose problems the panel shows, if any: the step list shows it.
    std::string_view step;
    for (const NamedStep &named : NamedSteps)
        if (problemsOf(named) == session.wanted())
            step = named.key;
    j.field("step", step);
    j.endObject();
    return j.take();
}

std::string pageJson(const SheetPage &page)
{
    JsonWriter j;
    j.beginObject();
    j.field("width", page.width).field("height", page.height);
    const PagePlacement &p = page.placement;
    j.key("placement").beginArray().value(p.scaleX).value(p.scaleY).value(p.offsetX).value(p.offsetY).endArray();
    const Drawing &d = page.drawing;
    j.key("boxes").beginArray();
    for (const DottedBox &b : d.boxes)
        j.value(b.left).value(b.top).value(b.right).value(b.bottom);
    j.endArray();
    j.key("lines").beginArray();
    for (const Line &l : d.lines)
        j.value(l.x1).value(l.y1).value(l.x2).value(l.y2).value(l.accent ? 1 : 0);
    j.endArray();
    j.key("backings").beginArray();
    for (const Backing &b : d.backings)
        j.value(b.left).value(b.top).value(b.width).value(b.height);
    j.endArray();
    const TableTextMetrics metrics;
    j.key("texts").beginArray();
    for (const TextRun &t : d.texts) {
        j.beginArray()
            .value(t.text)
            .value(t.face == Face::Window ? 0 : 1)
            .value(t.pixelSize)
            .value(t.x)
            .value(t.baseline)
            .value(t.accent ? 1 : 0);
        if (t.underline) {
            const UnderlinePlace line = underlineOf(t.face, t.pixelSize);
            j.value(metrics.advance(t.face, t.pixelSize, t.text)).value(line.offset).value(line.thickness);
        }
        j.endArray();
    }
    j.endArray();
    j.endObject();
    return j.take();
}

}  // namespace kolvara::web
