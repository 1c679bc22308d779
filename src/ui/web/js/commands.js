// The elements that run a window command (data-command) in the control bar
// and the menus. A click posts the command; the core's state decides which
// are shown and which are enabled. The left panel's buttons follow the
// panel's own state (panel.js).

import {command} from './api.js';
import {tidySeparators, setItemEnabled} from './menus.js';
import {commandEnabled, commandShown, state} from './state.js';

const SYNCED = '#ControlBar [data-command], .menu [data-command]';

export function initCommands() {
  document.addEventListener('click', (e) => {
    const el = e.target.closest('[data-command]');
    if (el) command(el.dataset.command);
  });
}

function shown(name) {
  return name === 'FileReturn' ? Boolean(state.chrome.returnButton) : commandShown(name);
}

export function syncCommands() {
  for (const el of document.querySelectorAll(SYNCED)) {
    const name = el.dataset.command;
    el.hidden = !shown(name);
    if (el.tagName === 'BUTTON') el.disabled = !commandEnabled(name);
    else setItemEnabled(el, commandEnabled(name));
  }
  document.querySelectorAll('.menu').forEach(tidySeparators);
}
