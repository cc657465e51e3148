// The web version's figures, in Debian's headless Chromium against the built site on a
// loopback port (scripts/bench-web.sh builds it and runs this):
//
//   - what the first visit transfers, compressed as the server sends it: what the page
//     loads to show its first sheet, and what the service worker keeps besides, split into
//     the PDF writer (loaded only for "PDF保存") and the rest;
//   - the first sheet on screen after navigation, beside a bare page with one Japanese line
//     in the same face, in alternation, each in a fresh browser context;
//   - "更新" to the new sheet laid out on screen;
//   - for products and quotients (the widest settings of each, or KOLVARA_BENCH_SHEET when
//     it names one), a click on one of their conditions to the count line and the new sheet
//     laid out on screen, each click a count the module has not made before; and the
//     module's own share, the count with the panel's state and the page's layout apart;
//   - れんしゅう on a quotient sheet on a tablet: the pupil's sheet laid out on screen from the
//     button, and a digit written to its box drawn;
//   - a 100-sheet PDF in the browser, the first time (the PDF writer still to load) and again.
//
//   node bench/web/web_bench.mjs SITE_DIR [RUNS] [SCREENSHOT_DIR]
import { execFileSync } from 'node:child_process';
import { cpSync, mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { brotliCompressSync, constants, gzipSync } from 'node:zlib';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
const require = createRequire(join(root, 'web/package.json'));
const puppeteer = require('puppeteer-core');
const { serve } = await import(pathToFileURL(join(root, 'web/serve.mjs')).href);

const [siteArg, runsArg = '15', shotsDir] = process.argv.slice(2);
if (!siteArg) {
  console.error('usage: node bench/web/web_bench.mjs SITE_DIR [RUNS] [SCREENSHOT_DIR]');
  process.exit(2);
}
const runs = Number(runsArg);
if (shotsDir) mkdirSync(shotsDir, { recursive: true });

// The site with the bare page beside it, served as the page is.
const work = mkdtempSync(join(tmpdir(), 'kolvara-web-bench-'));
cpSync(siteArg, work, { recursive: true });
cpSync(join(root, 'bench/web/bare.html'), join(work, 'bare.html'));
const server = await serve(work, 0);
const base = `http://127.0.0.1:${server.port}/`;
const browser = await puppeteer.launch({
  executablePath: process.env.KOLVARA_CHROMIUM ?? '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-quic', '--disable-dev-shm-usage'],
});

// The tab the browser opens by itself would only run beside the pages measured.
for (const tab of await browser.pages()) await tab.close();

const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};
const quantile = (values, q) => [...values].sort((a, b) => a - b)[Math.min(values.length - 1, Math.floor(q * values.length))];
const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
const ms = (value) => (value >= 0 ? `${value.toFixed(1)} ms` : 'n/a');
// The sheet to time; KOLVARA_BENCH_SHEET names another, such as the widest settings.
const SHEET = process.env.KOLVARA_BENCH_SHEET ?? '#op=add&upper=aaa&lower=aaa&carry=mmm&seed=1';

async function freshPage(width = 1366, height = 768) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width, height });
  return page;
}

