// The option-rule table of the window's tests, clicked on the page: the same options end up
// selected, and the page shows the window's count or reason and an address with the
// settings the window would fill from.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { addressOf, clickCases, newPage, openSheet, panelOf, startSite, windowAnswers } from './lib.mjs';

const CODES = { Z: 0, R: 1, A: 2, a: 0, n: 1, k: 2 };
const DEFAULT = 'op=add&upper=aaa&lower=aaa&carry=mmm';

let site, page;
before(async () => {
  site = await startSite();
  page = await newPage(site.browser);
});
after(() => site.close());

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
