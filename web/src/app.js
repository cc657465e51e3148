// The page: the window's settings panel and sheet, with every rule, count, reason and
// layout asked of the WebAssembly module (kolvara.js), which is the program's own C++.
import createKolvara from './kolvara.js';
import { openPractice, setUpPractice } from './practice.js';
import { element } from './dom.js';
import { pageSvg } from './sheet-svg.js';

// The window's texts, as the build took them from its stored layout (ui_texts.py).
const ui = JSON.parse(document.getElementById('ui-texts').textContent);

// The page's own words, which the window has no need of: everything else the page shows
// comes from the window's texts above or from the module.
const webTexts = {
  format: 'シートの形式',
  // The problems in kolvara-sheet's patterns, for what the window's three places cannot show.
  patterns: '４けた・小数',
  patternsHint: '位を上から1文字ずつ：0 いつも0、n 1～9、a 0～9。小数点 . のあとは3けたまで。くり上がりは y ある、n ない、m どちらでも。',
  // Said beside 印刷: where the print dialog's paper rules, the user chooses it there.
  paperHint: (paper, landscape) => `用紙：${paper} ${landscape ? '横' : '縦'}`,
  paperHintTip: '印刷の画面では、この用紙と向きを選んでください。',
  preview: 'プリントの見本',
  rejected: (entries) => `アドレスの「${entries.join('」「')}」は読めないため、その設定は既定のままにしました。`,
  // The patterns' fields: key, the window's row it stands for, and its place in state.rows.
  patternFields: [['upper', 0], ['lower', 1], ['carry', 2]],
  setAside: (step, entries) => `練習の段階「${step}」の設定を使いました。アドレスの「${entries.join('」「')}」は使っていません。`,
  pdfBusy: 'PDFを作っています…',
  pdfFailed: (why) => `PDFを作れませんでした。${why}`,
  startFailed: 'このブラウザでは動きません。新しいブラウザで開いてください。',
  // The module stopped: the sheet before it is kept while a fresh one starts.
  moduleFailed: 'エラーが起きたため、直前のプリントのままにしました。もう一度お試しください。',
  moduleGone: 'エラーが続くため、これ以上は作れません。ページを読み込み直してください。',
  newVersion: '新しい版があります。',
  explain: (name) => `「${name}」の説明`,
};

const STORE = 'kolvara.settings';
// Far longer than any address the page writes; a longer one is not read at all, as the
// module would take it whole onto its stack.
const LONGEST_ADDRESS = 2048;
const MS_PER_DAY = 86400000;

// "更新(&N)" as the page shows it: the window's accelerators have no place in a browser.
const caption = (text) => (text ?? '').replace(/\(&.\)/, '');
const widget = (name) => ui.widgets[name] ?? {};
const $ = (id) => document.getElementById(id);

let kv;          // the module's calls, each answering with parsed JSON; null while it starts again
let info;        // names, captions and hints that never change
let state;       // the panel and the sheet on screen: the last the module gave in whole
let drawnKey = '';
let radios = [];
let printedKey = '';

// A call into the module that did not answer: its memory may be anything now, so the
// page keeps the last sheet and starts a fresh module.
class ModuleFailure extends Error {}

function bindModule(module) {
  const call = (name, types) => {
    const f = module.cwrap(name, 'string', types);
    return (...args) => {
      try {
        return JSON.parse(f(...args));
      } catch (error) {
        throw new ModuleFailure(`${name}: ${error?.message ?? error}`, { cause: error });
      }
    };
  };
  return {
    info: call('kv_static', []),
    open: call('kv_open', ['string', 'number']),
    select: call('kv_select', ['number']),
    operation: call('kv_operation', ['number']),
    kind: call('kv_kind', ['number']),
    refresh: call('kv_refresh', []),
    set: call('kv_set', ['string', 'string']),
    page: call('kv_page', ['number', 'number']),
    practice: call('kv_practice', ['number']),
    classLink: call('kv_class_link', ['string', 'string']),
  };
}

// ---- The panel, built once from the module's names and the window's texts ----

// A control with its hint under a small "?" beside it, for fingers that cannot hover.
let hintCount = 0;
function hinted(control, name, hint) {
  if (!hint) return control;
  const id = `hint${++hintCount}`;
  const text = element('span', { class: 'hint-text', id, hidden: true }, hint);
  const mark = element('button', { type: 'button', class: 'hint-mark', 'aria-expanded': 'false', 'aria-controls': id,
    'aria-label': webTexts.explain(name) }, '?');
  mark.addEventListener('click', () => {
    text.hidden = !text.hidden;
    mark.setAttribute('aria-expanded', String(!text.hidden));
  });
  return element('span', { class: 'hinted' }, control, mark, text);
}

