#include "sheet_options.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>
#include <charconv>

#include "steps.h"

namespace kolvara {

const char SheetHelpText[] = R"(kolvara-sheet: 筆算の問題プリントと解答をPDFに書き出します。

kolvara-sheet [options] -o FILE.pdf
  -o, --output FILE     the PDF to write (required); ".pdf" is added to a name without
                          an extension, and "-" writes to standard output
  --op add|sub          the operation (default add)
  --upper PATTERN       the upper number's places, hundreds to ones, one letter each:
  --lower PATTERN         0 = always 0, n = 1 to 9, a = 0 to 9 (default aaa)
  --carry PATTERN       the columns, hundreds to ones: y = always carries (borrows),
                          n = never, m = either (default mmm; the hundreds letter is ignored for sub)
  --sheets N            how many sheets, 1 to 100 (default 1)
  --seed S              reproducible sheets (see below); without it, the clock
  --distinct            no problem twice on a sheet (see below)
  --step NAME           a named step of the school order instead of --op, --upper,
                          --lower and --carry (--list-steps lists them)
  --list-steps          the named steps, one a line: the name --step takes, then what it is
  --no-answers          no answer pages
  --answers-last        every problem page first, then every answer page (default: each
                          answer page right after its problem page)
  --no-boxes            no dotted place-value boxes
  --helper-boxes        a small box above each column that can take a carried 1 (or lend
                          in a borrow); the answer pages fill them in
  --red-answers         answers and helper digits in red
  --class-line          class and number (組・番) before the name
  --score               a score box out of the sheet's problem count
  --numbers             (1), (2), ... at each problem's top left
  --per-page 6|8|12     fewer, larger problems a page: the first N of each sheet
                          (default 20, or 28 for one-digit numbers)
  --paper a4|letter|b5|b4  paper size (default a4; b5 and b4 are JIS B5 and B4)
  -h, --help            this text, with examples
  --version             the version of kolvara-sheet

Values may be written in either case (--op SUB) and as --option=value.
Sheet k (counted from 0) is filled from the random state S + k, as the window fills its
sheet when the clock reads S + k milliseconds since midnight UTC; S is 0 to 86399999.
Pages come as problem page 1, answer page 1, problem page 2, ... (or with --answers-last
every problem page, then every answer page); each page carries its sheet's number and
state in the bottom right corner ("No.1　S"), and each answer page "こたえ" beside the
heading.
--distinct: no problem twice on one sheet where the settings allow enough problems;
otherwise a warning, and the sheets are written with repeats.
A file is written beside its target and renamed when complete; a named pipe or a device
is written into. The pages need the IPA Gothic fonts (fonts-ipafont-gothic).
Exit status: 0 written, 1 not written (the file could not be written, or a font is
missing), 2 bad input or a folder as FILE (nothing written).

Examples:
  # a week of sheets with answers
  kolvara-sheet --sheets 5 -o week.pdf
  # two-digit sums without carrying
  kolvara-sheet --upper 0na --lower 0na --carry nnn --sheets 5 -o sums.pdf
  # three-digit differences that always borrow in the ones
  kolvara-sheet --op sub --upper naa --lower naa --carry mmy --sheets 5 -o borrow.pdf
  # the same sheet again, later
  kolvara-sheet --seed 502 --distinct -o again.pdf
  # straight to the printer
  kolvara-sheet --sheets 5 -o - | lp
  # first grade: six large one-digit sums that carry, with helper boxes, on B5
  kolvara-sheet --step add-1-carry --per-page 6 --helper-boxes --paper b5 -o grade1.pdf
  # differences through a zero in the tens (304-127), answer keys in red at the end
  kolvara-sheet --step sub-3-zero-tens --helper-boxes --red-answers --answers-last --sheets 5 -o keys.pdf
)";

namespace {

std::string problem(const std::string &japanese, const std::string &english)
{
    return japanese + "\n" + english;
}

// One value of an option, as given, with the readers of its kinds: each stores a good
// value and returns empty, or returns what is wrong.
struct Value {
    std::string option;  // --name
    std::string choices;  // the option's value name: for a word, the words, "add|sub"
    std::string text;

    std::string lowered() const
    {
        std::string low = text;
        for (char &c : low)
            c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        return low;
    }

    std::string name(std::string &out) const
    {
        if (text.empty())
            return problem("出力ファイルの名前が空です", "the output file name is empty");
        out = text;
        return {};
    }

