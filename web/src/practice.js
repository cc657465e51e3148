// れんしゅう: a pupil works the sheet on the device, box by box, and marks it there. The
// module gives the page, the boxes in the order pupils write them, what belongs in each and
// where each problem lies (kv_practice); this file only shows them and compares digits.
//
// The address carries the practice after the sheet's own entries, and the module reads it
// with them: "practice" turns it on, "no=k" names the pupil's sheet (No.k of the link's run),
// "mark=each|end" and "helpers=count|free" are the teacher's choices. A class link has no
// "no": each pupil enters their 出席番号. The state's "practice" says what the address asks,
// and why a link that cannot open as it asks has no sheet to give.
import { element } from './dom.js';
import { pageSvg } from './sheet-svg.js';
import { showClassLink } from './class-link.js';
import { clearResults, keepResult, keepWork as storeWork, readResults, readWork } from './practice-store.js';
import * as typing from './practice-typing.js';

const words = {
  practice: 'れんしゅう',
  practiceHint: 'このプリントを この画面で 1問ずつ 解きます。数字は 画面のボタンか キーボードで 入れます。',
  classUse: 'クラスで使う',
  classUseHint: '出席番号ごとに ちがうプリントを 解く リンクと QRコードを 出します。',
  classTitle: 'クラスで使う リンク',
  classHelp: (max) => `子どもたちは このリンクか QRコードを 開いて、出席番号（1～${max}）を 入れます。` +
    '出席番号 k の子には、このプリントの No.k が出ます（kolvara-sheet の --sheets 40 と同じ番号・同じ答え）。',
  markChoice: 'まるつけ',
  markEach: '1問ずつ すぐに',
  markEnd: '最後に まとめて',
  helpersChoice: 'くり上がり・くり下がりの ます',
  helpersFree: 'メモとして 自由に',
  helpersCount: '答え合わせに 入れる',
  copy: 'リンクをコピー',
  copied: 'コピーしました。',
  print: '印刷',
  close: 'とじる',
  back: 'もどる',
  erase: 'けす',
  skip: 'とばす',
  point: '．',
  noPoint: 'この もんだいの こたえに しょうすうてんは ないよ。',
  more: 'もう ひとつ かくなら つづけて。つぎの ますへは 「とばす」。',
  pointHint: '「．」は いま えらんでいる ますの みぎに つきます。',
  next: 'つぎ',
  mark: 'まるつけ',
  start: 'はじめる',
  askNumber: 'しゅっせきばんごうを いれてね',
  badNumber: (max, typed) => `${typed ? `「${typed.slice(0, 8)}」ばんは ありません。` : ''}1から ${max}までの ばんごうを いれてね。`,
  sheetNo: (no) => `No.${no}`,
  problem: (n) => `(${n})`,
  score: (total, right) => `${total}もん中${right}もん せいかい`,
  time: (seconds) => `かかった じかん　${Math.floor(seconds / 60)}ぷん ${seconds % 60}びょう`,
  redo: 'まちがえた もんだいを もういちど',
  look: 'もんだいを みる',
  results: 'けっか',
  clearResults: 'けっかを けす',
  noResults: 'まだ ありません',
  rightSaid: '○ せいかい！',
  wrongSaid: '× 赤い ますを みなおそう',
  right: '○',
  wrong: '×',
  filled: '・',
  failed: 'うまく ひらけませんでした。もういちど ばんごうを いれてね。',
  refused: 'この リンクは つかえません。せんせいに しらせてね。',
  brokenWork: 'まえの とちゅうの きろくが よめなかったので、はじめから です。',
  brokenResults: 'まえの けっかの きろくが よめなかったので、けしました。',
  notKept: 'けっかを この きかいに のこせませんでした。',
  markedSaid: 'まるつけ した あとは かきなおせないよ。まちがえた もんだいは 「もういちど」で。',
  wrongOnes: 'まちがい：',
  redone: 'やりなおし',
  redoScore: (total, right) => `やりなおし ${total}もん中${right}もん せいかい`,
  clearAsk: 'けっかを ぜんぶ けしますか？',
  yes: 'はい',
  no: 'いいえ',
  toMark: 'まるつけへ',
  stage: 'こたえを かく ところ（M で まるつけへ）',
  boxAt: (place) => `${place}ばんめの ます`,
  boxOpen: (n, label) => `(${n}) ${label}、あいて います`,
  boxWritten: (n, label, digit) => `(${n}) ${label} に ${digit}`,
};

const SVG = 'http://www.w3.org/2000/svg';
const WIDE_DIGITS = '０１２３４５６７８９';

function svgElement(tag, attributes = {}) {
  const e = document.createElementNS(SVG, tag);
  for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, String(value));
  return e;
}

function button(text, attributes = {}) {
  return element('button', { type: 'button', ...attributes }, text);
}

