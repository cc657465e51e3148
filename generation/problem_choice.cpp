#include "problem_choice.h"

#include <algorithm>
#include <iterator>

#include "feasibility.h"
#include "long_conditions.h"
#include "messages.h"
#include "sheet.h"
#include "status_lines.h"
#include "texts.h"
#include "worksheet.h"

namespace kolvara {

namespace {

// Letters with at most one point into kinds; `fill` pads the whole part to three places.
// With `digits`, a digit 1 to 9 stands for itself.
bool readLetters(std::string_view text, std::string_view letters, std::uint8_t fill, NumberPattern &out, bool digits = false)
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
            if (digits && c >= '1' && c <= '9') {
                (part == &whole ? p.whole : p.decimals).push_back(fixedDigit(c - '0'));
                continue;
            }
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

// Every decimal place a pattern may have is named in messages and read out in the practice.
static_assert(texts::DecimalPlaceName.size() == MaxDecimalPlaces && texts::DecimalPlaceEnglish.size() == MaxDecimalPlaces &&
              texts::DecimalPlaceReading.size() == MaxDecimalPlaces);

std::string placeName(const ColumnGrid &g, int column)
{
    return column < g.decimals ? std::string(texts::DecimalPlaceName[std::size_t(g.decimals - 1 - column)])
                               : std::string(texts::WholePlaceName[std::size_t(column - g.decimals)]);
}

std::string quoted(std::string_view caption) { return "「" + std::string(caption) + "」"; }

std::string kindCaption(std::uint8_t kind)
{
    return std::string(kind == Blank ? std::string_view("なし") : texts::kindCaption(kind));
}

std::string placeEnglish(const ColumnGrid &g, int column)
{
    return column < g.decimals ? std::string(texts::DecimalPlaceEnglish[std::size_t(g.decimals - 1 - column)])
                               : std::string(texts::WholePlaceEnglish[std::size_t(column - g.decimals)]);
}

// A reason in Japanese and in English.
struct Reason {
    std::string japanese, english;
};

// Why one sign's conditions admit no problem.
Reason reasonOfGrid(const ColumnGrid &g, bool sub, std::uint8_t zeroEnd)
{
    const std::string upper(sub ? texts::UpperNumberSubtraction : texts::UpperNumberAddition);
    const std::string lower(sub ? texts::LowerNumberSubtraction : texts::LowerNumberAddition);
    const std::string carry(sub ? texts::CarrySubtraction : texts::CarryAddition);
    ColumnGrid any = g;
    any.trivial = Konzai;
    if (countProblems(any, sub, Konzai).problems > 0) {
        // Every column can be filled: the answer's last place or the trivial condition is why.
        if (g.decimals > 0 && zeroEnd != Konzai && countProblems(any, sub, zeroEnd).problems == 0)
            return zeroEnd == Ari ? Reason{"答えの小数の最後の位を０にすることはできません",
                                           "the answer's last decimal place can never be 0 here"}
                                  : Reason{"答えの小数の最後の位が０にならないようにはできません",
                                           "the answer's last decimal place is always 0 here"};
        if (g.trivial == Ari)
            return sub ? Reason{"０や同じ数をひく問題にはできません", "no problem here takes away 0 or the number itself"}
                       : Reason{"０をたす問題（＋０、０＋）にはできません", "no problem here adds 0 (or adds to 0)"};
        if (g.trivial == Nashi)
            return sub ? Reason{"どの問題も０や同じ数をひく問題になります",
                                "every problem here takes away 0 or the number itself"}
                       : Reason{"どの問題も０をたす問題（＋０、０＋）になります", "every problem here adds 0 (or adds to 0)"};
    }
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
                return {upper + "がいつも" + lower + "より小さくなります",
                        "the upper number is always smaller than the lower number"};
            const std::string place = placeName(g, c), english = placeEnglish(g, c);
            const std::uint8_t mode = g.mode[std::size_t(c)];
            return {place + "の" + carry + "を" + quoted(texts::optionCaption(CarryMode(mode))) + "にはできません（" + upper +
                        "の" + place + "が" + quoted(kindCaption(g.upper[std::size_t(c)])) + "、" + lower + "の" + place +
                        "が" + quoted(kindCaption(g.lower[std::size_t(c)])) + "）",
                    "the " + english + " cannot " + std::string(texts::modeEnglish(mode, sub)) + " here (the upper number's " +
                        english + ": " + std::string(texts::kindEnglish(g.upper[std::size_t(c)])) + ", the lower number's: " +
                        std::string(texts::kindEnglish(g.lower[std::size_t(c)])) + ")"};
        }
        reach = next;
    }
    return {"この設定にあう問題がありません", "no problem fits these settings"};
}

