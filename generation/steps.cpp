#include "steps.h"

#include <algorithm>

#include "sheet_request.h"

namespace kolvara {

// kolvara-sheet's options of each step: --op, --upper, --lower, --carry (hundreds to ones,
// or as many letters as the longer number has places) and --zero-end. No step has a
// problem with 0 or 1 that needs no working (+0, -0, a number less itself, x1, /1).
const std::array<NamedStep, NamedStepCount> NamedSteps{{
    {"add-1", "１けたのたし算（くり上がりなし）", 1, "add", "00n", "00n", "nnn", "m"},
    {"add-1-carry", "１けたのたし算（くり上がりあり）", 1, "add", "00n", "00n", "nny", "m"},
    {"sub-1", "１けたのひき算（くり下がりなし）", 1, "sub", "00n", "00a", "nnn", "m"},
    {"sub-teens-borrow", "十いくつ－１けた（くり下がりあり　13－9）", 1, "sub", "01n", "00n", "nny", "m"},
    {"add-2", "２けたのたし算（くり上がりなし）", 2, "add", "0na", "0na", "nnn", "m"},
    {"add-2-carry-ones", "２けたのたし算（一の位がくり上がる）", 2, "add", "0na", "0na", "nny", "m"},
    {"add-2-carry-tens", "２けたのたし算（十の位がくり上がる）", 2, "add", "0na", "0na", "nyn", "m"},
    {"add-2-carry-twice", "２けたのたし算（くり上がり２回）", 2, "add", "0na", "0na", "nyy", "m"},
    {"sub-2", "２けたのひき算（くり下がりなし）", 2, "sub", "0na", "0na", "nnn", "m"},
    {"sub-2-borrow", "２けたのひき算（くり下がりあり）", 2, "sub", "0na", "0na", "nny", "m"},
    {"sub-2-1-borrow", "２けた－１けた（くり下がりあり　52－7）", 2, "sub", "0na", "00n", "nny", "m"},
    {"sub-3-2-hundreds", "百の位からくり下がるひき算（143－68）", 2, "sub", "1aa", "0na", "nym", "m"},
    {"sub-3-2-zero-tens", "十の位が０の百の位からのくり下がり（105－37）", 2, "sub", "10a", "0na", "nyy", "m"},
    {"add-3-2", "３けた＋２けた（345＋28）", 2, "add", "naa", "0na", "nnm", "m"},
    {"sub-3-2", "３けた－２けた（352－27）", 2, "sub", "naa", "0na", "nnm", "m"},
    {"add-3", "３けたのたし算", 3, "add", "naa", "naa", "nmm", "m"},
    {"add-3-carry-tens", "３けたのたし算（十の位だけくり上がる）", 3, "add", "naa", "naa", "nyn", "m"},
    {"add-3-carry-ones-tens", "３けたのたし算（一の位と十の位でくり上がる　258＋365）", 3, "add", "naa", "naa", "nyy", "m"},
    {"add-3-carry-twice", "３けたのたし算（十の位と百の位でくり上がる）", 3, "add", "naa", "naa", "yyn", "m"},
    {"add-3-carry-three", "３けたのたし算（くり上がり３回　763＋459）", 3, "add", "naa", "naa", "yyy", "m"},
    {"add-3-four-digits", "答えが４けたになるたし算（648＋736）", 3, "add", "naa", "naa", "ymm", "m"},
    {"sub-3-from-hundreds", "百の位からのくり下がり", 3, "sub", "naa", "naa", "nyn", "m"},
    {"sub-3-zero-tens", "十の位が０のくり下がり", 3, "sub", "n0a", "aan", "nyy", "m"},
    {"sub-3", "３けたのひき算", 3, "sub", "naa", "naa", "nmm", "m"},
    {"sub-4-thousand", "何千からのひき算（1000－265）", 3, "sub", "n000", "naa", "mmmm", "m"},
    {"add-4", "４けたのたし算", 3, "add", "naaa", "naaa", "nmmm", "m"},
    {"add-4-3", "４けた＋３けた（4897＋389）", 3, "add", "naaa", "naa", "mmmm", "m"},
    {"sub-4-3", "４けた－３けた（4897－389）", 3, "sub", "naaa", "naa", "mmmm", "m"},
    {"mixed-3", "３けたのたし算とひき算", 3, "mixed", "naa", "naa", "nmm", "m"},
    {"mixed-4", "４けたのたし算とひき算", 3, "mixed", "naaa", "naa", "mmmm", "m"},
    {"mul-2-1", "２けた×１けた（くり上がりなし）", 3, "mul", "nn", "n", "m", "m", "mul-carry=n wide-partial=n"},
    {"mul-2-1-hundreds", "２けた×１けた（答えが３けた）", 3, "mul", "nn", "n", "m", "m", "mul-carry=n wide-partial=y"},
    {"mul-2-1-carry", "２けた×１けた（くり上がりあり）", 3, "mul", "nn", "n", "m", "m", "mul-carry=y"},
    {"mul-3-1", "３けた×１けた", 3, "mul", "nnn", "n", "m", "m"},
    {"mul-3-1-zero", "３けた×１けた（かけられる数に０がある　203×4）", 3, "mul", "n0n", "n", "m", "m"},
    {"dec-1-add", "小数のたし算（1/10の位）", 3, "add", "a.n", "a.n", "m.m", "m"},
    {"dec-1-sub", "小数のひき算（1/10の位）", 3, "sub", "a.n", "a.n", "m.m", "m"},
    {"mul-tens", "何十をかけるかけ算（35×30）", 3, "mul", "nn", "n0", "m", "m"},
    {"mul-3-tens", "３けた×何十（234×30）", 3, "mul", "naa", "n0", "m", "m"},
    {"mul-2-2-plain", "２けた×２けた（部分の積が２けたでくり上がりなし）", 3, "mul", "nn", "nn", "m", "m",
     "mul-carry=n wide-partial=n sum-carry=n"},
    {"mul-2-2", "２けた×２けた", 3, "mul", "nn", "nn", "m", "m"},
    {"mul-3-2", "３けた×２けた", 3, "mul", "naa", "nn", "m", "m"},
    {"div-2-1-exact", "２けた÷１けた（わりきれる）", 4, "div", "nn", "n", "m", "m", "remainder=n quotient-digits=2"},
    {"div-2-1-remainder", "２けた÷１けた（あまりあり）", 4, "div", "nn", "n", "m", "m",
     "remainder=y quotient-digits=2 quotient-zero=n"},
    {"div-2-1-zero", "２けた÷１けた（商の一の位に０がたつ　81÷4）", 4, "div", "nn", "n", "m", "m",
     "quotient-digits=2 quotient-zero=y"},
    {"div-3-1-3", "３けた÷１けた（商が３けた）", 4, "div", "nnn", "n", "m", "m", "quotient-digits=3 quotient-zero=n"},
    {"div-3-1-2", "３けた÷１けた（商が２けた　156÷3）", 4, "div", "nnn", "n", "m", "m", "quotient-digits=2 quotient-zero=n"},
    {"div-3-1-zero", "３けた÷１けた（商に０がたつ　408÷4）", 4, "div", "naa", "n", "m", "m", "quotient-zero=y"},
    {"dec-2-add", "小数のたし算（1/100の位）", 4, "add", "a.an", "a.an", "m.mm", "m"},
    {"dec-2-sub", "小数のひき算（1/100の位）", 4, "sub", "a.an", "a.an", "m.mm", "m"},
    {"dec-lengths", "けた数のちがう小数のたし算（3.45＋2.7）", 4, "add", "a.an", "a.n", "m.mm", "m"},
    {"dec-whole-minus", "整数－小数（5－1.25）", 4, "sub", "n", "a.an", "m.mm", "m"},
    {"dec-zero-end", "答えの終わりが０になる小数のたし算", 4, "add", "a.an", "a.an", "m.mm", "y"},
    {"dec-3-add", "小数のたし算（1/1000の位まで　2.345＋1.255）", 4, "add", "a.aan", "a.aan", "m.mmm", "m"},
    {"dec-3-sub", "小数のひき算（1/1000の位まで　4.325－1.258）", 4, "sub", "a.aan", "a.aan", "m.mmm", "m"},
    {"dec-mixed", "小数のたし算とひき算", 4, "mixed", "a.an", "a.an", "m.mm", "m"},
    {"div-tens", "何十でわるわり算（80÷20）", 4, "div", "aa0", "n0", "m", "m", "quotient-digits=1"},
    {"div-2-2", "２けた÷２けた", 4, "div", "nn", "nn", "m", "m", "guess-fix=n"},
    {"div-2-2-fix", "２けた÷２けた（見当をつけた商を直す　78÷26、91÷13）", 4, "div", "nn", "nn", "m", "m", "guess-fix=y"},
    {"div-3-2-1", "３けた÷２けた（商が１けた　192÷32）", 4, "div", "naa", "nn", "m", "m", "quotient-digits=1 guess-fix=n"},
    {"div-3-2-2", "３けた÷２けた（商が２けた　896÷32）", 4, "div", "naa", "nn", "m", "m",
     "quotient-digits=2 guess-fix=n quotient-zero=n"},
    {"div-3-2", "３けた÷２けた", 4, "div", "nnn", "nn", "m", "m", "guess-fix=n quotient-zero=n"},
    {"div-3-2-zero", "３けた÷２けた（商に０がたつ　630÷21）", 4, "div", "naa", "nn", "m", "m", "quotient-zero=y guess-fix=n"},
    {"div-3-2-fix", "３けた÷２けた（見当をつけた商を直す　252÷36）", 4, "div", "naa", "nn", "m", "m", "guess-fix=y"},
    {"div-guess-fix", "見当をつけた商を直すわり算（78÷26、91÷13）", 4, "div", "aaa", "nn", "m", "m", "guess-fix=y"},
}};

const NamedStep *findStep(std::string_view key)
{
    for (const NamedStep &step : NamedSteps)
        if (step.key == key)
            return &step;
    return nullptr;
}

ProblemChoice problemsOf(const NamedStep &step)
{
    ProblemChoice c;
    static constexpr std::string_view ops[] = {"add", "sub", "mixed", "mul", "div"};
    c.operation = Operation(std::find(std::begin(ops), std::end(ops), step.op) - std::begin(ops));
    // The table's patterns are good: a test reads every one.
    readNumberPattern("upper", step.upper, c.upper);
    readNumberPattern("lower", step.lower, c.lower);
    readCarryPattern("carry", step.carry, c.carry);
    // No step has problems with 0 or 1 unless its conditions ask for them; products and
    // quotients leave them out unasked, so their addresses need not say so.
    c.trivial = isLong(c.operation) ? TrivialUnset : std::uint8_t(Nashi);
    c.zeroEnd = std::uint8_t(CarryLetters.find(step.zeroEnd.empty() ? 'm' : step.zeroEnd[0]));
    // The conditions through the option table, as kolvara-sheet reads them.
    SheetRequest request;
    request.problems = c;
    for (std::string_view rest = step.conditions; !rest.empty();) {
        const std::size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view word = rest.substr(0, end);
        const std::size_t equals = word.find('=');
        if (const SheetOptionRow *row = findSheetOption(word.substr(0, equals)); row && equals != std::string_view::npos)
            row->read(request, row->key, word.substr(equals + 1));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return request.problems;
}

std::optional<Settings> settingsOf(const NamedStep &step) { return shownSettingsOf(problemsOf(step)); }

std::string_view gradeName(int grade)
{
    static constexpr std::string_view names[] = {"１年", "２年", "３年", "４年", "５年", "６年"};
    return grade >= 1 && grade <= 6 ? names[grade - 1] : std::string_view();
}

}  // namespace kolvara