function checkbox(name) {
  const w = widget(name);
  const label = element('label', { class: 'check', title: w.toolTip },
    element('input', { type: 'checkbox', id: name, 'aria-description': w.toolTip }), element('span', {}, caption(w.text)));
  return hinted(label, caption(w.text), w.toolTip);
}

// The option under the finger, the pointer or the keyboard, said in the line under the grid.
function showOptionHint(event) {
  const input = event.target.closest('.choice')?.querySelector('input');
  if (!input) return;
  const box = input.closest('[role=radiogroup]');
  const option = input.dataset.option !== undefined ? info.options[Number(input.dataset.option)] : null;
  const hint = option?.hint ?? input.dataset.hint;
  const name = box.getAttribute('aria-label') ?? '';
  put($('option-hint'), 'textContent', hint ? `${name}：${hint}` : name);
}

function optionGroup(group) {
  const box = element('fieldset', { id: group.name, class: 'group' + (group.carry ? ' carry' : ''), role: 'radiogroup' },
    element('legend', {}, caption(widget(group.name).title)));
  for (const option of info.options.filter((o) => o.group === group.index)) {
    box.append(element('label', { class: 'choice', title: option.hint },
      element('input', { type: 'radio', name: group.name, id: option.name, value: String(option.value),
        'data-option': String(option.index), 'aria-description': option.hint }),
      element('span', {}, option.caption)));
  }
  return box;
}

function buildPanel() {
  info.options.forEach((o, i) => { o.index = i; });
  info.groups.forEach((g, i) => { g.index = i; });
  const panelTitle = widget('GroupBoxStart');
  $('panel-title').textContent = caption(panelTitle.title);
  // What the panel is, as one visible line; the line under the options says each option.
  $('option-hint').textContent = panelTitle.toolTip ?? '';

  const sign = widget('RadioGroupWaSa');
  const signBox = element('fieldset', { id: 'RadioGroupWaSa', class: 'sign', title: sign.toolTip, role: 'radiogroup',
    'aria-label': sign.toolTip }, element('legend', {}, caption(sign.title)));
  for (const item of [0, 1]) {
    const name = `RadioGroupWaSaItem${item}`;
    signBox.append(element('label', { class: 'choice' },
      element('input', { type: 'radio', name: 'RadioGroupWaSa', id: name, value: String(item) }),
      element('span', {}, caption(widget(name).text))));
  }
  $('switches').append(checkbox('CheckBoxRuledLine'), checkbox('CheckBoxPrintAnswer'), signBox);
  for (const area of [$('groups'), signBox, $('long'), $('kinds-field')])
    for (const type of ['focusin', 'pointerdown', 'pointerover']) area.addEventListener(type, showOptionHint);

  const grid = $('groups');
  for (let row = 0; row < 3; ++row) {
    grid.append(element('div', { class: 'row-label', id: `row${row}` }));
    for (let column = 0; column < 3; ++column)
      grid.append(optionGroup(info.groups[row * 3 + column]));
  }
  radios = [...grid.querySelectorAll('input[type=radio]')];

  const select = (id, entries) => {
    const e = element('select', { id });
    for (const [value, name] of entries) e.append(element('option', { value }, name));
    return e;
  };
  const field = (name, control) => element('label', { class: 'field' }, element('span', {}, name), control);
  const opt = info.sheetOptions;
  $('sheet-format-title').textContent = webTexts.format;
  const switches = element('div', { class: 'format-switches' });
  for (const key of switchKeys()) {
    const { caption: name, hint } = opt[key];
    switches.append(hinted(element('label', { class: 'check', title: hint },
      element('input', { type: 'checkbox', id: key, 'data-key': key, 'aria-description': hint }), element('span', {}, name)),
    name, hint));
  }
  // The kind of problems first: the steps and options below are those of the kind.
  const kinds = element('fieldset', { id: 'kinds', class: 'kinds', role: 'radiogroup', 'aria-label': opt.op.caption },
    element('legend', {}, opt.op.caption));
  for (const k of info.kinds) {
    kinds.append(element('label', { class: 'choice' },
      element('input', { type: 'radio', name: 'kind', id: `kind${k.kind}`, value: String(k.kind) }),
      element('span', {}, k.caption)));
  }
  $('kinds-field').append(kinds);
  // Where a teacher starts: a step sets every option below it; the kind's steps by school
  // year, filled in when the kind is shown.
  const steps = select('step', []);
  steps.title = opt.step.hint;
  $('step-field').append(field(opt.step.caption, steps));
  buildLongPanel();
  $('sheet-format').append(
    field(opt['per-page'].caption, select('per-page', [])),
    ...formatListKeys().map((key) => {
      const list = select(key, opt[key].choices.map((c) => [c.value, c.caption]));
      list.dataset.list = key;
      list.title = opt[key].hint;
      return field(opt[key].caption, list);
    }),
    switches);
  const sheets = element('input', { id: 'sheets', type: 'number', inputmode: 'numeric', min: '1',
    max: String(info.maxSheets), step: '1', title: opt.sheets.hint, 'aria-description': opt.sheets.hint });
  $('output').append(hinted(field(opt.sheets.caption, sheets), opt.sheets.caption, opt.sheets.hint));

  // Four places, decimals and mixed signs in kolvara-sheet's patterns, shown when asked for
  // or when the problems are beyond the window's three places.
  const toggle = element('label', { class: 'check' }, element('input', { type: 'checkbox', id: 'patterns-shown' }),
    element('span', {}, webTexts.patterns));
  const ownOps = info.kinds.find((k) => !isLong(k.kind)).ops;
  const patterns = element('div', { id: 'patterns', hidden: true },
    field(info.sheetOptions.op.caption, select('op', captioned(info.sheetOptions.op).filter(([op]) => ownOps.includes(op)))),
    ...webTexts.patternFields.map(([key]) => field('', element('input', { id: key, type: 'text', autocomplete: 'off',
      autocapitalize: 'off', spellcheck: 'false', inputmode: 'text', title: webTexts.patternsHint,
      'aria-description': webTexts.patternsHint }))));
  $('patterns-field').append(hinted(toggle, webTexts.patterns, webTexts.patternsHint), patterns);
}

