'use strict';
// The simulated SDK as the streaming tests see it: a script of outcomes
// written into the program's folder, and the trace read back as records.

const fs = require('node:fs');
const path = require('node:path');
const { Program, prepareFolder, waitFor } = require('./harness');

// The SDK reads its script at InitSDK from the file this names, relative to
// the program's folder. Every folder started here gets one (an empty script
// changes nothing).
const SCRIPT_FILE = 'sdk-script.json';
process.env.LIVESDK_SCRIPT = SCRIPT_FILE;

// A program in a fresh folder with `script` (an object) and `files`.
async function startWithScript(name, script = {}, files = {}) {
  const folder = prepareFolder(name, { files: { [SCRIPT_FILE]: JSON.stringify(script), ...files } });
  return startIn(folder);
}

// A program in an existing folder (a second run keeps conf.ini); the trace of
// an earlier run is set aside, so that records start again from the top.
async function startIn(folder) {
  const program = new Program(folder);
  if (fs.existsSync(program.tracePath)) fs.renameSync(program.tracePath, `${program.tracePath}.${Date.now()}`);
  program.start();
  await program.waitForServer();
  await program.waitForSdkStartUp();
  return program;
}

// Every whole trace line as an object. Texts are byte strings: each code
// point below 256 is one byte, as the SDK wrote it.
function trace(program) {
  let text = '';
  try {
    text = fs.readFileSync(program.tracePath, 'latin1');
  } catch {
    return [];
  }
  const records = [];
  for (const line of text.split('\n')) {
    if (!line.trim()) continue;
    try {
      records.push(JSON.parse(line));
    } catch {
      // a line still being written
    }
  }
  return records;
}

// Calls only, as {call, args, result}.
function calls(program, since = 0) {
  return trace(program).filter((r) => r.call).slice(since);
}

function callCount(program) {
  return calls(program).length;
}

// Waits for a trace record that `match` accepts among those after `since`
// (a count of records); resolves with it.
function waitForRecord(program, what, match, since = 0, ms = 30000) {
  return waitFor(what, () => trace(program).slice(since).find(match), ms);
}

// The program's log decoded from GBK, so that Chinese text can be searched.
function logText(program) {
  try {
    return new TextDecoder('gbk').decode(fs.readFileSync(path.join(program.folder, 'log.txt')));
  } catch {
    return '';
  }
}

// The page's next message as {code, operate, msg, uid}.
async function nextReply(page, ms = 30000) {
  return JSON.parse((await page.next(ms)).text);
}

function reply(code, operate, msg, uid) {
  return { code, msg, operate, uid };
}

module.exports = { calls, callCount, logText, nextReply, reply, SCRIPT_FILE, startIn, startWithScript, trace, waitForRecord };
