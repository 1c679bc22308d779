// Making elements: h('div', {class: 'row', onclick: f}, child, 'text').
// Attributes named on<event> become listeners; null children are skipped.

export function h(tag, attributes = {}, ...children) {
  const el = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (value === null || value === undefined || value === false) continue;
    if (name.startsWith('on')) el.addEventListener(name.slice(2), value);
    else el.setAttribute(name, value === true ? '' : value);
  }
  el.append(...children.filter((c) => c !== null && c !== undefined));
  return el;
}

export function byId(id) {
  return document.getElementById(id);
}

// Focuses a text box with its text selected, as desktop edit boxes do.
export function focusSelected(input) {
  input.focus();
  input.select();
}

// A text of the message file that the server put into the page.
export function windowText(name) {
  return document.querySelector(`#WindowTexts [data-text="${name}"]`).textContent;
}