// Products and quotients: whether a kind of problems is one of them.
function isLong(kind) {
  return info.longNumbers.some((n) => n.kind === kind);
}

// The options of the problems that belong to one kind or another, not to every kind.
function conditionKeys() {
  const every = info.kinds.reduce((bits, k) => bits | k.kind, 0);
  return Object.keys(info.sheetOptions).filter((key) => {
    const o = info.sheetOptions[key];
    return o.problem && o.caption && o.choices.length && (o.operations & every) !== every;
  });
}

// Products and quotients: each number's places, one choice of digits a place as the
// window's grid has them, and the conditions of the kind from the table of options.
function buildLongPanel() {
  const long = $('long');
  for (const k of info.kinds.filter((kind) => isLong(kind.kind))) {
    const numbers = info.longNumbers.filter((n) => n.kind === k.kind);
    const widest = Math.max(...numbers.map((n) => n.places));
    const grid = element('div', { class: 'places', id: `places${k.kind}`, 'data-kind': String(k.kind) });
    for (const n of numbers) {
      grid.append(element('div', { class: 'row-label' }, n.caption));
      // The places a number does not have stay empty, so the places stand one above the other.
      for (let i = widest; i > n.places; --i) grid.append(element('div', { 'aria-hidden': 'true' }));
      for (let place = n.places - 1; place >= 0; --place) {
        const placeName = info.wholePlaces[place];
        const box = element('fieldset', { class: 'group', role: 'radiogroup', 'aria-label': `${n.caption}の${placeName}`,
          'data-key': n.key }, element('legend', {}, placeName));
        for (const d of info.digitKinds) {
          box.append(element('label', { class: 'choice', title: d.hint },
            element('input', { type: 'radio', name: `place${k.kind}-${n.key}-${place}`, value: d.letter,
              'data-hint': d.hint, 'aria-description': d.hint }),
            element('span', {}, d.caption)));
        }
        grid.append(box);
      }
    }
    long.append(grid);
  }
  const conditions = element('div', { id: 'conditions' });
  for (const key of conditionKeys()) {
    const o = info.sheetOptions[key];
    const id = `condition-${key}`;
    const choices = element('div', { class: 'segments', role: 'radiogroup', 'aria-label': o.caption });
    for (const c of o.choices) {
      choices.append(element('label', { class: 'choice' },
        element('input', { type: 'radio', name: id, value: c.value, 'data-key': key, 'data-hint': o.hint }),
        element('span', {}, c.caption)));
    }
    conditions.append(element('div', { class: 'condition', 'data-key': key, 'data-operations': String(o.operations) },
      hinted(element('span', { id, class: 'condition-name' }, o.caption), o.caption, o.hint), choices));
  }
  long.append(conditions);
}