// ---- Transfer size ----
{
  const page = await freshPage();
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
  const urls = new Map();
  const sizes = new Map();
  cdp.on('Network.responseReceived', (e) => urls.set(e.requestId, [e.response.url, e.response.headers['content-encoding'] ?? e.response.headers['Content-Encoding'] ?? '']));
  cdp.on('Network.loadingFinished', (e) => sizes.set(e.requestId, e.encodedDataLength));
  await page.goto(base + SHEET, { waitUntil: 'load' });
  await page.waitForFunction(() => performance.getEntriesByName('kolvara:sheet-drawn').length > 0);
  let total = 0;
  const lines = [];
  for (const [id, [url, encoding]] of urls) {
    const bytes = sizes.get(id) ?? 0;
    total += bytes;
    lines.push(`    ${url.replace(base, '').padEnd(28)} ${kb(bytes).padStart(9)}  ${encoding}`);
  }
  console.log(`First visit, what the page loads to show its first sheet (${urls.size} files, as sent):`);
  console.log(lines.sort().join('\n'));
  console.log(`    total ${kb(total)}`);

  // What the service worker keeps on that visit, as the server would send it.
  const sw = readFileSync(join(work, 'sw.js'), 'utf8');
  const files = JSON.parse(/const FILES = (\[.*\]);/.exec(sw)[1]).filter((f) => f !== './');
  const pdfOnly = /^(pdf\.js|vendor\/|fonts\/.*\.ttf$)/;
  const sum = { br: [0, 0], gzip: [0, 0] };
  for (const file of files) {
    const body = readFileSync(join(work, file));
    const compressible = !/\.(png|woff2)$/.test(file);
    const br = compressible ? brotliCompressSync(body, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length : body.length;
    const gz = compressible ? gzipSync(body, { level: 9 }).length : body.length;
    const part = pdfOnly.test(file) ? 1 : 0;
    sum.br[part] += br;
    sum.gzip[part] += gz;
  }
  console.log(`Everything the service worker keeps on the first visit (${files.length + 1} files):`);
  console.log(`    without the PDF writer: ${kb(sum.br[0])} brotli, ${kb(sum.gzip[0])} gzip`);
  console.log(`    the PDF writer (pdf.js, pdf-lib, fontkit, the TrueType faces): ${kb(sum.br[1])} brotli, ${kb(sum.gzip[1])} gzip`);
  await page.browserContext().close();
}

// ---- First sheet on screen, beside the bare page ----
{
  const times = { page: [], bare: [], pageFcp: [], bareFcp: [] };
  for (let i = 0; i < runs; ++i) {
    for (const [name, url] of [['bare', base + 'bare.html'], ['page', base + SHEET]]) {
      const page = await freshPage();
      await page.goto(url, { waitUntil: 'load' });
      await page.waitForFunction(() => performance.getEntriesByName('kolvara:sheet-drawn').length > 0);
      await page.waitForFunction(() => performance.getEntriesByName('first-contentful-paint').length > 0,
        { timeout: 3000 }).catch(() => {});
      const [drawn, fcp] = await page.evaluate(() => [
        performance.getEntriesByName('kolvara:sheet-drawn')[0].startTime,
        performance.getEntriesByName('first-contentful-paint')[0]?.startTime ?? -1]);
      times[name].push(drawn);
      times[`${name}Fcp`].push(fcp);
      await page.browserContext().close();
    }
  }
  const ratio = median(times.page.map((t, i) => t / times.bare[i]));
  console.log(`First sheet on screen after navigation, fresh context, ${runs} runs each in turn (medians):`);
  console.log(`    the page  ${ms(median(times.page))}   (first contentful paint ${ms(median(times.pageFcp))})`);
  console.log(`    bare page ${ms(median(times.bare))}   (first contentful paint ${ms(median(times.bareFcp))})`);
  console.log(`    page / bare ${ratio.toFixed(2)} (median of the pairs' ratios)`);
}

// ---- "更新" ----
{
  const page = await freshPage();
  await page.goto(base + SHEET, { waitUntil: 'load' });
  await page.waitForFunction(() => performance.getEntriesByName('kolvara:sheet-drawn').length > 0);
  const clicks = 60;
  const laidOut = await page.evaluate(async (n) => {
    const button = document.getElementById('refresh');
    const svg = () => document.querySelector('#preview svg');
    const result = [];
    for (let i = 0; i < n; ++i) {
      await new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));
      const start = performance.now();
      button.click();
      // The new sheet's style and layout, as the frame that shows it needs them.
      svg().getBoundingClientRect();
      svg().querySelector('text:last-of-type').getComputedTextLength();
      result.push(performance.now() - start);
    }
    return result;
  }, clicks);
  // Real clicks, timed by the browser from the input to the frame that shows the result.
  await page.evaluate(() => {
    window.eventDurations = [];
    new PerformanceObserver((list) => {
      for (const e of list.getEntries()) if (e.name === 'click') window.eventDurations.push(e.duration);
    }).observe({ type: 'event', durationThreshold: 16, buffered: false });
  });
  for (let i = 0; i < 20; ++i) {
    await page.click('#refresh');
    await new Promise((done) => setTimeout(done, 50));
  }
  const slow = await page.evaluate(() => window.eventDurations);
  console.log(`"更新" to the new sheet laid out, ${clicks} clicks: median ${ms(median(laidOut))}, 90th percentile ${ms(quantile(laidOut, 0.9))}, slowest ${ms(Math.max(...laidOut))}`);
  console.log(`    input to next frame (browser's event timing): ${slow.length} of 20 real clicks took 16 ms or more${slow.length ? ` (${slow.map((d) => d.toFixed(0)).join(', ')} ms)` : ''}`);
  await page.browserContext().close();
}

