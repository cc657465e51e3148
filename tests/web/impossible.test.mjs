// Settings that admit no problem: the count line gives the window's reason in red, and the
// sheet, its address and its printed pages stay as they were, also after "更新".
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { after, before, test } from 'node:test';

import {
  addressOf, env, newPage, openSheet, panelOf, previewWords, problemsOf, startSite, windowAnswers, workingLinesOf,
} from './lib.mjs';

let site;
before(async () => { site = await startSite(); });
after(() => site.close());

test('a setting without problems shows its reason and keeps the sheet', async () => {
  const page = await newPage(site.browser, { width: 1180, height: 820 });
  await openSheet(page, `${site.base}#op=add&upper=aaa&lower=aaa&carry=mmm&seed=77`);
  // Both tens 0, then a tens column that must carry.
  const steps = ['1_10Zero', '2_10Zero', 'K:Ari_10'];
  for (const step of steps.slice(0, 2)) await page.click(`#RadioButton${step}`);
  const address = await addressOf(page);
  const problems = problemsOf(await previewWords(page));
  const printed = await page.$eval('#print-pages', (e) => e.innerHTML);

  await page.click('#RadioButtonKuriAgariSagariAri_10');
  const [window] = windowAnswers([steps.join(' ')]);
  assert.ok(window.count.impossible);
  let panel = await panelOf(page);
  assert.equal(panel.count, window.count.text);
  assert.ok(panel.impossible, 'the reason in red');
  assert.equal(await addressOf(page), address);
  assert.deepEqual(problemsOf(await previewWords(page)), problems);

  await page.click('#refresh');
  panel = await panelOf(page);
  assert.equal(panel.alert, window.count.text, '更新 says why');
  assert.equal(await addressOf(page), address);
  assert.deepEqual(problemsOf(await previewWords(page)), problems);
  assert.equal(await page.$eval('#print-pages', (e) => e.innerHTML), printed, 'the printed pages too');
  assert.equal(await page.$eval('#print', (b) => b.disabled), false, 'the kept sheet can still be printed');
  assert.deepEqual(page.errors, []);
});

test("an address without problems gives kolvara-sheet's reason and keeps a sheet", async () => {
  const page = await newPage(site.browser);
  // The window's subtraction adjustment would find problems here; kolvara-sheet finds none.
  const address = 'op=sub&upper=0an&lower=aaa&carry=yyn&seed=5';
  const run = spawnSync(env.sheet, [...address.split('&').flatMap((e) => [`--${e.split('=')[0]}`, e.split('=')[1]]),
    '-o', '/dev/null'], { encoding: 'utf8' });
  assert.equal(run.status, 2);
  const reason = run.stderr.split('\n')[0].replace(/^kolvara-sheet: /, '');
  await openSheet(page, `${site.base}#${address}`);
  const panel = await panelOf(page);
  assert.ok(panel.impossible);
  assert.equal(panel.count, reason);
  assert.equal(panel.alert, reason);
  assert.equal(panel.operation, 1, 'the panel shows the settings asked for');
  // Nothing shown before: the starting settings' sheet for that seed number.
  assert.equal(await addressOf(page), 'op=add&upper=aaa&lower=aaa&carry=mmm&seed=5');
  assert.equal(problemsOf(await previewWords(page)).length, 20);
  assert.equal(await page.$eval('#print', (b) => b.disabled), false);
  assert.deepEqual(page.errors, []);
});

test('an address the page cannot read leaves the defaults and says so', async () => {
  const page = await newPage(site.browser);
  await openSheet(page, `${site.base}#op=sub&upper=xyz&seed=12`);
  assert.match((await panelOf(page)).alert, /upper=xyz/);
  assert.equal(await addressOf(page), 'op=sub&upper=aaa&lower=aaa&carry=mmm&seed=12');
  // Far too long to be one of the page's (yet within what the browser takes): not read
  // at all, and nothing breaks.
  await openSheet(page, `${site.base}#seed=${'9'.repeat(1500000)}`);
  assert.match((await panelOf(page)).alert, /seed=999/);
  assert.equal(problemsOf(await previewWords(page)).length, 20);
  assert.deepEqual(page.errors, []);
});

// Products and quotients kolvara-sheet refuses: a condition of the other operation, a
// divisor that can only be 0, a page size the problems do not take. The page says
// kolvara-sheet's own words and keeps the last good sheet and its address.
test("products and quotients kolvara-sheet refuses keep the sheet with kolvara-sheet's reason", async () => {
  const page = await newPage(site.browser);
  const good = 'op=div&upper=nnn&lower=00n&seed=8';
  await openSheet(page, `${site.base}#${good}`);
  const problems = problemsOf(await previewWords(page));
  const working = workingLinesOf(await previewWords(page));
  assert.equal(working.length, 2, 'two rows of quotients');
  for (const bad of ['op=mul&upper=nn&lower=n&remainder=y', 'op=div&upper=nn&lower=0', 'per-page=12&op=div&upper=nnn&lower=n']) {
    const run = spawnSync(env.sheet, [...bad.split('&').flatMap((e) => [`--${e.split('=')[0]}`, e.split('=')[1]]),
      '-o', '/dev/null'], { encoding: 'utf8' });
    assert.equal(run.status, 2, bad);
    const reason = run.stderr.split('\n')[0].replace(/^kolvara-sheet: /, '');
    await openSheet(page, `${site.base}#${bad}&seed=9`);
    const panel = await panelOf(page);
    assert.equal(panel.alert, reason, bad);
    assert.equal(panel.count, reason, bad);
    assert.ok(panel.impossible, bad);
    assert.equal(await addressOf(page), good, bad);
    assert.deepEqual(workingLinesOf(await previewWords(page)), working, bad);
  }
  assert.deepEqual(problemsOf(await previewWords(page)), problems);
  assert.deepEqual(page.errors, []);
});
