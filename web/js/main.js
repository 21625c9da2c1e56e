// main.js: starts the page. With "?replay=PATH" it replays that recording
// (read through the gateway); with "?token=..." it shows the plugin live;
// with neither it refuses to show data, and still offers the file picker,
// which replays a recording without any plugin. Views are drawn at most
// once per animation frame, after whatever changed the store.
import { Api } from './api.js';
import { h } from './dom.js';
import { startLive } from './live.js';
import { brackets, tournaments } from './model.js';
import { parseRecording } from './recording.js';
import { Replay } from './replay.js';
import { Store } from './store.js';
import { bracketFigure } from './views/bracket.js';
import { Commands, describeAnswer } from './views/commands.js';
import { EventLog } from './views/eventlog.js';
import { ReplayBar } from './views/replaybar.js';
import { renderRoster } from './views/roster.js';
import { renderTournaments } from './views/tournaments.js';

const params = new URLSearchParams(location.search);
const api = new Api(params.get('token'));
const store = new Store();
const $ = (id) => document.getElementById(id);
const mode = params.has('replay') ? 'replay' : 'live';
let replay = null;

const log = new EventLog($('log'));
const commands = new Commands($('commands'), api, mode === 'live');
const bar = new ReplayBar($('replay'), (file) => file.text().then((text) => openRecording(text, file.name)));

function renderBrackets() {
  const figures = [];
  for (const { id, name } of tournaments(store)) {
    for (const bracket of brackets(store, id)) {
      figures.push(h('h3', {}, name), bracketFigure(bracket));
    }
  }
  $('brackets').replaceChildren(...(figures.length ? figures : [h('p', {}, 'No bracket published yet.')]));
}

function render() {
  renderTournaments($('tournaments'), store);
  renderRoster($('roster'), store);
  renderBrackets();
  log.update(store);
  commands.update(store);
  bar.update();
  document.body.dataset.version = String(store.version);
}

let scheduled = false;
function changed() {
  if (scheduled) return;
  scheduled = true;
  requestAnimationFrame(() => {
    scheduled = false;
    render();
  });
}

function setStatus(text, state) {
  $('status').textContent = text;
  if (state) document.body.dataset.state = state;
}

function refuse(reason) {
  store.reset();
  render();
  $('refusal').hidden = false;
  $('refusal-reason').textContent = reason;
  setStatus('No data: access refused.', 'refused');
}

function openRecording(text, name) {
  const recording = parseRecording(text);
  if (recording.error) {
    bar.fail(recording.error);
    return null;
  }
  replay?.pause();
  replay = new Replay(store, recording, () => {
    changed();
  });
  bar.attach(replay, name);
  document.body.dataset.mode = 'replay';
  setStatus(`Replay of ${name}${recording.skipped ? ` (${recording.skipped} unreadable lines skipped)` : ''}.`, 'replaying');
  changed();
  return replay;
}

async function resumeHeldRun() {
  const answer = await api.post('/clock/resume');
  $('resume-answer').textContent = describeAnswer(answer);
}

async function start() {
  document.body.dataset.mode = mode;
  $('resume').addEventListener('click', resumeHeldRun);
  if (mode === 'replay') {
    $('resume').hidden = true;
    const path = params.get('replay');
    const answer = await api.text(`/recording?path=${encodeURIComponent(path)}`);
    if (answer.status === 401 || answer.status === 403) return refuse(`The gateway refused the recording (${answer.status}: ${answer.error}).`);
    if (!answer.ok) return setStatus(`No recording: ${answer.status} ${answer.error}`, 'failed');
    openRecording(answer.text, path);
    return;
  }
  if (!api.token) return refuse('This page was opened without the access token. Open the address kiv-host printed (it ends in “?token=…”), or open a recording below.');
  setStatus('Connecting…', 'connecting');
  const live = await startLive(api, store, changed, (text) => setStatus(text));
  if (!live.ok) return refuse(`The gateway refused the token (${live.status}: ${live.error}).`);
  setStatus('Live: connected.', 'live');
  changed();
}

// For tests and the benchmark: the store and the replay in use.
window.kivPage = { store, render, openRecording, replay: () => replay };
start();
