// views/roster.js: the player's roster in each tournament (name, tag, and a
// table of members with position, readiness, tickets and whether they
// substitute) and the pending invitations.
import { h } from '../dom.js';
import { invitations, playerData, playerRoster, tournaments } from '../model.js';

function memberRow(member) {
  const tickets = member.biddingData?.currentBid ?? '-';
  const offers = (member.biddingData?.incomingOffers || []).length;
  return h('tr', { 'data-member-id': member.summonerId },
    h('th', { scope: 'row' }, String(member.summonerId ?? '-')),
    h('td', {}, member.position ?? '-'),
    h('td', {}, member.state ?? '-'),
    h('td', {}, `${tickets}${offers ? ` (${offers} offers)` : ''}`),
    h('td', {}, member.isSubstitute ? `substitute for ${member.replacedSummonerId}` : member.isSubbedOut ? 'subbed out' : 'no'));
}

function rosterSection(store, id, name) {
  const roster = playerRoster(store, id);
  const player = playerData(store, id);
  const pending = invitations(store, id);
  const parts = [h('h3', {}, `${name} (${id})`)];
  parts.push(h('p', {}, `Your standing: ${player?.state ?? 'unknown'}`));
  if (roster) {
    parts.push(h('p', { class: 'roster-name', 'data-roster-id': roster.id },
      h('strong', {}, roster.name), ` (${roster.shortName}) — `,
      roster.isRegistered ? 'registered' : 'pending',
      roster.eliminated ? ', eliminated' : ''));
    parts.push(h('table', {},
      h('caption', {}, `Members of ${roster.name}`),
      h('thead', {}, h('tr', {}, ['Player', 'Position', 'Readiness', 'Tickets', 'Substitute']
        .map((title) => h('th', { scope: 'col' }, title)))),
      h('tbody', {}, (roster.members || []).map(memberRow))));
  } else {
    parts.push(h('p', {}, 'No roster.'));
  }
  parts.push(pending.length
    ? h('ul', { class: 'invitations', 'aria-label': 'Pending invitations' },
      pending.map((invite) => h('li', {}, `${invite.name} (${invite.shortName}), roster ${invite.id}: `,
        `${(invite.members || []).length} members`)))
    : h('p', {}, 'No pending invitation.'));
  return h('section', { class: 'roster', 'aria-label': `Roster in ${name}` }, parts);
}

export function renderRoster(container, store) {
  const list = tournaments(store);
  container.replaceChildren(...(list.length
    ? list.map(({ id, name }) => rosterSection(store, id, name))
    : [h('p', {}, 'Nothing published yet.')]));
}