// A number's place choices, highest first, with the letters the panel's problems have
// there (its pattern's last whole letters; a place beyond the pattern is always 0).
function placeChoices(grid, key) {
  const boxes = [...grid.querySelectorAll(`fieldset[data-key=${key}]`)];
  const letters = (state.problems[key] ?? '').split('.')[0].slice(-boxes.length)
    .padStart(boxes.length, info.digitKinds[0].letter);
  return boxes.map((box, i) => [box, letters[i]]);
}

// The pattern of a number of products and quotients from its places' choices.
function placesPattern(grid, key) {
  return placeChoices(grid, key).map(([box, letter]) => box.querySelector('input:checked')?.value ?? letter).join('');
}

// A list's entries: each value word with its caption, as the table has them.
function captioned(option) {
  return option.values.map((value, i) => [value, option.valueCaptions[i] ?? value]);
}

// The sheet's lists as the table has them, after the page size, whose entries go with the
// problems.
function formatListKeys() {
  return Object.keys(info.sheetOptions).filter((key) => {
    const o = info.sheetOptions[key];
    return !o.switch && !o.problem && o.caption && o.choices.length && key !== 'per-page';
  });
}

// The teachers' switches as the table has them.
function switchKeys() {
  return Object.keys(info.sheetOptions).filter((key) => info.sheetOptions[key].switch && info.sheetOptions[key].caption);
}

// The buttons above the sheet and the sheet's own names, before the first sheet.
function labelSheetArea() {
  // The buttons' hints in one list under a "?" of the toolbar, for fingers that cannot hover.
  const hints = element('ul', {});
  const names = [];
  for (const [id, name] of [['refresh', 'ButtonKoushin'], ['print', 'ButtonPrintOut'], ['save', 'ButtonSavePdf']]) {
    const w = widget(name);
    const button = $(id);
    button.textContent = caption(w.text);
    button.title = w.toolTip ?? '';
    names.push(caption(w.text));
    hints.append(element('li', {}, element('b', {}, caption(w.text)), `　${w.toolTip ?? ''}`));
  }
  $('print').after(element('span', { id: 'paper-hint', title: webTexts.paperHintTip }));
  $('print').setAttribute('aria-describedby', 'paper-hint');
  const preview = $('preview');
  const sheetHint = ui.widgets.FormKolvara?.toolTip ?? '';
  preview.title = sheetHint;
  preview.setAttribute('aria-label', webTexts.preview);
  // A double tap is a finger's zoom, not a refresh: said only where a mouse can double-click.
  hints.append(element('li', { class: 'mouse-only' }, sheetHint));
  $('status').before(hinted(element('span'), names.join('・'), hints));
}

// ---- State into the page ----

// Writes only what changed: a click then costs the page no more than it must redraw.
function put(target, key, value) {
  if (target[key] !== value) target[key] = value;
}

function putAttribute(target, name, value) {
  if (target.getAttribute(name) !== value) target.setAttribute(name, value);
}

function say(text) {
  put($('alert'), 'textContent', text ?? '');
}

let remembered = null;

// The sheet is laid out before anything changes, so a module that stops on the way leaves
// the page as it was.
function showState(next) {
  const key = sheetKey(next);
  const page = key === drawnKey ? null : kv.page(0, 0);
  state = next;
  if (radios.length) showPanel();
  enableSheetButtons();
  if (page) drawSheet(page, key);
  afterFrame(keepAddress);
}

function enableSheetButtons() {
  put($('print'), 'disabled', !kv || !state?.hasSheet);
  put($('save'), 'disabled', !kv || !state?.hasSheet);
}

