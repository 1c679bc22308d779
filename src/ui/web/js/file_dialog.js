// The open and save dialogs: a small file browser over the local file system
// as GET /api/list shows it. Folders come first, then the files the chosen
// filter takes. The answer is the file's absolute path.

import {h, windowText} from './dom.js';
import {buttonRow, dialogKeys, dialogWindow} from './modal.js';

const UP = 'На уровень вверх';

// A test of file names for a filter mask such as "*.html" or "*.htm;*.html";
// "*.*" and "*" take every file.
function maskMatcher(mask) {
  const patterns = mask.split(';').map((p) => p.trim()).filter(Boolean);
  if (!patterns.length || patterns.some((p) => p === '*.*' || p === '*')) return () => true;
  const expressions = patterns.map((p) => {
    const body = p.replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.');
    return new RegExp(`^${body}$`, 'i');
  });
  return (name) => expressions.some((e) => e.test(name));
}

function joinPath(directory, name) {
  return directory.endsWith('/') ? directory + name : `${directory}/${name}`;
}

function withExtension(path, extension) {
  const base = path.slice(path.lastIndexOf('/') + 1);
  return !extension || base.includes('.') ? path : `${path}.${extension}`;
}

function sizeText(entry) {
  return entry.directory ? '' : `${Math.ceil(entry.size / 1024).toLocaleString('ru-RU')} КБ`;
}

function dateText(seconds) {
  return new Date(seconds * 1000).toLocaleString('ru-RU', {
    day: '2-digit', month: '2-digit', year: 'numeric', hour: '2-digit', minute: '2-digit',
  });
}

async function listFolder(path) {
  const reply = await fetch(`/api/list?path=${encodeURIComponent(path)}`);
  if (reply.ok) return reply.json();
  throw new Error(reply.status === 403 ? 'Нет доступа к папке' : 'Папка не найдена');
}

async function fileExists(path) {
  const slash = path.lastIndexOf('/');
  try {
    const listed = await listFolder(path.slice(0, slash) || '/');
    return listed.entries.some((e) => !e.directory && e.name === path.slice(slash + 1));
  } catch {
    return false;
  }
}

function filterCaption(filter) {
  return filter.name.includes(filter.mask) ? filter.name : `${filter.name} (${filter.mask})`;
}

