// A worksheet page as a value, and the one layout that turns it into drawing primitives
// for any back end: the window's problem controls, paper, PDF and the browser.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "column_engine.h"
#include "settings.h"

namespace kolvara {

class ProblemTable;

// One problem as the sheet shows it: its sign and its digits by column.
using SheetProblem = ColumnProblem;


// What teachers may add to a sheet; all off unless chosen.
struct SheetFormat {
    bool helperBoxes = false;  // a small box above each column that can take a carried or lent digit
    bool redAnswers = false;   // answers and helper digits in red
    bool answerLabel = false;  // "こたえ" beside the heading of the answer page
    bool classLine = false;    // class and number before the name
    bool score = false;        // a score box out of the sheet's problem count
    bool numbers = false;      // (1), (2), ... at each problem's top left
    // Problems a page: 6, 8 or 12 grow to fill it; 0 keeps the rows of 5 or 7 as on screen.
    int perPage = 0;
    // Practice on a screen: helper boxes nearly a cell wide, for a fingertip; paper keeps them
    // small over the digits.
    bool largeHelpers = false;
    // The problem page's answer rows as wide as the widest answer the settings allow, the
    // same for every problem, so a row's boxes give nothing of the answer away; off, each
    // problem gets the boxes of its own answer (the window's look).
    bool widestAnswers = false;
    // The status lines (the settings' codes) on the problem page too; the answer page always
    // has them.
    bool statusLinesOnProblems = true;
    // Under each division's working on the answer page, the line that checks it:
    // 「19×47+4=897」 (divisor times quotient, plus the remainder, gives the dividend).
    bool checkLines = false;
    friend bool operator==(const SheetFormat &, const SheetFormat &) = default;
};

// The most room a problem of a sheet's settings can take, worked out once a sheet
// (writingRoomOf): with SheetFormat::widestAnswers each problem page gives every problem of
// a kind this room and the page is sized for it. Zeros: each problem its own.
struct WritingRoom {
    int sumPlaces = 0, differencePlaces = 0;  // an answer's places
    // A product's first row (a partial product, or the product written at once), the second
    // partial product's (from the tens) and the product under them.
    int partialPlaces = 0, productPlaces = 0;
    bool twoRows = false;   // some product is written as two partial products and their sum
    // A division's lines: the quotient, the dividend, and two for every place the quotient
    // of the longest numbers could take.
    int divisionLines = 0;
    // The widest number of a sum or difference: the columns its sheet sets out when each
    // sign stands by its own numbers.
    int numberPlaces = 0;
    friend bool operator==(const WritingRoom &, const WritingRoom &) = default;
};

// Everything one page of a worksheet shows.
struct Sheet {
    std::vector<SheetProblem> problems;  // row by row, left to right
    int problemsPerRow = 5;
    int columns = 3;  // of the widest problem: it sets every problem's width
    std::string heading;
    std::string reading;       // small, above the heading
    std::string dateNameLine;  // underlined
    std::string programLabel;
    std::array<std::string, 3> statusLines;
    bool showProgramLabel = true;  // the program label and the status lines
    bool boxes = true;             // dotted place-value boxes
    bool answers = false;          // the answer page
    std::string mark;              // small, bottom right; none when empty
    int fontSize = 30;             // of the problems, in points at 96 dots an inch

    SheetFormat format;
    HelperColumns helperColumns{};  // where helper boxes may go (helperColumnsFor)
    WritingRoom room{};
    // The window's own look, on its screen and its prints: each sign and rule as wide as the
    // sheet's columns, helper boxes half a cell. Off (kolvara-sheet and the browser), each
    // sign stands by its own problem's numbers and helper boxes are never too small for a
    // pencil on paper.
    bool windowLook = true;

