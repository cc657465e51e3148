// The bridge between the page and the core, compiled natively: the address in
// kolvara-sheet's terms, settings shown as they come, the session's seeds and refusals,
// and the measurements made from the font table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "address.h"
#include "feasibility.h"
#include "font_table.h"
#include "practice_json.h"
#include "session_json.h"
#include "status_lines.h"
#include "steps.h"
#include "texts.h"
#include "web_session.h"

using namespace kolvara;
using namespace kolvara::web;

namespace {

Settings settingsFrom(const std::string &address) { return *settingsOf(parseAddress(address).request.problems); }

}  // namespace

TEST(Address, EverySettingAndSwitchReadsBackAsWritten)
{
    for (int i = 0; i < SettingsCombinationCount; ++i) {
        SheetRequest request;
        request.problems = choiceOf(settingsCombination(i));
        request.seed = i % 2 ? MaxSeed : std::uint32_t(i);
        request.hasSeed = true;
        request.sheets = 1 + i % MaxSheets;
        request.distinct = i % 3 == 0;
        request.answers = i % 5 != 0;
        request.boxes = i % 7 != 0;
        request.paper = PaperChoice(i % 4);
        request.answersLast = i % 13 == 0;
        request.format = {.helperBoxes = i % 2 == 0, .redAnswers = i % 3 == 1,
                          .answerLabel = true, .classLine = i % 4 == 1, .score = i % 6 == 5, .numbers = i % 8 == 3,
                          .perPage = 0, .widestAnswers = i % 9 != 2, .statusLinesOnProblems = i % 10 == 7,
                          .checkLines = i % 11 == 4};
        const std::vector<int> pages = perPageChoices(request.problems);
        request.format.perPage = pages[std::size_t(i) % pages.size()];
        // The practice's entries, which only an address with the practice on carries.
        if (i % 3 != 2)
            request.practice = {.on = true, .number = i % 4 ? 1 + i % MaxPupilNumber : 0,
                                .mark = PracticeRequest::Mark(i % 2), .helpers = PracticeRequest::Helpers(i / 2 % 2)};
        const ParsedAddress parsed = parseAddress(addressOf(request));
        ASSERT_TRUE(parsed.rejected.empty()) << addressOf(request);
        ASSERT_EQ(parsed.request, request) << addressOf(request);
        ASSERT_TRUE(parsed.hasSeed);
        ASSERT_EQ(parseAddress(settingsAddressOf(request)).request.practice, PracticeRequest{});
    }
}

// Every step's problems, products' and quotients' conditions included, and each page size
// they take.
TEST(Address, EveryStepAndPageSizeReadsBackAsWritten)
{
    for (const NamedStep &step : NamedSteps)
        for (const int perPage : perPageChoices(problemsOf(step))) {
            SheetRequest request;
            request.problems = problemsOf(step);
            request.format.perPage = perPage;
            request.seed = 11;
            request.hasSeed = true;
            const std::string address = addressOf(request);
            SCOPED_TRACE(address);
            const ParsedAddress parsed = parseAddress(address);
            EXPECT_TRUE(parsed.rejected.empty());
            EXPECT_EQ(parsed.request, request);
            // Only the options of the step's own operation are written.
            const std::uint8_t kind = operationBit(request.problems.operation);
            for (const SheetOptionRow &row : sheetOptionRows()) {
                if (!(row.operations & kind)) {
                    EXPECT_EQ(("&" + address).find("&" + std::string(row.key) + "="), std::string::npos);
                }
            }
        }
}

struct AddressCase {
    const char *address;
    const char *settings;  // as written back, without the starting state
    bool hasSeed;
    std::vector<std::string> rejected;
    std::vector<std::string> setAside = {};
};

