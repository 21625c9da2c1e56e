// harness.js: what the page's browser tests share: a kiv-host run whose
// gateway they talk to, headless Chromium (Debian's, driven by
// playwright-core), axe-core checks and artefacts. Every wait is bounded.
import { spawn } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const CHROMIUM = '/usr/bin/chromium';
export const SKIP = 77;
const here = path.dirname(fileURLToPath(import.meta.url));
export const SOURCE = path.resolve(here, '../..');
export const HOST = process.env.KIV_HOST || path.join(SOURCE, 'build/kiv-host');
export const ARTEFACTS = process.env.KIV_WEB_ARTEFACTS || path.join(path.dirname(HOST), 'web-artefacts');
const WAIT_MS = 60_000;

/// Ends the process with the skip code when the browser cannot be had.
export async function loadPlaywright() {
  if (!existsSync(CHROMIUM)) {
    console.log(`skipped: ${CHROMIUM} is not installed (scripts/bootstrap-web installs it)`);
    process.exit(SKIP);
  }
  try {
    return await import('playwright-core');
  } catch {
    console.log('skipped: playwright-core is not installed (npm ci in tests/web)');
    process.exit(SKIP);
  }
}

/// A kiv-host process: its output lines, and waits for a line to appear.
export class HostRun {
  constructor(args) {
    this.lines = [];
    this.waiters = [];
    this.child = spawn(HOST, args, { stdio: ['ignore', 'pipe', 'pipe'] });
    this.exited = new Promise((resolve) => this.child.on('exit', (code, signal) => resolve({ code, signal })));
    let rest = '';
    const take = (chunk) => {
      rest += chunk;
      const parts = rest.split('\n');
      rest = parts.pop();
      for (const line of parts) this.add(line);
    };
    this.child.stdout.setEncoding('utf8').on('data', take);
    this.child.stderr.setEncoding('utf8').on('data', (chunk) => process.stderr.write(chunk));
  }

  add(line) {
    this.lines.push(line);
    this.waiters = this.waiters.filter(({ pattern, resolve }) => {
      const match = pattern.exec(line);
      if (match) resolve(match);
      return !match;
    });
  }

  /// The first line matching `pattern` (seen already or to come).
  line(pattern, timeout = WAIT_MS) {
    for (const line of this.lines) {
      const match = pattern.exec(line);
      if (match) return Promise.resolve(match);
    }
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`kiv-host printed no line like ${pattern} in ${timeout} ms`)), timeout);
      this.waiters.push({ pattern, resolve: (match) => { clearTimeout(timer); resolve(match); } });
    });
  }

  /// The gateway's URL with the token, as printed.
  async url() {
    return (await this.line(/^gateway: (http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]+)$/))[1];
  }

  /// Interrupts the run and returns its exit status (bounded).
  async stop() {
    this.child.kill('SIGINT');
    const timer = setTimeout(() => this.child.kill('SIGKILL'), 15_000);
    const end = await this.exited;
    clearTimeout(timer);
    return end;
  }
}

/// Headless Chromium with a fresh profile; close() removes the profile.
export async function launchBrowser(playwright) {
  const profile = mkdtempSync(path.join(tmpdir(), 'kiv-web-profile-'));
  const context = await playwright.chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 1400, height: 1000 },
  });
  context.setDefaultTimeout(WAIT_MS);
  return {
    context,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

/// Serious and critical axe-core violations of the page as it is now.
export async function axeViolations(page) {
  await page.addScriptTag({ path: path.join(here, 'node_modules/axe-core/axe.min.js') });
  const result = await page.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  return result.violations
    .filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).slice(0, 3).join(', ')}`);
}

export function artefact(name) {
  mkdirSync(ARTEFACTS, { recursive: true });
  return path.join(ARTEFACTS, name);
}

/// The matches every bracket SVG shows: [{bracket, title, status, sides:
/// [name, name], winner}] with the winner's name ('' while open).
export async function bracketMatches(page) {
  return page.evaluate(() => [...document.querySelectorAll('svg.bracket g.match')].map((g) => {
    const sides = [...g.querySelectorAll('g.side')].map((side) => side.dataset.name);
    const winnerSide = g.querySelector('g.side.winner');
    return {
      bracket: g.closest('svg').dataset.bracketId,
      title: g.dataset.title,
      status: g.dataset.status,
      sides,
      winner: winnerSide ? winnerSide.dataset.name : '',
    };
  }));
}

/// The closing table's matches of a scenario's output:
/// [{title, sides: [name, name], winner}] (names without their tags).
export function finalTableMatches(lines) {
  const found = [];
  const pattern = /^ {2}([WL]\d+\.\d+)\s+(.+?) \(\w+\)\s+v (.+?) \(\w+\)\s+-> (.+?)(?: \(\w+\))?$/;
  for (const line of lines) {
    const match = pattern.exec(line);
    if (match) found.push({ title: match[1], sides: [match[2], match[3]], winner: match[4] === '(open)' ? '' : match[4] });
  }
  return found;
}