function showPanel() {
  for (const input of radios) {
    const option = info.options[Number(input.dataset.option)];
    put(input, 'checked', state.selection[option.group] === option.value);
  }
  put($(`RadioGroupWaSaItem${state.operation}`), 'checked', true);
  state.rows.forEach((text, row) => put($(`row${row}`), 'textContent', text));
  info.groups.forEach((group, g) => {
    const box = $(group.name);
    const hint = state.groupHints[g];
    put(box, 'title', hint);
    if (group.carry) {
      const column = g - 6;
      put(box.querySelector('legend'), 'textContent', caption(state.carryCaptions[column]));
      putAttribute(box, 'aria-label', `${info.places[column]}の${hint}`);
    } else {
      putAttribute(box, 'aria-label', hint);
    }
  });
  put($('GroupBoxKuriAgariSagari_100'), 'hidden', !state.hundredsCarryVisible);

  const count = $('LabelProblemCount');
  put(count, 'textContent', state.count.text);
  count.classList.toggle('impossible', state.count.impossible);
  count.classList.toggle('repeats', state.count.repeats);

  put($('CheckBoxRuledLine'), 'checked', state.boxes);
  put($('CheckBoxPrintAnswer'), 'checked', state.answers);
  for (const key of formatListKeys()) put($(key), 'value', state.format[key]);
  fillList($('per-page'), state.perPageChoices.map((c) => [c.value, c.caption]));
  put($('per-page'), 'value', state.perPage);
  showKind();
  put($('step'), 'value', state.step);
  for (const key of switchKeys()) put($(key), 'checked', state.format[key]);
  // The patterns: the window's buttons stand aside for what they cannot show.
  const patternsShown = !state.threePlaces || $('patterns-shown').checked;
  put($('patterns-shown'), 'checked', patternsShown);
  put($('patterns-shown'), 'disabled', !state.threePlaces);
  put($('patterns'), 'hidden', !patternsShown);
  const long = isLong(state.kind);
  put($('groups'), 'hidden', long || !state.threePlaces);
  put($('RadioGroupWaSa'), 'hidden', long || !state.threePlaces);
  put($('patterns-field'), 'hidden', long);
  put($('op'), 'value', state.problems.op);
  for (const [key, row] of webTexts.patternFields) {
    const input = $(key);
    put(input.previousElementSibling, 'textContent', state.rows[row]);
    // A pattern the module could not read stays as typed, to be put right.
    if (input.getAttribute('aria-invalid') !== 'true') put(input, 'value', state.problems[key]);
  }
  put($('sheets'), 'value', String(state.sheets));
}

// A list's entries anew, only when they changed.
function fillList(list, entries) {
  const key = JSON.stringify(entries);
  if (list.dataset.entries === key) return;
  list.dataset.entries = key;
  list.replaceChildren(...entries.map(([value, name]) => element('option', { value }, name)));
}

// The kind of the panel's problems: its steps, and for products and quotients their places
// and conditions.
function showKind() {
  for (const k of info.kinds) put($(`kind${k.kind}`), 'checked', state.kind === k.kind);
  const steps = $('step');
  if (steps.dataset.kind !== String(state.kind)) {
    steps.dataset.kind = String(state.kind);
    const groups = [];
    for (const s of info.steps.filter((step) => step.kind === state.kind)) {
      let group = groups.find((g) => g.label === s.gradeName);
      if (!group) groups.push(group = element('optgroup', { label: s.gradeName }));
      group.append(element('option', { value: s.key }, s.name));
    }
    steps.replaceChildren(element('option', { value: '' }, info.sheetOptions.step.unsetCaption), ...groups);
  }
  const long = isLong(state.kind);
  put($('long'), 'hidden', !long);
  if (!long) return;
  for (const grid of $('long').querySelectorAll('.places')) {
    const shown = grid.dataset.kind === String(state.kind);
    put(grid, 'hidden', !shown);
    if (!shown) continue;
    for (const key of new Set(info.longNumbers.map((n) => n.key))) {
      for (const [box, letter] of placeChoices(grid, key))
        for (const input of box.querySelectorAll('input')) put(input, 'checked', input.value === letter);
    }
  }
  for (const row of $('conditions').children) {
    const key = row.dataset.key;
    put(row, 'hidden', (Number(row.dataset.operations) & state.kind) === 0);
    for (const input of row.querySelectorAll('input')) put(input, 'checked', input.value === (state.chosen[key] ?? ''));
  }
}

// What the screen need not wait for runs once the new sheet is on it; while the page
// starts, once the panel is there too.
let afterFrameTasks = null;
let starting = true;
function afterFrame(task) {
  if (!afterFrameTasks) {
    afterFrameTasks = new Set();
    document.documentElement.dataset.pending = 'true';
    if (!starting) requestAnimationFrame(() => setTimeout(runAfterFrameTasks, 0));
  }
  afterFrameTasks.add(task);
}

function runAfterFrameTasks() {
  const tasks = afterFrameTasks ?? new Set();
  afterFrameTasks = null;
  for (const t of tasks) guarded(t)();
  delete document.documentElement.dataset.pending;
}

