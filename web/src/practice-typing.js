// How a pupil's keys fill the boxes of one problem, and how the boxes are marked. The module
// sends each box with every notation that is right in it (["11", "1"] over a digit that lends
// and borrows; [""] where nothing is written) in the order pupils write; this file only walks
// that order and compares strings.
//
// A box is `{ answers, helper, value }`; a problem `{ writes (indices into the boxes), point }`
// with `point` `{ boxes, after, value }` when its answer has a decimal point, `value` being
// the index into `boxes` the pupil put the point after (null: none yet).

// Whether the box counts in the marking, and so whether the cursor stops at it by itself:
// helper boxes only when the teacher counts them (a tap reaches them all the same).
export function counted(box, helpers) {
  return !box.helper || helpers === 'count';
}

// The box after (or before, step -1) write `from` of the problem that the cursor stops at; -1 for none.
export function nextOnPath(problem, boxes, from, helpers, step = 1) {
  const writes = problem.writes;
  for (let i = writes.indexOf(from) + step; i >= 0 && i < writes.length; i += step)
    if (counted(boxes[writes[i]], helpers)) return writes[i];
  return -1;
}

// Where the cursor starts in a problem: the first box on the path still empty, else the first.
export function startOf(problem, boxes, helpers) {
  const path = problem.writes.filter((w) => counted(boxes[w], helpers));
  return path.find((w) => boxes[w].value === '') ?? path[0] ?? problem.writes[0] ?? -1;
}

// Whether `text` begins a right notation of the box that is longer than it: the box waits for
// a second digit (the 1 of 11 over a digit that lends and borrows).
function begins(box, text) {
  return box.answers.some((a) => a.length > text.length && a.startsWith(text));
}

// A digit typed with the cursor at `cursor`; `pending` is the box that took the last digit
// and may take a second. Returns the new cursor and pending box.
//
// A box waits for a second digit only when its first is not right alone but begins a right
// notation (the 1 of 13 over a 4 that lends and borrows): then any other digit goes on to
// the next box, so no digit of a right working lands in the wrong box. A box returned to
// that holds a digit takes the ten added before it (1 over 3 makes 13) or a digit after it
// where that makes a right notation; anything else replaces what it holds.
export function typeDigit(problem, boxes, cursor, pending, digit, helpers) {
  if (cursor < 0) return { cursor, pending: -1 };
  const box = boxes[cursor];
  if (pending === cursor) {
    if (box.answers.some((a) => a.startsWith(box.value + digit))) {
      box.value += digit;
      return begins(box, box.value) && !box.answers.includes(box.value) ? { cursor, pending: cursor }
        : advance(problem, boxes, cursor, helpers);
    }
    // Not a second digit of this box: it belongs to the next one.
    const next = nextOnPath(problem, boxes, cursor, helpers);
    if (next < 0) return { cursor, pending: -1 };
    return typeDigit(problem, boxes, next, -1, digit, helpers);
  }
  const held = box.value;
  if (held && box.answers.includes(held + digit)) box.value = held + digit;
  else if (held && box.answers.includes(digit + held)) box.value = digit + held;
  else box.value = digit;
  if (box.value === digit && begins(box, digit) && !box.answers.includes(digit)) return { cursor, pending: cursor };
  return advance(problem, boxes, cursor, helpers);
}

function advance(problem, boxes, cursor, helpers) {
  const next = nextOnPath(problem, boxes, cursor, helpers);
  return { cursor: next < 0 ? cursor : next, pending: -1 };
}

// けす: the box's last digit; an empty box gives way to the one before it, as a pupil takes
// back the last digit written.
export function eraseAt(problem, boxes, cursor, helpers) {
  if (cursor < 0) return cursor;
  if (boxes[cursor].value === '') {
    const before = nextOnPath(problem, boxes, cursor, helpers, -1);
    if (before >= 0) cursor = before;
  }
  boxes[cursor].value = boxes[cursor].value.slice(0, -1);
  return cursor;
}

// The decimal point put right of the box the cursor is in, or of the next box of the answer's
// row when the cursor is elsewhere (a carry box); the same place again takes it away. False
// when the problem's answer has no point.
export function placePoint(problem, boxes, cursor) {
  const point = problem.point;
  if (!point) return false;
  let at = -1;
  const writes = problem.writes;
  for (let i = Math.max(writes.indexOf(cursor), 0); i < writes.length && at < 0; ++i)
    at = point.boxes.indexOf(boxes[writes[i]].box);
  if (at < 0) at = point.boxes.length - 1;
  point.value = point.value === at ? null : at;
  return true;
}

// Every box the marking needs written is written, and the point placed.
export function filled(problem, boxes, helpers) {
  return problem.writes.every((w) => !counted(boxes[w], helpers) || boxes[w].answers.includes('') ||
    boxes[w].value !== '') && (!problem.point || problem.point.value !== null);
}

// Marks each counted box and the point right or wrong; true when all are right.
export function mark(problem, boxes, helpers) {
  let right = true;
  for (const w of problem.writes) {
    const b = boxes[w];
    b.wrong = counted(b, helpers) && !b.answers.includes(b.value);
    right &&= !b.wrong;
  }
  if (problem.point) {
    problem.point.wrong = problem.point.value !== problem.point.after;
    right &&= !problem.point.wrong;
  }
  return right;
}

export function unmark(problem, boxes) {
  for (const w of problem.writes) boxes[w].wrong = false;
  if (problem.point) problem.point.wrong = false;
}
