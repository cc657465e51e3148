// Sheets as kolvara-sheet and the browser make them from the options' own words.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sheet_request.h"
#include "steps.h"
#include "worksheet.h"

using namespace kolvara;

namespace {

SheetRequest requestOf(const std::vector<std::pair<std::string, std::string>> &options)
{
    SheetRequest r;
    for (const auto &[key, value] : options) {
        const SheetOptionRow *row = findSheetOption(key);
        EXPECT_NE(row, nullptr) << key;
        if (row) {
            EXPECT_EQ(row->read(r, key, value), "") << key << "=" << value;
        }
    }
    return r;
}

}  // namespace

// The window's three places keep their generator: these are the sheets these options and
// seeds have always given (the first six problems of No.1).
TEST(Worksheets, TheSheetsTheyAlwaysGave)
{
    const struct {
        std::vector<std::pair<std::string, std::string>> options;
        std::uint32_t seed;
        bool distinct;
        std::string problems;
    } cases[] = {
        {{}, 5, false, "251+951 65+472 129+449 645+521 39+210 798+577"},
        {{{"op", "sub"}, {"upper", "naa"}, {"lower", "naa"}, {"carry", "mmy"}}, 502, false,
         "922-804 543-209 901-409 566-369 484-119 607-188"},
        {{{"op", "sub"}, {"upper", "n0a"}, {"lower", "aan"}, {"carry", "nyy"}}, 77, false,
         "800-758 707-329 802-233 500-478 604-187 501-77"},
        {{{"upper", "00n"}, {"lower", "00n"}, {"carry", "mmy"}}, 3, true, "8+4 5+6 8+8 5+8 6+7 8+9"},
        {{{"op", "sub"}}, 86399999, false, "137-29 373-363 643-2 757-608 644-420 875-583"},
        {{{"upper", "naa"}, {"lower", "0na"}, {"carry", "nyy"}}, 4242, false,
         "766+45 327+86 274+88 545+98 669+32 616+88"},
    };
    for (const auto &c : cases) {
        SheetRequest r = requestOf(c.options);
        r.distinct = c.distinct;
        const Sheet sheet = worksheetFor(worksheetChoiceOf(r), 0, c.seed);
        std::string shown;
        for (std::size_t i = 0; i < 6 && i < sheet.problems.size(); ++i)
            shown += (i ? " " : "") + problemText(sheet.problems[i]);
        EXPECT_EQ(shown, c.problems) << c.seed;
    }
}

// Every setting of the window's three places, written as patterns and read back, is the
// same setting, and takes the window's generator.
TEST(Worksheets, EverySettingRoundTripsThroughItsPatterns)
{
    for (int code = 0; code < SettingsCombinationCount; ++code) {
        const Settings settings = settingsCombination(code);
        const ProblemChoice choice = choiceOf(settings);
        SheetRequest r;
        for (const char *key : {"op", "upper", "lower", "carry"}) {
            const SheetOptionRow *row = findSheetOption(key);
            SheetRequest written;
            written.problems = choice;
            ASSERT_EQ(row->read(r, key, row->write(written)), "");
        }
        const std::optional<Settings> back = settingsOf(r.problems);
        ASSERT_TRUE(back.has_value()) << code;
        ASSERT_EQ(*back, settings) << code;
    }
}

// Mixed sheets: half of each sign, in an order each seed number draws, all obeying the patterns.
TEST(Worksheets, MixedSheetsHaveHalfOfEachSign)
{
    const SheetRequest r = requestOf({{"op", "mixed"}, {"upper", "naaa"}, {"lower", "naa"}});
    std::string orders;
    for (std::uint32_t seed : {1u, 2u}) {
        const Sheet sheet = worksheetFor(worksheetChoiceOf(r), 0, seed);
        ASSERT_EQ(sheet.problems.size(), 20u);
        int subtractions = 0;
        for (const SheetProblem &p : sheet.problems) {
            subtractions += (p.sign == Sign::Minus);
            orders += (p.sign == Sign::Minus) ? '-' : '+';
            EXPECT_TRUE(obeysChoice(problemsOf(r), p)) << problemText(p);
        }
        EXPECT_EQ(subtractions, 10);
        orders += ' ';
    }
    EXPECT_NE(orders.substr(0, 20), orders.substr(21, 20)) << "each seed number draws its own order";
}

