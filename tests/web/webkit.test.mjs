// The page in WebKitGTK, Safari's engine, which prints on whatever paper its dialog holds:
// it draws kolvara-sheet's sheet, 更新 draws the next one, and on A4 portrait and on A4
// landscape every printed page holds a whole B5 sheet, turned on the portrait page, never
// cut and filling the page rather than a corner of it. A pupil's 出席番号 and kolvara-sheet's
// answers of that sheet, typed on the practice's pad, mark it 20 of 20.
import assert from 'node:assert/strict';
import { execFile, spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
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

// Works the sheet through the pad's own buttons: the 出席番号, then each answer from the ones
// up, passing over helper boxes, then まるつけ.
const WORK = (no, answers) => `JSON.stringify((() => {
  const root = document.getElementById('practice');
  for (const key of [...'${no}', 'start']) root.querySelector('#practice-number .key-' + key).click();
  const press = (key) => root.querySelector(':scope > .pad .key-' + key).click();
  for (const answer of ${JSON.stringify(answers)}) {
    const digits = [...answer].reverse();
    for (let place = 0, turns = 0; place < digits.length && turns < 40; ++turns) {
      if (root.querySelector('.cell.cursor').classList.contains('helper')) press('skip');
      else press(digits[place++]);
    }
    press('next');
  }
  press('mark');
  return { address: location.hash.slice(1), score: document.querySelector('#practice-result .score').textContent };
})())`;

test('a pupil enters their number and works that sheet to 20 of 20', async () => {
  const file = join(work, 'answers.json');
  const run = spawnSync(env.sheet, ['--step', 'add-3', '--seed', '606', '--sheets', '12', '--json', '-o', file]);
  assert.equal(run.status, 0, String(run.stderr));
  const answers = JSON.parse(readFileSync(file, 'utf8')).sheets[11].problems.map((p) => p.answer);
  const { stdout } = await promisify(execFile)('xvfb-run',
    ['-a', env.pythonGi, join(root, 'tests/web/webkit_practice.py'), `${site.base}#step=add-3&seed=606&practice`,
      WORK(12, answers)], { timeout: 120000 });
  const { answer, errors } = JSON.parse(stdout);
  assert.deepEqual(errors, []);
  assert.match(answer.address, /&seed=606&practice&no=12$/);
  assert.equal(answer.score, '20もん中20もん せいかい');
});
