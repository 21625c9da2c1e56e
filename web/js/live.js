// live.js: the page against a running plugin. Opens the event stream
// first, reads the player's resources once (kind "read"), then applies the
// events that came meanwhile and every later one (kind "publish", timed by
// the run's clock as last published). Every change calls `changed()`.
const V1 = '/kiv-joust/v1';

async function readInitial(api, store) {
  const read = async (uri) => {
    const answer = await api.get(uri);
    if (answer.ok) store.apply({ kind: 'read', t: store.clock, body: { uri, eventType: 'Create', data: answer.body } });
    return answer;
  };
  await read(`${V1}/time`);
  const ids = await read(`${V1}/tournamentIds`);
  for (const id of Array.isArray(ids.body) ? ids.body : []) {
    const base = `${V1}/tournament/${id}`;
    await read(base);
    await read(`${base}/stateInfo`);
    await read(`${base}/invitations`);
    const player = await read(`${base}/player`);
    if (player.ok && player.body) {
      if (player.body.rosterId) await read(`${base}/roster/${player.body.rosterId}`);
      if (player.body.bracketId > 0) await read(`${base}/bracket/${player.body.bracketId}`);
    }
  }
}

/// Resolves to {ok: true} once live, or {ok: false, status, error} when the
/// gateway refuses (no or wrong token).
export async function startLive(api, store, changed, setStatus) {
  const probe = await api.get(`${V1}/enabled`);
  if (!probe.ok && (probe.status === 401 || probe.status === 403 || probe.status === 0)) {
    return { ok: false, status: probe.status, error: probe.error };
  }
  const waiting = [];
  let reading = true;
  const source = api.events();
  const onEvent = (message) => {
    let body;
    try {
      body = JSON.parse(message.data);
    } catch {
      return;
    }
    const record = { kind: 'publish', t: store.clock, name: 'OnJsonApiEvent', body };
    if (reading) {
      waiting.push(record);
    } else {
      store.apply(record);
      changed();
    }
  };
  for (const type of ['Create', 'Update', 'Delete']) source.addEventListener(type, onEvent);
  source.onopen = () => setStatus('Live: connected to the event stream.');
  source.onerror = () => setStatus('Live: the event stream is interrupted; the browser retries.');
  await readInitial(api, store);
  reading = false;
  for (const record of waiting) store.apply(record);
  changed();
  return { ok: true, source };
}
