// The app's process: "Relaunch app" ends it and starts a new one, and the host tells every tab to
// load the new page. "Open app from this notification" is the notification composer's (compose.js).

const $ = (id) => document.getElementById(id);

export function wireDeviceLife(panel) {
  $("relaunch").addEventListener("click", () => panel.step({ do: "relaunch" }, $("relaunch-status")));
}
