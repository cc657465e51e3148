#include "sheet_options.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>
#include <charconv>

#include "steps.h"

namespace kolvara {


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

// One option: its names, the name of its value (none for a switch), what it does in
// Japanese and in English for --help (a "\n" starts a continuation line), and what a
// value does to the options. Given more than once, every value is checked and the last
// one counts.
struct OptionRow {
    const char *shortName;  // empty for none
    const char *longName;
    const char *valueName;  // nullptr for a switch
    const char *japanese;
    const char *english;
    std::string (*apply)(SheetOptions &o, const Value &value);
};

const OptionRow optionRows[] = {
    {"o", "output", "FILE", "書き出すPDF（必須）。拡張子のない名前には .pdf を付け、\n- は標準出力に書きます",
     "the PDF to write (required); \".pdf\" is added to a name without\n"
     "an extension, and \"-\" writes to standard output",
     [](SheetOptions &o, const Value &v) { return v.name(o.output); }},
    {"", "op", "add|sub", "たし算 (add) かひき算 (sub)（既定 add）", "the operation (default add)",
     [](SheetOptions &o, const Value &v) { return v.word(o.settings.IsSubtraction); }},
    {"", "upper", "PATTERN", "上の数の百・十・一の位を1文字ずつ：0 いつも0、n 1〜9、a 0〜9（既定 aaa）",
     "the upper number's places, hundreds to ones, one letter each:\n"
     "0 = always 0, n = 1 to 9, a = 0 to 9 (default aaa)",
     [](SheetOptions &o, const Value &v) {
         return v.pattern("0na", {&o.settings.DigitKind1_100, &o.settings.DigitKind1_10, &o.settings.DigitKind1_1});
     }},
    {"", "lower", "PATTERN", "下の数の位。文字は --upper と同じ（既定 aaa）",
     "the lower number's places, letters as for --upper (default aaa)",
     [](SheetOptions &o, const Value &v) {
         return v.pattern("0na", {&o.settings.DigitKind2_100, &o.settings.DigitKind2_10, &o.settings.DigitKind2_1});
     }},
    {"", "carry", "PATTERN",
     "百・十・一の位のくり上がり（くり下がり）：y かならずある、n ない、\n"
     "m どちらでも（既定 mmm。ひき算では百の位の文字は使いません）",
     "the columns, hundreds to ones: y = always carries (borrows),\n"
     "n = never, m = either (default mmm; for sub the hundreds letter\nis ignored)",
     [](SheetOptions &o, const Value &v) {
         return v.pattern("ynm", {&o.settings.CarryMode_100, &o.settings.CarryMode_10, &o.settings.CarryMode_1});
     }},
    {"", "sheets", "N", "プリントの枚数、1〜100（既定 1）", "how many sheets, 1 to 100 (default 1)",
     [](SheetOptions &o, const Value &v) { return v.whole(1, MaxSheets, o.sheets); }},
    {"", "seed", "S", "同じプリントをもう一度作るための番号、0〜86399999（下を参照）。\nないときは時計から",
     "reproducible sheets, S from 0 to 86399999 (see below);\nwithout it, the clock",
     [](SheetOptions &o, const Value &v) { return v.whole(0, MaxSeed, o.seed); }},
    {"", "distinct", nullptr, "1枚の中で同じ問題を出さない（下を参照）", "no problem twice on a sheet (see below)",
     [](SheetOptions &o, const Value &v) { return v.set(o.distinct, true); }},
    {"", "step", "NAME", "--op、--upper、--lower、--carry のかわりに、学習の順の段階を\n名前で（--list-steps で一覧）",
     "a named step of the school order instead of --op, --upper,\n"
     "--lower and --carry (--list-steps lists them)",
     [](SheetOptions &o, const Value &v) { return v.step(o.settings); }},
    {"", "list-steps", nullptr, "段階の一覧を1行に1つ：--step にわたす名前と、その内容",
     "the named steps, one a line: the name --step takes, then what it is",
     [](SheetOptions &o, const Value &v) { return v.set(o.listSteps, true); }},
    {"", "no-answers", nullptr, "解答のページを付けない", "no answer pages",
     [](SheetOptions &o, const Value &v) { return v.set(o.answers, false); }},
    {"", "answers-last", nullptr, "問題のページをすべて先に、解答のページをそのあとに\n（既定では問題のページのすぐあと）",
     "every problem page first, then every answer page (default:\n"
     "each answer page right after its problem page)",
     [](SheetOptions &o, const Value &v) { return v.set(o.answersLast, true); }},
    {"", "no-boxes", nullptr, "位取りの点線のわくを付けない", "no dotted place-value boxes",
     [](SheetOptions &o, const Value &v) { return v.set(o.boxes, false); }},
    {"", "helper-boxes", nullptr, "くり上がり・くり下がりの数字を書く小さなわくを問題の上に\n（解答のページでは数字が入ります）",
     "a small box above each column that can take a carried 1\n"
     "(or lend in a borrow); the answer pages fill them in",
     [](SheetOptions &o, const Value &v) { return v.set(o.format.helperBoxes, true); }},
    {"", "red-answers", nullptr, "答えと補助数字を赤で", "answers and helper digits in red",
     [](SheetOptions &o, const Value &v) { return v.set(o.format.redAnswers, true); }},
    {"", "class-line", nullptr, "なまえの前に組・番の欄", "class and number (組・番) before the name",
     [](SheetOptions &o, const Value &v) { return v.set(o.format.classLine, true); }},
    {"", "score", nullptr, "問題数を分母にした点数の欄", "a score box out of the sheet's problem count",
     [](SheetOptions &o, const Value &v) { return v.set(o.format.score, true); }},
    {"", "numbers", nullptr, "問題の左上に (1)、(2)、… の番号", "(1), (2), ... at each problem's top left",
     [](SheetOptions &o, const Value &v) { return v.set(o.format.numbers, true); }},
    {"", "per-page", "6|8|12", "1ページの問題を少なく大きく：各プリントの最初の N 問\n（既定 20、1けたは 28）",
     "fewer, larger problems a page: the first N of each sheet\n(default 20, or 28 for one-digit numbers)",
     [](SheetOptions &o, const Value &v) {
         std::size_t index = 0;
         std::string error = v.word(index);
         if (error.empty())
             o.format.perPage = SmallerPages[index];
         return error;
     }},
    {"", "paper", "a4|letter|b5|b4", "用紙（既定 a4。b5 と b4 は JIS B5 と B4）",
     "paper size (default a4; b5 and b4 are JIS B5 and B4)",
     [](SheetOptions &o, const Value &v) { return v.word(o.paper); }},
    {"h", "help", nullptr, "この説明と例", "this text, with examples",
     [](SheetOptions &o, const Value &v) { return v.set(o.help, true); }},
    {"", "version", nullptr, "kolvara-sheet の版", "the version of kolvara-sheet",
     [](SheetOptions &o, const Value &v) { return v.set(o.version, true); }},
};

// What --help says besides the options, each paragraph in Japanese and then in English.
constexpr const char *HelpNotes[][2] = {
    {"値は大文字でも小文字でもよく (--op SUB)、--option=value とも書けます。",
     "Values may be written in either case (--op SUB) and as --option=value."},
    {"No.k のプリントは、ウィンドウの時計（UTC の午前0時からのミリ秒）が S + k - 1 を\n"
     "さすときにウィンドウが作るプリントです。時計は午前0時に 0 にもどります（86399999 の次は 0）。",
     "Sheet No.k of --seed S is the sheet the window draws when its clock reads S + k - 1\n"
     "milliseconds after midnight UTC; the clock wraps at midnight (86399999 is followed by 0)."},
    {"ページは 問題1、解答1、問題2、… の順です（--answers-last では問題のページをすべて先に）。\n"
     "各ページの右下に「No.2　503」のようにプリントの番号と時計の値が入り、--seed 503 で\n"
     "そのプリントをもう一度作れます。解答のページには見出しの横に「こたえ」が入ります。",
     "Pages come as problem page 1, answer page 1, problem page 2, ... (or with --answers-last\n"
     "every problem page, then every answer page). Each page carries its sheet's number and\n"
     "clock reading in the bottom right corner (\"No.2　503\"), and --seed 503 makes that sheet\n"
     "again; each answer page says \"こたえ\" beside the heading."},
    {"ページの状況の行は、問題がどうなるかを書きます（くり上がりがけっしてない位は「な　し」）。\n"
     "ウィンドウが印刷するページの状況の行は、選んだオプションを書きます。",
     "The pages' status lines say what the problems do (a column that can never carry reads\n"
     "\"な　し\"); those the window prints say the options chosen."},
    {"--distinct：問題の種類が足りないときは注意を表示し、同じ問題をふくめて書き出します。",
     "--distinct: where the settings allow too few problems, a warning, and the sheets are\n"
     "written with repeats."},
    {"ファイルはとなりに書いてから名前を変えるので、書きかけのファイルは残りません。名前つきパイプや\n"
     "デバイスにはそのまま書きこみます。シェルの > が書けないもの（書きこみ禁止のファイル、だれでも\n"
     "書けるフォルダにあるほかの人のシンボリックリンク）には書きません。ページには IPAゴシック\n"
     "(fonts-ipafont-gothic) が必要です。",
     "A file is written beside its target and renamed when complete; a named pipe or a device\n"
     "is written into. Nothing the shell's > would refuse is written: a file the user may not\n"
     "write, or someone else's symbolic link in a folder everyone may write. The pages need\n"
     "the IPA Gothic fonts (fonts-ipafont-gothic)."},
    {"終了ステータス：0 書き出した、1 書き出せなかった（ファイルに書けない、フォントがない）、\n"
     "2 入力のまちがい、または FILE がフォルダ（何も書きません）。",
     "Exit status: 0 written, 1 not written (the file could not be written, or a font is\n"
     "missing), 2 bad input or a folder as FILE (nothing written)."},
};

// Each drill: what it is in Japanese and in English, and its command line.
constexpr const char *HelpExamples[][3] = {
    {"1週間分のプリントと解答", "a week of sheets with answers", "kolvara-sheet --sheets 5 -o week.pdf"},
    {"くり上がりのない2けたのたし算", "two-digit sums without carrying",
     "kolvara-sheet --upper 0na --lower 0na --carry nnn --sheets 5 -o sums.pdf"},
    {"一の位でかならずくり下がる3けたのひき算", "three-digit differences that always borrow in the ones",
     "kolvara-sheet --op sub --upper naa --lower naa --carry mmy --sheets 5 -o borrow.pdf"},
    {"同じプリントを、あとでもう一度", "the same sheet again, later", "kolvara-sheet --seed 502 --distinct -o again.pdf"},
    {"そのままプリンタへ", "straight to the printer", "kolvara-sheet --sheets 5 -o - | lp"},
    {"1年生：くり上がりのある1けたのたし算を大きく6問、補助数字のわくつき、B5",
     "first grade: six large one-digit sums that carry, with helper boxes, on B5",
     "kolvara-sheet --step add-1-carry --per-page 6 --helper-boxes --paper b5 -o grade1.pdf"},
    {"十の位が0のくり下がり (304-127)、赤い答えの解答をまとめて最後に",
     "differences through a zero in the tens (304-127), answer keys in red at the end",
     "kolvara-sheet --step sub-3-zero-tens --helper-boxes --red-answers --answers-last --sheets 5 -o keys.pdf"},
};

// Each line of a text `indent` in, the lines after the first `hang` further.
void appendIndented(std::string &out, std::string_view text, std::size_t indent, std::size_t hang)
{
    for (std::size_t start = 0, line = 0; start <= text.size(); ++line) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        out += std::string(indent + (line ? hang : 0), ' ');
        out.append(text.substr(start, end - start)).append("\n");
        start = end + 1;
    }
}

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

