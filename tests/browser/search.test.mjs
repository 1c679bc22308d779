// A reader's search in the window: the extended search form with several
// fields, the next portion, records ticked on two portions, and back and
// forward bringing the pages back with their ticks and their scroll position.

import assert from 'node:assert/strict';
import {before, describe, test} from 'node:test';
import {setTimeout as sleep} from 'node:timers/promises';

import {Bench, DEMO_START_TITLE} from './lib/harness.mjs';
import {waitFor} from './lib/wait.mjs';

const SEARCH_TITLE = 'Расширенный поиск';
const RESULTS_TITLE = 'Результаты расширенного поиска';
const SELECTED_TITLE = 'Отобранные записи';

const bench = new Bench('search');
before(() => bench.start());

// Ticks (or with `ticked` false unticks) the selection box of `mfn` on the
// frame's page and waits until the navigator has it.
async function tick(window, mfn, ticked = true) {
  const box = window.frame.locator(`input[type=checkbox][name=SEL][value="${mfn}"]`);
  await window.posting('/api/page/checked', () => box.setChecked(ticked));
}

// Scrolls the frame's page to `top` and waits until the navigator has it.
async function scrollFrame(window, top) {
  const scroll = (body, y) => body.ownerDocument.defaultView.scrollTo(0, y);
  await window.posting('/api/page/scroll', () => window.frame.locator('body').evaluate(scroll, top));
}

// The scroll position at which the link `name` has just come into view, as a
// reader scrolls down to it. Clicking a link out of view would scroll the page
// first, and the navigator keeps the position the page is left at.
function scrollBringingIntoView(window, name) {
  const link = window.frame.getByRole('link', {name, exact: true}).first();
  return link.evaluate((a) => {
    const view = a.ownerDocument.defaultView;
    return Math.ceil(a.getBoundingClientRect().bottom + view.scrollY - view.innerHeight) + 10;
  });
}

describe('the extended search', () => {
  let window;
  let firstPortion;
  let secondPortion;
  let leftAt;  // the first portion's scroll position when the reader left it

  before(async () => {
    window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
  });

  test('sends several fields and shows the first portion', async () => {
    const form = await window.followLink(SEARCH_TITLE);
    assert.match(form.title, /^Расширенный поиск книг/);
    await window.frame.locator('#f-kw').fill('история');
    await window.frame.locator('#f-subj').fill('русская литература');
    await window.frame.locator('#f-cnr').selectOption('5');
    await window.frame.getByRole('button', {name: 'Найти'}).click();
    firstPortion = await window.waitForPage(RESULTS_TITLE, {after: form.generation});
    assert.deepEqual((await window.hits()).all, ['54', '82', '212', '227', '231']);
    const text = await window.frame.locator('body').innerText();
    assert.match(text, /Ключевые слова:/);
    assert.match(text, /Рубрика:/);
    assert.match(await window.address(), /^TALOR:2,,DEMO/);
    assert.ok(await window.byId('BackToolButton').isEnabled());
    await window.screenshot('result-page');
  });

  test('ticks on the first portion, then the next portion', async () => {
    await tick(window, '54');
    await tick(window, '82');
    leftAt = await scrollBringingIntoView(window, 'Следующие ›');
    assert.ok(leftAt > 0 && leftAt < firstPortion.scrollMax,
      `the link is below the first screen (${leftAt} of ${firstPortion.scrollMax})`);
    await scrollFrame(window, leftAt);
    secondPortion = await window.followLink('Следующие ›');
    assert.deepEqual(await window.hits(), {all: ['274', '287'], ticked: []});
    await tick(window, '274');
  });

  test('back shows the first portion with its ticks and scroll position', async () => {
    // The tick left the focus in the page: it stays in the frame while the
    // frame is replaced, or its return would count as the window being
    // activated, which focuses the first text box and scrolls up to it.
    await window.page.evaluate(() => {
      const frameHolder = document.getElementById('NavigatorWebBrowser').parentNode;
      window.focusWhileReplaced = [];
      new MutationObserver(() => window.focusWhileReplaced.push(document.activeElement?.id))
        .observe(frameHolder, {childList: true});
    });
    await window.click('BackToolButton');
    await window.waitForNextPage(secondPortion.generation);
    const first = {all: ['54', '82', '212', '227', '231'], ticked: ['54', '82']};
    assert.deepEqual(await window.hits(), first);
    // The position comes back once the page is laid out, which on a busy
    // machine may be a little after its load is reported.
    await waitFor(() => window.frameState(), (s) => s.scrollY === leftAt,
      `the scroll position ${leftAt} back`);
    assert.deepEqual(await window.page.evaluate(() => window.focusWhileReplaced), ['NavigatorWebBrowser']);
    await sleep(700);  // the window looks at its activation every 500 ms
    assert.equal((await window.frameState()).scrollY, leftAt);
    assert.ok(await window.byId('ForwardToolButton').isEnabled());
  });

  test('forward shows the second portion with its tick', async () => {
    const {generation} = await window.frameState();
    await window.click('ForwardToolButton');
    await window.waitForNextPage(generation);
    assert.deepEqual(await window.hits(), {all: ['274', '287'], ticked: ['274']});
    assert.ok(await window.byId('ForwardToolButton').isDisabled());
  });

  test('the selected records are those ticked on both portions', async () => {
    await window.followLink(/^Отобранные/);
    await window.waitForPage(SELECTED_TITLE);
    const hits = await window.hits();
    assert.deepEqual(hits.all, ['54', '82', '274']);
    assert.deepEqual(hits.ticked, hits.all);
    // The section bar of a page made now counts them.
    assert.equal(await window.frame.getByRole('link', {name: 'Отобранные (3)'}).count(), 1);
  });

  test('an untick on one page reaches the selection of the others', async () => {
    await tick(window, '82', false);
    await window.followLink(/^Отобранные/);
    assert.deepEqual((await window.hits()).all, ['54', '274']);
  });
});
