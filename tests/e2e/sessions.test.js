'use strict';
// Connections: the message size limit, several pages at once, and the ways a
// connection ends.
const { test, before, after } = require('node:test');
const { assert, connect, envelope, sleep, startProgram, waitFor } = require('./lib/harness');

const MiB16 = 16 * 1024 * 1024;
const VERSION = envelope(50, 1, '1.0.0.1', 0);

let program;
before(async () => {
  program = await startProgram('sessions');
});
after(async () => {
  await program?.stop();
});

function marks() {
  return { calls: program.sdkCalls().length, log: program.log().length, stderr: program.stderr.length };
}

// What happened since `mark`. The log may have been emptied at its size
// limit meanwhile; then all of it is new.
function since(mark) {
  const log = program.log();
  return {
    calls: program.sdkCallNames().slice(mark.calls),
    log: log.length >= mark.log ? log.slice(mark.log) : log,
    stderr: program.stderr.slice(mark.stderr),
  };
}

async function waitForStopAll(mark) {
  await waitFor('StopPublishing and LogoutRoom', () => since(mark).calls.includes('LogoutRoom'));
  assert.deepEqual(since(mark).calls, ['StopPublishing', 'LogoutRoom']);
}

async function waitForSessionEnd(mark) {
  await waitFor('the session end in the log', () => /connection ended: /.test(since(mark).log));
  return since(mark);
}

test('a message of exactly 16 MiB is handled; one byte more ends the session and stops streaming', async () => {
  const page = await connect(program);
  const head = '{"code":50,"pad":"';
  const tail = '"}';
  const big = head + 'x'.repeat(MiB16 - head.length - tail.length) + tail;
  assert.equal(Buffer.byteLength(big), MiB16);
  assert.equal(await page.request(big), VERSION);

  const mark = marks();
  page.send(Buffer.alloc(MiB16 + 1, 0x20));
  const closed = await page.waitClosed(60000);
  assert.equal(closed.code, 1009); // message too big
  await waitForStopAll(mark);
  const after = await waitForSessionEnd(mark);
  assert.match(after.stderr, /Error: /);
  assert.match(after.log, /streaming stopped/);
});

test('two pages: the newer gets every outbound message, the older is still read', async () => {
  const older = await connect(program);
  const newer = await connect(program);

  older.send('{"code":50}');
  assert.equal((await newer.next()).text, VERSION);
  older.send('{"code":');
  assert.equal((await newer.next()).text, envelope(0, 0, 'Json error', 0));
  assert.equal(await newer.request('{"code":2}'), envelope(2, 1, '', 0));
  await sleep(300);
  assert.equal(older.messages.length, 0);

  // The older page's close stops streaming, and leaves the newer one open.
  const mark = marks();
  await older.close();
  await waitForStopAll(mark);
  assert.equal(await newer.request('{"code":50}'), VERSION);
  await newer.close();
});

test('the page closes normally: streaming stops, no error line, no message box', async () => {
  const page = await connect(program);
  const mark = marks();
  const closed = await page.close();
  assert.equal(closed.code, 1000);
  await waitForStopAll(mark);
  const after = await waitForSessionEnd(mark);
  assert.match(after.log, /connection ended: closed by the page; streaming stopped/);
  assert.doesNotMatch(after.log, /message box/);
  assert.doesNotMatch(after.stderr, /Error: /);
});

test('the connection is cut, even with replies on their way: streaming stops, an error line, the program goes on', async () => {
  const page = await connect(program);
  for (let i = 0; i < 300; i++) page.send('{"code":50}');
  await page.next();
  const mark = marks();
  page.ws._socket.destroy();
  await waitForStopAll(mark);
  const after = await waitForSessionEnd(mark);
  assert.match(after.stderr, /Error: /);
  assert.match(after.log, /streaming stopped/);
  assert.doesNotMatch(after.log, /message box/);

  const next = await connect(program);
  assert.equal(await next.request('{"code":50}'), VERSION);
  await next.close();
});

test('replies meant for a page that has gone are dropped, never written to its ended connection', async () => {
  const older = await connect(program);
  const newer = await connect(program);
  await newer.close();

  const mark = marks();
  older.send('{"code":50}');
  await waitFor('the drop in the log', () => /no open connection: message with code 50 dropped/.test(since(mark).log));
  await sleep(300);
  assert.equal(older.messages.length, 0);

  // A page that connects now gets the replies again.
  const latest = await connect(program);
  older.send('{"code":50}');
  assert.equal((await latest.next()).text, VERSION);
  await latest.close();
  await older.close();
});
