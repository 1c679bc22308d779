// The address box: an editable combo box over the addresses the core keeps.
// Typing narrows the drop-down list to the addresses that match; Enter, the
// Go button or a chosen address opens the page.

import {post} from './api.js';
import {byId, h} from './dom.js';
import {state} from './state.js';

let input;
let list;
let shownAddress = null;  // the core's address the box last took
let active = -1;          // the highlighted line of the open list
let edited = false;       // the box holds the user's text, not the core's address

// The addresses that start with `text` first, then those that contain it.
function matches(text) {
  const all = state.chrome?.addresses ?? [];
  const wanted = text.trim().toLowerCase();
  if (!wanted) return all;
  const starting = all.filter((a) => a.toLowerCase().startsWith(wanted));
  const containing = all.filter((a) => !starting.includes(a) && a.toLowerCase().includes(wanted));
  return [...starting, ...containing];
}

function isOpen() {
  return !list.hidden;
}

function hideList() {
  list.hidden = true;
  input.setAttribute('aria-expanded', 'false');
  input.removeAttribute('aria-activedescendant');
  active = -1;
}

function go(address) {
  hideList();
  input.value = address;
  edited = false;
  post('/api/navigate', {url: address});
}

function makeOption(address, index) {
  return h(
    'div',
    {
      id: `URLOption${index}`,
      class: 'combo-option',
      role: 'option',
      'aria-selected': 'false',
      title: address,
      onmousedown: (e) => e.preventDefault(),  // the box keeps the focus
      onclick: () => go(address),
    },
    address);
}

function showList(addresses) {
  list.replaceChildren(...addresses.map(makeOption));
  active = -1;
  input.removeAttribute('aria-activedescendant');
  list.hidden = !addresses.length;
  input.setAttribute('aria-expanded', String(isOpen()));
}

function highlight(step) {
  const options = list.children;
  if (!options.length) return;
  options[active]?.setAttribute('aria-selected', 'false');
  active = (active + step + options.length) % options.length;
  const option = options[active];
  option.setAttribute('aria-selected', 'true');
  option.scrollIntoView({block: 'nearest'});
  input.setAttribute('aria-activedescendant', option.id);
  input.value = option.textContent;
  edited = true;
}

function handleKey(e) {
  switch (e.key) {
    case 'ArrowDown':
    case 'ArrowUp':
      if (!isOpen()) showList(matches(''));
      highlight(e.key === 'ArrowDown' ? 1 : -1);
      break;
    case 'Enter':
      go(input.value);
      break;
    case 'Escape':
      // Escape first closes the list, then drops the edit; only then it is
      // the window's Stop.
      if (isOpen()) hideList();
      else if (edited) showAddress();
      else return;
      break;
    default:
      return;
  }
  e.preventDefault();
  e.stopPropagation();
}

export function initAddress() {
  input = byId('URLComboBox');
  list = byId('URLList');
  input.addEventListener('keydown', handleKey);
  input.addEventListener('input', () => {
    edited = true;
    if (input.value.trim()) showList(matches(input.value));
    else hideList();
  });
  input.addEventListener('blur', hideList);
  byId('URLListButton').addEventListener('click', () => {
    if (isOpen()) hideList();
    else showList(matches(''));
    input.focus();
  });
  byId('GoToolButton').addEventListener('click', () => go(input.value));
}

function showAddress() {
  input.value = shownAddress ?? '';
  edited = false;
}

// Shows the core's address when it changed, unless the user is typing.
export function syncAddress(chrome) {
  if (chrome.address === shownAddress) return;
  shownAddress = chrome.address;
  if (!edited || document.activeElement !== input) showAddress();
}
