// What the page tests share: the site on a loopback port, Debian's Chromium driven by
// puppeteer-core, kolvara-sheet's pages to hold the page's against, and the problems read
// back from what a page shows or a PDF holds.
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const require = createRequire(join(root, 'web/package.json'));
const puppeteer = require('puppeteer-core');
const { serve } = await import(pathToFileURL(join(root, 'web/serve.mjs')).href);

export const env = {
  site: process.env.KOLVARA_SITE ?? join(root, 'build-web/site'),
  sheet: process.env.KOLVARA_SHEET ?? join(root, 'build/app/kolvara-sheet'),
  sheetDump: process.env.KOLVARA_SHEET_DUMP ?? join(root, 'build/bench/sheet_dump'),
  chromium: process.env.KOLVARA_CHROMIUM ?? '/usr/bin/chromium',
  firefox: process.env.KOLVARA_FIREFOX ?? '/usr/bin/firefox-esr',
  // Debian's own Python, which has the GObject bindings of WebKitGTK.
  pythonGi: process.env.KOLVARA_PYTHON_GI ?? '/usr/bin/python3',
  clicks: process.env.KOLVARA_WEB_CLICKS ?? join(root, 'build-webtest/web_clicks'),
};

export function tempDir() {
  return mkdtempSync(join(tmpdir(), 'kolvara-web-'));
}

async function launchChromium() {
  const browser = await puppeteer.launch({
    executablePath: env.chromium,
    headless: true,
    // As root, without a GPU, and without the browser's own calls home, which this
    // machine's closed network would only refuse.
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-quic', '--disable-dev-shm-usage', '--lang=ja'],
  });
  // The tab the browser opens by itself would only run beside the pages under test.
  for (const tab of await browser.pages()) await tab.close();
  return browser;
}

// Firefox ESR over WebDriver BiDi, with a fresh profile of its own.
export function launchFirefox() {
  return puppeteer.launch({ browser: 'firefox', executablePath: env.firefox, headless: true });
}

// The site and a browser (none when `launch` is null); close() ends both. Every connection
// is tracked so the server can be cut off for the offline test.
export async function startSite(launch = launchChromium) {
  const server = await serve(env.site, 0);
  const sockets = new Set();
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  const browser = launch && (await launch());
  const stopServer = () => new Promise((done) => {
    for (const socket of sockets) socket.destroy();
    server.close(() => done());
  });
  return {
    base: `http://127.0.0.1:${server.port}/`,
    browser,
    stopServer,
    async close() {
      await browser?.close();
      await stopServer().catch(() => {});
    },
  };
}

// A page in a browser context of its own, its errors made failures of the test; `touch` makes
// it a phone's or a tablet's, taking touches and laying out as on one.
export async function newPage(browser, { width = 1366, height = 768, context, touch = false } = {}) {
  const ctx = context ?? (await browser.createBrowserContext());
  const page = await ctx.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  await page.setViewport({ width, height, hasTouch: touch, isMobile: touch });
  return page;
}

// Opens a URL and waits for the sheet its address names (also when only the address's
// part after "#" changed, which the page takes up without loading anew).
export async function openSheet(page, url) {
  const hash = new URL(url).hash.slice(1);
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction((h) => document.documentElement.dataset.ready === 'true' &&
    document.querySelector('#preview svg') && (h === '' || document.documentElement.dataset.opened === h), {}, hash);
  return page;
}

// The address once the page has written it (it does so right after drawing).
export async function addressOf(page) {
  await page.waitForFunction(() => !document.documentElement.dataset.pending);
  return page.evaluate(() => location.hash.slice(1));
}

