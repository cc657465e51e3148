// Named problems in the order schools teach written arithmetic, by grade.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "problem_choice.h"
#include "settings.h"

namespace kolvara {

struct NamedStep {
    std::string_view key;   // as kolvara-sheet's --step takes it
    std::string_view name;  // in the pupils' and teachers' words
    int grade;              // the school year that teaches it
    // kolvara-sheet's own options: --op, --upper, --lower, --carry and --zero-end, then the
    // conditions of multiplication and division as "key=value" words ("remainder=y").
    std::string_view op, upper, lower, carry, zeroEnd;
    std::string_view conditions = {};
};

inline constexpr std::size_t NamedStepCount = 65;
extern const std::array<NamedStep, NamedStepCount> NamedSteps;

// The step with this key; null when there is none.
const NamedStep *findStep(std::string_view key);

// What the step's options say.
ProblemChoice problemsOf(const NamedStep &step);
// The window's settings, for the steps its three places can show (which leave in the
// trivial problems the step itself leaves out).
std::optional<Settings> settingsOf(const NamedStep &step);

// "３年" for the headings of the list of steps.
std::string_view gradeName(int grade);

}  // namespace kolvara
