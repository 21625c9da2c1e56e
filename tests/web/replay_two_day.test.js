// A recording of the two-day scenario, replayed by the page without the
// plugin: held live at 2h (day one's bracket in play) the page shows a
// bracket; the recording replayed to that moment must show the same one.
// Holding and serving must not change the run: its closing table and exit
// status are those of the scenario run alone.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { after, before, test } from 'node:test';
import path from 'node:path';
import { HOST, HostRun, SOURCE, artefact, axeViolations, bracketMatches, launchBrowser, loadPlaywright } from './harness.js';

const playwright = await loadPlaywright();
const recording = artefact('two-day.jsonl');
let run;
let browser;

before(async () => {
  run = new HostRun(['--scenario', path.join(SOURCE, 'scenarios/two-day-tournament.yaml'), '--virtual', '--serve',
    '--hold-at', '2h', '--record', recording]);
  browser = await launchBrowser(playwright);
});

after(async () => {
  await browser?.close();
  if (run && run.child.exitCode === null) await run.stop();
});

test('replaying to a moment shows the bracket the live run showed then', async () => {
  const url = await run.url();
  await run.line(/held; POST \/clock\/resume to go on/);
  const live = await browser.context.newPage();
  await live.goto(url);
  await live.locator('body[data-state="live"]').waitFor();
  await live.locator('svg.bracket g.match').first().waitFor();
  const atHold = await bracketMatches(live);
  assert.ok(atHold.some((m) => m.winner) && atHold.some((m) => !m.winner), 'the bracket is in play at the hold');
  await live.locator('#resume').click();
  await run.line(/^scenario over; serving until interrupted$/);
  await live.close();

  // The hold's moment, as the recording has it.
  const records = readFileSync(recording, 'utf8').trim().split('\n').map((line) => JSON.parse(line));
  assert.equal(records[0].kind, 'start');
  assert.equal(records[0].version, 1);
  const held = records.find((r) => r.kind === 'scenario' && r.line.startsWith('held;'));
  assert.ok(held, 'the recording has the hold');
  assert.ok(records.some((r) => r.kind === 'step'), 'the recording has the steps');
  assert.ok(records.some((r) => r.kind === 'request' && r.url.includes('/stateInfo')), 'the recording has the page\'s requests');

  const page = await browser.context.newPage();
  await page.goto(`${url}&replay=${encodeURIComponent(recording)}`);
  await page.locator('body[data-state="replaying"]').waitFor();
  const start = records[0].t;
  await page.locator('#replay-time').fill(String(Math.round((held.t - start) / 1000)));
  await page.waitForFunction((t) => window.kivPage.replay().time === t, held.t);
  await page.locator('svg.bracket g.match').first().waitFor();
  assert.deepEqual(await bracketMatches(page), atHold);
  assert.deepEqual(await axeViolations(page), [], 'axe, replay mid-way');
  await page.screenshot({ path: artefact('two-day-midway-replay.png'), fullPage: true });

  // Play and pause move the moment forward.
  await page.locator('#replay-speed').selectOption('3600');
  await page.locator('#replay-play').click();
  await page.waitForFunction((t) => window.kivPage.replay().time > t, held.t);
  await page.locator('#replay-play').click();
  assert.equal(await page.locator('#replay-play').innerText(), 'Play');

  // The file picker: a recording of a later version is refused with a
  // message; the run's own recording replays from its start.
  const later = JSON.stringify({ ...records[0], version: 2 }) + '\n';
  await page.locator('#replay-file').setInputFiles({ name: 'later.jsonl', mimeType: 'application/x-ndjson', buffer: Buffer.from(later) });
  await page.locator('#replay-message', { hasText: 'version 2' }).waitFor();
  await page.locator('#replay-file').setInputFiles(recording);
  await page.locator('#replay-message', { hasText: 'Replaying two-day.jsonl' }).waitFor();
  assert.equal(await page.evaluate(() => window.kivPage.replay().time), start);
  await page.close();

  // Holding, serving and recording leave the run as it is: the same closing
  // table and verdict as the scenario run alone.
  const end = await run.stop();
  const alone = spawnSync(HOST, ['--scenario', path.join(SOURCE, 'scenarios/two-day-tournament.yaml'), '--virtual'],
    { encoding: 'utf8', timeout: 120_000 });
  const closing = (lines) => lines.slice(lines.findIndex((line) => line.startsWith('== ')));
  assert.deepEqual(closing(run.lines.filter((line) => !line.startsWith('scenario over'))),
    closing(alone.stdout.trimEnd().split('\n')));
  assert.equal(end.code, alone.status, `the verdict of the run alone: ${alone.stdout.split('\n').filter((l) => l.includes('FAILED')).join('; ')}`);
});