// Carry letters for columns above both numbers may stand where they ask no carry there, and
// change nothing; one that asks for a carry where none can come is refused.
TEST(Worksheets, CarryLettersAboveTheNumbers)
{
    const struct {
        const char *upper, *carry;
        bool good;
        const char *same;  // the carry pattern it equals, when good
    } cases[] = {
        {"0na", "mnyy", true, "nyy"},
        {"0000.0n", "mmmm.mm", true, "mmm.mm"},
        {"naa", "nmmm", true, "mmm"},
        {"0na", "yyyy", false, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.upper) + " " + c.carry);
        const SheetRequest r = requestOf({{"upper", c.upper}, {"lower", c.upper}, {"carry", c.carry}});
        EXPECT_EQ(requestError(r).empty(), c.good);
        if (!c.good)
            continue;
        const SheetRequest same = requestOf({{"upper", c.upper}, {"lower", c.upper}, {"carry", c.same}});
        for (const bool sub : {false, true}) {
            const ColumnGrid a = gridFor(r.problems, sub), b = gridFor(same.problems, sub);
            EXPECT_EQ(a.columns(), b.columns());
            EXPECT_EQ(a.mode, b.mode);
        }
        EXPECT_EQ(settingsOf(r.problems), settingsOf(same.problems));
    }
}

// Multiplication and division alone take their first unit, two places by one without x1 or
// /1; what was chosen stays, in whatever order the entries come, and is written back.
TEST(Worksheets, AnOperationsOwnDefaults)
{
    const struct {
        std::vector<std::pair<std::string, std::string>> options;
        std::string upper, lower, trivial;  // as written back
    } cases[] = {
        {{{"op", "mul"}}, "0nn", "00n", ""},
        {{{"op", "div"}}, "0nn", "00n", ""},
        {{{"op", "div"}, {"upper", "naa"}, {"lower", "nn"}}, "naa", "0nn", ""},
        {{{"upper", "naa"}, {"op", "mul"}}, "naa", "00n", ""},
        {{{"op", "mul"}, {"trivial", "m"}}, "0nn", "00n", "m"},
        {{{"trivial", "m"}, {"op", "mul"}}, "0nn", "00n", "m"},
        {{{"op", "mul"}, {"op", "add"}}, "aaa", "aaa", ""},
        {{{"op", "sub"}, {"upper", "1aa"}, {"lower", "10a"}, {"trivial", "n"}}, "1aa", "10a", "n"},
    };
    for (const auto &c : cases) {
        const SheetRequest r = requestOf(c.options);
        SCOPED_TRACE(c.options.front().second);
        EXPECT_EQ(findSheetOption("upper")->write(r), c.upper);
        EXPECT_EQ(findSheetOption("lower")->write(r), c.lower);
        EXPECT_EQ(findSheetOption("trivial")->write(r), c.trivial);
        EXPECT_EQ(requestError(r), "");
        // Written back in the table's order, the entries give the same problems.
        SheetRequest again;
        for (const std::string_view key : ProblemKeys)
            if (const std::string value = findSheetOption(key)->write(r); !value.empty()) {
                EXPECT_EQ(findSheetOption(key)->read(again, key, value), "") << key;
            }
        EXPECT_EQ(again.problems, r.problems);
        EXPECT_GT(countChoice(r.problems).problems, 0u);
    }
    // Two places of 1 to 9 by one place of 2 to 9: 81 x 8 products and quotients alike.
    EXPECT_EQ(countChoice(requestOf({{"op", "mul"}}).problems).problems, 81u * 8u);
    EXPECT_EQ(countChoice(requestOf({{"op", "div"}}).problems).problems, 81u * 8u);
    EXPECT_EQ(countChoice(requestOf({{"op", "div"}, {"trivial", "m"}}).problems).problems, 81u * 9u);
}