// The address names the sheet on screen; the device keeps the settings for the next visit.
// "更新" leaves the sheet before it in the history, so Back brings it again. A practice link
// that cannot open as it asks stays as it was given, and nothing of it is kept.
let pushNextAddress = false;
function keepAddress() {
  if (state.practice.refusal) return;
  if (location.hash.slice(1) !== state.address)
    history[pushNextAddress ? 'pushState' : 'replaceState'](null, '', '#' + state.address);
  pushNextAddress = false;
  if (remembered !== state.remembered) {
    remembered = state.remembered;
    try {
      localStorage.setItem(STORE, remembered);
    } catch {
      // Private modes may refuse; the address still carries everything.
    }
  }
}

function sheetKey(of = state) {
  return `${of.address}|${of.hasSheet}`;
}

function drawSheet(page, key) {
  drawnKey = key;
  $('preview').innerHTML = pageSvg(page, 'preview-');
  $('preview').style.setProperty('--ratio', String(page.width / page.height));
  afterFrame(prepareSheetOnScreen);
}

// Each page of the first `sheets` sheets, laid out when called, as kolvara-sheet orders
// them: each sheet's answers after it, or all of them after the last sheet.
function sheetPages(sheets) {
  const pages = [], answers = [];
  const page = (k, answer) => () => {
    if (!kv) throw new Error(webTexts.moduleFailed);
    return kv.page(k, answer);
  };
  for (let k = 0; k < sheets; ++k) {
    pages.push(page(k, 0));
    if (state.answers) (state.format['answers-last'] ? answers : pages).push(page(k, 1));
  }
  return [...pages, ...answers];
}

// The printed pages: every sheet of 枚数 when printing starts; a module that is starting
// again leaves those there were.
function preparePrint(sheets = state.sheets) {
  const key = `${sheetKey()}|${sheets}`;
  if (!kv || key === printedKey) return;
  const pages = sheetPages(sheets).map((page) => page());
  $('print-pages').innerHTML = pages.map((page, i) => `<div class="print-page">${pageSvg(page, `print${i}-`, true)}</div>`).join('');
  // The paper the module lays the page out on, JIS B5 and B4 included, which CSS has no name for.
  const { width, height } = pages[0];
  $('page-size').textContent = `@page { size: ${width}pt ${height}pt; margin: 0; }`;
  const paper = info.sheetOptions.paper;
  put($('paper-hint'), 'textContent',
    webTexts.paperHint(paper.valueCaptions[paper.values.indexOf(state.paper)] ?? state.paper, width > height));
  printedKey = key;
  document.documentElement.dataset.printReady = key;
}

// The sheet on screen goes to paper once it is drawn; the rest of 枚数 waits for printing,
// as a hundred sheets take a moment to lay out.
const prepareSheetOnScreen = guarded(() => preparePrint(1));

// ---- What the user does ----

function act(next) {
  say('');
  showState(next);
}

function refresh() {
  say('');
  const next = kv.refresh();
  pushNextAddress = next.address !== state.address;
  showState(next);
  if (!next.filled) say(next.refusal);
}

// Every call into the module from what the user does: a failure keeps the sheet on
// screen, its address and its printed pages, and starts the module again.
function guarded(action) {
  return (...args) => {
    if (!kv) {
      if (radios.length) showPanel();
      return;
    }
    try {
      action(...args);
    } catch (error) {
      if (!(error instanceof ModuleFailure)) throw error;
      console.error(error);
      restartModule();
    }
  };
}

let restarting = null;
function restartModule() {
  kv = null;
  pushNextAddress = false;
  enableSheetButtons();
  if (radios.length) showPanel();
  say(webTexts.moduleFailed);
  restarting ??= (async () => {
    // The address names the sheet on screen; a fresh module opens it again, and the
    // printed pages follow from it.
    for (let attempt = 0; attempt < 3 && !kv; ++attempt) {
      try {
        const fresh = bindModule(await createKolvara());
        const reopened = fresh.open(state.practice.refusal ? location.hash.slice(1) : state.address, 0);
        kv = fresh;
        drawnKey = '';  // drawn again from the fresh module, and so its printed pages
        showState(reopened);
      } catch (error) {
        kv = null;
        console.error(error);
      }
    }
    if (!kv) say(webTexts.moduleGone);
    enableSheetButtons();
    restarting = null;
  })();
}

