// The navigator's window as a test sees and works it: the controls by their
// ids, the page frame's document, dialogs and screenshots. Every read goes
// through the window's DOM, as a user would see it.

import {mkdirSync} from 'node:fs';
import {join} from 'node:path';

import {artifactsDir} from './paths.mjs';
import {waitFor} from './wait.mjs';

// What the page frame shows, read from the window in one step so that a
// frame replaced meanwhile is never half read.
function readFrame() {
  const frame = document.getElementById('NavigatorWebBrowser');
  const doc = frame?.contentDocument;
  const src = frame?.getAttribute('src') ?? '';
  const generation = Number(src.match(/^\/page\/(\d+)/)?.[1] ?? -1);
  const loaded = Boolean(doc) && doc.readyState === 'complete' && doc.location.href !== 'about:blank';
  const scroller = doc?.scrollingElement;
  return {
    src,
    generation,
    loaded,
    title: loaded ? doc.title : '',
    scrollY: loaded ? Math.round(frame.contentWindow.scrollY) : 0,
    scrollMax: loaded && scroller ? scroller.scrollHeight - scroller.clientHeight : 0,
    boxes: loaded ?
      [...doc.querySelectorAll('input[type=checkbox][name=SEL]')]
        .map((box) => ({mfn: box.value, checked: box.checked})) :
      [],
  };
}

export class NavigatorWindow {
  constructor(page, navigator) {
    this.page = page;
    this.navigator = navigator;  // {run, url, origin}
  }

  byId(id) {
    return this.page.locator(`#${id}`);
  }

  // The page frame's content, for locators inside it.
  get frame() {
    return this.page.frameLocator('#NavigatorWebBrowser');
  }

  frameState() {
    return this.page.evaluate(readFrame);
  }

  // Waits until the frame has loaded a page (newer than generation `after`)
  // whose title holds `title`; returns the frame's state.
  waitForPage(title, {after = -1} = {}) {
    return waitFor(() => this.frameState(),
      (s) => s.loaded && s.generation > after && s.title.includes(title),
      `the page "${title}" after generation ${after}`);
  }

  // Waits for any page newer than the one of generation `generation`.
  waitForNextPage(generation) {
    return waitFor(() => this.frameState(), (s) => s.loaded && s.generation > generation,
      `a page after generation ${generation}`);
  }

  // The result page's hits: the selection boxes' MFNs, and those ticked.
  async hits() {
    const {boxes} = await this.frameState();
    return {all: boxes.map((b) => b.mfn), ticked: boxes.filter((b) => b.checked).map((b) => b.mfn)};
  }

  address() {
    return this.byId('URLComboBox').inputValue();
  }

  // Types `url` into the address box and presses Enter.
  async enterAddress(url) {
    await this.byId('URLComboBox').fill(url);
    await this.byId('URLComboBox').press('Enter');
  }

  // Opens `url` through the address box; returns the state of the page
  // `title` that comes.
  async openAddress(url, title) {
    const {generation} = await this.frameState();
    await this.enterAddress(url);
    return this.waitForPage(title, {after: generation});
  }

  // Follows the first link of the frame's page named `name` (a text or a
  // regular expression); returns the next page's state.
  async followLink(name) {
    const {generation} = await this.frameState();
    await this.frame.getByRole('link', {name, exact: true}).first().click();
    return this.waitForNextPage(generation);
  }

  // Runs `action` and waits until the window has posted to `path` and the
  // navigator has taken it; the navigator then runs it before anything the
  // window posts later.
  async posting(path, action) {
    const posted = this.page.waitForResponse(
      (r) => new URL(r.url()).pathname === path && r.request().method() === 'POST');
    await action();
    const response = await posted;
    if (response.status() !== 204) throw new Error(`${path} answered ${response.status()}`);
  }

  // Clicks the control `id` (a tool button or any element with an id).
  click(id) {
    return this.byId(id).click();
  }

  // Opens the menu of the menu bar button `titleId` and chooses `itemId`.
  async chooseMenu(titleId, itemId) {
    await this.click(titleId);
    await this.byId(itemId).click();
  }

  // Presses `keys` (Playwright's notation) with the focus in the window
  // itself, or with `inFrame` in the page frame's document. The frame's
  // script takes shortcuts once its helper module has come; a key pressed
  // before that is not handed on, so the press waits for it.
  async press(keys, {inFrame = false} = {}) {
    if (inFrame) {
      await waitFor(() => this.page.evaluate(() => {
        const frameWindow = document.getElementById('NavigatorWebBrowser').contentWindow;
        const resources = frameWindow.performance.getEntriesByType('resource');
        return resources.some((e) => e.name.endsWith('/js/shortcuts.js'));
      }), (loaded) => loaded, 'the page frame to take shortcuts');
    }
    const focused = await this.page.evaluate((inFrame) => {
      document.activeElement?.blur();
      const frame = document.getElementById('NavigatorWebBrowser');
      if (inFrame) frame.contentWindow.focus();
      return document.activeElement === frame;
    }, inFrame);
    if (focused !== inFrame) throw new Error(`the focus is not where ${keys} should go`);
    await this.page.keyboard.press(keys);
  }

  // The lines of the left panel's list.
  panelLines() {
    return this.page.locator('#LeftListBox .row-title').allTextContents();
  }

  // The message box on top: {caption, text}.
  async messageBox() {
    const box = this.byId('MessageBox');
    await box.waitFor();
    return {
      caption: await box.locator('.dialog-caption').textContent(),
      text: await box.locator('.message-text').textContent(),
    };
  }

  // Presses the button `name` of the dialog `id` and waits until the
  // navigator has closed that dialog. A dialog that follows at once takes
  // the same id, so the wait holds on to the element that was answered.
  async answerDialog(id, name) {
    const dialog = this.byId(id);
    const answered = await dialog.elementHandle();
    await dialog.getByRole('button', {name, exact: true}).click();
    await waitFor(() => answered.evaluate((e) => e.isConnected), (connected) => !connected,
      `the dialog ${id} to close`);
  }

  // Writes a screenshot of the whole window to the artefacts folder.
  async screenshot(name) {
    mkdirSync(artifactsDir, {recursive: true});
    const path = join(artifactsDir, `${name}.png`);
    await this.page.screenshot({path});
    return path;
  }

  // Waits until the navigator program has ended; returns its exit code.
  exited() {
    return this.navigator.run.exited;
  }

  // Waits until the navigator has ended and the window says so; returns the
  // program's exit code.
  async waitForEnd() {
    const code = await this.exited();
    await this.page.getByText('Работа навигатора завершена.').waitFor();
    return code;
  }

  // File → Exit; returns the program's exit code.
  async exitByMenu() {
    await this.chooseMenu('FileToolButton', 'FileExitMainMenuItem');
    return this.waitForEnd();
  }
}
