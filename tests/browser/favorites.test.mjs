// The favourites: added from the panel and from the menu, opened, deleted,
// and kept in the configuration file across a restart of the navigator.
// The history of the run: visits counted and the four orders of the list.

import assert from 'node:assert/strict';
import {before, describe, test} from 'node:test';

import {Bench, DEMO_START_TITLE, DEMO_START_URL} from './lib/harness.mjs';
import {iniValue, readIni} from './lib/ini.mjs';
import {waitFor} from './lib/wait.mjs';

const SEARCH_TITLE = 'Расширенный поиск книг';
const SEARCH_URL = 'TALOR:3,2,DEMO,index.html';

const bench = new Bench('favorites');
before(() => bench.start());

// Answers the favourite dialog with `title` (OK), or cancels it.
async function answerFavorite(window, title) {
  await window.byId('AddFavoritesForm').waitFor();
  if (title !== null) await window.byId('TitleEdit').fill(title);
  await window.answerDialog('AddFavoritesForm', title === null ? 'Отмена' : 'OK');
}

function waitForLines(window, expected) {
  const same = (lines) => JSON.stringify(lines) === JSON.stringify(expected);
  return waitFor(() => window.panelLines(), same, `panel lines ${JSON.stringify(expected)}`);
}

// The favourites menu's own items, after its fixed "add" item.
async function favoritesMenuItems(window) {
  await window.click('FavoritesMainToolButton');
  const items = window.byId('FavoritesMenu').locator('.menu-item.dynamic');
  await items.first().waitFor();
  return items;
}

describe('favourites', () => {
  let window;

  before(async () => {
    window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
  });

  test('the panel button adds the current page under the title typed', async () => {
    await window.click('FavoritesToolButton');
    await window.byId('PanelLeft').waitFor();
    assert.equal(await window.byId('LeftTopLabel').textContent(), 'Избранное');
    assert.deepEqual(await window.panelLines(), []);
    await window.click('FavoritesAddToolButton');
    // The title offered is the page's.
    assert.match(await window.byId('TitleEdit').inputValue(), /Демонстрационный каталог/);
    await answerFavorite(window, 'Главная страница');
    await waitForLines(window, ['Главная страница']);
  });

  test('the menu item adds too; cancel adds nothing', async () => {
    await window.openAddress(SEARCH_URL, SEARCH_TITLE);
    await window.chooseMenu('FavoritesMainToolButton', 'FavoritesAddMainMenuItem');
    await answerFavorite(window, null);
    await window.chooseMenu('FavoritesMainToolButton', 'FavoritesAddMainMenuItem');
    await answerFavorite(window, 'Поиск книг');
    await waitForLines(window, ['Главная страница', 'Поиск книг']);
  });

  test('the favourites menu lists them and opens one', async () => {
    const items = await favoritesMenuItems(window);
    assert.deepEqual(await items.allTextContents(), ['Главная страница', 'Поиск книг']);
    const {generation} = await window.frameState();
    await items.first().click();
    await window.waitForPage(DEMO_START_TITLE, {after: generation});
    assert.equal(await window.address(), DEMO_START_URL);
  });

  test('a panel line opens its page; delete removes the selected line', async () => {
    const {generation} = await window.frameState();
    await window.byId('LeftListBox').getByText('Поиск книг').click();
    await window.waitForPage(SEARCH_TITLE, {after: generation});
    assert.equal(await window.byId('LeftLine1').getAttribute('aria-selected'), 'true');
    await window.click('FavoritesHistoryDeleteToolButton');
    await waitForLines(window, ['Главная страница']);
  });

  test('they are kept across a restart, with the panel open', async () => {
    assert.equal(await window.exitByMenu(), 0);
    const desktop = readIni(window.place.configPath);
    assert.equal(iniValue(desktop, 'DESKTOP', 'FavoritesNumb'), '1');
    assert.equal(iniValue(desktop, 'DESKTOP', 'TitleFavorites0'), 'Главная страница');
    assert.equal(iniValue(desktop, 'DESKTOP', 'URLFavorites0'), DEMO_START_URL);
    assert.equal(iniValue(desktop, 'DESKTOP', 'Favorites'), '1');

    window = await bench.relaunch(window.place);
    await window.waitForPage(DEMO_START_TITLE);
    await window.byId('PanelLeft').waitFor();
    await waitForLines(window, ['Главная страница']);
    const items = await favoritesMenuItems(window);
    assert.deepEqual(await items.allTextContents(), ['Главная страница']);
  });
});

describe('history', () => {
  // Four pages whose titles, addresses, first visits and visit counts each
  // put them in a different order.
  const pages = {
    start: {url: DEMO_START_URL, title: DEMO_START_TITLE},
    fullText: {url: 'TALOR:3,2,DEMO,fulltext.html', title: 'Поиск по тексту'},
    help: {url: 'TALOR:3,0,,Talor_Navigator_Help0.html', title: 'Справка'},
    serials: {url: 'TALOR:3,2,SERIALS,index.html', title: 'Каталог журналов'},
  };
  let window;

  // Waits for the panel's lines to be those of the pages `expected`.
  function lines(expected) {
    const titles = expected.map((name) => pages[name].title);
    return waitFor(() => window.panelLines(),
      (l) => l.length === titles.length && l.every((line, i) => line.startsWith(titles[i])),
      `history lines ${expected.join(', ')}`);
  }

  async function sortBy(order) {
    await window.click('HistorySortToolButton');
    await window.byId(`HistorySort${order}Item`).click();
  }

  before(async () => {
    window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
    // start once, full text twice, help once, serials three times
    for (const name of ['fullText', 'help', 'serials', 'fullText', 'serials', 'serials']) {
      await window.openAddress(pages[name].url, pages[name].title);
    }
    await window.click('HistoryToolButton');
    await window.byId('PanelLeft').waitFor();
  });

  test('lists every page once, in the order of the first visits', async () => {
    assert.equal(await window.byId('LeftTopLabel').textContent(), 'История');
    await lines(['start', 'fullText', 'help', 'serials']);
    // The current page's line is selected.
    assert.equal(await window.byId('LeftLine3').getAttribute('aria-selected'), 'true');
  });

  test('sorts by name, address, visit count and time again', async () => {
    await sortBy('Name');
    await lines(['start', 'serials', 'fullText', 'help']);
    await sortBy('Url');
    await lines(['help', 'start', 'fullText', 'serials']);
    await sortBy('Count');
    await lines(['start', 'help', 'fullText', 'serials']);
    await sortBy('Time');
    await lines(['start', 'fullText', 'help', 'serials']);
  });

  test('a visit from the list counts: the page moves up the count order', async () => {
    await sortBy('Count');
    const {generation} = await window.frameState();
    await window.byId('LeftListBox').getByText(pages.help.title, {exact: false}).click();
    await window.waitForPage(pages.help.title, {after: generation});
    await window.openAddress(pages.help.url, pages.help.title);
    // help has now been shown three times, as often as serials, which was
    // first seen earlier.
    await lines(['start', 'fullText', 'help', 'serials']);
  });

  test('delete removes the selected line', async () => {
    await window.byId('LeftListBox').getByText(pages.fullText.title, {exact: false}).click();
    await window.waitForPage(pages.fullText.title);
    await window.click('FavoritesHistoryDeleteToolButton');
    // Showing the page counted it once more, before the delete.
    await lines(['start', 'help', 'serials']);
  });
});
