// A small helper the page's scripts share for building their elements.

// An element with attributes (true: present without a value; false, null or undefined: left
// out) and children.
export function element(tag, attributes = {}, ...children) {
  const e = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (value === undefined || value === null || value === false) continue;
    e.setAttribute(key, value === true ? '' : value);
  }
  e.append(...children);
  return e;
}
