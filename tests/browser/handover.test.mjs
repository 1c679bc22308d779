// The hand-over from another program: `talor-navigator send-page` makes the
// running window show a page and the return button; without a running
// window the page waits in the configuration for the next start.

import assert from 'node:assert/strict';
import {before, describe, test} from 'node:test';

import {Bench, DEMO_START_TITLE} from './lib/harness.mjs';
import {iniValue, readIni} from './lib/ini.mjs';

const FULL_TEXT_URL = 'TALOR:3,2,DEMO,fulltext.html';
const FULL_TEXT_TITLE = 'Поиск по тексту';

const bench = new Bench('handover');
before(() => bench.start());

function sendPage(place, url, returnHandle) {
  return bench.runNavigatorCommand(place,
    ['send-page', url, '--config', place.configPath, '--return-handle', String(returnHandle)]);
}

describe('hand-over', () => {
  test('the running window shows the page handed over and the return button', async () => {
    const window = await bench.launch();
    const start = await window.waitForPage(DEMO_START_TITLE);
    assert.ok(await window.byId('FileReturnToolButton').isHidden());
    const sent = await sendPage(window.place, FULL_TEXT_URL, 7);
    assert.equal(sent.code, 0, sent.stderr);
    await window.waitForPage(FULL_TEXT_TITLE, {after: start.generation});
    assert.equal(await window.address(), FULL_TEXT_URL);
    await window.byId('FileReturnToolButton').waitFor();
    // The way back to the calling program is taken once.
    await window.click('FileReturnToolButton');
    await window.byId('FileReturnToolButton').waitFor({state: 'hidden'});
  });

  test('without a window the page opens at the next start', async () => {
    const place = bench.newPlace();
    bench.writeConfig(place, {login: {user: 'reader', password: 'reader'}});
    const sent = await sendPage(place, FULL_TEXT_URL, 7);
    assert.equal(sent.code, 1);
    assert.equal(iniValue(readIni(place.configPath), 'CONTEXT', 'InitURL'), FULL_TEXT_URL);

    const window = await bench.relaunch(place);
    await window.waitForPage(FULL_TEXT_TITLE);
    await window.byId('FileReturnToolButton').waitFor();
    // The page is taken from the file, so that it opens once.
    assert.equal(iniValue(readIni(place.configPath), 'CONTEXT', 'InitURL'), '');
  });
});
