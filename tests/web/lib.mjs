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

