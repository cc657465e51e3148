// Status lines for settings taken as they are, without the option rules.
#pragma once

#include <array>
#include <string>

#include "settings.h"

namespace kolvara {

// Label1, Label2 and LabelK as the window shows them once these settings are selected and
// the sheet is refreshed: each place or column by its status text, joined by ",".
std::array<std::string, 3> statusLinesOf(const Settings &settings);

}  // namespace kolvara
