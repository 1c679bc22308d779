// Popup menus: the menu bar's menus, the tool bars' drop-down lists and the
// control bar's context menu. The open menus form one chain, each a submenu
// of the one before it. A chosen item, Escape, a click elsewhere or the
// window losing the focus closes them.
//
// An element with data-menu="<id>" opens that menu: below itself, or beside
// itself when it is an item of another menu. A module that fills a menu when
// it opens registers with onMenuOpen.

import {byId, h} from './dom.js';

const chain = [];  // [{menu, opener}], the root menu first
const preparers = new Map();
let focusBeforeMenus = null;

export function onMenuOpen(menuId, prepare) {
  preparers.set(menuId, prepare);
}

export function isMenuOpen() {
  return chain.length > 0;
}

function isDisabled(item) {
  return item.getAttribute('aria-disabled') === 'true';
}

export function setItemEnabled(item, enabled) {
  item.setAttribute('aria-disabled', String(!enabled));
}

export function setItemChecked(item, checked) {
  item.setAttribute('aria-checked', String(checked));
}

function items(menu) {
  return [...menu.querySelectorAll('.menu-item')].filter((i) => !i.hidden && !isDisabled(i));
}

function levelOf(menu) {
  return chain.findIndex((l) => l.menu === menu);
}

function closeFrom(level) {
  while (chain.length > level) {
    const {menu, opener} = chain.pop();
    menu.hidden = true;
    opener?.setAttribute('aria-expanded', 'false');
  }
}

// Closes every menu. With `restoreFocus` the focus goes back where it was
// before the first menu opened, if it is still inside a menu.
function closeMenus(restoreFocus = true) {
  if (!chain.length) return;
  const focusInMenu = document.activeElement?.closest('.menu');
  closeFrom(0);
  if (restoreFocus && focusInMenu && focusBeforeMenus?.isConnected) focusBeforeMenus.focus();
  focusBeforeMenus = null;
}

// Shows `menu` with its top left corner at (x, y), kept inside the window;
// a menu too wide for the right side opens leftwards from `leftEdge`.
function place(menu, x, y, leftEdge) {
  menu.style.left = '0px';
  menu.style.top = '0px';
  menu.hidden = false;
  const {width, height} = menu.getBoundingClientRect();
  if (x + width > innerWidth - 2) {
    x = leftEdge !== undefined ? leftEdge - width : innerWidth - width - 2;
  }
  if (y + height > innerHeight - 2) y = innerHeight - height - 2;
  menu.style.left = `${Math.max(0, x)}px`;
  menu.style.top = `${Math.max(0, y)}px`;
}

// Opens `menu` for `opener` (an element or null) at (x, y). `focus` is
// "first" (the first item, for the keyboard), "menu" or "none".
export function openMenu(menu, opener, x, y, focus = 'menu', leftEdge = undefined) {
  const parentMenu = opener?.closest('.menu');
  const level = parentMenu ? levelOf(parentMenu) + 1 : 0;
  if (level === 0 && !chain.length) focusBeforeMenus = document.activeElement;
  closeFrom(level);
  preparers.get(menu.id)?.(menu);
  chain.push({menu, opener});
  opener?.setAttribute('aria-expanded', 'true');
  place(menu, x, y, leftEdge);
  if (focus === 'first') (items(menu)[0] ?? menu).focus();
  else if (focus === 'menu') menu.focus();
}

function openFor(opener, focus) {
  const menu = byId(opener.dataset.menu);
  const r = opener.getBoundingClientRect();
  if (opener.closest('.menu')) openMenu(menu, opener, r.right - 3, r.top - 3, focus, r.left + 3);
  else openMenu(menu, opener, r.left, r.bottom, focus);
}

function menuTitles() {
  return [...document.querySelectorAll('.menu-title')].filter((t) => !t.hidden);
}

// The menu bar title `step` places from `title`, wrapping round.
function nextTitle(title, step) {
  const titles = menuTitles();
  return titles[(titles.indexOf(title) + step + titles.length) % titles.length];
}

function moveFocus(menu, step) {
  const list = items(menu);
  if (!list.length) return;
  const at = list.indexOf(document.activeElement);
  const next = at < 0 ? (step > 0 ? 0 : list.length - 1) : (at + step + list.length) % list.length;
  list[next].focus();
}

// Closes the menus from `level` on and gives the focus to the item that
// opened them.
function closeSubmenu(level) {
  const opener = chain[level].opener;
  closeFrom(level);
  opener.focus();
}