    // One of the words of `choices` in either case; the first is 0.
    template <typename T>
    std::string word(T &out) const
    {
        std::string japanese, english;
        std::size_t start = 0;
        for (int index = 0; start <= choices.size(); ++index) {
            const std::size_t end = std::min(choices.find('|', start), choices.size());
            const std::string word = choices.substr(start, end - start);
            if (word == lowered()) {
                out = T(index);
                return {};
            }
            japanese += (start ? " か " : "") + word;
            english += (start ? (end == choices.size() ? " or " : ", ") : "") + word;
            start = end + 1;
        }
        return problem(option + " は " + japanese + " です：" + text, option + " must be " + english + ", not: " + text);
    }

    // Hundreds, tens, ones: one of `letters` each, in either case, stored as its place in them.
    std::string pattern(const char (&letters)[4], const std::array<std::uint8_t *, 3> &places) const
    {
        const std::string low = lowered();
        const std::string_view all(letters, 3);
        bool good = low.size() == 3;
        for (std::size_t i = 0; good && i < 3; ++i)
            good = all.find(low[i]) != std::string_view::npos;
        for (std::size_t i = 0; good && i < 3; ++i)
            *places[i] = std::uint8_t(all.find(low[i]));
        if (good)
            return {};
        const std::string a(1, letters[0]), b(1, letters[1]), c(1, letters[2]);
        return problem(option + " の指定が正しくありません：" + text + "（百・十・一の位を " + a + "、" + b + "、" + c +
                           " の3文字で）",
                       option + ": bad pattern '" + text + "' (three letters, hundreds to ones: " + a + ", " + b +
                           " or " + c + ")");
    }

    template <typename T>
    std::string whole(std::uint64_t min, std::uint64_t max, T &out) const
    {
        std::uint64_t n = 0;
        const char *end = text.data() + text.size();
        const auto read = std::from_chars(text.data(), end, n);
        if (!text.empty() && text.size() <= 12 && read.ec == std::errc() && read.ptr == end && n >= min && n <= max) {
            out = T(n);
            return {};
        }
        const std::string from = std::to_string(min), to = std::to_string(max);
        return problem(option + " は" + from + "から" + to + "までの整数です：" + text,
                       option + " must be a whole number from " + from + " to " + to + ", not: " + text);
    }

    std::string set(bool &flag, bool to) const
    {
        flag = to;
        return {};
    }

    std::string step(Settings &out) const
    {
        if (const NamedStep *named = findStep(lowered())) {
            out = named->settings;
            return {};
        }
        return problem(option + " の段階がありません：" + text + "（kolvara-sheet --list-steps で一覧を表示します）",
                       option + ": no step named '" + text + "' (kolvara-sheet --list-steps lists them)");
    }
};

// One option: its names, the name of its value (none for a switch) and what a value does
// to the options. Given more than once, every value is checked and the last one counts.
struct OptionRow {
    const char *shortName;  // empty for none
    const char *longName;
    const char *valueName;  // nullptr for a switch
    std::string (*apply)(SheetOptions &o, const Value &value);
};

const OptionRow optionRows[] = {
    {"o", "output", "FILE", [](SheetOptions &o, const Value &v) { return v.name(o.output); }},
    {"", "op", "add|sub", [](SheetOptions &o, const Value &v) { return v.word(o.settings.IsSubtraction); }},
    {"", "upper", "PATTERN",
     [](SheetOptions &o, const Value &v) {
         return v.pattern("0na", {&o.settings.DigitKind1_100, &o.settings.DigitKind1_10, &o.settings.DigitKind1_1});
     }},
    {"", "lower", "PATTERN",
     [](SheetOptions &o, const Value &v) {
         return v.pattern("0na", {&o.settings.DigitKind2_100, &o.settings.DigitKind2_10, &o.settings.DigitKind2_1});
     }},
    {"", "carry", "PATTERN",
     [](SheetOptions &o, const Value &v) {
         return v.pattern("ynm", {&o.settings.CarryMode_100, &o.settings.CarryMode_10, &o.settings.CarryMode_1});
     }},
    {"", "sheets", "N", [](SheetOptions &o, const Value &v) { return v.whole(1, MaxSheets, o.sheets); }},
    {"", "seed", "S", [](SheetOptions &o, const Value &v) { return v.whole(0, MaxSeed, o.seed); }},
    {"", "distinct", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.distinct, true); }},
    {"", "no-answers", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.answers, false); }},
    {"", "no-boxes", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.boxes, false); }},
    {"", "paper", "a4|letter|b5|b4", [](SheetOptions &o, const Value &v) { return v.word(o.paper); }},
    {"", "step", "NAME", [](SheetOptions &o, const Value &v) { return v.step(o.settings); }},
    {"", "list-steps", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.listSteps, true); }},
    {"", "answers-last", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.answersLast, true); }},
    {"", "helper-boxes", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.format.helperBoxes, true); }},
    {"", "red-answers", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.format.redAnswers, true); }},
    {"", "class-line", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.format.classLine, true); }},
    {"", "score", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.format.score, true); }},
    {"", "numbers", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.format.numbers, true); }},
    {"", "per-page", "6|8|12",
     [](SheetOptions &o, const Value &v) {
         std::size_t index = 0;
         std::string error = v.word(index);
         if (error.empty())
             o.format.perPage = SmallerPages[index];
         return error;
     }},
    {"h", "help", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.help, true); }},
    {"", "version", nullptr, [](SheetOptions &o, const Value &v) { return v.set(o.version, true); }},
};

