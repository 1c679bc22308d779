// The file commands: a local HTML file opened through the open dialog, the
// page saved as a UTF-8 copy, a save that fails answered in a message box,
// and the print command loading the page into the print frame. Also the
// images of a catalogue page, which the navigator writes as work files.

import assert from 'node:assert/strict';
import {copyFileSync, mkdirSync, readFileSync, writeFileSync} from 'node:fs';
import {join} from 'node:path';
import {before, describe, test} from 'node:test';

import {Bench, DEMO_START_TITLE} from './lib/harness.mjs';
import {sourceDir} from './lib/paths.mjs';
import {waitFor} from './lib/wait.mjs';

const LOCAL_TITLE = 'Заметки читателя';
// An image of the demo catalogue, to put beside the local page.
const IMAGE = join(sourceDir, 'data/demo/db/DEMO/files/page_0001.gif');

const bench = new Bench('files');
before(() => bench.start());

// A folder with an HTML page in UTF-8 and an image it shows by a relative
// address.
function writeLocalPage() {
  const dir = join(bench.dir, 'local pages');
  mkdirSync(dir, {recursive: true});
  copyFileSync(IMAGE, join(dir, 'cover.gif'));
  writeFileSync(join(dir, 'notes.html'),
    `<!DOCTYPE html><html><head><meta charset="utf-8"><title>${LOCAL_TITLE}</title></head>` +
    '<body><h1>Прочитать летом</h1><p>«Евгений Онегин», «Мёртвые души».</p>' +
    '<img id="cover" src="cover.gif" alt="Обложка"></body></html>');
  return dir;
}

// Types `text` into the file dialog's name box and presses its OK button.
async function enterFileName(window, text) {
  await window.byId('FileNameEdit').fill(text);
  await window.click('FileOkButton');
}

// The natural widths of the frame's images, by their addresses.
function imageWidths(window) {
  return window.frame.locator('img').evaluateAll(
    (images) => images.map((i) => ({src: i.getAttribute('src'), width: i.naturalWidth})));
}

describe('file commands', () => {
  let window;

  before(async () => {
    window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
  });

  test('the open dialog goes to a folder and opens a local page from it', async () => {
    const dir = writeLocalPage();
    await window.click('FileOpenToolButton');
    await window.byId('FileDialog').waitFor();
    assert.equal(await window.byId('FileDialogCaption').textContent(), 'Открытие файла');
    // A folder's name opens the folder; the file's line opens the file.
    await enterFileName(window, dir);
    const row = window.byId('FileList').getByText('notes.html', {exact: true});
    await row.waitFor();
    assert.equal(await window.byId('FileList').getByText('cover.gif').count(), 0,
      'the HTML filter hides other files');
    const {generation} = await window.frameState();
    await row.dblclick();
    await window.waitForPage(LOCAL_TITLE, {after: generation});
    await window.byId('FileDialog').waitFor({state: 'detached'});
    assert.match(await window.frame.locator('p').textContent(), /«Мёртвые души»/);
    const [cover] = await imageWidths(window);
    assert.ok(cover.width > 0, `the page's image loads: ${JSON.stringify(cover)}`);
  });

  test('save as writes the page as a UTF-8 copy, with the default extension', async () => {
    const {generation} = await window.frameState();
    await window.chooseMenu('ViewToolButton', 'ViewHomeMainMenuItem');
    await window.waitForPage(DEMO_START_TITLE, {after: generation});
    const dir = join(bench.dir, 'saved');
    mkdirSync(dir);
    await window.press('Control+S');
    await window.byId('FileDialog').waitFor();
    await enterFileName(window, join(dir, 'главная'));
    await window.byId('FileDialog').waitFor({state: 'detached'});
    const path = join(dir, 'главная.htm');
    const text = await waitFor(() => readFileSync(path, 'utf8'), (t) => t.includes('</html>'), path);
    assert.ok(text.includes(`<title>${DEMO_START_TITLE}</title>`), 'the title reads as UTF-8');
    assert.match(text, /charset="?utf-8/i);
    assert.doesNotMatch(text, /windows-1251/i);
    assert.doesNotMatch(text, /data-talor-id|frame\.js/, 'the copy is the page, not the frame');
  });

  test('a save that fails is reported in a message box, answered with OK', async () => {
    await window.click('FileSaveAsToolButton');
    await window.byId('FileDialog').waitFor();
    const path = join(bench.dir, 'no such folder', 'copy.htm');
    await enterFileName(window, path);
    const box = await window.messageBox();
    assert.equal(box.text, `Не удалось сохранить страницу в файл "${path}".`);
    await window.answerDialog('MessageBox', 'OK');
    // The window takes commands again.
    await window.click('FileSaveAsToolButton');
    await window.byId('FileDialog').waitFor();
    await window.click('FileCancelButton');
    await window.byId('FileDialog').waitFor({state: 'detached'});
  });

  test('print loads the page into the print frame', async () => {
    await window.click('FilePrintToolButton');
    const printed = await waitFor(() => window.page.evaluate(() => {
      const doc = document.getElementById('PrintWebBrowser').contentDocument;
      return doc?.readyState === 'complete' ? doc.title : '';
    }), (title) => title === DEMO_START_TITLE, 'the print frame');
    assert.equal(printed, DEMO_START_TITLE);
  });

  test('the images of a record page load', async () => {
    const record = 'TALOR:1,,DEMO,full,@82?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom&CHECKNAME=SEL';
    await window.openAddress(record, 'Описание записи');
    const images = await imageWidths(window);
    // The cover, three barcodes and the page image.
    assert.equal(images.length, 5);
    assert.deepEqual(images.filter((i) => i.width === 0), [], 'images that did not load');
  });
});
