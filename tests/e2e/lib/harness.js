'use strict';
// Drives anchordesk.exe under Wine from Linux, as the site's page does: a
// fresh copy of the staged program folder per program, a real TLS WebSocket
// client on 127.0.0.1:23233, the simulated SDK's call trace, the program's
// log and its standard error stream.

const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const WebSocket = require('ws');

const repoDir = path.resolve(__dirname, '../../..');
const buildDir = process.env.ANCHORDESK_BUILD_DIR || path.join(repoDir, 'build');
const stagedDir = path.join(buildDir, 'run');
const wineRun = path.join(repoDir, 'scripts', 'wine-run.sh');
const URL = 'wss://127.0.0.1:23233/';

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// `promise`, or a rejection naming `what` once `ms` have passed. The timer is
// cleared either way, so that it never keeps the test process waiting.
function withTimeout(promise, ms, what) {
  let timer;
  const expiry = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(`timed out after ${ms} ms: ${what}`)), ms);
  });
  return Promise.race([promise, expiry]).finally(() => clearTimeout(timer));
}

// Polls `check` until it returns a truthy value or `ms` have passed.
async function waitFor(what, check, ms = 30000) {
  const end = Date.now() + ms;
  for (;;) {
    const value = await check();
    if (value) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}

// The exact text of an outbound envelope.
function envelope(code, operate, msg, uid) {
  return `{\n   "code" : ${code},\n   "msg" : "${msg}",\n   "operate" : ${operate},\n   "uid" : ${uid}\n}\n`;
}

// A program folder of its own: a copy of build/run without what earlier runs
// left there (log, trace, conf.ini).
function prepareFolder(name, { omit = [], files = {} } = {}) {
  if (!fs.existsSync(path.join(stagedDir, 'anchordesk.exe'))) {
    throw new Error(`${stagedDir} is not staged: run 'make stage' (CTest does it in e2e_stage)`);
  }
  const folder = path.join(buildDir, 'test-work', 'e2e', name);
  fs.rmSync(folder, { recursive: true, force: true });
  fs.mkdirSync(folder, { recursive: true });
  for (const entry of fs.readdirSync(stagedDir)) {
    if (['log.txt', 'conf.ini', 'download'].includes(entry) || omit.includes(entry)) continue;
    if (entry.endsWith('.jsonl')) continue;
    fs.cpSync(path.join(stagedDir, entry), path.join(folder, entry), { recursive: true });
  }
  for (const [file, text] of Object.entries(files)) fs.writeFileSync(path.join(folder, file), text);
  return folder;
}

// Every program still running when this process ends, for whatever reason,
// is stopped with it.
const running = new Set();
function killRunning() {
  for (const pid of running) {
    try {
      process.kill(-pid, 'SIGKILL');
    } catch {}
  }
  running.clear();
}
process.on('exit', killRunning);
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
  process.on(signal, () => {
    killRunning();
    process.exit(128 + require('node:os').constants.signals[signal]);
  });
}

class Program {
  constructor(folder) {
    this.folder = folder;
    this.tracePath = path.join(folder, 'sdk-trace.jsonl');
    this.stderr = '';
    this.stdout = '';
    this.exited = null;
  }

  // Starts anchordesk.exe in its folder, in a process group of its own.
  start() {
    this.child = spawn(wineRun, ['anchordesk.exe'], {
      cwd: this.folder,
      detached: true,
      stdio: ['ignore', 'pipe', 'pipe'],
      env: {
        ...process.env,
        WINEPREFIX: process.env.WINEPREFIX || path.join(buildDir, 'wineprefix'),
        LIVESDK_TRACE: this.tracePath,
      },
    });
    this.child.stdout.on('data', (d) => (this.stdout += d.toString('latin1')));
    this.child.stderr.on('data', (d) => (this.stderr += d.toString('latin1')));
    running.add(this.child.pid);
    this.exitPromise = new Promise((resolve) =>
      this.child.on('exit', (code, signal) => {
        this.exited = { code, signal };
        resolve(this.exited);
      }));
    return this;
  }

  get pid() {
    return this.child.pid;
  }

  alive() {
    return this.exited === null;
  }

  // log.txt as Latin-1 text: GBK bytes stay recognisable byte for byte.
  log() {
    try {
      return fs.readFileSync(path.join(this.folder, 'log.txt')).toString('latin1');
    } catch {
      return '';
    }
  }

  // Resolves once the server thread has finished its set-up (listening or
  // failed). Fails early when the port belongs to another process.
  async waitForServer(ms = 60000) {
    const outcome = await waitFor('the web bridge to start', () => {
      if (!this.alive()) throw new Error(`anchordesk ended early: ${JSON.stringify(this.exited)}\n${this.stderr}`);
      const log = this.log();
      if (log.includes('listening on wss://127.0.0.1:23233')) return 'listening';
      if (log.includes('no web bridge:')) return 'failed';
      return null;
    }, ms);
    if (outcome === 'failed' && /bind:/.test(this.log())) {
      throw new Error('port 23233 is taken by another process; stop it and run again');
    }
    return outcome;
  }

