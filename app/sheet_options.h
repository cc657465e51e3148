// The command line of kolvara-sheet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings.h"

namespace kolvara {

enum class PaperSize { A4, Letter };

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
    bool help = false;
    bool version = false;
};

inline constexpr int MaxSheets = 100;
inline constexpr std::uint32_t MaxSeed = 86'399'999;  // the last millisecond of a day
inline constexpr char StandardOutputName[] = "-";

struct ParsedSheetOptions {
    SheetOptions options;
    // Empty when the command line is good; else what is wrong, a Japanese line and an
    // English line.
    std::string error;
};

ParsedSheetOptions parseSheetOptions(const std::vector<std::string> &arguments);

extern const char SheetHelpText[];

}  // namespace kolvara