TEST(Address, EntriesAsKolvaraSheetTakesThem)
{
    const AddressCase cases[] = {
        {"", "op=add&upper=aaa&lower=aaa&carry=mmm", false, {}},
        {"#op=sub&upper=naa&lower=naa&carry=mmy&seed=502", "op=sub&upper=naa&lower=naa&carry=mmy", true, {}},
        {"op=SUB&upper=0NA", "op=sub&upper=0na&lower=aaa&carry=mmm", false, {}},
        {"seed=86400000&sheets=0&sheets=101&paper=a3", "op=add&upper=aaa&lower=aaa&carry=mmm", false,
         {"seed=86400000", "sheets=0", "sheets=101", "paper=a3"}},
        {"upper=0nx&lower=abc&carry=yyyyy&op=pow&upper=a.a.a&lower=a.aaaa", "op=add&upper=aaa&lower=aaa&carry=mmm", false,
         {"upper=0nx", "lower=abc", "carry=yyyyy", "op=pow", "upper=a.a.a", "lower=a.aaaa"}},
        // Products and quotients: their own conditions, written after the numbers.
        {"seed=3&mul-carry=Y&op=mul&lower=n&upper=nn&wide-partial=n&sum-carry=m",
         "op=mul&upper=0nn&lower=00n&mul-carry=y&wide-partial=n", true, {}},
        {"op=div&upper=naa&lower=nn&remainder=n&quotient-zero=y&guess-fix=n&quotient-digits=2&quotient-digits=4&remainder=x",
         "op=div&upper=naa&lower=0nn&remainder=n&quotient-zero=y&guess-fix=n&quotient-digits=2", false,
         {"quotient-digits=4", "remainder=x"}},
        {"op=sub&step=div-3-1-zero&remainder=n&seed=1", "op=div&upper=naa&lower=00n&quotient-zero=y", true, {},
         {"op=sub", "remainder=n"}},
        // Four places, decimals, mixed signs and the answer's last 0, as kolvara-sheet writes them.
        {"op=MIXED&upper=naaa.n&lower=n.n&carry=mmmm.m&zero-end=Y&seed=5",
         "op=mixed&upper=naaa.n&lower=00n.n&carry=mmmm.m&zero-end=y", true, {}},
        {"upper=n&lower=a.an&carry=m.mm&op=sub&zero-end=m", "op=sub&upper=00n&lower=00a.an&carry=mmm.mm", false, {}},
        {"zero-end=x&upper=aaaaa", "op=add&upper=aaa&lower=aaa&carry=mmm", false, {"zero-end=x", "upper=aaaaa"}},
        {"no-boxes&no-answers=1&distinct&sheets=100&paper=letter&&",
         "op=add&upper=aaa&lower=aaa&carry=mmm&sheets=100&distinct&no-answers&no-boxes&paper=letter", false, {}},
        {"no-boxes=yes&output=x.pdf&seed=-1&seed=", "op=add&upper=aaa&lower=aaa&carry=mmm", false,
         {"no-boxes=yes", "output=x.pdf", "seed=-1", "seed="}},
        {"seed=0", "op=add&upper=aaa&lower=aaa&carry=mmm", true, {}},
        {"numbers&score=1&class-line&red-answers&helper-boxes&answers-last&per-page=6&paper=B5",
         "op=add&upper=aaa&lower=aaa&carry=mmm&answers-last&helper-boxes&red-answers&class-line&score&numbers&per-page=6"
         "&paper=b5",
         false, {}},
        // The window's answer boxes and status lines, and back to those teachers hand out.
        {"status-lines&answer-boxes=EXACT&red-answers",
         "op=add&upper=aaa&lower=aaa&carry=mmm&red-answers&answer-boxes=exact&status-lines", false, {}},
        {"answer-boxes=exact&answer-boxes=widest&status-lines&status-lines=0&answer-boxes=wide&answer-boxes&status-lines=on",
         "op=add&upper=aaa&lower=aaa&carry=mmm", false, {"answer-boxes=wide", "answer-boxes", "status-lines=on"}},
        // A division's check lines, on in either case, off again, and no other value.
        {"op=div&upper=naa&lower=nn&CHECK&check=0&check&check=yes", "op=div&upper=naa&lower=0nn&check", false, {"CHECK", "check=yes"}},
        // Switches off again, and the screen's rows back, as the page's controls write them.
        {"paper=b4&per-page=12&per-page=0&numbers&numbers=0&answers-last=0", "op=add&upper=aaa&lower=aaa&carry=mmm&paper=b4",
         false, {}},
        {"per-page=7&per-page=20&per-page=&paper=b6&step=add-9&step=&helper-boxes=2&score=yes&answers-last=on",
         "op=add&upper=aaa&lower=aaa&carry=mmm", false,
         {"per-page=7", "per-page=20", "per-page=", "paper=b6", "step=add-9", "step=", "helper-boxes=2", "score=yes",
          "answers-last=on"}},
        // A step sets the settings wherever it stands; the entries it overrides are named.
        {"op=sub&step=ADD-1-carry&carry=nnn&seed=4", "op=add&upper=00n&lower=00n&carry=nny&trivial=n", true, {},
         {"op=sub", "carry=nnn"}},
        {"step=sub-2-borrow&step=bogus", "op=sub&upper=0na&lower=0na&carry=nny&trivial=n", false, {"step=bogus"}},
        // Every grade's steps, the decimal ones included.
        {"upper=naaa&step=dec-zero-end&zero-end=n", "op=add&upper=00a.an&lower=00a.an&carry=mmm.mm&zero-end=y&trivial=n", false, {},
         {"upper=naaa", "zero-end=n"}},
        {"step=mixed-4", "op=mixed&upper=naaa&lower=naa&carry=mmmm&trivial=n", false, {}},
        // The practice's entries: read like any other, and never among the settings kept.
        {"no=12&practice&mark=EACH&helpers=count&op=sub", "op=sub&upper=aaa&lower=aaa&carry=mmm", false, {}},
        {"practice=yes&mark=xyz&helpers=xyz&no=0&no=41&no=x&no=&mark", "op=add&upper=aaa&lower=aaa&carry=mmm", false,
         {"practice=yes", "mark=xyz", "helpers=xyz", "no=0", "no=41", "no=x", "no=", "mark"}},
    };
    for (const AddressCase &c : cases) {
        SCOPED_TRACE(c.address);
        const ParsedAddress parsed = parseAddress(c.address);
        EXPECT_EQ(settingsAddressOf(parsed.request), c.settings);
        EXPECT_EQ(parsed.hasSeed, c.hasSeed);
        EXPECT_EQ(parsed.rejected, c.rejected);
        EXPECT_EQ(parsed.setAside, c.setAside);
    }
}

