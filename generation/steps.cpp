#include "steps.h"

namespace kolvara {

// Digit kinds of the upper number (hundreds, tens, ones), of the lower number, then the
// carry modes of the ones, tens and hundreds, then the operation.
const std::array<NamedStep, 14> NamedSteps{{
    {"add-1", "１けたのたし算（くり上がりなし）", Settings{Zero, Zero, Rest, Zero, Zero, Rest, Nashi, Nashi, Nashi, 0}},
    {"add-1-carry", "１けたのたし算（くり上がりあり）", Settings{Zero, Zero, Rest, Zero, Zero, Rest, Ari, Nashi, Nashi, 0}},
    {"add-2", "２けたのたし算（くり上がりなし）", Settings{Zero, Rest, All, Zero, Rest, All, Nashi, Nashi, Nashi, 0}},
    {"add-2-carry-ones", "２けたのたし算（一の位がくり上がる）", Settings{Zero, Rest, All, Zero, Rest, All, Ari, Nashi, Nashi, 0}},
    {"add-2-carry-tens", "２けたのたし算（十の位がくり上がる）", Settings{Zero, Rest, All, Zero, Rest, All, Nashi, Ari, Nashi, 0}},
    {"add-2-carry-twice", "２けたのたし算（くり上がり２回）", Settings{Zero, Rest, All, Zero, Rest, All, Ari, Ari, Nashi, 0}},
    {"add-3", "３けたのたし算", Settings{Rest, All, All, Rest, All, All, Konzai, Konzai, Nashi, 0}},
    {"sub-1", "１けたのひき算（くり下がりなし）", Settings{Zero, Zero, Rest, Zero, Zero, All, Nashi, Nashi, Nashi, 1}},
    {"sub-2-1-borrow", "２けた－１けた（くり下がりあり）", Settings{Zero, Rest, All, Zero, Zero, Rest, Ari, Nashi, Nashi, 1}},
    {"sub-2", "２けたのひき算（くり下がりなし）", Settings{Zero, Rest, All, Zero, Rest, All, Nashi, Nashi, Nashi, 1}},
    {"sub-2-borrow", "２けたのひき算（くり下がりあり）", Settings{Zero, Rest, All, Zero, Rest, All, Ari, Nashi, Nashi, 1}},
    {"sub-3-from-hundreds", "百の位からのくり下がり", Settings{Rest, All, All, Rest, All, All, Nashi, Ari, Nashi, 1}},
    {"sub-3-zero-tens", "十の位が０のくり下がり", Settings{Rest, Zero, All, All, All, Rest, Ari, Ari, Nashi, 1}},
    {"sub-3", "３けたのひき算", Settings{Rest, All, All, Rest, All, All, Konzai, Konzai, Nashi, 1}},
}};

const NamedStep *findStep(std::string_view key)
{
    for (const NamedStep &step : NamedSteps)
        if (step.key == key)
            return &step;
    return nullptr;
}

}  // namespace kolvara
