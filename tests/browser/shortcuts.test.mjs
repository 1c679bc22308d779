// The window's keyboard shortcuts, pressed in the window and in the page
// frame, and the wait dialog of a request the server does not answer yet:
// Esc and its abort button stop it.

import assert from 'node:assert/strict';
import {before, describe, test} from 'node:test';

import {Bench, DEMO_START_TITLE, DEMO_START_URL} from './lib/harness.mjs';
import {waitFor} from './lib/wait.mjs';

const FULL_TEXT_URL = 'TALOR:3,2,DEMO,fulltext.html';
const FULL_TEXT_TITLE = 'Поиск по тексту';
const SERIALS_URL = 'TALOR:3,2,SERIALS,index.html';
const SERIALS_TITLE = 'Каталог журналов';
const HELP_URL = 'TALOR:3,0,,Talor_Navigator_Help0.html';
const HELP_TITLE = 'Справка';

const bench = new Bench('shortcuts');
before(() => bench.start());

// The print frame's address and the title of what it loaded.
function printFrame(window) {
  return window.page.evaluate(() => {
    const frame = document.getElementById('PrintWebBrowser');
    const doc = frame.contentDocument;
    const title = doc?.readyState === 'complete' ? doc.title : '';
    return {src: frame.getAttribute('src') ?? '', title};
  });
}

// Places where a shortcut can be pressed: the window itself and the page
// frame (whose script hands it on to the window).
const PLACES = [{name: 'in the window', inFrame: false}, {name: 'in the page', inFrame: true}];

describe('shortcuts', () => {
  let window;

  before(async () => {
    window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
  });

  for (const [keys, mode, caption] of [
    ['Control+O', 'open', 'Открытие файла'],
    ['Control+J', 'open', 'Открытие файла'],
    ['Control+S', 'save', 'Сохранение файла'],
  ]) {
    for (const place of PLACES) {
      test(`${keys} ${place.name} opens the ${mode} dialog`, async () => {
        await window.press(keys, place);
        const dialog = window.byId('FileDialog');
        await dialog.waitFor();
        assert.equal(await window.byId('FileDialogCaption').textContent(), caption);
        const fileName = await window.byId('FileNameEdit').inputValue();
        assert.equal(fileName, mode === 'save' ? 'temp.htm' : '');
        // Escape cancels the dialog.
        await window.page.keyboard.press('Escape');
        await dialog.waitFor({state: 'detached'});
      });
    }
  }

  for (const keys of ['Control+P', 'Control+H']) {
    for (const place of PLACES) {
      test(`${keys} ${place.name} loads the page into the print frame`, async () => {
        const before = await printFrame(window);
        await window.press(keys, place);
        const printed = await waitFor(() => printFrame(window),
          (p) => p.src !== before.src && p.title === DEMO_START_TITLE, 'the print frame');
        assert.match(printed.src, /^\/print\/\d+$/);
      });
    }
  }

  for (const place of PLACES) {
    test(`F5 ${place.name} loads the page again`, async () => {
      const {generation} = await window.frameState();
      await window.press('F5', place);
      await window.waitForPage(DEMO_START_TITLE, {after: generation});
      assert.equal(await window.address(), DEMO_START_URL);
    });
  }

  for (const place of PLACES) {
    test(`Alt+Left, Alt+Right and Alt+Home ${place.name}`, async () => {
      await window.openAddress(FULL_TEXT_URL, FULL_TEXT_TITLE);
      await window.openAddress(SERIALS_URL, SERIALS_TITLE);
      let {generation} = await window.frameState();
      await window.press('Alt+ArrowLeft', place);
      ({generation} = await window.waitForPage(FULL_TEXT_TITLE, {after: generation}));
      await window.press('Alt+ArrowRight', place);
      ({generation} = await window.waitForPage(SERIALS_TITLE, {after: generation}));
      await window.press('Alt+Home', place);
      await window.waitForPage(DEMO_START_TITLE, {after: generation});
      assert.equal(await window.address(), DEMO_START_URL);
    });
  }
});

describe('a request the server does not answer yet', () => {
  let window;
  let relay;

  before(async () => {
    relay = await bench.relay();
    window = await bench.launch({serverPort: relay.port});
    await window.waitForPage(DEMO_START_TITLE);
  });

  // Opens a catalogue page not shown before (a page shown once comes from
  // the navigator's cache) while the relay holds the request back, and
  // waits until the window shows the wait dialog.
  async function stalledOpen(url) {
    relay.hold();
    await window.enterAddress(url);
    await waitFor(() => relay.holdsRequest(), (held) => held, 'the request to reach the relay');
    await window.byId('WaitForm').waitFor();
  }

  // A stopped request asks whether to send it again; the answer is given
  // with `button`.
  async function answerStopQuestion(button) {
    await window.byId('WaitForm').waitFor({state: 'hidden'});
    const question = await window.messageBox();
    assert.match(question.text, /^Связь с сервером .* прервана/);
    await window.answerDialog('MessageBox', button);
  }

  test('shows the wait dialog; Esc stops the request, yes sends it again', async () => {
    await stalledOpen(FULL_TEXT_URL);
    assert.ok(await window.byId('AbortButton').isVisible());
    await window.screenshot('wait-dialog');
    const {generation, title} = await window.frameState();
    assert.equal(title, DEMO_START_TITLE);
    await window.page.keyboard.press('Escape');
    await answerStopQuestion('Да');
    relay.release();
    await window.waitForPage(FULL_TEXT_TITLE, {after: generation});
  });

  test('Esc stops a request before the wait dialog shows', async () => {
    relay.hold();
    const {generation} = await window.frameState();
    await window.enterAddress(HELP_URL);
    await waitFor(() => relay.holdsRequest(), (held) => held, 'the request to reach the relay');
    await window.press('Escape');
    await answerStopQuestion('Да');
    relay.release();
    await window.waitForPage(HELP_TITLE, {after: generation});
  });

  test('the abort button stops the request, no ends the navigator', async () => {
    await stalledOpen(SERIALS_URL);
    await window.click('AbortButton');
    await answerStopQuestion('Нет');
    assert.equal(await window.waitForEnd(), 0);
  });
});