function handleMenuKey(e) {
  const top = chain[chain.length - 1].menu;
  const item = document.activeElement?.closest('.menu-item');
  const menu = item?.closest('.menu') ?? top;
  const level = levelOf(menu);
  const root = chain[0].opener;
  switch (e.key) {
    case 'ArrowDown':
      moveFocus(menu, 1);
      break;
    case 'ArrowUp':
      moveFocus(menu, -1);
      break;
    case 'Home':
      items(menu)[0]?.focus();
      break;
    case 'End':
      items(menu).at(-1)?.focus();
      break;
    case 'Enter':
    case ' ':
      if (item && !isDisabled(item)) item.click();
      break;
    case 'ArrowRight':
      if (item?.dataset.menu && !isDisabled(item)) openFor(item, 'first');
      else if (root?.classList.contains('menu-title')) openFor(nextTitle(root, 1), 'first');
      break;
    case 'ArrowLeft':
      if (level > 0) closeSubmenu(level);
      else if (root?.classList.contains('menu-title')) openFor(nextTitle(root, -1), 'first');
      break;
    case 'Escape':
      // The deepest menu closes first, also one the mouse opened.
      if (chain.length > 1) closeSubmenu(chain.length - 1);
      else closeMenus();
      break;
    case 'Tab':
      closeMenus();
      return;
    default:
      return;
  }
  e.preventDefault();
  e.stopPropagation();
}

function handleTitleKey(e) {
  const title = e.target.closest('.menu-title');
  if (!title || chain.length) return;
  if (e.key === 'ArrowDown') openFor(title, 'first');
  else if (e.key === 'ArrowRight') nextTitle(title, 1).focus();
  else if (e.key === 'ArrowLeft') nextTitle(title, -1).focus();
  else return;
  e.preventDefault();
}

function handleClick(e) {
  const opener = e.target.closest('[data-menu]');
  if (opener && !isDisabled(opener)) {
    const keyboard = e.detail === 0;
    if (!opener.closest('.menu') && chain[0]?.opener === opener) closeMenus(false);
    else openFor(opener, keyboard || opener.closest('.menu') ? 'first' : 'menu');
    return;
  }
  if (e.target.closest('.menu-item')) closeMenus();
}

function blockDisabled(e) {
  const item = e.target.closest('.menu-item');
  if (item && isDisabled(item)) {
    e.preventDefault();
    e.stopPropagation();
  }
}

function handlePointerDown(e) {
  if (!chain.length || e.target.closest('.menu')) return;
  if (e.target.closest('[data-menu]') === chain[0].opener) return;  // its click toggles
  closeMenus(false);
}

function handleHover(e) {
  const item = e.target.closest('.menu-item');
  if (item && !item.hidden) {
    const level = levelOf(item.closest('.menu'));
    if (level < 0) return;
    item.focus();
    if (item.dataset.menu && !isDisabled(item)) {
      if (chain[level + 1]?.opener !== item) openFor(item, 'none');
    } else {
      closeFrom(level + 1);
    }
    return;
  }
  // Moving along the menu bar with a menu open switches to that title's menu.
  const title = e.target.closest('.menu-title');
  const root = chain[0]?.opener;
  if (title && root !== title && root?.classList.contains('menu-title')) {
    openFor(title, 'menu');
  }
}

export function initMenus() {
  document.addEventListener('click', blockDisabled, true);
  document.addEventListener('click', handleClick);
  document.addEventListener('pointerdown', handlePointerDown, true);
  document.addEventListener('mouseover', handleHover);
  document.addEventListener('keydown', handleTitleKey);
  window.addEventListener(
    'keydown',
    (e) => {
      if (chain.length) handleMenuKey(e);
    },
    true);
  window.addEventListener('blur', () => closeMenus(false));
  window.addEventListener('resize', () => closeMenus(false));
  // The menu keys of desktop programs: F10 goes to the menu bar.
  document.addEventListener('keydown', (e) => {
    if (e.key === 'F10' && !chain.length) {
      menuTitles()[0]?.focus();
      e.preventDefault();
    }
  });
}

// A menu item made on the fly, for the lists the menus show; with `checked`
// it is one of a group of choices.
export function makeItem({label, icon = null, checked = null, onChoose, title = null}) {
  return h(
    'div',
    {
      class: 'menu-item',
      tabindex: '-1',
      role: checked === null ? 'menuitem' : 'menuitemradio',
      'aria-checked': checked === null ? null : String(checked),
      title,
      onclick: onChoose,
    },
    icon ? h('img', {src: icon, alt: ''}) : null,
    h('span', {}, label));
}

// Replaces the items the menu got from `fillMenu` before; an empty list shows
// one greyed line so that the menu never opens empty.
export function fillMenu(menu, list) {
  menu.querySelectorAll('.dynamic').forEach((i) => i.remove());
  if (!list.length) {
    const empty = makeItem({label: '(пусто)', onChoose: () => {}});
    setItemEnabled(empty, false);
    list = [empty];
  }
  for (const item of list) {
    item.classList.add('dynamic');
    menu.append(item);
  }
  tidySeparators(menu);
}

// Hides the separators that would stand at an end of the menu or next to
// another one once some items are hidden.
export function tidySeparators(menu) {
  let previousShown = null;
  for (const child of menu.children) {
    if (child.classList.contains('menu-separator')) {
      child.hidden = !previousShown || previousShown.classList.contains('menu-separator');
      if (!child.hidden) previousShown = child;
    } else if (!child.hidden) {
      previousShown = child;
    }
  }
  if (previousShown?.classList.contains('menu-separator')) previousShown.hidden = true;
}
