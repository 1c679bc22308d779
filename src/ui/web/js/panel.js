// The left panel: the favourites or the history as a list, the panel's tool
// buttons, the history's sort menu and the splitter that sets the width.

import {command, post} from './api.js';
import {byId, h} from './dom.js';
import {trackPointer} from './drag.js';
import {onMenuOpen, setItemChecked} from './menus.js';
import {panelItems, state} from './state.js';

const MIN_WIDTH = 120;
const KEY_STEP = 10;

let rendered = {items: null, selected: null};
let cursor = -1;  // the line the keyboard is on

function rows() {
  return byId('LeftListBox').children;
}

function makeRow(item, line, selected) {
  const title = h('span', {class: 'row-title'}, item.title);
  const row = h(
    'div',
    {
      id: `LeftLine${line}`,
      class: 'list-row',
      role: 'option',
      'aria-selected': String(selected),
      onclick: () => openLine(line),
    },
    h('img', {src: item.talor ? 'img/talor_page.svg' : 'img/page.svg', alt: ''}),
    title);
  // The full title shows as a hint only where the line cuts it.
  row.addEventListener('mouseenter', () => {
    row.title = title.scrollWidth > title.clientWidth ? item.title : '';
  });
  return row;
}

function openLine(line) {
  post('/api/panel/click', {line});
}

function renderLines(chrome) {
  const items = panelItems();
  if (rendered.items === items && rendered.selected === chrome.selectedLine) return;
  rendered = {items, selected: chrome.selectedLine};
  byId('LeftListBox').replaceChildren(
    ...items.map((item, line) => makeRow(item, line, line === chrome.selectedLine)));
  moveCursor(Math.min(cursor, items.length - 1), false);
}

function syncTools(tools) {
  const add = byId('FavoritesAddToolButton');
  add.hidden = !tools.addVisible;
  add.disabled = !tools.addEnabled;
  const remove = byId('FavoritesHistoryDeleteToolButton');
  remove.hidden = !tools.deleteVisible;
  remove.disabled = !tools.deleteEnabled;
  byId('HistorySortToolButton').hidden = !tools.sortVisible;
}

export function syncPanel(chrome) {
  const shown = Boolean(chrome.panel) && chrome.panel !== 'none';
  byId('PanelLeft').hidden = !shown;
  byId('Splitter').hidden = !shown;
  if (!shown) return;
  byId('LeftTopLabel').textContent = chrome.panelCaption ?? '';
  syncTools(chrome.panelTools ?? {});
  renderLines(chrome);
}

function moveCursor(line, scroll = true) {
  const list = byId('LeftListBox');
  rows()[cursor]?.classList.remove('cursor');
  cursor = line;
  const row = rows()[cursor];
  if (!row) {
    list.removeAttribute('aria-activedescendant');
    return;
  }
  row.classList.add('cursor');
  list.setAttribute('aria-activedescendant', row.id);
  if (scroll) row.scrollIntoView({block: 'nearest'});
}

function handleListKey(e) {
  const count = rows().length;
  const page = Math.max(1, Math.floor(byId('LeftListBox').clientHeight / 20) - 1);
  const steps = {ArrowDown: 1, ArrowUp: -1, PageDown: page, PageUp: -page};
  if (e.key in steps) moveCursor(Math.max(0, Math.min(count - 1, cursor + steps[e.key])));
  else if (e.key === 'Home') moveCursor(0);
  else if (e.key === 'End') moveCursor(count - 1);
  else if ((e.key === 'Enter' || e.key === ' ') && cursor >= 0) openLine(cursor);
  else if (e.key === 'Delete' && !byId('FavoritesHistoryDeleteToolButton').disabled) {
    command('PanelDelete');
  }
  else return;
  e.preventDefault();
}

function initSplitter() {
  const splitter = byId('Splitter');
  const panel = byId('PanelLeft');
  const setWidth = (width) => {
    const max = Math.max(MIN_WIDTH, Math.floor(innerWidth * 0.6));
    panel.style.width = `${Math.max(MIN_WIDTH, Math.min(max, width))}px`;
  };
  splitter.addEventListener('pointerdown', (down) => {
    if (down.button !== 0) return;
    down.preventDefault();
    const start = panel.offsetWidth;
    trackPointer(down, (dx) => setWidth(start + dx));
  });
  splitter.addEventListener('keydown', (e) => {
    const step = {ArrowLeft: -KEY_STEP, ArrowRight: KEY_STEP}[e.key];
    if (!step) return;
    setWidth(panel.offsetWidth + step);
    e.preventDefault();
  });
}

export function initPanel() {
  const list = byId('LeftListBox');
  list.addEventListener('keydown', handleListKey);
  list.addEventListener('focus', () => {
    if (cursor < 0) moveCursor(Math.max(0, state.chrome?.selectedLine ?? 0));
  });
  for (const item of byId('HistorySortMenu').children) {
    item.addEventListener('click', () => post('/api/history/sort', {order: item.dataset.order}));
  }
  onMenuOpen('HistorySortMenu', (menu) => {
    for (const item of menu.children) {
      setItemChecked(item, item.dataset.order === state.history.sort);
    }
  });
  initSplitter();
}