// Each group's checked value, groups in the window's order, and the sign.
export function panelOf(page) {
  return page.evaluate(() => ({
    selection: [...document.querySelectorAll('#groups fieldset')].map((box) =>
      Number(box.querySelector('input:checked')?.value ?? -1)),
    operation: Number(document.querySelector('input[name=RadioGroupWaSa]:checked').value),
    count: document.querySelector('#LabelProblemCount').textContent,
    impossible: document.querySelector('#LabelProblemCount').classList.contains('impossible'),
    alert: document.querySelector('#alert').textContent,
  }));
}

// ---- Problems read back from what is drawn ----

// Text boxes grouped into lines by their height, and within a line into tokens where they
// nearly touch (closer than `join` of the line's height): digits of one number sit a cell
// apart, problems far apart.
function tokenLines(words, join = 0.35) {
  const sorted = [...words].sort((a, b) => (a.yMin + a.yMax) - (b.yMin + b.yMax));
  const lines = [];
  for (const w of sorted) {
    const centre = (w.yMin + w.yMax) / 2, height = w.yMax - w.yMin;
    const line = lines.at(-1);
    if (line && Math.abs(centre - line.centre) < 0.3 * Math.max(height, line.height)) line.words.push(w);
    else lines.push({ centre, height, words: [w] });
  }
  return lines.map((line) => {
    const ws = line.words.sort((a, b) => a.xMin - b.xMin);
    const tokens = [];
    let last = null;
    for (const w of ws) {
      if (last && w.xMin - last.xMax < join * line.height) tokens[tokens.length - 1] += w.text;
      else tokens.push(w.text);
      last = w;
    }
    return tokens.join(' ');
  });
}

const numbersLine = (line) => /^\d+( \d+)*$/.test(line);
const signedLine = (line) => /^[+-]/.test(line) && /^[+\-\d ]+$/.test(line);

// The problems of one page, row by row: [upper, sign, lower] and, on an answer page, the
// answer below them.
export function problemsOf(words) {
  const lines = tokenLines(words);
  const problems = [];
  for (let i = 0; i + 1 < lines.length; ++i) {
    if (!numbersLine(lines[i]) || !signedLine(lines[i + 1])) continue;
    const uppers = lines[i].split(' ').map(Number);
    const lowers = [...lines[i + 1].matchAll(/([+-])\s*(\d+)/g)].map((m) => [m[1], Number(m[2])]);
    const answerLine = lines[i + 2] !== undefined && numbersLine(lines[i + 2]) && !signedLine(lines[i + 3] ?? '')
      ? lines[i + 2].split(' ').map(Number) : null;
    uppers.forEach((upper, k) => {
      const p = { upper, sign: lowers[k]?.[0], lower: lowers[k]?.[1] };
      if (answerLine) p.answer = answerLine[k];
      problems.push(p);
    });
  }
  return problems;
}

// The lines of a page that hold no problem: heading, status lines, date line, mark.
export function otherLinesOf(words) {
  return tokenLines(words).filter((l) => !numbersLine(l) && !signedLine(l));
}

// Every page of a PDF as words with their boxes (pdftotext -bbox).
export function pdfPages(file) {
  const html = execFileSync('pdftotext', ['-bbox', file, '-'], { encoding: 'utf8' });
  return html.split('<page ').slice(1).map((page) =>
    [...page.matchAll(/<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<\/word>/g)]
      .map((m) => ({ xMin: +m[1], yMin: +m[2], xMax: +m[3], yMax: +m[4], text: m[5] })));
}

export function pdfPageSize(file) {
  const info = execFileSync('pdfinfo', [file], { encoding: 'utf8' });
  const m = info.match(/Page size:\s+([\d.]+) x ([\d.]+) pts/);
  return { width: Number(m[1]), height: Number(m[2]), pages: Number(info.match(/Pages:\s+(\d+)/)[1]) };
}

// The box around every word of a page: where the sheet's ink lies, and how large it is.
export function sheetExtent(words) {
  const side = (key, pick) => pick(...words.map((w) => w[key]));
  return { xMin: side('xMin', Math.min), yMin: side('yMin', Math.min), xMax: side('xMax', Math.max),
    yMax: side('yMax', Math.max) };
}