std::string placesLine(const NumberPattern &p)
{
    std::string line;
    for (std::uint8_t kind : p.whole)
        line += (line.empty() ? "" : ",") + std::string(texts::kindStatusText(kind));
    if (!p.decimals.empty())
        line += std::string(texts::StatusPoint);
    for (std::size_t i = 0; i < p.decimals.size(); ++i)
        line += (i ? "," : "") + std::string(texts::kindStatusText(p.decimals[i]));
    return line;
}

// Places a number of the pattern can have: the leading places that are always 0 left out.
int placesOf(const NumberPattern &p)
{
    std::size_t first = 0;
    while (first + 1 < p.whole.size() && p.whole[first] == Zero)
        ++first;
    return int(p.whole.size() - first);
}

bool carryUnset(const NumberPattern &carry)
{
    return carry.decimals.empty() &&
           std::all_of(carry.whole.begin(), carry.whole.end(), [](std::uint8_t m) { return m == Konzai; });
}

// An option of another operation than the choice's, by its name, or empty.
std::string foreignCondition(const ProblemChoice &c)
{
    if (isLong(c.operation) && !carryUnset(c.carry))
        return "--carry";
    if (isLong(c.operation) && c.zeroEnd != Konzai)
        return "--zero-end";
    if (const LongCondition *other = foreignLongCondition(c))
        return "--" + std::string(other->key);
    if (c.operation != Operation::Divide && c.quotientDigits != 0)
        return "--quotient-digits";
    return {};
}

std::string longChoiceError(const ProblemChoice &c)
{
    const bool div = c.operation == Operation::Divide;
    if (!c.upper.decimals.empty() || !c.lower.decimals.empty())
        return twoLanguages("かけ算とわり算の数は整数です（--upper と --lower に小数点は使えません）",
                            "multiplication and division take whole numbers (no point in --upper or --lower)");
    if (placesOf(c.upper) > (div ? MaxDividendPlaces : MaxMultiplicandPlaces))
        return twoLanguages(std::string("--upper：") + (div ? "わられる数" : "かけられる数") + "は３けたまでです：" +
                                patternText(c.upper, DigitLetters),
                            std::string("--upper: the ") + (div ? "dividend" : "multiplicand") +
                                " has at most three places: " + patternText(c.upper, DigitLetters));
    if (placesOf(c.lower) > (div ? MaxDivisorPlaces : MaxMultiplierPlaces))
        return twoLanguages(std::string("--lower：") + (div ? "わる数" : "かける数") + "は２けたまでです：" +
                                patternText(c.lower, DigitLetters) + "（例：--lower nn）",
                            std::string("--lower: the ") + (div ? "divisor" : "multiplier") +
                                " has at most two places: " + patternText(c.lower, DigitLetters) + " (say --lower nn, for one)");
    if (div && std::all_of(c.lower.whole.begin(), c.lower.whole.end(), [](std::uint8_t k) { return k == Zero; }))
        return twoLanguages("--lower：わる数がいつも０です（０でわることはできません）",
                            "--lower: the divisor can only be 0 (no division by 0)");
    return {};
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
    if (readLetters(text, DigitLetters, Zero, p, true)) {
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
                            "（上の位から1文字ずつ、0 いつも0、n 1〜9、a 0〜9、1〜9 その数字。整数は4けたまで、小数点 . のあとは3けたまで）",
                        name + ": bad pattern '" + given +
                            "' (one letter a place from the highest: 0, n, a or a digit 1 to 9; up to four whole "
                            "places, and up to three after one point)");
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
    const auto letter = [&](std::uint8_t v) {
        return isFixedDigit(v) ? char('0' + v - FixedDigitBase) : letters[std::min<std::size_t>(v, 2)];
    };
    std::string text;
    for (std::uint8_t v : p.whole)
        text += letter(v);
    if (!p.decimals.empty())
        text += '.';
    for (std::uint8_t v : p.decimals)
        text += letter(v);
    return text;
}

