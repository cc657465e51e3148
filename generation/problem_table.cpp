#include "problem_table.h"

#include <charconv>

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
    geometry.RowCount = 4;
    labelColumnWidth_ = LabelColumnWidth;
    setColumnCount(29);
    for (int c = 1; c <= 28; ++c)
        cells_[std::size_t(c)][0] = std::to_string(c);
}

FillResult ProblemTable::DataJunbi(SheetGeometry &geometry, int outerWindowWidth)
{
    // Without this, an upper "０" in the hundreds (and tens) would make the upper number
    // smaller than the lower one whenever the tens (or ones) column borrows.
    if (settings_.settings().IsSubtraction == 1 && settings_.isSelected(Option::RadioButton1_100Zero)) {
        settings_.SelectOption(Option::RadioButtonKuriAgariSagariNashi_10);
        if (settings_.isSelected(Option::RadioButton1_10Zero)) {
            settings_.SelectOption(Option::RadioButtonKuriAgariSagariNashi_1);
            settings_.SelectOption(Option::RadioButtonKuriAgariSagariNashi_10);
        }
    }
    return fill(settings_.settings(), geometry, outerWindowWidth);
}

FillResult ProblemTable::fill(const Settings &settings, SheetGeometry &geometry, int outerWindowWidth)
{
    const Feasibility feasibility = checkFeasibility(settings);
    if (!feasibility.possible)
        return {false, feasibility.reason};

    const bool subtraction = settings.IsSubtraction == 1;
    labelColumnWidth_ = LabelColumnWidth;
    geometry.ProblemsPerRow = problemsPerRowFor(settings);
    geometry.RowCount = 4;
    geometry.ColumnPitch = std::uint16_t((outerWindowWidth - 32) / geometry.ProblemsPerRow);
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
        const CurrentProblem &p = generator.problem();
        auto &column = cells_[std::size_t(c)];
        column[1] = std::to_string(p.Line1Value);
        column[2] = std::to_string(p.Line2Value);
        column[3] = std::to_string(subtraction ? p.Line1Value - p.Line2Value : p.Line1Value + p.Line2Value);
    }
    filledProblemCount_ = count;
    filledForSubtraction_ = subtraction;
    return {true, {}};
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