// Links carry settings the option rules cannot reach; the panel must show them as they are.
TEST(Adopt, ShowsEverySettingAsItComes)
{
    ProblemSettings model = ProblemSettings::makeDefault();
    for (int i = 0; i < SettingsCombinationCount; ++i) {
        const Settings target = settingsCombination(i);
        model.adopt(target);  // from whatever the last one left
        ASSERT_EQ(model.settings(), target) << i;
        ASSERT_EQ(model.operationItem(), target.IsSubtraction);
        const std::uint8_t values[9] = {target.DigitKind1_100, target.DigitKind1_10, target.DigitKind1_1,
                                        target.DigitKind2_100, target.DigitKind2_10, target.DigitKind2_1,
                                        target.CarryMode_100,  target.CarryMode_10,  target.CarryMode_1};
        for (int g = 0; g < OptionGroupCount; ++g) {
            const OptionGroup group = OptionGroup(g);
            ASSERT_TRUE(model.isSelected(optionAt(group, values[g]))) << i << " group " << g;
            const bool hiddenHundreds = target.IsSubtraction && group == OptionGroup::GroupBoxKuriAgariSagari_100;
            ASSERT_EQ(model.statusText(group),
                      hiddenHundreds ? texts::statusText(Nashi) : statusTextOf(optionAt(group, values[g])));
        }
    }
}

TEST(Adopt, RulesRunAsBeforeOnTheNextClick)
{
    ProblemSettings model = ProblemSettings::makeDefault();
    model.adopt(settingsFrom("op=add&upper=aa0&lower=aan&carry=mmy"));  // no rule reaches this
    EXPECT_EQ(model.settings(), settingsFrom("op=add&upper=aa0&lower=aan&carry=mmy"));
    model.SelectOption(Option::RadioButton2_1Zero);  // a ones 0 never carries
    EXPECT_EQ(model.settings(), settingsFrom("op=add&upper=aa0&lower=aa0&carry=mmn"));
}

TEST(Session, SeedsComeFromTheAddressOrTheClockAndMoveOnByOne)
{
    WebSession session;
    session.open("op=sub", 2 * (MaxSeed + 1) + 7);  // a clock past midnight is read within the day
    EXPECT_EQ(session.request().seed, 7u);
    EXPECT_EQ(session.address(), "op=sub&upper=aaa&lower=aaa&carry=mmm&seed=7");

    session.open("seed=" + std::to_string(MaxSeed), 7);
    ASSERT_TRUE(session.hasSheet());
    const Sheet last = session.sheet(0, false);
    EXPECT_EQ(last.mark, "No.1\u3000" + std::to_string(MaxSeed));
    EXPECT_TRUE(session.refresh());
    EXPECT_EQ(session.request().seed, 0u);  // the next millisecond is the next day's first
    EXPECT_NE(session.sheet(0, false).problems, last.problems);
    // Sheet No.2 of the day's last seed is the next day's first, named by a seed that
    // gives it back, as "更新" moves on.
    const Sheet first = session.sheet(0, false);
    session.open("seed=" + std::to_string(MaxSeed), 7);
    const Sheet second = session.sheet(1, false);
    EXPECT_EQ(second.mark, "No.2\u30000");
    EXPECT_EQ(second.problems, first.problems);
}

TEST(Session, SettingsWithoutProblemsKeepTheSheetAndItsAddress)
{
    WebSession session;
    session.open("seed=1234", 0);
    session.select(Option::RadioButton1_10Zero);
    session.select(Option::RadioButton2_10Zero);
    const std::string address = session.address();
    const Sheet before = session.sheet(0, false);
    session.select(Option::RadioButtonKuriAgariSagariAri_10);  // both tens 0 cannot carry
    const std::string reason = checkFeasibility(session.model().settings()).reason;
    ASSERT_FALSE(reason.empty());
    EXPECT_TRUE(session.countNote().impossible);
    EXPECT_EQ(session.countNote().text, reason);
    EXPECT_EQ(session.refusal(), reason);
    EXPECT_FALSE(session.refresh());
    EXPECT_EQ(session.refusal(), reason);
    EXPECT_EQ(session.address(), address);
    EXPECT_TRUE(session.hasSheet());
    EXPECT_EQ(session.sheet(0, false), before);
}