std::string choiceError(const ProblemChoice &c)
{
    if (const std::string option = foreignCondition(c); !option.empty()) {
        static constexpr std::string_view names[] = {"たし算", "ひき算", "たし算とひき算", "かけ算", "わり算"};
        static constexpr std::string_view english[] = {"add", "sub", "mixed", "mul", "div"};
        const std::string_view op = names[std::size_t(c.operation)];
        return twoLanguages(option + " は" + std::string(op) + "には使えません",
                            option + " makes no sense with --op " + std::string(english[std::size_t(c.operation)]));
    }
    if (isLong(c.operation))
        return longChoiceError(c);
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

ProblemChoice defaultChoice(Operation operation)
{
    ProblemChoice c;
    c.operation = operation;
    if (isLong(operation)) {
        c.upper.whole = {Zero, Rest, Rest};
        c.lower.whole = {Zero, Zero, Rest};
    }
    return c;
}

std::uint8_t trivialOf(const ProblemChoice &c)
{
    if (c.trivial <= Konzai)
        return c.trivial;
    return isLong(c.operation) ? std::uint8_t(Nashi) : std::uint8_t(Konzai);
}

ProblemChoice withOperation(const ProblemChoice &choice, Operation operation)
{
    const ProblemChoice was = defaultChoice(choice.operation), now = defaultChoice(operation);
    ProblemChoice c = choice;
    c.operation = operation;
    if (c.upper == was.upper)
        c.upper = now.upper;
    if (c.lower == was.lower)
        c.lower = now.lower;
    return c;
}

std::optional<Settings> settingsOf(const ProblemChoice &c)
{
    if (c.operation == Operation::Mixed || isLong(c.operation) || !c.upper.decimals.empty() || !c.lower.decimals.empty() ||
        !c.carry.decimals.empty() || c.upper.whole.size() != 3 || c.lower.whole.size() != 3 ||
        c.carry.whole.size() < 3 || c.zeroEnd != Konzai || trivialOf(c) != Konzai || !choiceError(c).empty())
        return std::nullopt;
    // The window's places hold Zero, Rest or All only.
    for (const std::vector<std::uint8_t> *kinds : {&c.upper.whole, &c.lower.whole})
        if (std::any_of(kinds->begin(), kinds->end(), [](std::uint8_t k) { return k > All; }))
            return std::nullopt;
    const std::uint8_t *carry = c.carry.whole.data() + (c.carry.whole.size() - 3);  // hundreds, tens, ones
    return Settings{c.upper.whole[0], c.upper.whole[1], c.upper.whole[2], c.lower.whole[0], c.lower.whole[1],
                    c.lower.whole[2], carry[2], carry[1], carry[0],
                    std::uint8_t(c.operation == Operation::Subtract ? 1 : 0)};
}

std::optional<Settings> shownSettingsOf(ProblemChoice choice)
{
    choice.trivial = Konzai;
    return settingsOf(choice);
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

std::vector<int> perPageChoices(const ProblemChoice &c, bool helperBoxes)
{
    std::vector<int> pages{0, 12, 8, 6};
    if (c.operation == Operation::Divide)
        pages = {6, 4};
    else if (c.operation == Operation::Multiply && placesOf(c.lower) > 1)
        pages = {12, 8, 6};
    if (!helperBoxes)
        return pages;
    // Helper boxes take room: only pages where they and the digits' cells keep a pencil's
    // size, and the smallest page when none does.
    std::vector<int> fitting;
    std::copy_if(pages.begin(), pages.end(), std::back_inserter(fitting), [&](int n) { return pencilFits(c, n); });
    return fitting.empty() ? std::vector<int>{pages.back()} : fitting;
}

int perPageOf(const ProblemChoice &c, int perPage, bool helperBoxes)
{
    if (!helperBoxes && (perPage > 0 || !isLong(c.operation)))
        return perPage;
    const std::vector<int> pages = perPageChoices(c, helperBoxes);
    if (perPage > 0 && std::find(pages.begin(), pages.end(), perPage) != pages.end())
        return perPage;
    const int first = pages.front();
    return first > 0 || !isLong(c.operation) ? first : 20;  // the rows of five the screen shows
}

int longColumnsOf(const ProblemChoice &c) { return placesOf(c.upper) + placesOf(c.lower); }

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
    k.trivial = trivialOf(c);
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
        result.reasonEnglish = f.reasonEnglish;
        return result;
    }
    if (isLong(c.operation)) {
        const LongChoiceSet &set = longSetOf(c);
        result.problems = set.pairs.size();
        result.possible = !set.pairs.empty();
        result.reason = set.reason;
        result.reasonEnglish = set.reasonEnglish;
        return result;
    }
    result.possible = true;
    for (const bool sub : signsOf(c.operation)) {
        const ColumnGrid g = gridFor(c, sub);
        const std::uint64_t n = countProblems(g, sub, c.zeroEnd).problems;
        result.problems += n;
        if (n == 0 && result.possible) {
            result.possible = false;
            const Reason why = reasonOfGrid(g, sub, c.zeroEnd);
            const bool mixed = c.operation == Operation::Mixed;
            result.reason = (mixed ? std::string(sub ? "ひき算：" : "たし算：") : std::string()) + why.japanese;
            result.reasonEnglish = (mixed ? std::string(sub ? "subtraction: " : "addition: ") : std::string()) + why.english;
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
    if (isLong(c.operation)) {
        lines[2] = longConditionsLine(c);
        return lines;
    }
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
    if (c.operation == Operation::Multiply) {
        const std::array<bool, MaxMultiplicandPlaces> &places = longSetOf(c).carryPlaces;
        std::copy(places.begin(), places.end(), columns.begin());
        return columns;
    }
    if (c.operation == Operation::Divide)
        return columns;
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
    if (isLong(c.operation) || p.sign == Sign::Times || p.sign == Sign::Divide) {
        if (p.sign != (c.operation == Operation::Multiply ? Sign::Times : Sign::Divide) || p.decimals != 0)
            return false;
        // Every place within the pattern's kinds, and none beyond it.
        for (const auto &[digits, pattern] : {std::pair{&p.upper, &c.upper}, std::pair{&p.lower, &c.lower}})
            for (std::size_t place = 0; place < MaxColumns; ++place) {
                const int digit = (*digits)[place];
                const bool within = place < pattern->whole.size();
                if (within ? !kindAllows(pattern->whole[pattern->whole.size() - 1 - place], std::max(digit, 0)) : digit > 0)
                    return false;
            }
        return admits(longConditionsOf(c), int(valueOf(p.upper)), int(valueOf(p.lower)));
    }
    const std::vector<bool> signs = signsOf(c.operation);
    if (std::find(signs.begin(), signs.end(), (p.sign == Sign::Minus)) == signs.end())
        return false;
    const ColumnGrid g = gridFor(c, (p.sign == Sign::Minus));
    if (p.decimals != g.decimals)
        return false;
    for (int col = g.columns(); col < MaxColumns; ++col)
        if (p.upper[std::size_t(col)] > 0 || p.lower[std::size_t(col)] > 0)
            return false;
    return obeys(g, (p.sign == Sign::Minus), c.zeroEnd, p);
}

}  // namespace kolvara