async function savePdf() {
  const button = $('save');
  button.disabled = true;
  button.setAttribute('aria-busy', 'true');
  $('status').textContent = webTexts.pdfBusy;
  say('');
  performance.mark('kolvara:pdf-start');
  try {
    const { makePdf } = await import('./pdf.js');
    const pages = sheetPages(state.sheets);
    const bytes = await makePdf(pages, ui.windowTitle);
    performance.measure('kolvara:pdf', 'kolvara:pdf-start');
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/pdf' }));
    // Named as the window names its PDFs, after today's date.
    const today = new Date();
    const date = [today.getFullYear(), today.getMonth() + 1, today.getDate()].map((n) => String(n).padStart(2, '0'));
    const link = element('a', { href: url, download: `Kolvara-${date.join('-')}.pdf` });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    $('status').textContent = '';
  } catch (error) {
    $('status').textContent = '';
    if (error instanceof ModuleFailure) restartModule();
    say(webTexts.pdfFailed(error instanceof ModuleFailure ? webTexts.moduleFailed : error?.message ?? String(error)));
  } finally {
    button.removeAttribute('aria-busy');
    enableSheetButtons();
  }
}

// The sheet an address names, and a word on whatever in it could not be read.
function open(address) {
  const readable = address.length <= LONGEST_ADDRESS;
  const opened = kv.open(readable ? address : '', Date.now() % MS_PER_DAY);
  if (!readable) opened.rejected.push(`${address.slice(0, 24)}…`);
  return opened;
}

// What the page says about an address it opened: entries it could not read, and those a
// step overrode.
function noteOn(opened) {
  const notes = [];
  if (opened.rejected.length) notes.push(webTexts.rejected(opened.rejected), ...(opened.reasons ?? []));
  if (opened.setAside.length)
    notes.push(webTexts.setAside(info.steps.find((s) => s.key === opened.step)?.name ?? '', opened.setAside));
  // Settings without a problem keep the sheet there was: why, in kolvara-sheet's words.
  if (opened.refusal) notes.push(opened.refusal);
  return notes.join('');
}

function openAddress(address) {
  const next = open(address);
  showState(next);
  say(noteOn(next));
  openPractice();
  document.documentElement.dataset.opened = address;
}

function connect() {
  $('groups').addEventListener('change', guarded((event) => {
    const option = event.target.dataset.option;
    if (option !== undefined) act(kv.select(Number(option)));
  }));
  $('switches').addEventListener('change', guarded((event) => {
    const t = event.target;
    if (t.name === 'RadioGroupWaSa') act(kv.operation(Number(t.value)));
    else if (t.id === 'CheckBoxRuledLine') act(kv.set('no-boxes', t.checked ? '0' : '1'));
    else if (t.id === 'CheckBoxPrintAnswer') act(kv.set('no-answers', t.checked ? '0' : '1'));
  }));
  const format = guarded((event) => {
    const t = event.target;
    if (t.dataset.key) act(kv.set(t.dataset.key, t.checked ? '1' : '0'));
    else if (t.id === 'step' && t.value) {
      for (const [key] of webTexts.patternFields) $(key).removeAttribute('aria-invalid');
      act(kv.set('step', t.value));
    }
    else if (t.id === 'step') showPanel();  // the settings of the panel are already the own ones
    else if (t.id === 'per-page' || t.dataset.list) act(kv.set(t.id, t.value));
  });
  $('sheet-format').addEventListener('change', format);
  $('kinds-field').addEventListener('change', guarded((event) => {
    if (event.target.name === 'kind') act(kv.kind(Number(event.target.value)));
  }));
  $('long').addEventListener('change', guarded((event) => {
    const t = event.target;
    const box = t.closest('fieldset[data-key]');
    const next = box ? kv.set(box.dataset.key, placesPattern(box.closest('.places'), box.dataset.key))
      : kv.set(t.dataset.key, t.value);
    if (!next.understood) {
      showPanel();
      say(next.error);
      return;
    }
    act(next);
    if (next.refusal) say(next.refusal);
  }));
  $('patterns-field').addEventListener('change', guarded((event) => {
    const t = event.target;
    if (t.id === 'patterns-shown') return showPanel();
    const next = kv.set(t.id, t.value.trim());
    if (!next.understood) {
      // The module's reason; the sheet on screen and the other fields stay as they were.
      t.setAttribute('aria-invalid', 'true');
      say(next.error);
      return;
    }
    t.removeAttribute('aria-invalid');
    act(next);
    if (next.refusal) say(next.refusal);
  }));
  $('step-field').addEventListener('change', format);
  $('sheets').addEventListener('change', guarded((event) => {
    const next = kv.set('sheets', event.target.value.trim());
    act(next);  // a count out of range leaves the last good one, shown again
  }));
  $('refresh').addEventListener('click', guarded(refresh));
  // A double tap on a touch screen zooms; only a mouse's double click draws new problems.
  let pointer = 'mouse';
  $('preview').addEventListener('pointerdown', (event) => { pointer = event.pointerType; });
  $('preview').addEventListener('dblclick', guarded(() => {
    if (pointer === 'mouse') refresh();
  }));
  $('print').addEventListener('click', guarded(() => {
    preparePrint();
    window.print();
  }));
  $('save').addEventListener('click', savePdf);
  window.addEventListener('beforeprint', guarded(() => preparePrint()));
  window.addEventListener('hashchange', guarded(() => {
    if (location.hash.slice(1) !== state.address) openAddress(location.hash.slice(1));
  }));
}

