// What goes wrong around the page: the module stops in the middle of a call, the server
// goes away after the page's HTML, and Back after "更新".
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  addressOf, allowDownloads, downloaded, newPage, openSheet, pdfPages, previewWords, problemsOf, removeDir, startSite,
  tempDir,
} from './lib.mjs';

let site;
before(async () => { site = await startSite(); });
after(() => site.close());

// Every function of the module, as instantiated, throws as a trap in it would once
// `trapAfter` more calls have gone through.
function trapModule() {
  const wrap = (instance) => {
    const exports = {};
    for (const [name, value] of Object.entries(instance.exports)) {
      exports[name] = typeof value !== 'function' ? value : (...args) => {
        if (globalThis.trapAfter !== undefined && globalThis.trapAfter-- <= 0) {
          delete globalThis.trapAfter;
          throw new WebAssembly.RuntimeError('memory access out of bounds');
        }
        return value(...args);
      };
    }
    return { exports };
  };
  const streaming = WebAssembly.instantiateStreaming, plain = WebAssembly.instantiate;
  WebAssembly.instantiateStreaming = async (...args) => {
    const result = await streaming(...args);
    return { module: result.module, instance: wrap(result.instance) };
  };
  WebAssembly.instantiate = async (...args) => {
    const result = await plain(...args);
    return result instanceof WebAssembly.Instance ? wrap(result) : { module: result.module, instance: wrap(result.instance) };
  };
}

// The module is back and the printed pages are those of the sheet the address names.
const settled = (page) => page.waitForFunction(() => !document.querySelector('#print').disabled &&
  !document.documentElement.dataset.pending &&
  document.documentElement.dataset.printReady?.startsWith(`${location.hash.slice(1)}|true`));

test('a module that stops keeps one sheet on screen, on paper and in the address, and starts again', async () => {
  const page = await newPage(site.browser, { context: site.browser.defaultBrowserContext() });
  await page.evaluateOnNewDocument(trapModule);
  // The remembered settings stop the module as the page opens them: it opens the starting
  // settings instead, and still keeps the page for use offline.
  await page.evaluateOnNewDocument(() => { if (!sessionStorage.getItem('opened')) globalThis.trapAfter = 1; });
  await openSheet(page, `${site.base}#op=sub&upper=naa&lower=naa&carry=mmy&seed=40`);
  await settled(page);
  assert.match(await page.$eval('#alert', (e) => e.textContent), /エラー/);
  assert.match(await addressOf(page), /^op=add&upper=aaa&lower=aaa&carry=mmm&seed=\d+$/);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.evaluate(() => sessionStorage.setItem('opened', '1'));

  await openSheet(page, `${site.base}#op=sub&upper=naa&lower=naa&carry=mmy&seed=40`);
  await settled(page);
  // The module stops in 更新 itself, in laying out the new sheet, and in laying out the
  // printed pages after the new sheet is on screen: the last sheet shown in whole stays.
  for (const [trapAfter, seed] of [[0, 40], [1, 40], [2, 41]]) {
    const problems = problemsOf(await previewWords(page));
    await page.evaluate((n) => { globalThis.trapAfter = n; }, trapAfter);
    await page.click('#refresh');
    await settled(page);
    assert.match(await page.$eval('#alert', (e) => e.textContent), /エラー/, `trap after ${trapAfter}`);
    assert.equal(await addressOf(page), `op=sub&upper=naa&lower=naa&carry=mmy&seed=${seed}`, `trap after ${trapAfter}`);
    if (seed === 40) assert.deepEqual(problemsOf(await previewWords(page)), problems, `trap after ${trapAfter}`);
  }

  // The fresh module goes on from there, and PDF保存 saves the sheet on screen.
  await page.click('#refresh');
  await settled(page);
  assert.equal(await addressOf(page), 'op=sub&upper=naa&lower=naa&carry=mmy&seed=42');
  assert.equal(await page.$eval('#alert', (e) => e.textContent), '');
  const downloads = tempDir();
  await allowDownloads(page, downloads);
  await page.click('#save');
  assert.deepEqual(problemsOf(pdfPages(await downloaded(downloads))[0]), problemsOf(await previewWords(page)));
  removeDir(downloads);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('Back after 更新 brings the sheet before it again', async () => {
  const page = await newPage(site.browser);
  await openSheet(page, `${site.base}#op=add&upper=aaa&lower=aaa&carry=mmm&seed=7`);
  const first = problemsOf(await previewWords(page));
  await page.click('#RadioButton1_100Rest');  // an option click changes the entry, not the history
  const clicked = await addressOf(page);
  const shown = problemsOf(await previewWords(page));
  await page.click('#refresh');
  assert.match(await addressOf(page), /seed=8$/);
  await page.goBack();
  await page.waitForFunction((a) => document.documentElement.dataset.opened === a, {}, clicked);
  assert.equal(await addressOf(page), clicked);
  assert.deepEqual(problemsOf(await previewWords(page)), shown);
  assert.notDeepEqual(shown, first);
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

test('a server gone after the page itself: the page says it could not load and how to retry', async () => {
  const page = await newPage(site.browser);
  await page.setRequestInterception(true);
  page.on('request', (request) => (request.isNavigationRequest() ? request.continue() : request.abort()));
  await page.goto(site.base, { waitUntil: 'load' });
  await page.waitForSelector('#notice:not([hidden])');
  assert.match(await page.$eval('#notice', (e) => e.textContent), /読み込めませんでした[\s\S]*読み込み直す/);
  await page.browserContext().close();
});
