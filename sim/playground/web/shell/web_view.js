// The web view: the page in the frame, as the host sees it. The host calls page functions by
// name with JSON data, navigates the frame and dispatches its events here; the page reaches the
// host through window.PushwrenWebViewHost (used by pushwren.js).

const FORBIDDEN_NAMES = new Set(["__proto__", "prototype", "constructor"]);

export class WebView {
  #frame;
  #address;
  #connection;
  #notice;
  #url = "";
  #started = false;

  constructor({ frame, address, connection, notice }) {
    this.#frame = frame;
    this.#address = address;
    this.#connection = connection;
    this.#notice = notice;
    frame.addEventListener("load", () => this.#loaded());
    window.PushwrenWebViewHost = Object.freeze({
      load: (url, dataText) => this.#connection.bridge(url, dataText),
    });
  }

  open(url) {
    this.#started = true;
    this.#url = new URL(url, location.href).href;
    this.#address.textContent = this.#url;
    this.#frame.src = this.#url;
  }

  reload() {
    if (this.#url) this.open(this.#url);
  }

  // Follows a URL from the host. The host refuses anything but http(s) URLs and relative
  // references before it gets here; this is checked again, since the frame runs what it is given.
  navigate(url) {
    let target;
    try {
      target = new URL(url, this.#url || location.href);
    } catch (e) {
      this.#notice(`Not followed: ${url} is not a URL`);
      return;
    }
    if (target.protocol !== "http:" && target.protocol !== "https:") {
      this.#notice(`Not followed: ${url} is not an http(s) address`);
      return;
    }
    this.open(target.href);
  }

  // Calls each named page function with its own copy of the data, parsed by the page.
  callFunctions(names, data) {
    const page = this.#pageWindow();
    if (!page) return;
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
      }
    }
  }

  dispatchEvent(name, data) {
    const page = this.#pageWindow();
    if (!page) return;
    const detail = page.JSON.parse(JSON.stringify(data));
    page.dispatchEvent(new page.CustomEvent(name, { detail }));
  }

  #pageWindow() {
    const page = this.#frame.contentWindow;
    try {
      if (page && page.document) return page;
    } catch (e) {
      // A page of another site: the host cannot reach into it.
    }
    this.#notice("The page in the web view is from another site; the host cannot call into it");
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

  #loaded() {
    if (!this.#started) return;
    try {
      this.#url = this.#frame.contentWindow.location.href;
    } catch (e) {
      // Another site: keep the address we sent it to.
    }
    this.#address.textContent = this.#url;
    this.#connection.loaded(this.#url);
  }
}