// One entry the practice sets, such as the pupil's number: the state it gives, or nothing when
// the module stopped on it.
function setFromPractice(key, value) {
  let next;
  guarded(() => {
    next = kv.set(key, value);
    showState(next);
  })();
  return next;
}

// The module's first sheet: the address's, or the last visit's settings; should the module
// stop on it, the starting settings, so settings that once stopped it are not met again.
async function firstSheet(address, stored) {
  const tries = [address !== '' ? address : stored, ''];
  for (const [i, wanted] of tries.entries()) {
    try {
      kv = bindModule(await createKolvara());
      info ??= kv.info();
      const opened = open(wanted);
      showState(opened);
      opened.fellBack = i > 0;
      return opened;
    } catch (error) {
      kv = null;
      if (!(error instanceof ModuleFailure)) throw error;
      console.error(error);
    }
  }
  return null;
}

// The message the page itself carries, for when this script or the module cannot be loaded.
function loadFailed() {
  $('notice').hidden = false;
}

async function start() {
  // The faces load beside the module, so the first layout of the sheet finds them ready.
  const faces = Promise.all(['"Kolvara Gothic"', '"Kolvara PGothic"'].map((f) => document.fonts.load(`16px ${f}`)));
  let stored = '';
  try {
    stored = localStorage.getItem(STORE) ?? '';
  } catch {
    stored = '';
  }
  // An address names the sheet; a bare one takes the settings of the last visit.
  const address = location.hash.slice(1);
  let opened;
  try {
    opened = await firstSheet(address, stored);
  } catch (error) {
    if (typeof WebAssembly !== 'object') say(webTexts.startFailed);
    else loadFailed();
    throw error;
  }
  if (!opened) {
    say(webTexts.moduleGone);
    return;
  }
  labelSheetArea();
  await faces.catch(() => {});
  await document.fonts.ready;
  // Marked once the frame that shows the sheet is drawn.
  await new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));
  performance.mark('kolvara:sheet-drawn');
  // The panel comes a frame after the sheet: the sheet is what the page is for.
  buildPanel();
  connect();
  setUpPractice({ kv: () => kv, state: () => state, info: () => info, set: setFromPractice });
  openPractice();
  showPanel();
  say(opened.fellBack ? webTexts.moduleFailed : noteOn(opened));
  document.documentElement.dataset.opened = address;
  starting = false;
  runAfterFrameTasks();
  document.documentElement.dataset.ready = 'true';
}

// ---- Offline copy and new versions ----

// A new version waits until the page lets it in: the page says so, and its button takes it
// and loads the page again. A later load with no other tab open takes it by itself (sw.js).
function offerUpdate(worker) {
  if (!worker || !navigator.serviceWorker.controller) return;  // the first visit: nothing to replace
  const offer = () => {
    $('notice-text').textContent = webTexts.newVersion;
    $('notice').hidden = false;
    $('reload').onclick = () => {
      navigator.serviceWorker.addEventListener('controllerchange', () => location.reload());
      worker.postMessage('take-over');
    };
  };
  if (worker.state === 'installed') offer();
  else worker.addEventListener('statechange', () => { if (worker.state === 'installed') offer(); });
}

async function keepOffline() {
  if (!('serviceWorker' in navigator)) return;
  try {
    const registration = await navigator.serviceWorker.register('sw.js');
    offerUpdate(registration.waiting);
    registration.addEventListener('updatefound', () => offerUpdate(registration.installing));
  } catch {
    // Opened from a file or refused: the page works, only not offline.
  }
}

// The offline copy is set up however the start went.
start().finally(keepOffline);
