// The page of "imagetune-sim serve": the channel's UI rendered from its UI style, and the camera's schemes,
// simulated world and day, all through the JSON API under /api/ (README.md lists it).
"use strict";

const SCHEME_COLOURS = ["#f2b134", "#3a4a8c", "#3ca37a", "#c4566e", "#6fa8dc", "#9b6fc4", "#d98c3f", "#59a3a3"];
const FACTORY_COLOUR = "#9aa0aa";
const SVG_NS = "http://www.w3.org/2000/svg";

// The poll that keeps the page in step with changes made elsewhere (another tab, the command line).
const POLL_MS = 1000;
// A long run goes in pieces, so that it shows its progress, can stop, and other requests get through between.
const RUN_PIECES = 48;

const page = {
  channel: 1,
  state: null,
  controls: new Map(),  // key -> {row, main, slider, note, saved, action, control}
  writing: new Set(),   // keys whose write is under way: the poll leaves their controls alone
  editing: new Set(),   // keys whose control the tuner is changing: so does the poll
  tab: null,            // the key of the tab shown
  timelineOpen: false,
  unsaved: 0,
  polling: false,
  run: null,            // {cancelled} while a run goes on
};

function $(id) { return document.getElementById(id); }

function el(tag, attributes, children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes || {})) {
    if (name === "text") node.textContent = value;
    else node.setAttribute(name, value);
  }
  for (const child of children || []) node.append(child);
  return node;
}

function svg(tag, attributes) {
  const node = document.createElementNS(SVG_NS, tag);
  for (const [name, value] of Object.entries(attributes || {})) node.setAttribute(name, value);
  return node;
}

// The server takes a POST only as JSON from the page's own origin; its token, when it asks for one, travels in
// the cookie it set when the page was opened with the address it printed.
async function api(method, path, body) {
  const options = { method, headers: {}, credentials: "same-origin" };
  if (method === "POST") {
    options.headers["Content-Type"] = "application/json";
    options.body = JSON.stringify(body === undefined ? {} : body);
  }
  const response = await fetch(path, options);
  const answer = await response.json();
  if (!response.ok) throw new Error(answer.error || `HTTP ${response.status}`);
  return answer;
}

function channelPath(what) { return `/api/channels/${page.channel}/${what}`; }

function showError(error) {
  const box = $("error");
  if (!error) { box.hidden = true; return; }
  box.textContent = error.message || String(error);
  box.hidden = false;
}

// Runs an action of the page, showing its failure instead of losing it.
async function act(action) {
  try {
    showError(null);
    await action();
  } catch (error) {
    showError(error);
  }
}

function schemeName(scheme) {
  if (scheme === null || scheme === undefined || scheme < 0) return "none";
  if (page.state && scheme === page.state.factory_scheme) return `${scheme} (factory)`;
  if (scheme === 0) return "0 (day)";
  if (scheme === 1) return "1 (night)";
  return `${scheme} (time window)`;
}

function schemeColour(scheme) {
  if (page.state && scheme === page.state.factory_scheme) return FACTORY_COLOUR;
  return SCHEME_COLOURS[((scheme % SCHEME_COLOURS.length) + SCHEME_COLOURS.length) % SCHEME_COLOURS.length];
}

// ---- The channel's UI ------------------------------------------------------------------------------------

function rangeText(control) {
  const parts = [];
  if (control.sensor_range) {
    parts.push(`sensor range ${control.sensor_range.values.join(" ")}, default ${control.sensor_range.default}`);
  } else if (control.min !== undefined) {
    parts.push(`${control.min} to ${control.max}`);
  }
  if (control.factory !== null && control.factory !== undefined) parts.push(`factory ${control.factory}`);
  return parts.join("; ");
}

