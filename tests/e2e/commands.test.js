'use strict';
// The page's commands over wss: replies byte for byte, the SDK calls they
// make, and what happens to messages the bridge cannot use.
const { test, before, after } = require('node:test');
const { assert, connect, envelope, startProgram, waitFor, withTimeout } = require('./lib/harness');

let program;
before(async () => {
  program = await startProgram('commands');
});
after(async () => {
  await program?.stop();
});

// SDK calls made since `mark` (a count of earlier calls).
function callsSince(mark) {
  return program.sdkCallNames().slice(mark);
}

test('version: command 50 is answered with the file version; the upgrade names the server, no compression', async () => {
  const page = await connect(program);
  assert.equal(page.upgradeHeaders.server, 'Boost.Beast/248 websocket-sync');
  assert.equal(page.upgradeHeaders['sec-websocket-extensions'], undefined);
  assert.equal(page.ws.extensions, '');

  page.send('{"code":50}');
  const message = await page.next();
  assert.equal(message.text, envelope(50, 1, '1.0.0.1', 0));
  assert.equal(message.isBinary, false);
  await page.close();
});

test('a binary message is handled like a text message; pings are answered', async () => {
  const page = await connect(program);
  page.send(Buffer.from('{"code":50}'), { binary: true });
  const message = await page.next();
  assert.equal(message.text, envelope(50, 1, '1.0.0.1', 0));
  assert.equal(message.isBinary, false);

  const pong = new Promise((resolve) => page.ws.once('pong', (data) => resolve(data.toString())));
  page.ws.ping('are you there');
  assert.equal(await withTimeout(pong, 5000, 'the pong'), 'are you there');
  await page.close();
});

test('inbound text is converted from UTF-8 to GBK before it is logged and read', async () => {
  const page = await connect(program);
  const logMark = program.log().length;
  // "中文" is D6 D0 CE C4 in GBK; Thai is not in GBK at all.
  assert.equal(await page.request('{"code":50,"name":"中文","other":"ก"}'), envelope(50, 1, '1.0.0.1', 0));
  assert.ok(
    program.log().slice(logMark).includes('msg     {"code":50,"name":"\xD6\xD0\xCE\xC4","other":"?"}'),
    program.log().slice(logMark));
  await page.close();
});

test('stop: StopPublishing and LogoutRoom, then the reply code 2', async () => {
  const page = await connect(program);
  const mark = program.sdkCalls().length;
  assert.equal(await page.request('{"code":2}'), envelope(2, 1, '', 0));
  // The reply is sent after the calls, so they are all in the trace now.
  const calls = program.sdkCalls().slice(mark);
  assert.deepEqual(calls.map((c) => c.call), ['StopPublishing', 'LogoutRoom']);
  assert.match(calls[0].line, /"args":\{"flag":0,"msg":null,"channel":0\}/);
  await page.close();
});

test('text that is not JSON is answered with "Json error" and the connection goes on', async () => {
  const page = await connect(program);
  const mark = program.sdkCalls().length;
  for (const text of ['{code:2}', '', '{"code":2', 'hello', '\u00ff']) {
    assert.equal(await page.request(text), envelope(0, 0, 'Json error', 0), `for ${JSON.stringify(text)}`);
  }
  // Lenient: comments and text after the first value are fine.
  assert.equal(await page.request('/* c */ {"code":50} stray'), envelope(50, 1, '1.0.0.1', 0));
  assert.deepEqual(callsSince(mark), []);
  await page.close();
});

test('numbers without a command get no reply and make no SDK call', async () => {
  const page = await connect(program);
  const mark = program.sdkCalls().length;
  for (const text of ['{"code":0}', '{}', 'null', '{"code":7}', '{"code":49}', '{"code":51}', '{"code":-1}',
                      '{"code":50.9, "x":1}']) {
    page.send(text);
  }
  // 50.9 is command 50: its reply is the first message that arrives.
  assert.equal((await page.next()).text, envelope(50, 1, '1.0.0.1', 0));
  assert.deepEqual(callsSince(mark), []);
  await page.close();
});

test('command payloads: absent members read as 0 or empty; the partner is stored', async () => {
  const page = await connect(program);
  let mark = program.sdkCalls().length;

  // Partner 77, own number still 0, same (empty) stream name: no new login.
  page.send('{"code":4,"uid":77,"liveid":""}');
  page.send('{"code":50}');
  await page.next();
  let calls = program.sdkCalls().slice(mark);
  assert.deepEqual(calls.map((c) => c.call), ['SetViewMode']);
  assert.match(calls[0].line, /"77_0"/);
  await waitFor('conf.ini', () => /PK=77/.test(readConf()));

  // No "uid": partner 0. A new stream name stops everything first.
  mark = program.sdkCalls().length;
  page.send('{"code":4,"liveid":"s2"}');
  page.send('{"code":50}');
  await page.next();
  calls = program.sdkCalls().slice(mark);
  assert.deepEqual(calls.map((c) => c.call), ['SetViewMode', 'StopPublishing', 'LogoutRoom']);
  assert.match(calls[0].line, /"0_0"/);
  assert.match(readConf(), /PK=0/);

  // End co-hosting (the mixer is told to stop first, even when not
  // co-hosting), restart solo: each stops everything.
  const stops = [
    ['{"code":5}', ['MixStreamEx', 'StopPublishing', 'LogoutRoom']],
    ['{"code":3,"liveid":"s3","pushsecret":"k"}', ['StopPublishing', 'LogoutRoom']],
  ];
  for (const [text, expected] of stops) {
    mark = program.sdkCalls().length;
    page.send(text);
    page.send('{"code":50}');
    await page.next();
    assert.deepEqual(callsSince(mark), expected, text);
  }
  await page.close();
});

function readConf() {
  try {
    return require('node:fs').readFileSync(require('node:path').join(program.folder, 'conf.ini'), 'latin1');
  } catch {
    return '';
  }
}

test('a member of the wrong type ends the session with the message box; streaming goes on', async () => {
  // [message, SDK calls the command made before it met the bad member]
  const cases = [
    ['{"code":"3"}', []],
    ['[1]', []],
    ['{"code":[2]}', []],
    ['{"code":4,"uid":"77"}', []],
    ['{"code":1,"vedioparm":{"frame":"30"}}', []],
    ['{"code":1,"vedioparm":"camera"}', []],
    ['{"code":3,"liveid":[1]}', ['StopPublishing', 'LogoutRoom']],
  ];
  for (const [text, expectedCalls] of cases) {
    const page = await connect(program);
    const mark = program.sdkCalls().length;
    const logMark = program.log().length;
    const errMark = program.stderr.length;
    page.send(text);
    const closed = await page.waitClosed();
    assert.notEqual(closed.code, 1000, text);
    await waitFor('the session end in the log', () => /message box shown/.test(program.log().slice(logMark)));
    assert.match(program.log().slice(logMark), /streaming not stopped; message box shown/, text);
    assert.match(program.stderr.slice(errMark), /Error: /, text);
    // No stop-all for the lost connection on this path.
    assert.deepEqual(callsSince(mark), expectedCalls, text);
  }
  // The program is still there for the next page.
  const page = await connect(program);
  assert.equal(await page.request('{"code":50}'), envelope(50, 1, '1.0.0.1', 0));
  await page.close();
});
