// Status lines for settings taken as they are, without the option rules.
#pragma once

#include <array>
#include <string>

#include "settings.h"

namespace kolvara {

// Label1, Label2 and LabelK for a sheet drawn for these settings: each place or column by
// its status text, joined by ",". A column whose problems can never carry (or borrow)
// reads "なし", one whose problems always do "あり".
std::array<std::string, 3> statusLinesOf(const Settings &settings);

}  // namespace kolvara