function makeInputs(control) {
  const id = `control-${control.key}`;
  if (control.action) {
    const button = el("button", { id, type: "button", class: "action", "data-key": control.key, text: control.label });
    return { inputs: [button], main: button };
  }
  if (control.choices) {
    const select = el("select", { id, "data-key": control.key });
    for (const choice of control.choices) {
      select.append(el("option", { value: choice.value, text: `${choice.value} ${choice.name}`.trim() }));
    }
    return { inputs: [select], main: select };
  }
  const number = el("input", { id, type: "number", step: "1", "data-key": control.key });
  if (control.min !== undefined) {
    number.min = control.min;
    number.max = control.max;
    const slider = el("input", { id: `${id}-slider`, type: "range", min: control.min, max: control.max, step: "1",
                                 "aria-label": `${control.label} slider` });
    slider.addEventListener("input", () => { number.value = slider.value; });
    slider.addEventListener("change", () => { number.value = slider.value; write(control.key, number.value); });
    number.addEventListener("input", () => { slider.value = number.value; });
    return { inputs: [slider, number], main: number, slider };
  }
  return { inputs: [number], main: number };
}

function showTab(key) {
  page.tab = key;
  for (const button of $("tabs").children) button.setAttribute("aria-selected", String(button.dataset.tab === key));
  filterControls();
}

// With a search, every tab shows the controls that match by key, name or label; without one, the tab chosen.
function filterControls() {
  const query = $("search").value.trim().toLowerCase();
  $("ui-column").classList.toggle("searching", query !== "");
  let matches = 0;
  for (const panel of $("ui").children) {
    let shown = 0;
    for (const row of panel.querySelectorAll(".control")) {
      const hit = query === "" || row.dataset.search.includes(query);
      row.hidden = !hit;
      if (hit) ++shown;
    }
    matches += shown;
    panel.hidden = query === "" ? panel.dataset.tab !== page.tab : shown === 0;
    const button = $(`tab-button-${panel.dataset.tab}`);
    if (button) button.dataset.matches = query === "" ? "" : String(shown);
  }
  $("search-result").textContent = query === "" ? ""
    : matches === 0 ? "No control matches." : `${matches} control${matches === 1 ? "" : "s"} match.`;
}

function renderUi(ui) {
  const root = $("ui");
  const tabs = $("tabs");
  root.replaceChildren();
  tabs.replaceChildren();
  page.controls.clear();
  page.editing.clear();
  for (const section of ui.sections) {
    const key = section.key || "other";
    const button = el("button", { type: "button", role: "tab", id: `tab-button-${key}`, "data-tab": key,
                                  text: section.name });
    button.addEventListener("click", () => {
      $("search").value = "";
      showTab(key);
    });
    tabs.append(button);
    const list = el("div", { class: "controls" });
    const tab = el("section", { class: "tab", role: "tabpanel", id: `tab-${key}`, "data-tab": key },
                   [el("h2", {}, [section.name + " ", el("small", { text: section.key })]), list]);
    // The style hides some parameters from the user: so does the page.
    for (const control of section.controls.filter((c) => c.type !== "hidden")) {
      const { inputs, main, slider } = makeInputs(control);
      if (control.action) {
        main.addEventListener("click", () => trigger(control.key));
      } else {
        main.addEventListener("change", () => write(control.key, main.value));
        // What the tuner is typing or dragging stays until it is sent or left.
        for (const input of inputs) {
          input.addEventListener("input", () => page.editing.add(control.key));
          input.addEventListener("change", () => page.editing.delete(control.key));
          input.addEventListener("blur", () => page.editing.delete(control.key));
        }
      }
      const label = el(control.action ? "span" : "label", control.action ? { class: "label" } : { for: main.id },
                       [control.label, " ", el("small", { class: "key", text: `${control.name} ${control.key}` })]);
      const note = el("div", { class: "note", role: "status" });
      const saved = el("div", { class: "saved" });
      const row = el("div", { class: "control", id: `row-${control.key}`,
                              "data-search": `${control.key} ${control.name} ${control.label}`.toLowerCase() },
                     [label, el("div", { class: "inputs" }, inputs),
                      el("div", { class: "range", text: control.action ? "acts once: sends 1, then 0" : rangeText(control) }),
                      saved, note]);
      list.append(row);
      page.controls.set(control.key, { row, main, slider, note, saved, action: control.action, control });
      if (!control.action) showValue(control.key, control.value);
    }
    root.append(tab);
  }
  const keys = ui.sections.map((section) => section.key || "other");
  showTab(keys.includes(page.tab) ? page.tab : keys[0]);
}

