#include "sheet_json.h"

#include "json_writer.h"

namespace kolvara {

namespace {

// The answer's digits from its highest written place, with the point; `all` keeps the
// zeros that end its decimals.
std::string answerText(const ColumnWork &work, int decimals, bool all)
{
    int last = 0;  // the smallest place written
    while (!all && last < decimals && work.answer[std::size_t(last)] == 0)
        ++last;
    std::string text;
    for (int c = work.answerPlaces - 1; c >= last; --c) {
        if (c == decimals - 1)
            text += '.';
        text += char('0' + work.answer[std::size_t(c)]);
    }
    return text;
}

void writeProblem(JsonWriter &j, const ColumnProblem &p, int columns)
{
    const ColumnWork work = workOf(p, columns);
    j.beginObject()
        .field("op", p.subtraction ? "-" : "+")
        .field("upper", numberText(p.upper, p.decimals))
        .field("lower", numberText(p.lower, p.decimals));
    // A difference below 0 borrows out of its highest column; the page leaves it blank.
    if (p.subtraction && work.handedOn[std::size_t(columns - 1)] != 0) {
        j.key("answer").null().key("value").null();
    } else {
        j.field("answer", answerText(work, p.decimals, true)).field("value", answerText(work, p.decimals, false));
    }
    j.field("decimals", p.decimals).key("carries").beginArray();
    for (int c = columns - 1; c >= 0; --c)
        j.value(int(work.handedOn[std::size_t(c)]));
    j.endArray().key("helpers").beginArray();
    for (int c = columns; c >= 0; --c) {
        if (const int helper = work.helper[std::size_t(c)]; helper >= 0)
            j.value(std::to_string(helper));
        else
            j.null();
    }
    j.endArray().key("struck").beginArray();
    for (int c = columns; c >= 0; --c)
        j.value(bool(work.struck[std::size_t(c)]));
    j.endArray().endObject();
}

}  // namespace

std::string sheetsJson(const WorksheetChoice &choice, std::uint32_t seed, int sheets)
{
    JsonWriter j;
    j.beginObject().key("sheets").beginArray();
    for (int k = 0; k < sheets; ++k) {
        const Sheet sheet = worksheetFor(choice, k, seed);
        j.beginObject().field("number", k + 1).field("seed", unsigned(sheetReading(seed, std::uint32_t(k))));
        j.key("problems").beginArray();
        for (const ColumnProblem &p : sheet.problems)
            writeProblem(j, p, sheet.columns);
        j.endArray().endObject();
    }
    j.endArray().endObject();
    return j.take() + '\n';
}

}  // namespace kolvara
