// Paper sizes and where a sheet goes on them.
#include <algorithm>
#include <cmath>

#include "sheet_layout.h"

namespace kolvara {

using namespace layout;

Paper a4Paper() { return {842, 595, 28}; }
Paper letterPaper() { return {792, 612, 28}; }
Paper jisB5Paper() { return {729, 516, 28}; }
Paper jisB4Paper() { return {1032, 729, 28}; }

namespace {

// Nearest integer to numerator / denominator, halves to the even neighbour; both positive.
long long roundQuotient(long long numerator, long long denominator)
{
    long long quotient = numerator / denominator;
    const long long twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

}  // namespace

IntSize fitToPage(IntSize image, IntSize printable)
{
    if (image.width <= 0 || image.height <= 0 || printable.width <= 0 || printable.height <= 0)
        return {};
    const long long width = roundQuotient(image.width * printable.height, image.height);
    if (width < printable.width)
        return {width, printable.height};
    return {printable.width, roundQuotient(image.height * printable.width, image.width)};
}

PagePlacement placeOnPaper(const Paper &paper)
{
    const auto dots = [](double points) { return points * PixelsPerPoint; };
    const long long margin = std::llround(std::floor(dots(paper.margin)));
    const IntSize printable{std::llround(dots(paper.width)) - 2 * margin, std::llround(dots(paper.height)) - 2 * margin};
    const IntSize fitted = fitToPage({SheetWidth, SheetHeight}, printable);
    PagePlacement placement;
    placement.scaleX = double(fitted.width) / SheetWidth / PixelsPerPoint;
    placement.scaleY = double(fitted.height) / SheetHeight / PixelsPerPoint;
    placement.offsetX = (double(margin) + double(printable.width - fitted.width) / 2) / PixelsPerPoint;
    placement.offsetY = (double(margin) + double(printable.height - fitted.height) / 2) / PixelsPerPoint;
    return placement;
}

int unitsForMillimetres(double mm)
{
    const PagePlacement smallest = placeOnPaper(jisB5Paper());
    const double mmPerUnit = std::min(smallest.scaleX, smallest.scaleY) * 25.4 / 72;
    return int(std::ceil(mm / mmPerUnit - 1e-9));
}

}  // namespace kolvara