function showValue(key, value) {
  const entry = page.controls.get(key);
  if (!entry || entry.action || value === null || value === undefined) return;
  entry.main.value = value;
  if (entry.slider) entry.slider.value = value;
  entry.main.dataset.value = value;
}

function showValues(values) {
  for (const pair of values) showValue(pair.key, pair.value);
}

function markRow(key, outcome, text) {
  const entry = page.controls.get(key);
  if (!entry) return;
  entry.row.classList.remove("sent", "refused");
  entry.row.classList.add(outcome);
  entry.note.textContent = text;
}

function showWrite(text, refused, commands) {
  $("write-result").className = refused ? "bad" : "ok";
  $("write-result").textContent = text;
  const body = $("ia-commands").tBodies[0];
  body.replaceChildren();
  for (const call of commands) {
    body.append(el("tr", { "data-command": call.command }, [
      el("td", { text: call.option }), el("td", { text: call.command }), el("td", { text: call.name }),
      el("td", { text: call.value }), el("td", { text: call.result }),
    ]));
  }
  if (commands.length === 0) {
    const why = refused ? "none sent: the write was refused" : "none sent: the value was in force already, or the key is only stored";
    body.append(el("tr", {}, [el("td", { colspan: 5, text: why })]));
  }
}

// Sends pairs of one key. A refusal, by the server's checks or by the library, puts the value the channel holds
// back into the control and says so in the row and under "Last write".
async function send(key, pairs) {
  const text = pairs.map((p) => `(${p.key},${p.value})`).join("");
  page.writing.add(key);
  try {
    showError(null);
    let result;
    try {
      result = await api("POST", channelPath("parameters"), { pairs });
    } catch (error) {
      showWrite(`${text}: refused: ${error.message}`, true, []);
      markRow(key, "refused", `refused: ${error.message}`);
      await putBack(key);
      return;
    }
    const refused = result.status !== 0;
    const why = `refused by the library (status ${result.status}, key ${result.refused_key})`;
    showWrite(refused ? `${result.text}: ${why}` : `${result.text}: accepted (status 0)`, refused, result.ia_commands);
    showValues(result.values);
    markRow(key, refused ? "refused" : "sent", refused ? why : "");
    // The scheme mode and the windows are keys too: the state and the day may have changed.
    await refreshState();
    await pollNow();
  } catch (error) {
    showError(error);
  } finally {
    page.writing.delete(key);
  }
}

async function write(key, text) {
  const value = Number(text);
  if (text === "" || !Number.isInteger(value)) {
    markRow(key, "refused", `"${text}" is not a whole number`);
    await act(() => putBack(key));
    return;
  }
  await send(key, [{ key, value }]);
}

// A one-shot action: on, then off again, so that it acts at every press and the scheme keeps what it had.
async function trigger(key) {
  await send(key, [{ key, value: 1 }, { key, value: 0 }]);
}

// ---- Unsaved changes, and changes made elsewhere ---------------------------------------------------------------

// A selector of the side panels follows the channel until the tuner picks something in it, and again once what
// was picked is sent.
function idle(element) { return element.dataset.touched !== "true"; }

function taken(id) {
  const element = $(id);
  delete element.dataset.touched;
  return element.value;
}

