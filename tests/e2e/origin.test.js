'use strict';
// Which requests may become the page's connection: the Origin allow-list,
// and requests that are not WebSocket upgrades at all.
const { test, before, after } = require('node:test');
const https = require('node:https');
const fs = require('node:fs');
const path = require('node:path');
const { assert, connect, envelope, startProgram, waitFor } = require('./lib/harness');

const VERSION = envelope(50, 1, '1.0.0.1', 0);

let program;
before(async () => {
  program = await startProgram('origin', {
    files: { 'conf.ini': '[Bridge]\nOrigins=http://localhost:8080, https://Test.Example.org/\n' },
  });
});
after(async () => {
  await program?.stop();
});

test('a page of another site is refused with 403 and reaches nothing', async () => {
  const page = await connect(program);
  const calls = program.sdkCalls().length;
  const logMark = program.log().length;

  for (const origin of ['https://evil.example', 'null', 'https://www.anchorlive.example.evil.example',
                        'http://www.anchorlive.example']) {
    const refused = await connect(program, { origin });
    assert.equal(refused.statusCode, 403, origin);
    assert.equal(refused.headers.server, 'Boost.Beast/248 websocket-sync');
  }
  await waitFor('the refusals in the log', () => (program.log().slice(logMark).match(/refused with 403/g) || []).length === 4);
  const log = program.log().slice(logMark);
  assert.match(log, /Origin "https:\/\/evil\.example" is not an allowed page/);
  assert.doesNotMatch(log, /msg {5}/); // nothing was handed to the bridge
  assert.doesNotMatch(log, /connection ended/);
  assert.deepEqual(program.sdkCallNames().slice(calls), []); // nor was streaming stopped

  // The connected page still gets its replies.
  assert.equal(await page.request('{"code":50}'), VERSION);
  await page.close();
});

test("the site's pages, the configured ones and local programs without an Origin are let in", async () => {
  for (const origin of ['https://www.anchorlive.example', 'https://live.anchorlive.example',
                        'http://localhost:8080', 'https://test.example.org', undefined]) {
    const page = await connect(program, origin ? { origin } : {});
    assert.equal(await page.request('{"code":50}'), VERSION, String(origin));
    await page.close();
  }
});

test('a request that is not a WebSocket upgrade is answered with an error and does not stop streaming', async () => {
  const page = await connect(program);
  const calls = program.sdkCalls().length;
  const logMark = program.log().length;
  const status = await new Promise((resolve, reject) => {
    https
      .get('https://127.0.0.1:23233/', { ca: fs.readFileSync(path.join(program.folder, 'plugin.pem')) }, (res) => {
        res.resume();
        resolve(res.statusCode);
      })
      .on('error', reject);
  });
  assert.equal(status, 400);
  await waitFor('the session end in the log', () => /it never became a WebSocket/.test(program.log().slice(logMark)));
  assert.deepEqual(program.sdkCallNames().slice(calls), []);
  assert.doesNotMatch(program.log().slice(logMark), /message box/);
  // The stray request has not taken the page's replies away.
  assert.equal(await page.request('{"code":50}'), VERSION);
  await page.close();
});
