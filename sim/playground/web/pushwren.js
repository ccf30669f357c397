// Pushwren page client: the page's side of the push plugin's bridge, with promises.
//
//   <script src="/__pushwren/pushwren.js"></script>   (added to every page by the host)
//   const answer = await Pushwren.call("/tags/set", { tags: { news: "1" } });   // { success: true }
//   const { tags } = await Pushwren.call("/tags/get");
//   await Pushwren.call("/register");                                           // undefined: no answer
//   const stop = Pushwren.on("pushOpened", (data) => show(data));   // stop() removes it
//
// A call sends the bridge URL with its data to the host of the web view. Each call gets a
// callback name of its own, so answers never mix; a command that does not answer resolves with
// undefined once the host has taken the URL. Types: pushwren.d.ts.
(function () {
  "use strict";
  // Loaded twice (by the page and by the host), the first copy stays: its answers are pending.
  if (window.Pushwren) return;

  const BRIDGE_URL = "pushwren://onesignal";
  const EVENTS = ["pushOpened", "info", "inAppMessageClick"];
  const INFO_FUNCTIONS = ["tavio_onesignal_info", "corvane_onesignal_info"];
  const PUSH_OPENED_EVENT = "_tavio_onesignal_push_opened";

  // Answer functions by key; the host calls them by name ("Pushwren._answers.a7").
  const answers = {};
  const listeners = new Map(EVENTS.map((name) => [name, new Set()]));
  let lastAnswer = 0;
  let inAppHandlerSet = false;

  function webViewHost() {
    try {
      if (window.parent !== window && window.parent.PushwrenWebViewHost) return window.parent.PushwrenWebViewHost;
    } catch (e) {
      // A parent of another origin is not our host.
    }
    return null;
  }

  // Errors made in the host's window are turned into this page's own, so `instanceof Error`
  // holds for the page.
  function pageError(error) {
    return new Error(error && error.message ? String(error.message) : String(error));
  }

  function call(path, data) {
    if (typeof path !== "string" || !path.startsWith("/")) {
      return Promise.reject(new TypeError('Pushwren.call: the path must be a string that begins with "/", like "/tags/get"'));
    }
    if (data !== undefined && (data === null || typeof data !== "object" || Array.isArray(data))) {
      return Promise.reject(new TypeError("Pushwren.call: the data must be an object"));
    }
    const host = webViewHost();
    if (!host) {
      return Promise.reject(new Error("Pushwren.call: this page is not running in the playground's web view"));
    }
    const key = "a" + ++lastAnswer;
    return new Promise((resolve, reject) => {
      answers[key] = (answer) => {
        delete answers[key];
        resolve(answer);
      };
      let text;
      try {
        text = JSON.stringify(Object.assign({}, data, { callback: "Pushwren._answers." + key }));
      } catch (e) {
        delete answers[key];
        reject(e);
        return;
      }
      // Answers come before the host's return, so a call still waiting then gets none.
      host.load(BRIDGE_URL + path, text).then(
        () => {
          if (answers[key]) {
            delete answers[key];
            resolve(undefined);
          }
        },
        (error) => {
          delete answers[key];
          reject(pageError(error));
        },
      );
    });
  }

  function emit(name, ...args) {
    for (const listener of listeners.get(name)) {
      try {
        listener(...args);
      } catch (e) {
        console.error("Pushwren: a " + name + " listener failed:", e);
      }
    }
  }

  function on(name, listener) {
    if (!listeners.has(name)) {
      throw new TypeError("Pushwren.on: unknown event " + JSON.stringify(name) + "; use one of " + EVENTS.join(", "));
    }
    if (typeof listener !== "function") throw new TypeError("Pushwren.on: the listener must be a function");
    listeners.get(name).add(listener);
    if (name === "inAppMessageClick" && !inAppHandlerSet) {
      inAppHandlerSet = true;
      call("/iam/setInAppMessageClickHandler", { handler: "Pushwren._inAppMessageClick" }).catch((e) =>
        console.error("Pushwren: could not name the in-app message click handler", e),
      );
    }
    return () => listeners.get(name).delete(listener);
  }

  // The host reports info under both names, one after the other; listeners hear each report
  // once, under the name the host called first.
  let infoName = null;
  for (const name of INFO_FUNCTIONS) {
    if (typeof window[name] !== "function") {
      window[name] = (info) => {
        infoName = infoName ?? name;
        if (name === infoName) emit("info", info, name);
      };
    }
  }
  forwardConsole();
  window.addEventListener(PUSH_OPENED_EVENT, (event) => emit("pushOpened", event.detail));

  // The page's console, its uncaught errors and unhandled rejections also go to the playground's
  // panel, where the developer watches the device; the page's own devtools still get everything.
  function forwardConsole() {
    const host = webViewHost();
    if (!host || typeof host.console !== "function") return;
    const send = (level, parts, stack) => {
      try {
        host.console({ level, time: Date.now(), page: location.href, text: parts.map(describe).join(" "), stack: stack ?? "" });
      } catch (e) {
        // The shell is gone or reloading: the page goes on without it.
      }
    };
    for (const level of ["log", "info", "warn", "error"]) {
      const original = console[level];
      console[level] = function (...parts) {
        const error = parts.find((part) => part instanceof Error);
        send(level, parts, error ? error.stack : undefined);
        return original.apply(this, parts);
      };
    }
    window.addEventListener("error", (event) => {
      const error = event.error;
      send("error", ["Uncaught " + (error instanceof Error ? String(error) : event.message)],
        error instanceof Error ? error.stack : event.filename + ":" + event.lineno + ":" + event.colno);
    });
    window.addEventListener("unhandledrejection", (event) => {
      const reason = event.reason;
      send("error", ["Unhandled rejection: " + describe(reason)], reason instanceof Error ? reason.stack : undefined);
    });
  }

  function describe(part) {
    if (part instanceof Error) return String(part);
    if (typeof part === "string") return part;
    try {
      const text = JSON.stringify(part);
      return text === undefined ? String(part) : text;
    } catch (e) {
      return String(part);
    }
  }

  window.Pushwren = Object.freeze({
    call,
    on,
    _answers: answers,
    _inAppMessageClick: (click) => emit("inAppMessageClick", click),
  });
})();