function showStored(answer) {
  const hasFile = answer.stored !== null;
  for (const pair of answer.values) {
    const entry = page.controls.get(pair.key);
    if (!entry) continue;
    if (!page.writing.has(pair.key) && !page.editing.has(pair.key)) showValue(pair.key, pair.value);
    const unsaved = hasFile && pair.stored !== pair.value;
    entry.row.classList.toggle("unsaved", unsaved);
    entry.saved.textContent = !unsaved ? "" : pair.stored === null ? "unsaved: not in the scheme's file"
      : `unsaved: the scheme's file holds ${pair.stored}`;
  }
  // A tab that holds unsaved values says so, so that none is overlooked in a tab not shown.
  for (const panel of $("ui").children) {
    const button = $(`tab-button-${panel.dataset.tab}`);
    if (button) button.classList.toggle("unsaved", panel.querySelector(".control.unsaved") !== null);
  }
  page.unsaved = answer.unsaved;
  const count = $("unsaved-count");
  count.dataset.count = answer.unsaved;
  count.textContent = !hasFile ? "factory scheme: nothing to save"
    : answer.stored.error ? `${answer.unsaved} unsaved (${answer.stored.error})`
    : answer.unsaved === 0 ? "all saved" : `${answer.unsaved} unsaved`;
  count.className = answer.unsaved === 0 ? "count" : "count pending";
}

// The value the channel holds, back in the control even while it has the focus.
async function putBack(key) {
  const answer = await api("GET", channelPath("values"));
  const pair = answer.values.find((p) => p.key === key);
  if (pair) showValue(key, pair.value);
  showStored(answer);
}

async function pollNow() {
  if (page.polling) return;
  page.polling = true;
  try {
    const channel = page.channel;
    const answer = await api("GET", channelPath("values"));
    if (channel !== page.channel) return;
    showStored(answer);
    showState(answer.state);
    $("live").textContent = "live";
    $("live").className = "status ok";
  } catch (error) {
    $("live").textContent = `not updated: ${error.message}`;
    $("live").className = "status bad";
  } finally {
    page.polling = false;
  }
}

// ---- Schemes and the simulated world -----------------------------------------------------------------------

function showState(state) {
  page.state = state;
  $("current-scheme").textContent = schemeName(state.current_scheme);
  $("current-scheme").dataset.scheme = state.current_scheme;
  $("header-scheme").textContent = schemeName(state.current_scheme);
  $("scheme-mode").textContent = state.scheme_mode.replace("_", "/");
  $("parameter-mode").textContent = state.parameter_mode === 0 ? "0 (manual)" : `${state.parameter_mode} (automatic)`;
  const dayNight = state.day_night_state === 0 ? "day (0)" : `night (${state.day_night_state})`;
  $("world-daynight").textContent = dayNight;
  $("header-daynight").textContent = dayNight;
  $("world-clock").textContent = state.clock;
  $("header-clock").textContent = state.clock;
  if (idle($("clock-input"))) $("clock-input").value = state.clock.slice(0, 5);
  if (idle($("mode-select"))) $("mode-select").value = state.parameter_mode;
  if (idle($("daynight-select"))) $("daynight-select").value = state.day_night_state === 0 ? "0" : "1";
  const select = $("scheme-select");
  if (select.options.length !== state.factory_scheme + 1) {
    select.replaceChildren();
    for (let s = 0; s <= state.factory_scheme; ++s) select.append(el("option", { value: s, text: schemeName(s) }));
  }
  if (idle(select)) select.value = state.current_scheme;
}

async function refreshState() {
  showState(await api("GET", channelPath("state")));
  if (page.timelineOpen) await drawTimeline();
}

function schemeMessage(text, good) {
  $("scheme-message").className = good ? "ok" : "bad";
  $("scheme-message").textContent = text;
}

async function schemeAction(what, body, message) {
  await act(async () => {
    const result = await api("POST", channelPath(what), body);
    if (result.state) showState(result.state);
    if (result.values) showValues(result.values);
    const good = result.saved ?? result.restored ?? result.reset ?? true;
    schemeMessage(result.message || message(result), good);
    if (page.timelineOpen) await drawTimeline();
    await pollNow();
  });
}

