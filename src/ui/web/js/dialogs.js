// The dialogs the core opens: message boxes, the login, adding a favourite,
// the file dialogs and the about window; and the two windows that follow the
// core's state: the wait window and the splash.
//
// A dialog stays until the core closes it ("dialog-close"); the page only
// posts the user's answer.

import {command, post} from './api.js';
import {byId, focusSelected, h, windowText} from './dom.js';
import {fileDialog} from './file_dialog.js';
import {buttonRow, dialogKeys, dialogWindow, popModal, pushModal} from './modal.js';

const open = new Map();  // dialog id → {layer, onKey, focus, changed?, kept?}
let splash = {shown: false, onTop: false};
let aboutId = null;

function answer(id, result, fields = {}) {
  post('/api/dialog', {id, result, ...fields});
}

function body(...children) {
  return h('div', {class: 'dialog-body'}, ...children);
}

function messageBox(d) {
  const captions = {
    ok: 'OK', cancel: windowText('cancel'), yes: 'Да', no: 'Нет', retry: 'Повторить',
  };
  const escape = ['cancel', 'no'].find((b) => d.buttons.includes(b)) ?? 'closed';
  const icon = d.icon && d.icon !== 'none' ?
    h('img', {class: 'message-icon', src: `img/msg_${d.icon}.svg`, alt: ''}) :
    null;
  const layer = dialogWindow({
    id: 'MessageBox',
    caption: d.caption,
    onCloseBox: () => answer(d.id, 'closed'),
    body: body(
      h('div', {class: 'message'}, icon, h('p', {class: 'message-text'}, d.text)),
      buttonRow(d.buttons.map((b) => ({text: captions[b], onclick: () => answer(d.id, b)})))),
  });
  return {
    layer,
    onKey: dialogKeys(layer, () => answer(d.id, escape)),
    focus: () => layer.querySelector('.button.default').focus(),
  };
}

function loginForm(d) {
  const user =
    h('input', {id: 'UserEdit', type: 'text', spellcheck: 'false', autocomplete: 'username'});
  const password =
    h('input', {id: 'PasswordEdit', type: 'password', autocomplete: 'current-password'});
  const userLabel = h('label', {for: 'UserEdit'});
  const passwordLabel = h('label', {for: 'PasswordEdit'});
  const send = (action) =>
    post('/api/login', {id: d.id, action, user: user.value, password: password.value});
  const layer = dialogWindow({
    id: 'ConnectForm',
    caption: d.caption,
    onCloseBox: () => send('close'),
    body: body(
      h('form', {class: 'form-grid', onsubmit: (e) => e.preventDefault()},
        userLabel, user, passwordLabel, password),
      buttonRow([
        {text: d.ok, id: 'OKBitBtn', onclick: () => send('ok')},
        {text: d.cancel, id: 'CancelBitBtn', onclick: () => send('cancel')},
      ])),
  });
  const show = (c) => {
    layer.querySelector('.dialog-caption').textContent = c.caption;
    userLabel.textContent = c.userLabel;
    passwordLabel.textContent = c.passwordLabel;
    if (user.value !== c.user) user.value = c.user;
    if (password.value !== c.password) password.value = c.password;
  };
  const focus = () => focusSelected(d.focus === 'password' ? password : user);
  const keys = dialogKeys(layer, () => send('cancel'));
  show(d);
  return {
    layer,
    focus,
    changed: (c) => {
      d = c;
      show(c);
      focus();
    },
    onKey: (e) => {
      if (e.key === 'Enter' && e.target === user) send('userEnter');
      else if (e.key === 'Enter' && e.target === password) send('passwordEnter');
      else return keys(e);
      return true;
    },
  };
}

function favoriteForm(d) {
  const title = h('input', {id: 'TitleEdit', type: 'text', spellcheck: 'false'});
  title.value = d.title;
  const layer = dialogWindow({
    id: 'AddFavoritesForm',
    caption: d.caption,
    onCloseBox: () => answer(d.id, 'cancel'),
    body: body(
      h('div', {class: 'form-grid'}, h('label', {for: 'TitleEdit'}, d.label), title),
      buttonRow([
        {text: d.ok, onclick: () => answer(d.id, 'ok', {title: title.value})},
        {text: d.cancel, onclick: () => answer(d.id, 'cancel')},
      ])),
  });
  return {
    layer,
    focus: () => focusSelected(title),
    onKey: dialogKeys(layer, () => answer(d.id, 'cancel')),
  };
}

// The splash window as the core shows it; the about window uses the same
// window while it is open.
function showLabelForm(about) {
  byId('LabelFormConnecting').hidden = about;
  byId('LabelFormHint').hidden = !about;
  byId('LabelForm').classList.toggle('about', about);
}

export function syncSplash(chrome) {
  splash = chrome.splash ?? splash;
  if (aboutId !== null) return;
  const layer = byId('LabelLayer');
  showLabelForm(false);
  layer.hidden = !splash.shown;
  layer.classList.toggle('on-top', Boolean(splash.onTop));
  layer.style.zIndex = '';
}

function aboutForm(d) {
  aboutId = d.id;
  showLabelForm(true);
  const close = () => answer(d.id, 'ok');
  return {
    layer: byId('LabelLayer'),
    kept: true,
    focus: () => byId('LabelForm').focus(),
    onKey: (e) => {
      if (!['Enter', 'Escape', ' '].includes(e.key)) return false;
      close();
      return true;
    },
  };
}

const BUILDERS = {
  message: messageBox,
  login: loginForm,
  favorite: favoriteForm,
  file: (d) => fileDialog(d, (result, fields) => answer(d.id, result, fields)),
  about: aboutForm,
};

export function closeDialog(id) {
  const shown = open.get(id);
  if (!shown) return;
  open.delete(id);
  popModal(shown.layer);
  if (!shown.kept) {
    shown.layer.remove();
    return;
  }
  aboutId = null;
  syncSplash({splash});
}

export function openDialog(d) {
  closeDialog(d.id);  // a snapshot after reconnecting repeats the open ones
  const build = BUILDERS[d.kind];
  if (!build) return;
  const shown = build(d);
  open.set(d.id, shown);
  pushModal(shown.layer, shown.onKey);
  shown.focus();
}

export function changeDialog(d) {
  open.get(d.id)?.changed?.(d);
}

export function closeAllDialogs() {
  [...open.keys()].forEach(closeDialog);
}

const waitKeys = (e) => {
  if (e.key !== 'Escape') return false;
  command('Stop');
  return true;
};

// The wait window keeps its own size (270 x 130) and stands in the middle of
// the window.
export function syncWait(wait) {
  const layer = byId('WaitLayer');
  if (!wait.visible) {
    popModal(layer);
    return;
  }
  byId('WaitPicture').style.left = `${wait.animationLeft}px`;
  const progress = Math.max(0, Math.min(100, wait.progress));
  byId('WaitProgress').setAttribute('aria-valuenow', String(progress));
  byId('WaitProgress').firstElementChild.style.width = `${progress}%`;
  if (layer.hidden) {
    pushModal(layer, waitKeys);
    byId('AbortButton').focus();
  }
}

export function initDialogs() {
  byId('AbortButton').addEventListener('click', () => command('Stop'));
  byId('LabelForm').addEventListener('click', () => {
    if (aboutId !== null) answer(aboutId, 'ok');
  });
}
