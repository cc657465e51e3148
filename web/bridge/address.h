// What the page's address says, in kolvara-sheet's own terms: its options without the
// dashes, "&" between them, e.g. "op=mixed&upper=naaa.n&lower=n.n&carry=mmmm.m&seed=5". Every
// key, value and message comes from the one table of sheet options.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheet_request.h"

namespace kolvara::web {

struct ParsedAddress {
    // A step is read as the problems it stands for: `request.step` stays empty.
    SheetRequest request;
    bool hasSeed = false;
    // Entries that were not understood and so left the defaults in place, as written, and
    // for each what was wrong with it (the table's two lines; empty for an unknown key).
    std::vector<std::string> rejected;
    std::vector<std::string> reasons;
    // With a step, the op, upper, lower, carry and zero-end entries it set aside, as
    // written: the step's problems are the ones used, wherever it stands.
    std::vector<std::string> setAside;
};

// Reads "key=value&flag&..."; a leading "#" is skipped.
ParsedAddress parseAddress(std::string_view text);

// Applies one entry; on a fault says what is wrong (empty for an unknown key, which
// `known` tells apart) and changes nothing. A switch takes "" or "1" to turn it on, "0" to
// turn it off; "per-page=0" returns to the screen's rows, which kolvara-sheet has no option
// for. A step is read as the problems it stands for.
bool applyEntry(SheetRequest &request, std::string_view key, std::string_view value, std::string *error = nullptr);

// The problems always (or the step that names them, when the request has one) and their seed
// number after them, everything else only when it is not the default, switches as their bare
// key; with the practice on, its entries last: "practice&mark=end&helpers=free", and "no=k"
// when a pupil's number is set.
std::string addressOf(const SheetRequest &request);
// The same without a seed number and without the practice: what the page remembers between
// visits.
std::string settingsAddressOf(const SheetRequest &request);

// The key of the named step whose problems these are, empty for none.
std::string_view stepNaming(const ProblemChoice &problems);

// The options a step stands in for (ProblemKeys).
bool isProblemKey(std::string_view key);

// The request with one option as if it had not been given: a switch off, an option at its
// default.
SheetRequest withoutEntry(const SheetRequest &request, std::string_view key);

// The Japanese line of one of the table's messages.
std::string japaneseLine(std::string_view message);

}  // namespace kolvara::web
