// Draws one column-arithmetic problem at a time under the current settings.
#pragma once

#include <array>
#include <cstdint>

#include "random_source.h"
#include "settings.h"

namespace kolvara {

// The digits and whole numbers of the problem drawn last (or split last from the table).
struct CurrentProblem {
    std::int32_t Line1_100 = 0, Line1_10 = 0, Line1_1 = 0;
    std::int32_t Line2_100 = 0, Line2_10 = 0, Line2_1 = 0;
    std::int32_t Line1Value = 0, Line2Value = 0;
};

class ProblemGenerator {
public:
    // Reads the settings afresh at every draw; both must outlive the generator.
    ProblemGenerator(const Settings &settings, RandomSource &random) : settings_(settings), random_(random) {}

    // Draws one whole problem into problem(). The settings must admit at least one problem
    // (see checkFeasibility); the problem table never calls it otherwise.
    void Ransuu();

    std::uint16_t Ransuu_Hassei(std::uint8_t kind);
    void Ransuu_1wa(std::uint8_t mode);
    void Ransuu_10wa(std::uint8_t mode);
    void Ransuu_100wa(std::uint8_t mode);
    void Ransuu_1sa(std::uint8_t mode);
    void Ransuu_10sa(std::uint8_t mode);
    void Ransuu_100sa();

    const CurrentProblem &problem() const { return problem_; }
    std::int16_t ColumnResult_1 = 0;
    std::int16_t ColumnResult_10 = 0;
    std::int16_t ColumnResult_100 = 0;

private:
    // Draws one addition column until its test passes; carry comes from the column below,
    // handedOn gets the carry the column passes on.
    void drawAdditionColumn(std::uint8_t mode, std::uint8_t upperKind, std::uint8_t lowerKind, std::int32_t &upper,
                            std::int32_t &lower, std::int16_t &result, int carry, int &handedOn);
    void drawAddition();
    void drawSubtraction();

    const Settings &settings_;
    RandomSource &random_;
    CurrentProblem problem_;
    std::array<int, 3> carries_{};  // what the ones, tens and hundreds of an addition handed on
};

}  // namespace kolvara
