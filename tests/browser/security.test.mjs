// The window's local web server refuses what does not come from its own
// window: requests without the per-run token, for another host name, or
// from another site. Plain HTTP from node, as another program would send it.

import assert from 'node:assert/strict';
import http from 'node:http';
import {before, describe, test} from 'node:test';

import {Bench} from './lib/harness.mjs';

const bench = new Bench('security');
let origin;
let token;
let cookie;

// GET or POST `path` on the window's server with `headers`: {status, headers}.
function request(path, {method = 'GET', headers = {}, body = null} = {}) {
  const url = new URL(path, origin);
  return new Promise((resolve, reject) => {
    const sent = http.request(url, {method, headers}, (reply) => {
      reply.resume();
      reply.on('end', () => resolve({status: reply.statusCode, headers: reply.headers}));
    });
    sent.on('error', reject);
    sent.end(body);
  });
}

before(async () => {
  await bench.start();
  const place = bench.newPlace();
  bench.writeConfig(place, {login: {user: 'reader', password: 'reader'}});
  const navigator = await bench.startNavigator(place);
  origin = navigator.origin;
  token = new URL(navigator.url).searchParams.get('token');
  const first = await request(`/?token=${token}`);
  assert.equal(first.status, 200);
  const cookies = (first.headers['set-cookie'] ?? []).map((c) => c.split(';')[0]);
  cookie = cookies.find((c) => c.startsWith('talor_token='));
  assert.ok(cookie, 'the first answer sets the token cookie');
});

describe('the window server', () => {
  test('takes the token cookie and both names of the loopback host', async () => {
    assert.equal((await request('/window.css', {headers: {cookie}})).status, 200);
    const port = new URL(origin).port;
    const localhost = {cookie, host: `localhost:${port}`};
    assert.equal((await request('/window.css', {headers: localhost})).status, 200);
  });

  test('refuses a request without the token', async () => {
    assert.equal((await request('/')).status, 403);
    assert.equal((await request('/window.css')).status, 403);
    assert.equal((await request('/?token=0123456789abcdef')).status, 403);
  });

  test('refuses another host name, also with the token', async () => {
    const {status} = await request(`/?token=${token}`, {headers: {host: 'catalogue.example'}});
    assert.equal(status, 403);
  });

  test('refuses a request from another site', async () => {
    const crossOrigin = {cookie, origin: 'http://catalogue.example'};
    assert.equal((await request('/window.css', {headers: crossOrigin})).status, 403);
    const command = {
      method: 'POST',
      headers: {...crossOrigin, 'content-type': 'application/x-www-form-urlencoded'},
      body: 'name=FileExit',
    };
    assert.equal((await request('/api/command', command)).status, 403);
    const crossSite = {cookie, 'sec-fetch-site': 'cross-site'};
    assert.equal((await request('/window.css', {headers: crossSite})).status, 403);
  });
});
