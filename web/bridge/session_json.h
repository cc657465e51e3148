// The session as the page reads it: JSON text for the panel's state, for the texts and
// names that never change, and for a page's drawing primitives.
#pragma once

#include <string>
#include <string_view>

#include "sheet.h"
#include "web_session.h"

namespace kolvara::web {

// Options and groups by their window names with captions and hints, the place names.
std::string staticJson();
// The panel and the sheet: selection, hints and captions that follow the sign, the count
// line, the address, and whether a sheet is drawn.
std::string stateJson(const WebSession &session);
// 「クラスで使う」's link for the sheet on screen: {"address": ...} in kolvara-sheet's terms,
// the step's name where one names its problems, its seed always, then the practice marked as
// asked (mark end|each, helpers free|count) with no pupil's number; or {"error": why} in
// Japanese when the page has no sheet to give, so every link made opens.
std::string classLinkJson(const WebSession &session, std::string_view mark, std::string_view helpers);
// A page in points with its placement, and the primitives in sheet units. An underlined
// run carries its width and its line's place, so no renderer has to measure text.
std::string pageJson(const SheetPage &page);

}  // namespace kolvara::web
