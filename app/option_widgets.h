// The settings panel's widgets for the option model: their object names in the stored
// layout and the captions with their accelerators.
#pragma once

#include <array>
#include <string_view>

#include "settings.h"

namespace kolvara {

// Object names of the widgets, e.g. "RadioButton1_10Zero", "GroupBox2_1".
std::string_view objectName(Option option);
std::string_view objectName(OptionGroup group);

// Captions of the carry groups by operation, hundreds to ones; each letter after "&" is
// the group's key.
inline constexpr std::array<std::string_view, 3> CarryCaptionAddition{"繰り上がり(&A)", "繰り上がり(&R)", "繰り上がり(&C)"};
inline constexpr std::array<std::string_view, 3> CarryCaptionSubtraction{"繰り下がり(&A)", "繰り下がり(&R)", "繰り下がり(&C)"};
std::string_view carryCaption(OptionGroup carryGroup, bool subtraction);

}  // namespace kolvara
