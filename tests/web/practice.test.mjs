// れんしゅう: a pupil types kolvara-sheet's answers of their own sheet into the boxes and gets
// every problem right; a wrong digit is marked where it stands; the cursor walks the boxes as
// pupils write; a class link with a 出席番号 gives that numbered sheet of the link, and one that
// cannot open as it asks gives none and says so; after one visit the page works with the
// server gone and asks nothing of the network while a pupil works.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { answersOf, cursorOf, newPage, removeDir, startSite, tempDir, typeWorkingInPage, workingOf, writeAnswer } from './lib.mjs';

let site, work;
before(async () => {
  site = await startSite();
  work = tempDir();
});
after(async () => {
  await site.close();
  removeDir(work);
});

// Polled by time rather than by animation frame, which a tab in the background never gets.
async function openPractice(page, address) {
  await page.goto(`${site.base}#${address}`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true' &&
    !document.querySelector('#practice').hidden, { polling: 50 });
}

const keyboard = (page) => (key) => page.keyboard.press({ skip: ' ', next: 'Enter' }[key] ?? key);
const pad = (page) => (key) => page.tap(`#practice .pad .key-${key}`);

// Keys, problem numbers and the boxes of the working, where each is less than a fingertip wide.
const smallTargets = (page) => page.$$eval('#practice > .pad button:not([hidden]), #practice-strip button, ' +
  '#practice .cell[data-problem="0"] rect', (es) => es.map((e) => e.getBoundingClientRect())
  .filter((r) => r.width < 48 || r.height < 48).map((r) => `${Math.round(r.width)}x${Math.round(r.height)}`));

const scoreOf = (page) => page.$eval('#practice-result .score', (e) => e.textContent);
const saidOf = (page) => page.$eval('#practice-say', (e) => e.textContent);
const shownOf = (page, selector) => page.$eval(selector, (e) => !e.hidden && !e.closest('[hidden]'));

// The results kept on the device, newest first, as the page keeps them: one key each.
const keptOf = (page) => page.evaluate(() => Object.keys(localStorage).filter((k) => k.startsWith('kolvara.result.'))
  .sort((a, b) => parseInt(b.slice(15), 10) - parseInt(a.slice(15), 10)).map((k) => JSON.parse(localStorage.getItem(k))));

