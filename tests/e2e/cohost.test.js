'use strict';
// Co-hosting from the page's commands to the page's reports: the own stream
// published for the mixer, the partner played, the two-input mix and the
// removal of the solo CDN target; a partner that never plays (one-input mix,
// retries, code 7 with operate 0); command 5's stop request; the partner
// number kept in conf.ini and read back by the next run.
const fs = require('node:fs');
const path = require('node:path');
const { test, before, after } = require('node:test');
const { assert, connect, waitFor } = require('./lib/harness');
const { calls, callCount, nextReply, reply, startIn, startWithScript, trace, waitForRecord } = require('./lib/sdk');

// Partner 3003's stream never plays; every other stream does.
const script = { playStates: { '3003_1001': [1003] } };

const login = (islianmai) => JSON.stringify({
  code: 1,
  vedioparm: { devicename: '', frame: 20, bit: 1500, width: 640, height: 480, islianmai },
  audioparm: { devicename: '' },
  serparm: { siteid: 'ChanEast', channel: 'c9', uid: 1001, stream: 's1', pushsecret: 'k1' },
});

const soloUrl = 'rtmp://ingest2.anchorlive.example/live/c9/s1?pushSecret=k1';
const mixUrl = (stream) => `rtmp://ingest2.anchorlive.example/live/1001/${stream}?pushSecret=mk`;

const own = (id) => ({ streamID: id, top: 0, left: 0, bottom: 480, right: 320, soundLevelID: 0, contentControl: 0 });
const peer = (id) => ({ streamID: id, top: 0, left: 320, bottom: 480, right: 640, soundLevelID: 0, contentControl: 0 });

// The mix request record as the SDK decodes it.
function mixConfig(inputs, target) {
  return {
    outputFps: 20, outputRateControlMode: 1, outputBitrate: 1500000, outputQuality: 17, outputAudioBitrate: 0,
    outputWidth: 640, outputHeight: 480, outputAudioConfig: 0,
    inputs, inputCount: inputs ? inputs.length : 0,
    outputs: [{ type: 1, target }], outputCount: 1,
    userData: null, userDataLength: 0, channels: 1, outputBackgroundColor: 0, outputBackgroundImage: null,
    withSoundLevel: false,
  };
}

let program;
let page;
before(async () => {
  program = await startWithScript('cohost', script);
  page = await connect(program);
});
after(async () => {
  await page?.close().catch(() => {});
  await program?.stop();
});

function readConf() {
  try {
    return fs.readFileSync(path.join(program.folder, 'conf.ini'), 'latin1');
  } catch {
    return '';
  }
}

// The next reply that is not one of `skip` (replies a test does not wait for).
async function nextReplyExcept(skip) {
  for (;;) {
    const message = await nextReply(page);
    if (!skip.some((s) => JSON.stringify(s) === JSON.stringify(message))) return message;
  }
}

test('command 4: new login in co-host mode, own stream with flag 2, replies 4 and 7, partner played, two-input mix, solo target removed', async () => {
  page.send(login(false));
  assert.deepEqual(await nextReply(page), reply(1, 1, '', 0));

  const mark = callCount(program);
  page.send('{"code":4,"uid":2002,"liveid":"co1","pushsecret":"mk"}');
  assert.deepEqual(await nextReply(page), reply(4, 1, '', 2002));
  assert.deepEqual(await nextReply(page), reply(7, 1, '', 2002));

  await waitFor('the solo target to go', () => calls(program, mark).some((c) => c.call === 'DeletePublishTarget'));
  const list = calls(program, mark);
  assert.deepEqual(list.map((c) => c.call), [
    'SetViewMode', 'StopPublishing', 'LogoutRoom', 'SetUser', 'LoginRoom',
    'SetVideoFPS', 'SetVideoBitrate', 'SetVideoCaptureResolution', 'SetVideoEncodeResolution',
    'SetPreviewView', 'SetPreviewViewMode', 'StartPreview', 'EnableMixSystemPlayout', 'StartPublishing',
    'StartPlayingStream', 'MixStreamEx', 'DeletePublishTarget',
  ]);
  assert.deepEqual(list[0].args, { mode: 0, streamID: '2002_1001' });
  assert.deepEqual(list[13].args, { title: '1001', streamID: '1001_2002', flag: 2, params: '' });
  assert.deepEqual(list[14].args, { streamID: '2002_1001', view: null, params: null });
  assert.deepEqual(list[15].args, {
    mixStreamID: 'mix_1001_2002',
    config: mixConfig([own('1001_2002'), peer('2002_1001')], mixUrl('co1')),
  });
  // The mix result with output state 1 removed the solo stream's CDN target.
  assert.deepEqual(list[16].args, { url: soloUrl, streamID: '1001_1001' });
  assert.equal(list[16].result, true);

  const log = program.log();
  assert.match(log, /m_islianmai   1 pushoutpath     rtmp:\/\/ingest2\.anchorlive\.example\/live\/c9\/co1\?pushSecret=mk\r\n/);
  assert.ok(log.includes(`CLiveLianmai::StartMixStream\tline:`) && log.includes(`mix    ${mixUrl('co1')}\r\n`));
  assert.match(readConf(), /^\[PKInfo\]\r\nPK=2002\r\n$/);
});

