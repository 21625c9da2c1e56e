// replay_bench.js: how fast the tournament page applies recorded events, in
// the same headless Chromium as the browser tests. Records the two-day
// scenario (virtual time), repeats its publications into a recording of
// 10,000 events, then in the page: parses it, applies all of it and draws
// once (openRecording + render), five times; prints the median time and the
// page's JS heap after applying (CDP Runtime.getHeapUsage).
//
//   node bench/web/replay_bench.js [build/kiv-host]
// Needs scripts/bootstrap-web (chromium, tests/web/node_modules).
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { HostRun, SOURCE, launchBrowser, loadPlaywright } from '../../tests/web/harness.js';

const EVENTS = 10_000;
const RUNS = 5;
const host = process.argv[2] || process.env.KIV_HOST || path.join(SOURCE, 'build/kiv-host');
process.env.KIV_HOST = host;
const playwright = await loadPlaywright();

const dir = mkdtempSync(path.join(tmpdir(), 'kiv-replay-bench-'));
const recorded = path.join(dir, 'two-day.jsonl');
// Only the recording matters here: a failed step (status 1) still records the whole run.
const recordedRun = spawnSync(host, ['--scenario', path.join(SOURCE, 'scenarios/two-day-tournament.yaml'), '--virtual',
  '--record', recorded], { stdio: 'ignore' });
if (recordedRun.status !== 0 && recordedRun.status !== 1) throw new Error(`kiv-host ended with ${recordedRun.status ?? recordedRun.signal}`);
const records = readFileSync(recorded, 'utf8').trim().split('\n').map((line) => JSON.parse(line));
const publications = records.filter((r) => r.kind === 'publish');
const span = records.at(-1).t - records[0].t + 1;
const lines = [JSON.stringify(records[0])];
for (let i = 0; i < EVENTS; i++) {
  const source = publications[i % publications.length];
  const lap = Math.floor(i / publications.length);
  lines.push(JSON.stringify({ ...source, t: source.t + lap * span }));
}
const text = lines.join('\n') + '\n';

const run = new HostRun(['--serve']);
const url = await run.url();
const browser = await launchBrowser(playwright);
const page = await browser.context.newPage();
await page.goto(url.replace(/\?token=.*/, ''));  // the page alone: no plugin data
await page.locator('body[data-state="refused"]').waitFor();
const cdp = await browser.context.newCDPSession(page);

const times = [];
const heaps = [];
for (let i = 0; i < RUNS; i++) {
  await cdp.send('HeapProfiler.collectGarbage');
  const ms = await page.evaluate((recording) => {
    const started = performance.now();
    window.kivPage.openRecording(recording, 'bench.jsonl');
    window.kivPage.replay().seek(Infinity);
    window.kivPage.render();
    return performance.now() - started;
  }, text);
  times.push(ms);
  heaps.push((await cdp.send('Runtime.getHeapUsage')).usedSize);
}
await cdp.send('HeapProfiler.collectGarbage');
const kept = (await cdp.send('Runtime.getHeapUsage')).usedSize;
await browser.close();
await run.stop();
rmSync(dir, { recursive: true, force: true });

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mb = (bytes) => (bytes / 1e6).toFixed(1);
console.log(`${EVENTS} events (${publications.length} publications of the two-day scenario, repeated), ` +
  `${(text.length / 1e6).toFixed(1)} MB of recording`);
console.log(`parse, apply and draw: median ${median(times).toFixed(0)} ms (runs: ${times.map((t) => t.toFixed(0)).join(', ')})`);
console.log(`JS heap after applying: median ${mb(median(heaps))} MB, largest ${mb(Math.max(...heaps))} MB; after GC ${mb(kept)} MB`);
