// views/timeline.js: the state changes of one tournament against the run's
// clock: an SVG strip from the first change to the later of now and the next
// change, one segment per state (its name written in it when it fits, and
// a pattern for every other state, so states differ without colour), a line
// at now and a dashed line at the next change; the ordered list beside it
// (tournaments.js) carries the same facts as text.
import { s } from '../dom.js';
import { utc } from '../format.js';
import { STATES } from '../model.js';

const WIDTH = 800;
const HEIGHT = 44;

export function timelineStrip(changes, clock, next) {
  if (!changes.length) return null;
  const start = changes[0].t;
  const end = Math.max(clock, next > 0 ? next : 0, start + 1);
  const x = (t) => ((t - start) / (end - start)) * WIDTH;
  const parts = changes.map((change, i) => {
    const from = x(change.t);
    const to = x(i + 1 < changes.length ? changes[i + 1].t : Math.min(clock, end));
    const width = Math.max(1, to - from);
    const index = STATES.indexOf(change.state);
    return s('g', { class: `segment segment-${index % 2 ? 'odd' : 'even'}` },
      s('rect', { x: from, y: 4, width, height: 24 }),
      width > 70 ? s('text', { x: from + 4, y: 21 }, change.state) : null);
  });
  parts.push(s('line', { x1: x(clock), x2: x(clock), y1: 0, y2: 32, class: 'now' }));
  if (next > 0) parts.push(s('line', { x1: x(next), x2: x(next), y1: 0, y2: 32, class: 'next' }));
  parts.push(s('text', { x: 0, y: 42, class: 'edge' }, utc(start)));
  parts.push(s('text', { x: WIDTH, y: 42, class: 'edge', 'text-anchor': 'end' }, utc(end)));
  return s('svg', {
    class: 'timeline-strip', viewBox: `0 0 ${WIDTH} ${HEIGHT}`, role: 'img',
    'aria-label': `States from ${utc(start)} to ${utc(end)} UTC: ${changes.map((c) => c.state).join(', ')}; now ${utc(clock)}${next > 0 ? `, next change ${utc(next)}` : ''}`,
  }, parts);
}
