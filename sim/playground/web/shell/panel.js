// The device panel: fires the push service's events as scenario steps, and shows the simulated
// device's state, the trace and what the host refused.

import { parseMap } from "./compose.js";
import { applyStep } from "./steps.js";

const PERMISSION_NAMES = { granted: "granted", prompt: "not asked yet", denied: "denied" };

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
    $("notices-clear").addEventListener("click", () => this.clearNotices());
  }

  // Applies a step and says how it went in `status`, beside the control that sent it (touches on
  // the phone say it beside the "Any step" box). Answers the step's lines, or null when refused.
  async step(step, status = this.#status) {
    this.say(status, `${step.do}…`, "busy");
    try {
      const lines = await applyStep(step);
      this.say(status, `${step.do}: ${lines.length} trace line${lines.length === 1 ? "" : "s"}`, "ok");
      return lines;
    } catch (e) {
      this.say(status, `${step.do}: ${e.message}`, "error");
      return null;
    }
  }

  say(status, text, kind) {
    status.textContent = text;
    status.className = `step-status ${kind}`;
  }

  // Keeps the newest lines; each keeps its number. Each step that reached the device heads the
  // lines it set off, from its "from" to the next step's.
  appendTrace(from, lines, steps) {
    let next = 0;
    const startSteps = (index) => {
      while (next < steps.length && steps[next].from <= index) {
        const group = element("div", "trace-step");
        group.append(stepHeading(steps[next++].source));
        this.#trace.append(group);
        this.#group = group;
      }
    };
    lines.forEach((line, i) => {
      startSteps(from + i);
      // A cleared view has let go of the group the lines were going to.
      if (!this.#group?.isConnected) {
        this.#group = element("div", "trace-step");
        this.#group.append(stepHeading(null));
        this.#trace.append(this.#group);
      }
      const item = element("div", `trace-line ${effectKind(line)}`);
      item.append(element("span", "trace-number", String(from + i + 1)), element("span", "", JSON.stringify(line)));
      this.#group.append(item);
    });
    startSteps(Number.POSITIVE_INFINITY);
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

  notice(text) {
    this.#notices.querySelector(".empty")?.remove();
    const item = element("li", "notice");
    const now = new Date();
    const time = element("time", "notice-time", now.toLocaleTimeString([], { hour12: false }));
    time.dateTime = now.toISOString();
    item.append(time, element("span", "notice-text", text));
    this.#notices.prepend(item);
    while (this.#notices.children.length > 20) this.#notices.lastElementChild.remove();
    $("notices-clear").hidden = false;
  }

  clearNotices() {
    this.#notices.replaceChildren(element("li", "empty", "Nothing refused."));
    $("notices-clear").hidden = true;
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
      ["Permission", PERMISSION_NAMES[state.permission] ?? String(state.permission)],
      ["Consent", `${state.consentRequired ? "required" : "not required"} · ${state.consentGiven ? "given" : "not given"}`],
      ["OneSignal id", state.onesignalId ?? "none"],
      ["External id", state.externalId ?? "none"],
      ["Tags", chips(state.tags)],
      ["Triggers", chips(state.triggers)],
      ["In-app messages", `${state.paused ? "paused" : "running"}${(state.messagesOnScreen ?? []).length ? ` · showing ${state.messagesOnScreen.map((m) => m.id).join(", ")}` : ""}`],
      ["Foreground", state.config.oneSignalV5ForegroundNotificationsEnabled ? "shown" : "hidden"],
      ["Badge", String(state.badge)],
      ["Location asked", yesNo(state.locationRequested)],
      ["Manifest", state.config.oneSignalV5TagsJsonUrl ?? "none"],
    ];
    for (const [name, value] of rows) {
      list.append(element("dt", "", name));
      const cell = element("dd");
      // A long value is cut to its line; the whole is in the tooltip and in what is copied.
      if (typeof value === "string") {
        cell.className = "cut";
        cell.textContent = value;
        cell.title = value;
      } else {
        cell.append(value);
      }
      list.append(cell);
    }
  }

  #wireForms() {
    // Each form says how its step went in its own status line.
    const submit = (id, makeStep) =>
      $(id).addEventListener("submit", (event) => {
        event.preventDefault();
        const status = $(id).querySelector(".step-status");
        let step;
        try {
          step = makeStep();
        } catch (e) {
          this.say(status, e.message, "error");
          return;
        }
        this.step(step, status);
      });

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
    const tracking = $("tracking-status");
    $("tracking-allow").addEventListener("click", () => this.step({ do: "trackingStatus", object: true }, tracking));
    $("tracking-deny").addEventListener("click", () => this.step({ do: "trackingStatus", object: false }, tracking));
    submit("step-form", () => parseMap($("step-json").value, "The step"));
  }
}

function chips(map) {
  const keys = Object.keys(map);
  if (keys.length === 0) return "none";
  const list = element("span", "chips");
  for (const key of keys) {
    const text = `${key} = ${JSON.stringify(map[key])}`;
    const chip = element("span", "chip", text);
    chip.title = text;
    list.append(chip);
  }
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
