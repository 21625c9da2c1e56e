// views/replaybar.js: the replay's controls: open a recording (file
// picker), play or pause, speed, and a time slider (seconds from the
// recording's start; arrow keys move it a second, Page Up/Down more).
import { h } from '../dom.js';
import { offset, utc } from '../format.js';

const SPEEDS = [1, 10, 60, 600, 3600];

export class ReplayBar {
  /// `open(file)` is called with a chosen file.
  constructor(container, open) {
    this.replay = null;
    this.file = h('input', { type: 'file', id: 'replay-file', accept: '.jsonl,application/x-ndjson',
      onchange: () => this.file.files[0] && open(this.file.files[0]) });
    this.play = h('button', { type: 'button', id: 'replay-play', disabled: true, onclick: () => this.toggle() }, 'Play');
    this.speed = h('select', { id: 'replay-speed', disabled: true, onchange: () => { if (this.replay) this.replay.speed = Number(this.speed.value); } },
      SPEEDS.map((speed) => h('option', { value: speed, selected: speed === 60 }, `${speed}×`)));
    this.slider = h('input', { type: 'range', id: 'replay-time', min: 0, max: 0, step: 1, value: 0, disabled: true,
      oninput: () => this.replay && this.replay.seek(this.replay.start + Number(this.slider.value) * 1000) });
    this.time = h('output', { id: 'replay-now', for: 'replay-time' }, 'No recording open.');
    this.message = h('p', { id: 'replay-message', role: 'status' });
    container.replaceChildren(
      h('div', { class: 'replay-controls' },
        h('label', { for: 'replay-file' }, 'Open a recording '), this.file, ' ', this.play, ' ',
        h('label', { for: 'replay-speed' }, 'Speed '), this.speed),
      h('div', { class: 'replay-controls' },
        h('label', { for: 'replay-time' }, 'Moment '), this.slider, ' ', this.time),
      this.message);
  }

  attach(replay, name) {
    this.replay = replay;
    for (const control of [this.play, this.speed, this.slider]) control.disabled = false;
    this.slider.max = String(Math.ceil((replay.end - replay.start) / 1000));
    this.message.textContent = `Replaying ${name}: ${replay.records.length} records, ${utc(replay.start)} to ${utc(replay.end)} UTC.`;
    this.update();
  }

  fail(message) {
    this.message.textContent = message;
  }

  toggle() {
    if (!this.replay) return;
    if (this.replay.playing) this.replay.pause();
    else this.replay.play();
  }

  update() {
    const replay = this.replay;
    if (!replay) return;
    this.play.textContent = replay.playing ? 'Pause' : 'Play';
    this.play.setAttribute('aria-pressed', String(replay.playing));
    const seconds = Math.floor((replay.time - replay.start) / 1000);
    if (document.activeElement !== this.slider) this.slider.value = String(seconds);
    this.slider.setAttribute('aria-valuetext', `${offset(replay.time - replay.start)}, ${utc(replay.time)} UTC`);
    this.time.textContent = `${utc(replay.time)} UTC (${offset(replay.time - replay.start)} of ${offset(replay.end - replay.start)})`;
  }
}
