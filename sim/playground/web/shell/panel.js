// The device panel: fires the push service's events as scenario steps, and shows the simulated
// device's state, the trace and what the host refused.

import { applyStep } from "./steps.js";

const TAP_PRESETS = {
  data: { story: 7, title: "Match report" },
  page: { u: "/?story=7" },
  web: { targetUrl: "https://example.com/news/today" },
  script: { u: "javascript:alert(document.cookie)" },
  none: null,
};

const TRACE_LINES_SHOWN = 1000;

const $ = (id) => document.getElementById(id);

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined) made.textContent = text;
  return made;
}

export class Panel {
  #status = $("step-status");
  #trace = $("trace");
  #traceCount = $("trace-count");
  #notices = $("notices");
  #scrollPending = false;
  #group = null;
  #shownLines = 0;
  // Whether the trace scrolls to each new line; off while the person reads (trace_view.js).
  following = true;

  constructor() {
    this.#wireForms();
    this.#showPreset("data");
  }

  // Applies a step and says how it went under the forms.
  async step(step) {
    this.#say(`${step.do}…`, "busy");
    try {
      const lines = await applyStep(step);
      this.#say(`${step.do}: ${lines.length} trace line${lines.length === 1 ? "" : "s"}`, "ok");
      return lines;
    } catch (e) {
      this.#say(`${step.do}: ${e.message}`, "error");
      return null;
    }
  }

  // A step reached the device: the lines that follow are its effects, shown under it.
  showStep(source) {
    const group = element("div", "trace-step");
    group.append(stepHeading(source));
    this.#trace.append(group);
    this.#group = group;
  }

