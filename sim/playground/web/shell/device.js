// The device this tab shows. Each tab of the playground is a device of its own ("device 2"),
// running in its own process; the tab remembers its device for as long as it lives, so a reload
// comes back to the same device. Steps and sessions name the device, so the panel drives its own
// device and no other.

const $ = (id) => document.getElementById(id);
const REMEMBERED = "pushwren.device";

let current = sessionStorage.getItem(REMEMBERED) ?? "";

export const device = {
  get id() {
    return current;
  },
  // The tab's WebSocket asks for the device it had before a reload.
  socketPath() {
    return current ? `/__pushwren/ws?device=${encodeURIComponent(current)}` : "/__pushwren/ws";
  },
  stepsPath() {
    return current ? `/__pushwren/steps?device=${encodeURIComponent(current)}` : "/__pushwren/steps";
  },
  sessionPath(kind) {
    return `/__pushwren/devices/${encodeURIComponent(current || "1")}/session.${kind}`;
  },
};

// {type: "app", device, name, state: "running" | "crashed" | "refused", why, errorOutput}
export function showApp(message) {
  if (message.state === "refused") {
    $("device-name").textContent = "no device";
    $("crashed").hidden = false;
    $("crash-title").textContent = "No device for this tab";
    $("crash-why").textContent = message.why;
    $("crash-output").hidden = true;
    $("crash-relaunch").hidden = true;
    return;
  }
  current = message.device;
  sessionStorage.setItem(REMEMBERED, current);
  $("device-name").textContent = message.name;
  document.title = `Pushwren playground · ${message.name}`;
  const crashed = message.state === "crashed";
  $("crashed").hidden = !crashed;
  document.body.classList.toggle("app-crashed", crashed);
  if (!crashed) return;
  $("crash-title").textContent = `${message.name}: the app crashed`;
  $("crash-why").textContent = `Its process ended: ${message.why}.`;
  const lines = message.errorOutput ?? [];
  $("crash-output").hidden = lines.length === 0;
  $("crash-output").textContent = lines.join("\n");
  $("crash-relaunch").hidden = false;
  $("crash-status").textContent = "";
}

// "Relaunch" on the crash screen starts the device's process anew, as the relaunch step.
export function wireCrashRelaunch(panel) {
  $("crash-relaunch").addEventListener("click", () => panel.step({ do: "relaunch" }, $("crash-status")));
}