test('a partner that never plays: one-input mix, a retry a second, six plays in all, then code 7 with operate 0', async () => {
  const mark = callCount(program);
  const recordMark = trace(program).length;
  page.send('{"code":4,"uid":3003,"liveid":"co2"}');
  assert.deepEqual(await nextReply(page), reply(4, 1, '', 3003));
  assert.deepEqual(await nextReply(page), reply(7, 1, '', 3003));
  assert.deepEqual(await nextReply(page, 60000), reply(7, 0, '', 3003));

  // The first play and five retries, whatever number of timers ran them.
  const plays = () => calls(program, mark).filter((c) => c.call === 'StartPlayingStream');
  assert.equal(plays().length, 6);
  assert.ok(plays().every((c) => c.args.streamID === '3003_1001'));

  // Every failed play gave a one-input mix of the own stream under the
  // co-host secret, which command 4 did not replace.
  const failures = () => trace(program).slice(recordMark)
    .filter((r) => r.event === 'OnPlayStateUpdate' && r.args.stateCode === 1003).length;
  const singleMixes = () => calls(program, mark)
    .filter((c) => c.call === 'MixStreamEx' && c.args.config.inputCount === 1);
  await waitFor('a one-input mix per failed play', () => failures() > 0 && singleMixes().length === failures());
  for (const mix of singleMixes()) {
    assert.deepEqual(mix.args, { mixStreamID: 'mix_1001_3003', config: mixConfig([own('1001_3003')], mixUrl('co2')) });
  }
  assert.match(program.log(), new RegExp(`onPlayStreamFail    ${mixUrl('co2').replace(/[?.]/g, '\\$&')}\\r\\n`));
  assert.match(readConf(), /PK=3003\r\n/);

  // A while later the timers have all stopped without another play.
  page.send('{"code":50}');
  assert.equal((await nextReplyExcept([reply(7, 0, '', 3003)])).code, 50);
  await new Promise((resolve) => setTimeout(resolve, 2500));
  assert.equal(plays().length, 6);
});

test('command 5: the zero-input request for the mix, then everything stops', async () => {
  const mark = callCount(program);
  page.send('{"code":5}');
  page.send('{"code":50}');
  assert.equal((await nextReplyExcept([reply(7, 0, '', 3003)])).code, 50);
  const list = calls(program, mark);
  assert.deepEqual(list.map((c) => c.call), ['MixStreamEx', 'StopPublishing', 'LogoutRoom']);
  assert.deepEqual(list[0].args, { mixStreamID: 'mix_1001_3003', config: mixConfig(null, mixUrl('co2')) });
  assert.ok(list[0].result > 0);
  assert.match(program.log(), new RegExp(`stopMixStream   ret   ${list[0].result}\\r\\n`));
});

test('after command 2 the next co-host publish is reported with code 1, then 7; the partner plays and is mixed', async () => {
  page.send('{"code":2}');
  assert.deepEqual(await nextReply(page), reply(2, 1, '', 0));
  const mark = callCount(program);
  page.send('{"code":4,"uid":2002,"liveid":"co3"}');
  assert.deepEqual(await nextReply(page), reply(1, 1, '', 0));
  assert.deepEqual(await nextReply(page), reply(7, 1, '', 2002));
  const mix = await waitFor('the two-input mix',
    () => calls(program, mark).find((c) => c.call === 'MixStreamEx' && c.args.config.inputCount === 2));
  assert.deepEqual(mix.args, {
    mixStreamID: 'mix_1001_2002',
    config: mixConfig([own('1001_2002'), peer('2002_1001')], mixUrl('co3')),
  });
  assert.match(readConf(), /^\[PKInfo\]\r\nPK=2002\r\n$/);
});

test('a new run reads the partner from conf.ini for a co-host broadcast started with command 1', async () => {
  await page.close();
  await program.stop();
  program = await startIn(program.folder);
  page = await connect(program);

  const mark = callCount(program);
  page.send(login(true));
  // The first publish of a run is reported as a solo start; no partner was
  // named in this run, so code 7 carries uid 0.
  assert.deepEqual(await nextReply(page), reply(1, 1, '', 0));
  assert.deepEqual(await nextReply(page), reply(7, 1, '', 0));
  const list = calls(program, mark);
  assert.deepEqual(list.find((c) => c.call === 'StartPublishing').args,
    { title: '1001', streamID: '1001_2002', flag: 2, params: '' });
  assert.ok(!list.some((c) => c.call === 'SetCDNPublishTarget'));
  await waitForRecord(program, 'the partner played from the stored number',
    (r) => r.call === 'StartPlayingStream' && r.args.streamID === '2002_1001');
});
