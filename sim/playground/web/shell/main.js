// The playground tab: one runner of the host. The web view shows the demo page once the host
// knows the tab; the panel fires the push service's events and shows what happened.

import { HostConnection } from "./connection.js";
import { Panel } from "./panel.js";
import { NativeScreens } from "./screens.js";
import { WebView } from "./web_view.js";

const $ = (id) => document.getElementById(id);
const HOME = "/demo/";

const panel = new Panel();
const screens = new NativeScreens($("native-screens"), (step) => panel.step(step));
const status = $("connection");

function showConnection(text, kind) {
  status.textContent = text;
  status.className = `connection ${kind}`;
}

const connection = new HostConnection({
  onOpen: () => showConnection("Connected", "open"),
  onClose: () => {
    showConnection("Disconnected: the host stopped. Reload once it runs again.", "closed");
    document.body.classList.add("disconnected");
  },
  onMessage: (message) => handle(message),
});

const webView = new WebView({
  frame: $("web-view"),
  address: $("address"),
  connection,
  notice: (text) => panel.notice(text),
});

function handle(message) {
  switch (message.type) {
    case "hello":
      $("runner-id").textContent = message.runner;
      document.title = `Pushwren playground · ${message.runner}`;
      webView.open(HOME);
      break;
    case "call":
      webView.callFunctions(message.functions, message.data);
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
    case "trace":
      panel.appendTrace(message.from, message.lines);
      break;
    case "device":
      panel.showDevice(message.state);
      break;
    case "screens":
      screens.show(message.screens);
      break;
    default:
      console.warn("Pushwren playground: unknown message from the host", message);
  }
}

$("home").addEventListener("click", () => webView.open(HOME));
$("reload").addEventListener("click", () => webView.reload());
