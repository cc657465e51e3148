// "PDF保存": the pages as kolvara-sheet writes them, drawn from the module's primitives
// with pdf-lib, the faces embedded as subsets. Loaded only when the button is pressed.
import {
  PDFDocument, LineCapStyle, pushGraphicsState, popGraphicsState, concatTransformationMatrix,
  setLineWidth, setDashPattern, setLineCap, setStrokingRgbColor, setFillingRgbColor, moveTo, lineTo,
  stroke, beginText, endText, setFontAndSize, setTextMatrix, showText, rectangle, fill,
} from './vendor/pdf-lib.esm.min.js';
import { ink } from './sheet-svg.js';

// Each with the six capitals and "+" that mark a subset's name in a PDF.
const FONTS = [
  { file: 'fonts/kolvara-gothic.ttf', name: 'KOLVAG+KolvaraGothic' },
  { file: 'fonts/kolvara-pgothic.ttf', name: 'KOLVAP+KolvaraPGothic' },
];

// The UMD build sets `fontkit` on the global object when loaded as a module.
async function loadFontkit() {
  if (!globalThis.fontkit) await import('./vendor/fontkit.umd.min.js');
  return globalThis.fontkit;
}

async function bytesOf(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`${url}: ${response.status}`);
  return new Uint8Array(await response.arrayBuffer());
}

function rgb(hex) {
  const n = parseInt(hex.slice(1), 16);
  return [(n >> 16) / 255, ((n >> 8) & 255) / 255, (n & 255) / 255];
}

function drawPage(doc, page, fonts) {
  const pdfPage = doc.addPage([page.width, page.height]);
  const keys = fonts.map((font) => pdfPage.node.newFontDictionary(font.name, font.ref));
  const [sx, sy, ox, oy] = page.placement;
  const text = rgb(ink.text), accent = rgb(ink.accent);
  // Sheet units, y down, onto the page in points, y up.
  const ops = [pushGraphicsState(), concatTransformationMatrix(sx, 0, 0, -sy, ox, page.height - oy), setLineWidth(1)];

  const b = page.boxes;
  if (b.length) {
    ops.push(setDashPattern([1, 1], 0), setLineCap(LineCapStyle.Butt), setStrokingRgbColor(...text));
    for (let i = 0; i < b.length; i += 4) {
      const l = b[i], t = b[i + 1], r = b[i + 2], bottom = b[i + 3];
      ops.push(moveTo(l, t), lineTo(r, t), moveTo(l, bottom), lineTo(r, bottom),
        moveTo(l, t), lineTo(l, bottom), moveTo(r, t), lineTo(r, bottom));
    }
    ops.push(stroke());
  }
  ops.push(setDashPattern([], 0), setLineCap(LineCapStyle.Projecting));
  for (const wanted of [0, 1]) {
    const l = page.lines;
    let any = false;
    for (let i = 0; i < l.length; i += 5) {
      if (l[i + 4] !== wanted) continue;
      if (!any) ops.push(setStrokingRgbColor(...(wanted ? accent : text)));
      any = true;
      ops.push(moveTo(l[i], l[i + 1]), lineTo(l[i + 2], l[i + 3]));
    }
    if (any) ops.push(stroke());
  }

  const underlines = [];
  ops.push(beginText());
  let colour = -1;
  for (const t of page.texts) {
    const [string, face, size, x, baseline, accentText] = t;
    if (accentText !== colour) {
      colour = accentText;
      ops.push(setFillingRgbColor(...(accentText ? accent : text)));
    }
    ops.push(setFontAndSize(keys[face], size), setTextMatrix(1, 0, 0, -1, x, baseline),
      showText(fonts[face].encodeText(string)));
    if (t.length > 6) underlines.push(t);
  }
  ops.push(endText());
  for (const t of underlines) {
    const [, , , x, baseline, accentText, width, offset, thickness] = t;
    ops.push(setFillingRgbColor(...(accentText ? accent : text)), rectangle(x, baseline + offset, width, thickness), fill());
  }
  ops.push(popGraphicsState());
  pdfPage.pushOperators(...ops);
}

// `pages` are functions that each give one page's layout, in order.
export async function makePdf(pages, title) {
  const [fontkit, fontBytes] = await Promise.all([loadFontkit(), Promise.all(FONTS.map((f) => bytesOf(f.file)))]);
  const doc = await PDFDocument.create();
  doc.registerFontkit(fontkit);
  const fonts = [];
  for (const [i, bytes] of fontBytes.entries())
    fonts.push(await doc.embedFont(bytes, { subset: true, customName: FONTS[i].name }));
  for (const page of pages) drawPage(doc, page(), fonts);
  doc.setTitle(title);
  doc.setCreator(title);
  doc.setProducer(title);
  return doc.save({ useObjectStreams: true });
}
