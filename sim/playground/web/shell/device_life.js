// The app's process: "Relaunch app" ends it and starts a new one; "Open app from this
// notification" does so with a tap on the notification composed in the tap form, which the
// plugin holds until the new page has loaded. The host tells every tab to load the new page.

import { parseObject } from "./panel.js";

const $ = (id) => document.getElementById(id);

export function wireDeviceLife(panel) {
  $("relaunch").addEventListener("click", () => panel.step({ do: "relaunch" }));
  $("tap-open-app").addEventListener("click", () => {
    let notification;
    try {
      // A notification with no custom data still opens the app.
      notification = $("tap-preset").value === "none" ? {} : parseObject($("tap-data").value, "The custom data");
    } catch (e) {
      panel.showError(e.message);
      return;
    }
    panel.step({ do: "relaunch", notification });
  });
}
