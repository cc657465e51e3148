#include "web_session.h"

#include "feasibility.h"
#include "problem_table.h"
#include "worksheet.h"

namespace kolvara::web {

WebSession::WebSession() : model_(ProblemSettings::makeDefault()) {}

ParsedAddress WebSession::open(std::string_view address, std::uint32_t clock)
{
    ParsedAddress parsed = parseAddress(address);
    const Settings settings = parsed.request.settings;
    const std::uint32_t seed = parsed.hasSeed ? parsed.request.seed : sheetReading(clock, 0);
    const SheetRequest shown = request_;
    const bool hadSheet = hasSheet_;
    request_ = parsed.request;
    request_.seed = seed;
    model_ = ProblemSettings::makeDefault();
    model_.adopt(settings);
    // As kolvara-sheet takes them: the settings as written, without the window's adjustment.
    // Settings that admit no problem keep the sheet there was, or give the starting
    // settings' sheet for the address's seed; the panel shows them with the reason.
    if (!show(settings, seed)) {
        if (hadSheet)
            request_ = shown;
        else
            request_.settings = SheetRequest{}.settings;
        hasSheet_ = true;
    }
    return parsed;
}

bool WebSession::show(const Settings &settings, std::uint32_t seed)
{
    wanted_ = settings;
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
    return show(model_.settings(), sheetReading(request_.seed, 1));
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

ProblemCountNote WebSession::countNote() const { return problemCountNote(wanted_); }

Sheet WebSession::sheet(int index, bool answers) const
{
    // As kolvara-sheet makes sheet `index`.
    Sheet sheet = worksheetFor({choiceOf(request_.settings), request_.format, request_.boxes, request_.distinct}, index,
                               request_.seed);
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
