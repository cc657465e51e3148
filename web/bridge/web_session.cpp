#include "web_session.h"

#include <algorithm>

#include "problem_table.h"
#include "steps.h"
#include "worksheet.h"

namespace kolvara::web {

namespace {

std::size_t kindIndex(std::uint8_t kind) { return kind == ForMul ? 1 : kind == ForDiv ? 2 : 0; }

// Helper boxes leave only the pages that keep them a pencil's size.
bool fits(const ProblemChoice &choice, int perPage, bool helperBoxes)
{
    const std::vector<int> choices = perPageChoices(choice, helperBoxes);
    return perPage == 0 || std::find(choices.begin(), choices.end(), perPage) != choices.end();
}

// A kind's problems before the teacher has chosen any: the starting ones for sums and
// differences, the first step of the others.
ProblemChoice firstOfKind(std::uint8_t kind)
{
    for (const NamedStep &step : NamedSteps)
        if (const ProblemChoice problems = problemsOf(step); kind != ForAddSub && operationBit(problems.operation) == kind)
            return problems;
    return SheetRequest{}.problems;
}

// The choice with every option of the problems that does not apply to its operation at
// its default, through the table as the address writes and reads them.
ProblemChoice onlyItsOwnConditions(const ProblemChoice &choice)
{
    SheetRequest from, to;
    from.problems = choice;
    const std::uint8_t kind = operationBit(choice.operation);
    for (const std::string_view key : ProblemKeys)
        if (const SheetOptionRow *row = findSheetOption(key); row && (row->operations & kind))
            if (const std::string value = row->write(from); !value.empty())
                row->read(to, key, value);
    return to.problems;
}

// Every reason a practice link cannot open as asked, one a line.
std::string practiceRefusalOf(const ParsedAddress &parsed, const std::string &refusal)
{
    std::string text;
    const auto add = [&text](const std::string &line) { text += (text.empty() ? "" : "\n") + line; };
    for (std::size_t i = 0; i < parsed.rejected.size(); ++i)
        add(i < parsed.reasons.size() && !parsed.reasons[i].empty() ? japaneseLine(parsed.reasons[i])
                                                                     : "読めない項目です：" + parsed.rejected[i]);
    if (!parsed.hasSeed)
        add("seed がありません（開いた時刻で、子どもごとにちがうプリントになります）");
    if (!refusal.empty())
        add(refusal);
    return text;
}

}  // namespace

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
    wantedPerPage_ = parsed.request.format.perPage;
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
        if (!fits(request_.problems, request_.format.perPage, request_.format.helperBoxes))
            request_.format.perPage = 0;
        request_.practice = parsed.request.practice;
        hasSheet_ = true;
    }
    practiceRefusal_ = request_.practice.on ? practiceRefusalOf(parsed, refusal_) : std::string();
    return parsed;
}

void WebSession::want(const ProblemChoice &choice, bool adopt)
{
    wanted_ = choice;
    // A step that leaves out problems with 0 or 1 still shows on the three places' buttons;
    // its sheets are drawn from the choice itself.
    const std::optional<Settings> settings = shownSettingsOf(choice);
    threePlaces_ = settings.has_value();
    if (adopt && settings)
        model_.adopt(*settings);
}

bool WebSession::show(const ProblemChoice &choice, std::uint32_t seed, bool adopt)
{
    want(choice, adopt);
    wantedHelperBoxes_ = request_.format.helperBoxes;
    std::string reason = wantedError();
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
    request_.format.perPage = wantedPerPage_;
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

void WebSession::selectKind(std::uint8_t kind)
{
    error_.clear();
    const std::uint8_t from = operationBit(wanted_.operation);
    if ((kind != ForAddSub && kind != ForMul && kind != ForDiv) || kind == from)
        return;
    kept_[kindIndex(from)] = {true, wanted_, wantedPerPage_};
    const Kept &to = kept_[kindIndex(kind)];
    const ProblemChoice next = onlyItsOwnConditions(to.set ? to.problems : firstOfKind(kind));
    // The kind's own page size comes back; a kind not chosen before keeps the one there is
    // where it fits.
    const bool helperBoxes = request_.format.helperBoxes;
    if (to.set && fits(next, to.perPage, helperBoxes))
        wantedPerPage_ = to.perPage;
    else if (!fits(next, wantedPerPage_, helperBoxes))
        wantedPerPage_ = 0;
    show(next, request_.seed);
}

bool WebSession::refresh()
{
    error_.clear();
    if (!threePlaces_)
        return show(wanted_, sheetReading(request_.seed, 1));
    // The window's refresh adjusts the model itself before it fills.
    adjustForFill(model_);
    ProblemChoice next = choiceOf(model_.settings());
    next.trivial = wanted_.trivial;  // which the buttons do not show
    return show(next, sheetReading(request_.seed, 1), false);
}

bool WebSession::set(std::string_view key, std::string_view value)
{
    // Problems change what the panel shows, drawn or not; the rest, the sheet on screen.
    SheetRequest next = request_;
    // The panel shows only the conditions of its problems' own operation: one of another
    // that an address brought in goes with the first change made there.
    next.problems = onlyItsOwnConditions(wanted_);
    next.format.perPage = wantedPerPage_;
    error_.clear();
    if (value.empty() && isProblemKey(key) && findSheetOption(key)->kind != OptionKind::Switch) {
        next = withoutEntry(next, key);
    } else if (!applyEntry(next, key, value, &error_)) {
        error_ = japaneseLine(error_);
        return false;
    }
    // Helper boxes on a page too full for them to keep a pencil's size: kolvara-sheet refuses
    // the pair, so the entry is refused in its words.
    if (next.format.helperBoxes && !request_.format.helperBoxes && choiceError(next.problems).empty() &&
        !fits(next.problems, next.format.perPage, true)) {
        error_ = japaneseLine(requestError(next));
        return false;
    }
    // The page size goes with the problems: kolvara-sheet takes the two together.
    const bool drawnAnew = next.problems != wanted_ || next.format.perPage != wantedPerPage_ ||
                           next.format.helperBoxes != wantedHelperBoxes_ || next.seed != request_.seed || key == "step";
    const ProblemChoice problems = next.problems;
    wantedPerPage_ = next.format.perPage;
    next.problems = request_.problems;
    next.format.perPage = request_.format.perPage;
    next.seed = request_.seed;
    request_ = next;
    if (!request_.practice.on)
        practiceRefusal_.clear();
    if (drawnAnew)
        show(problems, next.seed);
    return true;
}

std::string WebSession::wantedError() const
{
    SheetRequest wanted;
    wanted.problems = wanted_;
    wanted.format.perPage = wantedPerPage_;
    wanted.format.helperBoxes = wantedHelperBoxes_;
    return requestError(wanted);
}

ProblemCountNote WebSession::countNote() const
{
    const std::string error = wantedError();
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
