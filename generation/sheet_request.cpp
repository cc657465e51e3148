#include "sheet_request.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "long_conditions.h"
#include "messages.h"
#include "steps.h"

namespace kolvara {

namespace {

// The index of `value` among the words of `choices` ("add|sub|mixed"), in either case, or
// what is wrong.
std::string readWord(std::string_view name, std::string_view choices, std::string_view value, std::size_t &index)
{
    const std::string low = lowered(value);
    std::string japanese, english;
    std::size_t start = 0;
    for (std::size_t i = 0; start <= choices.size(); ++i) {
        const std::size_t end = std::min(choices.find('|', start), choices.size());
        const std::string_view word = choices.substr(start, end - start);
        if (word == low) {
            index = i;
            return {};
        }
        japanese += std::string(start ? " か " : "") + std::string(word);
        english += std::string(start ? (end == choices.size() ? " or " : ", ") : "") + std::string(word);
        start = end + 1;
    }
    const std::string n(name), v(value);
    return twoLanguages(n + " は " + japanese + " です：" + v, n + " must be " + english + ", not: " + v);
}

// Reads one of `choices` and hands its index to `set`, or says what is wrong.
template <typename Set>
std::string readWordWith(std::string_view name, std::string_view choices, std::string_view value, Set set)
{
    std::size_t index = 0;
    std::string error = readWord(name, choices, value, index);
    if (error.empty())
        set(index);
    return error;
}

std::string readNumber(std::string_view name, std::string_view value, std::uint64_t min, std::uint64_t max,
                       std::uint64_t &out)
{
    std::uint64_t n = 0;
    const char *end = value.data() + value.size();
    const auto read = std::from_chars(value.data(), end, n);
    if (!value.empty() && value.size() <= 12 && read.ec == std::errc() && read.ptr == end && n >= min && n <= max) {
        out = n;
        return {};
    }
    const std::string n1(name), v(value), from = std::to_string(min), to = std::to_string(max);
    return twoLanguages(n1 + " は" + from + "から" + to + "までの整数です：" + v,
                        n1 + " must be a whole number from " + from + " to " + to + ", not: " + v);
}

constexpr std::array<std::string_view, 4> PaperKeys{"a4", "letter", "b5", "b4"};
constexpr std::string_view OperationWords = "add|sub|mixed|mul|div";
constexpr std::string_view PerPageWords = "4|6|8|12";
constexpr std::string_view ZeroEndWords = "y|n|m";
constexpr std::string_view AnswerBoxWords = "widest|exact";
constexpr std::string_view MarkWords = "end|each";
constexpr std::string_view HelperWords = "free|count";

// A switch of the request, on when given.
template <bool SheetRequest::*flag>
SheetOptionRow switchRow(std::string_view key, std::string_view caption, char accelerator, std::string_view hint,
                         std::string_view ja, std::string_view en)
{
    return {key, OptionKind::Switch, {}, caption, accelerator, hint, ja, en,
            [](SheetRequest &r, std::string_view, std::string_view v) {
                r.*flag = v != SwitchOff;
                return std::string();
            },
            [](const SheetRequest &r) { return std::string(r.*flag ? "on" : ""); }};
}

template <bool SheetFormat::*flag>
SheetOptionRow formatRow(std::string_view key, std::string_view caption, char accelerator, std::string_view hint,
                         std::string_view ja, std::string_view en, bool windowOnly = false)
{
    return {key, OptionKind::Switch, {}, caption, accelerator, hint, ja, en,
            [](SheetRequest &r, std::string_view, std::string_view v) {
                r.format.*flag = v != SwitchOff;
                return std::string();
            },
            [](const SheetRequest &r) { return std::string(r.format.*flag ? "on" : ""); }, windowOnly};
}

// A "no-" switch: given, it turns something off.
template <bool SheetRequest::*flag>
SheetOptionRow offRow(std::string_view key, std::string_view ja, std::string_view en)
{
    return {key, OptionKind::Switch, {}, {}, 0, {}, ja, en,
            [](SheetRequest &r, std::string_view, std::string_view v) {
                r.*flag = v == SwitchOff;
                return std::string();
            },
            [](const SheetRequest &r) { return std::string(r.*flag ? "" : "on"); }};
}

// A y|n|m condition of multiplication or division (Ari, Nashi, Konzai), by its row of
// LongConditionRows.
template <std::size_t Index>
SheetOptionRow conditionRow()
{
    constexpr const LongCondition &c = LongConditionRows[Index];
    return {c.key, OptionKind::Words, ZeroEndWords, c.caption, 0, c.hint, c.helpJapanese, c.helpEnglish,
            [](SheetRequest &r, std::string_view name, std::string_view v) {
                return readWordWith(name, ZeroEndWords, v, [&](std::size_t i) { r.problems.*LongConditionRows[Index].mode = std::uint8_t(i); });
            },
            [](const SheetRequest &r) {
                const std::uint8_t m = r.problems.*LongConditionRows[Index].mode;
                return m == Konzai ? std::string() : std::string(1, CarryLetters[std::min<std::size_t>(m, 2)]);
            },
            false, "どちらでも", "いつも|ない|どちらでも", operationBit(c.operation)};
}

template <std::size_t... Index>
std::array<SheetOptionRow, sizeof...(Index)> conditionRows(std::index_sequence<Index...>)
{
    return {conditionRow<Index>()...};
}

// The table: the conditions of multiplication and division come after --trivial.
std::vector<SheetOptionRow> joined(std::initializer_list<SheetOptionRow> before, std::span<const SheetOptionRow> conditions,
                                   std::initializer_list<SheetOptionRow> after)
{
    std::vector<SheetOptionRow> table;
    table.reserve(before.size() + conditions.size() + after.size());
    for (const SheetOptionRow &row : before)
        table.push_back(row);
    table.insert(table.end(), conditions.begin(), conditions.end());
    for (const SheetOptionRow &row : after)
        table.push_back(row);
    return table;
}

std::string readPatternInto(NumberPattern ProblemChoice::*pattern, bool carry, SheetRequest &r, std::string_view name,
                            std::string_view value)
{
    return carry ? readCarryPattern(name, value, r.problems.*pattern) : readNumberPattern(name, value, r.problems.*pattern);
}

const std::vector<SheetOptionRow> &rows()
{
    static const std::vector<SheetOptionRow> table = joined({
        {"op", OptionKind::Words, OperationWords, "演算", 0, "たし算、ひき算、半分ずつまぜる、かけ算、わり算から選びます。",
         "たし算 (add)、ひき算 (sub)、半分ずつまぜる (mixed)、かけ算 (mul)、\nわり算 (div)（既定 add）",
         "the operation: add, sub, mixed (half of each, in a drawn order),\nmul or div (default add)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, OperationWords, v, [&](std::size_t i) { r.problems = withOperation(r.problems, Operation(i)); });
         },
         [](const SheetRequest &r) {
             static constexpr std::string_view words[] = {"add", "sub", "mixed", "mul", "div"};
             return std::string(words[std::size_t(r.problems.operation)]);
         },
         false, {}, "たし算|ひき算|まぜる|かけ算|わり算"},
        {"upper", OptionKind::Pattern, "PATTERN", {}, 0, {},
         "上の数の位を上から1文字ずつ：0 いつも0、n 1〜9、a 0〜9、1〜9 その数字。\n4けたまで、小数点 . のあとは3けたまで（既定 aaa、n は 00n と同じ）。\nかけ算ではかけられる数、わり算ではわられる数で、どちらも3けたまでの\n整数（既定 nn）",
         "the upper number's places from the highest, one letter each:\n"
         "0 = always 0, n = 1 to 9, a = 0 to 9, or a digit 1 to 9 itself; up to\nfour places, and up to three after a point (default aaa; n is 00n);\nthe multiplicand or the dividend, a whole number of up to three\nplaces (default nn)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readPatternInto(&ProblemChoice::upper, false, r, name, v);
         },
         [](const SheetRequest &r) { return patternText(r.problems.upper, DigitLetters); }},
        {"lower", OptionKind::Pattern, "PATTERN", {}, 0, {}, "下の数の位。文字は --upper と同じ（既定 aaa）。かけ算ではかける数、\nわり算ではわる数で、どちらも2けたまでの整数（既定 n）",
         "the lower number's places, letters as for --upper (default aaa);\nthe multiplier or the divisor, a whole number of up to two places\n(default n)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readPatternInto(&ProblemChoice::lower, false, r, name, v);
         },
         [](const SheetRequest &r) { return patternText(r.problems.lower, DigitLetters); }},
        {"carry", OptionKind::Pattern, "PATTERN", {}, 0, {},
         "上の位から1列1文字のくり上がり（ひき算ではくり下がり）：y かならずある、\nn ない、m どちらでも。数と同じ所に小数点（既定 mmm。ひき算では\nいちばん上の列の文字は使いません）",
         "the columns from the highest: y = always carries (borrows), n = never,\n"
         "m = either, with a point where the numbers have theirs (default mmm;\nfor sub the highest letter is not used)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readPatternInto(&ProblemChoice::carry, true, r, name, v);
         },
         [](const SheetRequest &r) { return patternText(r.problems.carry, CarryLetters); }, false, {}, {}, ForAddSub},
        {"zero-end", OptionKind::Words, ZeroEndWords, {}, 0, {},
         "答えの小数の最後の位が0に：y いつも、n ならない、m どちらでも（既定 m）",
         "the answer's last decimal place is 0: y = always, n = never,\nm = either (default m)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, ZeroEndWords, v, [&](std::size_t i) { r.problems.zeroEnd = std::uint8_t(i); });
         },
         [](const SheetRequest &r) { return std::string(1, CarryLetters[std::min<std::size_t>(r.problems.zeroEnd, 2)]); },
         false, {}, {}, ForAddSub},
        {"trivial", OptionKind::Words, ZeroEndWords, "0や1の計算", 0,
         "＋0、−0、同じ数のひき算、×1、÷1 のような、筆算のいらない問題を出すかどうか。",
         "0や1の計算（＋0、0＋、−0、同じ数のひき算、×1、1×、÷1）：y それだけ、\nn 出さない、m どちらでも（既定 m。かけ算とわり算では n）",
         "problems with 0 or 1 that need no working (+0, 0+, -0, a number less\nitself, x1, 1x, /1): y = only those, n = none, m = either (default m;\nn for mul and div)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, ZeroEndWords, v, [&](std::size_t i) { r.problems.trivial = std::uint8_t(i); });
         },
         [](const SheetRequest &r) {
             const std::uint8_t m = r.problems.trivial;
             return m > Konzai ? std::string() : std::string(1, CarryLetters[m]);
         },
         false, "既定（かけ算・わり算では出さない）", "それだけ|出さない|どちらでも"},
    }, conditionRows(std::make_index_sequence<LongConditionCount>()), {
        {"quotient-digits", OptionKind::Words, "1|2|3", "商のけた数", 0, "商が何けたになるか。わられる数の上の位がわる数より小さいと、商は一つ右の位からたちます。",
         "商のけた数、1〜3（既定 どれでも。156÷3 は商が十の位からたって2けた）",
         "the quotient's places, 1 to 3 (default any; 156/3 has two, as its\nfirst digit stands over the tens)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, "1|2|3", v, [&](std::size_t i) { r.problems.quotientDigits = int(i) + 1; });
         },
         [](const SheetRequest &r) {
             return r.problems.quotientDigits ? std::to_string(r.problems.quotientDigits) : std::string();
         },
         false, "どれでも", "1けた|2けた|3けた", ForDiv},
        {"step", OptionKind::Name, "NAME", "練習の段階", 'S', "選ぶと、問題がその段階の問題になります。",
         "問題の指定（--op、--upper、--lower、--carry などの条件）のかわりに、\n学習の順の段階を名前で（--list-steps で一覧）",
         "a named step of the school order instead of --op, --upper,\n--lower, --carry and the other conditions (--list-steps lists them)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             if (findStep(lowered(v))) {
                 r.step = lowered(v);
                 return std::string();
             }
             const std::string n(name), given(v);
             return twoLanguages(n + " の段階がありません：" + given + "（kolvara-sheet --list-steps で一覧を表示します）",
                                 n + ": no step named '" + given + "' (kolvara-sheet --list-steps lists them)");
         },
         [](const SheetRequest &r) { return r.step; }, false, "（いまの設定のまま）"},
        {"sheets", OptionKind::Number, "N", "枚数", 0, "PDF保存と印刷のプリントの枚数です（1～100）。",
         "プリントの枚数、1〜100（既定 1）", "how many sheets, 1 to 100 (default 1)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             std::uint64_t n = 0;
             std::string error = readNumber(name, v, 1, MaxSheets, n);
             if (error.empty())
                 r.sheets = int(n);
             return error;
         },
         [](const SheetRequest &r) { return r.sheets == 1 ? std::string() : std::to_string(r.sheets); }},
        {"seed", OptionKind::Number, "S", {}, 0, {},
         "同じプリントをもう一度作るための番号、0〜86399999。ないときは時計から",
         "reproducible sheets, S from 0 to 86399999; without it, the clock",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             std::uint64_t n = 0;
             std::string error = readNumber(name, v, 0, MaxSeed, n);
             if (error.empty()) {
                 r.seed = std::uint32_t(n);
                 r.hasSeed = true;
             }
             return error;
         },
         [](const SheetRequest &r) { return r.hasSeed ? std::to_string(r.seed) : std::string(); }},
        switchRow<&SheetRequest::distinct>("distinct", {}, 0, {},
                                           "1枚の中で同じ問題を出さない（問題が1,000通り以下なら、\nなくてもそうします）",
                                           "no problem twice on a sheet (without it too where the settings\n"
                                           "allow 1,000 problems or fewer)"),
        offRow<&SheetRequest::answers>("no-answers", "解答のページを付けない", "no answer pages"),
        switchRow<&SheetRequest::answersLast>(
            "answers-last", "解答をまとめて最後に", 0,
            "問題のページをすべて先に、解答のページをまとめて最後にします。",
            "問題のページをすべて先に、解答のページをそのあとに\n（既定では問題のページのすぐあと）",
            "every problem page first, then every answer page (default:\neach answer page right after its problem page)"),
        offRow<&SheetRequest::boxes>("no-boxes", "位取りの点線のわくを付けない", "no dotted place-value boxes"),
        formatRow<&SheetFormat::helperBoxes>(
            "helper-boxes", "補助数字のわく", 'H', "くり上がり・くり下がりの数字を書く小さなわくを、問題の上に付けます。",
            "くり上がり・くり下がりの数字を書く小さなわくを問題の上に\n（解答のページでは数字が入ります）。1ページの問題数の既定は、わくが\n"
            "鉛筆で書ける大きさになるいちばん多い数（12。2けたをかけるかけ算は\n8 か 6、3けた×2けたは 6）で、入らない --per-page はことわります",
            "a small box above each column that can take a carried 1\n(or lend in a borrow); the answer pages fill them in. A page holds\n"
            "by default the most problems that keeps the boxes a pencil's size\n(12; products by two places 8 or 6, three places by two 6), and a\n"
            "--per-page that does not fit is refused"),
        formatRow<&SheetFormat::redAnswers>("red-answers", "答えを赤で", 'R',
                                            "解答のページの答えと補助数字を赤で印刷します。", "答えと補助数字を赤で",
                                            "answers and helper digits in red"),
        formatRow<&SheetFormat::classLine>("class-line", "年・組・番の欄", 'C',
                                           "なまえの前に年と組と番を書く欄を付けます。", "なまえの前に年・組・番の欄",
                                           "year, class and number (年・組・番) before the name"),
        formatRow<&SheetFormat::score>("score", "点数の欄", 'P', "問題の数を満点にした点数の欄を右上に付けます。",
                                       "問題数を分母にした点数の欄", "a score box out of the sheet's problem count"),
        formatRow<&SheetFormat::numbers>("numbers", "問題番号", 'N', "問題の左上に (1) (2) … と番号を付けます。",
                                         "問題の左上に (1)、(2)、… の番号", "(1), (2), ... at each problem's top left"),
        formatRow<&SheetFormat::answerLabel>("answer-label", "解答のページに「こたえ」", 'A',
                                             "解答のページの見出しの横に「こたえ」と印刷します。", {}, {}, true),
        {"answer-boxes", OptionKind::Words, AnswerBoxWords, "答えのわく", 'B',
         "問題のページの答えのわくを、どの問題もいちばん長い答えに合わせるか、その問題の答えのけた数だけにするか。",
         "問題のページの答えのわく：widest どの問題も設定でいちばん長い\n"
         "答えのけた数（わくの数から答えのけた数がわからない）、exact その\n問題の答えのけた数（既定 widest。ウィンドウの既定は exact）",
         "the problem page's answer boxes: widest = as many on every problem\n"
         "as the widest answer the settings allow (no answer's length given\naway), exact = as many as the problem's own answer (default widest;\n"
         "the window's default is exact)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, AnswerBoxWords, v, [&](std::size_t i) { r.format.widestAnswers = i == 0; });
         },
         [](const SheetRequest &r) { return std::string(r.format.widestAnswers ? "" : "exact"); }, false, {},
         "いちばん長い答えに合わせる|答えのけた数だけ"},
        formatRow<&SheetFormat::statusLinesOnProblems>(
            "status-lines", "問題のページにも状況の行", 'L',
            "設定の記号（状況の行）を、解答のページだけでなく問題のページにも印刷します。",
            "設定の記号（状況の行）を問題のページにも（既定では解答のページ\nだけ。ウィンドウの既定は両方）",
            "the settings' codes (the status lines) on the problem pages too\n(default: on the answer pages only; the window's default is both)"),
        formatRow<&SheetFormat::checkLines>("check", "検算", 'K', "わり算の答えのページに けんざんの 式を書きます。",
                                            "わり算の解答のページに、わる数×商＋あまり＝わられる数の検算の式",
                                            "on a division's answer page, the check under the working:\n"
                                            "divisor x quotient + remainder = dividend"),
        {"per-page", OptionKind::Words, PerPageWords, "1ページの問題数", 'M',
         "問題を少なくすると、数字とわくが大きくなります。",
         "1ページの問題を少なく大きく：各プリントの最初の N 問（既定 20、\n1けたは 28。2けたをかけるかけ算は 12、8、6 で既定 12、わり算は\n6、4 で既定 6。4 はわり算だけ）。--helper-boxes では、わくが鉛筆で\n"
         "書ける大きさになる数だけで、そのいちばん大きい数が既定（たし算、\nひき算、1けたをかけるかけ算は 12、2けたをかけるかけ算は 8 か 6、\n3けた×2けたは 6 だけ）。入らない数はことわります",
         "fewer, larger problems a page: the first N of each sheet (default\n20, or 28 for one-digit numbers; products by two places take 12, 8\nor 6, default 12; division 6 or 4, default 6; 4 is for division).\n"
         "With --helper-boxes only the sizes that keep the boxes a pencil's\nsize, the largest by default (12 for sums, differences and products\nby one place; by two places 8 or 6, three places by two only 6); one\nthat does not fit is refused",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, PerPageWords, v, [&](std::size_t i) { r.format.perPage = std::array{4, 6, 8, 12}[i]; });
         },
         [](const SheetRequest &r) { return r.format.perPage ? std::to_string(r.format.perPage) : std::string(); },
         false, "画面と同じ（20または28）"},
        {"paper", OptionKind::Words, "a4|letter|b5|b4", "用紙", 0, "印刷とPDF保存の用紙です。",
         "用紙（既定 a4。b5 と b4 は JIS B5 と B4）", "paper size (default a4; b5 and b4 are JIS B5 and B4)",
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, "a4|letter|b5|b4", v, [&](std::size_t i) { r.paper = PaperChoice(i); });
         },
         [](const SheetRequest &r) {
             return r.paper == PaperChoice::A4 ? std::string() : std::string(PaperKeys[std::size_t(r.paper)]);
         },
         false, {}, "A4|レター|B5|B4"},
        // れんしゅう, after the sheet's own options: a class link names how it is marked, and
        // each pupil's page adds their 出席番号.
        {"practice", OptionKind::Switch, {}, {}, 0, {}, {}, {},
         [](SheetRequest &r, std::string_view, std::string_view v) {
             r.practice.on = v != SwitchOff;
             return std::string();
         },
         [](const SheetRequest &r) { return std::string(r.practice.on ? "on" : ""); },
         false, {}, {}, AllOperations, true},
        // Both words always written: a link says how it marks whatever the page's defaults.
        {"mark", OptionKind::Words, MarkWords, {}, 0, {}, {}, {},
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, MarkWords, v, [&](std::size_t i) { r.practice.mark = PracticeRequest::Mark(i); });
         },
         [](const SheetRequest &r) {
             return std::string(r.practice.mark == PracticeRequest::Mark::Each ? "each" : "end");
         },
         false, {}, {}, AllOperations, true},
        {"helpers", OptionKind::Words, HelperWords, {}, 0, {}, {}, {},
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             return readWordWith(name, HelperWords, v,
                                 [&](std::size_t i) { r.practice.helpers = PracticeRequest::Helpers(i); });
         },
         [](const SheetRequest &r) {
             return std::string(r.practice.helpers == PracticeRequest::Helpers::Count ? "count" : "free");
         },
         false, {}, {}, AllOperations, true},
        {"no", OptionKind::Number, "N", {}, 0, {}, {}, {},
         [](SheetRequest &r, std::string_view name, std::string_view v) {
             std::uint64_t n = 0;
             std::string error = readNumber(name, v, 1, MaxPupilNumber, n);
             if (error.empty())
                 r.practice.number = int(n);
             return error;
         },
         [](const SheetRequest &r) { return r.practice.number ? std::to_string(r.practice.number) : std::string(); },
         false, {}, {}, AllOperations, true},
    });
    return table;
}

}  // namespace

