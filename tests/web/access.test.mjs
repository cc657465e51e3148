// Every control has a name a screen reader can say, and the page works from the keyboard
// alone: Tab reaches the controls, arrow keys move within an option group and run the
// window's rules, Enter and Space press the buttons.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { addressOf, newPage, openSheet, panelOf, startSite } from './lib.mjs';

let site, page;
before(async () => {
  site = await startSite();
  page = await newPage(site.browser, { width: 390, height: 844 });
  await openSheet(page, `${site.base}#op=add&upper=aaa&lower=aaa&carry=mmm&seed=40`);
});
after(() => site.close());

test('every control has an accessible name', async () => {
  const snapshot = await page.accessibility.snapshot({ interestingOnly: false });
  const controls = [];
  const walk = (node) => {
    if (['button', 'checkbox', 'radio', 'combobox', 'spinbutton', 'radiogroup', 'image'].includes(node.role))
      controls.push(node);
    node.children?.forEach(walk);
  };
  walk(snapshot);
  const count = (role) => controls.filter((c) => c.role === role).length;
  assert.equal(count('radio'), 27 + 2 + 3, 'the options, the sign and the kinds of problems');
  assert.equal(count('checkbox'), 2 + 8 + 1, "the window's two, the sheet's format and ４けた・小数");
  // 更新, 印刷, PDF保存, れんしゅう and クラスで使う, and a "?" for each hint a finger cannot hover over.
  assert.equal(count('button') - await page.$$eval('.hint-mark', (marks) => marks.filter((m) => m.offsetParent).length), 5);
  assert.ok(count('radiogroup') >= 10);
  const unnamed = controls.filter((c) => !c.name?.trim()).map((c) => c.role);
  assert.deepEqual(unnamed, []);
  // The three groups of a row differ by their names, and so do the carry columns.
  const groups = controls.filter((c) => c.role === 'radiogroup').map((c) => c.name);
  assert.equal(new Set(groups).size, groups.length, groups.join(' / '));
});

test('the keyboard alone drives the panel and the buttons', async () => {
  await page.focus('#RadioButton1_1All');
  await page.keyboard.press('ArrowUp');  // "１～９"
  await page.keyboard.press('ArrowUp');  // "０": a ones 0 never carries
  let panel = await panelOf(page);
  assert.equal(panel.selection[2], 0);
  assert.equal(panel.selection[8], 1, 'the rule selected なし for the ones column');

  const before = await addressOf(page);
  await page.focus('#refresh');
  await page.keyboard.press('Enter');
  const after = await addressOf(page);
  assert.notEqual(after, before);
  assert.match(after, /seed=41$/);

  // Tab goes from the buttons above the sheet, past their hints, into the panel: first the
  // kind of problems and the step a teacher starts from, then the window's switches.
  await page.focus('#class-start');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'kind1');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'step');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'CheckBoxRuledLine');
  await page.keyboard.press('Space');
  assert.match(await addressOf(page), /&no-boxes$/);
  assert.deepEqual(page.errors, []);
});

// Quotients by touch on a phone: the kind chosen with the arrow keys too, every control of
// their panel named, and every target a fingertip wide.
test('the division panel by keyboard and by touch', async () => {
  const touch = await newPage(site.browser, { width: 390, height: 844 });
  await touch.setViewport({ width: 390, height: 844, hasTouch: true, isMobile: true });
  await openSheet(touch, `${site.base}#op=mul&upper=nn&lower=n&seed=3`);
  await touch.focus('#kind2');
  await touch.keyboard.press('ArrowRight');
  assert.match(await addressOf(touch), /^op=div&/);

  const snapshot = await touch.accessibility.snapshot({ interestingOnly: false });
  const named = [];
  const walk = (node) => {
    if (['radio', 'radiogroup', 'combobox'].includes(node.role)) named.push(node);
    node.children?.forEach(walk);
  };
  walk(snapshot);
  assert.deepEqual(named.filter((c) => !c.name?.trim()).map((c) => c.role), []);
  const groups = named.filter((c) => c.role === 'radiogroup').map((c) => c.name);
  assert.equal(new Set(groups).size, groups.length, groups.join(' / '));
  assert.ok(groups.includes('わる数の十の位') && groups.includes('あまり'), groups.join(' / '));

  const small = await touch.evaluate(() => [...document.querySelectorAll(
    'button, select, input[type=number], .check, .choice span')]
    .filter((e) => e.offsetParent !== null)
    .map((e) => ({ e: e.id || e.textContent.trim() || e.className, box: e.getBoundingClientRect() }))
    .filter(({ box }) => box.height < 44 || box.width < 44)
    .map(({ e, box }) => `${e} ${Math.round(box.width)}x${Math.round(box.height)}`));
  assert.deepEqual(small, []);
  assert.deepEqual(touch.errors, []);
  await touch.browserContext().close();
});