// ---- The practice ----

let host;        // what the page lends: the module, its state, its names, its entries
let root;        // the practice's own screen
let sheet;       // kv_practice's answer for the sheet being worked
let boxes;       // by write: {problem, box, answer, helper, value, wrong, cell}
let problems;    // by problem: {bounds, writes (indices into boxes), state}
let order;       // the problems being worked, by index: all, or those wrong last time
let current = 0; // index into order
let cursor = -1; // index into boxes
let pending = -1; // the box that took the last digit and may take a second (the 1 of 11)
let started = 0;
let typedNumber = '';
let finished = false;
let lastResult = null;  // of the last まるつけ, for the teacher to see again
let redoing = false;    // the sheet's wrong problems worked again
let unkept = [];        // results the device refused, shown for this visit all the same
let notKept = false;    // the last まるつけ's result could not be kept
let beforeResult = null; // what had the focus before the result opened

// The practice as the module has it: {on, no (0 none), mark, helpers, refusal}.
const asked = () => host.state().practice;

// The page hands over what the practice needs once, at its start.
export function setUpPractice(page) {
  host = page;
  const practice = button(words.practice, { id: 'practice-start', title: words.practiceHint });
  const classUse = button(words.classUse, { id: 'class-start', title: words.classUseHint });
  document.getElementById('save').after(element('span', { id: 'practice-tools' }, practice, classUse));
  practice.addEventListener('click', () => {
    // The sheet on screen, No.1, marked as a class link marks by default.
    for (const [key, value] of [['practice', '1'], ['mark', 'end'], ['helpers', 'free'], ['no', '1']])
      if (!host.set(key, value)) return;
    showPractice();
  });
  classUse.addEventListener('click', () => showClassLink(host, words, maxNumber));
  document.addEventListener('keydown', onKey);
  window.addEventListener('afterprint', () => delete document.documentElement.dataset.printing);
}

// Shows the practice an address the page has just opened asks for, or the page.
export function openPractice() {
  if (!host) return;
  if (asked()?.on) showPractice();
  else hidePractice();
}

function hidePractice() {
  if (root) root.hidden = true;
  document.documentElement.classList.remove('practising');
  sheet = null;
}

function leave() {
  hidePractice();
  host.set('practice', '0');
  document.getElementById('practice-start')?.focus({ preventScroll: true });
}

function buildScreen() {
  if (root) return;
  const pad = element('div', { class: 'pad', role: 'group' });
  for (const key of ['7', '8', '9', 'erase', '4', '5', '6', 'skip', '1', '2', '3', 'next', '0', 'point', 'mark']) {
    const text = words[key] ?? WIDE_DIGITS[Number(key)];
    pad.append(button(text, { 'data-key': key, class: `key key-${key}`, 'aria-keyshortcuts': key === 'mark' ? 'M' : null }));
  }
  pad.addEventListener('click', (event) => {
    const key = event.target.closest('button')?.dataset.key;
    if (key) pressKey(key);
  });
  // Hidden until a keyboard reaches it: the way past the problem numbers to まるつけ.
  const toMark = button(words.toMark, { id: 'practice-to-mark', class: 'skip-link' });
  toMark.addEventListener('click', () => root.querySelector('#practice > .pad .key-mark')?.focus());
  root = element('section', { id: 'practice', 'aria-label': words.practice, hidden: true },
    toMark,
    element('header', { class: 'practice-bar' },
      button(words.back, { id: 'practice-back' }),
      element('span', { id: 'practice-title' }),
      button(words.results, { id: 'practice-results' })),
    element('nav', { id: 'practice-strip', 'aria-label': 'もんだい' }),
    element('div', { id: 'practice-stage', role: 'application', tabindex: '0', 'aria-label': words.stage,
      'aria-describedby': 'practice-cursor' }),
    element('p', { id: 'practice-say', role: 'status' }),
    element('p', { id: 'practice-cursor', class: 'visually-hidden', 'aria-live': 'polite' }),
    pad,
    element('div', { id: 'practice-number', hidden: true }),
    element('div', { id: 'practice-result', role: 'dialog', 'aria-modal': 'true', hidden: true }));
  document.body.append(root);
  // A turned phone or a resized window sizes the problem anew.
  new ResizeObserver(() => {
    if (sheet && !root.hidden) fitProblem();
  }).observe(root.querySelector('#practice-stage'));
  // A click on a key or a problem number leaves the focus where it was, so Enter stays つぎ
  // rather than pressing the last key again.
  root.addEventListener('mousedown', (event) => {
    if (event.target.closest('.pad, #practice-strip')) event.preventDefault();
  });
  root.querySelector('#practice-back').addEventListener('click', leave);
  root.querySelector('#practice-results').addEventListener('click', () => showResult(finished ? lastResult : null));
  root.querySelector('#practice-strip').addEventListener('click', (event) => {
    const at = event.target.closest('button')?.dataset.at;
    if (at !== undefined) {
      goTo(Number(at));
      keepWork();
    }
  });
  root.querySelector('#practice-stage').addEventListener('pointerdown', onTap);
}

