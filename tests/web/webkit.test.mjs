// The page in WebKitGTK, Safari's engine, which prints on whatever paper its dialog holds:
// it draws kolvara-sheet's sheet, 更新 draws the next one, and on A4 portrait and on A4
// landscape every printed page holds a whole B5 sheet, turned on the portrait page, never
// cut and filling the page rather than a corner of it. れんしゅう, worked on its pad: a class
// link with a 出席番号 gives kolvara-sheet's sheet of that number, its answers mark it 20 of 20,
// one wrong digit is marked × in its box, the cursor goes from the ones to the carry above the
// tens; what the device kept but cannot be read is said and the page goes on, every box a
// fingertip wide on a phone held sideways; and after one visit the page works with the server
// gone, asking nothing of the network.
import assert from 'node:assert/strict';
import { execFile, spawn } from 'node:child_process';
import { join } from 'node:path';
import { createInterface } from 'node:readline';
import { after, before, test } from 'node:test';
import { promisify } from 'node:util';

import {
  answersOf, cursorInPage, env, kolvaraSheet, pdfPageSize, pdfPages, previewWordsInPage, problemsOf, removeDir, root,
  sheetExtent, startSite, tempDir, typeWorkingInPage, workingOf,
} from './lib.mjs';

const ADDRESS = 'op=add&upper=aaa&lower=aaa&carry=mmm&paper=b5&seed=77&sheets=2';
const STATE = `JSON.stringify({ address: location.hash.slice(1),
  hint: document.getElementById('paper-hint').textContent, words: (${previewWordsInPage})() })`;