// Arguments go through the parser as Latin-1, which gives each byte a character of its
// own and back: a file name that is not UTF-8 keeps its bytes.
QString text(const std::string &bytes) { return QString::fromLatin1(bytes.data(), qsizetype(bytes.size())); }
std::string bytes(const QString &text) { return text.toLatin1().toStdString(); }

const OptionRow *rowNamed(QString name)
{
    while (name.startsWith(u'-'))
        name.remove(0, 1);
    for (const OptionRow &row : optionRows)
        if (name == QLatin1String(row.longName) || (*row.shortName && name == QLatin1String(row.shortName)))
            return &row;
    return nullptr;
}

std::string parserError(const QCommandLineParser &parser)
{
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        const std::string name = (unknown.first().size() == 1 ? "-" : "--") + bytes(unknown.first());
        return problem("知らないオプションです：" + name, "unknown option: " + name);
    }
    // Otherwise the parser names, between quotes as typed, the option it stopped at: one
    // that lacks its value or a switch given one.
    const QString error = parser.errorText();
    const qsizetype from = error.indexOf(u'\'') + 1, to = error.lastIndexOf(u'\'');
    const QString typed = to > from ? error.mid(from, to - from) : QString();
    const OptionRow *row = rowNamed(typed);
    if (!row)
        return problem("コマンドラインを読めません", bytes(error));
    const std::string name = bytes(typed);
    if (row->valueName)
        return problem(name + " には値が必要です", name + " needs a value");
    return problem(name + " は値をとりません", name + " takes no value");
}

}  // namespace

ParsedSheetOptions parseSheetOptions(const std::vector<std::string> &arguments)
{
    ParsedSheetOptions parsed;
    SheetOptions &o = parsed.options;
    QCommandLineParser parser;
    for (const OptionRow &row : optionRows) {
        QStringList names{QLatin1String(row.longName)};
        if (*row.shortName)
            names.prepend(QLatin1String(row.shortName));
        parser.addOption(row.valueName ? QCommandLineOption(names, QString(), QLatin1String(row.valueName))
                                       : QCommandLineOption(names));
    }
    QStringList line{QStringLiteral("kolvara-sheet")};
    for (const std::string &argument : arguments)
        line << text(argument);
    if (!parser.parse(line)) {
        parsed.error = parserError(parser);
        return parsed;
    }
    if (const QStringList extra = parser.positionalArguments(); !extra.isEmpty()) {
        const std::string word = bytes(extra.first());
        parsed.error = problem("余分な引数があります：" + word, "unexpected argument: " + word);
        return parsed;
    }
    for (const OptionRow &row : optionRows) {
        const QString name = QLatin1String(row.longName);
        const QStringList values = row.valueName ? parser.values(name)
                                   : parser.isSet(name) ? QStringList{QString()}
                                                        : QStringList();
        for (const QString &value : values) {
            const Value given{std::string("--") + row.longName, row.valueName ? row.valueName : "", bytes(value)};
            if (std::string error = row.apply(o, given); !error.empty()) {
                parsed.error = std::move(error);
                return parsed;
            }
        }
    }
    if (parser.isSet(QStringLiteral("step"))) {
        for (const char *name : {"op", "upper", "lower", "carry"})
            if (parser.isSet(QLatin1String(name))) {
                parsed.error = problem(std::string("--step と --") + name + " は一緒に指定できません",
                                       std::string("--step sets the problems itself: leave out --") + name);
                return parsed;
            }
    }
    if (!o.help && !o.version && !o.listSteps && o.output.empty())
        parsed.error = problem("書き出すPDFを -o で指定してください", "missing -o FILE.pdf");
    return parsed;
}

}  // namespace kolvara
