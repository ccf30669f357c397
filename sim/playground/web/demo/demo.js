// The demo page: a news site that uses every bridge command through the page client.

const $ = (id) => document.getElementById(id);

function logEvent(title, detail) {
  const item = document.createElement("li");
  const heading = document.createElement("strong");
  heading.textContent = title;
  item.append(heading);
  if (detail !== undefined) {
    const text = document.createElement("code");
    text.textContent = JSON.stringify(detail);
    item.append(" ", text);
  }
  $("events").prepend(item);
  while ($("events").children.length > 30) $("events").lastElementChild.remove();
}

// Sends one command and logs its answer, or why it failed.
async function send(path, data) {
  try {
    const answer = await Pushwren.call(path, data);
    logEvent(path, answer === undefined ? "sent" : answer);
    return answer;
  } catch (e) {
    logEvent(`${path} failed`, e.message);
    return undefined;
  }
}

function showInfo(info) {
  const rows = [
    ["OneSignal id", info.oneSignalId ?? "none"],
    ["External id", info.externalId ?? "none"],
    ["Subscription", info.subscription.id ?? "none"],
    ["Token", info.subscription.token ?? "none"],
    ["Opted in", info.subscription.optedIn ? "yes" : "no"],
    ["Consent required", info.requiresUserPrivacyConsent ? "yes" : "no"],
  ];
  $("info").replaceChildren(
    ...rows.flatMap(([name, value]) => {
      const term = document.createElement("dt");
      term.textContent = name;
      const description = document.createElement("dd");
      description.textContent = value;
      return [term, description];
    }),
  );
}

function showTags(answer) {
  if (!answer || !answer.success) return;
  const entries = Object.entries(answer.tags);
  const list = $("tags");
  list.replaceChildren();
  if (entries.length === 0) {
    const empty = document.createElement("li");
    empty.className = "empty";
    empty.textContent = "No tags.";
    list.append(empty);
  }
  for (const [key, value] of entries) {
    const item = document.createElement("li");
    item.textContent = `${key} = ${value}`;
    list.append(item);
  }
}

Pushwren.on("info", (info, functionName) => {
  showInfo(info);
  logEvent(`info (${functionName})`);
});
Pushwren.on("pushOpened", (data) => logEvent("Notification opened", data));
Pushwren.on("inAppMessageClick", (click) => logEvent("In-app message click", click));

const story = new URLSearchParams(location.search).get("story");
if (story) {
  $("opened-from").textContent = `Opened from a notification: story ${story}`;
  $("opened-from").hidden = false;
}

const click = (id, action) => $(id).addEventListener("click", action);
const submit = (id, action) =>
  $(id).addEventListener("submit", (event) => {
    event.preventDefault();
    action();
  });

click("info-refresh", async () => {
  const info = await send("/info");
  if (info) showInfo(info);
});
click("register", () => send("/register"));
click("show-topics", () => send("/showTagsUI"));
click("prompt-location", () => send("/promptLocation"));
click("consent-grant", () => send("/userPrivacyConsent/grant"));
click("consent-revoke", () => send("/userPrivacyConsent/revoke"));
$("foreground").addEventListener("change", (event) =>
  send("/enableForegroundNotifications", { enabled: event.target.checked }),
);
submit("badge-form", () => send("/badge/set", { count: Number($("badge").value) }));

submit("login-form", () => send("/login", { externalId: $("external-id").value }));
click("logout", () => send("/logout"));

submit("tag-form", async () => {
  await send("/tags/set", { tags: { [$("tag-key").value]: $("tag-value").value } });
  showTags(await send("/tags/get"));
});
click("tags-get", async () => showTags(await send("/tags/get")));
click("tag-delete", async () => {
  await send("/tags/delete", { tags: [$("tag-key").value] });
  showTags(await send("/tags/get"));
});
click("tags-delete-all", async () => {
  await send("/tags/delete");
  showTags(await send("/tags/get"));
});

submit("trigger-form", () => send("/iam/addTrigger", { key: $("trigger-key").value, value: $("trigger-value").value }));
click("trigger-remove", () => send("/iam/removeTriggerForKey", { key: $("trigger-key").value }));
submit("triggers-form", () => send("/iam/addTriggers", { map: $("triggers").value }));
click("iam-pause", () => send("/iam/pauseInAppMessages", { pause: true }));
click("iam-resume", () => send("/iam/pauseInAppMessages", { pause: false }));
