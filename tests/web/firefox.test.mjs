// The page in Firefox ESR, driven over WebDriver BiDi: it draws kolvara-sheet's sheet,
// 更新 draws the next one, and printing puts every sheet of 枚数 on its own page at the
// paper's full size, with no blank page between. A pupil's sheet typed in the practice,
// a box chosen by a click, marks 20 of 20.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  answersOf, cursorOf, kolvaraSheet, launchFirefox, openSheet, pdfPageSize, pdfPages, previewWords, problemsOf, removeDir, sheetExtent,
  startSite, tempDir, writeAnswer,
} from './lib.mjs';

const ADDRESS = 'op=sub&upper=naa&lower=naa&carry=mmy&seed=502&sheets=2';

let site, work;
before(async () => {
  site = await startSite(launchFirefox);
  work = tempDir();
});
after(async () => {
  await site?.close();
  removeDir(work);
});

test('draws, refreshes and prints whole sheets at size', async () => {
  // Sheet 1 and its answers, then sheet 2 (seed 503) and its answers.
  const file = kolvaraSheet(ADDRESS, work);
  const expected = pdfPages(file);
  const expectedSize = pdfPageSize(file);
  const page = await site.browser.newPage();
  await page.setViewport({ width: 1366, height: 768 });
  await openSheet(page, `${site.base}#${ADDRESS}`);
  assert.deepEqual(problemsOf(await previewWords(page)), problemsOf(expected[0]), 'the sheet on screen');
  assert.equal(await page.$eval('#paper-hint', (e) => e.textContent), '用紙：A4 横');

  await page.click('#refresh');
  await page.waitForFunction(() => /seed=503/.test(location.hash) && !document.documentElement.dataset.pending);
  assert.deepEqual(problemsOf(await previewWords(page)), problemsOf(expected[2]), 'the sheet after 更新');

  const printed = `${work}/printed.pdf`;
  await page.pdf({ path: printed, preferCSSPageSize: true, printBackground: true });
  const size = pdfPageSize(printed);
  assert.ok(Math.abs(size.width - expectedSize.width) < 1 && Math.abs(size.height - expectedSize.height) < 1,
    `the paper: ${size.width} x ${size.height}`);
  // 更新 moved on by one seed: sheet 2 of the address is now the first printed.
  const next = pdfPages(kolvaraSheet(ADDRESS.replace('seed=502', 'seed=503'), work));
  const pages = pdfPages(printed);
  assert.equal(pages.length, next.length, 'one page a sheet and one its answers, nothing blank');
  pages.forEach((words, i) => {
    assert.deepEqual(problemsOf(words), problemsOf(next[i]), `printed page ${i + 1}`);
    const [got, want] = [sheetExtent(words), sheetExtent(next[i])];
    for (const side of ['xMin', 'yMin', 'xMax', 'yMax'])
      assert.ok(Math.abs(got[side] - want[side]) < 3, `printed page ${i + 1} at size: ${side} ${got[side]} for ${want[side]}`);
  });
});

test('a pupil types the answers of their sheet to 20 of 20', async () => {
  const page = await site.browser.newPage();
  await page.setViewport({ width: 820, height: 1180 });
  await page.goto(`${site.base}#step=add-3&seed=73&practice&no=4`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true' &&
    !document.querySelector('#practice').hidden);
  const [first, ...rest] = answersOf(work, ['--step', 'add-3', '--seed', '73'], 4);
  // A click on the ones box of the first problem chooses it again after a digit moved on.
  await page.keyboard.press('5');
  await page.click('#practice .cell[data-problem="0"]:not(.helper) rect');
  assert.equal((await cursorOf(page)).helper, false);
  for (const answer of [first, ...rest].map((p) => p.answer)) await writeAnswer(page, answer);
  await page.click('#practice .key-mark');
  assert.equal(await page.$eval('#practice-result .score', (e) => e.textContent), '20もん中20もん せいかい');
  await page.close();
});
