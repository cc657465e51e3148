// The page lays a sheet out as the desktop does: the module's page, measured from the font
// table, against the desktop's own primitives (sheet_dump, measured by Qt) for the same
// seed. Boxes and rules are the same numbers; text may sit apart only by the difference
// between linear and hinted measurements.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { after, before, test } from 'node:test';

import { env, newPage, openSheet, startSite } from './lib.mjs';

const TOLERANCE = 0.1;  // sheet units; a pixel of the window is one

let site;
before(async () => { site = await startSite(); });
after(() => site.close());

test('the module lays out the page kolvara-sheet lays out', async () => {
  const desktop = JSON.parse(execFileSync(env.sheetDump, ['--sheets', '1', '--seed', '1'], { encoding: 'utf8' })).pages;
  const page = await newPage(site.browser);
  await openSheet(page, `${site.base}#seed=1`);
  const web = await page.evaluate(async () => {
    const module = await (await import('./kolvara.js')).default();
    module.cwrap('kv_open', 'string', ['string', 'number'])('seed=1', 0);
    const layout = module.cwrap('kv_page', 'string', ['number', 'number']);
    return [JSON.parse(layout(0, 0)), JSON.parse(layout(0, 1))];
  });

  let worst = 0;
  web.forEach((w, i) => {
    const d = desktop[i];
    assert.deepEqual([w.width, w.height], [d.width, d.height]);
    const p = d.placement;
    assert.deepEqual(w.placement, [p.scaleX, p.scaleY, p.offsetX, p.offsetY]);
    assert.deepEqual(w.boxes, d.boxes.flatMap((b) => [b.left, b.top, b.right, b.bottom]));
    assert.deepEqual(w.lines, d.lines.flatMap((l) => [l.x1, l.y1, l.x2, l.y2, l.accent ? 1 : 0]));
    // The web's answer page names itself; the desktop's texts are all there besides.
    const texts = w.texts.filter(([text]) => d.texts.some((t) => t.text === text));
    assert.equal(texts.length, d.texts.length, `texts of page ${i + 1}`);
    texts.forEach(([text, face, size, x, baseline], k) => {
      const t = d.texts[k];
      assert.deepEqual([text, face, size], [t.text, t.face === 'window' ? 0 : 1, t.pixelSize]);
      worst = Math.max(worst, Math.abs(x - t.x), Math.abs(baseline - t.baseline));
    });
  });
  console.log(`largest distance of a text from the desktop's: ${worst.toFixed(4)} sheet units`);
  assert.ok(worst < TOLERANCE, `text ${worst} units away`);
  assert.deepEqual(page.errors, []);
});
