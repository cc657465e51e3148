// Named settings in the order schools teach written addition and subtraction.
#pragma once

#include <array>
#include <string_view>

#include "settings.h"

namespace kolvara {

struct NamedStep {
    std::string_view key;   // as kolvara-sheet's --step takes it
    std::string_view name;  // in the pupils' and teachers' words
    Settings settings;
};

extern const std::array<NamedStep, 14> NamedSteps;

// The step with this key; null when there is none.
const NamedStep *findStep(std::string_view key);

}  // namespace kolvara