  // Resolves once the SDK has been started (its last start-up call is in
  // the trace).
  async waitForSdkStartUp(ms = 60000) {
    await waitFor('the SDK start-up', () => {
      if (!this.alive()) throw new Error(`anchordesk ended early: ${JSON.stringify(this.exited)}\n${this.stderr}`);
      return this.sdkCallNames().includes('StartSoundLevelMonitor');
    }, ms);
  }

  // SDK calls recorded so far, in order: [{call, line}].
  sdkCalls() {
    let text = '';
    try {
      text = fs.readFileSync(this.tracePath, 'latin1');
    } catch {
      return [];
    }
    const calls = [];
    for (const line of text.split('\n')) {
      const match = /"call":"([^"]+)"/.exec(line);
      if (match) calls.push({ call: match[1], line });
    }
    return calls;
  }

  sdkCallNames() {
    return this.sdkCalls().map((c) => c.call);
  }

  // Stops the program and everything it started (Wine, the virtual display)
  // by its process group.
  async stop() {
    if (!this.child || !this.alive()) return;
    try {
      process.kill(-this.child.pid, 'SIGTERM');
    } catch {}
    const result = await withTimeout(this.exitPromise, 5000, 'exit').catch(() => null);
    if (result === null) {
      try {
        process.kill(-this.child.pid, 'SIGKILL');
      } catch {}
      await this.exitPromise;
    }
    // Whatever else of the group is left (the virtual display) goes too.
    try {
      process.kill(-this.child.pid, 'SIGKILL');
    } catch {}
    running.delete(this.child.pid);
  }
}

// Starts a program in a fresh folder and waits for its server and for the
// main window's SDK start-up, which comes after the version check and may
// end after the server listens: a test that marks the trace must not see
// the start-up's calls, and commands sent before it find no controller.
async function startProgram(name, options = {}) {
  const program = new Program(prepareFolder(name, options)).start();
  await program.waitForServer();
  await program.waitForSdkStartUp();
  return program;
}

// One WebSocket connection of a page, with its received messages queued.
class Page {
  constructor(ws) {
    this.ws = ws;
    this.messages = [];
    this.waiters = [];
    this.closed = null;
    this.closedPromise = new Promise((resolve) =>
      ws.on('close', (code, reason) => {
        this.closed = { code, reason: reason.toString() };
        resolve(this.closed);
        for (const w of this.waiters.splice(0)) w.reject(new Error(`connection closed (${code})`));
      }));
    ws.on('message', (data, isBinary) => {
      const message = { text: data.toString('latin1'), isBinary };
      const waiter = this.waiters.shift();
      if (waiter) waiter.resolve(message);
      else this.messages.push(message);
    });
    ws.on('error', () => {});
  }

  send(data, options) {
    this.ws.send(data, options);
  }

  // The next received message, as {text, isBinary}.
  next(ms = 15000) {
    if (this.messages.length) return Promise.resolve(this.messages.shift());
    if (this.closed) return Promise.reject(new Error(`connection closed (${this.closed.code})`));
    let waiter;
    const message = new Promise((resolve, reject) => {
      waiter = { resolve, reject };
      this.waiters.push(waiter);
    });
    return withTimeout(message, ms, 'the next message').finally(() => {
      const i = this.waiters.indexOf(waiter);
      if (i >= 0) this.waiters.splice(i, 1);
    });
  }

  async request(data, options) {
    this.send(data, options);
    return (await this.next()).text;
  }

  waitClosed(ms = 15000) {
    return withTimeout(this.closedPromise, ms, 'the connection to close');
  }

  close() {
    this.ws.close(1000);
    return this.waitClosed();
  }
}

function clientOptions(folder, extra = {}) {
  return { ca: fs.readFileSync(path.join(folder, 'plugin.pem')), perMessageDeflate: true, ...extra };
}

// Opens a connection; resolves with the Page once the upgrade is done, and
// with {statusCode, headers} when the server answers the upgrade otherwise.
function connect(program, extra = {}) {
  return new Promise((resolve, reject) => {
    const ws = new WebSocket(URL, clientOptions(program.folder, extra));
    let upgradeHeaders = null;
    ws.on('upgrade', (response) => (upgradeHeaders = response.headers));
    ws.once('open', () => {
      const page = new Page(ws);
      page.upgradeHeaders = upgradeHeaders;
      resolve(page);
    });
    ws.once('unexpected-response', (request, response) => {
      response.resume();
      resolve({ statusCode: response.statusCode, headers: response.headers });
      request.destroy();
    });
    ws.once('error', reject);
  });
}

module.exports = {
  assert,
  buildDir,
  connect,
  envelope,
  Page,
  prepareFolder,
  Program,
  sleep,
  startProgram,
  stagedDir,
  waitFor,
  withTimeout,
  URL,
};