TEST(Session, AnAddressWithoutProblemsGivesKolvaraSheetsReasonAndKeepsASheet)
{
    // The second is one the window's subtraction adjustment would make possible: the count
    // line still speaks of the settings as written, as kolvara-sheet does.
    for (const std::string settings : {"upper=aa0&lower=aa0&carry=mmy", "op=sub&upper=0an&lower=aaa&carry=yyn"}) {
        SCOPED_TRACE(settings);
        const ProblemCountNote written = problemCountNote(settingsFrom(settings));
        ASSERT_TRUE(written.impossible);
        WebSession first;
        first.open(settings + "&seed=5", 0);
        EXPECT_EQ(first.refusal(), written.text);
        EXPECT_EQ(first.countNote().text, written.text);
        EXPECT_TRUE(first.countNote().impossible);
        // Nothing shown before: the starting settings' sheet for that seed number.
        EXPECT_TRUE(first.hasSheet());
        WebSession starting;
        starting.open("seed=5", 0);
        EXPECT_EQ(first.address(), starting.address());
        EXPECT_EQ(first.sheet(0, false), starting.sheet(0, false));

        WebSession later;
        later.open("op=sub&seed=9&no-boxes", 0);
        const std::string address = later.address();
        const Sheet before = later.sheet(0, false);
        later.open(settings + "&seed=5", 0);
        EXPECT_EQ(later.refusal(), written.text);
        EXPECT_EQ(later.address(), address);
        EXPECT_EQ(later.sheet(0, false), before);
    }
}

TEST(Session, PatternsBeyondThreePlacesDrawKolvaraSheetsSheetAndABadOneKeepsIt)
{
    WebSession session;
    session.open("op=mixed&upper=naaa.n&lower=n.n&carry=mmmm.m&zero-end=y&seed=5", 0);
    EXPECT_FALSE(session.threePlaces());
    EXPECT_EQ(session.refusal(), "");
    SheetRequest request;
    ASSERT_EQ(findSheetOption("op")->read(request, "op", "mixed"), "");
    ASSERT_EQ(findSheetOption("upper")->read(request, "upper", "naaa.n"), "");
    ASSERT_EQ(findSheetOption("lower")->read(request, "lower", "n.n"), "");
    ASSERT_EQ(findSheetOption("carry")->read(request, "carry", "mmmm.m"), "");
    ASSERT_EQ(findSheetOption("zero-end")->read(request, "zero-end", "y"), "");
    const Sheet expected = worksheetFor(worksheetChoiceOf(request), 0, 5);
    EXPECT_EQ(session.sheet(0, false).problems, expected.problems);
    EXPECT_EQ(session.sheet(0, false).mark, expected.mark);

    // A pattern that cannot be read changes nothing and says why; one that reads but whose
    // point the carry does not meet keeps the sheet and gives the reason.
    const std::string address = session.address();
    EXPECT_FALSE(session.set("upper", "a.a.a"));
    EXPECT_NE(session.error(), "");
    EXPECT_EQ(session.error().find('\n'), std::string::npos);  // the Japanese line alone
    EXPECT_EQ(patternText(session.wanted().upper, DigitLetters), "naaa.n");
    EXPECT_TRUE(session.set("upper", "naaa.nn"));
    EXPECT_TRUE(session.set("carry", "mmmm"));
    EXPECT_NE(session.refusal(), "");
    EXPECT_TRUE(session.countNote().impossible);
    EXPECT_FALSE(session.refresh());
    EXPECT_EQ(session.address(), address);
    EXPECT_EQ(session.sheet(0, false).problems, expected.problems);

    // Back to three places: the window's buttons show them again.
    EXPECT_TRUE(session.set("step", "add-2"));
    EXPECT_TRUE(session.threePlaces());
    EXPECT_EQ(session.model().settings(), *settingsOf(*findStep("add-2")));
    EXPECT_EQ(session.refusal(), "");
    // A step's sheets still leave out x-x on the buttons, "更新" after "更新".
    EXPECT_TRUE(session.set("step", "sub-2"));
    EXPECT_TRUE(session.threePlaces());
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(session.refresh());
        for (const SheetProblem &p : session.sheet(0, false).problems)
            ASSERT_TRUE(obeysChoice(problemsOf(*findStep("sub-2")), p)) << problemText(p);
    }
}

