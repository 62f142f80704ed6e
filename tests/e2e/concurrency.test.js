'use strict';
// Many threads send through the bridge at once (one per connection) while
// the pages keep sending commands: every reply reaches the newest page whole
// and exactly once, and nothing breaks.
const { test, before, after } = require('node:test');
const { assert, connect, envelope, sleep, startProgram, withTimeout } = require('./lib/harness');

const SENDERS = 6;
const ROUNDS = 150; // each round: version, stop, not JSON

const replies = {
  '{"code":50}': envelope(50, 1, '1.0.0.1', 0),
  '{"code":2}': envelope(2, 1, '', 0),
  '{"code":': envelope(0, 0, 'Json error', 0),
};

let program;
before(async () => {
  program = await startProgram('concurrency');
});
after(async () => {
  await program?.stop();
});

test('replies from many threads arrive whole, in full, on the newest connection', async () => {
  const senders = [];
  for (let i = 0; i < SENDERS; i++) senders.push(await connect(program));
  const newest = await connect(program);
  const all = [...senders, newest];

  const expected = all.length * ROUNDS * Object.keys(replies).length;
  const counts = new Map();
  const received = new Promise((resolve, reject) => {
    let n = 0;
    newest.ws.on('message', (data, isBinary) => {
      const text = data.toString('latin1');
      if (isBinary || !Object.values(replies).includes(text)) {
        reject(new Error(`unexpected frame: ${JSON.stringify(text.slice(0, 200))}`));
        return;
      }
      counts.set(text, (counts.get(text) || 0) + 1);
      if (++n === expected) resolve();
    });
    newest.ws.on('close', () => reject(new Error('the newest connection closed')));
  });

  for (let round = 0; round < ROUNDS; round++) {
    for (const page of all) for (const command of Object.keys(replies)) page.send(command);
    if (round % 10 === 0) await sleep(10);
  }
  await withTimeout(received, 120000, `all ${expected} replies`);

  for (const reply of Object.values(replies)) assert.equal(counts.get(reply), all.length * ROUNDS);
  await sleep(500);
  for (const page of senders) assert.equal(page.messages.length, 0);
  assert.ok(program.alive());

  for (const page of all) await page.close();
});
