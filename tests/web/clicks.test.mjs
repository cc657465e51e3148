// The option-rule table of the window's tests, clicked on the page: the same options end up
// selected, and the page shows the window's count or reason and an address with the
// settings the window would fill from.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { after, before, test } from 'node:test';

import {
  addressOf, clickCases, env, kolvaraSheet, newPage, openSheet, panelOf, pdfPages, previewWords, removeDir, startSite,
  tempDir, windowAnswers, workingLinesOf,
} from './lib.mjs';

const CODES = { Z: 0, R: 1, A: 2, a: 0, n: 1, k: 2 };
const DEFAULT = 'op=add&upper=aaa&lower=aaa&carry=mmm';

let site, page, work;
before(async () => {
  site = await startSite();
  page = await newPage(site.browser);
  work = tempDir();
});
after(async () => {
  await site.close();
  removeDir(work);
});

const cases = clickCases();

test('the table is read from the window tests', () => {
  assert.ok(cases.length >= 20, `only ${cases.length} cases found`);
});

const answers = windowAnswers(cases.map((c) => c.steps));

cases.forEach((c, i) => {
  test(c.what, async () => {
    await openSheet(page, `${site.base}#${DEFAULT}&seed=${1000 + i}`);
    for (const step of c.steps.split(/\s+/).filter(Boolean)) {
      const id = step === '+' ? 'RadioGroupWaSaItem0' : step === '-' ? 'RadioGroupWaSaItem1'
        : step.startsWith('K:') ? `RadioButtonKuriAgariSagari${step.slice(2)}` : `RadioButton${step}`;
      await page.click(`#${id}`);
    }
    const shown = await panelOf(page);
    const window = answers[i];
    assert.deepEqual(shown.selection, [...c.selection].map((letter) => CODES[letter]), 'the table');
    assert.deepEqual(shown.selection, window.selection, 'the window model');
    assert.equal(shown.operation, window.operation);
    assert.equal(shown.count, window.count.text);
    assert.equal(shown.impossible, window.count.impossible);
    const address = await addressOf(page);
    assert.equal(address.replace(/&seed=\d+/, ''), window.settings);
    assert.match(address, new RegExp(`&seed=${1000 + i}(&|$)`), 'clicks keep the starting state');
    assert.deepEqual(page.errors, []);
  });
});

// What the panel shows of each kind of problems, read from the page.
function kindPanel(p) {
  return p.evaluate(() => {
    const visible = (e) => e.offsetParent !== null;
    return {
      steps: [...document.querySelectorAll('#step option')].map((o) => o.value).filter(Boolean),
      conditions: [...document.querySelectorAll('#conditions .condition')].filter(visible).map((c) => c.dataset.key),
      places: [...document.querySelectorAll('#long .places fieldset')].filter(visible).map((f) => f.getAttribute('aria-label')),
      perPage: [...document.querySelectorAll('#per-page option')].map((o) => o.textContent),
      windowGrid: visible(document.querySelector('#groups')),
    };
  });
}

// The page's choice of kind: each kind's own steps, places and conditions; a switch leaves
// no condition of another kind and no page size the problems do not take, and coming back
// finds a kind's settings as they were left.
test('the kind of problems shows its own steps, places and conditions and keeps each kind', async () => {
  const p = await newPage(site.browser, { width: 820, height: 1180 });
  await openSheet(p, `${site.base}#op=sub&upper=naa&lower=naa&carry=mmy&per-page=8&seed=30`);
  const stepKeys = execFileSync(env.sheet, ['--list-steps'], { encoding: 'utf8' }).split('\n')
    .filter((line) => line && !line.startsWith('#')).map((line) => line.split('\t')[0]);
  const ofKind = (prefixes) => stepKeys.filter((key) => prefixes.some((prefix) => key.startsWith(prefix)));

  let shown = await kindPanel(p);
  assert.deepEqual(shown.steps, ofKind(['add', 'sub', 'mixed', 'dec']));
  assert.deepEqual(shown.conditions, []);
  assert.ok(shown.windowGrid);

  await p.click('#kind4');  // わり算: the first step of division, at the page size of division
  assert.equal(await addressOf(p), 'op=div&upper=0nn&lower=00n&remainder=n&quotient-digits=2&seed=30');
  shown = await kindPanel(p);
  assert.deepEqual(shown.steps, ofKind(['div']));
  assert.deepEqual(shown.conditions, ['remainder', 'quotient-zero', 'guess-fix', 'quotient-digits']);
  assert.deepEqual(shown.places, ['わられる数の百の位', 'わられる数の十の位', 'わられる数の一の位', 'わる数の十の位', 'わる数の一の位']);
  assert.deepEqual(shown.perPage, ['6', '4']);
  assert.ok(!shown.windowGrid);
  assert.equal(await p.$eval('#step', (s) => s.value), 'div-2-1-exact');
  await p.click('#conditions [name=condition-remainder][value=y]');
  await p.click('#conditions [name=condition-quotient-digits][value=""]');
  await p.click('#long input[name="place4-lower-1"][value=n]');  // the divisor's tens: 1 to 9
  await p.select('#per-page', '4');
  const division = 'op=div&upper=0nn&lower=0nn&remainder=y&seed=30&per-page=4';
  assert.equal(await addressOf(p), division);

  await p.click('#kind2');  // かけ算
  assert.equal(await addressOf(p), 'op=mul&upper=0nn&lower=00n&mul-carry=n&wide-partial=n&seed=30');
  shown = await kindPanel(p);
  assert.deepEqual(shown.steps, ofKind(['mul']));
  assert.deepEqual(shown.conditions, ['mul-carry', 'wide-partial', 'sum-carry']);
  assert.deepEqual(shown.places.slice(0, 4), ['かけられる数の百の位', 'かけられる数の十の位', 'かけられる数の一の位', 'かける数の十の位']);

  await p.click('#kind1');  // back to the sums and differences as they were
  assert.equal(await addressOf(p), 'op=sub&upper=naa&lower=naa&carry=mmy&seed=30&per-page=8');
  assert.ok((await kindPanel(p)).windowGrid);
  await p.click('#kind4');
  assert.equal(await addressOf(p), division);
  const expected = pdfPages(kolvaraSheet(division, work))[0];
  assert.deepEqual(workingLinesOf(await previewWords(p)), workingLinesOf(expected));

  // The answer boxes and the status lines as the table has them: the window's page and back.
  assert.deepEqual(await p.$$eval('#answer-boxes option', (os) => os.map((o) => [o.value, o.textContent])),
    [['widest', 'いちばん長い答えに合わせる'], ['exact', '答えのけた数だけ']]);
  assert.equal(await p.$eval('#answer-boxes', (s) => s.value), 'widest');
  await p.select('#answer-boxes', 'exact');
  await p.click('#status-lines');
  assert.equal(await addressOf(p), 'op=div&upper=0nn&lower=0nn&remainder=y&seed=30&answer-boxes=exact&status-lines&per-page=4');
  await p.click('#status-lines');
  await p.select('#answer-boxes', 'widest');
  assert.equal(await addressOf(p), division);
  assert.equal(await p.$eval('#status-lines', (box) => box.checked), false);
  assert.deepEqual(p.errors, []);
  await p.browserContext().close();
});
