// The problems of one sheet, as decimal text, between drawing and display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "feasibility.h"
#include "generator.h"
#include "random_source.h"
#include "settings.h"

namespace kolvara {

// Every sheet has four rows of problems.
inline constexpr std::int32_t SheetRowCount = 4;

// Problems on one sheet for these settings: 28 when both numbers have one digit, else 20.
inline int problemsPerSheetFor(const Settings &settings) { return SheetRowCount * problemsPerRowFor(settings); }

// How many rows and problems a row the sheet has.
struct SheetGeometry {
    std::int32_t RowCount = SheetRowCount;
    std::int32_t ProblemsPerRow = 7;
};

struct FillResult {
    bool filled = false;
    std::string reason;  // why nothing was drawn, when not filled
};

// A grid of text cells: row 0 the problem numbers, row 1 the upper numbers, row 2 the lower
// numbers, row 3 the results; column 0 holds the row labels, problem c sits in column c.
class ProblemTable {
public:
    static constexpr int Rows = 4;

    ProblemTable(ProblemSettings &settings, RandomSource &random, Clock clock);

    // Once, before the first fill.
    void setUp(SheetGeometry &geometry);

    // Fills the table for the current settings. When subtracting it first turns off borrows
    // that an upper "０" would make impossible. Settings that admit no problem leave the
    // table and the geometry untouched and report why.
    FillResult DataJunbi(SheetGeometry &geometry);
    // The fill itself, for the given settings (no adjustment).
    FillResult fill(const Settings &settings, SheetGeometry &geometry);

    // After a fill for `settings`: replaces every problem that repeats an earlier one on the
    // sheet by further draws from the same random source. Returns false, changing nothing,
    // when the settings allow fewer distinct problems than the sheet holds.
    bool makeDistinct(const Settings &settings);

    // Splits problem column `column` into digits; nothing when the column holds no problem.
    std::optional<CurrentProblem> Dainyuu(int column) const;

    int columnCount() const { return int(cells_.size()); }
    const std::string &cell(int column, int row) const;

    // What the last fill wrote: the problem count and whether it was a subtraction.
    int filledProblemCount() const { return filledProblemCount_; }
    bool filledForSubtraction() const { return filledForSubtraction_; }

private:
    void setColumnCount(int count);
    void writeProblem(int column, int upper, int lower, bool subtraction);

    ProblemSettings &settings_;
    RandomSource &random_;
    Clock clock_;
    std::vector<std::vector<std::string>> cells_;  // [column][row]
    int filledProblemCount_ = 0;
    bool filledForSubtraction_ = false;
};

// Selects "なし" for the borrows that an upper "０" in the hundreds (and tens) would make
// impossible, through the option rules; does nothing when adding.
void adjustForFill(ProblemSettings &model);
// The settings the next fill will draw from, leaving the model itself as it is.
Settings settingsForNextFill(const ProblemSettings &model);

}  // namespace kolvara
