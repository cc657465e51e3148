// What a run of worksheets asks for, and the one table of its options: their names, values,
// defaults, limits, captions and help in Japanese and English. kolvara-sheet's command line,
// the browser's address and panel and the window's sheet-format dialog all read this table.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "long_conditions.h"
#include "problem_choice.h"
#include "sheet.h"
#include "worksheet.h"

namespace kolvara {

enum class PaperChoice : std::uint8_t { A4, Letter, JisB5, JisB4 };

// A class's 出席番号 run from 1 to this: sheet No.k of a seed is pupil k's.
inline constexpr int MaxPupilNumber = 40;

// れんしゅう, as a class link asks for it: the browser's alone, so only its address carries it.
struct PracticeRequest {
    enum class Mark : std::uint8_t { End, Each };       // まるつけ at the end, or each problem as it is filled
    enum class Helpers : std::uint8_t { Free, Count };  // helper boxes a free memo, or marked too
    bool on = false;
    int number = 0;  // the pupil's 出席番号, 0 for none yet
    Mark mark = Mark::End;
    Helpers helpers = Helpers::Free;
    friend bool operator==(const PracticeRequest &, const PracticeRequest &) = default;
};

struct SheetRequest {
    ProblemChoice problems;
    std::string step;  // a named step's key, which sets the problems instead; empty for none
    std::uint32_t seed = 0;
    bool hasSeed = false;  // without one, the clock gives it
    int sheets = 1;
    bool distinct = false;
    bool answers = true;
    bool boxes = true;
    bool answersLast = false;  // every problem page first, then every answer page
    PaperChoice paper = PaperChoice::A4;
    // What teachers hand out: answer pages that say "こたえ", answer boxes that give no
    // answer's length away, and the settings' codes on the answer pages alone.
    SheetFormat format = [] {
        SheetFormat f;
        f.answerLabel = true;
        f.widestAnswers = true;
        f.statusLinesOnProblems = false;
        return f;
    }();
    PracticeRequest practice;
    friend bool operator==(const SheetRequest &, const SheetRequest &) = default;
};

// Bits of SheetOptionRow::operations: the operations a problem option applies to.
inline constexpr std::uint8_t ForAddSub = 1, ForMul = 2, ForDiv = 4, AllOperations = 7;
constexpr std::uint8_t operationBit(Operation op)
{
    return op == Operation::Multiply ? ForMul : op == Operation::Divide ? ForDiv : ForAddSub;
}

// The kinds of option: a switch is on when given (or off, for the "no-" ones).
enum class OptionKind : std::uint8_t { Switch, Words, Pattern, Number, Name };
// The value that turns a switch back off, as the address and the dialog's boxes write it.
inline constexpr std::string_view SwitchOff = "0";

struct SheetOptionRow {
    std::string_view key;        // the long option and the address key
    OptionKind kind;
    std::string_view valueName;  // "PATTERN", "N", "add|sub|mixed" (the words); empty for a switch
    // For the panel and the dialog: the caption, its accelerator letter (0 for none) and a
    // one-line hint; empty for options that only the command line and the address take.
    std::string_view caption;
    char accelerator;
    std::string_view hint;
    // For --help and the manual pages ("\n" starts a continuation line).
    std::string_view helpJapanese, helpEnglish;
    // Reads a value (a switch gets "" for on, SwitchOff for off), or says what is wrong
    // (Japanese, then English) and changes nothing. `name` is how the message names the
    // option ("--op" or "op").
    std::string (*read)(SheetRequest &request, std::string_view name, std::string_view value);
    // The value as written back: "" when it says what the default says (a switch: "on").
    std::string (*write)(const SheetRequest &request);
    bool windowOnly = false;  // the dialog's alone: neither command line nor address
    // For the panel and the dialog's lists: the entry that leaves the option as it is, and
    // each value word's caption ("たし算|ひき算|まぜる"), where they show one.
    std::string_view unsetCaption = {};
    std::string_view valueCaptions = {};
    // The operations a problem option applies to (operationBit); the panel shows it for those.
    std::uint8_t operations = AllOperations;
    bool addressOnly = false;  // the browser's address alone: neither command line nor dialog
};

std::span<const SheetOptionRow> sheetOptionRows();
const SheetOptionRow *findSheetOption(std::string_view key);

// The options a step stands in for: the conditions of multiplication and division among them.
inline constexpr auto ProblemKeys = [] {
    constexpr std::string_view before[] = {"op", "upper", "lower", "carry", "zero-end", "trivial"};
    std::array<std::string_view, std::size(before) + LongConditionCount + 1> keys{};
    std::size_t next = 0;
    for (const std::string_view key : before)
        keys[next++] = key;
    for (const LongCondition &c : LongConditionRows)
        keys[next++] = c.key;
    keys[next] = "quotient-digits";
    return keys;
}();

// The problems the request names: the step's when it has one.
ProblemChoice problemsOf(const SheetRequest &request);

// What is wrong with the request as a whole (empty when nothing), Japanese then English.
std::string requestError(const SheetRequest &request);

// A run's sheet `index` as kolvara-sheet makes it.
WorksheetChoice worksheetChoiceOf(const SheetRequest &request);
Paper paperOf(PaperChoice paper);
std::string_view paperKey(PaperChoice paper);

}  // namespace kolvara
