// What the phone shows over the web view besides native screens: the banner of a notification
// the plugin displayed, the notification list, in-app messages, the system's permission prompt
// and the home screen with the app's badge. Touches become steps, so they record and replay like
// any other. Every text here is the page's or the push service's: it is set as text, never markup.

const BANNER_SHOWN_MS = 5000;
// The list keeps the newest, as the push service keeps a device's waiting ones.
const MOST_LISTED = 100;
const BANNER_LEAVING_MS = 400; // the slide out in playground.css

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined && text !== null) made.textContent = text;
  return made;
}

function button(className, text, onClick) {
  const made = element("button", className, text);
  made.type = "button";
  made.addEventListener("click", onClick);
  return made;
}

// The fields a notificationClick needs to tap the same notification again.
function tapStep(notification) {
  const step = { do: "notificationClick" };
  for (const key of ["title", "body", "additionalData"]) {
    if (notification[key] !== undefined && notification[key] !== null) step[key] = notification[key];
  }
  return step;
}

export class PhoneOverlays {
  #parts;
  #step;
  #pending = null; // the notificationWillDisplay whose lines are arriving
  #listed = []; // shown and not tapped, newest first
  #live = false;
  #messagesShown = "[]";
  // Set by push_api.js: which push API notification a step from the "api" source shows, and what
  // a tap on one does (the service counts it and taps it on the device).
  apiArrival = () => undefined;
  apiTap = () => {};

  // `parts`: the elements in index.html; `step` applies a scenario step (the panel's).
  constructor(parts, step) {
    this.#parts = parts;
    this.#step = step;
    parts.homeToggle.addEventListener("click", () => this.toggleHome());
    parts.appIcon.addEventListener("click", () => this.toggleHome(false));
    parts.promptDeny.addEventListener("click", () => step({ do: "permission", allow: false }));
    parts.promptAllow.addEventListener("click", () => step({ do: "permission", allow: true }));
  }

  // A step reached the device; a foreground notification's lines follow it.
  stepSource(source) {
    const step = source?.kind === "step" ? source.step : null;
    this.#pending = step && step.do === "notificationWillDisplay" ? step : null;
    if (this.#pending && source.by === "api") this.#pending = { ...step, api: this.apiArrival() };
  }

  // A push API notification that waits in the list (the app was not in the foreground).
  listFromApi(notification) {
    if (this.#listed.some((listed) => listed.api?.id === notification.id)) return;
    this.#list({ ...notification, api: notification });
  }

  #tap(notification) {
    if (notification.api) return this.apiTap(notification.api);
    this.#step(tapStep(notification));
  }

  // Trace lines as they come. Lines replayed to a tab that has just opened draw nothing: those
  // banners went long ago.
  traceLines(lines) {
    if (!this.#live || !this.#pending) return;
    if (lines.some((line) => line[0] === "notification.display")) {
      const notification = this.#pending;
      this.#pending = null;
      this.#banner(notification);
    }
  }

  // The device's state: what stays on the phone until the user acts.
  device(state) {
    this.#live = true;
    this.#prompt(state.permissionPromptOpen);
    this.#messages(state.messagesOnScreen ?? []);
    const badge = this.#parts.badge;
    badge.textContent = state.badge > 0 ? String(state.badge) : "";
    badge.hidden = !(state.badge > 0);
    this.#parts.appIcon.setAttribute("aria-label", state.badge > 0 ? `App, ${state.badge} new` : "App");
  }

  toggleHome(show = this.#parts.home.hidden) {
    this.#parts.home.hidden = !show;
    this.#parts.homeToggle.textContent = show ? "Back to the app" : "Home screen";
    this.#parts.homeToggle.setAttribute("aria-pressed", String(show));
  }

  #banner(notification) {
    const banner = button("banner", "", () => {
      banner.remove();
      this.#unlist(notification);
      this.#tap(notification);
    });
    banner.append(element("span", "banner-app", "App · now"), element("strong", "banner-title", notification.title ?? ""),
      element("span", "banner-body", notification.body ?? ""));
    this.#parts.banners.prepend(banner);
    this.#list(notification);
    // It goes after a few seconds, but not from under the pointer or the keyboard focus.
    let timers = [];
    const leaveSoon = () => {
      timers.forEach(clearTimeout);
      timers = [
        setTimeout(() => banner.classList.add("leaving"), BANNER_SHOWN_MS),
        setTimeout(() => banner.remove(), BANNER_SHOWN_MS + BANNER_LEAVING_MS),
      ];
    };
    const stay = () => {
      timers.forEach(clearTimeout);
      banner.classList.remove("leaving");
    };
    banner.addEventListener("mouseenter", stay);
    banner.addEventListener("focus", stay);
    banner.addEventListener("mouseleave", leaveSoon);
    banner.addEventListener("blur", leaveSoon);
    leaveSoon();
  }

  #unlist(notification) {
    this.#listed = this.#listed.filter((listed) => listed !== notification);
    this.#drawList();
  }

  // A new notification goes on top of what is drawn: every tab draws one with each banner, so
  // the list is not drawn again from the start.
  #list(notification) {
    this.#listed.unshift(notification);
    const list = this.#parts.list;
    list.querySelector(".empty")?.remove();
    list.prepend(this.#listedItem(notification));
    while (this.#listed.length > MOST_LISTED) {
      this.#listed.pop();
      list.lastElementChild.remove();
    }
  }

  #drawList() {
    const list = this.#parts.list;
    list.replaceChildren(...this.#listed.map((notification) => this.#listedItem(notification)));
    if (this.#listed.length === 0) list.append(element("li", "empty", "No notifications"));
  }

  #listedItem(notification) {
    const item = element("li");
    const tap = button("listed-notification", "", () => {
      this.#unlist(notification);
      this.toggleHome(false);
      this.#tap(notification);
    });
    tap.append(element("strong", "", notification.title ?? "Notification"), element("span", "", notification.body ?? ""));
    item.append(tap);
    return item;
  }

  #prompt(open) {
    const prompt = this.#parts.prompt;
    if (prompt.hidden === !open) return;
    prompt.hidden = !open;
    if (open) this.#parts.promptAllow.focus();
  }

  #messages(messages) {
    const text = JSON.stringify(messages);
    if (text === this.#messagesShown) return;
    this.#messagesShown = text;
    const layer = this.#parts.messages;
    const before = new Set([...layer.querySelectorAll(".in-app-message")].map((card) => card.dataset.id));
    layer.replaceChildren();
    layer.hidden = messages.length === 0;
    // Each shown message stays until a closing button; the newest is on top.
    for (const message of messages) {
      const card = element("div", "in-app-message");
      card.dataset.id = message.id;
      card.setAttribute("role", "dialog");
      card.setAttribute("aria-modal", "true");
      const titleId = `in-app-title-${layer.children.length}`;
      card.setAttribute("aria-labelledby", titleId);
      const title = element("h3", "in-app-title", message.title);
      title.id = titleId;
      const buttons = element("div", "in-app-buttons");
      message.buttons.forEach((shown, index) =>
        buttons.append(button("in-app-button", shown.text, () => this.#step({ do: "inAppMessageButton", id: message.id, button: index }))),
      );
      card.append(title, element("p", "in-app-body", message.body), buttons);
      layer.append(card);
    }
    // A message that has just appeared takes the keyboard, as the device's own would.
    const newest = layer.lastElementChild;
    if (newest && !before.has(newest.dataset.id)) newest.querySelector("button")?.focus();
  }
}
