// For settings and seeds of every kind, the problems the page shows, the problems of its
// "PDF保存" file and of its printed pages (every sheet of "枚数") are kolvara-sheet's for the
// same address, page for page, answers (a product's or quotient's whole working), marks,
// "こたえ" and paper included.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import {
  allowDownloads, downloaded, kolvaraSheet, newPage, openSheet, otherLinesOf, pdfPageSize, pdfPages, previewWords,
  problemsOf, removeDir, startSite, tempDir, workingLinesOf,
} from './lib.mjs';

const CASES = [
  { address: 'op=add&upper=aaa&lower=aaa&carry=mmm&seed=1', sheets: 1, perPage: 20 },
  { address: 'op=sub&upper=naa&lower=naa&carry=mmy&seed=502', sheets: 3, perPage: 20 },
  // One-digit sums, 28 a page, on Letter without boxes, from the day's last millisecond:
  // the second sheet is drawn past it, as kolvara-sheet draws it.
  { address: 'op=add&upper=00n&lower=00n&carry=mmy&seed=86399999&paper=letter&no-boxes', sheets: 2, perPage: 28 },
  // A named step with the teachers' format: six problems a page with helper boxes on JIS
  // B5, answers in red and all of them after the problem pages.
  { address: 'step=sub-2-borrow&helper-boxes&per-page=6&paper=b5&red-answers&answers-last&seed=4321', sheets: 2,
    perPage: 6 },
  // The window's answer boxes and status lines.
  { address: 'op=sub&upper=naa&lower=0na&carry=mmy&answer-boxes=exact&status-lines&seed=8', sheets: 1, perPage: 20 },
  // Four places with both signs on one sheet, in an order drawn from its seed number.
  { address: 'op=mixed&upper=naaa&lower=naa&carry=mmmm&seed=77', sheets: 2, perPage: 20 },
  // Products and quotients: a step of each, and places and conditions of the teacher's own,
  // with the carries' helper boxes.
  { address: 'step=mul-3-2&seed=2024', sheets: 2, perPage: 12, long: true },
  { address: 'step=div-guess-fix&per-page=4&paper=b4&seed=99', sheets: 1, perPage: 4, long: true },
  { address: 'op=mul&upper=n0a&lower=n&mul-carry=y&per-page=8&helper-boxes&seed=31', sheets: 1, perPage: 8, long: true },
  { address: 'op=div&upper=naa&lower=n&quotient-digits=2&remainder=y&red-answers&seed=5', sheets: 2, perPage: 6,
    long: true },
];

let site, work;
before(async () => {
  site = await startSite();
  work = tempDir();
});
after(async () => {
  await site.close();
  removeDir(work);
});

// Spaces as pdftotext splits words at them, the ideographic one included.
const marks = (words) => otherLinesOf(words).filter((line) => line.startsWith('No.'))
  .map((line) => line.split(/\s+/).join(' '));
const labelled = (words) => otherLinesOf(words).some((line) => line.includes('こたえ'));

// Problems on a page: sums and differences read back one by one; products and quotients as
// their lines of working, problems side by side, and counted by their signs (products) or
// the numbers of a page without answers (quotients: a divisor and its dividend each).
const readBack = (c) => (c.long ? workingLinesOf : problemsOf);
function problemCount(c, words) {
  if (!c.long) return problemsOf(words).length;
  const lines = workingLinesOf(words);
  const signs = lines.join(' ').match(/×/g)?.length ?? 0;
  return signs || lines.join(' ').split(' ').filter(Boolean).length / 2;
}