// The preview's characters with their boxes as the browser lays them out, in sheet units;
// run in the page, also as source by drivers other than puppeteer.
export function previewWordsInPage(texts = '#preview svg text') {
  return [...document.querySelectorAll(texts)].flatMap((t) =>
    [...t.textContent].map((text, i) => {
      const b = t.getExtentOfChar(i);
      return { text, xMin: b.x, yMin: b.y, xMax: b.x + b.width, yMax: b.y + b.height };
    }));
}

export function previewWords(page) {
  return page.evaluate(previewWordsInPage);
}

// kolvara-sheet's PDF for an address's entries, each as the option it stands for.
export function kolvaraSheet(address, dir) {
  const args = [];
  for (const entry of address.split('&').filter(Boolean)) {
    const [key, value] = entry.split('=');
    args.push(`--${key}`);
    if (value !== undefined) args.push(value);
  }
  const file = join(dir, `kolvara-sheet-${Date.now()}-${Math.random().toString(36).slice(2)}.pdf`);
  const run = spawnSync(env.sheet, [...args, '-o', file], { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`kolvara-sheet ${args.join(' ')}: ${run.stderr}`);
  return file;
}

// The file a download put in `dir`, once it is complete.
export async function downloaded(dir, timeout = 30000) {
  const end = Date.now() + timeout;
  while (Date.now() < end) {
    const files = readdirSync(dir).filter((f) => f.endsWith('.pdf'));
    if (files.length) return join(dir, files[0]);
    await new Promise((done) => setTimeout(done, 100));
  }
  throw new Error(`no download in ${dir}`);
}

export async function allowDownloads(page, dir) {
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir,
    browserContextId: page.browserContext().id });
}

// The option-rule table of the window's tests: what, steps, selection and status codes.
export function clickCases() {
  const source = readFileSync(join(root, 'tests/generation/settings_test.cpp'), 'utf8');
  return [...source.matchAll(/ClickCase\{"([^"]*)",\s*"([^"]*)",\s*"([^"]*)",\s*"([^"]*)"\}/g)]
    .map((m) => ({ what: m[1], steps: m[2], selection: m[3], status: m[4] }));
}

// The window's answers to the click sequences, one a line.
export function windowAnswers(sequences) {
  const out = execFileSync(env.clicks, { input: sequences.join('\n') + '\n', encoding: 'utf8' });
  return out.trim().split('\n').map((line) => JSON.parse(line));
}

export function removeDir(dir) {
  rmSync(dir, { recursive: true, force: true });
}

// The lines of digits and "×" of a page, top to bottom, each as it reads from left to right
// across the problems: products and quotients with their working as written. A divisor
// stands a third of a cell left of its dividend, nearer than problems but farther than
// the digits of a number: a token ends there.
export function workingLinesOf(words) {
  return tokenLines(words, 0.25).filter((line) => /^[×\d ]+$/.test(line));
}

// ---- れんしゅう ----

