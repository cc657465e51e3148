#include "address.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "steps.h"

namespace kolvara::web {

namespace {

// Letters of kolvara-sheet's patterns, in the order of the values they stand for.
constexpr std::string_view DigitLetters = "0na";  // Zero, Rest, All
constexpr std::string_view CarryLetters = "ynm";  // Ari, Nashi, Konzai

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

using Places = std::array<std::uint8_t Settings::*, 3>;  // hundreds, tens, ones
constexpr Places UpperPlaces{&Settings::DigitKind1_100, &Settings::DigitKind1_10, &Settings::DigitKind1_1};
constexpr Places LowerPlaces{&Settings::DigitKind2_100, &Settings::DigitKind2_10, &Settings::DigitKind2_1};
constexpr Places CarryColumns{&Settings::CarryMode_100, &Settings::CarryMode_10, &Settings::CarryMode_1};

bool readPattern(Settings &settings, const Places &places, std::string_view letters, std::string_view value)
{
    const std::string text = lowered(value);
    if (text.size() != 3)
        return false;
    std::array<std::uint8_t, 3> values{};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto at = letters.find(text[i]);
        if (at == std::string_view::npos)
            return false;
        values[i] = std::uint8_t(at);
    }
    for (std::size_t i = 0; i < 3; ++i)
        settings.*places[i] = values[i];
    return true;
}

std::string pattern(const Settings &settings, const Places &places, std::string_view letters)
{
    std::string text;
    for (const auto place : places)
        text += letters[std::min<std::size_t>(settings.*place, 2)];
    return text;
}

bool readWhole(std::string_view text, std::uint64_t low, std::uint64_t high, std::uint64_t &value)
{
    if (text.empty() || text.size() > 12)
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

bool readSwitch(std::string_view value, bool &on)
{
    if (value.empty() || value == "1")
        on = true;
    else if (value == "0")
        on = false;
    else
        return false;
    return true;
}

// One entry of the address: its key, how a value changes the request, and how the
// request is written back (nothing when it says what the default says).
struct Entry {
    std::string_view key;
    bool (*read)(SheetRequest &, std::string_view value);
    std::string (*write)(const SheetRequest &);  // "key=value", "key" or ""
};

constexpr std::string_view SeedKey = "seed";
constexpr std::string_view StepKey = "step";
constexpr std::array<std::string_view, 4> SettingsKeys{"op", "upper", "lower", "carry"};
constexpr std::array<std::string_view, 4> PaperKeys{"a4", "letter", "b5", "b4"};  // by PaperChoice

template <std::size_t N>
struct Key {
    char text[N];
    constexpr Key(const char (&s)[N]) { std::copy_n(s, N, text); }
    constexpr std::string_view view() const { return {text, N - 1}; }
};

// A switch of the sheet's format, on only when written.
template <Key key, bool SheetFormat::*flag>
constexpr Entry FormatSwitch()
{
    return {key.view(), [](SheetRequest &r, std::string_view v) { return readSwitch(v, r.format.*flag); },
            [](const SheetRequest &r) { return std::string(r.format.*flag ? key.view() : std::string_view()); }};
}

const Entry Entries[] = {
    {"op",
     [](SheetRequest &r, std::string_view v) {
         const std::string op = lowered(v);
         if (op != "add" && op != "sub")
             return false;
         r.settings.IsSubtraction = op == "sub" ? 1 : 0;
         return true;
     },
     [](const SheetRequest &r) { return std::string(r.settings.IsSubtraction == 1 ? "op=sub" : "op=add"); }},
    {"upper", [](SheetRequest &r, std::string_view v) { return readPattern(r.settings, UpperPlaces, DigitLetters, v); },
     [](const SheetRequest &r) { return "upper=" + pattern(r.settings, UpperPlaces, DigitLetters); }},
    {"lower", [](SheetRequest &r, std::string_view v) { return readPattern(r.settings, LowerPlaces, DigitLetters, v); },
     [](const SheetRequest &r) { return "lower=" + pattern(r.settings, LowerPlaces, DigitLetters); }},
    {"carry", [](SheetRequest &r, std::string_view v) { return readPattern(r.settings, CarryColumns, CarryLetters, v); },
     [](const SheetRequest &r) { return "carry=" + pattern(r.settings, CarryColumns, CarryLetters); }},
    {"seed",
     [](SheetRequest &r, std::string_view v) {
         std::uint64_t n = 0;
         if (!readWhole(v, 0, MaxSeed, n))
             return false;
         r.seed = std::uint32_t(n);
         return true;
     },
     [](const SheetRequest &r) { return "seed=" + std::to_string(r.seed); }},
    {"sheets",
     [](SheetRequest &r, std::string_view v) {
         std::uint64_t n = 0;
         if (!readWhole(v, 1, MaxSheets, n))
             return false;
         r.sheets = int(n);
         return true;
     },
     [](const SheetRequest &r) { return r.sheets == 1 ? std::string() : "sheets=" + std::to_string(r.sheets); }},
    {"paper",
     [](SheetRequest &r, std::string_view v) {
         const std::string paper = lowered(v);
         for (std::size_t i = 0; i < PaperKeys.size(); ++i)
             if (paper == PaperKeys[i]) {
                 r.paper = PaperChoice(i);
                 return true;
             }
         return false;
     },
     [](const SheetRequest &r) {
         return r.paper == PaperChoice::A4 ? std::string() : "paper=" + std::string(paperKey(r.paper));
     }},
    {"distinct", [](SheetRequest &r, std::string_view v) { return readSwitch(v, r.distinct); },
     [](const SheetRequest &r) { return std::string(r.distinct ? "distinct" : ""); }},
    {"no-answers",
     [](SheetRequest &r, std::string_view v) {
         bool off = false;
         if (!readSwitch(v, off))
             return false;
         r.answers = !off;
         return true;
     },
     [](const SheetRequest &r) { return std::string(r.answers ? "" : "no-answers"); }},
    {"no-boxes",
     [](SheetRequest &r, std::string_view v) {
         bool off = false;
         if (!readSwitch(v, off))
             return false;
         r.boxes = !off;
         return true;
     },
     [](const SheetRequest &r) { return std::string(r.boxes ? "" : "no-boxes"); }},
    {"answers-last", [](SheetRequest &r, std::string_view v) { return readSwitch(v, r.answersLast); },
     [](const SheetRequest &r) { return std::string(r.answersLast ? "answers-last" : ""); }},
    FormatSwitch<"helper-boxes", &SheetFormat::helperBoxes>(),
    FormatSwitch<"red-answers", &SheetFormat::redAnswers>(),
    FormatSwitch<"class-line", &SheetFormat::classLine>(),
    FormatSwitch<"score", &SheetFormat::score>(),
    FormatSwitch<"numbers", &SheetFormat::numbers>(),
    {"per-page",
     [](SheetRequest &r, std::string_view v) {
         if (v == "0") {
             r.format.perPage = 0;
             return true;
         }
         for (const int n : SmallerPages)
             if (v == std::to_string(n)) {
                 r.format.perPage = n;
                 return true;
             }
         return false;
     },
     [](const SheetRequest &r) {
         return r.format.perPage ? "per-page=" + std::to_string(r.format.perPage) : std::string();
     }},
    // Settings in the school's order; written back as the settings themselves.
    {StepKey,
     [](SheetRequest &r, std::string_view v) {
         const NamedStep *step = findStep(lowered(v));
         const std::optional<Settings> settings = step ? settingsOf(*step) : std::nullopt;
         if (!settings)
             return false;  // none, or one the panel's three places cannot show
         r.settings = *settings;
         return true;
     },
     [](const SheetRequest &) { return std::string(); }},
};

}  // namespace



bool applyEntry(SheetRequest &request, std::string_view key, std::string_view value)
{
    for (const Entry &entry : Entries)
        if (entry.key == key)
            return entry.read(request, value);
    return false;
}

ParsedAddress parseAddress(std::string_view text)
{
    ParsedAddress parsed;
    const NamedStep *step = nullptr;
    std::vector<std::string> settingsEntries;
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
        if (!applyEntry(parsed.request, key, value)) {
            parsed.rejected.emplace_back(item);
            continue;
        }
        (key == SeedKey ? parsed.hasSeed : parsed.hasSettings) = true;
        if (key == StepKey)
            step = findStep(lowered(value));
        else if (std::find(SettingsKeys.begin(), SettingsKeys.end(), key) != SettingsKeys.end())
            settingsEntries.emplace_back(item);
    }
    if (step && settingsOf(*step)) {
        parsed.request.settings = *settingsOf(*step);
        parsed.setAside = std::move(settingsEntries);
    }
    return parsed;
}

namespace {

std::string written(const SheetRequest &request, bool withSeed)
{
    std::string text;
    for (const Entry &entry : Entries) {
        if (entry.key == SeedKey && !withSeed)
            continue;
        const std::string item = entry.write(request);
        if (item.empty())
            continue;
        if (!text.empty())
            text += '&';
        text += item;
    }
    return text;
}

}  // namespace

std::string addressOf(const SheetRequest &request) { return written(request, true); }
std::string settingsAddressOf(const SheetRequest &request) { return written(request, false); }

}  // namespace kolvara::web
