// The navigator's window. The core owns every state and sends it as events
// on /events; this module hands each event to the part of the window that
// shows it.

import {initAddress, syncAddress} from './address.js';
import {command} from './api.js';
import {initBarLayout, placeBars} from './bar_layout.js';
import {initCommands, syncCommands} from './commands.js';
import {
  changeDialog, closeAllDialogs, closeDialog, initDialogs, openDialog, syncSplash, syncWait,
} from './dialogs.js';
import {byId, h} from './dom.js';
import {initKeys} from './keys.js';
import {initMenus} from './menus.js';
import {initModal} from './modal.js';
import {focusPageElement, printPage, scrollPage, showPage} from './page_frame.js';
import {initPanel, syncPanel} from './panel.js';
import {state} from './state.js';
import {initStatusBar, stopStatusBar, syncStatus} from './statusbar.js';
import {initToolbars, syncToolbars} from './toolbars.js';

let events = null;
let activationTimer = 0;

// The main window appears after the login: the page takes the focus, as the
// browser does in the desktop window.
function showWindow(visible) {
  const win = byId('Window');
  if (win.hidden === !visible) return;
  win.hidden = !visible;
  if (visible && document.activeElement === document.body) byId('NavigatorWebBrowser').focus();
}

function showChrome(chrome) {
  state.chrome = chrome;
  document.title = chrome.caption;
  showWindow(chrome.visible);
  document.body.classList.toggle('waiting', Boolean(chrome.waitCursor));
  syncCommands();
  syncToolbars(chrome);
  placeBars(chrome);
  syncAddress(chrome);
  syncPanel(chrome);
  syncStatus(chrome);
  syncSplash(chrome);
}

function showList(name, list) {
  state[name] = list;
  if (state.chrome) syncPanel(state.chrome);
}

// The navigator has ended: the window says so and tries to close itself.
function showClosed() {
  events.close();
  stopStatusBar();
  clearInterval(activationTimer);
  document.body.replaceChildren(
    h('div', {class: 'closed-notice', role: 'alert'},
      h('img', {src: 'img/compass.svg', alt: ''}),
      h('p', {}, 'Работа навигатора завершена.'),
      h('p', {}, 'Это окно можно закрыть.')));
  window.close();
}

const HANDLERS = {
  'chrome': showChrome,
  'favorites': (list) => showList('favorites', list),
  'history': (list) => showList('history', list),
  'page': showPage,
  'scroll': scrollPage,
  'print': printPage,
  'dialog': openDialog,
  'dialog-changed': changeDialog,
  'dialog-close': ({id}) => closeDialog(id),
  'wait': syncWait,
  'focus': focusPageElement,
  'foreground': () => window.focus(),
  'closed': showClosed,
};

function connect() {
  events = new EventSource('/events');
  let connected = false;
  events.addEventListener('open', () => {
    // After a reconnection the snapshot opens the dialogs that are still open.
    if (connected) closeAllDialogs();
    connected = true;
  });
  for (const [name, handler] of Object.entries(HANDLERS)) {
    events.addEventListener(name, (e) => handler(JSON.parse(e.data)));
  }
}

// The core hears when the window gets the focus from another program.
// Moving the focus between the window and its page frame does not count, and
// a focus that comes back straight into the frame reaches no event of this
// document, so the state is also looked at now and then.
function watchActivation() {
  let active = false;
  const check = () => {
    const now = document.hasFocus();
    if (now && !active) command('Activate');
    active = now;
  };
  window.addEventListener('focus', check);
  window.addEventListener('blur', () => setTimeout(check, 0));
  activationTimer = setInterval(check, 500);
}

initMenus();
initModal();
initCommands();
initToolbars();
initBarLayout();
initAddress();
initPanel();
initDialogs();
initKeys();
initStatusBar();
watchActivation();
connect();
