// What the practice keeps on the device: the pupil's results (local storage, kept between
// visits) and the work in progress (the tab's session storage, so a reload loses nothing).
// Anyone may have written there (an older page, another tab, a full disk, a curious pupil):
// everything read back is checked shape by shape, what fails is removed and reported as
// `broken`, and nothing here throws.

export const KEPT_RESULTS = 20;
// Each result under a key of its own, so two tabs marking at once never overwrite each other.
export const RESULT_PREFIX = 'kolvara.result.';
// Where results were kept as one list before: read once, moved to keys of their own.
export const OLD_RESULTS = 'kolvara.results';
export const WORK = 'kolvara.practice';

// Larger than any real sheet's work; longer entries are not even parsed.
const MAX_ENTRY_CHARS = 200000;

const isPlain = (value) => value !== null && typeof value === 'object' && Object.getPrototypeOf(value) === Object.prototype;
const isCount = (value, min, max) => Number.isInteger(value) && value >= min && value <= max;
const isText = (value, max) => typeof value === 'string' && value.length <= max;

// JSON of a stored entry, or `undefined` when it cannot be read.
function parse(text) {
  if (typeof text !== 'string' || text.length > MAX_ENTRY_CHARS) return undefined;
  try {
    return JSON.parse(text);
  } catch {
    return undefined;
  }
}

function attempt(action, otherwise) {
  try {
    return action();
  } catch {
    return otherwise;
  }
}

// ---- Results kept on the device ----

// A result as the page writes it, copied field by field; null when any field is amiss.
export function checkedResult(r) {
  if (!isPlain(r)) return null;
  if (!isText(r.date, 40) || !isText(r.step, 200) || !isCount(r.no, 1, 99999) || !isCount(r.total, 1, 10000) ||
    !isCount(r.right, 0, r.total) || !isCount(r.seconds, 0, 1e8) || (r.redo !== undefined && typeof r.redo !== 'boolean'))
    return null;
  const result = { date: r.date, step: r.step, no: r.no, right: r.right, total: r.total, seconds: r.seconds };
  if (r.redo) result.redo = true;
  return result;
}

function resultKeys() {
  const keys = [];
  for (let i = 0; i < localStorage.length; ++i) {
    const key = localStorage.key(i);
    if (key?.startsWith(RESULT_PREFIX)) keys.push(key);
  }
  return keys;
}

// The time a result's key was made, to order them by.
const timeOf = (key) => Number.parseInt(key.slice(RESULT_PREFIX.length), 10) || 0;

// Results kept before under one list: each moved to a key of its own, older than any new one.
function moveOldResults() {
  const raw = localStorage.getItem(OLD_RESULTS);
  if (raw === null) return false;
  const list = parse(raw);
  let broken = !Array.isArray(list) || list.length > KEPT_RESULTS;
  if (Array.isArray(list)) {
    for (let i = 0; i < list.length && i < KEPT_RESULTS; ++i) {
      const result = checkedResult(list[i]);
      if (result) localStorage.setItem(`${RESULT_PREFIX}${KEPT_RESULTS - i}-0`, JSON.stringify(result));
      else broken = true;
    }
  }
  localStorage.removeItem(OLD_RESULTS);
  return broken;
}

// The kept results, newest first, at most KEPT_RESULTS: older and unreadable ones are removed.
export function readResults() {
  return attempt(() => {
    let broken = attempt(moveOldResults, true);
    const found = [];
    for (const key of resultKeys()) {
      const result = checkedResult(parse(localStorage.getItem(key)));
      if (result) {
        found.push({ key, time: timeOf(key), result });
      } else {
        localStorage.removeItem(key);
        broken = true;
      }
    }
    found.sort((a, b) => b.time - a.time || (a.key < b.key ? 1 : -1));
    for (const { key } of found.slice(KEPT_RESULTS)) localStorage.removeItem(key);
    return { results: found.slice(0, KEPT_RESULTS).map((f) => f.result), broken };
  }, { results: [], broken: false });
}

// Keeps one result; false when the device refuses (storage full, private modes).
export function keepResult(result) {
  const key = `${RESULT_PREFIX}${Date.now()}-${Math.random().toString(36).slice(2, 10)}`;
  const kept = attempt(() => {
    localStorage.setItem(key, JSON.stringify(result));
    return true;
  }, false);
  if (kept) readResults();
  return kept;
}

export function clearResults() {
  attempt(() => {
    for (const key of resultKeys()) localStorage.removeItem(key);
    localStorage.removeItem(OLD_RESULTS);
  });
}

// ---- The work in progress, in the tab ----

const STATES = ['open', 'filled', 'right', 'wrong'];

// Every item of a list passes `check`; a plain loop, as the list may be of any length.
function every(list, check) {
  for (let i = 0; i < list.length; ++i) if (!check(list[i], i)) return false;
  return true;
}

// The work kept for the sheet `key` with `boxCount` boxes and a problem for each item of
// `pointPlaces`, the places its decimal point may take (0: the answer has none):
// { work, broken }. work is null when none is kept for this sheet; broken says an entry was
// there but could not be read (it is removed).
export function readWork(key, boxCount, pointPlaces) {
  const raw = attempt(() => sessionStorage.getItem(WORK), null);
  if (raw === null) return { work: null, broken: false };
  const kept = parse(raw);
  if (isPlain(kept) && typeof kept.key === 'string' && kept.key !== key) return { work: null, broken: false };
  const work = checkedWork(kept, key, boxCount, pointPlaces);
  if (!work) attempt(() => sessionStorage.removeItem(WORK));
  return { work, broken: !work };
}

function checkedWork(kept, key, boxCount, pointPlaces) {
  if (!isPlain(kept) || kept.key !== key) return null;
  const { values, states, order } = kept;
  const problemCount = pointPlaces.length;
  // A box holds up to two digits: 11 over a digit that lends and borrows in turn.
  if (!Array.isArray(values) || values.length !== boxCount || !every(values, (v) => typeof v === 'string' && /^[0-9]{0,2}$/.test(v)))
    return null;
  // Work kept before points were the pupil's has none: no point placed.
  const points = kept.points ?? Array(problemCount).fill(null);
  if (!Array.isArray(points) || points.length !== problemCount ||
    !every(points, (at, i) => at === null || isCount(at, 0, pointPlaces[i] - 1)))
    return null;
  if (!Array.isArray(states) || states.length !== problemCount || !every(states, (s) => STATES.includes(s))) return null;
  if (!Array.isArray(order) || order.length < 1 || order.length > problemCount) return null;
  const seen = new Set();
  if (!every(order, (i) => isCount(i, 0, problemCount - 1) && !seen.has(i) && seen.add(i))) return null;
  const current = kept.current ?? 0;
  if (!isCount(current, 0, order.length - 1)) return null;
  const finished = kept.finished ?? false;
  const redo = kept.redo ?? false;
  if (typeof finished !== 'boolean' || typeof redo !== 'boolean') return null;
  if (typeof kept.elapsed !== 'number' || !(kept.elapsed >= 0 && kept.elapsed < 1e10)) return null;
  const result = kept.result === null || kept.result === undefined ? null : checkedResult(kept.result);
  if (result === null && kept.result !== null && kept.result !== undefined) return null;
  return { values: values.slice(), points: points.slice(), states: states.slice(), order: order.slice(), current, finished,
    redo, elapsed: kept.elapsed, result };
}

// Keeps the work; false when the tab refuses.
export function keepWork(work) {
  return attempt(() => {
    sessionStorage.setItem(WORK, JSON.stringify(work));
    return true;
  }, false);
}