function say(text) {
  root.querySelector('#practice-say').textContent = text;
}

function showPractice() {
  buildScreen();
  root.hidden = false;
  document.documentElement.classList.add('practising');
  root.querySelector('#practice-refused')?.remove();
  if (asked().refusal) {
    refuse(asked().refusal);
    return;
  }
  let max, answer;
  try {
    max = maxNumber();
    if (!asked().no) {
      askNumber('', max);
      return;
    }
    answer = host.kv().practice(asked().no);
  } catch (error) {
    // The module stopped (the page starts it again): the pupil may try once more.
    console.error(error);
    askNumber(words.failed, classSize);
    return;
  }
  if (answer.error) {
    askNumber(answer.error, max);
    return;
  }
  startSheet(answer);
}

// A link that cannot open as it asks: no sheet, no pad, nothing to keep; the pupil is told
// to fetch the teacher, and the teacher why, a reason a line.
function refuse(reason) {
  sheet = null;
  for (const id of ['practice-strip', 'practice-stage', 'practice-say', 'practice-number', 'practice-result'])
    root.querySelector(`#${id}`).hidden = true;
  root.querySelector('.pad').hidden = true;
  root.querySelector('#practice-stage').replaceChildren();
  root.querySelector('#practice-title').textContent = words.practice;
  root.append(element('div', { id: 'practice-refused', role: 'alert' },
    element('p', { class: 'refused' }, words.refused),
    ...reason.split('\n').map((line) => element('p', { class: 'reason' }, line))));
}

// ---- 出席番号 ----

// The class's largest 出席番号, as the module has it.
let classSize = 40;
function maxNumber() {
  classSize = host.kv()?.practice(0).max ?? classSize;
  return classSize;
}

function askNumber(message, max) {
  sheet = null;
  typedNumber = '';
  for (const id of ['practice-strip', 'practice-stage', 'practice-say']) root.querySelector(`#${id}`).hidden = true;
  root.querySelector('.pad').hidden = true;
  root.querySelector('#practice-result').hidden = true;
  root.querySelector('#practice-title').textContent = words.practice;
  const box = root.querySelector('#practice-number');
  box.hidden = false;
  const shown = element('output', { id: 'number-shown', 'aria-live': 'polite' }, '');
  const pad = element('div', { class: 'pad number-pad' });
  for (const key of ['7', '8', '9', '4', '5', '6', '1', '2', '3', 'erase', '0', 'start'])
    pad.append(button(words[key] ?? WIDE_DIGITS[Number(key)], { 'data-key': key, class: `key key-${key}` }));
  pad.addEventListener('click', (event) => {
    const key = event.target.closest('button')?.dataset.key;
    if (key) numberKey(key, max);
  });
  box.replaceChildren(element('p', { class: 'ask' }, words.askNumber),
    element('p', { id: 'number-message', role: 'alert' }, message), shown, pad);
}

function numberKey(key, max) {
  const shown = root.querySelector('#number-shown');
  if (/^[0-9]$/.test(key)) {
    if (typedNumber.length < 2) typedNumber += key;
  } else if (key === 'erase') {
    typedNumber = typedNumber.slice(0, -1);
  } else if (key === 'start') {
    // The module reads the number as the address does; one outside the class is asked again.
    const next = host.set('no', typedNumber);
    if (!next) return;
    if (!next.understood) {
      root.querySelector('#number-message').textContent = words.badNumber(max, typedNumber);
      typedNumber = '';
    } else {
      showPractice();
      return;
    }
  }
  shown.textContent = typedNumber;
}

// ---- The sheet ----

function startSheet(answer) {
  sheet = answer;
  root.querySelector('#practice-number').hidden = true;
  for (const id of ['practice-strip', 'practice-stage', 'practice-say']) root.querySelector(`#${id}`).hidden = false;
  root.querySelector('.pad').hidden = false;
  // The point's key only where an answer has a point: the numbers of the problem show that already.
  root.querySelector('.pad .key-point').hidden = !answer.problems.some((p) => p.point);
  root.querySelector('#practice-result').hidden = true;
  const step = host.info().steps.find((s) => s.key === host.state().step)?.name ?? '';
  // The step's name may be cut short; No.k never is.
  root.querySelector('#practice-title').replaceChildren(element('span', { class: 'step' }, step),
    element('span', { class: 'no' }, words.sheetNo(answer.no)));
  boxes = [];
  problems = answer.problems.map((p, i) => ({
    bounds: p.bounds,
    writes: p.writes.map((w) => boxes.push({ problem: i, box: w.box, answers: w.answers, helper: w.helper,
      label: w.label, value: '' }) - 1),
    point: p.point ? { ...p.point, value: null } : null,
    state: 'open',
  }));
  order = problems.map((_, i) => i);
  finished = false;
  redoing = false;
  lastResult = null;
  started = Date.now();
  workKey = host.state().address;
  const notices = [];
  const at = takeUpWork(notices);
  if (readResults().broken) notices.push(words.brokenResults);
  drawSheet();
  drawStrip();
  goTo(at);
  // Said once: the next key clears it.
  if (notices.length) say(notices.join(''));
  root.querySelector('#practice-stage').focus({ preventScroll: true });
}