function showRunning(running) {
  $("run").disabled = running;
  $("run-cancel").hidden = !running;
  $("run-progress").hidden = !running;
}

async function run() {
  await act(async () => {
    const seconds = Number($("run-seconds").value);
    if (!Number.isInteger(seconds) || seconds < 1 || seconds > 86400) {
      throw new Error(`run: "${$("run-seconds").value}" is not a whole number of seconds from 1 to 86400`);
    }
    const piece = Math.max(1, Math.ceil(seconds / RUN_PIECES));
    const list = $("switches");
    list.replaceChildren();
    page.run = { cancelled: false };
    $("run-progress").max = seconds;
    $("run-progress").value = 0;
    showRunning(true);
    let done = 0, from = null, to = null, switches = 0;
    try {
      while (done < seconds && !page.run.cancelled) {
        const result = await api("POST", "/api/run", { seconds: Math.min(piece, seconds - done) });
        done += result.passes;
        from = from || result.from;
        to = result.to;
        switches += result.switches.length;
        for (const s of result.switches) {
          list.append(el("li", { text: `${s.time} channel ${s.channel}: the sensor thread switched from scheme ${s.from} to scheme ${s.to}` }));
        }
        $("run-progress").value = done;
        $("run-result").textContent = `${done} of ${seconds} passes, clock ${to}`;
      }
    } finally {
      const cancelled = page.run.cancelled;
      page.run = null;
      showRunning(false);
      if (from !== null) {
        $("run-result").textContent = `${done} passes from ${from} to ${to}, ` +
          `${switches} scheme switch${switches === 1 ? "" : "es"}${cancelled ? " (cancelled)" : ""}`;
      }
    }
    await refreshState();
    await pollNow();
  });
}

// ---- The 24-hour view ----------------------------------------------------------------------------------------

function minutesOf(text) {
  const [hour, minute] = text.split(":").map(Number);
  return hour * 60 + minute;
}

async function drawTimeline() {
  const schedule = await api("GET", channelPath("schedule"));
  showState(schedule.state);
  const drawing = $("timeline-svg");
  drawing.replaceChildren();
  const left = 90, width = 880, rowHeight = 34, top = 14;
  const x = (minute) => left + (width * minute) / 1440;
  const rows = [["day", "by day", 0], ["night", "by night", 1]];
  const sensorNight = schedule.state.day_night_state !== 0;
  const used = new Set();
  rows.forEach(([name, label, index]) => {
    const y = top + index * (rowHeight + 12);
    const active = (index === 1) === sensorNight;
    drawing.append(Object.assign(svg("text", { x: 8, y: y + rowHeight / 2 + 4, class: `row-label${active ? " active" : ""}` }),
                                 { textContent: label + (active ? " *" : "") }));
    for (const segment of schedule[name].segments) {
      const from = minutesOf(segment.from), to = minutesOf(segment.to);
      used.add(segment.scheme);
      const rect = svg("rect", { x: x(from), y, width: Math.max(x(to) - x(from), 0.5), height: rowHeight,
                                 fill: schemeColour(segment.scheme), class: "segment", "data-row": name,
                                 "data-scheme": segment.scheme, "data-from": segment.from, "data-to": segment.to });
      const title = svg("title");
      title.textContent = `${segment.from}-${segment.to} scheme ${schemeName(segment.scheme)}: ${segment.why}`;
      rect.append(title);
      drawing.append(rect);
    }
  });
  const axisY = top + 2 * rowHeight + 12 + 8;
  for (let hour = 0; hour <= 24; hour += 3) {
    drawing.append(svg("line", { x1: x(hour * 60), x2: x(hour * 60), y1: top - 4, y2: axisY, class: "axis" }));
    drawing.append(Object.assign(svg("text", { x: x(hour * 60) - 14, y: axisY + 14 }),
                                 { textContent: `${String(hour).padStart(2, "0")}:00` }));
  }
  const now = minutesOf(schedule.state.clock);
  drawing.append(svg("line", { x1: x(now), x2: x(now), y1: top - 6, y2: axisY, class: "now", id: "timeline-now" }));
  $("timeline-rule").textContent = `${schedule.rule}. The sensor reports ${sensorNight ? "night" : "day"} (*); the red line is the clock, ${schedule.state.clock}.`;
  const legend = $("timeline-legend");
  legend.replaceChildren();
  for (const scheme of [...used].sort((a, b) => a - b)) {
    legend.append(el("li", {}, [el("span", { class: "swatch", style: `background:${schemeColour(scheme)}` }),
                                `scheme ${schemeName(scheme)}`]));
  }
  const notes = $("timeline-notes");
  notes.replaceChildren();
  for (const note of new Set([...schedule.day.notes, ...schedule.night.notes])) notes.append(el("li", { text: note }));
}

