'use strict';
// The version check at start-up and the update offer, against a real HTTP
// server on 127.0.0.1:80 that conf.ini points the program at. The update
// dialog's buttons are clicked through the X display the program runs on.
const { test, before, after } = require('node:test');
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { assert, buildDir, prepareFolder, Program, sleep, waitFor, withTimeout } = require('./lib/harness');

const CONF = '[Update]\r\nHost=127.0.0.1\r\nInstallerUrl=http://127.0.0.1/quorapk/setup.exe\r\n';
// The dialog sits at the screen's top-left corner; its buttons are 139 x 46.
const UPDATE_BUTTON = [180 + 70, 180 + 23];
const NO_UPDATE_BUTTON = [20 + 70, 180 + 23];

// One virtual display for these programs, so that the test can click.
let xvfb;
before(async () => {
  const displayFile = path.join(buildDir, 'test-work', 'e2e', 'update-display');
  fs.mkdirSync(path.dirname(displayFile), { recursive: true });
  const out = fs.openSync(displayFile, 'w');
  xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
               { stdio: ['ignore', 'ignore', 'ignore', out] });
  const display = await waitFor('Xvfb', () => fs.readFileSync(displayFile, 'utf8').trim(), 10000);
  process.env.DISPLAY = `:${display}`;
});
after(() => xvfb && xvfb.kill());

function click([x, y]) {
  execFileSync('xdotool', ['mousemove', String(x), String(y), 'click', '1'], { env: process.env });
}

// An HTTP server on port 80 answering with `routes[path](request, response)`.
async function serve(routes) {
  const server = http.createServer((request, response) => {
    const route = routes[request.url];
    if (route) return route(request, response);
    response.writeHead(404, { 'Content-Length': 0 });
    response.end();
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(80, '127.0.0.1', resolve);
  });
  const sockets = new Set();
  server.on('connection', (s) => {
    sockets.add(s);
    s.on('close', () => sockets.delete(s));
  });
  return {
    close: () => new Promise((resolve) => {
      for (const s of sockets) s.destroy();
      server.close(resolve);
    }),
  };
}

function versionFile(text) {
  return (request, response) => {
    response.writeHead(200, { 'Content-Length': Buffer.byteLength(text) });
    response.end(text);
  };
}

function body(bytes, { status = 200, announce = bytes.length, cutAfter = null } = {}) {
  return (request, response) => {
    response.writeHead(status, { 'Content-Length': announce });
    if (cutAfter === null) return response.end(bytes);
    response.write(bytes.subarray(0, cutAfter), () => setTimeout(() => response.socket.destroy(), 200));
  };
}

function start(name) {
  return new Program(prepareFolder(name, { files: { 'conf.ini': CONF } })).start();
}

// Which of the two dialogs the run shows.
async function shownDialog(program, ms = 60000) {
  return waitFor('a dialog', () => {
    const log = program.log();
    if (log.includes('update offered: ')) return 'update';
    if (log.includes('main window shown')) return 'main';
    if (!program.alive()) throw new Error(`anchordesk ended: ${JSON.stringify(program.exited)}`);
    return null;
  }, ms);
}

function progressPositions(program) {
  return [...program.log().matchAll(/download progress (\d+)/g)].map((m) => Number(m[1]));
}

test('which dialog a run shows', async (t) => {
  const cases = [
    { name: 'newer', version: '1.0.0.10\n', dialog: 'update' },
    { name: 'newer-crlf', version: '1.0.0.2\r\n', dialog: 'update' },
    { name: 'equal', version: '1.0.0.1\n', dialog: 'main' },
    { name: 'older', version: '1.0.0.0\n', dialog: 'main' },
    { name: 'server-down', version: null, dialog: 'main' },
    { name: 'server-silent', version: '', silent: true, dialog: 'main' },
  ];
  for (const c of cases) {
    await t.test(c.name, async () => {
      const server = c.version === null ? null : c.silent
        ? await serve({ '/zudodovide/vlver.ini': () => {} }) // accepts, never answers
        : await serve({ '/zudodovide/vlver.ini': versionFile(c.version) });
      const program = start(`update-${c.name}`);
      try {
        assert.equal(await shownDialog(program), c.dialog);
        const log = program.log();
        assert.match(log, /CLiveToolApp::CheckUpdate\tline:\d+\tinfo:\tcurver     1\.0\.0\.1     serverver   /);
        if (c.dialog === 'update') {
          // The tip names the version the server gave, its last byte removed.
          assert.ok(log.includes(`update offered: \xB7\xA2\xCF\xD6\xD0\xC2\xB0\xE6\xB1\xBE  ${c.version.slice(0, -1)}`));
          await sleep(1500);
          assert.ok(!program.log().includes('main window shown'), 'both dialogs appeared');
          click(NO_UPDATE_BUTTON);
          const exited = await withTimeout(program.exitPromise, 30000, 'the program to end');
          assert.equal(exited.code, 0);
          assert.ok(!program.log().includes('main window shown'));
        }
      } finally {
        await program.stop();
        if (server) await server.close();
      }
    });
  }
});

test('the update button downloads with progress, and only a whole download is started', async (t) => {
  // The test installer, padded to the sizes each case downloads.
  const installer = fs.readFileSync(path.join(buildDir, 'bin', 'marker_installer.exe'));
  const padded = (size) => Buffer.concat([installer, Buffer.alloc(size - installer.length)]);
  const cases = [
    { name: '5000-bytes', route: body(padded(5000)), positions: [20, 100] },
    { name: '40-mib', route: body(padded(40 * 1024 * 1024)), rising: true },
    { name: 'cut', route: body(Buffer.alloc(50000, 1), { cutAfter: 20000 }), complete: false },
    { name: '404', route: body(Buffer.from('not found'), { status: 404 }), complete: false },
    { name: 'zero-length', route: body(Buffer.alloc(0)), complete: false },
  ];
  for (const c of cases) {
    await t.test(c.name, async () => {
      const server = await serve({
        '/zudodovide/vlver.ini': versionFile('9.0.0.0\n'),
        '/quorapk/setup.exe': c.route,
      });
      const program = start(`update-download-${c.name}`);
      try {
        assert.equal(await shownDialog(program), 'update');
        await sleep(1000);
        click(UPDATE_BUTTON);
        await waitFor('the download to end', () => /download (failed|progress 100)/.test(program.log()), 120000);
        const log = program.log();
        if (c.complete === false) {
          assert.match(log, /download failed, nothing started: /);
          await sleep(1000);
          assert.ok(program.alive(), 'the dialog should stay after a failed download');
          const folder = path.join(program.folder, 'download');
          assert.deepEqual(fs.existsSync(folder) ? fs.readdirSync(folder) : [], [], 'a file was kept');
          return;
        }
        const exited = await withTimeout(program.exitPromise, 30000, 'the program to end');
        assert.equal(exited.code, 0);
        const positions = progressPositions(program);
        if (c.positions) assert.deepEqual(positions, c.positions);
        if (c.rising) {
          assert.ok(positions.length > 10, `only ${positions.length} progress steps`);
          for (let i = 1; i < positions.length; i++) assert.ok(positions[i] >= positions[i - 1], String(positions));
          assert.equal(positions.at(-1), 100);
        }
        assert.match(program.log(), /installer started: /);
        const marker = path.join(program.folder, 'download', 'installer-ran.txt');
        await waitFor('the installer to run', () => fs.existsSync(marker), 30000);
      } finally {
        await program.stop();
        await server.close();
      }
    });
  }
});