// ---- The work so far, kept in the tab: a slip onto もどる or a reload loses nothing ----

let workKey = '';

function keepWork() {
  if (!sheet) return;
  // Private modes may refuse: the work stays on screen.
  storeWork({
    key: workKey, values: boxes.map((b) => b.value), points: problems.map((p) => p.point?.value ?? null),
    states: problems.map((p) => p.state), order, current, finished, redo: redoing, elapsed: Date.now() - started,
    result: lastResult,
  });
}

// The work kept for this sheet taken up again; answers the place in `order` the pupil was at.
// Work that cannot be read is told in `notices` and the sheet starts afresh.
function takeUpWork(notices) {
  const { work, broken } = readWork(workKey, boxes.length, problems.map((p) => p.point?.boxes.length ?? 0));
  if (broken) notices.push(words.brokenWork);
  if (!work) return 0;
  work.values.forEach((value, i) => { boxes[i].value = value; });
  problems.forEach((p, i) => {
    if (p.point) p.point.value = work.points[i];
  });
  problems.forEach((p, i) => {
    if (work.states[i] === 'right' || work.states[i] === 'wrong') markProblem(p);
    else unmarkProblem(p);
  });
  order = work.order;
  finished = work.finished;
  redoing = work.redo;
  lastResult = finished ? work.result : null;
  started = Date.now() - work.elapsed;
  return work.current;
}

function markProblem(p) {
  p.state = typing.mark(p, boxes, asked().helpers) ? 'right' : 'wrong';
}

function unmarkProblem(p) {
  typing.unmark(p, boxes);
  p.state = typing.filled(p, boxes, asked().helpers) ? 'filled' : 'open';
}

function drawSheet() {
  const stage = root.querySelector('#practice-stage');
  stage.innerHTML = pageSvg(sheet.page, 'practice-');
  // The picture stays hidden from screen readers (its digits would read as one long number):
  // the live region says where the cursor is and what it holds.
  const svg = stage.querySelector('svg');
  const group = svg.querySelector('g');
  const layer = svgElement('g', { class: 'writes' });
  const at = sheet.page.boxes;
  for (const [i, b] of boxes.entries()) {
    const l = at[4 * b.box], t = at[4 * b.box + 1], r = at[4 * b.box + 2], bottom = at[4 * b.box + 3];
    const size = bottom - t;
    const cell = svgElement('g', { class: b.helper ? 'cell helper' : 'cell', 'data-write': i, 'data-problem': b.problem });
    cell.append(svgElement('rect', { x: l, y: t, width: r - l, height: size, class: 'frame' }),
      svgElement('line', { x1: l + size * 0.15, y1: bottom - size * 0.15, x2: r - size * 0.15, y2: t + size * 0.15,
        class: 'slash' }),
      Object.assign(svgElement('text', { x: (l + r) / 2, y: bottom - size * 0.16, 'font-size': size * 0.86,
        'text-anchor': 'middle', class: 'face1 digit' }), { textContent: '' }));
    b.cell = cell;
    layer.append(cell);
  }
  // The pupil's decimal points, over the boxes so the cursor's fill never hides one.
  const points = svgElement('g', { class: 'points' });
  for (const p of problems) {
    if (!p.point) continue;
    const size = at[4 * p.point.boxes[0] + 3] - at[4 * p.point.boxes[0] + 1];
    p.point.mark = svgElement('g', { class: 'point', 'data-problem': problems.indexOf(p) });
    p.point.mark.append(svgElement('circle', { r: size * 0.14, class: 'frame' }),
      svgElement('circle', { r: size * 0.06, class: 'dot' }));
    points.append(p.point.mark);
  }
  const marks = svgElement('g', { class: 'marks' });
  for (const p of problems) {
    const [l, t, r, bottom] = p.bounds;
    const cx = (l + r) / 2, cy = (t + bottom) / 2, radius = Math.min(r - l, bottom - t) * 0.42;
    const mark = svgElement('g', { class: 'mark' });
    mark.append(svgElement('circle', { cx, cy, r: radius, class: 'right-mark' }),
      svgElement('path', { d: `M${cx - radius} ${cy - radius}L${cx + radius} ${cy + radius}M${cx + radius} ${cy - radius}` +
        `L${cx - radius} ${cy + radius}`, class: 'wrong-mark' }));
    p.mark = mark;
    marks.append(mark);
  }
  // Only the problem shows, whatever the stage's proportions: its neighbours stay hidden.
  const clip = svgElement('clipPath', { id: 'practice-crop', clipPathUnits: 'userSpaceOnUse' });
  clip.append(svgElement('rect', {}));
  group.append(layer, points, marks, clip);
  group.setAttribute('clip-path', 'url(#practice-crop)');
}