    friend bool operator==(const Sheet &, const Sheet &) = default;
};

// Problems a page that the window lets a teacher choose besides the 20 or 28 of the screen.
inline constexpr std::array<int, 3> SmallerPages{6, 8, 12};

// A sheet with the texts every sheet carries, the problems of the table's last fill with the
// given sign; boxes on, problem page. With a smaller page in `format`, the first that
// many problems of the fill, so a seed still names the same problems.
Sheet sheetFromTable(const ProblemTable &table, int problemsPerRow, bool subtraction, const SheetFormat &format = {});

// A sheet with the texts every sheet carries and these problems; with a smaller page in
// `format`, the first that many.
Sheet sheetFromProblems(std::vector<SheetProblem> problems, int problemsPerRow, const SheetFormat &format = {});

// The columns above which a helper box goes for problems of these settings: a column that
// can receive a carry (adding) or that lends in a borrow (subtracting). Ones first.
HelperColumns helperColumnsFor(const Settings &settings);

// ---- Drawing primitives ----

// The two faces a sheet uses: the window's fixed-pitch Gothic and the problems'
// proportional Gothic.
enum class Face : std::uint8_t { Window, Problem };

// Text whose left end of the baseline is at (x, baseline).
struct TextRun {
    std::string text;  // UTF-8
    Face face = Face::Window;
    double pixelSize = 0;
    double x = 0;
    double baseline = 0;
    bool underline = false;
    bool accent = false;  // in the answer colour
    friend bool operator==(const TextRun &, const TextRun &) = default;
};

// A solid line one unit wide between two pixel centres (both ends drawn).
struct Line {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool accent = false;  // in the answer colour
    friend bool operator==(const Line &, const Line &) = default;
};

// A dotted outline one unit wide (one dot, one gap) through the pixel centres of its edges.
struct DottedBox {
    double left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const DottedBox &, const DottedBox &) = default;
};

// A patch of the paper's colour under a digit: the screen needs it where problems overlap
// a neighbour; paper has nothing beneath.
struct Backing {
    double left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const Backing &, const Backing &) = default;
};

// What a box a pupil writes in is for: a sum's or difference's answer digit, the carry or
// the lent value above a column, a partial product, a product's carry in a row of it, the
// product, and a division's quotient, products and differences (with the places brought down).
enum class WriteRole : std::uint8_t { Answer, Carry, Borrow, Partial, RowCarry, Product, Quotient, DivisionProduct, DivisionDifference };

// A write's turn within its problem, in the order a pupil works it: by stage (a product's
// row, a division's step), then the part of the stage (a division's quotient digit, its
// product, its difference, the places brought down), then the place within the part; a
// write that follows another at the same place comes right after it. Compared field by field.
struct Turn {
    int stage = 0;
    int part = 0;
    int index = 0;
    int after = 0;
    friend auto operator<=>(const Turn &, const Turn &) = default;

    // The n-th write of a sum or a difference, as writingOf numbers them.
    static constexpr Turn sumWrite(int n) { return {0, 0, n, 0}; }
    // A product's row (a partial product, then their sum; or the product at once) is written
    // from the ones; each digit's carry goes up into the next place's helper box right after it.
    static constexpr Turn rowDigit(int row, int column) { return {row, 0, column, 0}; }
    static constexpr Turn carryAfter(int row, int column) { return {row, 0, column, 1}; }
    // A division's step: its quotient digit, the product's i-th digit written, the
    // difference's i-th from its right, then the i-th place brought down, with a 0 of the
    // quotient right after the place it could not divide.
    static constexpr Turn quotientDigit(int step) { return {step, 0, 0, 0}; }
    static constexpr Turn product(int step, int i) { return {step, 1, i, 0}; }
    static constexpr Turn difference(int step, int i) { return {step, 2, i, 0}; }
    static constexpr Turn bringDown(int step, int i) { return {step, 3, i, 0}; }
    static constexpr Turn quotientZeroAfter(Turn broughtDown) { return {broughtDown.stage, broughtDown.part, broughtDown.index, 1}; }
    // A quotient's place left of its first digit: tried before any of the working, from the
    // highest.
    static constexpr Turn placeTried(int column) { return {-1, 0, -column, 0}; }
    // A box of a problem's room that the working leaves empty: after all of it, line by line,
    // each from the ones.
    static constexpr Turn leftEmpty(int line, int column) { return {LastStage, line, column, 0}; }

private:
    static constexpr int LastStage = std::numeric_limits<int>::max();
};

