// views/commands.js: a small form per roster command. Each sends its
// request to the plugin through the gateway and shows the answer, or the
// failure's code (the HTTP status) and message, in its own status line.
import { h } from '../dom.js';
import { tournaments } from '../model.js';

const numbers = (text) => text.split(/[\s,]+/).filter(Boolean).map(Number);

// id, title, path under the tournament, fields [name, label, type], body.
const COMMANDS = [
  ['create', 'Create a roster', 'create-roster',
    [['name', 'Name', 'text'], ['shortName', 'Tag', 'text'], ['iconId', 'Icon', 'number'], ['iconColorId', 'Icon colour', 'number']],
    (v) => ({ name: v.name, shortName: v.shortName, iconId: Number(v.iconId || 0), iconColorId: Number(v.iconColorId || 0) })],
  ['invite', 'Invite players', 'roster/invite', [['ids', 'Player ids (comma separated)', 'text']], (v) => numbers(v.ids)],
  ['kick', 'Kick a member or invitee', 'roster/kick', [['summonerId', 'Player id', 'number']], (v) => ({ summonerId: Number(v.summonerId) })],
  ['lockin', 'Lock in', 'roster/lockin', [], () => undefined],
  ['unlockin', 'Unlock', 'roster/unlockin', [], () => undefined],
  ['change-name', 'Change the roster’s name', 'roster/change-name', [['name', 'New name', 'text']], (v) => ({ name: v.name })],
  ['change-tag', 'Change the roster’s tag', 'roster/change-short-name', [['name', 'New tag', 'text']], (v) => ({ name: v.name })],
  ['withdraw', 'Vote to withdraw', 'roster/withdraw', [], () => undefined],
  ['unwithdraw', 'Take back the withdrawal vote', 'roster/unwithdraw', [], () => undefined],
  ['cancel-withdraw', 'Cancel the withdrawal', 'roster/cancel-withdraw', [], () => undefined],
  ['sub-invite', 'Invite a substitute', 'roster/substitute/invite',
    [['substituteSummonerId', 'Substitute’s id', 'number'], ['replacedSummonerId', 'Replaced member’s id', 'number']],
    (v) => ({ substituteSummonerId: Number(v.substituteSummonerId), replacedSummonerId: Number(v.replacedSummonerId) })],
  ['sub-accept', 'Accept to substitute', (v) => `roster/${encodeURIComponent(v.rosterId)}/substitute/accept`, [['rosterId', 'Roster id', 'text']], () => undefined],
  ['sub-decline', 'Decline to substitute', (v) => `roster/${encodeURIComponent(v.rosterId)}/substitute/decline`, [['rosterId', 'Roster id', 'text']], () => undefined],
];

/// Describes an answer: "200: {...}" or "Failed, 400: NOT_CAPTAIN".
export function describeAnswer(answer) {
  if (answer.ok) return `Done, ${answer.status}: ${answer.body === null ? '(no body)' : JSON.stringify(answer.body)}`;
  const status = answer.body?.httpStatus ?? answer.status;
  return `Failed, ${status}: ${answer.error || 'no message'}`;
}

export class Commands {
  constructor(container, api, enabled) {
    this.api = api;
    this.tournament = h('select', { id: 'command-tournament' });
    const forms = COMMANDS.map((command) => this.form(command));
    this.fieldset = h('fieldset', { disabled: !enabled },
      h('legend', {}, enabled ? 'Roster commands' : 'Roster commands (not while replaying)'),
      h('label', { for: 'command-tournament' }, 'Tournament '), this.tournament, forms);
    container.replaceChildren(this.fieldset);
  }

  form([id, title, path, fields, body]) {
    const inputs = fields.map(([name, label, type]) => {
      const input = h('input', { id: `cmd-${id}-${name}`, name, type, required: true });
      return h('span', { class: 'field' }, h('label', { for: input.id }, label), input);
    });
    const output = h('output', { id: `cmd-${id}-answer`, role: 'status', 'aria-live': 'polite', class: 'answer' });
    const submit = async (event) => {
      event.preventDefault();
      const values = Object.fromEntries(new FormData(event.target).entries());
      const tail = typeof path === 'function' ? path(values) : path;
      output.textContent = 'Sending…';
      output.dataset.state = 'sending';
      const answer = await this.api.post(`/kiv-joust/v1/tournament/${this.tournament.value}/${tail}`, body(values));
      output.textContent = describeAnswer(answer);
      output.dataset.state = answer.ok ? 'done' : 'failed';
    };
    return h('form', { class: 'command', 'data-command': id, onsubmit: submit, 'aria-label': title },
      h('h3', {}, title), inputs, h('button', { type: 'submit' }, title), output);
  }

  /// Keeps the tournament choice in step with what is published.
  update(store) {
    const ids = tournaments(store).map((t) => String(t.id));
    const shown = [...this.tournament.options].map((o) => o.value);
    if (ids.join() === shown.join()) return;
    const chosen = this.tournament.value;
    this.tournament.replaceChildren(...ids.map((id) => h('option', { value: id }, `tournament ${id}`)));
    if (ids.includes(chosen)) this.tournament.value = chosen;
  }
}
