// The page in Firefox ESR, driven over WebDriver BiDi: it draws kolvara-sheet's sheet,
// 更新 draws the next one, and printing puts every sheet of 枚数 on its own page at the
// paper's full size, with no blank page between.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  kolvaraSheet, launchFirefox, openSheet, pdfPageSize, pdfPages, previewWords, problemsOf, removeDir, sheetExtent,
  startSite, tempDir,
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
