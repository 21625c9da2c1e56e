// model.js: reads the store's resources as the page shows them: the
// player's tournaments, their states, the player's roster and invitations,
// and the brackets. Pure functions of the store.
const BASE = '/kiv-joust/v1/tournament/';
const TOURNAMENT = /^\/kiv-joust\/v1\/tournament\/(\d+)(?:\/stateInfo)?$/;

export const STATES = ['IDLE', 'LOCK_IN', 'SCOUTING', 'IN_GAME', 'RESULTS'];

/// [{id, name, info, tournament}] in id order.
export function tournaments(store) {
  const ids = new Set();
  for (const uri of store.resources.keys()) {
    const match = TOURNAMENT.exec(uri);
    if (match) ids.add(Number(match[1]));
  }
  const listed = store.get('/kiv-joust/v1/tournamentIds');
  if (Array.isArray(listed)) listed.forEach((id) => ids.add(Number(id)));
  return [...ids].sort((a, b) => a - b).map((id) => {
    const tournament = store.get(BASE + id) || null;
    return {
      id,
      name: (tournament && tournament.nameLocKey) || `tournament ${id}`,
      tournament,
      info: store.get(`${BASE}${id}/stateInfo`) || null,
    };
  });
}

/// The player's standing in tournament `id` ({state, rosterId, bracketId}).
export function playerData(store, id) {
  return store.get(`${BASE}${id}/player`) || null;
}

/// The player's roster in tournament `id`, or null.
export function playerRoster(store, id) {
  const player = playerData(store, id);
  if (player && player.rosterId) {
    const roster = store.get(`${BASE}${id}/roster/${player.rosterId}`);
    if (roster) return roster;
  }
  return null;
}

/// The pending invitations of tournament `id` (a list, maybe empty).
export function invitations(store, id) {
  const list = store.get(`${BASE}${id}/invitations`);
  return Array.isArray(list) ? list : [];
}

/// Every bracket published for tournament `id`, by bracket id.
export function brackets(store, id) {
  const pattern = new RegExp(`^${BASE}${id}/bracket/(\\d+)$`);
  return store
    .matching(pattern)
    .map(([, data]) => data)
    .filter((bracket) => bracket && typeof bracket === 'object')
    .sort((a, b) => (a.id ?? 0) - (b.id ?? 0));
}

/// "W1.1" / "L2.1": winners' or losers' side, round, order from 1.
export function matchTitle(match) {
  return `${match.loserBracket ? 'L' : 'W'}${match.round}.${(match.order ?? 0) + 1}`;
}