std::span<const SheetOptionRow> sheetOptionRows() { return rows(); }

const SheetOptionRow *findSheetOption(std::string_view key)
{
    for (const SheetOptionRow &row : rows())
        if (row.key == key && !row.windowOnly)
            return &row;
    return nullptr;
}

ProblemChoice problemsOf(const SheetRequest &request)
{
    const NamedStep *step = request.step.empty() ? nullptr : findStep(request.step);
    return step ? problemsOf(*step) : request.problems;
}

std::string requestError(const SheetRequest &request)
{
    const ProblemChoice choice = problemsOf(request);
    if (std::string error = choiceError(choice); !error.empty())
        return error;
    const std::vector<int> pages = perPageChoices(choice, request.format.helperBoxes);
    if (request.format.perPage != 0 && std::find(pages.begin(), pages.end(), request.format.perPage) == pages.end()) {
        std::string list, english;
        for (const int n : pages)
            if (n > 0) {
                list += (list.empty() ? "" : "、") + std::to_string(n);
                english += (english.empty() ? "" : ", ") + std::to_string(n);
            }
        const std::string n = std::to_string(request.format.perPage);
        return twoLanguages("--per-page " + n + " はこの問題では選べません（" + list + "）",
                            "--per-page " + n + " does not fit these problems (choose from: " + english + ")");
    }
    return {};
}

WorksheetChoice worksheetChoiceOf(const SheetRequest &request)
{
    return {problemsOf(request), request.format, request.boxes, request.distinct};
}

Paper paperOf(PaperChoice paper)
{
    switch (paper) {
    case PaperChoice::Letter: return letterPaper();
    case PaperChoice::JisB5: return jisB5Paper();
    case PaperChoice::JisB4: return jisB4Paper();
    case PaperChoice::A4: break;
    }
    return a4Paper();
}

std::string_view paperKey(PaperChoice paper) { return PaperKeys[std::size_t(paper)]; }

}  // namespace kolvara
