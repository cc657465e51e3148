#include "problem_choice.h"

#include <algorithm>

#include "feasibility.h"
#include "messages.h"
#include "sheet.h"
#include "status_lines.h"
#include "texts.h"

namespace kolvara {

namespace {

// Letters with at most one point into kinds; `fill` pads the whole part to three places.
bool readLetters(std::string_view text, std::string_view letters, std::uint8_t fill, NumberPattern &out)
{
    const std::string low = lowered(text);
    const std::size_t point = low.find('.');
    const std::string whole = low.substr(0, point);
    const std::string decimals = point == std::string::npos ? std::string() : low.substr(point + 1);
    if (whole.empty() || (point != std::string::npos && decimals.empty()) ||
        decimals.size() > std::size_t(MaxDecimalPlaces))
        return false;
    NumberPattern p;
    for (const std::string *part : {&whole, &decimals})
        for (char c : *part) {
            const std::size_t at = letters.find(c);
            if (at == std::string_view::npos)
                return false;
            (part == &whole ? p.whole : p.decimals).push_back(std::uint8_t(at));
        }
    while (p.whole.size() < 3)
        p.whole.insert(p.whole.begin(), fill);
    out = p;
    return true;
}

int wholePlaces(const ProblemChoice &c) { return int(std::max(c.upper.whole.size(), c.lower.whole.size())); }
int decimalPlaces(const ProblemChoice &c) { return int(std::max(c.upper.decimals.size(), c.lower.decimals.size())); }

std::string placeName(const ColumnGrid &g, int column)
{
    return column < g.decimals ? std::string(texts::DecimalPlaceName[std::size_t(g.decimals - 1 - column)])
                               : std::string(texts::WholePlaceName[std::size_t(column - g.decimals)]);
}

std::string quoted(std::string_view caption) { return "「" + std::string(caption) + "」"; }

std::string kindCaption(std::uint8_t kind)
{
    return std::string(kind == Blank ? std::string_view("なし") : texts::optionCaption(DigitKind(kind)));
}

// Why one sign's conditions admit no problem.
std::string reasonOfGrid(const ColumnGrid &g, bool sub, std::uint8_t zeroEnd)
{
    const std::string upper(sub ? texts::UpperNumberSubtraction : texts::UpperNumberAddition);
    const std::string lower(sub ? texts::LowerNumberSubtraction : texts::LowerNumberAddition);
    const std::string carry(sub ? texts::CarrySubtraction : texts::CarryAddition);
    if (g.decimals > 0 && zeroEnd != Konzai && countProblems(g, sub, Konzai).problems > 0)
        return zeroEnd == Ari ? "答えの小数の最後の位を０にすることはできません"
                              : "答えの小数の最後の位が０にならないようにはできません";
    // The first column, from the smallest place, that no problem gets past.
    std::array<bool, 2> reach{true, false};
    for (int c = 0; c < g.columns(); ++c) {
        std::array<bool, 2> next{};
        for (int in = 0; in < 2; ++in) {
            if (!reach[std::size_t(in)])
                continue;
            for (int a = 0; a <= 9; ++a)
                for (int b = 0; b <= 9; ++b)
                    if (const int out = columnStep(g, sub, Konzai, c, a, b, in); out >= 0)
                        next[std::size_t(out)] = true;
        }
        if (!next[0] && !next[1]) {
            if (sub && c == g.columns() - 1)
                return upper + "がいつも" + lower + "より小さくなります";
            const std::string place = placeName(g, c);
            return place + "の" + carry + "を" + quoted(texts::optionCaption(CarryMode(g.mode[std::size_t(c)]))) +
                   "にはできません（" + upper + "の" + place + "が" + quoted(kindCaption(g.upper[std::size_t(c)])) +
                   "、" + lower + "の" + place + "が" + quoted(kindCaption(g.lower[std::size_t(c)])) + "）";
        }
        reach = next;
    }
    return "この設定にあう問題がありません";
}

std::string placesLine(const NumberPattern &p)
{
    std::string line;
    for (std::uint8_t kind : p.whole)
        line += (line.empty() ? "" : ",") + std::string(texts::statusText(DigitKind(kind)));
    if (!p.decimals.empty())
        line += std::string(texts::StatusPoint);
    for (std::size_t i = 0; i < p.decimals.size(); ++i)
        line += (i ? "," : "") + std::string(texts::statusText(DigitKind(p.decimals[i])));
    return line;
}

std::vector<bool> signsOf(Operation op)
{
    switch (op) {
    case Operation::Add: return {false};
    case Operation::Subtract: return {true};
    default: return {false, true};
    }
}

}  // namespace

std::string readNumberPattern(std::string_view option, std::string_view text, NumberPattern &out)
{
    NumberPattern p;
    if (readLetters(text, DigitLetters, Zero, p)) {
        // Leading places that are always 0 say nothing: "0naa" is "naa".
        while (p.whole.size() > 3 && p.whole.front() == Zero)
            p.whole.erase(p.whole.begin());
        if (p.whole.size() <= std::size_t(MaxWholePlaces)) {
            out = p;
            return {};
        }
    }
    const std::string name(option), given(text);
    return twoLanguages(name + " の指定が正しくありません：" + given +
                            "（上の位から1文字ずつ、0 いつも0、n 1〜9、a 0〜9。整数は4けたまで、小数点 . のあとは2けたまで）",
                        name + ": bad pattern '" + given +
                            "' (one letter a place from the highest: 0, n or a; up to four whole places, and up to "
                            "two after one point)");
}

std::string readCarryPattern(std::string_view option, std::string_view text, NumberPattern &out)
{
    NumberPattern p;
    if (readLetters(text, CarryLetters, Konzai, p) && p.whole.size() <= std::size_t(MaxWholePlaces)) {
        out = p;
        return {};
    }
    const std::string name(option), given(text);
    return twoLanguages(name + " の指定が正しくありません：" + given +
                            "（上の位から1文字ずつ、y かならずある、n ない、m どちらでも。数と同じ所に小数点 .）",
                        name + ": bad pattern '" + given +
                            "' (one letter a column from the highest: y, n or m; a point where the numbers have "
                            "theirs)");
}

std::string patternText(const NumberPattern &p, std::string_view letters)
{
    std::string text;
    for (std::uint8_t v : p.whole)
        text += letters[std::min<std::size_t>(v, 2)];
    if (!p.decimals.empty())
        text += '.';
    for (std::uint8_t v : p.decimals)
        text += letters[std::min<std::size_t>(v, 2)];
    return text;
}

std::string choiceError(const ProblemChoice &c)
{
    const int whole = wholePlaces(c), decimals = decimalPlaces(c);
    // Letters for columns above both numbers are allowed where they ask no carry there.
    bool extraCarries = false;
    for (std::size_t i = 0; i + std::size_t(whole) < c.carry.whole.size(); ++i)
        extraCarries = extraCarries || c.carry.whole[i] == Ari;
    if (extraCarries)
        return twoLanguages("--carry の文字が数の位より多くなっています：" + patternText(c.carry, CarryLetters),
                            "--carry has more letters than the numbers have places: " + patternText(c.carry, CarryLetters));
    // Only "m" letters say "either" wherever the columns are: any numbers take them.
    const bool eitherEverywhere = c.carry.decimals.empty() &&
                                  std::all_of(c.carry.whole.begin(), c.carry.whole.end(), [](std::uint8_t m) { return m == Konzai; });
    if (int(c.carry.decimals.size()) != decimals && !eitherEverywhere)
        return twoLanguages("--carry の小数点が数の小数点とそろっていません（小数点の後は" + std::to_string(decimals) +
                                "文字）：" + patternText(c.carry, CarryLetters),
                            "--carry: its point must meet the numbers' points (letters after it: " + std::to_string(decimals) +
                                " after it): " + patternText(c.carry, CarryLetters));
    if (decimals == 0 && c.zeroEnd != Konzai)
        return twoLanguages("--zero-end は小数の問題にだけ使えます",
                            "--zero-end is for problems with decimals only");
    return {};
}

std::optional<Settings> settingsOf(const ProblemChoice &c)
{
    if (c.operation == Operation::Mixed || !c.upper.decimals.empty() || !c.lower.decimals.empty() ||
        !c.carry.decimals.empty() || c.upper.whole.size() != 3 || c.lower.whole.size() != 3 ||
        c.carry.whole.size() < 3 || c.zeroEnd != Konzai || !choiceError(c).empty())
        return std::nullopt;
    const std::uint8_t *carry = c.carry.whole.data() + (c.carry.whole.size() - 3);  // hundreds, tens, ones
    return Settings{c.upper.whole[0], c.upper.whole[1], c.upper.whole[2], c.lower.whole[0], c.lower.whole[1],
                    c.lower.whole[2], carry[2], carry[1], carry[0],
                    std::uint8_t(c.operation == Operation::Subtract ? 1 : 0)};
}

ProblemChoice choiceOf(const Settings &s)
{
    ProblemChoice c;
    c.operation = s.IsSubtraction == 1 ? Operation::Subtract : Operation::Add;
    c.upper.whole = {s.DigitKind1_100, s.DigitKind1_10, s.DigitKind1_1};
    c.lower.whole = {s.DigitKind2_100, s.DigitKind2_10, s.DigitKind2_1};
    c.carry.whole = {s.CarryMode_100, s.CarryMode_10, s.CarryMode_1};
    return c;
}

ColumnGrid gridFor(const ProblemChoice &c, bool subtraction)
{
    ColumnConditions k;
    k.subtraction = subtraction;
    k.upper = c.upper;
    k.lower = c.lower;
    const std::size_t whole = std::size_t(wholePlaces(c)), decimals = std::size_t(decimalPlaces(c));
    // A shorter carry pattern leaves the higher columns Konzai; letters above both numbers
    // (which choiceError lets through only where they ask no carry) are left out.
    const std::size_t given = std::min(whole, c.carry.whole.size());
    std::vector<std::uint8_t> modes(whole - given, std::uint8_t(Konzai));
    modes.insert(modes.end(), c.carry.whole.end() - std::ptrdiff_t(given), c.carry.whole.end());
    std::vector<std::uint8_t> after = c.carry.decimals;
    after.resize(decimals, Konzai);
    modes.insert(modes.end(), after.begin(), after.end());
    if (subtraction && !modes.empty())
        modes.front() = Nashi;  // the highest column of a difference borrows from nothing
    k.carry = modes;
    k.zeroEnd = c.zeroEnd;
    return gridOf(k).grid;
}

ChoiceCount countChoice(const ProblemChoice &c)
{
    ChoiceCount result;
    if (const auto settings = settingsOf(c)) {
        const Feasibility f = checkFeasibility(*settings);
        result.problems = f.problemCount;
        result.possible = f.possible;
        result.reason = f.reason;
        return result;
    }
    result.possible = true;
    for (const bool sub : signsOf(c.operation)) {
        const ColumnGrid g = gridFor(c, sub);
        const std::uint64_t n = countProblems(g, sub, c.zeroEnd).problems;
        result.problems += n;
        if (n == 0 && result.possible) {
            result.possible = false;
            result.reason = (c.operation == Operation::Mixed ? std::string(sub ? "ひき算：" : "たし算：") : std::string()) +
                            reasonOfGrid(g, sub, c.zeroEnd);
        }
    }
    if (!result.possible)
        result.problems = 0;
    return result;
}

std::array<std::string, 3> statusLinesFor(const ProblemChoice &c)
{
    if (const auto settings = settingsOf(c))
        return statusLinesOf(*settings);
    std::array<std::string, 3> lines{placesLine(c.upper), placesLine(c.lower), {}};
    // What each column does over every sign of the choice.
    const ColumnGrid shape = gridFor(c, false);
    std::array<CarryChances, MaxColumns> chances{};
    bool possible = true;
    for (const bool sub : signsOf(c.operation)) {
        const ColumnCount count = countProblems(gridFor(c, sub), sub, c.zeroEnd);
        possible = possible && count.problems > 0;
        for (int col = 0; col < shape.columns(); ++col) {
            chances[std::size_t(col)].some = chances[std::size_t(col)].some || count.chances[std::size_t(col)].some;
            chances[std::size_t(col)].none = chances[std::size_t(col)].none || count.chances[std::size_t(col)].none;
        }
    }
    std::string &line = lines[2];
    for (int col = shape.columns() - 1; col >= 0; --col) {
        std::uint8_t mode = shape.mode[std::size_t(col)];
        if (possible)
            mode = !chances[std::size_t(col)].some ? std::uint8_t(Nashi) : !chances[std::size_t(col)].none ? std::uint8_t(Ari) : mode;
        if (col == shape.decimals - 1)
            line += std::string(texts::StatusPoint);
        else if (!line.empty())
            line += ",";
        line += std::string(texts::statusText(CarryMode(std::min<std::uint8_t>(mode, 2))));
    }
    return lines;
}

HelperColumns helperColumnsFor(const ProblemChoice &c)
{
    if (const auto settings = settingsOf(c))
        return helperColumnsFor(*settings);
    HelperColumns columns{};
    for (const bool sub : signsOf(c.operation)) {
        const ColumnGrid g = gridFor(c, sub);
        const ColumnCount count = countProblems(g, sub, c.zeroEnd);
        // Adding, a carry from column c goes into c + 1; subtracting, c + 1 lends to c.
        for (int col = 0; col < g.columns(); ++col)
            if (count.chances[std::size_t(col)].some && (!sub || col + 1 < g.columns()))
                columns[std::size_t(col + 1)] = true;
    }
    return columns;
}

bool obeysChoice(const ProblemChoice &c, const ColumnProblem &p)
{
    const std::vector<bool> signs = signsOf(c.operation);
    if (std::find(signs.begin(), signs.end(), p.subtraction) == signs.end())
        return false;
    const ColumnGrid g = gridFor(c, p.subtraction);
    if (p.decimals != g.decimals)
        return false;
    for (int col = g.columns(); col < MaxColumns; ++col)
        if (p.upper[std::size_t(col)] > 0 || p.lower[std::size_t(col)] > 0)
            return false;
    return obeys(g, p.subtraction, c.zeroEnd, p);
}

}  // namespace kolvara
