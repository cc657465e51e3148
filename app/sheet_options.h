// The command line of kolvara-sheet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings.h"
#include "sheet.h"
#include "worksheet.h"

namespace kolvara {

enum class PaperSize { A4, Letter, JisB5, JisB4 };

struct SheetOptions {
    // The bytes as given, which need not be UTF-8; "-" is standard output.
    std::string output;
    Settings settings;
    int sheets = 1;
    std::optional<std::uint32_t> seed;
    bool distinct = false;
    bool answers = true;
    bool boxes = true;
    PaperSize paper = PaperSize::A4;
    // What teachers add; the answer pages say "こたえ" unless told otherwise.
    SheetFormat format = [] {
        SheetFormat f;
        f.answerLabel = true;
        return f;
    }();
    bool answersLast = false;  // every problem page first, then every answer page
    bool help = false;
    bool version = false;
    bool listSteps = false;
};

inline constexpr char StandardOutputName[] = "-";

struct ParsedSheetOptions {
    SheetOptions options;
    // Empty when the command line is good; else what is wrong, a Japanese line and an
    // English line.
    std::string error;
};

ParsedSheetOptions parseSheetOptions(const std::vector<std::string> &arguments);

// What --help prints: every option of the command line, in Japanese and in English.
std::string sheetHelpText();

}  // namespace kolvara
