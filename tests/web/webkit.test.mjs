// The page in WebKitGTK, Safari's engine, which prints on whatever paper its dialog holds:
// it draws kolvara-sheet's sheet, 更新 draws the next one, and on A4 portrait and on A4
// landscape every printed page holds a whole B5 sheet, turned on the portrait page, never
// cut and filling the page rather than a corner of it.
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { promisify } from 'node:util';

import {
  env, kolvaraSheet, pdfPageSize, pdfPages, previewWordsInPage, problemsOf, removeDir, root, sheetExtent, startSite,
  tempDir,
} from './lib.mjs';

const ADDRESS = 'op=add&upper=aaa&lower=aaa&carry=mmm&paper=b5&seed=77&sheets=2';
const STATE = `JSON.stringify({ address: location.hash.slice(1),
  hint: document.getElementById('paper-hint').textContent, words: (${previewWordsInPage})() })`;

let site, work;
before(async () => {
  site = await startSite(null);
  work = tempDir();
});
after(async () => {
  await site?.close();
  removeDir(work);
});

// A portrait page's words as they stand on the turned sheet, top of the sheet up.
const turnedBack = (words, height) => words.map((w) => ({ text: w.text, xMin: height - w.yMax, xMax: height - w.yMin,
  yMin: w.xMin, yMax: w.xMax }));

test('draws, refreshes and prints whole sheets on any paper', async () => {
  const { stdout } = await promisify(execFile)('xvfb-run',
    ['-a', env.pythonGi, join(root, 'tests/web/webkit_print.py'), `${site.base}#${ADDRESS}`, work, STATE],
    { timeout: 120000 });
  const run = JSON.parse(stdout);
  assert.deepEqual(run.errors, []);

  const sheet = (seed) => pdfPages(kolvaraSheet(ADDRESS.replace('seed=77', `seed=${seed}`), work));
  const expected = sheet(77);
  assert.deepEqual(problemsOf(run.before.words), problemsOf(expected[0]), 'the sheet on screen');
  assert.equal(run.before.hint, '用紙：B5 横');
  assert.match(run.after.address, /seed=78/);
  const next = sheet(78);
  assert.deepEqual(problemsOf(run.after.words), problemsOf(next[0]), 'the sheet after 更新');
  const sheetWidth = sheetExtent(next[0]).xMax - sheetExtent(next[0]).xMin;

  for (const paper of ['portrait', 'landscape']) {
    const file = join(work, `${paper}.pdf`);
    const size = pdfPageSize(file);
    const pages = pdfPages(file).map((words) => (paper === 'portrait' ? turnedBack(words, size.height) : words));
    assert.equal(pages.length, next.length, `${paper}: one page a sheet and one its answers`);
    pages.forEach((words, i) => {
      assert.deepEqual(problemsOf(words), problemsOf(next[i]), `${paper} page ${i + 1}`);
      const box = sheetExtent(words);
      const [across, down] = paper === 'portrait' ? [size.height, size.width] : [size.width, size.height];
      assert.ok(box.xMin >= 0 && box.yMin >= 0 && box.xMax <= across && box.yMax <= down,
        `${paper} page ${i + 1} whole on the paper`);
      // Fitted to A4 less the dialog's margins, B5 grows by up to 297/257; at its own size
      // it would sit in a corner.
      const scale = (box.xMax - box.xMin) / sheetWidth;
      assert.ok(scale > 1.03 && scale < 297 / 257, `${paper} page ${i + 1} at ${scale.toFixed(2)} of B5 size`);
    });
  }
});