// What kolvara-sheet refuses an address is refused with its words, keeping the sheet there
// was; what it takes is the very sheet it makes.
TEST(Session, ProductsAndQuotientsAsKolvaraSheetTakesThem)
{
    struct Case {
        const char *address;
        const char *names;  // what the refusal names, empty for a sheet
    };
    const Case cases[] = {
        {"op=mul&upper=nn&lower=n&remainder=y", "--remainder"},
        {"op=div&upper=nn&lower=0", "--lower"},
        {"per-page=12&op=div&upper=nnn&lower=n", "--per-page 12"},
        {"op=div&upper=aaa&lower=aaa", "--lower"},
        {"op=add&per-page=4", "--per-page 4"},
        {"op=mul&upper=aaa&lower=aa&per-page=6&helper-boxes", ""},
        {"step=div-guess-fix&per-page=4", ""},
        // Helper boxes keep a pencil's size: only the pages that allow it.
        {"op=mul&upper=aaa&lower=aa&per-page=8&helper-boxes", "--per-page 8"},
        {"op=mul&upper=nn&lower=nn&per-page=12&helper-boxes", "--per-page 12"},
        {"op=mul&upper=nn&lower=nn&per-page=8&helper-boxes", ""},
        {"op=add&per-page=12&helper-boxes", ""},
        {"op=sub&helper-boxes", ""},
        {"op=div&upper=nnn&lower=n&quotient-digits=3&remainder=n", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address);
        WebSession session;
        session.open("op=sub&seed=9&per-page=8", 0);
        const std::string before = session.address();
        session.open(std::string(c.address) + "&seed=21", 0);
        const ParsedAddress parsed = parseAddress(std::string(c.address) + "&seed=21");
        const std::string refusal = japaneseLine(requestError(parsed.request));
        EXPECT_EQ(session.refusal(), refusal);
        EXPECT_TRUE(*c.names ? refusal.starts_with(c.names) : refusal.empty()) << refusal;
        EXPECT_EQ(session.countNote().impossible, *c.names != 0);
        if (*c.names) {
            EXPECT_EQ(session.countNote().text, refusal);
            EXPECT_EQ(session.address(), before);
            continue;
        }
        EXPECT_EQ(session.sheet(1, true), [&] {
            Sheet s = worksheetFor(worksheetChoiceOf(parsed.request), 1, 21);
            s.answers = s.format.answerLabel = true;
            return s;
        }());
        EXPECT_EQ(parseAddress(session.address()).request, parsed.request);
    }
}

// A condition of another operation that an address brought in cannot be seen in the panel:
// the first change made there leaves it out, and a condition given anew is refused.
TEST(Session, AConditionThePanelCannotShowGoesWithTheFirstChange)
{
    WebSession session;
    session.open("op=mul&upper=nn&lower=n&remainder=y&seed=3", 0);
    EXPECT_NE(session.refusal(), "");
    EXPECT_TRUE(session.set("mul-carry", "y"));
    EXPECT_EQ(session.refusal(), "");
    EXPECT_EQ(session.address(), "op=mul&upper=0nn&lower=00n&mul-carry=y&seed=3");
    EXPECT_TRUE(session.set("remainder", "n"));
    EXPECT_TRUE(session.countNote().impossible);
    EXPECT_EQ(session.address(), "op=mul&upper=0nn&lower=00n&mul-carry=y&seed=3");
}

TEST(Session, TheKindOfProblemsKeepsEachKindsOwnSettings)
{
    WebSession session;
    session.open("op=sub&upper=naa&lower=naa&carry=mmy&per-page=8&seed=30", 0);
    session.selectKind(ForDiv);
    // The first step of quotients, the page size that sums took reset.
    const NamedStep &firstDivision = *std::find_if(NamedSteps.begin(), NamedSteps.end(),
                                                   [](const NamedStep &s) { return s.op == "div"; });
    EXPECT_EQ(session.wanted(), problemsOf(firstDivision));
    EXPECT_EQ(session.wantedPerPage(), 0);
    EXPECT_EQ(session.refusal(), "");
    EXPECT_EQ(session.sheet(0, false).problems.size(), 6u);
    EXPECT_TRUE(session.set("per-page", "4"));
    EXPECT_TRUE(session.set("quotient-digits", "2"));
    EXPECT_TRUE(session.set("quotient-digits", ""));  // back to any
    EXPECT_EQ(session.wanted().quotientDigits, 0);
    EXPECT_TRUE(session.set("remainder", "y"));
    const ProblemChoice division = session.wanted();

    session.selectKind(ForMul);
    EXPECT_EQ(session.wanted().operation, Operation::Multiply);
    EXPECT_EQ(session.wanted().remainder, Konzai);
    EXPECT_EQ(session.wantedPerPage(), 0);
    EXPECT_EQ(session.refusal(), "");

    session.selectKind(ForAddSub);
    EXPECT_EQ(session.address(), "op=sub&upper=naa&lower=naa&carry=mmy&seed=30&per-page=8");
    EXPECT_EQ(session.model().operationItem(), 1);
    session.selectKind(ForDiv);
    EXPECT_EQ(session.wanted(), division);
    EXPECT_EQ(session.wantedPerPage(), 4);
    EXPECT_EQ(session.sheet(0, false).problems.size(), 4u);
    session.selectKind(0);  // no kind: nothing changes
    EXPECT_EQ(session.wanted(), division);
}

