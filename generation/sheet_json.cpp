#include "sheet_json.h"

#include "json_writer.h"
#include "long_arithmetic.h"

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

// A product with its partial products as written (none when it is written at once, and the
// places left blank by the shift left out), or a quotient with each digit's step.
void writeLongProblem(JsonWriter &j, const ColumnProblem &p)
{
    const int upper = int(valueOf(p.upper)), lower = int(valueOf(p.lower));
    j.beginObject()
        .field("op", std::string(signText(p.sign)))
        .field("upper", std::to_string(upper))
        .field("lower", std::to_string(lower));
    if (p.sign == Sign::Times) {
        const MultiplicationWork w = multiplicationWork(upper, lower);
        j.field("answer", std::to_string(w.product)).key("partials").beginArray();
        for (int r = 0; w.rowCount == 2 && r < 2; ++r)
            j.value(std::to_string(w.rows[std::size_t(r)].value));
        j.endArray().key("carries").beginArray();
        for (int r = 0; r < w.rowCount; ++r) {
            j.beginArray();
            for (int place = placesOf(upper) - 1; place >= 1; --place)
                j.value(int(w.rows[std::size_t(r)].carries[std::size_t(place)]));
            j.endArray();
        }
        j.endArray();
    } else {
        const DivisionWork w = divisionWork(upper, lower);
        j.field("answer", std::to_string(w.quotient)).field("remainder", std::to_string(w.remainder));
        j.key("steps").beginArray();
        for (int s = 0; s < w.stepCount; ++s) {
            const DivisionStep &step = w.steps[std::size_t(s)];
            j.beginObject()
                .field("product", std::to_string(step.product))
                .field("difference", std::to_string(step.difference))
                .endObject();
        }
        j.endArray();
    }
    j.endObject();
}

void writeProblem(JsonWriter &j, const ColumnProblem &p, int columns)
{
    if (p.sign == Sign::Times || p.sign == Sign::Divide)
        return writeLongProblem(j, p);
    const ColumnWork work = workOf(p, columns);
    j.beginObject()
        .field("op", (p.sign == Sign::Minus) ? "-" : "+")
        .field("upper", numberText(p.upper, p.decimals))
        .field("lower", numberText(p.lower, p.decimals));
    // A difference below 0 borrows out of its highest column; the page leaves it blank.
    if ((p.sign == Sign::Minus) && work.handedOn[std::size_t(columns - 1)] != 0) {
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