// An unknown option as it was typed: the parser keeps only its name, and reads "--x" and
// "-x" alike, or "-colour" as the short options c, o, l, ...
std::string typedOption(const std::vector<std::string> &arguments, const std::string &name)
{
    for (const std::string &argument : arguments) {
        if (argument == "--")
            break;
        const std::string word = argument.substr(0, argument.find('='));
        if (word.size() < 2 || word[0] != '-')
            continue;
        const bool isLong = word[1] == '-';
        if (isLong ? word.substr(2) == name : (name.size() == 1 && word.find(name[0], 1) != std::string::npos))
            return word;
    }
    return (name.size() == 1 ? "-" : "--") + name;
}

std::string parserError(const QCommandLineParser &parser, const std::vector<std::string> &arguments)
{
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        const std::string name = typedOption(arguments, bytes(unknown.first()));
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

std::string sheetHelpText()
{
    constexpr std::size_t Column = 24;
    std::string help = "kolvara-sheet: 筆算の問題プリントと解答をPDFに書き出します。\n"
                       "kolvara-sheet: writes column arithmetic worksheets and their answers into a PDF.\n\n"
                       "kolvara-sheet [オプション options] -o FILE.pdf\n\n";
    for (const OptionRow &row : optionRows) {
        std::string names = std::string("  ") + (*row.shortName ? std::string("-") + row.shortName + ", " : "") + "--" +
                            row.longName + (row.valueName ? std::string(" ") + row.valueName : "");
        names.resize(std::max(names.size() + 2, Column), ' ');
        help += names;
        std::string text;
        appendIndented(text, row.japanese, Column, 2);
        appendIndented(text, row.english, Column, 2);
        help += text.substr(Column);
    }
    for (const auto &note : HelpNotes) {
        help += '\n';
        appendIndented(help, note[0], 0, 0);
        appendIndented(help, note[1], 0, 0);
    }
    help += "\n例 (examples):\n";
    for (const auto &example : HelpExamples)
        help += std::string("  # ") + example[0] + "\n  # " + example[1] + "\n  " + example[2] + "\n";
    return help;
}

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
        parsed.error = parserError(parser, arguments);
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
