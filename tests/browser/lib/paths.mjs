// Where the programs under test are. ctest passes the programs' paths
// (TALOR_SERVER, TALOR_NAVIGATOR), the source tree (TALOR_SOURCE_DIR) and
// the folder for screenshots (TALOR_ARTIFACTS); run by hand, they default to
// the build directory TALOR_BUILD_DIR or build/ of the source tree.

import {existsSync} from 'node:fs';
import {dirname, join, resolve} from 'node:path';
import {fileURLToPath} from 'node:url';

export const sourceDir =
  process.env.TALOR_SOURCE_DIR ?? resolve(dirname(fileURLToPath(import.meta.url)), '../../..');
const buildDir = process.env.TALOR_BUILD_DIR ?? join(sourceDir, 'build');
export const serverProgram = process.env.TALOR_SERVER ?? join(buildDir, 'src/app/talor-server');
export const navigatorProgram =
  process.env.TALOR_NAVIGATOR ?? join(buildDir, 'src/app/talor-navigator');
export const artifactsDir = process.env.TALOR_ARTIFACTS ?? join(buildDir, 'browser-artifacts');
export const chromiumProgram = process.env.TALOR_CHROMIUM ?? '/usr/bin/chromium';

for (const [what, path] of [['talor-server', serverProgram], ['talor-navigator', navigatorProgram],
  ['chromium', chromiumProgram]]) {
  if (!existsSync(path)) {
    throw new Error(`${what} is missing at ${path} (run scripts/deps and scripts/build)`);
  }
}