function drawStrip() {
  const strip = root.querySelector('#practice-strip');
  strip.replaceChildren(...order.map((index, at) => button('', { 'data-at': String(at), class: 'number' })));
  showStrip();
}

function showStrip() {
  const strip = root.querySelector('#practice-strip');
  order.forEach((index, at) => {
    const p = problems[index];
    const b = strip.children[at];
    const mark = p.state === 'right' ? words.right : p.state === 'wrong' ? words.wrong : p.state === 'filled' ? words.filled : '';
    b.textContent = '';
    b.append(element('span', { class: 'n' }, words.problem(index + 1)), element('span', { class: 'm' }, mark));
    b.dataset.state = p.state;
    b.setAttribute('aria-current', at === current ? 'true' : 'false');
    b.setAttribute('aria-label', `${words.problem(index + 1)} ${mark}`);
  });
  // The strip scrolls by itself, never the page.
  const active = strip.children[current];
  if (active) {
    const left = active.offsetLeft - strip.offsetLeft, right = left + active.offsetWidth;
    if (left < strip.scrollLeft) strip.scrollLeft = left;
    else if (right > strip.scrollLeft + strip.clientWidth) strip.scrollLeft = right - strip.clientWidth;
  }
}

function showProblem() {
  const index = order[current];
  const p = problems[index];
  const [sx, sy, ox, oy] = sheet.page.placement;
  const [l, t, r, b] = p.bounds;
  const margin = 8;
  const svg = root.querySelector('#practice-stage svg');
  svg.setAttribute('viewBox', `${ox + sx * (l - margin)} ${oy + sy * (t - margin)} ${sx * (r - l + 2 * margin)} ` +
    `${sy * (b - t + 2 * margin)}`);
  const crop = svg.querySelector('#practice-crop rect');
  // The heading or a neighbour may reach into the margin: the picture shows the problem alone.
  for (const [key, value] of Object.entries({ x: l - 1, y: t - 1, width: r - l + 2, height: b - t + 2 }))
    crop.setAttribute(key, String(value));
  for (const [i, box] of boxes.entries()) {
    const text = box.cell.querySelector('text');
    text.textContent = box.value;
    // Two digits (11 over a digit that lends and borrows) set narrower to stay in the box.
    if (box.value.length > 1) text.setAttribute('textLength', String(Number(box.cell.querySelector('rect').getAttribute('width')) * 0.8));
    else text.removeAttribute('textLength');
    box.cell.classList.toggle('wrong', Boolean(box.wrong));
    box.cell.classList.toggle('cursor', i === cursor);
  }
  for (const [i, q] of problems.entries()) {
    q.mark.dataset.state = i === index ? q.state : 'hidden';
    if (q.point) showPoint(q.point);
  }
  say(p.state === 'right' ? words.rightSaid : p.state === 'wrong' ? words.wrongSaid : pending === cursor && cursor >= 0
    ? words.more : p.point && p.point.value === null && p.writes.every((w) => boxes[w].value === '') ? words.pointHint : '');
  root.dataset.cursor = String(cursor);
  root.dataset.problem = String(index);
  showStrip();
  fitProblem();
  tell(describeCursor());
}

// ---- Sizing: every box a fingertip wide ----

// The smallest box, helper boxes too, is never drawn smaller than this many CSS pixels.
const FINGERTIP = 44;

// Sizes the picture of the problem to fill the stage, or larger, so that its smallest box is
// a fingertip wide; a picture larger than the stage scrolls within it.
function fitProblem() {
  const stage = root.querySelector('#practice-stage');
  const svg = stage.querySelector('svg');
  const p = problems?.[order[current]];
  if (!svg || !p || !stage.clientWidth || !stage.clientHeight) return;
  const [, , width, height] = svg.getAttribute('viewBox').split(' ').map(Number);
  const [sx, sy] = sheet.page.placement;
  const at = sheet.page.boxes;
  let smallest = Infinity;
  for (const w of p.writes) {
    const box = boxes[w].box;
    smallest = Math.min(smallest, Math.abs(sx * (at[4 * box + 2] - at[4 * box])), Math.abs(sy * (at[4 * box + 3] - at[4 * box + 1])));
  }
  const fit = Math.min(stage.clientWidth / width, stage.clientHeight / height);
  // Half a pixel to spare, as the sizes below are whole pixels.
  const needed = smallest > 0 && Number.isFinite(smallest) ? (FINGERTIP + 0.5) / smallest : 0;
  const scale = Math.max(fit, needed);
  svg.style.width = `${Math.floor(width * scale)}px`;
  svg.style.height = `${Math.floor(height * scale)}px`;
  stage.classList.toggle('scrolls', scale > fit);
  keepCursorInView();
}