// ---- Start ---------------------------------------------------------------------------------------------------

async function loadChannel() {
  const ui = await api("GET", channelPath("ui"));
  showState(ui.state);
  renderUi(ui);
  await refreshState();
  await pollNow();
}

function confirmReset() {
  $("reset-channel").textContent = page.channel;
  // Escape closes the dialog without a button: it must not find the answer of the last time.
  $("reset-dialog").returnValue = "";
  $("reset-dialog").showModal();
}

function wire() {
  $("channel").addEventListener("change", () => act(async () => { page.channel = Number($("channel").value); await loadChannel(); }));
  $("search").addEventListener("input", filterControls);
  for (const id of ["scheme-select", "mode-select", "daynight-select", "clock-input"]) {
    $(id).addEventListener("input", () => { $(id).dataset.touched = "true"; });
  }
  $("scheme-switch").addEventListener("click", () => schemeAction("scheme", { scheme: Number(taken("scheme-select")) },
                                                                     (r) => `switched to scheme ${schemeName(r.state.current_scheme)}`));
  $("mode-set").addEventListener("click", () => schemeAction("mode", { mode: Number(taken("mode-select")) },
                                                             (r) => `parameter mode ${r.state.parameter_mode}`));
  $("flush").addEventListener("click", () => schemeAction("flush", {}, () => ""));
  $("restore").addEventListener("click", () => schemeAction("restore", {}, () => ""));
  $("reset").addEventListener("click", confirmReset);
  $("reset-dialog").addEventListener("close", () => {
    if ($("reset-dialog").returnValue === "reset") schemeAction("reset", {}, () => "");
  });
  $("daynight-set").addEventListener("click", () => schemeAction("day-night", { state: Number(taken("daynight-select")) },
                                                                 (r) => `the sensor now reports ${r.state.day_night_state === 0 ? "day" : "night"}`));
  $("clock-set").addEventListener("click", () => act(async () => {
    await api("POST", "/api/clock", { time: taken("clock-input") });
    await refreshState();
  }));
  $("run").addEventListener("click", run);
  $("run-cancel").addEventListener("click", () => { if (page.run) page.run.cancelled = true; });
  $("timeline-open").addEventListener("click", () => act(async () => {
    page.timelineOpen = true;
    $("timeline").hidden = false;
    $("timeline-open").hidden = true;
    await drawTimeline();
  }));
  // Closing the page loses nothing that flush has saved; ask before losing the rest.
  window.addEventListener("beforeunload", (event) => {
    if (page.unsaved > 0) {
      event.preventDefault();
      event.returnValue = "";
    }
  });
}

async function start() {
  wire();
  await act(async () => {
    const camera = await api("GET", "/api/camera");
    const select = $("channel");
    for (const channel of camera.channels) select.append(el("option", { value: channel.channel, text: channel.channel }));
    await loadChannel();
    document.body.dataset.ready = "true";
  });
  setInterval(pollNow, POLL_MS);
}

start();
