// Where a sheet's problems go on its page.
#include <algorithm>

#include "problem_table.h"
#include "sheet_layout.h"

namespace kolvara {

using namespace layout;

namespace {

// The sheet as the window lays it out at its stored size, in its client pixels.
constexpr int StoredOuterWidth = 1036;
constexpr int FirstProblemLeft = 32;
constexpr int FirstRowTop = 48;
constexpr int RowPitch = 176;


// The area a spread grid fills: below the heading, above the mark, within the margins.
constexpr double GridLeft = 32, GridRight = 1004, GridTop = 52, GridBottom = 700;
// Sheets in their own look keep clear of the heading, and may come nearer the mark.
constexpr double ClearGridTop = 56, ClearGridBottom = 706;
constexpr double ColumnGap = 3, RowGap = 12;
// 6 a page: digits about 20 mm high on A4.
constexpr int LargestFontSize = 58;

bool isLongSheet(const Sheet &sheet)
{
    const WritingRoom room = roomOf(sheet);
    return room.partialPlaces > 0 || room.divisionLines > 0 ||
           std::any_of(sheet.problems.begin(), sheet.problems.end(),
                       [](const SheetProblem &p) { return p.sign == Sign::Times || p.sign == Sign::Divide; });
}

// Rows of helper boxes above a problem: a product's carries take one a partial product.
int helperRowsOf(const Sheet &sheet)
{
    int rows = roomOf(sheet).twoRows ? 2 : 1;
    for (const SheetProblem &p : sheet.problems)
        if (p.sign == Sign::Times && longProblemLines(p) == 5)
            rows = 2;
    return rows;
}

// The columns the problems are set out in: the sheet's, or where each sign stands by its own
// numbers, only as many as the widest number the settings allow.
int columnsOf(const Sheet &sheet)
{
    if (sheet.windowLook || sheet.room.numberPlaces <= 0)
        return sheet.columns;
    int columns = std::min(sheet.columns, sheet.room.numberPlaces);
    for (const SheetProblem &p : sheet.problems)  // never fewer than a problem's own digits
        for (int c = columns; c < sheet.columns; ++c)
            if (p.upper[std::size_t(c)] > 0 || p.lower[std::size_t(c)] > 0)
                columns = c + 1;
    return columns;
}

// Lines the tallest problem of the page takes.
int linesOf(const Sheet &sheet)
{
    const WritingRoom room = roomOf(sheet);
    // A division's check line takes one more under its working, on both pages so they match.
    const int check = sheet.format.checkLines ? 1 : 0;
    int lines = std::max(room.twoRows ? 5 : 3, room.divisionLines > 0 ? room.divisionLines + check : 0);
    for (const SheetProblem &p : sheet.problems)
        lines = std::max(lines, longProblemLines(p) + (p.sign == Sign::Divide ? check : 0));
    return lines;
}

}  // namespace

WritingRoom layout::roomOf(const Sheet &sheet) { return sheet.format.widestAnswers ? sheet.room : WritingRoom{}; }

double problemLeft(int position, int problemsPerRow)
{
    const int pitch = (StoredOuterWidth - FirstProblemLeft) / problemsPerRow;
    return FirstProblemLeft + pitch * position;
}

double problemTop(int row) { return FirstRowTop + RowPitch * row; }

ProblemGrid problemGridFor(const Sheet &sheet)
{
    ProblemGrid grid;
    const int perRow = std::max(sheet.problemsPerRow, 1);
    const bool long_ = isLongSheet(sheet);
    // Wider problems than three places spread too, as they would not fit the screen's pitch.
    const int columns = columnsOf(sheet);
    grid.places = columns;
    if (sheet.windowLook && sheet.format.perPage <= 0 && !sheet.format.helperBoxes && sheet.columns <= 3 && !long_) {
        grid.columns = perRow;
        grid.rows = SheetRowCount;
        grid.fontSize = sheet.fontSize;
        for (int c = 0; c < grid.columns; ++c)
            grid.lefts.push_back(problemLeft(c, perRow));
        for (int r = 0; r < grid.rows; ++r)
            grid.tops.push_back(problemTop(r));
        return grid;
    }
    switch (sheet.format.perPage) {
    case 4: grid.columns = 2, grid.rows = 2; break;
    case 6: grid.columns = 3, grid.rows = 2; break;
    case 8: grid.columns = 4, grid.rows = 2; break;
    case 12: grid.columns = 4, grid.rows = 3; break;
    default: grid.columns = perRow, grid.rows = SheetRowCount; break;
    }
    const int lines = linesOf(sheet);
    const int helperRows = helperRowsOf(sheet);
    const bool helpers = sheet.format.helperBoxes && std::any_of(sheet.helperColumns.begin(), sheet.helperColumns.end(),
                                                                 [](bool b) { return b; });
    const auto band = [&](int fontSize) {
        return helpers || (sheet.format.helperBoxes && !long_) ? helperRows * (helperBoxSizeOf(sheet, fontSize) + 4) : 0;
    };
    const auto blockHeight = [&](int fontSize) { return problemHeight(fontSize, lines) + band(fontSize); };
    // Products and quotients are wide enough for the width to set their size: half a cell
    // between neighbours keeps one problem's rules from running on into the next one's.
    // A quarter of a cell keeps sums' own rules apart too.
    const auto columnGap = [&](int fontSize) {
        return long_ ? fontSize / 2.0 : sheet.windowLook ? ColumnGap : fontSize / 4.0;
    };
    const double gridTop = sheet.windowLook ? GridTop : ClearGridTop;
    const double gridBottom = sheet.windowLook ? GridBottom : ClearGridBottom;
    int fs = LargestFontSize;
    while (fs > 8 && (grid.columns * problemWidth(fs, columns) + (grid.columns - 1) * columnGap(fs) > GridRight - GridLeft ||
                      grid.rows * blockHeight(fs) + (grid.rows - 1) * RowGap > gridBottom - gridTop))
        --fs;
    grid.fontSize = fs;
    const double slot = (GridRight - GridLeft) / grid.columns;
    for (int c = 0; c < grid.columns; ++c)
        grid.lefts.push_back(std::round(GridLeft + slot * c + (slot - problemWidth(fs, columns)) / 2));
    const double spare = gridBottom - gridTop - grid.rows * blockHeight(fs);
    const double gap = grid.rows > 1 ? spare / (grid.rows - 1) : 0;
    const double first = gridTop + (grid.rows > 1 ? 0 : spare / 2) + band(fs);
    for (int r = 0; r < grid.rows; ++r)
        grid.tops.push_back(std::round(first + r * (blockHeight(fs) + gap)));
    return grid;
}

int helperBoxSizeOf(const Sheet &sheet, int fontSize)
{
    const int size = helperBoxSize(fontSize, sheet.format.largeHelpers);
    return sheet.windowLook ? size : std::max(size, unitsForMillimetres(PencilHelperMillimetres));
}

}  // namespace kolvara
