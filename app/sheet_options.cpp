#include "sheet_options.h"

#include <charconv>

namespace kolvara {

const char SheetHelpText[] = R"(kolvara-sheet: 筆算の問題プリントと解答をPDFに書き出します。

kolvara-sheet [options] -o FILE.pdf
  -o, --output FILE     the PDF to write (required)
  --op add|sub          the operation (default add)
  --upper PATTERN       the upper number's places, hundreds to ones, one letter each:
  --lower PATTERN         0 = always 0, n = 1 to 9, a = 0 to 9 (default aaa)
  --carry PATTERN       the columns, hundreds to ones: y = always carries (borrows),
                          n = never, m = either (default mmm; the hundreds letter is ignored for sub)
  --sheets N            how many sheets, 1 to 100 (default 1)
  --seed S              reproducible sheets (see below); without it, the clock
  --distinct            no problem twice on a sheet (see below)
  --no-answers          no answer pages
  --no-boxes            no dotted place-value boxes
  --paper a4|letter     paper size (default a4)
  -h, --help            this text, with examples

Sheet k (counted from 0) is filled from the random state S + k, as the window fills its
sheet when the clock reads S + k milliseconds since midnight UTC; S is 0 to 86399999.
Pages come as problem page 1, answer page 1, problem page 2, ...; each page carries its
sheet's number and state in the bottom right corner ("No.1　S").
--distinct: no problem twice on one sheet where the settings allow enough problems;
otherwise a warning, and the sheets are written with repeats.
Exit status: 0 written, 1 the file could not be written, 2 bad input (nothing written).

Examples:
  # a week of sheets with answers
  kolvara-sheet --sheets 5 -o week.pdf
  # two-digit sums without carrying
  kolvara-sheet --upper 0na --lower 0na --carry nnn --sheets 5 -o sums.pdf
  # three-digit differences that always borrow in the ones
  kolvara-sheet --op sub --upper naa --lower naa --carry mmy --sheets 5 -o borrow.pdf
  # the same sheet again, later
  kolvara-sheet --seed 502 --distinct -o again.pdf
)";

namespace {

std::string problem(const std::string &japanese, const std::string &english)
{
    return japanese + "\n" + english;
}

// Hundreds, tens, ones: one letter each from `letters`, mapped to 0, 1, 2 in that order.
bool parsePattern(const std::string &text, const char (&letters)[4], std::uint8_t *out[3])
{
    if (text.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        const std::string_view all(letters, 3);
        const auto at = all.find(text[std::size_t(i)]);
        if (at == std::string_view::npos)
            return false;
        *out[i] = std::uint8_t(at);
    }
    return true;
}

bool parseWhole(const std::string &text, std::uint64_t max, std::uint64_t &value)
{
    if (text.empty() || text.size() > 12)
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value <= max;
}

}  // namespace

ParsedSheetOptions parseSheetOptions(const std::vector<std::string> &arguments)
{
    ParsedSheetOptions parsed;
    SheetOptions &o = parsed.options;
    bool haveOutput = false;
    auto fail = [&parsed](const std::string &japanese, const std::string &english) {
        parsed.error = problem(japanese, english);
        return parsed;
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> inlineValue;
        if (name.rfind("--", 0) == 0) {
            if (const auto eq = name.find('='); eq != std::string::npos) {
                inlineValue = name.substr(eq + 1);
                name.resize(eq);
            }
        }
        auto takesValue = [&](std::string &value) {
            if (inlineValue) {
                value = *inlineValue;
                return true;
            }
            if (i + 1 >= arguments.size())
                return false;
            value = arguments[++i];
            return true;
        };
        const auto flag = [&](bool &target, bool value) {
            target = value;
            return !inlineValue;
        };
        std::string value;

        if (name == "-h" || name == "--help") {
            o.help = true;
            continue;
        }
        if (name == "--distinct" || name == "--no-answers" || name == "--no-boxes") {
            const bool ok = name == "--distinct" ? flag(o.distinct, true)
                            : name == "--no-answers" ? flag(o.answers, false)
                                                     : flag(o.boxes, false);
            if (!ok)
                return fail(name + " は値をとりません", name + " takes no value");
            continue;
        }
        const bool known = name == "-o" || name == "--output" || name == "--op" || name == "--upper" ||
                           name == "--lower" || name == "--carry" || name == "--sheets" || name == "--seed" ||
                           name == "--paper";
        if (!known) {
            if (name.empty() || name[0] != '-')
                return fail("余分な引数があります：" + name, "unexpected argument: " + name);
            return fail("知らないオプションです：" + name, "unknown option: " + name);
        }
        if (!takesValue(value))
            return fail(name + " には値が必要です", name + " needs a value");

        if (name == "-o" || name == "--output") {
            if (value.empty())
                return fail("出力ファイルの名前が空です", "the output file name is empty");
            o.output = value;
            haveOutput = true;
        } else if (name == "--op") {
            if (value != "add" && value != "sub")
                return fail("--op は add か sub です：" + value, "--op must be add or sub, not: " + value);
            o.settings.IsSubtraction = value == "sub" ? 1 : 0;
        } else if (name == "--upper" || name == "--lower") {
            Settings &s = o.settings;
            std::uint8_t *places[3] = {&s.DigitKind1_100, &s.DigitKind1_10, &s.DigitKind1_1};
            if (name == "--lower")
                places[0] = &s.DigitKind2_100, places[1] = &s.DigitKind2_10, places[2] = &s.DigitKind2_1;
            if (!parsePattern(value, "0na", places))
                return fail(name + " の指定が正しくありません：" + value + "（百・十・一の位を 0、n、a の3文字で）",
                            name + ": bad pattern '" + value + "' (three letters, hundreds to ones: 0, n or a)");
        } else if (name == "--carry") {
            Settings &s = o.settings;
            std::uint8_t *columns[3] = {&s.CarryMode_100, &s.CarryMode_10, &s.CarryMode_1};
            if (!parsePattern(value, "ynm", columns))
                return fail("--carry の指定が正しくありません：" + value + "（百・十・一の位を y、n、m の3文字で）",
                            "--carry: bad pattern '" + value + "' (three letters, hundreds to ones: y, n or m)");
        } else if (name == "--sheets") {
            std::uint64_t n = 0;
            if (!parseWhole(value, MaxSheets, n) || n < 1)
                return fail("--sheets は1から100までの整数です：" + value,
                            "--sheets must be a whole number from 1 to 100, not: " + value);
            o.sheets = int(n);
        } else if (name == "--seed") {
            std::uint64_t n = 0;
            if (!parseWhole(value, MaxSeed, n))
                return fail("--seed は0から86399999までの整数です：" + value,
                            "--seed must be a whole number from 0 to 86399999, not: " + value);
            o.seed = std::uint32_t(n);
        } else if (name == "--paper") {
            if (value != "a4" && value != "letter")
                return fail("--paper は a4 か letter です：" + value, "--paper must be a4 or letter, not: " + value);
            o.paper = value == "letter" ? PaperSize::Letter : PaperSize::A4;
        }
    }
    if (!o.help && !haveOutput)
        return fail("書き出すPDFを -o で指定してください", "missing -o FILE.pdf");
    return parsed;
}

}  // namespace kolvara
