// The keyboard shortcuts pressed in the window or, forwarded by frame.js, in
// the page frame. An open menu or dialog keeps its keys to itself.

import {post} from './api.js';
import {byId} from './dom.js';
import {isMenuOpen} from './menus.js';
import {isModalOpen} from './modal.js';
import {isShortcut, keyFields} from './shortcuts.js';

function sendKey(fields) {
  if (!isModalOpen() && !isMenuOpen()) post('/api/key', fields);
}

// A key message from the page frame: {talorKey: {key, ctrl, alt, shift}}.
function frameKey(e) {
  const frame = byId('NavigatorWebBrowser').contentWindow;
  if (e.origin !== location.origin || e.source !== frame) return;
  const key = e.data?.talorKey;
  if (!key || !Number.isInteger(key.key)) return;
  sendKey({key: key.key, ctrl: key.ctrl ? 1 : 0, alt: key.alt ? 1 : 0, shift: key.shift ? 1 : 0});
}

export function initKeys() {
  window.addEventListener('keydown', (e) => {
    if (!isShortcut(e)) return;
    e.preventDefault();
    sendKey(keyFields(e));
  });
  window.addEventListener('message', frameKey);
}
