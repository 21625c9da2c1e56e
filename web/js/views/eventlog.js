// views/eventlog.js: every record as a log line (time, kind, resource,
// summary), filtered by text and kind, pausable; choosing a line shows its
// whole JSON. Only the newest SHOWN lines that pass the filter are drawn.
import { h } from '../dom.js';
import { utc } from '../format.js';

const SHOWN = 200;

export class EventLog {
  constructor(container) {
    this.paused = false;
    this.selected = null;
    this.filter = h('input', { type: 'search', id: 'log-filter', oninput: () => this.render() });
    this.kind = h('select', { id: 'log-kind', onchange: () => this.render() },
      ['all', 'publish', 'read', 'request', 'step', 'scenario', 'live']
        .map((kind) => h('option', { value: kind }, kind)));
    this.pause = h('button', { type: 'button', 'aria-pressed': 'false', onclick: () => this.toggle() }, 'Pause log');
    this.status = h('p', { class: 'log-status', 'aria-live': 'polite' });
    this.list = h('ol', { class: 'log', 'aria-label': 'Records, newest last' });
    this.detail = h('pre', { class: 'log-detail', tabindex: 0, 'aria-label': 'Chosen record as JSON' }, 'Choose a line to see its JSON.');
    container.replaceChildren(
      h('div', { class: 'log-controls' },
        h('label', { for: 'log-filter' }, 'Filter '), this.filter,
        h('label', { for: 'log-kind' }, ' Kind '), this.kind, ' ', this.pause),
      this.status, this.list, h('h3', {}, 'Chosen record'), this.detail);
  }

  toggle() {
    this.paused = !this.paused;
    this.pause.setAttribute('aria-pressed', String(this.paused));
    this.pause.textContent = this.paused ? 'Resume log' : 'Pause log';
    if (!this.paused) this.render();
    else this.status.textContent = 'Paused: new records are kept but not shown.';
  }

  show(entry) {
    this.selected = entry.seq;
    this.detail.textContent = JSON.stringify(entry.record, null, 2);
  }

  /// Draws the newest matching records of `store` (unless paused).
  update(store) {
    this.store = store;
    if (!this.paused) this.render();
  }

  render() {
    const store = this.store;
    if (!store) return;
    const text = this.filter.value.trim().toLowerCase();
    const kind = this.kind.value;
    const shown = [];
    for (let i = store.log.length - 1; i >= 0 && shown.length < SHOWN; i--) {
      const entry = store.log[i];
      if (kind !== 'all' && entry.kind !== kind) continue;
      if (text && !`${entry.resource} ${entry.summary}`.toLowerCase().includes(text)) continue;
      shown.push(entry);
    }
    shown.reverse();
    this.status.textContent = `${store.log.length} records kept, ${shown.length} shown.`;
    this.list.replaceChildren(...shown.map((entry) => h('li', {},
      h('button', {
        type: 'button',
        class: 'log-line',
        'aria-current': entry.seq === this.selected ? 'true' : null,
        onclick: () => this.show(entry),
      },
      h('time', {}, utc(entry.t)), ' ', h('span', { class: 'kind' }, `[${entry.kind}]`), ' ',
      h('span', { class: 'resource' }, entry.resource), ' ', entry.summary))));
    this.list.scrollTop = this.list.scrollHeight;  // the newest in view
  }
}
