// The playground tab: one runner of the host. The web view opens the site once the host knows
// the tab; the panel fires the push service's events and shows what happened.

import { HostConnection } from "./connection.js";
import { Composers } from "./compose.js";
import { ConsoleView } from "./console_view.js";
import { showApp, wireCrashRelaunch } from "./device.js";
import { wireDeviceLife } from "./device_life.js";
import { Panel } from "./panel.js";
import { PhoneOverlays } from "./phone_overlays.js";
import { PushApiPanel } from "./push_api.js";
import { NativeScreens } from "./screens.js";
import { wireScreenSize } from "./screen_size.js";
import { wireSessionSaving } from "./session.js";
import { TraceView } from "./trace_view.js";
import { WebView } from "./web_view.js";

const $ = (id) => document.getElementById(id);

const panel = new Panel();
const screens = new NativeScreens($("native-screens"), (step) => panel.step(step));
const composers = new Composers(panel);
const overlays = new PhoneOverlays(
  {
    banners: $("banners"),
    messages: $("in-app-messages"),
    prompt: $("permission-prompt"),
    promptAllow: $("prompt-allow"),
    promptDeny: $("prompt-deny"),
    home: $("home-screen"),
    homeToggle: $("home-toggle"),
    appIcon: $("app-icon"),
    badge: $("app-badge"),
    list: $("notification-list"),
  },
  (step) => panel.step(step),
);
const pushApi = new PushApiPanel(document.querySelector(".panel"), overlays, $("home-screen"));
const status = $("connection");
wireDeviceLife(panel);
wireScreenSize(document.querySelector(".phone"), $("screen-size"));
wireSessionSaving(panel);
wireCrashRelaunch(panel);
new TraceView(panel);

function showConnection(text, kind) {
  status.textContent = text;
  status.className = `connection ${kind}`;
}

// Which site the web view shows: {kind: "url" | "folder", name, start}.
const site = fetch("/__pushwren/site.json")
  .then((response) => response.json())
  .catch(() => ({ kind: "folder", name: "", start: "/" }));

// The header says how the device is, never more than the tab knows: connected to the playground
// is not yet a running device, and a crashed device is not "connected".
const connection = new HostConnection({
  onOpen: () => showConnection("Starting the device…", "connecting"),
  onClose: () => {
    showConnection("Playground stopped: start it again, then reload", "closed");
    document.body.classList.add("disconnected");
  },
  onMessage: (message) => handle(message),
});

const webView = new WebView({
  frame: $("web-view"),
  address: $("address"),
  outside: { box: $("outside"), url: $("outside-url"), site: $("outside-site") },
  connection,
  notice: (text) => panel.notice(text),
  pageConsole: new ConsoleView(),
});

async function hello(runner) {
  $("runner-id").textContent = runner;
  webView.site = await site;
  $("site-name").textContent = (await site).name;
  webView.resume();
}

function handle(message) {
  switch (message.type) {
    case "app":
      showApp(message);
      if (message.state === "running") {
        connection.deviceUp();
        pushApi.deviceShown();
        showConnection(`${message.name} running`, "open");
      } else if (message.state === "crashed") {
        connection.deviceDown(`${message.name} crashed: ${message.why}; relaunch it from the playground`);
        showConnection(`${message.name} crashed`, "closed");
      } else {
        connection.deviceDown(`No device for this tab: ${message.why}`);
        showConnection("No device", "closed");
      }
      break;
    case "pushApi":
      pushApi.message(message);
      break;
    case "hello":
      hello(message.runner);
      break;
    case "call":
      webView.callFunctions(message.functions, message.data);
      break;
    case "relaunched":
      // The new process's web view starts at the site's start page; its load is the first one.
      webView.home();
      break;
    case "navigate":
      webView.navigate(message.url);
      break;
    case "event":
      webView.dispatchEvent(message.name, message.data);
      break;
    case "notice":
      panel.notice(message.text);
      break;
    case "trace": {
      const steps = message.steps ?? [];
      panel.appendTrace(message.from, message.lines, steps);
      // The phone hears each step before the lines it set off, as they happened.
      let next = 0;
      message.lines.forEach((line, i) => {
        while (next < steps.length && steps[next].from <= message.from + i) overlays.stepSource(steps[next++].source);
        overlays.traceLines([line]);
      });
      while (next < steps.length) overlays.stepSource(steps[next++].source);
      break;
    }
    case "device":
      panel.showDevice(message.state);
      composers.device(message.state);
      overlays.device(message.state);
      break;
    case "screens":
      screens.show(message.screens);
      break;
    default:
      console.warn("Pushwren playground: unknown message from the host", message);
  }
}

$("home").addEventListener("click", () => webView.home());
$("reload").addEventListener("click", () => webView.reload());
$("back").addEventListener("click", () => webView.back());
$("forward").addEventListener("click", () => webView.forward());
$("outside-back").addEventListener("click", () => webView.back());
$("address-form").addEventListener("submit", (event) => {
  event.preventDefault();
  webView.open($("address").value);
});
