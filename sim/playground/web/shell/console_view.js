// The page's console in the panel: what the page logged, its uncaught errors and unhandled
// rejections, and exceptions in its Pushwren listeners, sent by the page client. It is the page's
// output, not something the device did: sessions do not record it.

const $ = (id) => document.getElementById(id);

const ENTRIES_KEPT = 500;
const LEVELS = ["log", "info", "warn", "error"];
// What each choice of the filter shows.
const SHOWN = {
  all: new Set(LEVELS),
  warn: new Set(["warn", "error"]),
  error: new Set(["error"]),
};

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined) made.textContent = text;
  return made;
}

export class ConsoleView {
  #list = $("page-console");
  #filter = $("console-level");
  #count = $("console-count");
  #total = 0;

  constructor() {
    this.#filter.addEventListener("change", () => this.#applyFilter());
    $("console-clear").addEventListener("click", () => this.clear());
    this.clear();
  }

  // {level, time, page, text, stack} from the page; anything else the page sends is read as text.
  add(entry) {
    const level = LEVELS.includes(entry?.level) ? entry.level : "log";
    const time = new Date(Number.isFinite(entry?.time) ? entry.time : Date.now());
    this.#list.querySelector(".empty")?.remove();
    const item = element("li", `console-entry ${level}`);
    item.dataset.level = level;
    const stamp = element("time", "console-time", time.toLocaleTimeString([], { hour12: false }));
    stamp.dateTime = time.toISOString();
    const head = element("div", "console-head");
    head.append(stamp, element("span", "console-level", level), element("span", "console-text", String(entry?.text ?? "")));
    item.append(head);
    const page = String(entry?.page ?? "");
    if (page) item.append(element("div", "console-page", page));
    const stack = String(entry?.stack ?? "");
    if (stack) {
      const details = element("details", "console-stack");
      details.append(element("summary", "", "Stack"), element("pre", "", stack));
      item.append(details);
    }
    item.hidden = !SHOWN[this.#filter.value].has(level);
    this.#list.append(item);
    while (this.#list.children.length > ENTRIES_KEPT) this.#list.firstElementChild.remove();
    this.#total++;
    this.#count.textContent = `${this.#total}`;
    this.#list.scrollTop = this.#list.scrollHeight;
  }

  clear() {
    this.#list.replaceChildren(element("li", "empty", "The page has written nothing."));
    this.#total = 0;
    this.#count.textContent = "";
  }

  #applyFilter() {
    const shown = SHOWN[this.#filter.value];
    for (const item of this.#list.querySelectorAll(".console-entry")) item.hidden = !shown.has(item.dataset.level);
  }
}