// The room every problem of a step's sheets gets: as wide as the widest answer and as long as
// the longest working its settings allow, and never short of a drawn problem's own.
TEST(Worksheets, RoomForTheWidestAnswerOfTheSettings)
{
    const struct {
        const char *step;
        WritingRoom room;
    } cases[] = {
        {"add-1", {.sumPlaces = 1, .numberPlaces = 1}},
        {"add-1-carry", {.sumPlaces = 2, .numberPlaces = 1}},
        {"sub-4-thousand", {.differencePlaces = 4, .numberPlaces = 4}},  // 1000 - 265: never fewer
        // 143 - 68 and 105 - 37: the hundreds always lend, but a box there keeps that the
        // pupil's to find.
        {"sub-3-2-hundreds", {.differencePlaces = 3, .numberPlaces = 3}},
        {"sub-3-2-zero-tens", {.differencePlaces = 3, .numberPlaces = 3}},
        {"add-4-3", {.sumPlaces = 5, .numberPlaces = 4}},
        {"dec-2-sub", {.differencePlaces = 3, .numberPlaces = 3}},
        {"mixed-4", {.sumPlaces = 5, .differencePlaces = 4, .numberPlaces = 4}},
        {"mul-3-1", {.partialPlaces = 4}},
        {"mul-2-2", {.partialPlaces = 3, .productPlaces = 4, .twoRows = true}},
        {"div-3-1-3", {.divisionLines = 8}},
        // As many rows whatever the quotient's places or its 0s: 156/3 and 31/3 = 10 r1 get
        // the rows of a quotient over every place.
        {"div-3-1-2", {.divisionLines = 8}},
        {"div-2-1-zero", {.divisionLines = 6}},
        {"div-3-2-1", {.divisionLines = 6}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.step);
        EXPECT_EQ(writingRoomOf(problemsOf(*findStep(c.step))), c.room);
    }
    const auto places = [](std::int64_t n) { return int(std::to_string(n).size()); };
    for (const NamedStep &step : NamedSteps) {
        SCOPED_TRACE(std::string(step.key));
        WorksheetChoice choice;
        choice.problems = problemsOf(step);
        const WritingRoom room = writingRoomOf(choice.problems);
        for (int k = 0; k < 5; ++k) {
            const Sheet sheet = worksheetFor(choice, k, 900);
            EXPECT_EQ(sheet.room, room);
            for (const SheetProblem &p : sheet.problems) {
                SCOPED_TRACE(problemText(p));
                const std::int64_t a = valueOf(p.upper), b = valueOf(p.lower);
                std::int64_t scale = 1;
                for (int d = 0; d < p.decimals; ++d)
                    scale *= 10;
                const auto answerPlaces = [&](std::int64_t n) { return places(n / scale) + p.decimals; };
                switch (p.sign) {
                case Sign::Plus: EXPECT_GE(room.sumPlaces, answerPlaces(a + b)); break;
                case Sign::Minus: EXPECT_GE(room.differencePlaces, answerPlaces(a - b)); break;
                case Sign::Times:
                    // The first row: the product at once, or the ones' partial product.
                    EXPECT_GE(room.partialPlaces, places(b < 10 || b % 10 == 0 ? a * b : a * (b % 10)));
                    if (b >= 10 && b % 10 != 0) {
                        EXPECT_TRUE(room.twoRows);
                        EXPECT_GE(room.partialPlaces, places(a * (b / 10)));
                        EXPECT_GE(room.productPlaces, places(a * b));
                    }
                    break;
                case Sign::Divide: {
                    // The quotient, the dividend, and a product and what is left for its first
                    // digit and each later one but a 0.
                    const std::string q = std::to_string(a / b);
                    EXPECT_GE(room.divisionLines, 4 + 2 * int(std::count_if(q.begin() + 1, q.end(), [](char d) { return d != '0'; })));
                    break;
                }
                }
            }
        }
    }
}
