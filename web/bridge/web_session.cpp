#include "web_session.h"

#include "problem_table.h"
#include "worksheet.h"

namespace kolvara::web {

WebSession::WebSession() : model_(ProblemSettings::makeDefault()) {}

ParsedAddress WebSession::open(std::string_view address, std::uint32_t clock)
{
    ParsedAddress parsed = parseAddress(address);
    const ProblemChoice problems = parsed.request.problems;
    const std::uint32_t seed = parsed.hasSeed ? parsed.request.seed : sheetReading(clock, 0);
    const SheetRequest shown = request_;
    const bool hadSheet = hasSheet_;
    request_ = parsed.request;
    request_.seed = seed;
    model_ = ProblemSettings::makeDefault();
    error_.clear();
    // As kolvara-sheet takes them: the problems as written, without the window's adjustment.
    // Problems that admit none keep the sheet there was, or give the starting problems'
    // sheet for the address's seed; the panel shows them with the reason.
    if (!show(problems, seed)) {
        if (hadSheet)
            request_ = shown;
        else
            request_.problems = SheetRequest{}.problems;
        hasSheet_ = true;
    }
    return parsed;
}

void WebSession::want(const ProblemChoice &choice, bool adopt)
{
    wanted_ = choice;
    const std::optional<Settings> settings = settingsOf(choice);
    threePlaces_ = settings.has_value();
    if (adopt && settings)
        model_.adopt(*settings);
}

bool WebSession::show(const ProblemChoice &choice, std::uint32_t seed, bool adopt)
{
    want(choice, adopt);
    std::string reason = choiceError(choice);
    if (reason.empty()) {
        const ProblemCountNote note = problemCountNote(choice);
        if (note.impossible)
            reason = note.text;
    }
    if (!reason.empty()) {
        refusal_ = japaneseLine(reason);
        return false;
    }
    refusal_.clear();
    request_.problems = choice;
    request_.seed = seed;
    hasSheet_ = true;
    return true;
}

void WebSession::select(Option option)
{
    error_.clear();
    model_.SelectOption(option);
    show(choiceOf(settingsForNextFill(model_)), request_.seed, false);
}

void WebSession::selectOperation(int item)
{
    error_.clear();
    model_.selectOperation(item);
    show(choiceOf(settingsForNextFill(model_)), request_.seed, false);
}

bool WebSession::refresh()
{
    error_.clear();
    if (!threePlaces_)
        return show(wanted_, sheetReading(request_.seed, 1));
    // The window's refresh adjusts the model itself before it fills.
    adjustForFill(model_);
    return show(choiceOf(model_.settings()), sheetReading(request_.seed, 1), false);
}

bool WebSession::set(std::string_view key, std::string_view value)
{
    // Problems change what the panel shows, drawn or not; the rest, the sheet on screen.
    SheetRequest next = request_;
    next.problems = wanted_;
    error_.clear();
    if (!applyEntry(next, key, value, &error_)) {
        error_ = japaneseLine(error_);
        return false;
    }
    const bool drawnAnew = next.problems != wanted_ || next.seed != request_.seed || key == "step";
    const ProblemChoice problems = next.problems;
    next.problems = request_.problems;
    next.seed = request_.seed;
    request_ = next;
    if (drawnAnew)
        show(problems, next.seed);
    return true;
}

ProblemCountNote WebSession::countNote() const
{
    const std::string error = choiceError(wanted_);
    if (error.empty())
        return problemCountNote(wanted_);
    ProblemCountNote note;
    note.impossible = true;
    note.text = japaneseLine(error);
    return note;
}

Sheet WebSession::sheet(int index, bool answers) const
{
    // As kolvara-sheet makes sheet `index`.
    Sheet sheet = worksheetFor(worksheetChoiceOf(request_), index, request_.seed);
    sheet.answers = answers;
    // The browser's answer pages name themselves: "こたえ" beside the heading.
    sheet.format.answerLabel = answers;
    return sheet;
}

SheetPage WebSession::page(int index, bool answers) const
{
    return layOutPage(sheet(index, answers), paperOf(request_.paper), metrics_);
}

}  // namespace kolvara::web
