#include "steps.h"

namespace kolvara {

// kolvara-sheet's options of each step: --op, --upper, --lower, --carry (hundreds to ones,
// or as many letters as the longer number has places) and --zero-end.
const std::array<NamedStep, 30> NamedSteps{{
    {"add-1", "１けたのたし算（くり上がりなし）", 1, "add", "00n", "00n", "nnn", "m"},
    {"add-1-carry", "１けたのたし算（くり上がりあり）", 1, "add", "00n", "00n", "nny", "m"},
    {"sub-1", "１けたのひき算（くり下がりなし）", 1, "sub", "00n", "00a", "nnn", "m"},
    {"sub-2-1-borrow", "２けた－１けた（くり下がりあり）", 1, "sub", "0na", "00n", "nny", "m"},
    {"add-2", "２けたのたし算（くり上がりなし）", 2, "add", "0na", "0na", "nnn", "m"},
    {"add-2-carry-ones", "２けたのたし算（一の位がくり上がる）", 2, "add", "0na", "0na", "nny", "m"},
    {"add-2-carry-tens", "２けたのたし算（十の位がくり上がる）", 2, "add", "0na", "0na", "nyn", "m"},
    {"add-2-carry-twice", "２けたのたし算（くり上がり２回）", 2, "add", "0na", "0na", "nyy", "m"},
    {"sub-2", "２けたのひき算（くり下がりなし）", 2, "sub", "0na", "0na", "nnn", "m"},
    {"sub-2-borrow", "２けたのひき算（くり下がりあり）", 2, "sub", "0na", "0na", "nny", "m"},
    {"add-3", "３けたのたし算", 3, "add", "naa", "naa", "nmm", "m"},
    {"add-3-carry-tens", "３けたのたし算（十の位だけくり上がる）", 3, "add", "naa", "naa", "nyn", "m"},
    {"add-3-carry-twice", "３けたのたし算（十の位と百の位でくり上がる）", 3, "add", "naa", "naa", "yyn", "m"},
    {"sub-3-from-hundreds", "百の位からのくり下がり", 3, "sub", "naa", "naa", "nyn", "m"},
    {"sub-3-zero-tens", "十の位が０のくり下がり", 3, "sub", "n0a", "aan", "nyy", "m"},
    {"sub-3", "３けたのひき算", 3, "sub", "naa", "naa", "nmm", "m"},
    {"sub-4-thousand", "何千からのひき算（1000－265）", 3, "sub", "n000", "naa", "mmmm", "m"},
    {"add-4", "４けたのたし算", 3, "add", "naaa", "naaa", "nmmm", "m"},
    {"add-4-3", "４けた＋３けた（4897＋389）", 3, "add", "naaa", "naa", "mmmm", "m"},
    {"sub-4-3", "４けた－３けた（4897－389）", 3, "sub", "naaa", "naa", "mmmm", "m"},
    {"mixed-3", "３けたのたし算とひき算", 3, "mixed", "naa", "naa", "nmm", "m"},
    {"mixed-4", "４けたのたし算とひき算", 3, "mixed", "naaa", "naa", "mmmm", "m"},
    {"dec-1-add", "小数のたし算（1/10の位）", 4, "add", "a.n", "a.n", "m.m", "m"},
    {"dec-1-sub", "小数のひき算（1/10の位）", 4, "sub", "a.n", "a.n", "m.m", "m"},
    {"dec-2-add", "小数のたし算（1/100の位）", 4, "add", "a.an", "a.an", "m.mm", "m"},
    {"dec-2-sub", "小数のひき算（1/100の位）", 4, "sub", "a.an", "a.an", "m.mm", "m"},
    {"dec-lengths", "けた数のちがう小数のたし算（3.45＋2.7）", 4, "add", "a.an", "a.n", "m.mm", "m"},
    {"dec-whole-minus", "整数－小数（5－1.25）", 4, "sub", "n", "a.an", "m.mm", "m"},
    {"dec-zero-end", "答えの終わりが０になる小数のたし算", 4, "add", "a.an", "a.an", "m.mm", "y"},
    {"dec-mixed", "小数のたし算とひき算", 4, "mixed", "a.an", "a.an", "m.mm", "m"},
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
    c.operation = step.op == "sub" ? Operation::Subtract : step.op == "mixed" ? Operation::Mixed : Operation::Add;
    // The table's patterns are good: a test reads every one.
    readNumberPattern("upper", step.upper, c.upper);
    readNumberPattern("lower", step.lower, c.lower);
    readCarryPattern("carry", step.carry, c.carry);
    c.zeroEnd = std::uint8_t(CarryLetters.find(step.zeroEnd.empty() ? 'm' : step.zeroEnd[0]));
    return c;
}

std::optional<Settings> settingsOf(const NamedStep &step) { return settingsOf(problemsOf(step)); }

std::string_view gradeName(int grade)
{
    static constexpr std::string_view names[] = {"１年", "２年", "３年", "４年", "５年", "６年"};
    return grade >= 1 && grade <= 6 ? names[grade - 1] : std::string_view();
}

}  // namespace kolvara
