'use strict';
// Start-up: one copy at a time, and a program without a usable certificate
// that runs on without its web bridge.
const { test } = require('node:test');
const { execFileSync } = require('node:child_process');
const net = require('node:net');
const path = require('node:path');
const { assert, connect, envelope, prepareFolder, Program, sleep, startProgram, waitFor, withTimeout } = require('./lib/harness');

function portRefuses() {
  return new Promise((resolve) => {
    const socket = net.connect(23233, '127.0.0.1');
    socket.once('connect', () => {
      socket.destroy();
      resolve(false);
    });
    socket.once('error', (error) => resolve(error.code === 'ECONNREFUSED'));
  });
}

test('a second copy ends at once, silently, and the first goes on serving', async () => {
  const first = await startProgram('startup-first');
  const second = new Program(prepareFolder('startup-second')).start();
  try {
    const exited = await withTimeout(second.exitPromise, 60000, 'the second copy to end');
    assert.equal(exited.code, 0);
    assert.equal(second.log(), ''); // it never got as far as the server
    assert.ok(first.alive());

    const page = await connect(first);
    assert.equal(await page.request('{"code":50}'), envelope(50, 1, '1.0.0.1', 0));
    await page.close();
  } finally {
    await second.stop();
    await first.stop();
  }
});

test('without a usable certificate nothing listens, and the program runs on', async (t) => {
  const cases = [
    { name: 'no-pem', omit: ['plugin.pem'], error: /^Error: use_certificate_chain_file: .+$/m },
    { name: 'no-key', omit: ['plugin.key'], error: /^Error: use_private_key_file: .+$/m },
    { name: 'other-key', otherKey: true, error: /^Error: use_private_key_file: .+$/m },
  ];
  for (const c of cases) {
    await t.test(c.name, async () => {
      const folder = prepareFolder(`startup-${c.name}`, { omit: c.omit || [] });
      if (c.otherKey) {
        execFileSync('openssl', ['genpkey', '-algorithm', 'RSA', '-pkeyopt', 'rsa_keygen_bits:2048',
                                 '-out', path.join(folder, 'plugin.key')], { stdio: 'ignore' });
      }
      const program = new Program(folder).start();
      try {
        assert.equal(await program.waitForServer(), 'failed');
        await waitFor('the error line', () => c.error.test(program.stderr));
        assert.ok(await portRefuses(), 'something listens on 23233');
        await sleep(2000);
        assert.ok(program.alive(), 'the program ended');
      } finally {
        await program.stop();
      }
    });
  }
});