// A stage that scrolls keeps the cursor's box in sight, a little clear of its edges.
function keepCursorInView() {
  const stage = root.querySelector('#practice-stage');
  const cell = cursor >= 0 ? boxes[cursor]?.cell?.querySelector('rect') : null;
  if (!cell || !stage.classList.contains('scrolls')) return;
  const s = stage.getBoundingClientRect(), c = cell.getBoundingClientRect();
  const room = 8;
  const left = s.left + stage.clientLeft, top = s.top + stage.clientTop;
  if (c.left < left + room) stage.scrollLeft -= left + room - c.left;
  else if (c.right > left + stage.clientWidth - room) stage.scrollLeft += c.right - (left + stage.clientWidth - room);
  if (c.top < top + room) stage.scrollTop -= top + room - c.top;
  else if (c.bottom > top + stage.clientHeight - room) stage.scrollTop += c.bottom - (top + stage.clientHeight - room);
}

// ---- What a screen reader says ----

// The box `at` (the cursor's unless given) in words: its problem, its name, what it holds.
export function describeCursor(at = cursor) {
  const b = at >= 0 ? boxes?.[at] : null;
  if (!b) return '';
  const label = b.label || words.boxAt(problems[b.problem].writes.indexOf(at) + 1);
  return b.value === '' ? words.boxOpen(b.problem + 1, label) : words.boxWritten(b.problem + 1, label, b.value);
}

function tell(text) {
  const region = root.querySelector('#practice-cursor');
  if (region.textContent !== text) region.textContent = text;
}

// The point at the right edge of the box the pupil put it after, on the digits' baseline.
function showPoint(point) {
  const at = sheet.page.boxes;
  const placed = point.value !== null;
  point.mark.dataset.placed = String(placed);
  point.mark.classList.toggle('wrong', Boolean(point.wrong));
  const box = point.boxes[placed ? point.value : point.after];
  const x = at[4 * box + 2], y = at[4 * box + 3] - (at[4 * box + 3] - at[4 * box + 1]) * 0.16;
  for (const c of point.mark.querySelectorAll('circle')) {
    c.setAttribute('cx', String(x));
    c.setAttribute('cy', String(y));
  }
}

function goTo(at) {
  current = Math.max(0, Math.min(at, order.length - 1));
  const p = problems[order[current]];
  cursor = typing.startOf(p, boxes, asked().helpers);
  pending = -1;
  showProblem();
}

function afterChange(p) {
  if (finished) return;
  if (asked().mark === 'each' && typing.filled(p, boxes, asked().helpers)) markProblem(p);
  else unmarkProblem(p);
}

function press(key) {
  if (!sheet) return;
  // A marked sheet stays as it was marked: the wrong ones are worked again from the result.
  if (finished && key === 'mark') return showResult(lastResult);
  if (finished && !['next', 'left', 'right'].includes(key)) return;
  const p = problems[order[current]];
  const helpers = asked().helpers;
  if (/^[0-9]$/.test(key) && cursor >= 0) {
    ({ cursor, pending } = typing.typeDigit(p, boxes, cursor, pending, key, helpers));
    afterChange(p);
  } else if (key === 'point') {
    if (!typing.placePoint(p, boxes, cursor)) say(words.noPoint);
    pending = -1;
    afterChange(p);
  } else if (key === 'skip' && cursor >= 0) {
    const next = typing.nextOnPath(p, boxes, cursor, helpers);
    if (next >= 0) cursor = next;
    pending = -1;
  } else if (key === 'erase' && cursor >= 0) {
    cursor = typing.eraseAt(p, boxes, cursor, helpers);
    pending = -1;
    afterChange(p);
  } else if (key === 'next') {
    goTo(current + 1 < order.length ? current + 1 : 0);
    return;
  } else if (key === 'mark') {
    markAll();
    return;
  } else if (key === 'left' || key === 'right') {
    // Every box in turn, helper boxes too, for those who work by keys alone.
    const place = p.writes.indexOf(cursor) + (key === 'left' ? -1 : 1);
    if (place >= 0 && place < p.writes.length) cursor = p.writes[place];
    pending = -1;
  }
  keepWork();
  showProblem();
}

