'use strict';
// Solo broadcasting from the page's command to the page's report: SDK
// start-up, login with devices chosen by their Chinese names, publishing with
// the CDN target, stop and restart, and the scripted failures of publishing
// and of the login. The SDK calls are checked in its trace.
const { test, before, after } = require('node:test');
const { assert, connect, waitFor } = require('./lib/harness');
const { calls, callCount, logText, nextReply, reply, startWithScript, trace, waitForRecord } = require('./lib/sdk');

const script = {
  microphones: [
    { id: 'mic-usb', name: '麦克风 (USB Audio)' },
    { id: 'mic-a', name: '内置麦克风' },
    { id: 'mic-b', name: '内置麦克风' }, // same name: the first one counts
  ],
  cameras: [
    { id: 'cam-0', name: '集成摄像头' },
    { id: 'cam-1', name: '高清摄像头 HD' },
    { id: 'cam-th', name: 'กล้อง' }, // not in GBK
  ],
  // Publishes of the solo stream: two go through, the third fails.
  publishState: { '1001_1001': [0, 0, 1005, 0] },
  // The fourth login fails.
  loginError: [0, 0, 0, 1002, 0],
};

const login = {
  code: 1,
  vedioparm: { devicename: '高清摄像头 HD', frame: 20, bit: 1500, width: 640, height: 360, islianmai: false },
  audioparm: { devicename: '内置麦克风' },
  serparm: { siteid: 'ChanNorth', channel: 'c1', uid: 1001, stream: 's1', pushsecret: 'k1' },
};

let program;
let page;
before(async () => {
  program = await startWithScript('streaming', script);
  page = await connect(program);
});
after(async () => {
  await page?.close().catch(() => {});
  await program?.stop();
});

function names(list) {
  return list.map((c) => c.call);
}

// What onStartPush asks of the SDK for a solo stream, from the video
// parameters to StartPublishing.
function assertSoloPush(list, url) {
  assert.deepEqual(names(list), [
    'SetVideoFPS', 'SetVideoBitrate', 'SetVideoCaptureResolution', 'SetVideoEncodeResolution',
    'SetPreviewView', 'SetPreviewViewMode', 'StartPreview', 'EnableMixSystemPlayout',
    'SetCDNPublishTarget', 'StartPublishing',
  ]);
  assert.deepEqual(list[0].args, { fps: 20, channel: 0 });
  assert.deepEqual(list[1].args, { bitrate: 1500000, channel: 0 });
  assert.deepEqual(list[2].args, { width: 640, height: 360, channel: 0 });
  assert.deepEqual(list[3].args, { width: 640, height: 360, channel: 0 });
  assert.deepEqual(list[4].args, { view: null, channel: 0 });
  assert.deepEqual(list[5].args, { mode: 0, channel: 0 });
  assert.deepEqual(list[6].args, { channel: 0 });
  assert.deepEqual(list[7].args, { enable: true });
  assert.deepEqual(list[8].args, { url, channel: 0 });
  assert.deepEqual(list[9].args, { title: '1001', streamID: '1001_1001', flag: 4, params: '' });
}

// The login part of LoginLive: user, devices, room.
function assertLogin(list) {
  assert.deepEqual(names(list), ['SetUser', 'SetAudioDevice', 'SetVideoDevice', 'LoginRoom']);
  assert.deepEqual(list[0].args, { userID: '1001', userName: '1001' });
  assert.deepEqual(list[1].args, { deviceType: 0, deviceID: 'mic-a' });
  assert.deepEqual(list[2].args, { deviceID: 'cam-1', channel: 0 });
  assert.deepEqual(list[3].args, { roomID: '1001', role: 1, roomName: '1001' });
  for (const call of list) assert.equal(call.result, true, call.call);
}

test('start-up: options, callbacks, InitSDK, both device lists handed back, sound level; names logged in GBK', () => {
  const list = calls(program);
  const startUp = list.slice(0, 19);
  assert.deepEqual(names(startUp), [
    'SetLogDir', 'SetUseTestEnv', 'EnableExternalRender',
    'SetLivePublisherCallback', 'SetLivePlayerCallback', 'SetRoomCallback', 'SetIMCallback',
    'SetDeviceStateCallback', 'SetExternalRenderCallback', 'SetVideoRenderCallback', 'SetMixStreamExCallback',
    'SetConfig', 'InitSDK', 'GetAudioDeviceList', 'FreeDeviceList', 'GetVideoDeviceList', 'FreeDeviceList',
    'SetSoundLevelMonitorCycle', 'StartSoundLevelMonitor',
  ]);
  assert.deepEqual(startUp[0].args, { logDir: null, logFileName: null });
  assert.deepEqual(startUp[1].args, { testEnv: false });
  assert.deepEqual(startUp[2].args, { enable: true, type: 0 });
  // One sink behind all eight interfaces.
  assert.ok(startUp.slice(3, 11).every((c) => c.args.callback !== null && c.result === true));
  assert.match(startUp[11].args.config, /^init_domain_name=\S+$/);
  assert.equal(startUp[12].args.signatureSize, 32);
  assert.equal(startUp[12].args.signature.length, 32);
  assert.equal(startUp[12].result, true);
  assert.deepEqual(startUp[13].args, { deviceType: 0 });
  assert.equal(startUp[13].result.count, 3);
  assert.deepEqual(startUp[14].args.list, startUp[13].result.list);
  assert.equal(startUp[14].result, true);
  assert.equal(startUp[15].result.count, 3);
  assert.deepEqual(startUp[16].args.list, startUp[15].result.list);
  assert.equal(startUp[16].result, true);
  assert.deepEqual(startUp[17].args, { cycleMs: 200 });

  const log = logText(program);
  const logged = [...log.matchAll(/CLiveLianmai::Enum(Audio|Video)DeviceList\tline:\d+\tinfo:\t(.*) \r\n/g)]
    .map((m) => `${m[1]} ${m[2]}`);
  assert.deepEqual(logged, [
    'Audio 麦克风 (USB Audio)', 'Audio 内置麦克风', 'Audio 内置麦克风',
    'Video 集成摄像头', 'Video 高清摄像头 HD', 'Video ?????',
  ]);
});