for (const c of CASES) {
  test(c.address, async () => {
    const read = readBack(c);
    const expected = kolvaraSheet(`${c.address}&sheets=${c.sheets}`, work);
    const expectedPages = pdfPages(expected);
    assert.equal(expectedPages.length, 2 * c.sheets);
    const expectedSize = pdfPageSize(expected);
    // Which pages are answer pages: each after its sheet, or all after the last sheet.
    const last = c.address.split('&').includes('answers-last');
    const isAnswer = (i) => (last ? i >= c.sheets : i % 2 === 1);
    expectedPages.forEach((words, i) => assert.equal(labelled(words), isAnswer(i), `こたえ on kolvara-sheet's page ${i + 1}`));

    const page = await newPage(site.browser);
    const downloads = tempDir();
    await allowDownloads(page, downloads);
    await openSheet(page, `${site.base}#${c.address}`);

    const shown = read(await previewWords(page));
    assert.equal(problemCount(c, await previewWords(page)), c.perPage);
    assert.deepEqual(shown, read(expectedPages[0]), 'the preview');
    assert.deepEqual(marks(await previewWords(page)), marks(expectedPages[0]));
    assert.equal(labelled(await previewWords(page)), false);

    // "PDF保存" with the number of sheets asked for.
    await page.$eval('#sheets', (input, n) => {
      input.value = String(n);
      input.dispatchEvent(new Event('change', { bubbles: true }));
    }, c.sheets);
    await page.click('#save');
    const saved = await downloaded(downloads);
    const savedPages = pdfPages(saved);
    assert.equal(savedPages.length, expectedPages.length, 'pages in the saved PDF');
    savedPages.forEach((words, i) => {
      if (!isAnswer(i)) assert.equal(problemCount(c, expectedPages[i]), c.perPage, `kolvara-sheet's page ${i + 1} read back`);
      assert.deepEqual(read(words), read(expectedPages[i]), `saved page ${i + 1}`);
      assert.deepEqual(marks(words), marks(expectedPages[i]), `mark of saved page ${i + 1}`);
      assert.equal(labelled(words), isAnswer(i), `こたえ on saved page ${i + 1}`);
      if (isAnswer(i) && !c.long) assert.ok(problemsOf(words).every((p) => p.answer !== undefined), 'answers');
      if (isAnswer(i) && c.long) assert.ok(read(words).length > read(expectedPages[0]).length, 'the working');
    });
    const savedSize = pdfPageSize(saved);
    assert.ok(Math.abs(savedSize.width - expectedSize.width) < 1 && Math.abs(savedSize.height - expectedSize.height) < 1);
    const fonts = (await import('node:child_process')).execFileSync('pdffonts', [saved], { encoding: 'utf8' });
    assert.match(fonts, /[A-Z]{6}\+KolvaraPGothic\s+CID TrueType\s+Identity-H\s+yes yes yes/, 'digits as text, font subset');

    // The browser's print: the same pages in the same order, on the paper asked for.
    await page.waitForFunction(() => document.documentElement.dataset.printReady && !document.documentElement.dataset.pending);
    const printed = `${downloads}/printed.pdf`;
    await page.pdf({ path: printed, preferCSSPageSize: true, printBackground: true });
    const printedPages = pdfPages(printed);
    assert.equal(printedPages.length, expectedPages.length, 'printed pages');
    printedPages.forEach((words, i) => {
      assert.deepEqual(read(words), read(expectedPages[i]), `printed page ${i + 1}`);
      assert.deepEqual(marks(words), marks(expectedPages[i]), `mark of printed page ${i + 1}`);
    });
    const printedSize = pdfPageSize(printed);
    assert.ok(Math.abs(printedSize.width - expectedSize.width) < 2, `printed width ${printedSize.width}`);
    assert.ok(Math.abs(printedSize.height - expectedSize.height) < 2, `printed height ${printedSize.height}`);

    assert.deepEqual(page.errors, []);
    await page.browserContext().close();
    removeDir(downloads);
  });
}

test('without answers, one page a sheet, printed and saved', async () => {
  const page = await newPage(site.browser);
  const downloads = tempDir();
  await allowDownloads(page, downloads);
  await openSheet(page, `${site.base}#op=add&upper=0na&lower=0na&carry=nnn&seed=9&sheets=2&no-answers`);
  await page.click('#save');
  const saved = pdfPages(await downloaded(downloads));
  const expected = pdfPages(kolvaraSheet('op=add&upper=0na&lower=0na&carry=nnn&seed=9&sheets=2&no-answers', work));
  assert.equal(saved.length, 2);
  saved.forEach((words, i) => assert.deepEqual(problemsOf(words), problemsOf(expected[i])));
  await page.waitForFunction(() => document.documentElement.dataset.printReady && !document.documentElement.dataset.pending);
  await page.pdf({ path: `${downloads}/printed.pdf`, preferCSSPageSize: true });
  assert.equal(pdfPageSize(`${downloads}/printed.pdf`).pages, 2);
  await page.browserContext().close();
  removeDir(downloads);
});
