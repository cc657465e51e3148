// The command line of kolvara-sheet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sheet_request.h"

namespace kolvara {

struct SheetOptions {
    // The bytes as given, which need not be UTF-8; "-" is standard output.
    std::string output;
    SheetRequest request;  // the sheets: every option of the shared table
    bool help = false;
    bool version = false;
    bool listSteps = false;
    bool json = false;  // the problems as JSON instead of the PDF
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

// Every option of the command line, in the order --help lists them.
struct SheetOptionName {
    std::string longName;
    std::string shortName;  // empty for none
    std::string valueName;  // empty for a switch
};
std::vector<SheetOptionName> sheetOptionNames();

}  // namespace kolvara