TEST(Session, OnlyAnswerPagesCarryTheAnswerLabel)
{
    WebSession session;
    session.open("seed=3", 0);
    EXPECT_FALSE(session.sheet(0, false).format.answerLabel);
    EXPECT_TRUE(session.sheet(0, true).format.answerLabel);
    EXPECT_EQ(session.sheet(0, true).problems, session.sheet(0, false).problems);
}

// The answer boxes and the status lines as the address opens them and the panel sets them:
// what the sheets get, and what the panel is told to show.
TEST(Session, AnswerBoxesAndStatusLinesAsTheAddressAndThePanelSetThem)
{
    const struct {
        const char *address, *key, *value;
        bool understood, widest, statusLines;
        const char *shown;
    } cases[] = {
        {"seed=3", nullptr, nullptr, true, true, false, R"("answer-boxes":"widest")"},
        {"seed=3&answer-boxes=exact&status-lines", nullptr, nullptr, true, false, true, R"("answer-boxes":"exact")"},
        {"seed=3&answer-boxes=exact&status-lines", "status-lines", "0", true, false, false, R"("status-lines":false)"},
        {"seed=3", "status-lines", "1", true, true, true, R"("status-lines":true)"},
        {"seed=3", "answer-boxes", "exact", true, false, false, R"("answer-boxes":"exact")"},
        {"seed=3&status-lines", "answer-boxes", "wide", false, true, true, R"("answer-boxes":"widest")"},
        // The page sizes the panel offers: with helper boxes, only those that keep them a
        // pencil's size, the largest of them the page's own.
        {"seed=3", nullptr, nullptr, true, true, false,
         R"("perPageChoices":[{"value":"0","caption":"画面と同じ（20または28）"},{"value":"12","caption":"12"},{"value":"8","caption":"8"},{"value":"6","caption":"6"}],"perPage":"0")"},
        {"seed=3&per-page=8", "helper-boxes", "1", true, true, false,
         R"("perPageChoices":[{"value":"0","caption":"12"},{"value":"8","caption":"8"},{"value":"6","caption":"6"}],"perPage":"8")"},
        {"op=mul&upper=nn&lower=nn&seed=3&helper-boxes", nullptr, nullptr, true, true, false,
         R"("perPageChoices":[{"value":"0","caption":"8"},{"value":"6","caption":"6"}],"perPage":"0")"},
        {"op=mul&upper=aaa&lower=aa&seed=3", "helper-boxes", "1", true, true, false,
         R"("perPageChoices":[{"value":"0","caption":"6"}],"perPage":"0")"},
        // A page too full for helper boxes: refused in kolvara-sheet's words, the sheet kept.
        {"op=mul&upper=aaa&lower=aa&per-page=12&seed=3", "helper-boxes", "1", false, true, false,
         R"("error":"--per-page 12 はこの問題では選べません（6）")"},
        {"op=mul&upper=aaa&lower=aa&per-page=6&helper-boxes&seed=3", "per-page", "8", true, true, false,
         R"("refusal":"--per-page 8 はこの問題では選べません（6）")"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.address) + " then " + (c.key ? c.key : "nothing"));
        WebSession session;
        session.open(c.address, 0);
        const std::string address = session.address();
        const Sheet sheet = session.sheet(0, false);
        if (c.key) {
            EXPECT_EQ(session.set(c.key, c.value), c.understood);
        }
        if (!c.understood || session.refusal() != "") {
            EXPECT_EQ(session.address(), address);
            EXPECT_EQ(session.sheet(0, false), sheet);
        }
        for (const bool answers : {false, true}) {
            EXPECT_EQ(session.sheet(0, answers).format.widestAnswers, c.widest);
            EXPECT_EQ(session.sheet(0, answers).format.statusLinesOnProblems, c.statusLines);
        }
        EXPECT_NE(stateJson(session).find(c.shown), std::string::npos) << stateJson(session);
        EXPECT_EQ(parseAddress(session.address()).request.format, session.request().format);
    }
}

