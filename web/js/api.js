// api.js: requests to the gateway with the page's token (from its own URL,
// "?token=..."), answered as {status, ok, body, error}. The token goes in
// the Authorization header, and in the event stream's URL (EventSource
// cannot send headers).
export class Api {
  constructor(token) {
    this.token = token || '';
  }

  async request(method, path, body) {
    const headers = { Accept: 'application/json' };
    if (this.token) headers.Authorization = `Bearer ${this.token}`;
    const init = { method, headers, cache: 'no-store' };
    if (body !== undefined) {
      headers['Content-Type'] = 'application/json';
      init.body = JSON.stringify(body);
    }
    let response;
    try {
      response = await fetch(path, init);
    } catch (failure) {
      return { status: 0, ok: false, body: null, error: `no answer (${failure.message})` };
    }
    const text = await response.text();
    let parsed = null;
    try {
      parsed = text ? JSON.parse(text) : null;
    } catch {
      parsed = text;
    }
    const error = response.ok ? null : (parsed && parsed.message) || response.statusText;
    return { status: response.status, ok: response.ok, body: parsed, error };
  }

  /// The body as text ({status, ok, text, error}), for recordings.
  async text(path) {
    const headers = this.token ? { Authorization: `Bearer ${this.token}` } : {};
    try {
      const response = await fetch(path, { headers, cache: 'no-store' });
      const text = await response.text();
      let error = null;
      if (!response.ok) {
        try {
          error = JSON.parse(text).message;
        } catch {
          error = response.statusText;
        }
      }
      return { status: response.status, ok: response.ok, text, error };
    } catch (failure) {
      return { status: 0, ok: false, text: '', error: `no answer (${failure.message})` };
    }
  }

  get(path) {
    return this.request('GET', path);
  }

  post(path, body) {
    return this.request('POST', path, body);
  }

  events() {
    return new EventSource(`/events?path=${encodeURIComponent('/kiv-joust/')}&token=${encodeURIComponent(this.token)}`);
  }
}