  // Keeps the newest lines; each keeps its number.
  appendTrace(from, lines) {
    if (!this.#group?.isConnected) this.showStep(null);
    const added = document.createDocumentFragment();
    lines.forEach((line, i) => {
      const item = element("div", `trace-line ${effectKind(line)}`);
      item.append(element("span", "trace-number", String(from + i + 1)), element("span", "", JSON.stringify(line)));
      added.append(item);
    });
    this.#group.append(added);
    this.#shownLines += lines.length;
    while (this.#shownLines > TRACE_LINES_SHOWN) {
      const oldest = this.#trace.firstElementChild;
      const line = oldest.querySelector(".trace-line");
      if (line) {
        line.remove();
        this.#shownLines--;
      }
      if (!line || (oldest !== this.#group && !oldest.querySelector(".trace-line"))) oldest.remove();
    }
    this.#traceCount.textContent = `${from + lines.length} lines`;
    this.#scrollSoon();
  }

  // Empties the trace's view; the device's record keeps every line.
  clearTrace() {
    this.#trace.replaceChildren();
    this.#group = null;
    this.#shownLines = 0;
  }

  #scrollSoon() {
    if (!this.following) return;
    // Scrolling in the next frame lays the list out once, with the frame, not in the middle of
    // the page's own work.
    if (!this.#scrollPending) {
      this.#scrollPending = true;
      requestAnimationFrame(() => {
        this.#scrollPending = false;
        this.#trace.scrollTop = this.#trace.scrollHeight;
      });
    }
  }

  // Says under the forms why a step could not be made.
  showError(text) {
    this.#say(text, "error");
  }

  notice(text) {
    this.#notices.querySelector(".empty")?.remove();
    const item = element("li", "notice", text);
    this.#notices.prepend(item);
    while (this.#notices.children.length > 20) this.#notices.lastElementChild.remove();
  }

  showDevice(state) {
    const list = $("device-state");
    list.replaceChildren();
    const yesNo = (flag) => (flag ? "yes" : "no");
    const subscription = state.subscription;
    const rows = [
      ["Push enabled", yesNo(state.config.oneSignalV5Enabled)],
      ["App id", state.config.oneSignalV5AppId ?? "none"],
      ["Subscription", `${subscription.id ?? "no id"} · ${subscription.token ?? "no token"}`],
      ["Opted in", yesNo(subscription.optedIn)],
      ["Consent", `${state.consentRequired ? "required" : "not required"} · ${state.consentGiven ? "given" : "not given"}`],
      ["OneSignal id", state.onesignalId ?? "none"],
      ["External id", state.externalId ?? "none"],
      ["Tags", chips(state.tags)],
      ["Triggers", chips(state.triggers)],
      ["In-app messages", state.paused ? "paused" : "running"],
      ["Foreground", state.config.oneSignalV5ForegroundNotificationsEnabled ? "shown" : "hidden"],
      ["Badge", String(state.badge)],
      ["Location asked", yesNo(state.locationRequested)],
      ["Manifest", state.config.oneSignalV5TagsJsonUrl ?? "none"],
    ];
    for (const [name, value] of rows) {
      list.append(element("dt", "", name));
      const cell = element("dd");
      if (typeof value === "string") cell.textContent = value;
      else cell.append(value);
      list.append(cell);
    }
  }

  #say(text, kind) {
    this.#status.textContent = text;
    this.#status.className = `step-status ${kind}`;
  }

  #showPreset(name) {
    const data = TAP_PRESETS[name];
    $("tap-data").value = data ? JSON.stringify(data, null, 1).replace(/\n\s*/g, " ") : "";
    $("tap-data").disabled = data === null;
  }

  #wireForms() {
    const submit = (id, makeStep) =>
      $(id).addEventListener("submit", (event) => {
        event.preventDefault();
        let step;
        try {
          step = makeStep();
        } catch (e) {
          this.#say(e.message, "error");
          return;
        }
        this.step(step);
      });

    $("tap-preset").addEventListener("change", (event) => this.#showPreset(event.target.value));
    submit("tap-form", () => {
      if ($("tap-preset").value === "none") return { do: "notificationClick" };
      return { do: "notificationClick", additionalData: parseObject($("tap-data").value, "The custom data") };
    });
    submit("foreground-form", () => ({ do: "notificationWillDisplay" }));
    submit("in-app-form", () => {
      const step = { do: "inAppMessageClick", closingMessage: $("in-app-closing").checked };
      if ($("in-app-url").value) step.url = $("in-app-url").value;
      if ($("in-app-action").value) step.actionId = $("in-app-action").value;
      return step;
    });
    submit("subscription-form", () => {
      const current = { optedIn: $("subscription-opted-in").checked };
      if ($("subscription-id").value) current.id = $("subscription-id").value;
      if ($("subscription-token").value) current.token = $("subscription-token").value;
      return { do: "subscriptionChanged", current };
    });
    $("tracking-allow").addEventListener("click", () => this.step({ do: "trackingStatus", object: true }));
    $("tracking-deny").addEventListener("click", () => this.step({ do: "trackingStatus", object: false }));
    submit("step-form", () => parseObject($("step-json").value, "The step"));
  }
}

export function parseObject(text, what) {
  let value;
  try {
    value = JSON.parse(text);
  } catch (e) {
    throw new Error(`${what} is not JSON: ${e.message}`);
  }
  if (value === null || typeof value !== "object" || Array.isArray(value)) throw new Error(`${what} must be a JSON object`);
  return value;
}

function chips(map) {
  const keys = Object.keys(map);
  if (keys.length === 0) return "none";
  const list = element("span", "chips");
  for (const key of keys) list.append(element("span", "chip", `${key} = ${JSON.stringify(map[key])}`));
  return list;
}

// The line above a step's effects: where it came from and what it asked for.
function stepHeading(source) {
  const heading = element("div", `step-source ${source?.kind ?? "earlier"}`);
  if (!source) {
    heading.append(element("span", "step-by", "earlier"));
    return heading;
  }
  switch (source.kind) {
    case "bridge":
      heading.append(
        element("span", "step-by", `${source.tab} ·`),
        element("span", "step-path", source.path),
        element("span", "step-data", JSON.stringify(source.data)),
      );
      if (source.flag) heading.append(element("span", "step-flag", source.flag));
      break;
    case "step": {
      const { do: name, ...fields } = source.step;
      heading.append(element("span", "step-by", `${source.by} ·`), element("span", "step-path", String(name)));
      if (Object.keys(fields).length > 0) heading.append(element("span", "step-data", JSON.stringify(fields)));
      break;
    }
    case "load":
      heading.append(element("span", "step-by", `${source.tab} ·`), element("span", "step-path", "page loaded"),
        element("span", "step-data", source.url ?? ""));
      break;
    default: {
      const what = { open: "tab opened", close: "tab closed", relaunch: "runner of the new process" };
      heading.append(element("span", "step-by", `${source.tab} ·`),
        element("span", "step-path", what[source.kind] ?? source.kind));
    }
  }
  return heading;
}

function effectKind(line) {
  const effect = String(line[0]);
  if (effect.startsWith("OneSignal.")) return "sdk";
  if (effect.startsWith("runner.")) return "page";
  if (effect.startsWith("ui.")) return "screen";
  if (effect === "log") return "log";
  if (effect === "http.get") return "http";
  return "host";
}
