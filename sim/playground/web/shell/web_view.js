// The web view: the site's page in the frame, as the host sees it. The site is served at this
// same origin, so the host calls page functions by name with JSON data, navigates the frame and
// dispatches its events here; the page reaches the host through window.PushwrenWebViewHost
// (used by pushwren.js, which the host adds to every page).
//
// The address bar shows the page as the site knows it (its own URL for a site behind the proxy)
// and takes a path or a URL of the site. An address outside the site is shown as a notice: the
// device would open it, but the playground hosts one site.

const FORBIDDEN_NAMES = new Set(["__proto__", "prototype", "constructor"]);
const OWN_PREFIX = "/__pushwren/";
// How often the tab asks again for a site whose server is not up yet.
const RETRY_MS = 1000;
const INFO_FUNCTIONS = new Set(["tavio_onesignal_info", "corvane_onesignal_info"]);
// The page the tab's device shows, kept across a reload of the playground's tab.
const REMEMBERED_ROUTE = "pushwren.route";
// The spellings of this machine: a site named with one is the same site under the others.
const LOOPBACK_HOSTS = new Set(["localhost", "127.0.0.1", "[::1]"]);

export class WebView {
  #frame;
  #address;
  #outside;
  #connection;
  #notice;
  #site = { kind: "folder", name: "", start: "/" };
  #url = "";
  #started = false;

  #pageConsole;

  constructor({ frame, address, outside, connection, notice, pageConsole }) {
    this.#pageConsole = pageConsole;
    this.#frame = frame;
    this.#address = address;
    this.#outside = outside;
    this.#connection = connection;
    this.#notice = notice;
    frame.addEventListener("load", () => this.#loaded());
    window.PushwrenWebViewHost = Object.freeze({
      load: (url, dataText) => this.#connection.bridge(url, dataText),
      console: (entry) => pageConsole.add(entry),
    });
  }

  set site(site) {
    this.#site = site;
    this.#outside.site.textContent = site.name;
  }

  home() {
    this.open(this.#site.start);
  }

  // After a reload of the playground's tab: the page the device showed, else the start page.
  // A site's server that is not up yet (often started beside the playground) is waited for.
  async resume() {
    const route = sessionStorage.getItem(REMEMBERED_ROUTE) ?? this.#site.start;
    if (this.#site.kind === "url") await this.#waitForSite(route);
    this.open(route);
  }

  // Until the proxy reaches the site's server: its own 502 or 504 says it could not.
  async #waitForSite(route) {
    const waiting = document.getElementById("site-waiting");
    for (;;) {
      let why = "";
      try {
        const answer = await fetch(route, { headers: { Accept: "text/html" }, cache: "no-store" });
        const fromProxy = answer.headers.get("server") === "pushwren-playground" && (answer.status === 502 || answer.status === 504);
        if (!fromProxy) break;
        const page = new DOMParser().parseFromString(await answer.text(), "text/html");
        why = page.querySelector("p")?.textContent ?? "";
      } catch (e) {
        why = e.message;
      }
      document.getElementById("site-waiting-url").textContent = this.#site.name;
      document.getElementById("site-waiting-why").textContent = why;
      waiting.hidden = false;
      await new Promise((retry) => setTimeout(retry, RETRY_MS));
    }
    waiting.hidden = true;
  }

  // Opens what a person typed, or what the host asked for: a path or a URL of the site.
  open(address) {
    const target = this.#siteUrl(address, this.#url || location.href);
    if (!target) return;
    this.#started = true;
    this.#url = target.href;
    this.#hideOutside();
    this.#address.value = this.#shown(target);
    this.#frame.src = target.href;
  }

  back() {
    this.#history((history) => history.back());
  }

  forward() {
    this.#history((history) => history.forward());
  }

  reload() {
    if (!this.#url) return;
    this.#hideOutside();
    try {
      this.#frame.contentWindow.location.reload();
    } catch (e) {
      this.#frame.src = this.#url;
    }
  }

  // Follows a URL from the host (a tap's "u", an in-app click). The host refuses anything but
  // http(s) URLs and relative references before it gets here; this is checked again, since the
  // frame runs what it is given.
  navigate(url) {
    this.open(url);
  }

  // Calls each named page function with its own copy of the data, parsed by the page. Once the
  // page's info functions have had a report, the shell says so on its <body>
  // (data-page-info="N", the reports so far), for tests that wait for a page to be ready.
  callFunctions(names, data) {
    const page = this.#pageWindow();
    if (!page) return;
    this.#callFunctions(page, names, data);
    if (names.some((name) => INFO_FUNCTIONS.has(name))) {
      document.body.dataset.pageInfo = String(Number(document.body.dataset.pageInfo ?? 0) + 1);
    }
  }

  #callFunctions(page, names, data) {
    const text = JSON.stringify(data);
    for (const name of names) {
      const found = this.#resolve(page, name);
      if (!found) {
        console.info(`Pushwren playground: the page has no function ${name}; skipped`);
        continue;
      }
      try {
        found.fn.call(found.owner, page.JSON.parse(text));
      } catch (e) {
        console.error(`Pushwren playground: page function ${name} failed`, e);
        this.#notice(`Page function ${name} failed: ${e && e.message ? e.message : e}`);
        this.#pageConsole.add({ level: "error", time: Date.now(), page: this.#url, text: `page function ${name} failed: ${e}`, stack: e?.stack ?? "" });
      }
    }
  }

  dispatchEvent(name, data) {
    const page = this.#pageWindow();
    if (!page) return;
    const detail = page.JSON.parse(JSON.stringify(data));
    page.dispatchEvent(new page.CustomEvent(name, { detail }));
  }

  // The URL on this origin that an address of the site names, or null (after saying why) for
  // one that is not the site's.
  #siteUrl(address, base) {
    const text = String(address).trim();
    let target;
    try {
      target = new URL(text, base);
    } catch (e) {
      this.#notice(`Not opened: ${text} is not a URL`);
      return null;
    }
    if (target.protocol !== "http:" && target.protocol !== "https:") {
      this.#notice(`Not opened: ${text} is not an http(s) address`);
      return null;
    }
    if (this.#isSite(target)) {
      target = new URL(target.pathname + target.search + target.hash, location.origin);
    }
    if (target.origin !== location.origin) {
      this.#showOutside(target.href);
      return null;
    }
    if (target.pathname.startsWith(OWN_PREFIX) || target.pathname === OWN_PREFIX.slice(0, -1)) {
      this.#notice(`Not opened: ${target.pathname} is the playground's own address, not a page of the site`);
      return null;
    }
    return target;
  }

  // Whether a URL names the proxied site, under any spelling of this machine's name.
  #isSite(url) {
    if (this.#site.kind !== "url") return false;
    if (url.origin === this.#site.name) return true;
    let site;
    try {
      site = new URL(this.#site.name);
    } catch (e) {
      return false;
    }
    return url.protocol === site.protocol && url.port === site.port && LOOPBACK_HOSTS.has(url.hostname) &&
      LOOPBACK_HOSTS.has(site.hostname);
  }

  // The address as the site knows it.
  #shown(url) {
    const path = url.pathname + url.search + url.hash;
    return this.#site.kind === "url" ? this.#site.name + path : path;
  }

  #showOutside(url) {
    const named = url ?? "an address outside the site";
    this.#outside.url.textContent = named;
    this.#outside.box.hidden = false;
    this.#notice(`The device would open ${named}: outside the site, not shown`);
  }

  #hideOutside() {
    this.#outside.box.hidden = true;
  }

