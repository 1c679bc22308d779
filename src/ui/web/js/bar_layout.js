// The control bar's tool bars at the places the layout gives. A bar moves by
// its grip and snaps to a row; the address bar's right edge sets its width.
// The window's size and the bars' places go back to the core, which keeps
// them for the next run.

import {flag, post} from './api.js';
import {byId} from './dom.js';
import {trackPointer} from './drag.js';

const ROW = 26;  // the height of a row of bars
const FIRST_ROW = 2;
const MIN_URL_WIDTH = 200;

// Each bar, the layout fields of its place and whether it shows.
const BARS = [
  {id: 'MainMenuToolBar', left: 'mainMenuLeft', top: 'mainMenuTop', shown: () => true},
  {id: 'ViewToolBar', left: 'viewLeft', top: 'viewTop', shown: (c) => c.layout.view},
  {id: 'FileToolBar', left: 'fileLeft', top: 'fileTop', shown: (c) => c.layout.file},
  {
    id: 'URLCoolBar',
    left: 'urlLeft',
    top: 'urlTop',
    shown: (c) => c.layout.url && c.switches.urlCoolBar !== false,
  },
];

let dragging = false;

function fitHeight() {
  let bottom = FIRST_ROW + ROW;
  for (const bar of BARS) {
    const el = byId(bar.id);
    if (!el.hidden) bottom = Math.max(bottom, el.offsetTop + ROW);
  }
  byId('ControlBar').style.height = `${bottom + 2}px`;
}

// A bar shows when the layout says so and it has a button to show: the
// interface switches may hide them all.
export function placeBars(chrome) {
  if (dragging) return;
  const layout = chrome.layout;
  for (const bar of BARS) {
    const el = byId(bar.id);
    el.hidden = !bar.shown(chrome) || !el.querySelector('button:not([hidden])');
    el.style.left = `${layout[bar.left]}px`;
    el.style.top = `${layout[bar.top]}px`;
  }
  byId('URLCoolBar').style.width = `${layout.urlWidth}px`;
  fitHeight();
}

function isMaximized() {
  return outerWidth >= screen.availWidth && outerHeight >= screen.availHeight;
}

// A bar's place or width as set on it; a hidden bar has no offsets.
function px(el, property) {
  return parseInt(el.style[property], 10) || 0;
}

// The layout as the window shows it now.
function layoutFields() {
  const fields = {
    width: outerWidth,
    height: outerHeight,
    maximized: flag(isMaximized()),
    urlWidth: px(byId('URLCoolBar'), 'width'),
  };
  for (const bar of BARS) {
    const el = byId(bar.id);
    fields[bar.left] = px(el, 'left');
    fields[bar.top] = px(el, 'top');
  }
  return fields;
}

function postLayout() {
  post('/api/layout', layoutFields());
}

function rowTop(y) {
  const rows = BARS.length;
  const row = Math.min(rows - 1, Math.max(0, Math.round((y - FIRST_ROW) / ROW)));
  return FIRST_ROW + row * ROW;
}

function shownBars() {
  const shown = BARS.map((b) => byId(b.id)).filter((el) => !el.hidden);
  return shown.sort((a, b) => a.offsetTop - b.offsetTop || a.offsetLeft - b.offsetLeft);
}

// After a drop the shown bars fill the rows from the top, with no empty row
// between them, and bars of one row do not overlap: each one that would
// cover the one before it moves right to where that one ends.
function arrangeBars() {
  const shown = shownBars();
  let row = -1;
  let previousTop = null;
  for (const [i, bar] of shown.entries()) {
    if (bar.offsetTop !== previousTop) row++;
    previousTop = bar.offsetTop;
    bar.style.top = `${FIRST_ROW + row * ROW}px`;
    const before = shown[i - 1];
    if (!before || before.style.top !== bar.style.top) continue;
    const end = before.offsetLeft + before.offsetWidth + 2;
    if (bar.offsetLeft < end) bar.style.left = `${end}px`;
  }
}

function dragBar(down) {
  const bar = down.target.closest('.tool-bar');
  const startLeft = bar.offsetLeft;
  const startTop = bar.offsetTop;
  bar.classList.add('moving');
  dragging = true;
  trackPointer(
    down,
    (dx, dy) => {
      const maxLeft = byId('ControlBar').clientWidth - 24;
      bar.style.left = `${Math.min(maxLeft, Math.max(0, startLeft + dx))}px`;
      bar.style.top = `${rowTop(startTop + dy)}px`;
      fitHeight();
    },
    () => {
      dragging = false;
      bar.classList.remove('moving');
      arrangeBars();
      fitHeight();
      postLayout();
    });
}

function resizeUrlBar(down) {
  const bar = byId('URLCoolBar');
  const startWidth = bar.offsetWidth;
  trackPointer(
    down,
    (dx) => {
      const maxWidth = byId('ControlBar').clientWidth - bar.offsetLeft;
      bar.style.width = `${Math.max(MIN_URL_WIDTH, Math.min(maxWidth, startWidth + dx))}px`;
    },
    postLayout);
}

export function initBarLayout() {
  const bar = byId('ControlBar');
  bar.addEventListener('pointerdown', (e) => {
    if (e.button !== 0) return;
    if (e.target.classList.contains('grip')) dragBar(e);
    else if (e.target.classList.contains('bar-sizer')) resizeUrlBar(e);
    else return;
    e.preventDefault();
  });
  let timer = 0;
  window.addEventListener('resize', () => {
    clearTimeout(timer);
    timer = setTimeout(postLayout, 400);
  });
}
