// A sheet as a pupil works it on a tablet: the problem page with a box for every place the
// pupil writes in, helper boxes included and answers left off, with those places in the
// order pupils write them, what belongs in each, and where each problem lies, so the page
// can mark on the device without working anything out itself.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "web_session.h"

namespace kolvara::web {

// Sheet No.`number` (1 is the first) of the session's request laid out for practice: every
// box on, helper boxes too, answers off; and around each problem, with its helper boxes, the
// rectangle in sheet units (left, top, right, bottom) the page shows it in: the area its ink
// takes (Drawing::areas).
// An answer's decimal point is the pupil's to set too: the drawing notes, for each answer
// with one, the answer row's boxes and the one the point follows (Drawing::points).
struct PracticeSheet {
    SheetPage page;
    std::vector<std::array<double, 4>> bounds;
};
PracticeSheet practiceSheet(const WebSession &session, int number);

// Sheet No.`number` (1 is the first) of the session's request for practice, as JSON:
// {"max", "no", "problems": [{"bounds": [l, t, r, b], "writes": [{"box", "answers",
// "helper", "label"}, ...], "point": {"boxes", "after", "label"}}], "page" (as pageJson)},
// bounds in sheet units around the problem and its helper boxes, writes in the order pupils
// write them, "answers" every notation that is right in the box (the answer page's first, ""
// for a box that may stay empty), "label" what a screen reader says for it; "point" only
// where the answer has a decimal point, which stands right of boxes[after].
// A number outside 1..MaxPupilNumber, or a practice the session refuses, gives {"error": why}
// in Japanese.
std::string practiceJson(const WebSession &session, int number);

}  // namespace kolvara::web