// ---- れんしゅう: a pupil's sheet on screen, and a digit into its box ----
{
  const page = await freshPage(820, 1180);
  await page.goto(`${base}#step=div-3-2&seed=1`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true');
  const { opened, typed } = await page.evaluate(async (n) => {
    const frame = () => new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));
    const result = { opened: [], typed: [] };
    for (let i = 0; i < n; ++i) {
      await frame();
      let start = performance.now();
      document.getElementById('practice-start').click();
      document.querySelector('#practice-stage svg').getBoundingClientRect();
      result.opened.push(performance.now() - start);
      for (let k = 0; k < 5; ++k) {
        await frame();
        start = performance.now();
        document.dispatchEvent(new KeyboardEvent('keydown', { key: String(k), bubbles: true }));
        document.querySelector('#practice .cell.cursor').getBoundingClientRect();
        result.typed.push(performance.now() - start);
      }
      document.getElementById('practice-back').click();
    }
    return result;
  }, 20);
  console.log(`れんしゅう, 3けた÷2けた on a tablet: the sheet laid out from the button median ${ms(median(opened))} ` +
    `(slowest ${ms(Math.max(...opened))}); a digit into its box median ${ms(median(typed))} (slowest ${ms(Math.max(...typed))})`);
  await page.browserContext().close();
}

// ---- Products and quotients: a condition's click, the count and the new sheet ----
{
  const widest = ['#op=mul&upper=aaa&lower=aa&seed=1', '#op=div&upper=aaa&lower=aa&seed=1'];
  const named = /[#&]op=(mul|div)(&|$)/.test(SHEET);
  for (const address of named ? [SHEET] : widest) {
    const page = await freshPage();
    await page.goto(base + address, { waitUntil: 'load' });
    await page.waitForFunction(() => document.documentElement.dataset.ready === 'true');
    const clicks = 45;
    const result = await page.evaluate(async (n) => {
      // The first condition the panel shows, its entries in turn: three counts that follow
      // one another, so no click finds the one before it made.
      const row = [...document.querySelectorAll('#conditions .condition')].find((c) => c.offsetParent !== null);
      const inputs = [...row.querySelectorAll('input')];
      const svg = () => document.querySelector('#preview svg');
      const times = [];
      for (let i = 0; i < n; ++i) {
        await new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0)));
        const input = inputs.filter((e) => !e.checked)[i % (inputs.length - 1)];
        const start = performance.now();
        input.click();
        svg().getBoundingClientRect();
        svg().querySelector('text:last-of-type').getComputedTextLength();
        times.push(performance.now() - start);
      }
      // The module alone, in an instance of its own: the count with the panel's state, then
      // the page's layout.
      const module = await (await import('./kolvara.js')).default();
      const open = module.cwrap('kv_open', 'string', ['string', 'number']);
      const set = module.cwrap('kv_set', 'string', ['string', 'string']);
      const layout = module.cwrap('kv_page', 'string', ['number', 'number']);
      open(location.hash.slice(1), 0);
      const counts = [], layouts = [];
      for (let i = 0; i < n; ++i) {
        let start = performance.now();
        set(row.dataset.key, inputs[i % inputs.length].value);
        counts.push(performance.now() - start);
        start = performance.now();
        layout(0, 0);
        layouts.push(performance.now() - start);
      }
      return { key: row.dataset.key, count: document.getElementById('LabelProblemCount').textContent, times, counts, layouts };
    }, clicks);
    const { times, counts, layouts } = result;
    console.log(`${address.slice(1)}: a click on ${result.key} to the count and the new sheet laid out, ${clicks} clicks ` +
      `(${result.count}): median ${ms(median(times))}, 90th percentile ${ms(quantile(times, 0.9))}, slowest ${ms(Math.max(...times))}`);
    console.log(`    the module alone: count and state median ${ms(median(counts))} (90th percentile ${ms(quantile(counts, 0.9))}), ` +
      `layout median ${ms(median(layouts))}`);
    await page.browserContext().close();
  }
}

