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

async function openPractice(page, address) {
  await page.goto(`${site.base}#${address}`, { waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true' &&
    !document.querySelector('#practice').hidden);
}

const keyboard = (page) => (key) => page.keyboard.press({ skip: ' ', next: 'Enter' }[key] ?? key);
const pad = (page) => (key) => page.tap(`#practice .pad .key-${key}`);

// Keys, problem numbers and the boxes of the working, where each is less than a fingertip wide.
const smallTargets = (page) => page.$$eval('#practice > .pad button:not([hidden]), #practice-strip button, ' +
  '#practice .cell[data-problem="0"] rect', (es) => es.map((e) => e.getBoundingClientRect())
  .filter((r) => r.width < 48 || r.height < 48).map((r) => `${Math.round(r.width)}x${Math.round(r.height)}`));

const scoreOf = (page) => page.$eval('#practice-result .score', (e) => e.textContent);

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
  // The result stays on the device, and goes with one button.
  assert.match(await page.$eval('#practice-result .kept', (e) => e.textContent), /No\.12　20\/20/);
  await page.click('#practice-clear');
  assert.equal(await page.evaluate(() => localStorage.getItem('kolvara.results')), null);
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
  await page.click('#practice .key-mark');
  assert.equal(await scoreOf(page), '20もん中19もん せいかい');
  // Marked, the sheet takes no more digits, and a second まるつけ keeps no second result.
  await page.click('#practice-look');
  await page.keyboard.press('0');
  await page.click('#practice .key-mark');
  assert.equal(await page.evaluate(() => JSON.parse(localStorage.getItem('kolvara.results')).length), 1);
  await page.click('#practice-redo');
  assert.equal(await page.$$eval('#practice-strip button', (bs) => bs.length), 1);
  await writeAnswer(page, problems[0].answer, { press: keyboard(page) });
  await page.click('#practice .key-mark');
  assert.equal(await scoreOf(page), '1もん中1もん せいかい');
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
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => document.documentElement.dataset.ready === 'true' &&
    !document.querySelector('#practice').hidden);
  assert.deepEqual(await written(), before);
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
  // The step by its name and the seed, whatever the address on screen writes.
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


// Sheets of every kind, each worked as kolvara-sheet's JSON says a pupil writes it.
const kinds = [
  ['add-3-carry-three'], ['sub-3-zero-tens'], ['sub-4-3'], ['mixed-4'],
  ['op=sub&upper=naa&lower=naa&carry=nmm', ['--op', 'sub', '--upper', 'naa', '--lower', 'naa', '--carry', 'nmm'], 3],
  ['mul-2-2'], ['mul-3-2'], ['mul-tens'], ['div-3-1-zero'], ['div-3-2-zero'], ['div-3-2-fix'], ['div-2-1-remainder'],
  ['dec-2-add'], ['dec-2-sub'], ['dec-lengths'], ['dec-zero-end'], ['dec-mixed'],
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
