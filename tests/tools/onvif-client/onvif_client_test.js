// A real ONVIF client (the npm package "onvif", pinned in package-lock.json) against "imagetune-sim serve" on
// 127.0.0.1: its own calls for the imaging service, each change checked through the JSON API, and the other way
// round; then a server that asks for WS-Security, with wrong and right credentials.
// Usage: node onvif_client_test.js <imagetune-sim>. Exit 77 (skipped) when the package is not installed.
'use strict';

const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

let onvif;
try {
  onvif = require('onvif');
} catch (e) {
  console.log('skipped: the npm package onvif is not installed (scripts/setup.sh runs npm ci)');
  process.exit(77);
}

const tool = process.argv[2];
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'imagetune-onvif-client-'));
const servers = [];

// Starts serve and resolves with its port, from the banner on standard error.
function startServe(name, words) {
  return new Promise((resolve, reject) => {
    const child = childProcess.spawn(tool, ['--root', path.join(work, name), '--quiet', 'serve', '--port', '0', ...words],
                                     {stdio: ['ignore', 'ignore', 'pipe']});
    let log = '';
    child.ended = new Promise((done) => child.on('exit', (code, signal) => done({code, signal, log})));
    servers.push(child);
    const timer = setTimeout(() => reject(new Error('serve did not start: ' + log)), 60000);
    child.stderr.on('data', (chunk) => {
      log += chunk;
      child.log = log;
      const m = /on http:\/\/127\.0\.0\.1:(\d+)\/.*Ctrl-C/.exec(log);
      if (m) {
        clearTimeout(timer);
        resolve(Number(m[1]));
      }
    });
    child.on('exit', (code) => reject(new Error('serve ended with ' + code + ': ' + log)));
  });
}

function api(port, method, route, body) {
  return new Promise((resolve, reject) => {
    const text = body === undefined ? '' : JSON.stringify(body);
    const req = http.request({host: '127.0.0.1', port, method, path: route,
                              headers: {'Content-Type': 'application/json', 'Content-Length': Buffer.byteLength(text)}},
                             (res) => {
                               let data = '';
                               res.on('data', (c) => { data += c; });
                               res.on('end', () => resolve({status: res.statusCode, body: JSON.parse(data)}));
                             });
    req.on('error', reject);
    req.end(text);
  });
}

async function keyValue(port, key) {
  const answer = await api(port, 'GET', '/api/channels/1/values');
  const pair = answer.body.values.find((p) => p.key === key);
  assert.ok(pair, 'key ' + key + ' among the values');
  return pair.value;
}

function connect(port, username, password) {
  return new Promise((resolve, reject) => {
    const cam = new onvif.Cam({hostname: '127.0.0.1', port, username, password, timeout: 20000, autoconnect: false});
    cam.connect((err) => (err ? reject(err) : resolve(cam)));
  });
}

// A call of the client's own API as a promise: resolves with its data, rejects with its error.
function call(cam, method, ...args) {
  return new Promise((resolve, reject) => {
    cam[method](...args, (err, data) => (err ? reject(err) : resolve(data)));
  });
}

