// recording.js: reads a recording (kiv-host --record; README "Recordings"):
// one JSON object per line, the first of kind "start" with the format name
// and version. Lines that do not parse are counted, not fatal: a recording
// still being written may end in half a line.
export const FORMAT = 'kiv-joust-recording';
export const VERSION = 1;

/// {header, records, skipped} or {error}.
export function parseRecording(text) {
  const records = [];
  let skipped = 0;
  for (const line of text.split('\n')) {
    if (!line.trim()) continue;
    try {
      records.push(JSON.parse(line));
    } catch {
      skipped++;
    }
  }
  const header = records[0];
  if (!header || header.kind !== 'start' || header.format !== FORMAT) {
    return { error: `This is not a recording of this page's format (${FORMAT}).` };
  }
  if (!(header.version <= VERSION)) {
    return { error: `The recording is of version ${header.version}; this page reads up to ${VERSION}.` };
  }
  // Records are written in time order; a stray one keeps its place.
  return { header, records, skipped };
}