test('solo: command 1 logs in with the named devices, publishes with flag 4 and the CDN target, reports code 1', async () => {
  const mark = callCount(program);
  page.send(JSON.stringify(login));
  assert.deepEqual(await nextReply(page), reply(1, 1, '', 0));

  const list = calls(program, mark);
  assertLogin(list.slice(0, 4));
  assertSoloPush(list.slice(4), 'rtmp://ingest1.anchorlive.example/live/c1/s1?pushSecret=k1');
  // The publish came after the login event.
  const records = trace(program);
  const loginEvent = records.findIndex((r) => r.event === 'OnLoginRoom' && r.delivered);
  const fps = records.findIndex((r, i) => i > loginEvent && r.call === 'SetVideoFPS');
  assert.ok(loginEvent >= 0 && fps > loginEvent);
  assert.match(program.log(), /CLiveLianmai::onStartPush\tline:\d+\tinfo:\tm_islianmai   0 pushoutpath     rtmp:\/\/ingest1\.anchorlive\.example\/live\/c1\/s1\?pushSecret=k1\r\n/);
});

test('commands 2 and 3: stop, then restart under a new stream name and secret, reported with code 1', async () => {
  let mark = callCount(program);
  page.send('{"code":2}');
  assert.deepEqual(await nextReply(page), reply(2, 1, '', 0));
  assert.deepEqual(names(calls(program, mark)), ['StopPublishing', 'LogoutRoom']);

  mark = callCount(program);
  page.send('{"code":3,"liveid":"s2","pushsecret":"k2"}');
  assert.deepEqual(await nextReply(page), reply(1, 1, '', 0));
  const list = calls(program, mark);
  assert.deepEqual(names(list.slice(0, 2)), ['StopPublishing', 'LogoutRoom']);
  assertLogin(list.slice(2, 6));
  assertSoloPush(list.slice(6), 'rtmp://ingest1.anchorlive.example/live/c1/s2?pushSecret=k2');
});

test('a failed publish is reported with code 1, operate 0 and the state code; the login stays', async () => {
  const mark = callCount(program);
  // An empty liveid and secret keep those of the login message.
  page.send('{"code":3,"liveid":"","pushsecret":""}');
  assert.deepEqual(await nextReply(page), reply(1, 0, '1005', 0));
  const list = calls(program, mark);
  assert.equal(list.at(-1).call, 'StartPublishing');
  assert.equal(list.at(-2).args.url, 'rtmp://ingest1.anchorlive.example/live/c1/s1?pushSecret=k1');
  // Nothing more happens: no retry, no logout.
  page.send('{"code":50}');
  assert.equal((await nextReply(page)).code, 50);
  assert.deepEqual(names(calls(program, mark + list.length)), []);
});

test('a failed login publishes nothing and reports nothing; the next login goes through', async () => {
  const recordMark = trace(program).length;
  const mark = callCount(program);
  page.send('{"code":3,"liveid":"s4","pushsecret":"k4"}');
  await waitForRecord(program, 'the failed login event',
    (r) => r.event === 'OnLoginRoom' && r.args.errorCode === 1002, recordMark);
  await waitFor('the failed login in the log', () => /OnLoginRoom   errorCode    1002      roomid    1001\r\n/.test(program.log()));

  // Had the failure been taken for a login, its onStartPush would run before
  // that of this next login (the window handles events in order).
  page.send('{"code":3,"liveid":"s5","pushsecret":"k5"}');
  assert.deepEqual(await nextReply(page), reply(1, 1, '', 0));
  const list = names(calls(program, mark));
  assert.equal(list.filter((c) => c === 'SetVideoFPS').length, 1, list.join());
  assert.equal(list.filter((c) => c === 'StartPublishing').length, 1, list.join());
  assert.equal(calls(program, mark).find((c) => c.call === 'SetCDNPublishTarget').args.url,
    'rtmp://ingest1.anchorlive.example/live/c1/s5?pushSecret=k5');
});

test('without microphones and cameras both empty lists are handed back, and a login selects no device', async () => {
  await page.close();
  await program.stop();
  program = await startWithScript('streaming-no-devices', { microphones: [], cameras: [] });
  page = await connect(program);

  const list = calls(program);
  const free = list.filter((c) => c.call === 'FreeDeviceList');
  assert.deepEqual(list.filter((c) => /^Get(Audio|Video)DeviceList$/.test(c.call)).map((c) => c.result.count), [0, 0]);
  assert.equal(free.length, 2);
  assert.ok(free.every((c) => c.result === true));

  const mark = callCount(program);
  page.send(JSON.stringify(login));
  assert.deepEqual(await nextReply(page), reply(1, 1, '', 0));
  assert.deepEqual(names(calls(program, mark)).slice(0, 2), ['SetUser', 'LoginRoom']);
});
