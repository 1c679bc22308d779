// Closing the window: File → Exit ends the navigator and keeps the window's
// size and tool bars in section DESKTOP of the configuration; so does a
// browser window closed by the user. The favourites of a server that keeps
// them itself (FavoritesList=0) are never written.

import assert from 'node:assert/strict';
import {before, describe, test} from 'node:test';

import {Bench, DEMO_START_TITLE} from './lib/harness.mjs';
import {iniValue, readIni} from './lib/ini.mjs';
import {waitFor} from './lib/wait.mjs';

const bench = new Bench('closing');
before(() => bench.start({
  navigatorSettings: {
    FavoritesList: 0,
    FavoritesNumb: 1,
    TitleFavorites0: 'Поиск по тексту',
    URLFavorites0: 'TALOR:3,2,DEMO,fulltext.html',
  },
}));

function desktop(window) {
  return readIni(window.place.configPath).desktop ?? {};
}

// The window's size as the page reports it to the navigator.
function outerSize(window) {
  return window.page.evaluate(() => ({width: outerWidth, height: outerHeight}));
}

// Chooses `itemId` of the tool bars menu (Service → Tool bars) and waits
// until the navigator has taken what the window posted to `path`.
async function chooseToolsItem(window, itemId, path = '/api/toolbar') {
  await window.click('ServiceToolButton');
  await window.byId('ServiceToolBarsMainMenuItem').click();
  await window.posting(path, () => window.byId(itemId).click());
}

describe('closing', () => {
  test('File → Exit ends the navigator and saves the layout', async () => {
    const window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
    // The user makes the window bigger.
    await window.posting('/api/layout', () => window.page.setViewportSize({width: 900, height: 650}));
    await chooseToolsItem(window, 'FileToolItem');
    await window.byId('FileToolBar').waitFor({state: 'hidden'});
    const size = await outerSize(window);
    assert.notEqual(size.width, 640);
    assert.equal(await window.exitByMenu(), 0);

    const saved = desktop(window);
    assert.equal(saved.width, String(size.width));
    assert.equal(saved.height, String(size.height));
    assert.equal(saved.file, '0');
    assert.equal(saved.view, '1');
    assert.equal(saved.url, '1');
  });

  test('the next start shows the saved layout; the default layout brings the bar back', async () => {
    const window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
    await chooseToolsItem(window, 'ViewToolItem');
    assert.equal(await window.exitByMenu(), 0);
    assert.equal(desktop(window).view, '0');

    const again = await bench.relaunch(window.place);
    await again.waitForPage(DEMO_START_TITLE);
    assert.ok(await again.byId('ViewToolBar').isHidden());
    await chooseToolsItem(again, 'DefaultToolItem', '/api/command');
    await again.byId('ViewToolBar').waitFor();
  });

  test('a browser window closed by the user ends the navigator', async () => {
    const window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
    await window.page.close();
    assert.equal(await window.exited(), 0);
    assert.ok(desktop(window).width, 'the layout was saved');
  });
});

describe('favourites kept by the server', () => {
  test('come from the server, may be added to, and are not written', async () => {
    const window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
    await window.click('FavoritesToolButton');
    await waitFor(() => window.panelLines(), (l) => l.length === 1, 'the server favourite');
    assert.deepEqual(await window.panelLines(), ['Поиск по тексту']);

    await window.click('FavoritesAddToolButton');
    await window.byId('TitleEdit').fill('Главная');
    await window.answerDialog('AddFavoritesForm', 'OK');
    await waitFor(() => window.panelLines(), (l) => l.length === 2, 'the added favourite');

    assert.equal(await window.exitByMenu(), 0);
    const saved = readIni(window.place.configPath);
    assert.equal(iniValue(saved, 'DESKTOP', 'Favorites'), '1', 'the open panel is kept');
    assert.equal(iniValue(saved, 'DESKTOP', 'FavoritesNumb'), undefined);
    assert.equal(iniValue(saved, 'DESKTOP', 'TitleFavorites0'), undefined);
  });
});
