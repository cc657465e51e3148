#include "address.h"

#include <algorithm>

#include "steps.h"

namespace kolvara::web {

namespace {

constexpr std::string_view SeedKey = "seed";
constexpr std::string_view StepKey = "step";

}  // namespace

bool isProblemKey(std::string_view key)
{
    return std::find(std::begin(ProblemKeys), std::end(ProblemKeys), key) != std::end(ProblemKeys);
}

// Every other option written and read back into a fresh request, as the table has no way
// to turn an option back to its default by itself.
SheetRequest withoutEntry(const SheetRequest &request, std::string_view key)
{
    SheetRequest out;
    out.seed = request.seed;
    out.hasSeed = request.hasSeed;
    if (key != "per-page")
        out.format.perPage = request.format.perPage;
    for (const SheetOptionRow &row : sheetOptionRows()) {
        if (row.windowOnly || row.key == key || row.key == SeedKey)
            continue;
        const std::string value = row.write(request);
        if (!value.empty())
            row.read(out, row.key, row.kind == OptionKind::Switch ? std::string_view() : std::string_view(value));
    }
    out.format.answerLabel = request.format.answerLabel;
    return out;
}

namespace {

// A problem option that applies to the request's operation.
bool appliesTo(const SheetOptionRow &row, const SheetRequest &request)
{
    return (row.operations & operationBit(request.problems.operation)) != 0;
}

// A named step stands in for the problems' own keys. The practice's entries come last, and
// only in the address: what the page remembers is the sheet's settings alone.
std::string written(const SheetRequest &request, bool withSeed)
{
    static const SheetRequest defaults;
    std::string text;
    const auto add = [&text](std::string_view key, const std::string &value, bool isSwitch) {
        text += std::string(text.empty() ? "" : "&") + std::string(key) + (isSwitch ? "" : "=" + value);
    };
    // The problems first, those of the operation alone, with their seed number after them.
    for (const bool problems : {true, false}) {
        if (problems && !request.step.empty())
            add(StepKey, request.step, false);
        for (const SheetOptionRow &row : sheetOptionRows()) {
            if (row.windowOnly || row.addressOnly || row.key == SeedKey || row.key == StepKey ||
                isProblemKey(row.key) != problems || (problems && (!appliesTo(row, request) || !request.step.empty())))
                continue;
            const std::string value = row.write(request);
            const bool always = problems && row.key != "zero-end";
            if (!value.empty() && (always || value != row.write(defaults)))
                add(row.key, value, row.kind == OptionKind::Switch);
        }
        if (problems && withSeed)
            add(SeedKey, std::to_string(request.seed), false);
    }
    if (withSeed && request.practice.on)
        for (const SheetOptionRow &row : sheetOptionRows())
            if (const std::string value = row.addressOnly ? row.write(request) : std::string(); !value.empty())
                add(row.key, value, row.kind == OptionKind::Switch);
    return text;
}

}  // namespace

std::string japaneseLine(std::string_view message) { return std::string(message.substr(0, message.find('\n'))); }

bool applyEntry(SheetRequest &request, std::string_view key, std::string_view value, std::string *error)
{
    const SheetOptionRow *row = findSheetOption(key);
    if (!row)
        return false;
    SheetRequest next = request;
    std::string fault;
    if (row->kind == OptionKind::Switch) {
        if (value == SwitchOff)
            fault = row->read(next, key, SwitchOff);
        else if (value.empty() || value == "1")
            fault = row->read(next, key, {});
        else
            return false;  // the table's switches take no value
    } else if (key == "per-page" && value == "0") {
        next.format.perPage = 0;
    } else {
        fault = row->read(next, key, value);
    }
    if (!fault.empty()) {
        if (error)
            *error = fault;
        return false;
    }
    if (key == StepKey) {
        next.problems = problemsOf(next);
        next.step.clear();
    }
    request = next;
    return true;
}

ParsedAddress parseAddress(std::string_view text)
{
    ParsedAddress parsed;
    SheetRequest stepped;  // the last step read, on its own
    bool hasStep = false;
    std::vector<std::string> problemEntries;
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    while (!text.empty()) {
        const auto amp = text.find('&');
        const std::string_view item = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (item.empty())
            continue;
        const auto eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
        std::string error;
        if (!applyEntry(parsed.request, key, value, &error)) {
            parsed.rejected.emplace_back(item);
            parsed.reasons.push_back(error);
            continue;
        }
        if (key == SeedKey)
            parsed.hasSeed = true;
        else if (key == StepKey) {
            hasStep = true;
            stepped = parsed.request;
        } else if (isProblemKey(key))
            problemEntries.emplace_back(item);
    }
    if (hasStep) {
        parsed.request.problems = stepped.problems;
        parsed.setAside = std::move(problemEntries);
    }
    return parsed;
}

std::string addressOf(const SheetRequest &request) { return written(request, true); }

std::string_view stepNaming(const ProblemChoice &problems)
{
    for (const NamedStep &step : NamedSteps)
        if (problemsOf(step) == problems)
            return step.key;
    return {};
}
std::string settingsAddressOf(const SheetRequest &request) { return written(request, false); }

}  // namespace kolvara::web
