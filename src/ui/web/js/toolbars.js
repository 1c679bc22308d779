// The control bar: the tool buttons' states, the back and forward lists, the
// tool bars menu, the busy picture, the double click that clears the cache.

import {command, flag, post} from './api.js';
import {
  fillMenu, makeItem, onMenuOpen, openMenu, setItemChecked, setItemEnabled,
} from './menus.js';
import {byId} from './dom.js';
import {state, visitLists} from './state.js';

function visitItem(visit) {
  return makeItem({label: visit.caption, onChoose: () => post('/api/goto', {index: visit.index})});
}

function fillVisits(menu, list) {
  fillMenu(menu, list.map(visitItem));
}

function fillGoto(menu) {
  const visits = state.chrome.visits ?? [];
  fillMenu(
    menu,
    visits.map((v) =>
      makeItem({
        label: v.caption,
        checked: Boolean(v.current),
        onChoose: () => post('/api/goto', {index: v.index}),
      })));
}

function fillFavorites(menu) {
  fillMenu(
    menu,
    state.favorites.items.map((f) =>
      makeItem({
        label: f.title,
        title: f.url,
        icon: f.talor ? 'img/talor_page.svg' : 'img/page.svg',
        onChoose: () => post('/api/favorites/open', {index: f.index}),
      })));
}

function toggleBar(item) {
  const visible = item.getAttribute('aria-checked') !== 'true';
  post('/api/toolbar', {bar: item.dataset.bar, visible: flag(visible)});
}

function openToolsMenu(e) {
  if (e.target.closest('input') || state.chrome?.switches?.servisToolBars === false) return;
  openMenu(byId('ToolsPopupMenu'), null, e.clientX, e.clientY);
}

export function initToolbars() {
  const controlBar = byId('ControlBar');
  // Tool buttons and menu titles, as on the desktop, leave the keyboard focus
  // where it is when clicked.
  document.addEventListener('mousedown', (e) => {
    if (e.target.closest('.tool, .menu-title, .combo-drop')) e.preventDefault();
  });
  // The browser's own context menu has no place in the window; text boxes
  // keep theirs for copying and pasting.
  document.addEventListener('contextmenu', (e) => {
    if (!e.target.closest('input')) e.preventDefault();
  });
  controlBar.addEventListener('contextmenu', openToolsMenu);
  byId('ControlBarBack').addEventListener('dblclick', () => command('ClearCache'));
  for (const item of document.querySelectorAll('#ToolsPopupMenu [data-bar]')) {
    item.addEventListener('click', () => toggleBar(item));
  }
  onMenuOpen('BackListMenu', (menu) => fillVisits(menu, visitLists().back));
  onMenuOpen('ForwardListMenu', (menu) => fillVisits(menu, visitLists().forward));
  onMenuOpen('ViewGotoMenu', fillGoto);
  onMenuOpen('FavoritesMenu', fillFavorites);
}

function setBusy(busy) {
  const image = byId('PanelImage');
  image.classList.toggle('busy', busy);
  image.setAttribute('aria-label', busy ? 'Идёт загрузка' : 'Навигатор готов');
}

export function syncToolbars(chrome) {
  const {back, forward} = visitLists();
  byId('BackListButton').disabled = !back.length;
  byId('ForwardListButton').disabled = !forward.length;
  setItemEnabled(byId('ViewGotoMainMenuItem'), Boolean(chrome.visits?.length));
  byId('FavoritesToolButton').setAttribute('aria-pressed', String(chrome.panel === 'favorites'));
  byId('HistoryToolButton').setAttribute('aria-pressed', String(chrome.panel === 'history'));

  const servis = chrome.switches.servisToolBars !== false;
  byId('ServiceToolBarsMainMenuItem').hidden = !servis;
  byId('ServiceToolButton').hidden = !servis;
  setItemChecked(byId('ViewToolItem'), chrome.layout.view);
  setItemChecked(byId('FileToolItem'), chrome.layout.file);
  setItemChecked(byId('URLToolItem'), chrome.layout.url);
  byId('URLToolItem').hidden = chrome.switches.urlCoolBar === false;
  setBusy(Boolean(chrome.busy));
}
