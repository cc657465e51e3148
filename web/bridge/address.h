// What the page's address says, in kolvara-sheet's own terms: its options without the
// dashes, "&" between them, e.g. "op=sub&upper=naa&lower=0na&carry=mmy&seed=502&no-boxes".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"
#include "sheet.h"
#include "sheet_request.h"
#include "worksheet.h"

namespace kolvara::web {

// The sheets one address names, with kolvara-sheet's defaults.
struct SheetRequest {
    Settings settings;
    std::uint32_t seed = 0;  // sheet k is filled at sheetReading(seed, k)
    int sheets = 1;          // for the PDF
    bool distinct = false;
    bool answers = true;
    bool boxes = true;
    PaperChoice paper = PaperChoice::A4;
    SheetFormat format;        // what teachers may add
    bool answersLast = false;  // the PDF: every problem page first, then every answer page

    friend bool operator==(const SheetRequest &, const SheetRequest &) = default;
};

struct ParsedAddress {
    SheetRequest request;
    bool hasSeed = false;
    bool hasSettings = false;  // any entry besides the starting state
    // Entries that were not understood and so left the defaults in place, as written.
    std::vector<std::string> rejected;
    // With a step, the op, upper, lower and carry entries it set aside, as written: the
    // step's settings are the ones used, wherever it stands.
    std::vector<std::string> setAside;
};

// Reads "key=value&flag&..."; a leading "#" is skipped.
ParsedAddress parseAddress(std::string_view text);

// Applies one entry; false (and nothing changed) when the key or value is not understood.
// A switch takes "" or "1" to turn it on, "0" to turn it off; "per-page=0" returns to the
// screen's rows, which kolvara-sheet has no option for.
bool applyEntry(SheetRequest &request, std::string_view key, std::string_view value);

// Every setting and the starting state; switches only when on. A step is written as the settings it
// stands for.
std::string addressOf(const SheetRequest &request);
// The same without the starting state: what the page remembers between visits.
std::string settingsAddressOf(const SheetRequest &request);

}  // namespace kolvara::web
