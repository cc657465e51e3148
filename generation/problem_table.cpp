#include "problem_table.h"

#include <charconv>
#include <set>
#include <utility>

#include "texts.h"

namespace kolvara {

ProblemTable::ProblemTable(ProblemSettings &settings, RandomSource &random, Clock clock)
    : settings_(settings), random_(random), clock_(std::move(clock))
{
    setColumnCount(5);
}

void ProblemTable::setColumnCount(int count)
{
    // Cells beyond a shorter fill keep what an earlier fill wrote, as a grid would.
    if (count > int(cells_.size()))
        cells_.resize(std::size_t(count), std::vector<std::string>(Rows));
    else
        cells_.resize(std::size_t(count));
}

const std::string &ProblemTable::cell(int column, int row) const
{
    static const std::string empty;
    if (column < 0 || column >= columnCount() || row < 0 || row >= Rows)
        return empty;
    return cells_[std::size_t(column)][std::size_t(row)];
}

void ProblemTable::setUp(SheetGeometry &geometry)
{
    geometry.ProblemsPerRow = 7;
    geometry.RowCount = SheetRowCount;
    const int mostProblems = SheetRowCount * 7;
    setColumnCount(mostProblems + 1);
    for (int c = 1; c <= mostProblems; ++c)
        cells_[std::size_t(c)][0] = std::to_string(c);
}

void adjustForFill(ProblemSettings &model)
{
    // Without this, an upper "０" in the hundreds (and tens) would make the upper number
    // smaller than the lower one whenever the tens (or ones) column borrows.
    if (model.settings().IsSubtraction == 1 && model.isSelected(Option::RadioButton1_100Zero)) {
        model.SelectOption(Option::RadioButtonKuriAgariSagariNashi_10);
        if (model.isSelected(Option::RadioButton1_10Zero)) {
            model.SelectOption(Option::RadioButtonKuriAgariSagariNashi_1);
            model.SelectOption(Option::RadioButtonKuriAgariSagariNashi_10);
        }
    }
}

Settings settingsForNextFill(const ProblemSettings &model)
{
    ProblemSettings copy = model;
    copy.selectionChanged = nullptr;
    copy.operationChanged = nullptr;
    adjustForFill(copy);
    return copy.settings();
}

FillResult ProblemTable::DataJunbi(SheetGeometry &geometry)
{
    adjustForFill(settings_);
    return fill(settings_.settings(), geometry);
}

FillResult ProblemTable::fill(const Settings &settings, SheetGeometry &geometry)
{
    const Feasibility feasibility = checkFeasibility(settings);
    if (!feasibility.possible)
        return {false, feasibility.reason};

    const bool subtraction = settings.IsSubtraction == 1;
    geometry.ProblemsPerRow = problemsPerRowFor(settings);
    geometry.RowCount = SheetRowCount;
    const int count = geometry.RowCount * geometry.ProblemsPerRow;
    setColumnCount(count + 1);
    cells_[0][1] = texts::TableUpper;
    cells_[0][2] = texts::TableLower;
    cells_[0][3] = subtraction ? texts::TableDifference : texts::TableSum;
    for (int c = 1; c <= count; ++c)
        cells_[std::size_t(c)][0] = std::to_string(c);

    random_.ReseedFromClock(clock_);
    ProblemGenerator generator(settings, random_);
    for (int c = 1; c <= count; ++c) {
        generator.Ransuu();
        writeProblem(c, generator.problem().Line1Value, generator.problem().Line2Value, subtraction);
    }
    filledProblemCount_ = count;
    filledForSubtraction_ = subtraction;
    return {true, {}};
}

void ProblemTable::writeProblem(int column, int upper, int lower, bool subtraction)
{
    auto &cells = cells_[std::size_t(column)];
    cells[1] = std::to_string(upper);
    cells[2] = std::to_string(lower);
    cells[3] = std::to_string(subtraction ? upper - lower : upper + lower);
}

bool ProblemTable::makeDistinct(const Settings &settings)
{
    const Feasibility feasibility = checkFeasibility(settings);
    const int count = filledProblemCount_;
    if (!feasibility.possible || feasibility.problemCount < std::uint32_t(count))
        return false;
    const bool subtraction = settings.IsSubtraction == 1;
    std::set<std::pair<int, int>> onSheet;
    ProblemGenerator generator(settings, random_);
    for (int c = 1; c <= count; ++c) {
        const CurrentProblem p = *Dainyuu(c);
        if (onSheet.insert({p.Line1Value, p.Line2Value}).second)
            continue;
        // Rare problems of a nearly exhausted setting can take long to come up at random;
        // after a bounded number of draws one of the missing ones is picked directly.
        constexpr int MaxDraws = 10000;
        bool replaced = false;
        for (int draw = 0; draw < MaxDraws && !replaced; ++draw) {
            generator.Ransuu();
            const CurrentProblem &q = generator.problem();
            replaced = onSheet.insert({q.Line1Value, q.Line2Value}).second;
            if (replaced)
                writeProblem(c, q.Line1Value, q.Line2Value, subtraction);
        }
        if (!replaced) {
            std::vector<std::pair<int, int>> missing;
            for (int upper = 0; upper <= 999; ++upper)
                for (int lower = 0; lower <= 999; ++lower)
                    if (admits(settings, upper, lower) && !onSheet.count({upper, lower}))
                        missing.emplace_back(upper, lower);
            const auto [upper, lower] = missing[std::size_t(random_.RandomBelow(std::int32_t(missing.size())))];
            onSheet.insert({upper, lower});
            writeProblem(c, upper, lower, subtraction);
        }
    }
    return true;
}

std::optional<CurrentProblem> ProblemTable::Dainyuu(int column) const
{
    if (column < 1 || column >= columnCount())
        return std::nullopt;
    std::int32_t values[2];
    for (int row = 1; row <= 2; ++row) {
        const std::string &text = cells_[std::size_t(column)][std::size_t(row)];
        std::int32_t v = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || v < 0 || v > 999)
            return std::nullopt;
        values[row - 1] = v;
    }
    CurrentProblem p;
    p.Line1Value = values[0];
    p.Line1_100 = values[0] / 100, p.Line1_10 = values[0] / 10 % 10, p.Line1_1 = values[0] % 10;
    p.Line2Value = values[1];
    p.Line2_100 = values[1] / 100, p.Line2_10 = values[1] / 10 % 10, p.Line2_1 = values[1] % 10;
    return p;
}

}  // namespace kolvara
