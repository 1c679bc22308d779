// The INI files as the tests write and read them: the navigator's
// configuration and the server's settings. Section and key names ignore
// letter case; a value in double quotes has %25, %0D, %0A and %00 for %, CR,
// LF and NUL. The navigator keeps the favourites' texts in UTF-8; the
// server's settings are Windows-1251.

import {readFileSync, writeFileSync} from 'node:fs';

function unquote(value) {
  if (value.length < 2 || !value.startsWith('"') || !value.endsWith('"')) return value;
  const codes = {'%25': '%', '%0D': '\r', '%0A': '\n', '%00': '\0'};
  return value.slice(1, -1).replace(/%(25|0D|0A|00)/gi, (code) => codes[code.toUpperCase()]);
}

// {section: {key: value}} with section and key names in lower case.
export function parseIni(text) {
  const sections = {};
  let current = null;
  for (const line of text.split(/\r?\n/)) {
    const header = line.match(/^\s*\[([^\]]*)\]\s*$/);
    if (header) {
      current = sections[header[1].toLowerCase()] ??= {};
      continue;
    }
    const at = line.indexOf('=');
    if (!current || at < 0 || line.trimStart().startsWith(';')) continue;
    current[line.slice(0, at).trim().toLowerCase()] = unquote(line.slice(at + 1));
  }
  return sections;
}

export function readIni(path, encoding = 'utf-8') {
  return parseIni(new TextDecoder(encoding).decode(readFileSync(path)));
}

// One value, or undefined when the file lacks it.
export function iniValue(ini, section, key) {
  return ini[section.toLowerCase()]?.[key.toLowerCase()];
}

// The lines `Key=value` of `keys` ({Key: value}), each ending in CR LF.
export function iniLines(keys) {
  return Object.entries(keys).map(([key, value]) => `${key}=${value}\r\n`).join('');
}

// Writes `sections` ({Section: {Key: value}}) as a new UTF-8 file.
export function writeIni(path, sections) {
  const text = Object.entries(sections).map(([name, keys]) => `[${name}]\r\n${iniLines(keys)}`);
  writeFileSync(path, text.join(''));
}

// Windows-1251 bytes of a text of ASCII, Russian letters and the few signs
// the tests use.
export function encodeWindows1251(text) {
  const signs = {'Ё': 0xa8, 'ё': 0xb8, '«': 0xab, '»': 0xbb, '—': 0x97, '№': 0xb9};
  return Buffer.from([...text].map((c) => {
    const code = c.codePointAt(0);
    if (code < 0x80) return code;
    if (code >= 0x410 && code <= 0x44f) return code - 0x410 + 0xc0;
    if (c in signs) return signs[c];
    throw new Error(`no Windows-1251 byte for ${c}`);
  }));
}
