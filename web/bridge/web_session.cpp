#include "web_session.h"

#include "feasibility.h"
#include "problem_table.h"
#include "random_source.h"
#include "status_lines.h"

namespace kolvara::web {

WebSession::WebSession() : model_(ProblemSettings::makeDefault()) {}

std::vector<std::string> WebSession::open(std::string_view address, std::uint32_t clock)
{
    ParsedAddress parsed = parseAddress(address);
    const Settings settings = parsed.request.settings;
    const std::uint32_t seed = parsed.hasSeed ? parsed.request.seed : clock % (MaxSeed + 1);
    request_ = parsed.request;
    request_.seed = seed;
    model_ = ProblemSettings::makeDefault();
    model_.adopt(settings);
    hasSheet_ = false;
    // As kolvara-sheet takes them: the settings as written, without the window's adjustment.
    show(settings, seed);
    return std::move(parsed.rejected);
}

bool WebSession::show(const Settings &settings, std::uint32_t seed)
{
    const Feasibility feasibility = checkFeasibility(settings);
    if (!feasibility.possible) {
        refusal_ = feasibility.reason;
        return false;
    }
    refusal_.clear();
    request_.settings = settings;
    request_.seed = seed;
    hasSheet_ = true;
    return true;
}

void WebSession::select(Option option)
{
    model_.SelectOption(option);
    show(settingsForNextFill(model_), request_.seed);
}

void WebSession::selectOperation(int item)
{
    model_.selectOperation(item);
    show(settingsForNextFill(model_), request_.seed);
}

bool WebSession::refresh()
{
    // The window's refresh adjusts the model itself before it fills.
    adjustForFill(model_);
    const std::uint32_t next = request_.seed >= MaxSeed ? 0 : request_.seed + 1;
    return show(model_.settings(), next);
}

bool WebSession::set(std::string_view key, std::string_view value)
{
    SheetRequest next = request_;
    if (!applyEntry(next, key, value))
        return false;
    const bool drawnAnew = next.settings != request_.settings || next.seed != request_.seed;
    const Settings settings = next.settings;
    next.settings = request_.settings;
    next.seed = request_.seed;
    request_ = next;
    if (drawnAnew) {
        model_.adopt(settings);
        show(settings, next.seed);
    }
    return true;
}

ProblemCountNote WebSession::countNote() const { return problemCountNote(settingsForNextFill(model_)); }

Sheet WebSession::sheet(int index, bool answers) const
{
    // As kolvara-sheet makes sheet `index`: the table filled when the clock reads seed + index.
    const Settings &settings = request_.settings;
    const std::uint32_t reading = request_.seed + std::uint32_t(index);
    ProblemSettings unused;
    RandomSource random;
    ProblemTable table(unused, random, [reading] { return reading; });
    SheetGeometry geometry;
    Sheet sheet;
    if (hasSheet_ && table.fill(settings, geometry).filled) {
        if (request_.distinct)
            table.makeDistinct(settings);
        sheet = sheetFromTable(table, geometry.ProblemsPerRow, settings.IsSubtraction == 1, request_.format);
    } else {
        sheet = sheetFromTable(table, problemsPerRowFor(settings), settings.IsSubtraction == 1, request_.format);
    }
    sheet.programLabel = "Kolvara";
    sheet.statusLines = statusLinesOf(settings);
    sheet.boxes = request_.boxes;
    sheet.helperColumns = helperColumnsFor(settings);
    sheet.mark = "No." + std::to_string(index + 1) + "\u3000" + std::to_string(reading);
    sheet.answers = answers;
    // The browser's answer pages name themselves: "こたえ" beside the heading.
    if (answers)
        sheet.format.answerLabel = true;
    return sheet;
}

SheetPage WebSession::page(int index, bool answers) const
{
    return layOutPage(sheet(index, answers), paperOf(request_.paper), metrics_);
}

}  // namespace kolvara::web
