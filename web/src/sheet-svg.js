// A page of the module's layout as SVG: the primitives as they come, in sheet units inside
// the page's placement, the page itself in points. Nothing here places anything.

// The colours the desktop's painter draws a sheet in (display/sheet_painter.h, DrawingInk).
export const ink = { text: '#000000', paper: '#ffffff', accent: '#d01010' };

const escapes = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' };
const escape = (text) => text.replace(/[&<>"]/g, (c) => escapes[c]);

// The dotted boxes for paper: each edge its own dashed subpath, so its dots start at its
// own end, as the painter's do.
function dashedBoxes(boxes, colour) {
  let d = '';
  for (let i = 0; i < boxes.length; i += 4) {
    const l = boxes[i], t = boxes[i + 1], r = boxes[i + 2], b = boxes[i + 3];
    d += `M${l} ${t}H${r}M${l} ${b}H${r}M${l} ${t}V${b}M${r} ${t}V${b}`;
  }
  return `<path d="${d}" fill="none" stroke="${colour}" stroke-width="1" stroke-dasharray="1 1"/>`;
}

// The same for the screen: each edge a strip one unit wide filled with dots one unit apart
// from the edge's start. A pattern fill draws many times faster than the dashed strokes,
// but prints blurred, so paper keeps the strokes.
function dottedBoxes(boxes, colour, prefix) {
  const strips = new Map();  // pattern -> path of strips
  const phase = (v) => Math.round((((v % 2) + 2) % 2) * 1e6) / 1e6;
  const add = (key, d) => strips.set(key, (strips.get(key) ?? '') + d);
  for (let i = 0; i < boxes.length; i += 4) {
    const l = boxes[i], t = boxes[i + 1], r = boxes[i + 2], b = boxes[i + 3];
    for (const y of [t, b]) add(`h${phase(l)}`, `M${l} ${y - 0.5}H${r}v1H${l}z`);
    for (const x of [l, r]) add(`v${phase(t)}`, `M${x - 0.5} ${t}V${b}h1V${t}z`);
  }
  let defs = '', paths = '';
  let n = 0;
  for (const [key, d] of strips) {
    const id = `${prefix}dots${n++}`;
    const across = key[0] === 'h', at = key.slice(1);
    defs += `<pattern id="${id}" patternUnits="userSpaceOnUse" ${across ? `x="${at}" width="2" height="1"` : `y="${at}" width="1" height="2"`}>` +
      `<rect width="1" height="1" fill="${colour}"/></pattern>`;
    paths += `<path d="${d}" fill="url(#${id})"/>`;
  }
  return { defs, paths };
}

function linePaths(lines) {
  const d = ['', ''];
  for (let i = 0; i < lines.length; i += 5)
    d[lines[i + 4]] += `M${lines[i]} ${lines[i + 1]}L${lines[i + 2]} ${lines[i + 3]}`;
  return d;
}

// Markup of one page, for the screen or for paper; whatever holds it names it for
// assistive technology. `prefix` keeps the page's own ids apart from other pages'.
export function pageSvg(page, prefix, forPaper = false) {
  const [sx, sy, ox, oy] = page.placement;
  const parts = [
    `<svg xmlns="http://www.w3.org/2000/svg" xml:space="preserve" class="page" viewBox="0 0 ${page.width} ${page.height}"` +
      ' aria-hidden="true">',
    `<rect width="${page.width}" height="${page.height}" fill="${ink.paper}"/>`,
    `<g transform="matrix(${sx} 0 0 ${sy} ${ox} ${oy})">`,
  ];
  for (let i = 0; i < page.backings.length; i += 4) {
    const b = page.backings;
    parts.push(`<rect x="${b[i]}" y="${b[i + 1]}" width="${b[i + 2]}" height="${b[i + 3]}" fill="${ink.paper}"/>`);
  }
  if (page.boxes.length && forPaper) {
    parts.push(dashedBoxes(page.boxes, ink.text));
  } else if (page.boxes.length) {
    const { defs, paths } = dottedBoxes(page.boxes, ink.text, prefix);
    parts.push(`<defs>${defs}</defs>`, paths);
  }
  const [plain, accent] = linePaths(page.lines);
  for (const [d, colour] of [[plain, ink.text], [accent, ink.accent]])
    if (d) parts.push(`<path d="${d}" fill="none" stroke="${colour}" stroke-width="1" stroke-linecap="square"/>`);
  // Single characters (the digits and signs) sharing a face, size, baseline and colour go
  // into one element, each at its own x, as paper draws them as one run: a page has a few
  // dozen text elements to lay out instead of hundreds.
  const runs = new Map();
  for (const t of page.texts) {
    const [text, face, size, x, baseline, accentText] = t;
    const colour = accentText ? ink.accent : ink.text;
    if (t.length === 6 && text.length === 1) {
      const key = `${face} ${size} ${baseline} ${colour}`;
      const run = runs.get(key) ?? runs.set(key, { face, size, baseline, colour, xs: [], chars: '' }).get(key);
      run.xs.push(x);
      run.chars += text;
      continue;
    }
    parts.push(`<text class="face${face}" x="${x}" y="${baseline}" font-size="${size}" fill="${colour}">${escape(text)}</text>`);
    if (t.length > 6) {
      const [width, offset, thickness] = t.slice(6);
      parts.push(`<rect x="${x}" y="${baseline + offset}" width="${width}" height="${thickness}" fill="${colour}"/>`);
    }
  }
  for (const r of runs.values())
    parts.push(`<text class="face${r.face}" x="${r.xs.join(' ')}" y="${r.baseline}" font-size="${r.size}" fill="${r.colour}">${escape(r.chars)}</text>`);
  parts.push('</g></svg>');
  return parts.join('');
}