// A key of the pad or the keyboard. A marked sheet takes no digit, and says so; the box just
// written is told before the one the cursor moved to.
function pressKey(key) {
  if (finished && (/^[0-9]$/.test(key) || key === 'erase' || key === 'point')) {
    say(words.markedSaid);
    return;
  }
  const before = cursor, value = boxes?.[cursor]?.value;
  press(key);
  keepWork();
  if (before >= 0 && boxes?.[before] && boxes[before].value !== value && before !== cursor)
    tell(`${describeCursor(before)}。${describeCursor()}`);
}

function onTap(event) {
  if (!sheet) return;
  const layer = root.querySelector('#practice-stage .writes');
  const matrix = layer?.getScreenCTM();
  if (!matrix) return;
  const point = new DOMPoint(event.clientX, event.clientY).matrixTransform(matrix.inverse());
  const at = sheet.page.boxes;
  let best = -1, distance = Infinity;
  for (const w of problems[order[current]].writes) {
    const box = boxes[w].box;
    const [l, t, r, b] = [at[4 * box], at[4 * box + 1], at[4 * box + 2], at[4 * box + 3]];
    // Inside a box is that box; outside, the nearest edge, so a small helper box is as easy to choose.
    const d = Math.hypot(Math.max(l - point.x, 0, point.x - r), Math.max(t - point.y, 0, point.y - b));
    if (d < distance) [best, distance] = [w, d];
  }
  const size = best >= 0 ? at[4 * boxes[best].box + 3] - at[4 * boxes[best].box + 1] : 0;
  if (best >= 0 && distance < size * 0.75) {
    cursor = best;
    pending = -1;
    event.preventDefault();
    showProblem();
  }
}

function onKey(event) {
  if (event.key === 'Escape' && document.getElementById('class-link')) {
    document.getElementById('class-close').click();
    return;
  }
  const result = root?.querySelector('#practice-result');
  if (root && !root.hidden && result && !result.hidden) {
    if (event.key === 'Escape') {
      // The question first, then the dialog.
      const ask = result.querySelector('#practice-clear-ask');
      if (ask && !ask.hidden) result.querySelector('#practice-clear-no').click();
      else root.querySelector('#practice-look').click();
      event.preventDefault();
      return;
    }
    if (event.key === 'Tab') {
      // A modal dialog keeps the focus among its own buttons.
      const stops = [...result.querySelectorAll('button')].filter((b) => !b.closest('[hidden]') && !b.disabled);
      const at = stops.indexOf(document.activeElement);
      if (stops.length && (at < 0 || (event.shiftKey ? at === 0 : at === stops.length - 1))) {
        event.preventDefault();
        stops[event.shiftKey ? stops.length - 1 : 0].focus({ preventScroll: true });
      }
      return;
    }
  }
  if (!root || root.hidden || event.ctrlKey || event.metaKey || event.altKey) return;
  if (!root.querySelector('#practice-number').hidden) {
    const key = /^[0-9]$/.test(event.key) ? event.key : event.key === 'Backspace' ? 'erase' : event.key === 'Enter' ? 'start' : null;
    if (key && !(key === 'start' && event.target.closest?.('button'))) {
      event.preventDefault();
      numberKey(key, classSize);
    }
    return;
  }
  if (!sheet || !root.querySelector('#practice-result').hidden) return;
  if (event.key === 'm' || event.key === 'M') {
    // From the problem straight to まるつけ, without walking the pad.
    event.preventDefault();
    root.querySelector(':scope > .pad .key-mark')?.focus({ preventScroll: true });
    return;
  }
  const keys = { Backspace: 'erase', Delete: 'erase', Enter: 'next', ArrowLeft: 'left', ArrowRight: 'right', ' ': 'skip',
    '.': 'point', '．': 'point' };
  const key = /^[0-9]$/.test(event.key) ? event.key : keys[event.key];
  if (!key || ((key === 'next' || key === 'skip') && event.target.closest?.('button'))) return;
  event.preventDefault();
  pressKey(key);
}

// ---- Marking ----

function localTime(date) {
  const two = (n) => String(n).padStart(2, '0');
  return `${date.getFullYear()}-${two(date.getMonth() + 1)}-${two(date.getDate())} ${two(date.getHours())}:${two(date.getMinutes())}`;
}

function markAll() {
  for (const index of order) markProblem(problems[index]);
  finished = true;
  const right = order.filter((i) => problems[i].state === 'right').length;
  const seconds = Math.round((Date.now() - started) / 1000);
  const result = {
    date: localTime(new Date()),
    step: root.querySelector('#practice-title .step')?.textContent ?? '',
    no: sheet.no, right, total: order.length, seconds,
  };
  if (redoing) result.redo = true;
  notKept = !keepResult(result);
  if (notKept) unkept.unshift(result);
  lastResult = result;
  keepWork();
  showProblem();
  if (notKept) say(words.notKept);
  showResult(result);
}