test('a class link with a 出席番号 gives that numbered sheet of the link, worked to 20 of 20', async () => {
  const page = await newPage(site.browser, { width: 820, height: 1180 });
  await openPractice(page, 'step=add-3&seed=4321&practice');
  await page.waitForSelector('#practice-number:not([hidden])');
  for (const key of ['1', '2']) await page.tap(`#practice-number .key-${key}`);
  await page.tap('#practice-number .key-start');
  await page.waitForFunction(() => /&no=12$/.test(location.hash));
  const problems = answersOf(work, ['--step', 'add-3', '--seed', '4321'], 12);
  assert.equal(problems.length, 20);
  for (const p of problems) await writeAnswer(page, p.answer, { press: keyboard(page) });
  await page.click('#practice .key-mark');
  assert.equal(await scoreOf(page), '20もん中20もん せいかい');
  assert.match(await page.$eval('#practice-result .time', (e) => e.textContent), /^かかった じかん　\d+ぷん \d+びょう$/);
  // The result stays on the device; 「けっかを けす」 asks first, はい clears.
  assert.match(await page.$eval('#practice-result .kept', (e) => e.textContent), /No\.12　20\/20/);
  assert.equal((await page.$$('#practice-result .wrong-ones')).length, 0, 'no wrong problems to name');
  await page.tap('#practice-clear');
  assert.equal(await page.$eval('#practice-clear-words', (e) => e.textContent), 'けっかを ぜんぶ けしますか？');
  await page.tap('#practice-clear-no');
  assert.equal((await keptOf(page)).length, 1, 'いいえ keeps them');
  await page.tap('#practice-clear');
  await page.tap('#practice-clear-yes');
  assert.deepEqual(await keptOf(page), []);
  assert.equal(await page.$eval('#practice-result .kept', (e) => e.textContent), 'まだ ありません');
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

test('one wrong digit marks its problem × at that place, and only it is worked again', async () => {
  const page = await newPage(site.browser, { width: 390, height: 844 });
  await openPractice(page, 'step=sub-3&seed=99&practice&mark=each&no=2');
  assert.deepEqual(await smallTargets(page), [], 'on a phone');
  const problems = answersOf(work, ['--step', 'sub-3', '--seed', '99'], 2);
  for (const [i, p] of problems.entries())
    await writeAnswer(page, p.answer, { wrongAt: i === 0 ? 1 : -1, press: keyboard(page) });
  // Marked as each problem was filled, before まるつけ.
  const states = await page.$$eval('#practice-strip button', (bs) => bs.map((b) => b.dataset.state));
  assert.deepEqual(states, ['wrong', ...Array(19).fill('right')]);
  await page.click('#practice-strip button[data-at="0"]');
  const wrong = await page.$$eval('#practice .cell.wrong[data-problem="0"]', (cells) => cells.map((c) => ({
    helper: c.classList.contains('helper'), digit: c.querySelector('text').textContent })));
  assert.deepEqual(wrong, [{ helper: false, digit: String((Number([...problems[0].answer].reverse()[1]) + 1) % 10) }]);
  await page.click('#practice-strip button[data-at="5"]');
  await page.click('#practice .key-mark');
  assert.equal(await scoreOf(page), '20もん中19もん せいかい');
  // The wrong one is named, one tap from its problem.
  assert.equal(await page.$eval('#practice-result .wrong-ones', (e) => e.textContent), 'まちがい：(1)');
  await page.tap('#practice-result .wrong-one');
  assert.equal(await shownOf(page, '#practice-result'), false);
  assert.equal(await page.$eval('#practice', (e) => e.dataset.problem), '0');
  // Marked, the sheet takes no more digits and says why; a second まるつけ keeps no second result.
  const before = await page.$$eval('#practice .cell text', (ts) => ts.map((t) => t.textContent));
  await page.keyboard.press('0');
  assert.equal(await saidOf(page), 'まるつけ した あとは かきなおせないよ。まちがえた もんだいは 「もういちど」で。');
  await page.tap('#practice .key-erase');
  assert.deepEqual(await page.$$eval('#practice .cell text', (ts) => ts.map((t) => t.textContent)), before);
  await page.click('#practice .key-mark');
  assert.equal((await keptOf(page)).length, 1);
  await page.click('#practice-redo');
  assert.equal(await page.$$eval('#practice-strip button', (bs) => bs.length), 1);
  await writeAnswer(page, problems[0].answer, { press: keyboard(page) });
  await page.click('#practice .key-mark');
  // A redo says so, on screen and in what is kept.
  assert.equal(await scoreOf(page), 'やりなおし 1もん中1もん せいかい');
  assert.match(await page.$eval('#practice-result .kept li', (e) => e.textContent), /No\.2　やりなおし 1\/1　/);
  assert.deepEqual((await keptOf(page)).map((r) => [r.right, r.total, r.redo]), [[1, 1, true], [19, 20, undefined]]);
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

// Where the stage, the problem numbers and the pad's keys stand on screen.
const placesOf = (page) => page.$$eval('#practice-stage, #practice-strip, #practice > .pad button', (es) =>
  es.map((e) => {
    const { x, y, width, height } = e.getBoundingClientRect();
    return [x, y, width, height].map(Math.round).join(' ');
  }));

test('the cursor goes from the ones to the tens, and a tap takes it to the carry box above them', async () => {
  const page = await newPage(site.browser, { width: 1366, height: 768 });
  // れんしゅう on the teacher's page works the sheet on screen, No.1; もどる goes back to it.
  await page.goto(`${site.base}#step=add-2-carry-ones&seed=8`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true');
  await page.click('#practice-start');
  await page.waitForFunction(() => /&seed=8&practice&mark=end&helpers=free&no=1$/.test(location.hash));
  const places = await placesOf(page);
  const first = answersOf(work, ['--step', 'add-2-carry-ones', '--seed', '8'], 1)[0];
  const ones = await cursorOf(page);
  await page.keyboard.press([...first.answer].at(-1));
  const tens = await cursorOf(page);
  await (await page.$('#practice .cell.helper[data-problem="0"] rect')).tap();
  const carry = await cursorOf(page);
  await page.keyboard.press('1');
  assert.deepEqual([ones.helper, tens.helper, carry.helper, (await cursorOf(page)).helper], [false, false, true, false]);
  assert.ok(ones.x > tens.x && Math.abs(carry.x - tens.x) < 3, `the carry box stands above the tens: ${JSON.stringify([ones, carry, tens])}`);
  assert.deepEqual(await placesOf(page), places, 'writing moves nothing on the screen');
  // A tap on a box chooses it.
  const box = await page.$('#practice .cell:not(.helper) rect');
  await box.tap();
  assert.equal((await cursorOf(page)).x, ones.x);
  await page.click('#practice-back');
  await page.waitForFunction(() => /&seed=8$/.test(location.hash) && document.querySelector('#practice').hidden);
  // A slip onto もどる, or a reload, loses nothing written.
  const written = () => page.$$eval('#practice .cell[data-problem="0"] text', (ts) => ts.map((t) => t.textContent));
  await page.click('#practice-start');
  const before = await written();
  assert.deepEqual(before.filter(Boolean), [[...first.answer].at(-1), '1']);
  // ...nor the problem the pupil was at.
  await page.click('#practice-strip button[data-at="3"]');
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true' &&
    !document.querySelector('#practice').hidden);
  assert.deepEqual(await written(), before);
  assert.equal(await page.$eval('#practice', (e) => e.dataset.problem), '3');
  assert.equal(await saidOf(page), '', 'nothing to say of work read back whole');
  await page.browserContext().close();
});

test('a product sheet worked on the pad by touch to 6 of 6', async () => {
  const page = await newPage(site.browser, { width: 1180, height: 820 });
  await openPractice(page, 'step=mul-2-1-carry&per-page=6&seed=31&practice&no=1');
  const problems = answersOf(work, ['--step', 'mul-2-1-carry', '--per-page', '6', '--seed', '31'], 1);
  assert.equal(problems.length, 6);
  for (const p of problems) await writeAnswer(page, p.answer, { press: pad(page) });
  await page.tap('#practice .key-mark');
  assert.equal(await scoreOf(page), '6もん中6もん せいかい');
  assert.deepEqual(await smallTargets(page), []);
  await page.browserContext().close();
});

test('with helpers=count a carry left out marks its problem × at まるつけ, and one written marks it ○ at once', async () => {
  const page = await newPage(site.browser, { width: 820, height: 1180 });
  await openPractice(page, 'step=add-2-carry-ones&seed=8&practice&mark=each&helpers=count&no=1');
  const [first, second] = answersOf(work, ['--step', 'add-2-carry-ones', '--seed', '8'], 1);
  await writeAnswer(page, first.answer, { press: keyboard(page) });
  // The second: the carry written in its box as it comes.
  const digits = [...second.answer].reverse();
  for (const key of [digits[0], '1', ...digits.slice(1)]) await page.keyboard.press(key);
  const states = () => page.$$eval('#practice-strip button', (bs) => bs.slice(0, 2).map((b) => b.dataset.state));
  // The carry counts: the first is not filled until まるつけ marks it.
  assert.deepEqual(await states(), ['open', 'right']);
  await page.click('#practice .key-mark');
  assert.deepEqual(await states(), ['wrong', 'right']);
  await page.click('#practice-look');
  await page.click('#practice-strip button[data-at="0"]');
  assert.deepEqual(await page.$$eval('#practice .cell.wrong[data-problem="0"]', (cells) => cells.map((c) => c.classList.contains('helper'))),
    [true]);
  await page.browserContext().close();
});

test('a 出席番号 that no pupil has is asked again on the pad', async () => {
  const page = await newPage(site.browser, { width: 390, height: 844 });
  await openPractice(page, 'step=add-2&seed=1&practice');
  await page.waitForSelector('#practice-number:not([hidden])');
  assert.equal(await page.$eval('#number-message', (e) => e.textContent), '');
  for (const [typed, said] of [['41', '「41」ばんは ありません。'], ['0', '「0」ばんは ありません。'], ['', '']]) {
    await page.keyboard.type(typed);
    await page.keyboard.press('Enter');
    assert.equal(await page.$eval('#number-message', (e) => e.textContent), `${said}1から 40までの ばんごうを いれてね。`);
  }
  await page.keyboard.type('7');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => /&no=7$/.test(location.hash) && document.querySelector('#practice-number').hidden);
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

test('a class link that cannot open as it asks gives no sheet and says so, the teacher why', async () => {
  const page = await newPage(site.browser, { width: 390, height: 844 });
  const links = [
    ['step=bogus&seed=5&practice&no=1', 'step の段階がありません：bogus'],
    ['step=add-3&seed=5&practice&mark=xyz', 'mark は end か each です：xyz'],
    ['step=add-3&seed=5&practice&helpers=xyz', 'helpers は free か count です：xyz'],
    ['step=add-3&seed=5&practice&no=0', 'no は1から40までの整数です：0'],
    ['step=add-3&seed=5&practice&no=41', 'no は1から40までの整数です：41'],
    ['step=add-3&seed=5&practice&no=x', 'no は1から40までの整数です：x'],
    ['step=add-3&practice&no=3', 'seed がありません'],
    ['upper=aa0&lower=aa0&carry=mmy&seed=5&practice&no=1', 'くり上がり'],
    ['step=div-3-2&per-page=12&seed=5&practice&no=2', '--per-page 12 はこの問題では選べません'],
  ];
  for (const [link, reason] of links) {
    await page.goto(`${site.base}#${link}`, { waitUntil: 'load' });
    await page.waitForFunction((opened) => document.documentElement.dataset.ready === 'true' &&
      document.documentElement.dataset.opened === opened, {}, link);
    const shown = await page.evaluate(() => ({
      said: document.querySelector('#practice-refused .refused')?.textContent,
      reasons: [...document.querySelectorAll('#practice-refused .reason')].map((e) => e.textContent),
      sheet: !!document.querySelector('#practice-stage svg'),
      pads: [...document.querySelectorAll('#practice .pad')].filter((e) => e.checkVisibility()).length,
      strip: document.querySelector('#practice-strip').checkVisibility(),
      hash: location.hash.slice(1),
    }));
    assert.equal(shown.said, 'この リンクは つかえません。せんせいに しらせてね。', link);
    assert.ok(shown.reasons.some((r) => r.includes(reason)), `${link}: ${shown.reasons}`);
    assert.deepEqual([shown.sheet, shown.pads, shown.strip, shown.hash], [false, 0, false, link], link);
    // Nothing to work, so nothing kept.
    await page.keyboard.press('1');
    await page.keyboard.press('Enter');
  }
  assert.equal(await page.evaluate(() => localStorage.getItem('kolvara.results')), null);
  // A good link after them works as ever.
  await openPractice(page, 'step=add-2&seed=1&practice&no=3');
  await page.waitForSelector('#practice-stage svg');
  assert.equal(await page.$('#practice-refused'), null);
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

test('クラスで使う shows the link with its seed and a QR code of it', async () => {
  const page = await newPage(site.browser, { width: 1366, height: 768 });
  await page.goto(`${site.base}#step=mul-2-2&seed=555`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true');
  await page.click('#class-start');
  await page.waitForSelector('#class-qr svg path');
  await page.click('input[name=class-mark][value=each]');
  const url = await page.$eval('#class-url', (e) => e.textContent);
  // The link says `step=` and `seed=` even where the page's own address lists the problems.
  assert.match(await page.evaluate(() => location.hash.slice(1)), /^op=mul&.*&seed=555$/);
  assert.equal(url, `${site.base}#step=mul-2-2&seed=555&practice&mark=each&helpers=free`);
  await page.keyboard.press('Escape');
  assert.equal(await page.$('#class-link'), null);
  // Settings that admit no problem make no link: the reason instead.
  await page.goto(`${site.base}#upper=aa0&lower=aa0&carry=mmy&seed=5`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.opened === 'upper=aa0&lower=aa0&carry=mmy&seed=5');
  await page.click('#class-start');
  await page.waitForSelector('#class-error:not([hidden])');
  assert.match(await page.$eval('#class-error', (e) => e.textContent), /くり上がり/);
  assert.deepEqual(await page.evaluate(() => [document.querySelector('#class-url').textContent,
    !!document.querySelector('#class-qr svg'), document.querySelector('#class-copy').disabled]), ['', false, true]);
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

// ---- What the device keeps, and what it cannot ----

const GOOD = { date: '2026-01-05 10:00', step: 'たしざん', no: 3, right: 5, total: 6, seconds: 75 };
const BROKEN_RESULTS = 'まえの けっかの きろくが よめなかったので、けしました。';
const BROKEN_WORK = 'まえの とちゅうの きろくが よめなかったので、はじめから です。';

// Entries the page cannot use, as a bad disk, an older page or a curious pupil leaves them:
// [what, the words said, the results' entries written, or how the work kept is spoiled,
// the results left readable].
const SPOILED = [
  ['results not JSON', BROKEN_RESULTS, { 'kolvara.results': '{oops' }],
  ['results not a list', BROKEN_RESULTS, { 'kolvara.results': '{"date":1}' }],
  ['results with null, a string and fields of the wrong type', BROKEN_RESULTS, { 'kolvara.results': JSON.stringify([
    null, 'x', { ...GOOD, no: '3' }, { ...GOOD, right: 7 }, { ...GOOD, seconds: -1 }, [GOOD], { ...GOOD, date: 5 }, GOOD]) }, 1],
  ['200,000 results', BROKEN_RESULTS, { 'kolvara.results': JSON.stringify(Array(200000).fill(3)) }],
  ['a result of its own not JSON', BROKEN_RESULTS, { 'kolvara.result.5-x': '[' }],
  ['a result of its own with a redo neither true nor false', BROKEN_RESULTS,
    { 'kolvara.result.5-x': JSON.stringify({ ...GOOD, redo: 'yes' }), 'kolvara.result.4-x': JSON.stringify(GOOD) }, 1],
  ['work not JSON', BROKEN_WORK, () => 'x{'],
  ['work a list', BROKEN_WORK, (w) => [w]],
  ['order not a list', BROKEN_WORK, (w) => ({ ...w, order: 5 })],
  ['order out of range', BROKEN_WORK, (w) => ({ ...w, order: [0, 99] })],
  ['order twice the same', BROKEN_WORK, (w) => ({ ...w, order: [1, 1] })],
  ['values a string', BROKEN_WORK, (w) => ({ ...w, values: w.values.join('') })],
  ['200,000 values', BROKEN_WORK, (w) => ({ ...w, values: Array(200000).fill('1') })],
  ['values one short', BROKEN_WORK, (w) => ({ ...w, values: w.values.slice(1) })],
  ['a state too many', BROKEN_WORK, (w) => ({ ...w, states: [...w.states, 'open'] })],
  ['a value of three digits', BROKEN_WORK, (w) => ({ ...w, values: w.values.map((v, i) => (i ? v : '112')) })],
  ['points not a list', BROKEN_WORK, (w) => ({ ...w, points: 'x' })],
  ['a point where the answer has none', BROKEN_WORK, (w) => ({ ...w, points: w.points.map(() => 0) })],
  ['the problem past the end', BROKEN_WORK, (w) => ({ ...w, current: 40 })],
  ['a result of the wrong shape', BROKEN_WORK, (w) => ({ ...w, result: { right: 'all' } })],
];

const reopen = async (page) => {
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true' &&
    !document.querySelector('#practice').hidden && document.querySelector('#practice-stage svg'));
};

test('entries on the device that cannot be read are dropped and said once, and the page goes on', async () => {
  const page = await newPage(site.browser, { width: 390, height: 844, touch: true });
  await openPractice(page, 'step=add-2&seed=3&practice&no=1');
  for (const [what, said, spoil, left = 0] of SPOILED) {
    await page.evaluate(() => { localStorage.clear(); sessionStorage.clear(); });
    await reopen(page);
    await page.keyboard.press('1');
    if (typeof spoil === 'function') {
      const work = JSON.parse(await page.evaluate(() => sessionStorage.getItem('kolvara.practice')));
      await page.evaluate((text) => sessionStorage.setItem('kolvara.practice', text), JSON.stringify(spoil(work)));
    } else {
      await page.evaluate((entries) => Object.entries(entries).forEach(([k, v]) => localStorage.setItem(k, v)), spoil);
    }
    await reopen(page);
    assert.equal(await saidOf(page), said, what);
    await page.tap('#practice .key-7');
    assert.ok((await page.$$eval('#practice .cell[data-problem="0"] text', (ts) => ts.map((t) => t.textContent))).includes('7'),
      `${what}: a digit is written`);
    assert.equal((await keptOf(page)).length, left, what);
    await reopen(page);
    assert.equal(await saidOf(page), '', `${what}: said once`);
  }
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

test('a result the device cannot keep is said, and listed all the same for this visit', async () => {
  const page = await newPage(site.browser, { width: 820, height: 1180, touch: true });
  await openPractice(page, 'step=add-2&seed=3&practice&no=4');
  await page.evaluate(() => {
    Storage.prototype.setItem = () => { throw new DOMException('full', 'QuotaExceededError'); };
  });
  await page.tap('#practice .key-7');
  await page.tap('#practice .key-mark');
  const words = 'けっかを この きかいに のこせませんでした。';
  assert.equal(await saidOf(page), words);
  assert.equal(await page.$eval('#practice-result .not-kept', (e) => e.textContent), words);
  assert.match(await page.$eval('#practice-result .kept li', (e) => e.textContent), /　No\.4　0\/\d+　0:\d\d$/);
  assert.deepEqual(await keptOf(page), []);
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

test('two tabs of one link marking at the same instant keep both results; the newest 20 stay', async () => {
  const context = await site.browser.createBrowserContext();
  const tabs = [await newPage(site.browser, { context }), await newPage(site.browser, { context })];
  // Each tab drawn in front (a tab behind gets no animation frames); both mark from behind or before.
  const front = async (page, work) => {
    await page.bringToFront();
    await work();
  };
  for (const page of tabs) await front(page, () => openPractice(page, 'step=add-2&seed=3&practice&no=1'));
  // Results kept as one list by an earlier page are read too, as the oldest.
  await tabs[0].evaluate((list) => localStorage.setItem('kolvara.results', list), JSON.stringify([GOOD, { ...GOOD, no: 4 }]));
  for (let no = 1; no <= 10; ++no) {
    for (const page of tabs) {
      await front(page, async () => {
        await page.evaluate((n) => { location.hash = `step=add-2&seed=3&practice&no=${n}`; }, no);
        await page.waitForFunction((n) => document.querySelector('#practice-title .no')?.textContent === `No.${n}`,
          { polling: 50 }, no);
      });
    }
    await Promise.all(tabs.map((page) => page.evaluate(() => document.querySelector('#practice .key-mark').click())));
    if (no === 1) {
      // Another tab's write reaches this one a moment later.
      await tabs[1].waitForFunction(() => Object.keys(localStorage).filter((k) => k.startsWith('kolvara.result.')).length >= 4,
        { polling: 50, timeout: 5000 }).catch(() => {});
      assert.deepEqual((await keptOf(tabs[1])).map((r) => r.no), [1, 1, 3, 4]);
    }
  }
  // Each tab keeps the newest 20 of what it has seen; read anew, both tabs' are there.
  await front(tabs[0], () => reopen(tabs[0]));
  assert.deepEqual((await keptOf(tabs[0])).map((r) => r.no), [10, 9, 8, 7, 6, 5, 4, 3, 2, 1].flatMap((n) => [n, n]));
  assert.equal(await tabs[0].evaluate(() => localStorage.getItem('kolvara.results')), null);
  assert.deepEqual(tabs.flatMap((t) => t.errors), []);
  await context.close();
});

// ---- Phones and tablets ----

const SIZES = [[390, 844], [844, 390], [820, 1180], [1180, 820], [1366, 768]];

// What a finger and an eye need of the screen as it stands: the smallest box of the problem,
// key and button; the cursor's box inside what the stage shows; No.k whole; a page that does
// not scroll.
function screenInPage() {
  const root = document.querySelector('#practice');
  const smallest = (selector) => Math.min(...[...root.querySelectorAll(selector)].map((e) => {
    const r = e.getBoundingClientRect();
    return Math.min(r.width, r.height);
  }));
  const stage = root.querySelector('#practice-stage');
  const s = stage.getBoundingClientRect(), c = root.querySelector('.cell.cursor rect').getBoundingClientRect();
  const no = root.querySelector('#practice-title .no'), title = root.querySelector('#practice-title').getBoundingClientRect();
  const n = no.getBoundingClientRect();
  return {
    box: smallest(`.cell[data-problem="${root.dataset.problem}"] rect`),
    key: smallest(':scope > .pad button:not([hidden]), #practice-strip button, .practice-bar button'),
    cursorShown: c.left >= s.left - 0.5 && c.right <= s.left + stage.clientWidth + 0.5 && c.top >= s.top - 0.5 &&
      c.bottom <= s.top + stage.clientHeight + 0.5,
    noWhole: n.left >= title.left && n.right <= title.right + 0.5 && n.right <= innerWidth && no.scrollWidth <= Math.ceil(n.width),
    pageStill: document.scrollingElement.scrollHeight <= innerHeight && document.scrollingElement.scrollWidth <= innerWidth,
    cursor: root.dataset.cursor,
  };
}

test('on phones and tablets either way up every box, helper boxes too, and every key is a fingertip wide', async () => {
  for (const [width, height] of SIZES) {
    const page = await newPage(site.browser, { width, height, touch: true });
    await openPractice(page, 'step=mul-2-2&seed=5&practice&no=1');
    // Every box of the problem in turn: the cursor stays in sight as the stage scrolls.
    for (let turn = 0, last = null; turn < 30; ++turn) {
      const at = await page.evaluate(screenInPage);
      const where = `${width}x${height}, box ${at.cursor}`;
      assert.ok(at.box >= 44 && at.key >= 44, `${where}: box ${at.box}, key ${at.key}`);
      assert.ok(at.cursorShown, `${where}: the cursor's box in sight`);
      assert.ok(at.noWhole && at.pageStill, `${where}: ${JSON.stringify(at)}`);
      if (at.cursor === last) break;
      last = at.cursor;
      await page.tap('#practice .key-skip');
    }
    assert.deepEqual(page.errors, []);
    await page.browserContext().close();
  }
});

// ---- Screen readers and the keyboard ----

test('a screen reader hears the box and its digit, and the keyboard reaches まるつけ and the result and back', async () => {
  const page = await newPage(site.browser, { width: 1366, height: 768 });
  await openPractice(page, 'step=add-2&seed=3&practice&no=1');
  const stage = await page.$('#practice-stage');
  assert.deepEqual(await stage.evaluate((e) => [e === document.activeElement, e.getAttribute('role'), e.getAttribute('aria-label')]),
    [true, 'application', 'こたえを かく ところ（M で まるつけへ）']);
  const told = () => page.$eval('#practice-cursor', (e) => e.textContent);
  assert.match(await told(), /^\(1\) \S[^、]*、あいて います$/);
  await page.keyboard.press('5');
  assert.match(await told(), /^\(1\) \S.* に 5。\(1\) \S[^、]*、あいて います$/);
  // The picture's digits are not read as one long number.
  const tree = await page.accessibility.snapshot({ root: stage, interestingOnly: false });
  const names = (node) => [node.name ?? '', ...(node.children ?? []).flatMap(names)];
  assert.deepEqual((tree.children ?? []).flatMap(names).filter((name) => /[0-9]/.test(name)), []);
  // From the problem, M goes to まるつけ; the screen's first stop is まるつけへ, and it leads there too.
  await page.keyboard.press('m');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.key), 'mark');
  await page.focus('#practice-back');
  await page.keyboard.down('Shift');
  await page.keyboard.press('Tab');
  await page.keyboard.up('Shift');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'practice-to-mark');
  await page.keyboard.press('Enter');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.key), 'mark');
  await page.keyboard.press('Enter');
  const dialog = await page.$eval('#practice-result', (e) => ({
    name: document.getElementById(e.getAttribute('aria-labelledby'))?.textContent,
    focused: e.contains(document.activeElement),
  }));
  assert.deepEqual(dialog, { name: await scoreOf(page), focused: true });
  // Tab stays within the dialog.
  for (let i = 0; i < 6; ++i) await page.keyboard.press('Tab');
  assert.ok(await page.$eval('#practice-result', (e) => e.contains(document.activeElement)));
  await page.keyboard.press('Escape');
  assert.deepEqual(await page.evaluate(() => [document.querySelector('#practice-result').hidden, document.activeElement.dataset.key]),
    [true, 'mark']);
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

// Sheets of every kind, each worked as kolvara-sheet's JSON says a pupil writes it.
const kinds = [
  ['add-3-carry-three'], ['sub-3-zero-tens'], ['sub-4-3'], ['mixed-4'],
  ['op=sub&upper=naa&lower=naa&carry=nmm', ['--op', 'sub', '--upper', 'naa', '--lower', 'naa', '--carry', 'nmm'], 3],
  ['mul-2-2'], ['mul-3-2'], ['mul-tens'], ['div-3-1-zero'], ['div-3-2-zero'], ['div-3-2-fix'], ['div-2-1-remainder'],
  ['dec-2-add'], ['dec-2-sub'], ['dec-lengths'], ['dec-zero-end'], ['dec-mixed'], ['dec-3-add'], ['dec-3-sub'],
].map(([step, options = ['--step', step], no = 2]) => ({
  name: step, no, options: [...options, '--seed', '5000'],
  address: `${step.includes('=') ? step : `step=${step}`}&seed=5000&practice`,
}));

// The practice at an address with nothing of an earlier visit in the tab.
async function openClean(page, address) {
  await openPractice(page, address);
  await page.evaluate(() => sessionStorage.clear());
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true' &&
    !document.querySelector('#practice').hidden);
}

const scoreAfter = async (page) => {
  await page.click('#practice .key-mark');
  return scoreOf(page);
};

async function workSheet(page, problems, notation) {
  const logs = [];
  for (const p of problems) logs.push(await page.evaluate(typeWorkingInPage, workingOf(p, notation)));
  return logs;
}

test('every right working is marked right: the answer alone, or the whole working in either notation of a borrow', async () => {
  const page = await newPage(site.browser, { width: 1180, height: 820 });
  const failures = [];
  for (const kind of kinds) {
    const problems = answersOf(work, kind.options, kind.no);
    for (const [helpers, notation] of [['free', {}], ['count', { count: true }], ['count', { count: true, reduced: true }]]) {
      await openClean(page, `${kind.address}&helpers=${helpers}&no=${kind.no}`);
      const logs = await workSheet(page, problems, notation);
      const score = await scoreAfter(page);
      const n = problems.length;
      if (score !== `${n}もん中${n}もん せいかい`) {
        const states = await page.$$eval('#practice-strip button', (bs) => bs.map((b) => b.dataset.state));
        const wrong = states.flatMap((s, i) => (s === 'wrong' ? [`(${i + 1}) ${JSON.stringify(problems[i])} ${logs[i]}`] : []));
        failures.push(`${kind.name} ${helpers}${notation.reduced ? ' reduced' : ''}: ${score}\n  ${wrong.slice(0, 3).join('\n  ')}`);
      }
    }
  }
  assert.deepEqual(failures, []);
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

test('one wrong digit, borrow or point marks exactly that problem and that box', async () => {
  const page = await newPage(site.browser, { width: 1180, height: 820 });
  const cases = [
    // [sheet, notation, which item of the first problem is made wrong: a digit, a helper box, the point]
    [kinds.find((k) => k.name === 'sub-3-zero-tens'), { count: true }, (items) => items.findIndex((i) => i.helper && i.key !== '')],
    [kinds.find((k) => k.name === 'mul-2-2'), {}, (items) => 3],
    [kinds.find((k) => k.name === 'div-3-2-fix'), {}, (items) => items.findIndex((i) => i.key !== 'skip') + 1],
    [kinds.find((k) => k.name === 'dec-2-add'), {}, (items) => items.findIndex((i) => i.key === '.')],
  ];
  for (const [kind, notation, pick] of cases) {
    const problems = answersOf(work, kind.options, kind.no);
    await openClean(page, `${kind.address}&helpers=${notation.count ? 'count' : 'free'}&no=${kind.no}`);
    const items = workingOf(problems[0], notation);
    const at = pick(items);
    const wrong = items.map((item, i) => (i !== at ? item : item.key === '.'
      ? { key: 'skip', helper: false } : { ...item, key: String((Number(item.key.at(-1)) + 1) % 10) }));
    // A point left out: the cursor stays, so the digits after it go where they belong.
    if (items[at].key === '.') wrong.splice(at, 1);
    const log = await page.evaluate(typeWorkingInPage, wrong);
    await workSheet(page, problems.slice(1), notation);
    assert.equal(await scoreAfter(page), `${problems.length}もん中${problems.length - 1}もん せいかい`, `${kind.name}: ${log}`);
    await page.click('#practice-look');
    await page.click('#practice-strip button[data-at="0"]');
    const marked = await page.$$eval('#practice .cell.wrong', (cs) => cs.map((c) => c.dataset.write));
    const point = await page.$$eval('#practice .point.wrong', (ps) => ps.length);
    if (items[at].key === '.') assert.deepEqual([marked, point], [[], 1], kind.name);
    else assert.deepEqual([marked, point], [[log.split(' ')[at].split('@')[1].replace('^', '')], 0], `${kind.name}: ${log}`);
  }
  assert.deepEqual(page.errors, []);
  await page.browserContext().close();
});

// Last: it stops the server.
test('after one visit the practice works offline and asks nothing of the network', async () => {
  const page = await newPage(site.browser, { context: site.browser.defaultBrowserContext() });
  const address = 'step=add-3&seed=2024&practice&no=5';
  await openPractice(page, address);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.waitForFunction(() => navigator.serviceWorker.controller);
  await site.stopServer();
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true' &&
    !document.querySelector('#practice').hidden && !document.documentElement.dataset.pending);
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  const problems = answersOf(work, ['--step', 'add-3', '--seed', '2024'], 5);
  for (const p of problems) await writeAnswer(page, p.answer, { press: keyboard(page) });
  await page.click('#practice .key-mark');
  assert.equal(await scoreOf(page), '20もん中20もん せいかい');
  assert.deepEqual(requests, []);
  assert.deepEqual(page.errors, []);
  await page.close();
});