// A practice link opens as it was asked or not at all: each entry it cannot read, a missing
// seed, problems that admit none or a page they do not fit give the teacher's reason and no
// sheet to practise; the address carries the practice last, as it was asked.
TEST(Session, APracticeLinkOpensAsAskedOrSaysWhy)
{
    const struct {
        const char *address;
        const char *refusal;  // what the reason says, empty for a link that opens
        const char *written;  // the session's address after it, for one that opens
    } cases[] = {
        {"step=bogus&seed=5&practice&no=1", "step の段階がありません：bogus", nullptr},
        {"step=add-3&seed=5&practice&mark=xyz", "mark は end か each です：xyz", nullptr},
        {"step=add-3&seed=5&practice&helpers=xyz", "helpers は free か count です：xyz", nullptr},
        {"step=add-3&seed=5&practice&no=0", "no は1から40までの整数です：0", nullptr},
        {"step=add-3&seed=5&practice&no=41", "no は1から40までの整数です：41", nullptr},
        {"step=add-3&seed=5&practice&no=x", "no は1から40までの整数です：x", nullptr},
        {"step=add-3&seed=5&practice&colour=red", "読めない項目です：colour=red", nullptr},
        {"step=add-3&practice&no=3", "seed がありません", nullptr},
        {"step=add-3&seed=x&practice", "seed は0から86399999までの整数です：x\nseed がありません", nullptr},
        {"upper=aa0&lower=aa0&carry=mmy&seed=5&practice&no=1", "のくり上がり", nullptr},
        {"step=div-3-2&per-page=12&seed=5&practice&no=2", "--per-page 12 はこの問題では選べません", nullptr},
        {"step=add-3&seed=4321&practice", "", "op=add&upper=naa&lower=naa&carry=nmm&trivial=n&seed=4321&practice&mark=end&helpers=free"},
        {"no=2&helpers=count&mark=each&practice&step=sub-3&seed=99", "",
         "op=sub&upper=naa&lower=naa&carry=nmm&trivial=n&seed=99&practice&mark=each&helpers=count&no=2"},
        // A step sets aside the problems' entries as it always does; that is no fault.
        {"op=mul&step=add-3&seed=1&per-page=12&practice&no=40", "",
         "op=add&upper=naa&lower=naa&carry=nmm&trivial=n&seed=1&per-page=12&practice&mark=end&helpers=free&no=40"},
        // Without the practice the page opens as ever, its faults for the teacher alone.
        {"step=add-3&no=41&mark=each", "", "op=add&upper=naa&lower=naa&carry=nmm&trivial=n&seed=7"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address);
        WebSession session;
        session.open(c.address, 7);
        const std::string practice = practiceJson(session, std::max(1, session.request().practice.number));
        if (*c.refusal) {
            EXPECT_NE(session.practiceRefusal().find(c.refusal), std::string::npos) << session.practiceRefusal();
            EXPECT_EQ(practice.find("\"page\""), std::string::npos);
            EXPECT_NE(practice.find("\"error\""), std::string::npos);
            EXPECT_NE(classLinkJson(session, "end", "free").find("\"error\""), std::string::npos);
            // Back on the teacher's page, the sheet there is can be practised again.
            EXPECT_TRUE(session.set("practice", "0"));
            EXPECT_EQ(session.practiceRefusal(), "");
            continue;
        }
        EXPECT_EQ(session.practiceRefusal(), "");
        EXPECT_EQ(session.address(), c.written);
        EXPECT_EQ(practice.find("\"error\""), std::string::npos);
        EXPECT_EQ(addressOf(parseAddress(session.address()).request), session.address());
    }
}

// The pupil's number and the practice on and off, as the page sets them, and what it is told.
TEST(Session, ThePracticeAsThePageSetsIt)
{
    WebSession session;
    session.open("step=sub-3&seed=99&practice&mark=each", 0);
    EXPECT_NE(stateJson(session).find(R"("practice":{"on":true,"no":0,"mark":"each","helpers":"free","refusal":""})"),
              std::string::npos);
    for (const char *bad : {"0", "41", "x", ""}) {
        EXPECT_FALSE(session.set("no", bad)) << bad;
        EXPECT_EQ(session.error(), "no は1から40までの整数です：" + std::string(bad));
    }
    const Sheet sheet = session.sheet(11, false);
    EXPECT_TRUE(session.set("no", "12"));
    EXPECT_EQ(session.address(), "op=sub&upper=naa&lower=naa&carry=nmm&trivial=n&seed=99&practice&mark=each&helpers=free&no=12");
    EXPECT_EQ(session.sheet(11, false), sheet);
    EXPECT_NE(stateJson(session).find(R"("remembered":"op=sub&upper=naa&lower=naa&carry=nmm&trivial=n")"), std::string::npos);
    EXPECT_TRUE(session.set("practice", "0"));
    EXPECT_EQ(session.address(), "op=sub&upper=naa&lower=naa&carry=nmm&trivial=n&seed=99");
    EXPECT_NE(stateJson(session).find(R"("practice":{"on":false,"no":12,"mark":"each")"), std::string::npos);
}

