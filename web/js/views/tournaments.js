// views/tournaments.js: the player's tournaments with their state and the
// next state change counted down on the run's clock, and the timeline of
// state changes (a strip per tournament, timeline.js, and an ordered list,
// one item per change, with data-state).
import { h } from '../dom.js';
import { duration, offset, utc } from '../format.js';
import { STATES, tournaments } from '../model.js';
import { timelineStrip } from './timeline.js';

function countdown(info, clock) {
  if (!info || !(info.nextStateChangeTime > 0)) return 'no change ahead';
  const left = info.nextStateChangeTime - clock;
  return `${utc(info.nextStateChangeTime)} UTC (${left > 0 ? `in ${duration(left)}` : 'due'})`;
}

export function renderTournaments(container, store) {
  const list = tournaments(store);
  const rows = list.map(({ id, name, info }) => h('tr', { 'data-tournament-id': id },
    h('th', { scope: 'row' }, `${name} (${id})`),
    h('td', { class: `state state-${(info?.state || 'unknown').toLowerCase()}`, 'data-state': info?.state || '' },
      info?.state || 'unknown'),
    h('td', {}, info ? `${STATES.indexOf(info.state) + 1} of ${STATES.length}` : '-'),
    h('td', { class: 'countdown' }, countdown(info, store.clock))));
  const table = list.length
    ? h('table', {},
      h('caption', {}, `Clock: ${utc(store.clock)} UTC`),
      h('thead', {}, h('tr', {}, h('th', { scope: 'col' }, 'Tournament'), h('th', { scope: 'col' }, 'State'),
        h('th', { scope: 'col' }, 'Step'), h('th', { scope: 'col' }, 'Next state change'))),
      h('tbody', {}, rows))
    : h('p', {}, 'No tournament published yet.');
  const start = store.startTime;
  const timeline = store.timeline.length
    ? h('ol', { class: 'timeline', 'aria-label': 'State changes' },
      store.timeline.map((entry) => h('li', { 'data-state': entry.state, 'data-tournament-id': entry.tournamentId },
        h('time', {}, `${utc(entry.t)} (${offset(entry.t - start)})`), ' ',
        `tournament ${entry.tournamentId}: `, h('strong', {}, entry.state))))
    : h('p', {}, 'No state change seen yet.');
  const strips = list.map(({ id, info }) => timelineStrip(store.timeline.filter((c) => c.tournamentId === id),
    store.clock, info?.nextStateChangeTime ?? -1));
  container.replaceChildren(table, h('h3', {}, 'Timeline'), ...strips.filter(Boolean), timeline);
}
