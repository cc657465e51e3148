#include "sheet_options.h"

#include <QCommandLineParser>

#include <algorithm>
#include <array>
#include <charconv>

#include <optional>

#include "messages.h"
#include "steps.h"

namespace kolvara {


namespace {


// One option of the command line itself, beside those of the shared table: its names, the
// name of its value (none for a switch), what it does in Japanese and in English for --help
// (a "\n" starts a continuation line), and what a value does to the options.
struct CommandRow {
    const char *shortName;  // empty for none
    const char *longName;
    const char *valueName;  // nullptr for a switch
    const char *japanese;
    const char *english;
    std::string (*apply)(SheetOptions &o, const std::string &value);
};

const CommandRow outputRow{
    "o", "output", "FILE",
    "書き出すPDF（必須）。拡張子のない名前には .pdf を付け、\n- は標準出力に書きます",
    "the PDF to write (required); \".pdf\" is added to a name without\n"
    "an extension, and \"-\" writes to standard output",
    [](SheetOptions &o, const std::string &v) {
        if (v.empty())
            return twoLanguages("出力ファイルの名前が空です", "the output file name is empty");
        o.output = v;
        return std::string();
    }};

const CommandRow closingRows[] = {
    {"", "list-steps", nullptr, "段階の一覧を学年ごとに1行に1つ：--step にわたす名前と、その内容",
     "the named steps by school year, one a line: the name --step takes,\nthen what it is",
     [](SheetOptions &o, const std::string &) {
         o.listSteps = true;
         return std::string();
     }},
    {"", "json", nullptr, "PDFのかわりに、各プリントの問題と答え・くり上がり・補助数字を\nJSONで書き出す（下を参照）",
     "instead of the PDF, each sheet's problems with their answers, carries\nand helper digits as JSON (see below)",
     [](SheetOptions &o, const std::string &) {
         o.json = true;
         return std::string();
     }},
    {"h", "help", nullptr, "この説明と例", "this text, with examples",
     [](SheetOptions &o, const std::string &) {
         o.help = true;
         return std::string();
     }},
    {"", "version", nullptr, "kolvara-sheet の版", "the version of kolvara-sheet",
     [](SheetOptions &o, const std::string &) {
         o.version = true;
         return std::string();
     }},
};

// Every option in the order --help lists them: the output, the shared table's, then the
// command line's own.
struct AnyRow {
    const CommandRow *command = nullptr;
    const SheetOptionRow *sheet = nullptr;
    std::string longName() const { return command ? command->longName : std::string(sheet->key); }
    std::string shortName() const { return command ? command->shortName : std::string(); }
    std::string valueName() const
    {
        if (command)
            return command->valueName ? command->valueName : "";
        return std::string(sheet->valueName);
    }
};

std::vector<AnyRow> allRows()
{
    std::vector<AnyRow> rows{{&outputRow, nullptr}};
    for (const SheetOptionRow &row : sheetOptionRows())
        if (!row.windowOnly && !row.addressOnly)
            rows.push_back({nullptr, &row});
    for (const CommandRow &row : closingRows)
        rows.push_back({&row, nullptr});
    return rows;
}

// What --help says besides the options, each paragraph in Japanese and then in English.
constexpr const char *HelpNotes[][2] = {
    {"値は大文字でも小文字でもよく (--op SUB)、--option=value とも書けます。",
     "Values may be written in either case (--op SUB) and as --option=value."},
    {"ウィンドウの3けたまでの設定で、同じ問題を出さないように作らないときは、No.k のプリントは、\n"
     "ウィンドウの時計（UTC の午前0時からのミリ秒）が S + k - 1 をさすときにウィンドウが作る\n"
     "プリントです。時計は午前0時に 0 にもどります（86399999 の次は 0）。段階や、同じ問題を\n"
     "出さないように作るプリントは、同じ値から kolvara-sheet が自分で作ります。",
     "For the window's three-place settings, when the sheet is not drawn distinct, sheet No.k\n"
     "of --seed S is the sheet the window draws when its clock reads S + k - 1 milliseconds\n"
     "after midnight UTC; the clock wraps at midnight (86399999 is followed by 0). A named\n"
     "step, or a sheet drawn distinct, is kolvara-sheet's own draw from the same reading."},
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
    {"--distinct：問題の種類が1枚に足りないときは注意を表示し、同じ問題をふくめて書き出します。",
     "--distinct: where the settings allow too few problems for a sheet, a warning, and the\n"
     "sheets are written with repeats."},
    {"ファイルはとなりに書いてから名前を変えるので、書きかけのファイルは残りません。名前つきパイプや\n"
     "デバイスにはそのまま書きこみます。シェルの > が書けないもの（書きこみ禁止のファイル、だれでも\n"
     "書けるフォルダにあるほかの人のシンボリックリンク）には書きません。ページには IPAゴシック\n"
     "(fonts-ipafont-gothic) が必要です。",
     "A file is written beside its target and renamed when complete; a named pipe or a device\n"
     "is written into. Nothing the shell's > would refuse is written: a file the user may not\n"
     "write, or someone else's symbolic link in a folder everyone may write. The pages need\n"
     "the IPA Gothic fonts (fonts-ipafont-gothic)."},
    {"--json：PDFのかわりに JSON を書き出します（拡張子のない名前には .json を付けます。フォントは\n"
     "いりません）。{\"sheets\": [{\"number\": 1, \"seed\": S, \"problems\": [{\"op\": \"+\", \"upper\": \"4897\",\n"
     "\"lower\": \"389\", \"answer\": \"5286\", \"value\": \"5286\", \"decimals\": 0, \"carries\": [...],\n"
     "\"helpers\": [...], \"struck\": [...]}]}]}。数は印刷したとおりの文字列で、answer は解答のページの\n"
     "とおり（\"4.00\"）、value はその値（\"4\"）。carries・helpers・struck は上の位から1つずつ：\n"
     "くり上がる（くり下がる）位は 1、上に書く補助数字（なければ null。helpers は左にもう1つ）、\n"
     "下の数字に線を引くか。補助数字のわくがない位もふくめます。",
     "--json: instead of the PDF, JSON (\".json\" is added to a name without an extension; no\n"
     "fonts are needed): {\"sheets\": [{\"number\": 1, \"seed\": S, \"problems\": [{\"op\": \"+\",\n"
     "\"upper\": \"4897\", \"lower\": \"389\", \"answer\": \"5286\", \"value\": \"5286\", \"decimals\": 0,\n"
     "\"carries\": [...], \"helpers\": [...], \"struck\": [...]}]}]}. Numbers are strings as printed;\n"
     "answer as the answer page writes it (\"4.00\"), value its number (\"4\"). Per column, highest\n"
     "first: carries 1 where the column carries (borrows), helpers the digit written above it or\n"
     "null (one more, on the left), struck whether the digit below is crossed out; every column,\n"
     "helper boxes or not."},
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

std::optional<AnyRow> rowNamed(QString name)
{
    while (name.startsWith(u'-'))
        name.remove(0, 1);
    for (const AnyRow &row : allRows())
        if (bytes(name) == row.longName() || (!row.shortName().empty() && bytes(name) == row.shortName()))
            return row;
    return std::nullopt;
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
        return twoLanguages("知らないオプションです：" + name, "unknown option: " + name);
    }
    // Otherwise the parser names, between quotes as typed, the option it stopped at: one
    // that lacks its value or a switch given one.
    const QString error = parser.errorText();
    const qsizetype from = error.indexOf(u'\'') + 1, to = error.lastIndexOf(u'\'');
    const QString typed = to > from ? error.mid(from, to - from) : QString();
    const std::optional<AnyRow> row = rowNamed(typed);
    if (!row)
        return twoLanguages("コマンドラインを読めません", bytes(error));
    const std::string name = bytes(typed);
    if (!row->valueName().empty())
        return twoLanguages(name + " には値が必要です", name + " needs a value");
    return twoLanguages(name + " は値をとりません", name + " takes no value");
}

}  // namespace

std::string sheetHelpText()
{
    constexpr std::size_t Column = 24;
    std::string help = "kolvara-sheet: 筆算の問題プリントと解答をPDFに書き出します。\n"
                       "kolvara-sheet: writes column arithmetic worksheets and their answers into a PDF.\n\n"
                       "kolvara-sheet [オプション options] -o FILE.pdf\n\n";
    for (const AnyRow &row : allRows()) {
        std::string names = std::string("  ") + (row.shortName().empty() ? "" : "-" + row.shortName() + ", ") + "--" +
                            row.longName() + (row.valueName().empty() ? "" : " " + row.valueName());
        names.resize(std::max(names.size() + 2, Column), ' ');
        help += names;
        std::string text;
        appendIndented(text, row.command ? row.command->japanese : row.sheet->helpJapanese, Column, 2);
        appendIndented(text, row.command ? row.command->english : row.sheet->helpEnglish, Column, 2);
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

std::vector<SheetOptionName> sheetOptionNames()
{
    std::vector<SheetOptionName> names;
    for (const AnyRow &row : allRows())
        names.push_back({row.longName(), row.shortName(), row.valueName()});
    return names;
}

ParsedSheetOptions parseSheetOptions(const std::vector<std::string> &arguments)
{
    ParsedSheetOptions parsed;
    SheetOptions &o = parsed.options;
    QCommandLineParser parser;
    const std::vector<AnyRow> rows = allRows();
    for (const AnyRow &row : rows) {
        QStringList names{text(row.longName())};
        if (!row.shortName().empty())
            names.prepend(text(row.shortName()));
        parser.addOption(!row.valueName().empty() ? QCommandLineOption(names, QString(), text(row.valueName()))
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
        parsed.error = twoLanguages("余分な引数があります：" + word, "unexpected argument: " + word);
        return parsed;
    }
    // Given more than once, every value is checked and the last one counts.
    for (const AnyRow &row : rows) {
        const QString name = text(row.longName());
        const QStringList values = !row.valueName().empty() ? parser.values(name)
                                   : parser.isSet(name)      ? QStringList{QString()}
                                                             : QStringList();
        for (const QString &value : values) {
            std::string error = row.command ? row.command->apply(o, bytes(value))
                                            : row.sheet->read(o.request, "--" + row.longName(), bytes(value));
            if (!error.empty()) {
                parsed.error = std::move(error);
                return parsed;
            }
        }
    }
    if (parser.isSet(QStringLiteral("step"))) {
        for (const std::string_view name : ProblemKeys)
            if (parser.isSet(text(std::string(name)))) {
                parsed.error = twoLanguages("--step と --" + std::string(name) + " は一緒に指定できません",
                                       "--step sets the problems itself: leave out --" + std::string(name));
                return parsed;
            }
    }
    if (std::string error = requestError(o.request); !error.empty()) {
        parsed.error = std::move(error);
        return parsed;
    }
    if (!o.help && !o.version && !o.listSteps && o.output.empty())
        parsed.error = twoLanguages("書き出すPDFを -o で指定してください", "missing -o FILE.pdf");
    return parsed;
}

}  // namespace kolvara
