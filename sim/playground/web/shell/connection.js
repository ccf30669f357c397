import { device } from "./device.js";

// The tab's WebSocket to its device. The host answers a bridge request by calling page functions,
// navigating or dispatching events (each its own message), then returns the request by its id.

export class HostConnection {
  #socket;
  #pending = new Map();
  #lastRequest = 0;
  #onMessage;
  #onClose;
  // Why the device cannot answer now (its process crashed), or null while it runs.
  #down = null;

  constructor({ onOpen, onMessage, onClose }) {
    this.#onMessage = onMessage;
    this.#onClose = onClose;
    const scheme = location.protocol === "https:" ? "wss:" : "ws:";
    this.#socket = new WebSocket(`${scheme}//${location.host}${device.socketPath()}`);
    this.#socket.addEventListener("open", () => onOpen());
    this.#socket.addEventListener("message", (event) => this.#receive(event.data));
    this.#socket.addEventListener("close", () => this.#closed());
  }

  get isOpen() {
    return this.#socket.readyState === WebSocket.OPEN;
  }

  // Sends a URL the page asks to load, with its bridge data as JSON text. Resolves with
  // { load } once the host has handled it.
  bridge(url, dataText) {
    if (!this.isOpen) return Promise.reject(new Error("The playground has stopped; start it again and reload."));
    if (this.#down) return Promise.reject(new Error(this.#down));
    let data;
    try {
      data = dataText === undefined ? {} : JSON.parse(dataText);
    } catch (e) {
      return Promise.reject(new Error("The bridge data is not JSON: " + e.message));
    }
    const id = ++this.#lastRequest;
    return new Promise((resolve, reject) => {
      this.#pending.set(id, { resolve, reject });
      this.#socket.send(JSON.stringify({ type: "bridge", id, url: String(url), data }));
    });
  }

  // The device's process ended: what waits for it will never be answered, so it fails now, and
  // so does whatever the page asks until the device runs again.
  deviceDown(reason) {
    this.#down = reason;
    this.#failPending(reason);
  }

  deviceUp() {
    this.#down = null;
  }

  // The web view finished loading a page.
  loaded(url) {
    if (this.isOpen) this.#socket.send(JSON.stringify({ type: "loaded", url }));
  }

  #receive(text) {
    let message;
    try {
      message = JSON.parse(text);
    } catch (e) {
      console.error("Pushwren playground: unreadable message from the host", text);
      return;
    }
    if (message.type === "return") {
      const pending = this.#pending.get(message.id);
      this.#pending.delete(message.id);
      if (pending) pending.resolve({ load: message.load });
      return;
    }
    this.#onMessage(message);
  }

  #failPending(reason) {
    for (const { reject } of this.#pending.values()) reject(new Error(reason));
    this.#pending.clear();
  }

  #closed() {
    this.#failPending("The playground has stopped; the call was not answered.");
    this.#onClose();
  }
}
