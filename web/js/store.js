// store.js: what the plugin has published so far, whether it arrives live
// or from a recording: the last value at every resource URI, the state
// changes of each tournament (the timeline), the run's clock, and a log of
// every record. Views read it; only apply() and reset() change it.
import { summary } from './format.js';

const STATE_INFO = /^\/kiv-joust\/v1\/tournament\/(\d+)\/stateInfo$/;
const TIME_URI = '/kiv-joust/v1/time';
const UTC_2000 = 946_684_800_000;
/// The log keeps this many records; older ones leave it (resources stay).
export const LOG_LIMIT = 5000;

export class Store {
  constructor() {
    this.listeners = new Set();
    this.reset();
  }

  reset() {
    this.resources = new Map();  // uri -> data
    this.timeline = [];          // {t, tournamentId, state}
    this.lastState = new Map();  // tournamentId -> state
    this.log = [];               // {seq, t, kind, resource, summary, record}
    this.seq = 0;
    this.clock = -1;             // ms of the run's clock, -1 until known
    this.startTime = -1;         // the first time seen
    this.version = 0;            // rises at every change
  }

  subscribe(listener) {
    this.listeners.add(listener);
    return () => this.listeners.delete(listener);
  }

  /// Tells the listeners that something changed (callers batch applies).
  notify() {
    for (const listener of this.listeners) listener(this);
  }

  /// One record (the recording's form, recording.js); live events are
  /// turned into the same form first.
  apply(record) {
    this.version++;
    if (typeof record.t === 'number' && record.t >= 0) {
      this.clock = Math.max(this.clock, record.t);
      if (this.startTime < 0) this.startTime = record.t;
    }
    let resource = '';
    let text = '';
    if (record.kind === 'publish' || record.kind === 'read') {
      const body = record.body || {};
      if (typeof body.uri === 'string') {
        resource = body.uri;
        this.applyResource(body.uri, body.eventType, body.data, record.t);
        text = `${body.eventType || 'Update'} ${summary(body.data, 90)}`;
      } else {
        resource = record.name || '';
        text = summary(body, 90);
      }
    } else if (record.kind === 'request') {
      resource = record.url;
      text = `${record.method} → ${record.status} ${summary(record.answer ?? record.error ?? '', 70)}`;
    } else if (record.kind === 'step' || record.kind === 'scenario') {
      resource = record.kind;
      text = record.line;
    } else {
      resource = record.kind;
      text = summary(record, 90);
    }
    this.log.push({ seq: ++this.seq, t: record.t, kind: record.kind, resource, summary: text, record });
    if (this.log.length > LOG_LIMIT * 1.25) this.log.splice(0, this.log.length - LOG_LIMIT);
  }

  applyResource(uri, eventType, data, t) {
    if (eventType === 'Delete') {
      this.resources.delete(uri);
      return;
    }
    this.resources.set(uri, data);
    // Before the plugin knows the service's time it publishes its own
    // uptime; only readings of UTC milliseconds move the clock.
    if (uri === TIME_URI && typeof data === 'number' && data > UTC_2000) {
      this.clock = Math.max(this.clock, data);
      if (this.startTime < 0) this.startTime = data;
    }
    const match = STATE_INFO.exec(uri);
    if (match && data && typeof data.state === 'string') {
      const id = Number(match[1]);
      if (this.lastState.get(id) !== data.state) {
        this.lastState.set(id, data.state);
        this.timeline.push({ t: typeof t === 'number' && t >= 0 ? t : this.clock, tournamentId: id, state: data.state });
      }
    }
  }

  get(uri) {
    return this.resources.get(uri);
  }

  /// [[uri, data]] of every resource whose URI matches `pattern`.
  matching(pattern) {
    const found = [];
    for (const entry of this.resources) {
      if (pattern.test(entry[0])) found.push(entry);
    }
    return found;
  }
}