// `d` is the dialog event; `done(result, fields)` answers it.
export function fileDialog(d, done) {
  let folder = {path: d.directory, parent: null, entries: []};
  let shown = [];  // the entries in the list, in its order
  let selected = -1;
  let replaceConfirmed = null;  // the existing file the user agreed to replace

  const pathLine =
    h('div', {class: 'file-path', role: 'textbox', 'aria-readonly': 'true', 'aria-label': 'Папка'});
  const upButton = h(
    'button',
    {class: 'tool', title: UP, 'aria-label': UP, onclick: () => goUp()},
    h('img', {src: 'img/up.svg', alt: ''}));
  const list = h('div', {
    id: 'FileList',
    class: 'file-list',
    role: 'listbox',
    tabindex: '0',
    'aria-label': 'Файлы и папки',
  });
  const note = h('div', {class: 'file-note', role: 'alert'});
  const nameBox = h('input', {id: 'FileNameEdit', type: 'text', spellcheck: 'false'});
  nameBox.value = d.fileName ?? '';
  const filters = d.filters?.length ? d.filters : [{name: 'Все файлы', mask: '*.*'}];
  const filterBox = h(
    'select', {id: 'FileFilterBox'},
    ...filters.map((f, i) => h('option', {value: String(i + 1)}, filterCaption(f))));
  filterBox.value = String(Math.min(Math.max(1, d.filterIndex ?? 1), filters.length));

  const okText = d.mode === 'save' ? 'Сохранить' : 'Открыть';
  const layer = dialogWindow({
    id: 'FileDialog',
    caption: d.title,
    onCloseBox: () => done('cancel'),
    body: h(
      'div', {class: 'dialog-body file-body'},
      h('div', {class: 'file-top'}, h('span', {}, 'Папка:'), pathLine, upButton),
      h('div', {class: 'file-columns', 'aria-hidden': 'true'},
        h('span', {}, 'Имя'), h('span', {}, 'Размер'), h('span', {}, 'Изменён')),
      list,
      note,
      h('div', {class: 'form-grid file-fields'},
        h('label', {for: 'FileNameEdit'}, 'Имя файла:'), nameBox,
        h('label', {for: 'FileFilterBox'}, 'Тип файлов:'), filterBox),
      buttonRow([
        {text: okText, id: 'FileOkButton', onclick: () => accept()},
        {text: windowText('cancel'), id: 'FileCancelButton', onclick: () => done('cancel')},
      ])),
  });

  function select(index, scroll = true) {
    list.children[selected]?.setAttribute('aria-selected', 'false');
    selected = index;
    const row = list.children[selected];
    if (!row) {
      list.removeAttribute('aria-activedescendant');
      return;
    }
    row.setAttribute('aria-selected', 'true');
    list.setAttribute('aria-activedescendant', row.id);
    if (scroll) row.scrollIntoView({block: 'nearest'});
    if (!shown[index].directory) nameBox.value = shown[index].name;
  }

  function makeRow(entry, index) {
    return h(
      'div',
      {
        id: `FileRow${index}`, class: 'file-row', role: 'option', 'aria-selected': 'false',
        title: entry.name,
        onclick: () => select(index, false),
        ondblclick: () => activate(index),
      },
      h('img', {src: entry.directory ? 'img/folder.svg' : 'img/page.svg', alt: ''}),
      h('span', {class: 'file-name'}, entry.name),
      h('span', {class: 'file-size'}, sizeText(entry)),
      h('span', {class: 'file-date'}, dateText(entry.modified)));
  }

  function render() {
    const takes = maskMatcher(filters[filterBox.value - 1].mask);
    const folders = folder.entries.filter((e) => e.directory);
    const files = folder.entries.filter((e) => !e.directory && takes(e.name));
    shown = [...folders, ...files];
    selected = -1;
    list.replaceChildren(...shown.map(makeRow));
    list.removeAttribute('aria-activedescendant');
    pathLine.textContent = folder.path;
    upButton.disabled = !folder.parent;
  }

  // Shows the folder `path`; false, with the reason in the note line, when
  // it cannot be listed.
  async function open(path, quiet = false) {
    try {
      folder = await listFolder(path);
    } catch (error) {
      if (!quiet) note.textContent = `${error.message}: ${path}`;
      return false;
    }
    note.textContent = '';
    render();
    return true;
  }

  function goUp() {
    if (folder.parent) open(folder.parent);
  }

  function activate(index) {
    const entry = shown[index];
    if (!entry) return;
    if (entry.directory) open(joinPath(folder.path, entry.name));
    else accept();
  }

  // The name box's text: a folder opens, anything else is the answer. A
  // typed path may name a folder too.
  async function accept() {
    const name = nameBox.value.trim();
    if (!name) {
      if (shown[selected]?.directory) activate(selected);
      return;
    }
    const path = name.startsWith('/') ? name : joinPath(folder.path, name);
    const mayBeFolder = name.includes('/') || shown.some((e) => e.directory && e.name === name);
    if (mayBeFolder && (await open(path, true))) {
      nameBox.value = '';
      return;
    }
    const chosen = withExtension(path, d.defaultExtension);
    if (d.overwritePrompt && chosen !== replaceConfirmed && (await fileExists(chosen))) {
      replaceConfirmed = chosen;
      note.textContent = `Файл ${chosen} уже существует. Чтобы заменить его, ` +
          `нажмите «${okText}» ещё раз.`;
      return;
    }
    done('ok', {path: chosen, filterIndex: filterBox.value});
  }

  function handleListKey(e) {
    const steps = {ArrowDown: 1, ArrowUp: -1, PageDown: 10, PageUp: -10};
    const last = shown.length - 1;
    if (e.key in steps) select(Math.max(0, Math.min(last, selected + steps[e.key])));
    else if (e.key === 'Home') select(0);
    else if (e.key === 'End') select(last);
    else if (e.key === 'Enter') activate(selected);
    else if (e.key === 'Backspace') goUp();
    else if (e.key.length === 1 && !e.ctrlKey && !e.altKey) jumpTo(e.key);
    else return false;
    return true;
  }

  // A typed letter selects the next name that starts with it.
  function jumpTo(letter) {
    const wanted = letter.toLowerCase();
    for (let step = 1; step <= shown.length; step++) {
      const index = (selected + step) % shown.length;
      if (shown[index].name.toLowerCase().startsWith(wanted)) return select(index);
    }
  }

  filterBox.addEventListener('change', render);
  open(d.directory).then((listed) => listed || open('/'));

  const keys = dialogKeys(layer, () => done('cancel'));
  return {
    layer,
    focus: () => nameBox.focus(),
    onKey: (e) => (e.target === list && e.key !== 'Escape' ? handleListKey(e) : keys(e)),
  };
}