async function imagingThroughTheClient() {
  const port = await startServe('plain', []);
  const cam = await connect(port);
  assert.strictEqual(cam.activeSource.sourceToken, 'VideoSource_1');

  const caps = await call(cam, 'getImagingServiceCapabilities');
  assert.strictEqual(caps.ImageStabilization, true);

  const options = await call(cam, 'getVideoSourceOptions');
  assert.deepStrictEqual(options.brightness, {min: 0, max: 100});
  assert.deepStrictEqual(options.irCutFilterModes, ['ON', 'OFF', 'AUTO']);
  // 1/25 s to 1/10000 s as the simulated IA library lists the longest shutter, in microseconds.
  assert.deepStrictEqual(options.exposure.maxExposureTime, {min: 100, max: 40000});
  assert.strictEqual(options.exposure.minGain, undefined, 'gains have no unit here: not offered');

  let settings = await call(cam, 'getImagingSettings');
  assert.strictEqual(settings.brightness, 50);
  assert.strictEqual(settings.irCutFilter, 'AUTO');

  await call(cam, 'setImagingSettings', {brightness: 70, colorSaturation: 40, irCutFilter: 'OFF',
                                         exposure: {maxExposureTime: 10000}});
  const want = {34: 70, 2337: 40, 144: 2, 49: 100};
  for (const key of Object.keys(want)) assert.strictEqual(await keyValue(port, Number(key)), want[key], 'key ' + key);
  assert.strictEqual(await keyValue(port, 16), 0, 'an Exposure without Mode keeps the mode');

  // Refused whole: the contrast is out of range, so the brightness stays.
  await assert.rejects(call(cam, 'setImagingSettings', {brightness: 80, contrast: 500}), /Contrast|outside/);
  assert.strictEqual(await keyValue(port, 34), 70);
  assert.strictEqual(await keyValue(port, 2353), 50);

  // A change through the JSON API shows to the client.
  const written = await api(port, 'POST', '/api/channels/1/parameters', {pairs: [{key: 34, value: 55}]});
  assert.strictEqual(written.status, 200);
  settings = await call(cam, 'getImagingSettings');
  assert.strictEqual(settings.brightness, 55);
  assert.strictEqual(settings.irCutFilter, 'OFF');

  const move = await call(cam, 'imagingGetMoveOptions', {});
  assert.deepStrictEqual(move.absolute.position, {min: 0, max: 4095});
  await call(cam, 'imagingMove', {absolute: {position: 1000}});
  await call(cam, 'imagingMove', {relative: {distance: 100}});
  let status = await call(cam, 'imagingGetStatus', {});
  assert.strictEqual(status.focusStatus20.position, 1100);
  assert.strictEqual(status.focusStatus20.moveStatus, 'IDLE');
  await call(cam, 'imagingStop', {});
  await assert.rejects(call(cam, 'imagingMove', {continuous: {speed: 1}}), /continuous/);
}

// --require-auth without a user is a mistake on the command line: serve does not start.
function refusedWithoutAUser() {
  return new Promise((resolve) => {
    const env = Object.assign({}, process.env);
    delete env.IMAGETUNE_ONVIF_USER;
    delete env.IMAGETUNE_ONVIF_PASSWORD;
    const child = childProcess.spawn(tool, ['--root', path.join(work, 'nouser'), '--quiet', 'serve', '--port', '0',
                                            '--require-auth'], {stdio: ['ignore', 'ignore', 'pipe'], env});
    let log = '';
    child.stderr.on('data', (chunk) => { log += chunk; });
    child.on('exit', (code) => {
      assert.strictEqual(code, 2, log);
      assert.match(log, /IMAGETUNE_ONVIF_USER/);
      resolve();
    });
  });
}

async function credentialsAreChecked() {
  await refusedWithoutAUser();
  const file = path.join(work, 'onvif-user');
  fs.writeFileSync(file, 'admin:s3cret\n', {mode: 0o600});
  const port = await startServe('auth', ['--require-auth', '--onvif-credentials', file]);
  await assert.rejects(connect(port, 'admin', 'wrong'));
  await assert.rejects(connect(port, 'intruder', 's3cret'));
  const cam = await connect(port, 'admin', 's3cret');
  const settings = await call(cam, 'getImagingSettings');
  assert.strictEqual(settings.brightness, 50);
}

(async () => {
  try {
    await imagingThroughTheClient();
    await credentialsAreChecked();
    console.log('onvif client: all checks passed');
    process.exitCode = 0;
  } catch (e) {
    console.error(e);
    process.exitCode = 1;
  } finally {
    // serve ends with status 0 on SIGTERM; a sanitizer's report at exit would end it otherwise.
    for (const child of servers) {
      child.kill('SIGTERM');
      const end = await child.ended;
      if (end.code !== 0) {
        console.error('serve ended with ' + (end.signal || end.code) + ':\n' + (child.log || ''));
        process.exitCode = 1;
      }
    }
    fs.rmSync(work, {recursive: true, force: true});
  }
})();