function resultLine(r) {
  return `${r.date}　${r.step}　${words.sheetNo(r.no)}　${r.redo ? `${words.redone} ` : ''}${r.right}/${r.total}　` +
    `${Math.floor(r.seconds / 60)}:${String(r.seconds % 60).padStart(2, '0')}`;
}

// The result of the last まるつけ (or none: the kept results only), in a dialog that takes the
// focus and gives it back.
function showResult(result) {
  const box = root.querySelector('#practice-result');
  if (box.hidden) beforeResult = document.activeElement;
  const list = element('ol', { class: 'kept' });
  const { results: kept } = readResults();
  // Results the device refused this visit stand among the kept ones, by their time.
  const shown = [...unkept, ...kept].sort((a, b) => (a.date < b.date ? 1 : a.date > b.date ? -1 : 0));
  for (const r of shown) list.append(element('li', {}, resultLine(r)));
  if (!shown.length) list.append(element('li', {}, words.noResults));
  const parts = [];
  const wrongOnes = order.filter((i) => problems[i]?.state === 'wrong');
  if (result) {
    parts.push(element('p', { class: 'score', id: 'practice-score' },
      result.redo ? words.redoScore(result.total, result.right) : words.score(result.total, result.right)),
    element('p', { class: 'time' }, words.time(result.seconds)));
    if (result === lastResult && notKept) parts.push(element('p', { class: 'not-kept' }, words.notKept));
    if (wrongOnes.length) {
      // Each wrong problem one tap away.
      const named = element('p', { class: 'wrong-ones' }, words.wrongOnes);
      for (const index of wrongOnes) {
        const to = button(words.problem(index + 1), { class: 'wrong-one', 'data-problem': String(index) });
        to.addEventListener('click', () => {
          closeResult(root.querySelector('#practice-stage'));
          goTo(order.indexOf(index));
          keepWork();
        });
        named.append(to);
      }
      parts.push(named);
    }
  }
  const buttons = element('div', { class: 'result-buttons' });
  if (result && wrongOnes.length) {
    const redo = button(words.redo, { id: 'practice-redo', class: 'primary' });
    redo.addEventListener('click', () => redoWrong(wrongOnes));
    buttons.append(redo);
  }
  const look = button(sheet ? words.look : words.close, { id: 'practice-look' });
  look.addEventListener('click', () => closeResult(beforeResult));
  buttons.append(look);
  parts.push(buttons, element('h3', { id: 'practice-kept-title' }, words.results), list, clearing(list));
  box.replaceChildren(...parts);
  box.setAttribute('aria-labelledby', result ? 'practice-score' : 'practice-kept-title');
  box.hidden = false;
  buttons.querySelector('button').focus({ preventScroll: true });
}

function closeResult(focus) {
  root.querySelector('#practice-result').hidden = true;
  const target = focus && focus !== document.body && focus.isConnected && !focus.closest('[hidden]')
    ? focus : root.querySelector('#practice-stage');
  target.focus({ preventScroll: true });
}

// 「けっかを けす」, for the teacher under the list, asks before it clears.
function clearing(list) {
  const clear = button(words.clearResults, { id: 'practice-clear' });
  const yes = button(words.yes, { id: 'practice-clear-yes' });
  const no = button(words.no, { id: 'practice-clear-no', class: 'primary' });
  const ask = element('div', { id: 'practice-clear-ask', role: 'alertdialog', 'aria-labelledby': 'practice-clear-words',
    hidden: true }, element('p', { id: 'practice-clear-words' }, words.clearAsk), element('div', { class: 'result-buttons' }, yes, no));
  clear.addEventListener('click', () => {
    ask.hidden = false;
    clear.hidden = true;
    no.focus({ preventScroll: true });
  });
  no.addEventListener('click', () => {
    ask.hidden = true;
    clear.hidden = false;
    clear.focus({ preventScroll: true });
  });
  yes.addEventListener('click', () => {
    clearResults();
    unkept = [];
    list.replaceChildren(element('li', {}, words.noResults));
    ask.hidden = true;
    clear.hidden = false;
    clear.focus({ preventScroll: true });
  });
  return element('div', { class: 'teacher' }, clear, ask);
}

function redoWrong(wrongOnes) {
  for (const index of wrongOnes) {
    for (const w of problems[index].writes) Object.assign(boxes[w], { value: '', wrong: false });
    problems[index].state = 'open';
  }
  order = wrongOnes;
  finished = false;
  redoing = true;
  started = Date.now();
  root.querySelector('#practice-result').hidden = true;
  drawStrip();
  goTo(0);
  keepWork();
  root.querySelector('#practice-stage').focus({ preventScroll: true });
}