// A class's link opens the very sheet on screen for every pupil: `step=` and `seed=` written
// out, and no link at all where the practice would be refused.
TEST(Session, TheClassLinkOpensAsTheSheetOnScreen)
{
    const struct {
        const char *address, *mark, *helpers;
        const char *answer;
    } cases[] = {
        {"step=sub-3&seed=99&per-page=12&no-boxes", "end", "free",
         R"({"address":"step=sub-3&seed=99&no-boxes&per-page=12&practice&mark=end&helpers=free"})"},
        {"step=mul-2-2&seed=555&practice&no=3&mark=each", "each", "count",
         R"({"address":"step=mul-2-2&seed=555&practice&mark=each&helpers=count"})"},
        {"op=sub&upper=naa&lower=naa&carry=mmy&seed=5", "END", "Count",
         R"({"address":"op=sub&upper=naa&lower=naa&carry=mmy&seed=5&practice&mark=end&helpers=count"})"},
        {"step=add-3&seed=5", "xyz", "free", R"({"error":"mark は end か each です：xyz"})"},
        {"step=add-3&seed=5", "end", "", R"({"error":"helpers は free か count です：")"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address);
        WebSession session;
        session.open(c.address, 0);
        const std::string link = classLinkJson(session, c.mark, c.helpers);
        EXPECT_TRUE(link.starts_with(c.answer)) << link;
        if (link.starts_with(R"({"address":")")) {
            const std::string address = link.substr(12, link.size() - 14);
            WebSession pupil;
            pupil.open(address + "&no=7", 0);
            EXPECT_EQ(pupil.practiceRefusal(), "");
            EXPECT_EQ(pupil.sheet(6, false), session.sheet(6, false));
        }
    }
    // Settings in the panel that admit no problem: no link, and the reason.
    WebSession session;
    session.open("upper=aa0&lower=aa0&carry=mmy&seed=5", 0);
    ASSERT_NE(session.refusal(), "");
    EXPECT_EQ(classLinkJson(session, "end", "free"), R"({"error":")" + session.refusal() + R"("})");
}

TEST(FontTable, MeasuresFromTheFontUnits)
{
    const TableTextMetrics m;
    const FaceTable &p = faceTable(Face::Problem), &w = faceTable(Face::Window);
    EXPECT_DOUBLE_EQ(m.ascent(Face::Problem, 40), 40.0 * p.ascent / p.unitsPerEm);
    EXPECT_DOUBLE_EQ(m.descent(Face::Window, 11), 11.0 * w.descent / w.unitsPerEm);
    // The fixed face: an ASCII character half as wide as a full-width one.
    EXPECT_DOUBLE_EQ(m.advance(Face::Window, 20, "No.1\u3000"), 4 * 10 + 20);
    // A character the table lacks counts as the face's missing glyph; broken UTF-8 as one
    // character a byte, never reading past the end.
    EXPECT_DOUBLE_EQ(m.advance(Face::Window, 2048, "\xF0\x9F\x98\x80"), w.missingAdvance);
    EXPECT_DOUBLE_EQ(m.advance(Face::Window, 2048, "\xE3\x81"), 2.0 * w.missingAdvance);
    EXPECT_DOUBLE_EQ(m.advance(Face::Window, 2048, "\xC3"), w.missingAdvance);
    EXPECT_EQ(m.advance(Face::Problem, 40, ""), 0);
}

// Every character a sheet of any step sets out, products' "×" and the conditions' status
// lines included, is one the page's faces hold: the screen, PDF保存 and printing all draw
// with them.
TEST(FontTable, HoldsEveryCharacterOfEveryStepsSheets)
{
    const auto codePoints = [](const std::string &text) {
        std::vector<char32_t> out;
        for (std::size_t at = 0; at < text.size();) {
            const unsigned char lead = static_cast<unsigned char>(text[at]);
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t c = length == 1 ? lead : lead & (0x7F >> length);
            for (int i = 1; i < length; ++i)
                c = (c << 6) | (static_cast<unsigned char>(text[at + std::size_t(i)]) & 0x3F);
            out.push_back(c);
            at += std::size_t(length);
        }
        return out;
    };
    for (const NamedStep &step : NamedSteps) {
        WebSession session;
        session.open("step=" + std::string(step.key) + "&helper-boxes&numbers&score&class-line&seed=8", 0);
        ASSERT_EQ(session.refusal(), "") << step.key;
        for (const bool answers : {false, true})
            for (const TextRun &run : session.page(0, answers).drawing.texts) {
                const FaceTable &face = faceTable(run.face);
                for (const char32_t c : codePoints(run.text))
                    EXPECT_TRUE(std::binary_search(face.advances, face.advances + face.count, GlyphAdvance{c, 0},
                                                   [](const GlyphAdvance &a, const GlyphAdvance &b) {
                                                       return a.codepoint < b.codepoint;
                                                   }))
                        << step.key << ": U+" << std::hex << std::uint32_t(c) << " in " << run.text;
            }
    }
}
