// views/bracket.js: a double-elimination bracket as SVG: the winners' rounds
// in a row of columns, the losers' rounds in a second row, each match a box
// with both rosters (name and tag), their score (1 for the winner, 0 for the
// loser once decided), the winner marked with "✓" and bold text, a match in
// progress outlined and labelled "LIVE". Each match is a <g class="match">
// with data-title ("W1.2"), data-status and data-winner; each side a
// <g class="side"> with data-roster-id and data-name, so tests read it.
import { h, s } from '../dom.js';
import { matchTitle } from '../model.js';

const BOX = { width: 250, height: 62, gapX: 40, gapY: 18, header: 28 };

function rosterOf(bracket, id) {
  if (id === undefined || id < 0) return null;
  return (bracket.rosters || []).find((r) => r.rosterId === id) || { rosterId: id, name: `roster ${id}`, shortName: '' };
}

function side(bracket, match, rosterId, x, y) {
  const roster = rosterOf(bracket, rosterId);
  const decided = match.winnerId !== undefined && match.winnerId >= 0;
  const won = decided && roster && match.winnerId === rosterId;
  const score = decided && roster ? (won ? '1' : '0') : '–';
  const name = roster ? roster.name : 'to be decided';
  return s('g', {
    class: `side${won ? ' winner' : ''}${decided && !won && roster ? ' loser' : ''}`,
    'data-roster-id': roster ? roster.rosterId : '',
    'data-name': roster ? roster.name : '',
    'data-tag': roster ? roster.shortName : '',
  },
  s('text', { x: x + 8, y, class: 'name' }, (won ? '✓ ' : '') + name),
  s('text', { x: x + BOX.width - 62, y, class: 'tag' }, roster ? roster.shortName : ''),
  s('text', { x: x + BOX.width - 10, y, class: 'score', 'text-anchor': 'end' }, score));
}

function matchBox(bracket, match, x, y) {
  const title = matchTitle(match);
  const status = match.status || 'UPCOMING';
  const live = status === 'STARTED';
  const label = status === 'COMPLETED' ? 'done' : live ? 'LIVE' : 'upcoming';
  const names = [match.rosterId1, match.rosterId2].map((id) => rosterOf(bracket, id)?.name || 'to be decided');
  const winner = rosterOf(bracket, match.winnerId);
  return s('g', {
    class: `match status-${status.toLowerCase()}`,
    'data-title': title,
    'data-status': status,
    'data-winner': winner ? winner.rosterId : '',
    'aria-label': `${title}, ${label}: ${names[0]} against ${names[1]}${winner ? `, won by ${winner.name}` : ''}`,
    role: 'group',
  },
  s('rect', { x, y, width: BOX.width, height: BOX.height, rx: 6, class: 'box' }),
  s('text', { x: x + 8, y: y + 14, class: 'match-title' }, `${title} · ${label}`),
  side(bracket, match, match.rosterId1, x, y + 33),
  side(bracket, match, match.rosterId2, x, y + 53));
}

// Columns of matches by round, in order within each round.
function rounds(matches) {
  const byRound = new Map();
  for (const match of matches || []) {
    if (!byRound.has(match.round)) byRound.set(match.round, []);
    byRound.get(match.round).push(match);
  }
  return [...byRound.keys()].sort((a, b) => a - b).map((round) => ({
    round,
    matches: byRound.get(round).sort((a, b) => (a.order ?? 0) - (b.order ?? 0)),
  }));
}

function drawSide(bracket, columns, heading, top, parts) {
  const tallest = Math.max(1, ...columns.map((c) => c.matches.length));
  const height = tallest * (BOX.height + BOX.gapY);
  columns.forEach((column, index) => {
    const x = 10 + index * (BOX.width + BOX.gapX);
    parts.push(s('text', { x, y: top + 18, class: 'round-title' }, `${heading} round ${column.round}`));
    const slot = height / column.matches.length;
    column.matches.forEach((match, i) => {
      const y = top + BOX.header + i * slot + (slot - BOX.height - BOX.gapY) / 2;
      parts.push(matchBox(bracket, match, x, y));
    });
  });
  return top + BOX.header + height;
}

/// The bracket's figure: a heading, the SVG, and a caption.
export function bracketFigure(bracket) {
  const winners = rounds(bracket.matches);
  const losers = rounds(bracket.loserBracketMatches);
  const parts = [];
  let bottom = drawSide(bracket, winners, 'Winners’', 0, parts);
  if (losers.length) bottom = drawSide(bracket, losers, 'Losers’', bottom + 10, parts);
  const columns = Math.max(winners.length, losers.length, 1);
  const width = 20 + columns * (BOX.width + BOX.gapX);
  const title = `Bracket ${bracket.id}, period ${bracket.period ?? '-'}`;
  const svg = s('svg', {
    class: 'bracket',
    'data-bracket-id': bracket.id,
    viewBox: `0 0 ${width} ${bottom + 10}`,
    width,
    height: bottom + 10,
    role: 'group',
    'aria-label': `${title}: ${bracket.rosters?.length ?? 0} rosters`,
  }, parts);
  return h('figure', { class: 'bracket-figure' },
    h('figcaption', {}, `${title} — ${bracket.isComplete ? 'complete' : 'in play'}; `,
      `${(bracket.rosters || []).map((r) => `${r.name} (${r.shortName})`).join(', ')}`),
    h('div', { class: 'bracket-scroll', tabindex: 0, 'aria-label': `${title}, scrollable` }, svg));
}
