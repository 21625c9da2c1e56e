// replay.js: plays a recording into a store: seek to any time (forward by
// applying the records up to it, backward by starting again from the first),
// play at a speed (recorded milliseconds per real millisecond), pause.
export class Replay {
  constructor(store, recording, changed) {
    this.store = store;
    this.records = recording.records;
    this.header = recording.header;
    this.changed = changed;
    const times = this.records.map((r) => r.t).filter((t) => typeof t === 'number' && t >= 0);
    this.start = times.length ? Math.min(...times) : 0;
    this.end = times.length ? Math.max(...times) : 0;
    this.next = 0;           // index of the first record not applied
    this.time = this.start;  // the replay's moment
    this.speed = 60;
    this.playing = false;
    this.store.reset();
    this.seek(this.start);
  }

  /// Shows what had been recorded up to and including time `t`.
  seek(t) {
    const target = Math.min(Math.max(t, this.start), this.end);
    if (target < this.time) {
      this.store.reset();
      this.next = 0;
    }
    const records = this.records;
    while (this.next < records.length && !(records[this.next].t > target)) {
      this.store.apply(records[this.next++]);
    }
    this.time = target;
    this.store.clock = Math.max(this.store.clock, target);
    this.changed();
  }

  play() {
    if (this.playing) return;
    if (this.time >= this.end) this.seek(this.start);
    this.playing = true;
    let last = performance.now();
    const step = (now) => {
      if (!this.playing) return;
      const elapsed = now - last;
      last = now;
      this.seek(this.time + elapsed * this.speed);
      if (this.time >= this.end) this.pause();
      else requestAnimationFrame(step);
    };
    requestAnimationFrame(step);
    this.changed();
  }

  pause() {
    this.playing = false;
    this.changed();
  }
}
