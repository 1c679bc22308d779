// Starting the navigator's window: logging in without asking and through the
// login dialog, the answers of the login loop, and a login given up.

import assert from 'node:assert/strict';
import {before, describe, test} from 'node:test';

import {Bench, DEMO_START_TITLE, DEMO_START_URL} from './lib/harness.mjs';

const REFUSAL = 'Неверное имя пользователя или пароль. Повторите ввод.';
const RETRY_QUESTION = 'Не удалось зарегистрироваться на сервере каталога. Повторить попытку?';

const bench = new Bench('start');
before(() => bench.start());

// A window whose configuration names no user: the login dialog asks.
async function askingWindow() {
  const window = await bench.launch({login: null});
  await window.byId('ConnectForm').waitFor();
  return window;
}

async function logIn(window, user, password) {
  await window.byId('UserEdit').fill(user);
  await window.byId('PasswordEdit').fill(password);
  await window.click('OKBitBtn');
}

describe('login without asking', () => {
  test('shows the server start page with the user of the configuration', async () => {
    const window = await bench.launch();
    await window.waitForPage(DEMO_START_TITLE);
    assert.equal(await window.address(), DEMO_START_URL);
    assert.match(await window.page.title(), /^ТАЛОР-Навигатор/);
    assert.ok(await window.byId('ControlBar').isVisible());
    assert.equal(await window.byId('ConnectForm').count(), 0);
    assert.ok(await window.byId('LabelLayer').isHidden(), 'the splash is gone');
    // Nothing to go back or forward to yet.
    assert.ok(await window.byId('BackToolButton').isDisabled());
    assert.ok(await window.byId('ForwardToolButton').isDisabled());
    await window.screenshot('main-window');
  });
});

describe('the login dialog', () => {
  test('logs in with the user and password typed', async () => {
    const window = await askingWindow();
    assert.equal(await window.byId('UserEdit').inputValue(), '');
    await window.screenshot('login-dialog');
    await logIn(window, 'reader', 'reader');
    await window.waitForPage(DEMO_START_TITLE);
    await window.byId('ConnectForm').waitFor({state: 'detached'});
    assert.ok(await window.byId('Window').isVisible());
  });

  test('a wrong password is refused, the dialog stays for another try', async () => {
    const window = await askingWindow();
    await logIn(window, 'librarian', 'wrong');
    assert.equal((await window.messageBox()).text, REFUSAL);
    await window.answerDialog('MessageBox', 'OK');
    assert.ok(await window.byId('ConnectForm').isVisible());
    await logIn(window, 'librarian', 'librarian');
    await window.waitForPage(DEMO_START_TITLE);
  });

  test('the close box asks whether to try again; yes shows the dialog again', async () => {
    const window = await askingWindow();
    await window.byId('ConnectForm').getByRole('button', {name: 'Закрыть'}).click();
    const question = await window.messageBox();
    assert.equal(question.caption, 'Ошибка');
    assert.equal(question.text, RETRY_QUESTION);
    await window.answerDialog('MessageBox', 'Да');
    await window.byId('UserEdit').waitFor();
    await logIn(window, 'reader', 'reader');
    await window.waitForPage(DEMO_START_TITLE);
  });

  test('answering no to the question ends the navigator', async () => {
    const window = await askingWindow();
    await window.byId('ConnectForm').getByRole('button', {name: 'Закрыть'}).click();
    await window.messageBox();
    await window.answerDialog('MessageBox', 'Нет');
    assert.equal(await window.waitForEnd(), 0);
  });

  test('cancel ends the navigator without a question', async () => {
    const window = await askingWindow();
    await window.click('CancelBitBtn');
    assert.equal(await window.waitForEnd(), 0);
    assert.equal(await window.byId('MessageBox').count(), 0);
  });
});
