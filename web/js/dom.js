// dom.js: builds HTML and SVG elements. h("p", {class: "x"}, "text", child)
// makes an element with attributes (on* keys become listeners) and children
// (strings become text nodes; null and false are skipped).
const SVG_NS = 'http://www.w3.org/2000/svg';

function build(element, attributes, children) {
  for (const [key, value] of Object.entries(attributes || {})) {
    if (value === null || value === undefined || value === false) continue;
    if (key.startsWith('on') && typeof value === 'function') {
      element.addEventListener(key.slice(2), value);
    } else {
      element.setAttribute(key, value === true ? '' : String(value));
    }
  }
  for (const child of children.flat(Infinity)) {
    if (child === null || child === undefined || child === false) continue;
    element.append(child instanceof Node ? child : document.createTextNode(String(child)));
  }
  return element;
}

export function h(tag, attributes, ...children) {
  return build(document.createElement(tag), attributes, children);
}

export function s(tag, attributes, ...children) {
  return build(document.createElementNS(SVG_NS, tag), attributes, children);
}

/// Replaces the children of `element` with `children`.
export function fill(element, ...children) {
  element.replaceChildren();
  return build(element, {}, children);
}