let site, work, webkit;
before(async () => {
  site = await startSite(null);
  work = tempDir();
  webkit = startWebKit();
});
after(async () => {
  webkit?.close();
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

// WebKitGTK under webkit_practice.py, one command at a time: send() resolves with the
// command's answer, or fails with the driver's error.
function startWebKit() {
  const child = spawn('xvfb-run', ['-a', env.pythonGi, join(root, 'tests/web/webkit_practice.py')],
    { stdio: ['pipe', 'pipe', 'pipe'] });
  let stderr = '';
  child.stderr.on('data', (data) => { stderr += data; });
  const waiting = [];
  createInterface({ input: child.stdout }).on('line', (line) => {
    const { value, error } = JSON.parse(line);
    const { done, fail } = waiting.shift();
    if (error) fail(new Error(error));
    else done(value);
  });
  child.on('exit', (code) => {
    for (const { fail } of waiting.splice(0)) fail(new Error(`WebKitGTK's driver ended (${code}): ${stderr}`));
  });
  return {
    send: (command) => new Promise((done, fail) => {
      waiting.push({ done, fail });
      child.stdin.write(`${JSON.stringify(command)}\n`);
    }),
    close: () => child.stdin.end(),
  };
}

const READY = `document.documentElement.dataset.ready === 'true' && !document.documentElement.dataset.pending &&
  !!document.getElementById('practice') && !document.getElementById('practice').hidden`;

async function openPractice(url, size = {}) {
  await webkit.send({ open: url, ...size });
  await webkit.send({ wait: READY });
}

// A script run in the page, with the pad's own buttons to hand: press(key), and write(answer,
// wrongAt) as a pupil writes an answer, from the ones up, passing over helper boxes, with a
// different digit in place `wrongAt`, then つぎ. It answers what `body` returns.
const inPractice = (body) => webkit.send({ run: `JSON.stringify((() => {
  const root = document.getElementById('practice');
  const press = (key) => root.querySelector(':scope > .pad .key-' + key).click();
  const cursor = ${cursorInPage};
  const write = (answer, wrongAt = -1) => {
    const digits = [...answer].filter((c) => /[0-9]/.test(c)).reverse();
    for (let place = 0, turns = 0; place < digits.length && turns < 40; ++turns) {
      if (cursor().helper) press('skip');
      else press(place === wrongAt ? String((Number(digits[place++]) + 1) % 10) : digits[place++]);
    }
    press('next');
  };
  const score = () => document.querySelector('#practice-result .score').textContent;
  ${body}
})() ?? null)` });

test('a class link with a 出席番号 gives that numbered sheet of the link, worked to 20 of 20', async () => {
  await openPractice(`${site.base}#step=add-3&seed=606&practice`);
  await inPractice(`
    for (const key of ['1', '2', 'start']) root.querySelector('#practice-number .key-' + key).click();`);
  await webkit.send({ wait: `/&seed=606&practice&mark=end&helpers=free&no=12$/.test(location.hash) &&
    !!document.querySelector('#practice-stage svg text')` });
  const words = await webkit.send({ run: `JSON.stringify((${previewWordsInPage})('#practice-stage svg text'))` });
  const problems = answersOf(work, ['--step', 'add-3', '--seed', '606'], 12);
  assert.deepEqual(problemsOf(words), problems.map((p) => ({ upper: Number(p.upper), sign: p.op,
    lower: Number(p.lower) })), 'the problems on screen');
  const score = await inPractice(`
    for (const answer of ${JSON.stringify(problems.map((p) => p.answer))}) write(answer);
    press('mark');
    return score();`);
  assert.equal(score, '20もん中20もん せいかい');
});

test('one wrong digit marks its problem × in that box', async () => {
  await openPractice(`${site.base}#step=sub-3&seed=99&practice&mark=each&no=2`, { width: 390, height: 844 });
  const problems = answersOf(work, ['--step', 'sub-3', '--seed', '99'], 2);
  const run = await inPractice(`
    ${JSON.stringify(problems.map((p) => p.answer))}.forEach((answer, i) => write(answer, i === 0 ? 1 : -1));
    // Marked as each problem was filled, before まるつけ.
    const states = [...document.querySelectorAll('#practice-strip button')].map((b) => b.dataset.state);
    document.querySelector('#practice-strip button[data-at="0"]').click();
    const wrong = [...root.querySelectorAll('.cell.wrong[data-problem="0"]')].map((c) => ({
      helper: c.classList.contains('helper'), digit: c.querySelector('text').textContent }));
    press('mark');
    return { states, wrong, score: score() };`);
  assert.deepEqual(run.states, ['wrong', ...Array(19).fill('right')]);
  const tens = Number([...problems[0].answer].reverse()[1]);
  assert.deepEqual(run.wrong, [{ helper: false, digit: String((tens + 1) % 10) }]);
  assert.equal(run.score, '20もん中19もん せいかい');
});

test('with carries counted the cursor goes from the ones to the carry above the tens, then the tens', async () => {
  await openPractice(`${site.base}#step=add-2-carry-ones&seed=8&practice&helpers=count&no=1`, { width: 1366, height: 768 });
  const first = answersOf(work, ['--step', 'add-2-carry-ones', '--seed', '8'], 1)[0];
  const [ones, carry, tens] = await inPractice(`
    const ones = cursor();
    press('${[...first.answer].at(-1)}');
    const carry = cursor();
    press('1');
    return [ones, carry, cursor()];`);
  assert.deepEqual([ones, carry, tens].map((c) => [c.problem, c.helper]), [[0, false], [0, true], [0, false]]);
  assert.ok(ones.x > tens.x && Math.abs(carry.x - tens.x) < 3,
    `the carry box stands above the tens: ${JSON.stringify([ones, carry, tens])}`);
});

test('a link that cannot open as it asks shows no sheet and says so', async () => {
  await openPractice(`${site.base}#step=add-3&seed=606&practice&mark=xyz`, { width: 390, height: 844 });
  const shown = await inPractice(`
    return { said: document.querySelector('#practice-refused .refused')?.textContent,
      reason: document.querySelector('#practice-refused .reason')?.textContent,
      sheet: !!document.querySelector('#practice-stage svg'),
      pad: [...root.querySelectorAll('.pad')].some((p) => p.offsetParent !== null) };`);
  assert.deepEqual(shown, { said: 'この リンクは つかえません。せんせいに しらせてね。',
    reason: 'mark は end か each です：xyz', sheet: false, pad: false });
});

test('on a phone held sideways what the device kept unreadably is said, the page goes on, and every box is a fingertip wide', async () => {
  await openPractice(`${site.base}#step=mul-2-2&seed=5&practice&no=1`, { width: 844, height: 390 });
  await inPractice(`
    press('1');
    const work = JSON.parse(sessionStorage.getItem('kolvara.practice'));
    sessionStorage.setItem('kolvara.practice', JSON.stringify({ ...work, order: 'x' }));
    localStorage.setItem('kolvara.results', '{oops');`);
  await webkit.send({ reload: true });
  await webkit.send({ wait: `${READY} && !!document.querySelector('#practice-stage svg')` });
  const run = await inPractice(`
    const said = document.getElementById('practice-say').textContent;
    const smallest = (selector) => Math.min(...[...root.querySelectorAll(selector)].map((e) => {
      const r = e.getBoundingClientRect();
      return Math.min(r.width, r.height);
    }));
    const sizes = [smallest('.cell[data-problem="0"] rect'), smallest(':scope > .pad button:not([hidden]), #practice-strip button')];
    const focused = document.activeElement.id;
    press('7');
    return { said, fingertip: sizes.every((size) => size >= 44) || sizes, focused,
      written: [...root.querySelectorAll('.cell[data-problem="0"] text')].map((t) => t.textContent).join('') };`);
  assert.deepEqual(run, {
    said: 'まえの とちゅうの きろくが よめなかったので、はじめから です。まえの けっかの きろくが よめなかったので、けしました。',
    fingertip: true, focused: 'practice-stage', written: '7' });
});

test('after one visit the practice works with the server gone and asks nothing of the network', async () => {
  // A server of its own, as this one is stopped; its address is a new origin, with no
  // service worker yet.
  const own = await startSite(null);
  try {
    await openPractice(`${own.base}#step=add-3&seed=2024&practice&no=5`);
    await webkit.send({ wait: '!!navigator.serviceWorker.controller' });
    await own.stopServer();
    await webkit.send({ reload: true });
    await webkit.send({ wait: READY });
    assert.equal(await webkit.send({ run: 'JSON.stringify(!!navigator.serviceWorker.controller)' }), true,
      'the page came from its service worker');
    // The watch sees what the service worker answers: the page loaded anew asked for its files.
    assert.ok((await webkit.send({ requests: true })).some((url) => url.endsWith('/practice.js')));
    // A problem at a time, so what the page does between a pupil's taps has its turn.
    for (const p of answersOf(work, ['--step', 'add-3', '--seed', '2024'], 5)) await inPractice(`write('${p.answer}');`);
    assert.equal(await inPractice(`press('mark'); return score();`), '20もん中20もん せいかい');
    // Laid out with every font the result uses, anything it asks for has been asked.
    await webkit.send({ wait: `document.body.offsetHeight > 0 && document.fonts.status === 'loaded'` });
    assert.deepEqual(await webkit.send({ requests: true }), []);
  } finally {
    await own.close();
  }
});

test('every right working is marked right, the answer alone or the whole working with either notation of a borrow', async () => {
  const failures = [];
  const sheets = ['sub-3-zero-tens', 'mixed-4', 'mul-3-2', 'div-3-2-fix', 'div-3-1-zero', 'dec-mixed']
    .map((step) => [`step=${step}&seed=77`, ['--step', step, '--seed', '77'], 4]);
  // Where only the answer's digits once scored 1 of 20.
  sheets.push(['op=sub&upper=naa&lower=naa&carry=nmm&seed=5000', ['--op', 'sub', '--upper', 'naa', '--lower', 'naa',
    '--carry', 'nmm', '--seed', '5000'], 3]);
  for (const [step, options, no] of sheets) {
    const problems = answersOf(work, options, no);
    for (const [helpers, notation] of [['free', {}], ['count', { count: true }], ['count', { count: true, reduced: true }]]) {
      await openPractice(`${site.base}#${step}&practice&helpers=${helpers}&no=${no}`, { width: 820, height: 1180 });
      await webkit.send({ run: 'sessionStorage.clear(), "null"' });
      await webkit.send({ reload: true });
      await webkit.send({ wait: READY });
      const score = await inPractice(`
        const type = ${typeWorkingInPage};
        for (const items of ${JSON.stringify(problems.map((p) => workingOf(p, notation)))}) type(items);
        press('mark');
        return score();`);
      if (score !== `${problems.length}もん中${problems.length}もん せいかい`) failures.push(`${step} ${helpers} ${JSON.stringify(notation)}: ${score}`);
    }
  }
  assert.deepEqual(failures, []);
});
