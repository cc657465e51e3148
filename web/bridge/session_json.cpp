#include "session_json.h"

#include <algorithm>
#include <utility>

#include "json_writer.h"
#include "long_arithmetic.h"
#include "option_widgets.h"
#include "steps.h"
#include "texts.h"

namespace kolvara::web {

namespace {

// The words of "a|b|c", as the table writes its values and their captions.
std::vector<std::string_view> words(std::string_view list)
{
    std::vector<std::string_view> out;
    for (std::size_t start = 0; !list.empty() && start <= list.size();) {
        const std::size_t end = std::min(list.find('|', start), list.size());
        out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// A list's entries as the page offers them: each value word with its caption, and first,
// where no word says what the default says, an empty value (back to the default) with the
// table's caption for it.
void writeChoices(JsonWriter &j, const SheetOptionRow &row)
{
    const std::vector<std::string_view> values = words(row.valueName), captions = words(row.valueCaptions);
    const SheetRequest defaults;
    bool defaultNamed = false;
    for (const std::string_view value : values) {
        SheetRequest r;
        defaultNamed = defaultNamed || (row.read(r, row.key, value).empty() && r == defaults);
    }
    j.beginArray();
    if (!defaultNamed)
        j.beginObject().field("value", "").field("caption", row.unsetCaption).endObject();
    for (std::size_t i = 0; i < values.size(); ++i)
        j.beginObject().field("value", values[i]).field("caption", i < captions.size() ? captions[i] : values[i]).endObject();
    j.endArray();
}

// The value word of a list that the request holds, or empty for its default unnamed.
std::string chosenWord(const SheetOptionRow &row, const SheetRequest &request)
{
    for (const std::string_view value : words(row.valueName)) {
        SheetRequest r = request;
        if (row.read(r, row.key, value).empty() && r == request)
            return std::string(value);
    }
    return {};
}

// The number names of products and quotients, the upper one first, with their places.
struct LongNumber {
    std::uint8_t kind;
    std::string_view key, caption;
    int places;
};
constexpr LongNumber LongNumbers[] = {
    {ForMul, "upper", texts::Multiplicand, MaxMultiplicandPlaces}, {ForMul, "lower", texts::Multiplier, MaxMultiplierPlaces},
    {ForDiv, "upper", texts::Dividend, MaxDividendPlaces},         {ForDiv, "lower", texts::Divisor, MaxDivisorPlaces},
};

}  // namespace

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
            .field("kind", operationBit(problemsOf(step).operation))
            .endObject();
    j.endArray();
    // The three kinds of problems the panel chooses between, named by the operations' own
    // captions: sums and differences together (their mixing is one of their choices).
    const SheetOptionRow &op = *findSheetOption("op");
    j.key("kinds").beginArray();
    for (const std::uint8_t kind : {ForAddSub, ForMul, ForDiv}) {
        std::string name;
        const std::vector<std::string_view> values = words(op.valueName), captions = words(op.valueCaptions);
        j.beginObject().field("kind", kind).key("ops").beginArray();
        for (std::size_t i = 0; i < values.size() && i < captions.size(); ++i) {
            SheetRequest r;
            op.read(r, op.key, values[i]);
            if (operationBit(r.problems.operation) != kind)
                continue;
            j.value(values[i]);
            if (r.problems.operation != Operation::Mixed)
                name += (name.empty() ? "" : "・") + std::string(captions[i]);
        }
        j.endArray().field("caption", name).endObject();
    }
    j.endArray();
    j.key("longNumbers").beginArray();
    for (const LongNumber &n : LongNumbers)
        j.beginObject().field("kind", n.kind).field("key", n.key).field("caption", n.caption).field("places", n.places).endObject();
    j.endArray();
    // A place's digit kinds as the patterns write them, with the window's captions and hints.
    j.key("digitKinds").beginArray();
    for (const DigitKind kind : {Zero, Rest, All})
        j.beginObject()
            .field("letter", DigitLetters.substr(std::size_t(kind), 1))
            .field("caption", texts::optionCaption(kind))
            .field("hint", texts::optionHint(kind))
            .endObject();
    j.endArray();
    j.key("wholePlaces").beginArray();
    for (const std::string_view place : texts::WholePlaceName)
        j.value(place);
    j.endArray();
    // The teachers' options as the table names them: caption, hint and values.
    j.key("sheetOptions").beginObject();
    for (const SheetOptionRow &row : sheetOptionRows()) {
        if (row.windowOnly || row.addressOnly)
            continue;
        j.key(row.key).beginObject().field("caption", row.caption).field("hint", row.hint);
        j.field("unsetCaption", row.unsetCaption);
        j.key("valueCaptions").beginArray();
        for (const std::string_view caption : words(row.valueCaptions))
            j.value(caption);
        j.endArray();
        j.field("switch", row.kind == OptionKind::Switch);
        j.field("problem", isProblemKey(row.key)).field("operations", row.operations);
        j.key("values").beginArray();
        if (row.kind == OptionKind::Words)
            for (const std::string_view value : words(row.valueName))
                j.value(value);
        j.endArray();
        j.key("choices");
        if (row.kind == OptionKind::Words)
            writeChoices(j, row);
        else
            j.beginArray().endArray();
        j.endObject();
    }
    j.endObject();
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
    // Which entry of each list of the problems is chosen.
    j.key("chosen").beginObject();
    for (const std::string_view key : ProblemKeys)
        if (const SheetOptionRow *row = findSheetOption(key); row->kind == OptionKind::Words)
            j.field(key, chosenWord(*row, wanted));
    j.endObject();
    j.field("kind", operationBit(wanted.problems.operation));
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
    // The sheet's captioned options as the table has them: a switch on or off, a list's word.
    j.key("format").beginObject();
    for (const SheetOptionRow &row : sheetOptionRows()) {
        if (row.windowOnly || row.caption.empty() || isProblemKey(row.key))
            continue;
        if (row.kind == OptionKind::Switch)
            j.field(row.key, !row.write(request).empty());
        else if (row.kind == OptionKind::Words)
            j.field(row.key, chosenWord(row, request));
    }
    j.endObject();
    // The page sizes the panel's problems take, largest first; the one a page of them holds
    // by itself is "0", as the address leaves it out.
    const bool helperBoxes = request.format.helperBoxes;
    const int ownPage = perPageOf(wanted.problems, 0, helperBoxes);
    const SheetOptionRow &perPage = *findSheetOption("per-page");
    j.key("perPageChoices").beginArray();
    for (const int n : perPageChoices(wanted.problems, helperBoxes))
        j.beginObject()
            .field("value", n == ownPage ? std::string("0") : std::to_string(n))
            .field("caption", n == 0 ? std::string(perPage.unsetCaption) : std::to_string(n))
            .endObject();
    j.endArray();
    const int shownPage = session.wantedPerPage();
    j.field("perPage", perPageOf(wanted.problems, shownPage, helperBoxes) == ownPage ? std::string("0") : std::to_string(shownPage));
    // The step whose problems the panel shows, if any: the step list shows it.
    j.field("step", stepNaming(session.wanted()));
    // れんしゅう as the address asks for it, and why it has no sheet to give, if so.
    j.key("practice").beginObject()
        .field("on", request.practice.on)
        .field("no", request.practice.number)
        .field("mark", findSheetOption("mark")->write(request))
        .field("helpers", findSheetOption("helpers")->write(request))
        .field("refusal", session.practiceRefusal())
        .endObject();
    j.endObject();
    return j.take();
}

std::string classLinkJson(const WebSession &session, std::string_view mark, std::string_view helpers)
{
    SheetRequest link = session.request();
    link.practice = {};
    link.practice.on = true;
    std::string error = !session.practiceRefusal().empty() ? session.practiceRefusal() : session.refusal();
    for (const auto &[key, value] : {std::pair{"mark", mark}, std::pair{"helpers", helpers}})
        if (error.empty())
            error = japaneseLine(findSheetOption(key)->read(link, key, value));
    JsonWriter j;
    j.beginObject();
    if (error.empty()) {
        link.step = stepNaming(link.problems);
        j.field("address", addressOf(link));
    } else {
        j.field("error", error);
    }
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
