// A librarian's records in the window: a new record entered through the
// demo's entry form and stopped or warned by its logical check, the record
// corrected, deleted and restored; then records ticked in the catalogue,
// exported to a file through the save dialog and copied from that file into
// the other database through the open dialog.

import assert from 'node:assert/strict';
import {existsSync, readFileSync} from 'node:fs';
import {join} from 'node:path';
import {before, describe, test} from 'node:test';

import {Bench, DEMO_START_TITLE} from './lib/harness.mjs';

const ENTRY_TITLE = 'Каталогизация';
const EXCHANGE_TITLE = 'Обмен записями';
const RECORD_TITLE = 'Описание';
const CHECK_CAPTION = 'Ошибка ФЛК';

const bench = new Bench('records');
before(() => bench.start());

// Waits for the message box, checks its text against `pattern`, answers OK
// and returns the text.
async function acknowledge(window, pattern) {
  const box = await window.messageBox();
  assert.match(box.text, pattern);
  await window.answerDialog('MessageBox', 'OK');
  return box;
}

// Presses the frame's button `name` and returns the frame's generation
// before it.
async function press(window, name) {
  const {generation} = await window.frameState();
  await window.frame.getByRole('button', {name, exact: true}).click();
  return generation;
}

// Types `path` into the file dialog's name box and presses its OK button.
async function chooseFile(window, path) {
  await window.byId('FileDialog').waitFor();
  await window.byId('FileNameEdit').fill(path);
  await window.click('FileOkButton');
  await window.byId('FileDialog').waitFor({state: 'detached'});
}

describe('entering and correcting records', () => {
  let window;
  let mfn;

  before(async () => {
    window = await bench.launch({login: {user: 'librarian', password: 'librarian'}});
    await window.waitForPage(DEMO_START_TITLE);
    await window.followLink('Новая запись, исправление и удаление записей');
    await window.waitForPage(ENTRY_TITLE);
  });

  test('a record without a title is stopped by the logical check', async () => {
    await window.frame.locator('#n-700').fill('^AТургенев^BИ. С.');
    await press(window, 'Сохранить запись');
    const box = await acknowledge(window, /Не заполнено заглавие.*Команда не выполнена/);
    assert.equal(box.caption, CHECK_CAPTION);
    assert.equal((await window.frameState()).title.includes(ENTRY_TITLE), true);
  });

  test('a record without a year is stored after a warning and shown', async () => {
    await window.frame.locator('#n-200').fill('^AЗаписки охотника^FИ. С. Тургенев');
    const before = await press(window, 'Сохранить запись');
    const warning = await acknowledge(window, /Не указан год издания/);
    assert.equal(warning.caption, CHECK_CAPTION);
    const stored = await acknowledge(window, /^Ввод\/Корректировка выполнена успешно - MFN=\d+$/);
    mfn = stored.text.match(/MFN=(\d+)/)[1];
    await window.waitForNextPage(before);
    assert.match(await window.frame.locator('body').innerText(), /Записки охотника/);
  });

  test('the record is corrected in its form', async () => {
    await window.openAddress(`TALOR:1,,DEMO,entry,@${mfn}?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom`,
      RECORD_TITLE);
    await window.frame.getByLabel('Выходные данные').fill('^AМосква^CПеро и свиток^D1852');
    const before = await press(window, 'Сохранить');
    await acknowledge(window, new RegExp(`MFN=${mfn}$`));
    await window.waitForNextPage(before);
    assert.match(await window.frame.locator('body').innerText(), /1852/);
  });

  test('the record is deleted and restored by saving it again', async () => {
    await window.openAddress(`TALOR:1,,DEMO,entry,@${mfn}?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom`,
      RECORD_TITLE);
    let before = await press(window, 'Удалить запись');
    await acknowledge(window, new RegExp(`^Запись № ${mfn} удалена$`));
    await window.waitForNextPage(before);

    await window.openAddress(`TALOR:1,,DEMO,entry,@${mfn}?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom`,
      RECORD_TITLE);
    assert.match(await window.frame.locator('body').innerText(), /Запись удалена/);
    before = await press(window, 'Сохранить');
    await acknowledge(window, new RegExp(`MFN=${mfn}$`));
    await window.waitForNextPage(before);
    await window.openAddress(`TALOR:1,,DEMO,entry,@${mfn}?TOPPFTNAME=rectop&BOTTOMPFTNAME=recbottom`,
      RECORD_TITLE);
    assert.doesNotMatch(await window.frame.locator('body').innerText(), /Запись удалена/);
  });
});

describe('exporting the selection and copying it into the other database', () => {
  let window;
  // The save dialog adds the form's extension to a name without one.
  const file = () => join(bench.dir, 'отобранные.TXT');

  before(async () => {
    window = await bench.launch({login: {user: 'librarian', password: 'librarian'}});
    await window.waitForPage(DEMO_START_TITLE);
  });

  test('records ticked in the catalogue are exported through the save dialog', async () => {
    await window.openAddress('TALOR:2,,DEMO,brief?S21STN=1&S21CNR=10&CHECKNAME=SEL' +
      '&TOPPFTNAME=browsetop&BOTTOMPFTNAME=browsebottom', 'Весь каталог');
    for (const mfn of ['2', '4']) {
      const box = window.frame.locator(`input[type=checkbox][name=SEL][value="${mfn}"]`);
      await window.posting('/api/page/checked', () => box.setChecked(true));
    }
    await window.openAddress('TALOR:3,2,DEMO,exchange.html', EXCHANGE_TITLE);
    const form = window.frame.locator('form', {hasText: 'Выгрузить отобранные'});
    await form.getByLabel('текстовый').check();
    await form.getByRole('button', {name: 'Выгрузить отобранные'}).click();
    assert.equal(await window.byId('FileDialogCaption').textContent(), 'Файл для экспорта данных');
    await chooseFile(window, join(bench.dir, 'отобранные'));
    await acknowledge(window, /^Экспортировано документов - 2$/);
    const text = readFileSync(file(), 'utf8');
    assert.equal(text.match(/^\*{5}\r$/gm)?.length, 2, text);
  });

  test('the file is copied into SERIALS through the open dialog', async () => {
    assert.ok(existsSync(file()));
    const form = window.frame.locator('form', {hasText: 'Загрузить'});
    await form.getByLabel('В базу').selectOption('SERIALS');
    await form.getByLabel('текстовый').check();
    const {generation} = await window.frameState();
    await form.getByRole('button', {name: 'Загрузить', exact: true}).click();
    assert.equal(await window.byId('FileDialogCaption').textContent(), 'Открытие файла');
    await chooseFile(window, file());
    const box = await acknowledge(window,
      /^В БД SERIALS скопировано документов -2 с номерами\(MFN\) \d+ - \d+$/);
    assert.equal(box.caption, 'Внимание');
    const first = box.text.match(/\(MFN\) (\d+)/)[1];
    await window.waitForPage('Весь каталог', {after: generation});
    assert.match(await window.frame.locator('body').innerText(), new RegExp(`записи с № ${first}`));
  });
});
