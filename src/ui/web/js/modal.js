// Modal layers: the dialogs and the wait window. Each one opens over
// everything before it; the window and the layers under it take no input
// until it closes, the focus stays in it and goes back where it was after.

import {trackPointer} from './drag.js';
import {byId, h} from './dom.js';

const BASE_Z = 100;
const CLOSE = 'Закрыть';
const stack = [];  // [{layer, onKey, returnFocus}], the top one last

export function isModalOpen() {
  return stack.length > 0;
}

function syncLayers() {
  const top = stack.at(-1)?.layer;
  byId('Window').inert = stack.length > 0;
  stack.forEach((entry, i) => {
    entry.layer.inert = entry.layer !== top;
    entry.layer.style.zIndex = String(BASE_Z + i);
  });
}

// `onKey(e)` sees the keys pressed while the layer is on top and returns true
// for those it handled.
export function pushModal(layer, onKey = () => false) {
  stack.push({layer, onKey, returnFocus: document.activeElement});
  layer.hidden = false;
  syncLayers();
}

export function popModal(layer) {
  const at = stack.findIndex((entry) => entry.layer === layer);
  if (at < 0) return;
  const [entry] = stack.splice(at, 1);
  const hadFocus = layer.contains(document.activeElement);
  layer.hidden = true;
  layer.inert = false;
  syncLayers();
  if (!hadFocus || at !== stack.length) return;
  // With nothing focused before, the focus goes to the page, as it does to
  // the main window's browser when a dialog closes.
  const back = entry.returnFocus?.isConnected && entry.returnFocus !== document.body ?
    entry.returnFocus :
    byId('NavigatorWebBrowser');
  back?.focus();
}

function focusables(layer) {
  return [...layer.querySelectorAll('button, input, select, textarea, [tabindex]')].filter(
    (el) => !el.disabled && el.tabIndex >= 0 && el.offsetParent !== null);
}

// Tab and Shift+Tab go round inside the layer.
function keepFocusInside(e, layer) {
  const list = focusables(layer);
  if (!list.length) return;
  const at = list.indexOf(document.activeElement);
  const next = e.shiftKey ? (at <= 0 ? list.length - 1 : at - 1) : (at + 1) % list.length;
  list[next].focus();
  e.preventDefault();
}

function handleKey(e) {
  const top = stack.at(-1);
  if (!top) return;
  if (e.key === 'Tab') keepFocusInside(e, top.layer);
  else if (top.onKey(e)) e.preventDefault();
  else return;
  e.stopPropagation();
}

// The title bar moves its dialog.
function dragDialog(down, dialog) {
  if (down.button !== 0 || down.target.closest('button')) return;
  down.preventDefault();
  const r = dialog.getBoundingClientRect();
  const moveBy = (dx, dy) => {
    dialog.style.left = `${Math.max(0, Math.min(innerWidth - 40, r.left + dx))}px`;
    dialog.style.top = `${Math.max(0, Math.min(innerHeight - 24, r.top + dy))}px`;
  };
  moveBy(0, 0);
  dialog.classList.add('moved');
  trackPointer(down, moveBy);
}

// A dialog window: a title bar with the caption and the close box, then the
// body. Returns the layer that holds it, not yet shown.
export function dialogWindow({id, caption, onCloseBox, body}) {
  const captionId = `${id}Caption`;
  const titleBar = h(
    'div',
    {class: 'dialog-title'},
    h('span', {id: captionId, class: 'dialog-caption'}, caption),
    h('button',
      {class: 'dialog-close', title: CLOSE, 'aria-label': CLOSE, onclick: onCloseBox},
      h('img', {src: 'img/close.svg', alt: ''})));
  const dialog = h(
    'div',
    {id, class: 'dialog', role: 'dialog', 'aria-modal': 'true', 'aria-labelledby': captionId},
    titleBar, body);
  titleBar.addEventListener('pointerdown', (e) => dragDialog(e, dialog));
  const layer = h('div', {class: 'modal-layer', hidden: true}, dialog);
  byId('DialogLayer').append(layer);
  return layer;
}

// A row of dialog buttons; the first is the default one that Enter presses.
export function buttonRow(buttons) {
  return h(
    'div', {class: 'dialog-buttons'},
    ...buttons.map(({text, id = null, onclick}, i) =>
      h('button', {id, class: i === 0 ? 'button default' : 'button', onclick}, text)));
}

// Enter presses the default button unless the focus is on another button.
function pressDefault(e, layer) {
  if (e.key !== 'Enter' || e.target.closest('button')) return false;
  layer.querySelector('.button.default').click();
  return true;
}

// The keys of a dialog with buttons: Escape runs `onEscape`, Enter presses
// the default button.
export function dialogKeys(layer, onEscape) {
  return (e) => {
    if (e.key !== 'Escape') return pressDefault(e, layer);
    onEscape();
    return true;
  };
}

export function initModal() {
  window.addEventListener('keydown', handleKey, true);
}
