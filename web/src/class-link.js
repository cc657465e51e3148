// 「クラスで使う」: one link and its QR code for a class, each pupil opening their own
// numbered sheet of it.
import { element } from './dom.js';

const SVG = 'http://www.w3.org/2000/svg';

function button(text, attributes = {}) {
  return element('button', { type: 'button', ...attributes }, text);
}

// ---- A class from one link ----

export async function showClassLink(host, words, maxNumber) {
  const { default: qrcode } = await import('./vendor/qrcode.mjs');
  let dialog = document.getElementById('class-link');
  if (!dialog) {
    dialog = element('section', { id: 'class-link', role: 'dialog', 'aria-modal': 'true', 'aria-labelledby': 'class-title' });
    document.body.append(dialog);
  }
  const choice = { mark: 'end', helpers: 'free' };
  const link = element('p', { id: 'class-url' });
  const code = element('div', { id: 'class-qr' });
  const refusal = element('p', { id: 'class-error', role: 'alert', hidden: true });
  const show = () => {
    // The module writes the link (`step=`, `seed=` and the rest), or says why the sheet on
    // screen cannot be practised: no link is shown that would not open.
    let made;
    try {
      made = host.kv().classLink(choice.mark, choice.helpers);
    } catch (error) {
      made = { error: String(error?.message ?? error) };
    }
    copy.disabled = print.disabled = !made.address;
    refusal.hidden = Boolean(made.address);
    refusal.textContent = made.error ?? '';
    if (!made.address) {
      link.textContent = '';
      code.replaceChildren();
      delete dialog.dataset.url;
      return;
    }
    const url = `${location.origin}${location.pathname}#${made.address}`;
    link.textContent = url;
    const qr = qrcode(0, 'M');
    qr.addData(url);
    qr.make();
    const n = qr.getModuleCount();
    let d = '';
    for (let r = 0; r < n; ++r)
      for (let c = 0; c < n; ++c) if (qr.isDark(r, c)) d += `M${c + 4} ${r + 4}h1v1h-1z`;
    code.innerHTML = `<svg xmlns="${SVG}" viewBox="0 0 ${n + 8} ${n + 8}" role="img" aria-label="QR">` +
      `<rect width="${n + 8}" height="${n + 8}" fill="#fff"/><path d="${d}" fill="#000"/></svg>`;
    dialog.dataset.url = url;
  };
  const radios = (name, caption, options) => {
    const set = element('fieldset', { class: 'class-choice' }, element('legend', {}, caption));
    for (const [value, text] of options) {
      const input = element('input', { type: 'radio', name: `class-${name}`, value, checked: choice[name] === value });
      input.addEventListener('change', () => { choice[name] = value; show(); });
      set.append(element('label', {}, input, element('span', {}, text)));
    }
    return set;
  };
  const copy = button(words.copy, { id: 'class-copy' });
  copy.addEventListener('click', async () => {
    try {
      await navigator.clipboard.writeText(dialog.dataset.url);
      copy.textContent = words.copied;
    } catch {
      getSelection().selectAllChildren(link);
    }
  });
  const print = button(words.print, { id: 'class-print' });
  print.addEventListener('click', () => {
    document.documentElement.dataset.printing = 'class';
    window.print();
  });
  const close = button(words.close, { id: 'class-close', class: 'primary' });
  close.addEventListener('click', () => {
    dialog.remove();
    document.getElementById('class-start').focus({ preventScroll: true });
  });
  const step = host.info().steps.find((s) => s.key === host.state().step)?.name;
  dialog.replaceChildren(element('h2', { id: 'class-title' }, step ? `${words.classTitle}：${step}` : words.classTitle),
    element('p', { class: 'class-help' }, words.classHelp(maxNumber())),
    element('div', { class: 'class-buttons' }, copy, print, close),
    element('div', { class: 'class-choices' },
      radios('mark', words.markChoice, [['end', words.markEnd], ['each', words.markEach]]),
      radios('helpers', words.helpersChoice, [['free', words.helpersFree], ['count', words.helpersCount]])),
    refusal, code, link);
  show();
  close.focus({ preventScroll: true });
}
