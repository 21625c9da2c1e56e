// The page against a live quick cup in virtual time, held at 2m (the
// player's roster is pending and full) so the page can act before the cup
// is played out: refusal without the token, a rename from the page, then the
// whole cup, checked against the stand-in service's closing table.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import path from 'node:path';
import {
  HostRun, SOURCE, artefact, axeViolations, bracketMatches, finalTableMatches, launchBrowser, loadPlaywright,
} from './harness.js';

const playwright = await loadPlaywright();
let run;
let browser;
let url;

before(async () => {
  run = new HostRun(['--scenario', path.join(SOURCE, 'scenarios/quick-cup.yaml'), '--virtual', '--serve',
    '--hold-at', '2m', '--record', artefact('quick-cup.jsonl')]);
  url = await run.url();
  await run.line(/held; POST \/clock\/resume to go on/);
  browser = await launchBrowser(playwright);
});

after(async () => {
  await browser?.close();
  if (run && run.child.exitCode === null) await run.stop();
});

test('without the token the page refuses and shows no data', async () => {
  const page = await browser.context.newPage();
  for (const target of [url.replace(/\?token=.*/, ''), url.replace(/token=[0-9a-f]+/, 'token=0000')]) {
    await page.goto(target);
    await page.locator('body[data-state="refused"]').waitFor();
    assert.equal(await page.locator('#refusal').isVisible(), true);
    assert.match(await page.locator('#refusal').innerText(), /Access refused/);
    assert.equal(await page.locator('[data-tournament-id]').count(), 0);
    assert.equal(await page.locator('svg.bracket').count(), 0);
  }
  await page.close();
});

test('the live quick cup: rename from the page, timeline, bracket against the service', async () => {
  const page = await browser.context.newPage();
  await page.goto(url);
  await page.locator('body[data-state="live"]').waitFor();
  await page.locator('.roster-name', { hasText: 'Your Roster' }).waitFor();
  assert.deepEqual(await axeViolations(page), [], 'axe, live page at the hold');

  // The rename goes through the page's own form.
  const form = page.locator('form[data-command="change-name"]');
  await form.getByLabel('New name').fill('Renamed Roster');
  await form.getByRole('button').click();
  await page.locator('#cmd-change-name-answer[data-state="done"]').waitFor();
  await page.locator('.roster-name', { hasText: 'Renamed Roster' }).waitFor();

  // A refused command shows its code and message.
  await page.locator('form[data-command="kick"]').getByLabel('Player id').fill('999');
  await page.locator('form[data-command="kick"]').getByRole('button').click();
  await page.locator('#cmd-kick-answer[data-state="failed"]').waitFor();
  assert.match(await page.locator('#cmd-kick-answer').innerText(), /^✗?\s*Failed, 404: NOT_MEMBER/);

  // The cup plays out; the page follows it live.
  await page.locator('#resume').click();
  await run.line(/^scenario over; serving until interrupted$/);
  await page.locator('[data-tournament-id="1"] td[data-state="RESULTS"]').waitFor();
  const table = finalTableMatches(run.lines);
  assert.equal(table.length, 6, `the service's closing table: ${run.lines.join('\n')}`);
  await page.waitForFunction((count) => document.querySelectorAll('svg.bracket g.match[data-winner]:not([data-winner=""])').length >= count, table.length);

  const shown = (await bracketMatches(page)).filter((m) => m.sides.every(Boolean));
  const key = (m) => m.title;
  assert.deepEqual(shown.map((m) => ({ title: m.title, sides: m.sides, winner: m.winner })).sort((a, b) => key(a).localeCompare(key(b))),
    table.sort((a, b) => key(a).localeCompare(key(b))));
  const rosters = new Set(shown.flatMap((m) => m.sides));
  assert.equal(rosters.size, 4);
  assert.ok(rosters.has('Renamed Roster'), 'the renamed roster is in the bracket');
  assert.deepEqual(shown.filter((m) => m.title.startsWith('L')).map((m) => m.title).sort(), ['L1.1', 'L2.1']);
  assert.deepEqual(shown.filter((m) => m.title.startsWith('W')).map((m) => m.title).sort(), ['W1.1', 'W1.2', 'W2.1', 'W3.1']);

  const states = await page.locator('ol.timeline li[data-tournament-id="1"]').evaluateAll((items) => items.map((li) => li.dataset.state));
  const order = ['IDLE', 'LOCK_IN', 'SCOUTING', 'IN_GAME', 'RESULTS'];
  let next = 0;
  for (const state of states) if (state === order[next]) next++;
  assert.equal(next, order.length, `the timeline passes the five states in order: ${states.join(' ')}`);

  assert.deepEqual(await axeViolations(page), [], 'axe, live page at the end');
  // 200% zoom of the 1400-pixel window: the page wraps, only the bracket's
  // own box scrolls sideways.
  await page.setViewportSize({ width: 700, height: 1000 });
  assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
    'no sideways scrolling at 200% zoom');
  await page.setViewportSize({ width: 1400, height: 1000 });
  await page.screenshot({ path: artefact('quick-cup-end.png'), fullPage: true });
  await page.close();

  assert.match(run.lines.find((line) => /steps, \d+ failed$/.test(line)) || '', / 0 failed$/);
  const end = await run.stop();
  assert.equal(end.code, 0, 'the scenario passed every step');
});