// What to draw. Paper has no backings, so there the kinds may be drawn one after the other;
// the screen draws in the order the layout made them (`steps`), where a digit's backing
// hides what lay beneath it.
struct Drawing {
    std::vector<Backing> backings;
    std::vector<DottedBox> boxes;
    std::vector<Line> lines;
    std::vector<TextRun> texts;

    // Where a pupil writes: a problem's boxes in the order pupils write them, with what
    // belongs in each ("" for a box that stays empty). Answer and problem pages alike.
    struct Write {
        std::uint32_t box = 0;      // into `boxes`
        std::uint32_t problem = 0;  // into the sheet's problems
        std::string answer;         // as the answer page writes it: the first of `answers`
        bool helper = false;
        Turn order;  // the turn within its problem, smallest first
        // Every notation that is right in the box ("" where it may be left empty).
        std::vector<std::string> answers;
        WriteRole role = WriteRole::Answer;
        int place = 0;  // of the box's column, from the ones: 1 the tens, -1 the tenths
        int row = 0;    // a product's partial product or a division's product and difference, from 0
        friend bool operator==(const Write &, const Write &) = default;
    };
    std::vector<Write> writes;

    // The decimal point of a sum's or difference's answer, which the pupil sets: the answer
    // row's boxes from left to right, and the one right of which the answer page sets it.
    struct PointWrite {
        std::uint32_t problem = 0;
        std::vector<std::uint32_t> boxes;  // into `boxes`
        int after = 0;                     // into `boxes` of this point
        friend bool operator==(const PointWrite &, const PointWrite &) = default;
    };
    std::vector<PointWrite> points;

    // The rectangle a problem's ink takes on the page (layOutPage): every box, line and text
    // it draws, its helper boxes, sign and number included. One a problem, in their order.
    struct ProblemArea {
        std::uint32_t problem = 0;  // into the sheet's problems
        double left = 0, top = 0, right = 0, bottom = 0;
        friend bool operator==(const ProblemArea &, const ProblemArea &) = default;
    };
    std::vector<ProblemArea> areas;

    enum class Kind : std::uint8_t { Backing, Box, Line, Text };
    struct Step {
        Kind kind;
        std::uint32_t index;  // into the kind's list
    };
    std::vector<Step> steps;

    void add(const Backing &b) { add(backings, b, Kind::Backing); }
    void add(const DottedBox &b) { add(boxes, b, Kind::Box); }
    void add(const Line &l) { add(lines, l, Kind::Line); }
    void add(TextRun t) { add(texts, std::move(t), Kind::Text); }

private:
    template <typename T>
    void add(std::vector<T> &list, T item, Kind kind)
    {
        steps.push_back({kind, std::uint32_t(list.size())});
        list.push_back(std::move(item));
    }
};

// What a screen reader says for a box a pupil writes in, in hiragana: its place and what it
// is for ("じゅうの くらいの くりさがり", "1だんめの じゅうの くらい"); and for an answer's point.
std::string writeLabel(const Drawing::Write &write);
std::string pointLabel();

// Font measurements the layout needs, in pixels at a given pixel size. On the desktop they
// come from the toolkit; elsewhere from a table made from the font file.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual double advance(Face face, double pixelSize, std::string_view utf8) const = 0;
    virtual double ascent(Face face, double pixelSize) const = 0;
    virtual double descent(Face face, double pixelSize) const = 0;
};

// ---- One problem ----

// One problem as a control or a page shows it.
struct ProblemLook {
    ColumnProblem problem;
    // The columns set out, from the smallest place: the sign stands left of them.
    int columns = 3;
    bool boxes = true;
    bool answers = false;
    bool backings = false;  // opaque patches under digits (the screen)
    int pixelSize = 40;     // of the digits
    int fontSize = 30;      // points: the cell size
    int width = 140;        // of the control
    bool accentAnswers = false;   // answers and helper digits in the answer colour
    HelperColumns helperColumns{};  // helper boxes above these columns
    bool largeHelpers = false;      // SheetFormat::largeHelpers
    int helperSize = 0;             // of a helper box; 0: helperBoxSize(fontSize, largeHelpers)
    // The sign of a sum or difference by its own widest number, and its rule only as wide
    // as the problem; off, both at the sheet's columns.
    bool signByNumber = false;
    // Room a problem page gives each problem whatever its answer (SheetFormat::widestAnswers);
    // zeros: the problem's own.
    WritingRoom room{};
    // A division's check line under its working, on the answer page (SheetFormat::checkLines).
    bool checkLine = false;
};

