// A link gives the very same sheet on another device; the device remembers the settings;
// after one visit the page reloads and works with the server gone.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  addressOf, allowDownloads, downloaded, newPage, openSheet, panelOf, pdfPages, previewWords, problemsOf, removeDir,
  startSite, tempDir,
} from './lib.mjs';

let site, first, shared;
before(async () => {
  site = await startSite();
  first = await newPage(site.browser);
});
after(() => site.close());

const sheetOf = async (page) => ({
  address: await addressOf(page),
  problems: problemsOf(await previewWords(page)),
  selection: (await panelOf(page)).selection,
});

test('a shared address gives the same sheet on another device', async () => {
  await openSheet(first, site.base);
  const opened = await addressOf(first);
  assert.match(opened, /^op=add&upper=aaa&lower=aaa&carry=mmm&seed=\d+$/, 'the clock gives a seed');
  for (const id of ['RadioGroupWaSaItem1', 'RadioButton2_100Rest', 'RadioButtonKuriAgariSagariAri_1'])
    await first.click(`#${id}`);
  await first.click('#refresh');
  shared = await sheetOf(first);
  const seed = Number(/seed=(\d+)/.exec(opened)[1]);
  assert.match(shared.address, new RegExp(`^op=sub&upper=naa&lower=naa&carry=mmy&seed=${(seed + 1) % 86400000}$`),
    '更新 moves on to the next seed');
  assert.equal(shared.problems.length, 20);

  const other = await newPage(site.browser, { width: 390, height: 844 });
  await openSheet(other, `${site.base}#${shared.address}`);
  assert.deepEqual(await sheetOf(other), shared);
  await other.browserContext().close();
});

test('the page can be added to a home screen', async () => {
  // In a profile of its own: a private one offers no installing.
  const home = await newPage(site.browser, { context: site.browser.defaultBrowserContext() });
  await openSheet(home, site.base);
  await home.evaluate(() => navigator.serviceWorker.ready);
  const cdp = await home.createCDPSession();
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors, []);
  await home.close();
  const manifest = await (await fetch(`${site.base}manifest.webmanifest`)).json();
  assert.equal(manifest.display, 'standalone');
  assert.ok(manifest.icons.some((icon) => icon.sizes === '512x512'));
});

test('the device remembers the settings of the last visit', async () => {
  const again = await newPage(site.browser, { context: first.browserContext() });
  await openSheet(again, site.base);
  const sheet = await sheetOf(again);
  assert.deepEqual(sheet.selection, shared.selection);
  assert.equal(sheet.address.replace(/&seed=\d+/, ''), shared.address.replace(/&seed=\d+/, ''));
  await again.close();
});

test('after one visit the page reloads and works with the network cut off', async () => {
  await first.evaluate(() => navigator.serviceWorker.ready);
  await first.waitForFunction(() => navigator.serviceWorker.controller);
  await site.stopServer();
  await assert.rejects(fetch(site.base), 'the server is gone');

  await first.reload({ waitUntil: 'load' });
  await first.waitForFunction((address) => document.documentElement.dataset.opened === address, {}, shared.address);
  assert.deepEqual(await sheetOf(first), shared);

  await first.click('#refresh');
  const next = await sheetOf(first);
  assert.notEqual(next.address, shared.address);
  assert.notDeepEqual(next.problems, shared.problems);

  const downloads = tempDir();
  await allowDownloads(first, downloads);
  await first.click('#save');
  const pages = pdfPages(await downloaded(downloads));
  assert.equal(pages.length, 2);
  assert.deepEqual(problemsOf(pages[0]), next.problems);
  removeDir(downloads);
  assert.deepEqual(first.errors, []);
});
