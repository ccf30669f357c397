// The panel's composers: a notification (title, body, additional data) sent as arriving in the
// foreground or as tapped, the device's in-app messages, and the notification permission. What
// is typed is checked at its field; nothing is sent until it reads right.

const DATA_PRESETS = {
  data: { story: 7, section: "sport" },
  page: { u: "/?story=7" },
  web: { targetUrl: "https://example.com/" },
  script: { u: "javascript:alert(document.cookie)" },
  none: null,
};

const $ = (id) => document.getElementById(id);

// A JSON map typed into a field, or an error saying what is wrong with it.
export function parseMap(text, what) {
  let value;
  try {
    value = JSON.parse(text);
  } catch (e) {
    throw new Error(`${what} is not JSON: ${e.message}`);
  }
  if (value === null || typeof value !== "object" || Array.isArray(value)) {
    throw new Error(`${what} must be a JSON map ({...}), not ${Array.isArray(value) ? "a list" : JSON.stringify(value)}`);
  }
  return value;
}

function parseList(text, what) {
  let value;
  try {
    value = JSON.parse(text);
  } catch (e) {
    throw new Error(`${what} is not JSON: ${e.message}`);
  }
  if (!Array.isArray(value)) throw new Error(`${what} must be a JSON list ([...])`);
  return value;
}

// Marks the field wrong (or right again) so the reason is read with it.
function fieldError(field, message) {
  field.setAttribute("aria-invalid", message ? "true" : "false");
}

export class Composers {
  #panel;
  #messagesEdited = false;

  // `panel` applies steps and says how they went beside the control (Panel.step).
  constructor(panel) {
    this.#panel = panel;
    this.#wireNotification();
    this.#wireMessages();
    this.#wirePermission();
  }

  // The device's state: the permission switch and the message set follow it until edited.
  device(state) {
    const permission = document.querySelector(`input[name="permission"][value="${state.permission}"]`);
    if (permission) permission.checked = true;
    if (!this.#messagesEdited && state.inAppMessages) {
      const set = state.inAppMessages.map(({ shown, ...message }) => message);
      $("messages-json").value = JSON.stringify(set, null, 1);
      $("messages-known").textContent = state.inAppMessages
        .map((message) => `${message.id}: ${message.trigger[0]} = ${JSON.stringify(message.trigger[1])}${message.shown ? " (shown)" : ""}`)
        .join(" · ") || "none";
    }
  }

  #wireNotification() {
    const data = $("notification-data");
    const status = $("notification-status");
    const showPreset = (name) => {
      const preset = DATA_PRESETS[name];
      data.value = preset ? JSON.stringify(preset) : "";
      data.disabled = preset === null;
      fieldError(data, null);
    };
    $("notification-preset").addEventListener("change", (event) => showPreset(event.target.value));
    showPreset("data");

    // "open": the app is not running, and this tap starts it; the plugin holds the tap until the
    // new page has loaded.
    const send = async (kind) => {
      let additionalData;
      if (!data.disabled && data.value.trim() !== "") {
        try {
          additionalData = parseMap(data.value, "The additional data");
        } catch (e) {
          fieldError(data, e.message);
          this.#panel.say(status, e.message, "error");
          data.focus();
          return;
        }
      }
      fieldError(data, null);
      if (kind === "open") {
        await this.#panel.step({ do: "relaunch", notification: additionalData ?? {} }, status);
        return;
      }
      const step = { do: kind === "tap" ? "notificationClick" : "notificationWillDisplay" };
      if ($("notification-title").value) step.title = $("notification-title").value;
      if ($("notification-body").value) step.body = $("notification-body").value;
      if (additionalData) step.additionalData = additionalData;
      const lines = await this.#panel.step(step, status);
      if (!lines || kind === "tap") return;
      if (lines.some((line) => line[0] === "event.preventDefault")) {
        this.#panel.say(status, "The plugin prevented it (event.preventDefault): nothing is shown on the phone.", "warn");
      } else if (lines.some((line) => line[0] === "notification.display")) {
        this.#panel.say(status, "The plugin displayed it: the banner is on the phone.", "ok");
      } else {
        this.#panel.say(status, "The plugin did not answer: nothing is shown on the phone.", "warn");
      }
    };
    $("notification-form").addEventListener("submit", (event) => {
      event.preventDefault();
      send(["tap", "open"].includes(event.submitter?.value) ? event.submitter.value : "foreground");
    });
  }

  #wireMessages() {
    const field = $("messages-json");
    const status = $("messages-status");
    field.addEventListener("input", () => (this.#messagesEdited = true));
    $("messages-form").addEventListener("submit", async (event) => {
      event.preventDefault();
      let messages;
      try {
        messages = parseList(field.value, "The in-app messages");
        messages.forEach((message, i) => {
          if (message === null || typeof message !== "object" || Array.isArray(message)) {
            throw new Error(`Message ${i + 1} must be a JSON map ({...})`);
          }
        });
      } catch (e) {
        fieldError(field, e.message);
        this.#panel.say(status, e.message, "error");
        field.focus();
        return;
      }
      fieldError(field, null);
      if (await this.#panel.step({ do: "sdk", set: { inAppMessages: messages } }, status)) this.#messagesEdited = false;
    });
  }

  #wirePermission() {
    const status = $("permission-status");
    for (const choice of document.querySelectorAll('input[name="permission"]')) {
      choice.addEventListener("change", () => {
        if (choice.checked) this.#panel.step({ do: "sdk", set: { permission: choice.value } }, status);
      });
    }
  }
}