// Lines a problem's working takes: 3 for a sum, a difference and a product written at once,
// 5 for a product of two partial products, and for a quotient 2 and 2 for each digit but a
// later 0.
int longProblemLines(const ColumnProblem &problem);

// Size of a problem control at a font size: (columns + 1) x size + 20 wide, R(4.5 x size) - 5
// high.
int problemWidth(int fontSize, int columns);
int problemHeight(int fontSize);
int problemHeight(int fontSize, int lines);
// The y of the solid rule.
int problemRuleY(int fontSize);

// Appends one problem, its top-left corner at (left, top).
void layOutProblem(const ProblemLook &look, const TextMetrics &metrics, double left, double top, Drawing &out);

// ---- One page ----

// Paper, landscape, and the margin around its printable area, in points.
struct Paper {
    double width = 0;  // landscape: the long side
    double height = 0;
    double margin = 0;
};
// A4 and Letter in whole points, with the 10 mm margins most printers reach (28 points).
Paper a4Paper();
Paper letterPaper();
// JIS B5 (182 x 257 mm) and B4 (257 x 364 mm), as Japanese schools print on.
Paper jisB5Paper();
Paper jisB4Paper();

// Where the sheet goes on the page: sheet units (the window's pixels at its stored size)
// to points, x' = offsetX + scaleX * x.
struct PagePlacement {
    double scaleX = 1, scaleY = 1, offsetX = 0, offsetY = 0;
};

// A page: its paper in points, the placement, and the primitives in sheet units.
struct SheetPage {
    double width = 0, height = 0;  // points
    PagePlacement placement;
    Drawing drawing;
};

// The sheet's area in sheet units: the window's client area at its stored size.
inline constexpr int SheetWidth = 1020;
inline constexpr int SheetHeight = 727;

// The placement of a SheetWidth x SheetHeight sheet fitted into the printable area with its
// proportions kept and centred on it. The fit is made in whole dots at 96 an inch, as a page
// device of that resolution reports the printable area, so pages keep the proportions they
// always had.
PagePlacement placeOnPaper(const Paper &paper);

// The page of `sheet` on `paper`.
SheetPage layOutPage(const Sheet &sheet, const Paper &paper, const TextMetrics &metrics);

// The problem at index i of a sheet: its top-left corner in sheet units, at the pitch
// the window has at its stored size.
double problemLeft(int position, int problemsPerRow);
double problemTop(int row);

// Where a sheet's problems go: a grid of rows and columns, the problems' font size, and each
// problem's top-left corner (the helper boxes lie above it). Sheets as on screen keep the
// screen's positions; fewer problems a page, or helper boxes, spread the grid over the page.
struct ProblemGrid {
    int columns = 5, rows = 4;
    int fontSize = 30;
    int places = 3;  // the columns of digits each problem is set out in
    std::vector<double> lefts;  // by column
    std::vector<double> tops;   // by row
};
ProblemGrid problemGridFor(const Sheet &sheet);

// The size of a helper box at a font size, and its room above a problem.
int helperBoxSize(int fontSize, bool large = false);

// Sheet units that make at least `mm` millimetres on every paper the sheets go on (the
// smallest scale is JIS B5's).
int unitsForMillimetres(double mm);
// What a pupil's pencil needs on paper: a digit's cell and a helper box.
inline constexpr double PencilCellMillimetres = 8, PencilHelperMillimetres = 5;

// The helper box of a sheet's problems at a font size: at least a pencil's size on paper
// unless the sheet keeps the window's look.
int helperBoxSizeOf(const Sheet &sheet, int fontSize);

// Size of an image stretched onto `printable` with its proportions kept: it fills the
// height if that leaves it narrower, else the width; quotients rounded to the nearest
// integer, halves to the even neighbour. {0, 0} when either size is empty.
struct IntSize {
    long long width = 0, height = 0;
    friend bool operator==(const IntSize &, const IntSize &) = default;
};
IntSize fitToPage(IntSize image, IntSize printable);

}  // namespace kolvara