// ---- A 100-sheet PDF ----
{
  const page = await freshPage();
  const downloads = mkdtempSync(join(tmpdir(), 'kolvara-web-pdf-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads, browserContextId: page.browserContext().id });
  await page.goto(`${base}${SHEET}&sheets=100`, { waitUntil: 'load' });
  await page.waitForFunction(() => performance.getEntriesByName('kolvara:sheet-drawn').length > 0);
  const times = [];
  for (let i = 0; i < 3; ++i) {
    await page.click('#save');
    await page.waitForFunction((n) => performance.getEntriesByName('kolvara:pdf').length > n, { timeout: 120000 }, i);
    times.push(await page.evaluate((n) => performance.getEntriesByName('kolvara:pdf')[n].duration, i));
  }
  await new Promise((done) => setTimeout(done, 500));
  const file = execFileSync('sh', ['-c', `ls ${downloads}/*.pdf | head -1`], { encoding: 'utf8' }).trim();
  const pages = execFileSync('pdfinfo', [file], { encoding: 'utf8' }).match(/Pages:\s+(\d+)/)[1];
  console.log(`A 100-sheet PDF (${pages} pages, ${kb(readFileSync(file).length)}): first ${ms(times[0])} (with loading the PDF writer), then ${ms(times[1])} and ${ms(times[2])}`);
  if (shotsDir) cpSync(file, join(shotsDir, 'web-100-sheets.pdf'));
  rmSync(downloads, { recursive: true, force: true });
  await page.browserContext().close();
}

// ---- How it looks ----
if (shotsDir) {
  for (const [name, width, height] of [['phone', 390, 844], ['tablet', 1180, 820], ['laptop', 1366, 768]]) {
    const page = await freshPage(width, height);
    await page.goto(`${base}#op=sub&upper=naa&lower=naa&carry=mmy&seed=502`, { waitUntil: 'load' });
    await page.waitForFunction(() => performance.getEntriesByName('kolvara:sheet-drawn').length > 0);
    await page.screenshot({ path: join(shotsDir, `web-${name}.png`) });
    if (name === 'phone') await page.screenshot({ path: join(shotsDir, `web-${name}-full.png`), fullPage: true });
    await page.browserContext().close();
  }
  // A division sheet with the panel on わり算, the tablet upright.
  for (const [name, width, height] of [['phone', 390, 844], ['tablet', 820, 1180], ['laptop', 1366, 768]]) {
    const page = await freshPage(width, height);
    await page.goto(`${base}#step=div-3-1-2&seed=5`, { waitUntil: 'load' });
    await page.waitForFunction(() => document.documentElement.dataset.ready === 'true');
    await page.screenshot({ path: join(shotsDir, `web-division-${name}.png`), fullPage: name !== 'laptop' });
    await page.browserContext().close();
  }
  // れんしゅう with a few digits written, upright and across.
  for (const [name, width, height] of [['phone', 390, 844], ['tablet', 820, 1180], ['tablet-across', 1180, 820]]) {
    const page = await freshPage(width, height);
    await page.goto(`${base}#step=mul-2-2&seed=5&practice&mark=each&no=3`, { waitUntil: 'load' });
    await page.waitForFunction(() => document.documentElement.dataset.ready === 'true');
    for (const key of '4321') await page.keyboard.press(key);
    await page.screenshot({ path: join(shotsDir, `web-practice-${name}.png`) });
    await page.browserContext().close();
  }
  const page = await freshPage();
  await page.goto(`${base}#op=sub&upper=naa&lower=naa&carry=mmy&seed=502`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.printReady);
  const printed = join(shotsDir, 'web-printed.pdf');
  await page.pdf({ path: printed, preferCSSPageSize: true, printBackground: true });
  execFileSync('pdftoppm', ['-r', '60', '-png', printed, join(shotsDir, 'web-printed')]);
  execFileSync('pdftoppm', ['-r', '60', '-png', '-f', '1', '-l', '2', join(shotsDir, 'web-100-sheets.pdf'), join(shotsDir, 'web-saved')]);
  await page.browserContext().close();
  console.log(`Screenshots and PDF pages in ${shotsDir}`);
}

await browser.close();
server.close();
rmSync(work, { recursive: true, force: true });
