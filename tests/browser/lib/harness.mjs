// The bench of a browser test file: a scratch directory, the reference
// catalogue server with the demo catalogue on an ephemeral loopback port,
// navigators started with their own configuration files, and headless
// Chromium showing their windows. Everything a bench starts is stopped and
// its directory removed after the file's tests, whether they passed or not.

import {cpSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {after} from 'node:test';

import {chromium} from 'playwright-core';

import {encodeWindows1251, iniLines, writeIni} from './ini.mjs';
import {chromiumProgram, navigatorProgram, serverProgram, sourceDir} from './paths.mjs';
import {runProgram, startProgram, stopProgram, waitForOutput} from './processes.mjs';
import {startRelay} from './relay.mjs';
import {NavigatorWindow} from './window.mjs';

// Chromium without the services that reach out to the network.
const CHROMIUM_ARGS = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

// Headless Chromium's screen is as big as the page, so that every window
// would count as maximized; the window's page sees this screen instead.
const SCREEN = {width: 1600, height: 1200};

function onBiggerScreen({width, height}) {
  const sizes = {width, height, availWidth: width, availHeight: height};
  for (const [name, value] of Object.entries(sizes)) {
    Object.defineProperty(Screen.prototype, name, {get: () => value, configurable: true});
  }
}

// The line the navigator prints with its window's address.
const WINDOW_ADDRESS = /Окно навигатора: (http:\/\/127\.0\.0\.1:\d+\/\?token=\w+)/;

export const DEMO_START_TITLE = 'Демонстрационный каталог — главная';
export const DEMO_START_URL = 'TALOR:3,1,DEMO,index.html';

// The demo catalogue as a source for `talor-server init`, with lines added
// to section Navigator of its server settings when `navigatorSettings` has
// any. settings.ini is Windows-1251: it is edited byte for byte.
function catalogueSource(dir, navigatorSettings) {
  const demo = join(sourceDir, 'data/demo');
  if (!navigatorSettings) return demo;
  const copy = join(dir, 'source');
  cpSync(demo, copy, {recursive: true});
  const settingsPath = join(copy, 'settings.ini');
  const settings = readFileSync(settingsPath);
  const header = Buffer.from('[Navigator]\r\n');
  const at = settings.indexOf(header) + header.length;
  if (at < header.length) throw new Error(`no section Navigator in ${settingsPath}`);
  const lines = encodeWindows1251(iniLines(navigatorSettings));
  writeFileSync(settingsPath,
    Buffer.concat([settings.subarray(0, at), lines, settings.subarray(at)]));
  return copy;
}

// Loads the demo catalogue into `dir` and serves it on 127.0.0.1. Returns
// {port, run}.
async function startCatalogue(dir, navigatorSettings) {
  const data = join(dir, 'data');
  const init = startProgram(serverProgram,
    ['init', '--data', data, '--from', catalogueSource(dir, navigatorSettings)]);
  if (await init.exited !== 0) throw new Error(`talor-server init failed: ${init.stderr}`);
  const run = startProgram(serverProgram, ['--data', data, '--address', '127.0.0.1', '--port', '0']);
  const [, port] = await waitForOutput(run, /127\.0\.0\.1:(\d+)/);
  return {port: Number(port), run};
}

export class Bench {
  // `name` names the scratch directory. The clean-up is registered with the
  // file's `after` hook.
  constructor(name) {
    this.name = name;
    this.cleanups = [];
    this.places = 0;
    after(() => this.cleanUp());
  }

  // `navigatorSettings`: extra keys of the server's section Navigator.
  async start({navigatorSettings = null} = {}) {
    this.dir = mkdtempSync(join(tmpdir(), `talor-browser-${this.name}-`));
    const catalogue = await startCatalogue(join(this.dir, 'catalogue'), navigatorSettings);
    this.defer(() => stopProgram(catalogue.run));
    this.serverPort = catalogue.port;
  }

  // The bench's browser, launched on first use.
  async browser() {
    if (!this.launched) {
      this.launched = chromium.launch(
        {executablePath: chromiumProgram, headless: true, args: CHROMIUM_ARGS});
      this.defer(async () => (await this.launched).close());
    }
    return this.launched;
  }

  // A relay to the bench's server that can hold requests back (relay.mjs).
  async relay() {
    const relay = await startRelay(this.serverPort);
    this.defer(() => relay.close());
    return relay;
  }

  defer(cleanup) {
    this.cleanups.push(cleanup);
  }

  async cleanUp() {
    for (const cleanup of this.cleanups.reverse()) {
      try {
        await cleanup();
      } catch (error) {
        console.error(`clean-up of ${this.name}: ${error.message}`);
      }
    }
    this.cleanups = [];
    if (this.dir) rmSync(this.dir, {recursive: true, force: true});
  }

  // A new program directory for a navigator: the configuration file's place,
  // the work directory and a runtime directory of its own, so that the
  // message bus of one test's navigator never reaches another's.
  newPlace() {
    const dir = join(this.dir, `navigator-${++this.places}`);
    const runtime = join(dir, 'run');
    mkdirSync(runtime, {recursive: true, mode: 0o700});
    return {
      dir,
      configPath: join(dir, 'Talor_Navigator.ini'),
      workDir: join(dir, 'work/'),
      env: {...process.env, XDG_RUNTIME_DIR: runtime},
    };
  }

  // Writes the configuration of `place`: the bench's server, the message
  // file of the source tree and the work directory; `login` ({user,
  // password}) logs in without asking; `sections` are added as they are.
  writeConfig(place, {login = null, serverPort = this.serverPort, sections = {}} = {}) {
    const main = {
      ServerIP: '127.0.0.1',
      ServerPort: serverPort,
      TalorMsg: join(sourceDir, 'data/TALORMSG.TXT'),
      Workdir: place.workDir,
    };
    if (login) Object.assign(main, {UserName: login.user, UserPassword: login.password});
    writeIni(place.configPath, {Main: main, ...sections});
  }

  // Runs another command of talor-navigator (send-page) as a program of
  // `place` would: {code, stdout, stderr}.
  runNavigatorCommand(place, args) {
    return runProgram(navigatorProgram, args, {cwd: place.dir, env: place.env});
  }

  // Starts `talor-navigator window` for `place` and waits for the address of
  // its window. Returns {run, url, origin}.
  async startNavigator(place) {
    const run = startProgram(navigatorProgram,
      ['window', '--config', place.configPath, '--no-browser'], {cwd: place.dir, env: place.env});
    this.defer(() => stopProgram(run));
    const [, url] = await waitForOutput(run, WINDOW_ADDRESS);
    return {run, url, origin: new URL(url).origin};
  }

  // Opens the navigator's window in a fresh browser context.
  async openWindow(navigator, viewport = {width: 800, height: 600}) {
    const context = await (await this.browser()).newContext({viewport});
    this.defer(() => context.close());
    await context.addInitScript(onBiggerScreen, SCREEN);
    const page = await context.newPage();
    await page.goto(navigator.url);
    return new NavigatorWindow(page, navigator);
  }

  // The usual start: a new place, its configuration, the navigator and its
  // window. Returns the window; `window.place` is the place.
  async launch({login = {user: 'reader', password: 'reader'}, sections = {}, serverPort,
    viewport} = {}) {
    const place = this.newPlace();
    this.writeConfig(place, {login, sections, serverPort});
    return this.relaunch(place, viewport);
  }

  // Starts a navigator again on an existing place.
  async relaunch(place, viewport) {
    const navigator = await this.startNavigator(place);
    const window = await this.openWindow(navigator, viewport);
    window.place = place;
    return window;
  }
}