  #history(move) {
    if (!this.#outside.box.hidden) {
      this.#hideOutside();
      return;
    }
    try {
      move(this.#frame.contentWindow.history);
    } catch (e) {
      this.#notice("The web view's history cannot be reached");
    }
  }

  #pageWindow() {
    const page = this.#frame.contentWindow;
    try {
      if (page && page.document) return page;
    } catch (e) {
      // Not the site's page: the host cannot reach into it.
    }
    this.#notice("The page in the web view is not the site's; the host cannot call into it");
    return null;
  }

  // Own properties only, so a name never reaches something the page did not define itself.
  #resolve(page, name) {
    let owner = null;
    let value = page;
    for (const part of name.split(".")) {
      if (FORBIDDEN_NAMES.has(part) || value === null || (typeof value !== "object" && typeof value !== "function")) {
        return null;
      }
      if (!Object.prototype.hasOwnProperty.call(value, part)) return null;
      owner = value;
      value = value[part];
    }
    return typeof value === "function" ? { fn: value, owner } : null;
  }

  // A link in the page to another site would leave the web view: it is shown as a notice
  // instead, as is a page that left the site some other way (the frame then shows nothing of it).
  #watchLinks(page) {
    page.document.addEventListener(
      "click",
      (event) => {
        const link = event.target instanceof page.Element ? event.target.closest("a[href]") : null;
        if (!link) return;
        let target;
        try {
          target = new URL(link.href, page.location.href);
        } catch (e) {
          return;
        }
        const ownSite = target.origin === location.origin || this.#isSite(target);
        if (ownSite || (target.protocol !== "http:" && target.protocol !== "https:")) return;
        event.preventDefault();
        this.#showOutside(target.href);
      },
      true,
    );
  }

  #loaded() {
    if (!this.#started) return;
    let page = null;
    try {
      page = this.#frame.contentWindow;
      this.#url = page.location.href;
    } catch (e) {
      page = null;
    }
    if (!page || page.location.origin !== location.origin) {
      // The page sent the frame away by script; where to is not for the shell to read.
      this.#showOutside(null);
      return;
    }
    this.#watchLinks(page);
    this.#followRoutes(page);
    this.#showRoute();
    this.#connection.loaded(this.#url);
  }

  // A single-page app moves between its routes without loading a page: the bar follows its
  // history calls and its back, forward and hash moves.
  #followRoutes(page) {
    const moved = () => {
      try {
        this.#url = page.location.href;
      } catch (e) {
        return;
      }
      this.#showRoute();
    };
    for (const name of ["pushState", "replaceState"]) {
      const original = page.history[name];
      page.history[name] = function (...args) {
        const result = original.apply(this, args);
        moved();
        return result;
      };
    }
    page.addEventListener("popstate", moved);
    page.addEventListener("hashchange", moved);
  }

  #showRoute() {
    const url = new URL(this.#url);
    this.#address.value = this.#shown(url);
    sessionStorage.setItem(REMEMBERED_ROUTE, url.pathname + url.search + url.hash);
  }
}
