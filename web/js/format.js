// format.js: how times and values read on the page.

/// "2026-06-01 18:05:00" (UTC) of server milliseconds; "-" when unknown.
export function utc(ms) {
  if (typeof ms !== 'number' || ms < 0) return '-';
  return new Date(ms).toISOString().replace('T', ' ').slice(0, 19);
}

/// "1d 2h 3m 4s" of a duration in milliseconds (negative reads as 0s).
export function duration(ms) {
  let rest = Math.max(0, Math.round(ms / 1000));
  const parts = [];
  for (const [unit, size] of [['d', 86400], ['h', 3600], ['m', 60]]) {
    if (rest >= size) {
      parts.push(Math.floor(rest / size) + unit);
      rest %= size;
    }
  }
  if (rest || parts.length === 0) parts.push(rest + 's');
  return parts.join(' ');
}

/// "+1d 02:03:04" of an offset from the start of a run.
export function offset(ms) {
  const total = Math.max(0, Math.floor(ms / 1000));
  const days = Math.floor(total / 86400);
  const pad = (n) => String(n).padStart(2, '0');
  const clock = `${pad(Math.floor(total / 3600) % 24)}:${pad(Math.floor(total / 60) % 60)}:${pad(total % 60)}`;
  return days ? `+${days}d ${clock}` : `+${clock}`;
}

/// A one-line summary of a JSON value, at most `limit` characters.
export function summary(value, limit = 100) {
  const text = value === undefined ? '' : JSON.stringify(value);
  return text.length > limit ? text.slice(0, limit - 1) + '…' : text;
}
