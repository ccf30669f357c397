// The push API's side of the panel: every request a backend sent to the playground's push
// service (its time, targeting, who received it and how, why each other device did not, the
// fields it ignored), and the notifications it sent this device, drawn and tapped on the phone.
// The home screen's state goes to the service, which decides where a notification lands.

import { device } from "./device.js";

const API = "/__pushwren/api";
const REQUESTS_SHOWN = 50;

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined && text !== null) made.textContent = text;
  return made;
}

function post(path, body) {
  return fetch(`${API}${path}?device=${encodeURIComponent(device.id)}`, {
    method: "POST",
    headers: { "Content-Type": "application/json" },
    body: JSON.stringify(body),
  }).catch(() => null);
}

export class PushApiPanel {
  #list;
  #hint;
  #requests = new Map(); // number -> the request as the panel shows it
  #arriving = []; // foreground notifications whose steps are on their way
  #overlays;
  #home;

  // `panel`: the panel's section; `overlays`: the phone (phone_overlays.js); `home`: the home screen.
  constructor(panel, overlays, home) {
    this.#overlays = overlays;
    this.#home = home;
    const card = element("section", "card push-api");
    card.setAttribute("aria-labelledby", "push-api-heading");
    const heading = element("h3", "", "Push API");
    heading.id = "push-api-heading";
    this.#hint = element("p", "hint", `POST ${location.origin}${API}/notifications`);
    this.#list = element("ol", "push-api-requests");
    this.#list.id = "push-api-requests";
    this.#list.setAttribute("aria-live", "polite");
    card.append(heading, this.#hint, this.#list);
    // Above the "Any step" box, which stays at the panel's foot.
    panel.insertBefore(card, panel.querySelector(".any-step"));
    this.#draw();
    overlays.apiArrival = () => this.#arriving.shift();
    overlays.apiTap = (notification) => post("/opened", { id: notification.id });
    new MutationObserver(() => this.#tellScreen()).observe(home, { attributes: true, attributeFilter: ["hidden"] });
  }

  // The tab shows its device: what the service holds for it so far.
  async deviceShown() {
    this.#tellScreen();
    const answer = await fetch(`${API}/requests?device=${encodeURIComponent(device.id)}`)
      .then((response) => response.json())
      .catch(() => null);
    if (!answer) return;
    this.#hint.textContent =
      `POST ${location.origin}${API}/notifications with app_id "${answer.appId}" (any REST API key)`;
    for (const request of answer.requests) this.#requests.set(request.number, request);
    for (const notification of answer.waiting) this.#overlays.listFromApi(notification);
    this.#draw();
  }

  // {type: "pushApi", event: "request" | "foreground" | "waiting", request | notification}
  message(message) {
    if (message.event === "request") {
      this.#show(message.request);
    } else if (message.event === "foreground") {
      this.#arriving.push(message.notification);
    } else if (message.event === "waiting") {
      this.#overlays.listFromApi(message.notification);
    }
  }

  #tellScreen() {
    if (device.id) post("/screen", { home: !this.#home.hidden });
  }

  // Every request, newest first. A request that changes later redraws only its own item: the
  // tab is drawing banners at the same time.
  #draw() {
    const newest = [...this.#requests.values()].sort((a, b) => b.number - a.number).slice(0, REQUESTS_SHOWN);
    this.#list.replaceChildren(...newest.map((request) => this.#item(request)));
    if (newest.length === 0) this.#list.append(element("li", "empty", "No request yet."));
  }

  #show(request) {
    const known = this.#requests.has(request.number);
    this.#requests.set(request.number, request);
    const shown = this.#list.querySelector(`li[data-number="${request.number}"]`);
    if (shown) return shown.replaceWith(this.#item(request));
    if (known) return;
    this.#list.querySelector(".empty")?.remove();
    this.#list.prepend(this.#item(request));
    while (this.#list.children.length > REQUESTS_SHOWN) this.#list.lastElementChild.remove();
  }

  #item(request) {
    const item = element("li", `push-api-request ${request.errors.length ? "refused" : ""}`);
    item.dataset.id = request.id;
    item.dataset.number = String(request.number);
    const time = request.time.slice(11, 19);
    item.append(element("div", "push-api-line", `${time} · ${request.targeting ?? "no targeting"}`));
    item.append(element("div", "push-api-outcome", request.outcome));
    if (request.title || request.body) {
      item.append(element("div", "push-api-content", [request.title, request.body].filter(Boolean).join(" — ")));
    }
    const details = element("ul", "push-api-devices");
    for (const error of request.errors) details.append(element("li", "error", error));
    for (const reached of request.recipients) {
      details.append(element("li", "reached", `device ${reached.device}: ${reached.how}`));
    }
    for (const missed of request.notReached) {
      details.append(element("li", "not-reached", `device ${missed.device} not reached: ${missed.why}`));
    }
    if (request.url) details.append(element("li", "", `launch URL ${request.url}: a tap opens it in the device's browser`));
    if (request.taps > 0) details.append(element("li", "", `tapped on ${request.taps} device${request.taps === 1 ? "" : "s"}`));
    if (request.ignored.length) details.append(element("li", "ignored", `ignored fields: ${request.ignored.join(", ")}`));
    item.append(details);
    return item;
  }
}