// kolvara-sheet's problems with their answers: sheet No.`no` of a run of `no` sheets.
export function answersOf(work, options, no) {
  const file = join(work, `answers-${Math.random().toString(36).slice(2)}.json`);
  const run = spawnSync(env.sheet, [...options, '--sheets', String(no), '--json', '-o', file], { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`kolvara-sheet ${options.join(' ')}: ${run.stderr}`);
  return JSON.parse(readFileSync(file, 'utf8')).sheets[no - 1].problems;
}

// The box the cursor is in: its problem, whether it is a helper box, its middle across; run in
// the page, also as source by drivers other than puppeteer.
export function cursorInPage() {
  const root = document.querySelector('#practice');
  const cell = root.querySelector('.cell.cursor');
  const box = cell.querySelector('rect').getBBox();
  return { problem: Number(root.dataset.problem), helper: cell.classList.contains('helper'), x: box.x + box.width / 2 };
}

export const cursorOf = (page) => page.evaluate(cursorInPage);

// Writes one problem's answer from the ones up, passing over helper boxes; `wrongAt` puts a
// different digit in that place of the answer. Then つぎ. By keyboard unless `press` says
// otherwise.
export async function writeAnswer(page, answer,
  { wrongAt = -1, press = (key) => page.keyboard.press({ skip: ' ', next: 'Enter' }[key] ?? key) } = {}) {
  const digits = [...answer].filter((c) => /[0-9]/.test(c)).reverse();
  const start = await cursorOf(page);
  for (let place = 0; place < digits.length;) {
    const at = await cursorOf(page);
    if (at.problem !== start.problem) throw new Error('the cursor left the problem before its answer was written');
    if (at.helper) {
      await press('skip');
      continue;
    }
    await press(place === wrongAt ? String((Number(digits[place]) + 1) % 10) : digits[place]);
    ++place;
  }
  await press('next');
}


// ---- The written procedure, from kolvara-sheet --json alone ----

// What a pupil writes for one problem of kolvara-sheet's JSON, in the order they write it: items
// {key, helper}, key a digit or two, '' for a helper box left empty, 'skip' for a quotient
// place passed over, '.' for the point. Without `count`, the answer and working rows alone
// (helper boxes are the pupil's own notes); with it, every helper box too, a borrow over a
// digit that also borrows in the `reduced` notation (1 over the struck 2 of 421−397) or with its ten (11).
export function workingOf(p, { count = false, reduced = false } = {}) {
  const items = [];
  const digit = (key) => items.push({ key, helper: false });
  const helper = (key) => count && items.push({ key, helper: true });
  const onesFirst = (text) => [...text].reverse();
  if (p.op === '+' || p.op === '-') {
    const answer = p.answer.replace('.', '');
    const decimals = p.decimals;
    const places = answer.length;
    const columns = p.carries.length;  // carries and helpers from the highest column
    const handedOn = (c) => p.carries[columns - 1 - c] === 1;
    const helperAt = (c) => p.helpers[columns - c];
    const done = new Set();
    const later = new Set();  // columns whose ten is written when their own turn comes
    const lend = (c) => {
      if (done.has(c) || c > columns) return;  // a mixed sheet's carry box over its highest column too
      done.add(c);
      const h = helperAt(c);
      if (h !== null && Number(h) >= 10 && (reduced || h === '11')) {
        // The digit less one now; with its ten, the 1 goes before it when the column borrows in
        // turn (11 cannot be told from 1 followed by a ones digit of 1).
        helper(String(Number(h) - 10));
        if (!reduced) later.add(c);
      } else {
        helper(h === null ? '' : h);
      }
      if (count) items.at(-1).column = c;
    };
    const upper = p.upper.replace('.', '').padStart(columns, '0');
    const upperDigit = (c) => Number(upper[columns - 1 - c]);
    for (let c = 0; c < places; ++c) {
      if (p.op === '-') {
        // The borrow first: from the nearest digit that can lend, across zeros.
        if (c < columns && handedOn(c)) {
          let far = c + 1;
          while (far < columns - 1 && upperDigit(far) === 0) ++far;
          for (let k = far; k > c; --k) lend(k);
        } else {
          lend(c + 1);
        }
      }
      if (later.has(c)) items.push({ key: '1', helper: true, back: c });
      if (c === decimals && decimals > 0) digit('.');
      digit(onesFirst(answer)[c]);
      if (p.op === '+') helper(c + 1 < columns + 1 && handedOn(c) ? '1' : '');
    }
    return items;
  }
  if (p.op === 'x') {
    const rows = p.partials.length ? p.partials : [p.answer];
    const lower = Number(p.lower);
    const shifted = !p.partials.length && lower >= 10 && lower % 10 === 0;
    rows.forEach((row, r) => {
      const digits = onesFirst(row);
      const start = shifted ? 1 : 0;  // ×30: the 0 set down first, then 3 times the multiplicand
      if (shifted) digit(digits[0]);
      const carries = [...p.carries[r]].reverse();  // by the multiplicand's place, from the tens
      for (let k = start; k < digits.length; ++k) {
        digit(digits[k]);
        const place = k - start + 1;
        if (place < p.upper.length) helper(carries[place - 1] ? String(carries[place - 1]) : '');
      }
    });
    if (p.partials.length) for (const d of onesFirst(p.answer)) digit(d);
    return items;
  }
  // Division: たてる, かける, ひく, おろす, over every place of the dividend.
  const dividend = p.upper, divisor = p.lower;
  const quotient = p.answer.padStart(dividend.length, ' ');
  let next = 0;
  while (quotient[next] === ' ') {
    digit('skip');
    ++next;
  }
  const steps = p.steps;
  for (let s = 0; s < steps.length; ++s) {
    const q = p.answer[s];
    if (q === '0' && s > 0) continue;  // written when its place comes down
    const place = p.answer.length - 1 - s;  // from the ones
    digit(q);
    const product = steps[s].product;
    for (const d of divisor.length === 1 ? [...product] : onesFirst(product)) digit(d);
    // The difference with every place down to the next digit that is not 0.
    let until = s + 1;
    while (until < steps.length && p.answer[until] === '0') ++until;
    const untilPlace = until < steps.length ? p.answer.length - 1 - until : 0;
    let value = Number(steps[s].difference);
    for (let k = place - 1; k >= untilPlace; --k) value = value * 10 + Number(dividend[dividend.length - 1 - k]);
    const text = String(value);
    const column = (i) => untilPlace + text.length - 1 - i;  // the place of text[i]
    for (let i = text.length - 1; i >= 0; --i) if (column(i) >= place) digit(text[i]);
    for (let k = place - 1; k >= untilPlace; --k) {
      const i = text.length - 1 - (k - untilPlace);
      if (i >= 0) digit(text[i]);
      if (p.answer[p.answer.length - 1 - k] === '0') digit('0');
    }
  }
  return items;
}

// Types a problem's working into the practice by its pad, then つぎ; run in the page. An item
// for a helper box where the cursor is not on one is passed over: the sheet has no box there.
// Returns what happened at each item, to say where it went astray.
export function typeWorkingInPage(items) {
  const root = document.querySelector('#practice');
  const key = (k) => root.querySelector(`.pad .key-${k}`).click();
  const log = [];
  const boxOf = {};  // by column, the helper box written in
  const tap = (write) => {
    const r = root.querySelector(`.cell[data-write="${write}"] rect`).getBoundingClientRect();
    root.querySelector('#practice-stage').dispatchEvent(new PointerEvent('pointerdown',
      { bubbles: true, clientX: r.x + r.width / 2, clientY: r.y + r.height / 2 }));
  };
  for (const item of items) {
    const cell = root.querySelector('.cell.cursor');
    const onHelper = cell?.classList.contains('helper') ?? false;
    log.push(`${item.back !== undefined ? '<' : ''}${item.helper ? '^' : ''}${item.key}@${cell?.dataset.write}${onHelper ? '^' : ''}`);
    if (item.back !== undefined) {
      // Back to a box written before, to put the ten before its digit, then on from here.
      if (boxOf[item.back] === undefined) continue;
      tap(boxOf[item.back]);
      key(item.key);
      tap(cell.dataset.write);
      continue;
    }
    if (item.helper && !onHelper) continue;
    if (item.column !== undefined) boxOf[item.column] = cell.dataset.write;
    if (item.key === '' || item.key === 'skip') key('skip');
    else for (const c of item.key) key(c === '.' ? 'point' : c);
  }
  key('next');
  return log.join(' ');
}
