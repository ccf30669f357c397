// The playground's push service, called as a developer's backend calls the provider: through the
// provider's official Node client, pointed at the playground. Two tabs are two devices, each
// logged in with its own external id; a send reaches the one it names, says why it did not reach
// the other, and reads back as the provider reports it.
import assert from "node:assert/strict";
import { execFile } from "node:child_process";
import { mkdtempSync, writeFileSync } from "node:fs";
import http from "node:http";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { promisify } from "node:util";
import { after, before, test } from "node:test";

import { launchChromium, openPlayground, repoRoot, screenshot, startPlayground } from "./support/playground.mjs";

const OneSignal = createRequire(import.meta.url)("@onesignal/node-onesignal");
const APP_ID = "playground-app";
const simulator = process.env.PUSHWREN_SIM ?? join(repoRoot, "build/bin/pushwren-sim");

let browser;
let playground;
let client;
let alice;
let bob;
let base;

const deviceOf = async (page) => (await page.locator("#device-name").textContent()).replace("device ", "");

// A device as its user leaves it: notifications allowed, subscribed, logged in, and the page's
// foreground notifications shown.
async function signIn(opened, externalId) {
  const device = await deviceOf(opened.page);
  const step = await fetch(new URL(`steps?device=${device}`, playground.url), {
    method: "POST",
    body: JSON.stringify({ do: "sdk", set: { permission: "granted" } }),
  });
  assert.equal(step.status, 200);
  await opened.webView().evaluate(async (id) => {
    await Pushwren.call("/register");
    await Pushwren.call("/login", { externalId: id });
  }, externalId);
  await opened.demo.locator("#foreground").check();
  await opened.page.locator("#device-state dd", { hasText: /^shown$/ }).waitFor();
  await opened.page.locator("#device-state", { hasText: externalId }).waitFor();
  return { ...opened, device };
}

async function post(path, body, headers = {}) {
  const response = await fetch(`${base}${path}`, {
    method: "POST",
    headers: { "Content-Type": "application/json", ...headers },
    body: typeof body === "string" ? body : JSON.stringify(body),
  });
  return { status: response.status, answer: await response.json() };
}

// A body over 1 MiB is refused from its announced length, before any of it is read.
function announcingTooLarge() {
  return new Promise((done, fail) => {
    const request = http.request(`${base}/notifications`, {
      method: "POST",
      headers: { "Content-Type": "application/json", "Content-Length": String((1 << 20) + 1) },
    });
    request.on("response", (response) => {
      response.resume();
      done(response.statusCode);
      request.destroy();
    });
    request.on("error", fail);
    request.flushHeaders();
  });
}

async function notificationCount() {
  const response = await fetch(`${base}/notifications?app_id=${APP_ID}`);
  return (await response.json()).total_count;
}

before(async () => {
  browser = await launchChromium();
  playground = await startPlayground();
  base = `${playground.origin}/__pushwren/api`;
  client = new OneSignal.DefaultApi(
    OneSignal.createConfiguration({
      restApiKey: "any key will do",
      baseServer: new OneSignal.ServerConfiguration(base, {}),
    }),
  );
  alice = await signIn(await openPlayground(browser, playground), "alice");
  bob = await signIn(await openPlayground(browser, playground), "bob");
});
after(async () => {
  await playground?.stop();
  await browser?.close();
});

test("the official client sends by external id: alice's device shows it, bob's is told why not, the tap counts", async () => {
  const notification = new OneSignal.Notification();
  notification.app_id = APP_ID;
  notification.headings = { en: "Match report" };
  notification.contents = { en: "Lyon 2 – 1 Nantes", fr: "Lyon 2 – 1 Nantes (fr)" };
  notification.data = { story: 42 };
  notification.url = "https://news.example/match/42";
  notification.include_aliases = { external_id: ["alice"] };
  notification.target_channel = "push";
  notification.ttl = 3600;
  const sent = await client.createNotification(notification);
  assert.match(sent.id, /^[0-9a-f-]{36}$/);

  const banner = alice.page.locator(".banner", { hasText: "Match report" });
  await banner.waitFor();
  assert.equal(await banner.locator(".banner-body").textContent(), "Lyon 2 – 1 Nantes");
  // Bob's panel lists the request with why his device was not reached; his phone shows nothing.
  const request = bob.page.locator(`.push-api-request[data-id="${sent.id}"]`);
  await request.locator(".not-reached", { hasText: `device ${bob.device} not reached: no external id "alice": it has "bob"` }).waitFor();
  await request.locator(".ignored", { hasText: "ttl" }).waitFor();
  assert.equal(await bob.page.locator(".banner").count(), 0);
  // The trace shows the step under the source "api".
  await alice.page.locator(".step-source", { hasText: "api" }).filter({ hasText: "notificationWillDisplay" }).first().waitFor();
  await screenshot(alice.page, "push-api-banner");

  const before = await client.getNotification(APP_ID, sent.id);
  assert.equal(before.successful, 1);
  assert.equal(before.converted, 0);
  assert.equal(before.remaining, 0);
  assert.deepEqual(before.data, { story: 42 });

  await banner.click();
  await alice.demo.locator("#events li", { hasText: "Notification opened" }).filter({ hasText: '"story":42' }).waitFor();
  // The launch URL is the phone browser's, not the app's: the page keeps its address.
  await alice.page.locator("#notices .notice-text", { hasText: "opens in the device's browser: https://news.example/match/42" }).waitFor();
  assert.doesNotMatch(await alice.page.locator("#address").inputValue(), /news\.example/);
  const after = await client.getNotification(APP_ID, sent.id);
  assert.equal(after.converted, 1);
  assert.equal(typeof after.completed_at, "number");
  // The panel redraws a request when it changes: once the tap shows, the entry stays as it is.
  await request.locator("li", { hasText: "tapped on 1 device" }).waitFor();
  await request.scrollIntoViewIfNeeded();
  await screenshot(bob.page, "push-api-panel");
});

test("a send that reaches nobody answers the provider's error and the panel says why for each device", async () => {
  const notification = new OneSignal.Notification();
  notification.app_id = APP_ID;
  notification.contents = { en: "Anyone?" };
  notification.include_aliases = { external_id: ["carol"] };
  notification.target_channel = "push";
  const sent = await client.createNotification(notification);
  assert.equal(sent.id, "");
  assert.deepEqual(sent.errors, ["All included players are not subscribed"]);
  const request = alice.page.locator(".push-api-request", { hasText: "Anyone?" });
  await request.locator(".push-api-outcome", { hasText: "reached nobody" }).waitFor();
  await request.locator(".not-reached", { hasText: `device ${alice.device} not reached: no external id "carol": it has "alice"` }).waitFor();
  await request.locator(".not-reached", { hasText: `device ${bob.device} not reached: no external id "carol": it has "bob"` }).waitFor();
});

test("on the home screen a notification waits in the list with the badge, and a tap there opens the app", async () => {
  await bob.page.locator("#home-toggle").click();
  const { status, answer } = await post("/notifications", {
    app_id: APP_ID,
    headings: { en: "Waiting" },
    contents: { en: "for bob" },
    data: { story: 7 },
    ios_badgeType: "Increase",
    ios_badgeCount: 2,
    include_subscription_ids: [await subscriptionOf(bob)],
  });
  assert.equal(status, 200);
  const listed = bob.page.locator("#notification-list .listed-notification", { hasText: "Waiting" });
  await listed.waitFor();
  await bob.page.locator("#app-badge", { hasText: /^2$/ }).waitFor();
  assert.equal(await bob.page.locator(".banner", { hasText: "Waiting" }).count(), 0);

  await listed.click();
  await bob.demo.locator("#events li", { hasText: "Notification opened" }).filter({ hasText: '"story":7' }).waitFor();
  const read = await (await fetch(`${base}/notifications/${answer.id}?app_id=${APP_ID}`)).json();
  assert.equal(read.successful, 1);
  assert.equal(read.converted, 1);
});

async function subscriptionOf(opened) {
  const list = await (await fetch(new URL("devices", playground.url))).json();
  assert.ok(list.devices.some((each) => each.id === opened.device));
  const info = await opened.webView().evaluate(() => Pushwren.call("/info"));
  assert.match(info.subscription.id, /^[0-9a-f-]{36}$/);
  return info.subscription.id;
}

test("tag filters, segments and a scheduled send", async () => {
  await alice.webView().evaluate(() => Pushwren.call("/tags/set", { tags: { level: "3" } }));
  const filtered = await post("/notifications", {
    app_id: APP_ID,
    contents: { en: "Level up" },
    filters: [{ field: "tag", key: "level", relation: ">", value: "5" }],
  });
  assert.deepEqual(filtered.answer, { id: "", errors: ["All included players are not subscribed"] });
  const request = alice.page.locator(".push-api-request", { hasText: "Level up" });
  await request.locator(".not-reached", { hasText: 'tag "level" is "3", the filter wants > 5' }).waitFor();

  const inTwoSeconds = new Date(Date.now() + 2000).toISOString();
  const scheduled = await post("/api/v1/notifications", {
    app_id: APP_ID,
    headings: { en: "Later" },
    contents: { en: "for everyone" },
    included_segments: ["Subscribed Users"],
    send_after: inTwoSeconds,
  });
  assert.equal(scheduled.status, 200);
  const early = await (await fetch(`${base}/notifications/${scheduled.answer.id}?app_id=${APP_ID}`)).json();
  assert.equal(early.completed_at, null);
  assert.equal(early.successful, 0);
  await alice.page.locator(".banner", { hasText: "Later" }).waitFor();
  // Alice's banner may come before bob's device has answered; the panel lists a request once
  // every device it went to has.
  const later = alice.page.locator(".push-api-request", { hasText: "Later" });
  await later.locator(".push-api-outcome", { hasText: /^sent to 2 of \d+ devices$/ }).waitFor();
  const sent = await (await fetch(`${base}/notifications/${scheduled.answer.id}?app_id=${APP_ID}`)).json();
  assert.equal(sent.successful, 2);
});

async function deviceEntry(id) {
  const list = await (await fetch(new URL("devices", playground.url))).json();
  return list.devices.find((each) => each.id === id);
}

// Waits for the playground's own account of a device to change, checking every few ms.
async function deviceBecomes(id, check) {
  while (!check(await deviceEntry(id))) await new Promise((tick) => setTimeout(tick, 20));
}

test("with no tab a notification waits in the device's list; a crashed app starts again from a tapped one", async () => {
  const carol = await openPlayground(browser, playground);
  const id = await deviceOf(carol.page);
  const step = (body) => fetch(new URL(`steps?device=${id}`, playground.url), { method: "POST", body: JSON.stringify(body) });
  await step({ do: "sdk", set: { permission: "granted", pushSubscription: { id: "sub-carol", optedIn: true } } });
  await carol.page.goto("about:blank");
  await deviceBecomes(id, (device) => !device.shown);

  const waiting = await post("/notifications", {
    app_id: APP_ID,
    headings: { en: "While away" },
    include_subscription_ids: ["sub-carol"],
    ios_badgeType: "SetTo",
    ios_badgeCount: 5,
  });
  assert.match(waiting.answer.id, /^[0-9a-f-]{36}$/);
  // The tab comes back to its device, and finds it in the list with the badge.
  await carol.page.goto(playground.url);
  await carol.demo.locator("#info dt").first().waitFor();
  assert.equal(await deviceOf(carol.page), id);
  await carol.page.locator("#home-toggle").click();
  await carol.page.locator("#notification-list .listed-notification", { hasText: "While away" }).waitFor();
  await carol.page.locator("#app-badge", { hasText: /^5$/ }).waitFor();
  await carol.page.locator("#home-toggle").click();

  process.kill((await deviceEntry(id)).pid, "SIGKILL");
  await carol.page.locator("#crash-title", { hasText: `device ${id}: the app crashed` }).waitFor();
  const afterCrash = await post("/notifications", {
    app_id: APP_ID,
    headings: { en: "After the crash" },
    data: { story: 99 },
    include_subscription_ids: ["sub-carol"],
  });
  assert.match(afterCrash.answer.id, /^[0-9a-f-]{36}$/, "the service knows the device as it last saw it");
  const tap = await post(`/opened?device=${id}`, { id: afterCrash.answer.id });
  assert.equal(tap.status, 200, JSON.stringify(tap.answer));
  await carol.page.locator("#crashed").waitFor({ state: "hidden" });
  await carol.demo.locator("#events li", { hasText: "Notification opened" }).filter({ hasText: '"story":99' }).waitFor();
  const read = await (await fetch(`${base}/notifications/${afterCrash.answer.id}?app_id=${APP_ID}`)).json();
  assert.equal(read.converted, 1);
  await carol.context.close();
});

test("bad requests are refused and change nothing", async () => {
  const count = await notificationCount();
  assert.equal(await announcingTooLarge(), 413);
  const notJson = await post("/notifications", "{not json");
  assert.equal(notJson.status, 400);
  assert.match(notJson.answer.errors[0], /^The request body is not JSON: /);
  const twoModes = await post("/notifications", {
    app_id: APP_ID,
    contents: { en: "Two ways" },
    included_segments: ["All"],
    include_aliases: { external_id: ["alice"] },
    target_channel: "push",
  });
  assert.equal(twoModes.status, 400);
  assert.match(twoModes.answer.errors[0], /one targeting mode/);
  const wrongApp = await post("/notifications", { app_id: "another-app", included_segments: ["All"] });
  assert.equal(wrongApp.status, 400);
  const otherOrigin = await post("/notifications", { app_id: APP_ID, included_segments: ["All"] }, {
    Origin: "http://evil.example",
  });
  assert.equal(otherOrigin.status, 403);
  assert.equal(await notificationCount(), count);
  assert.equal(await alice.page.locator(".banner", { hasText: "Two ways" }).count(), 0);
});

test("the session with the push API's steps replays", async () => {
  const session = async (kind) => (await fetch(new URL(`devices/${alice.device}/session.${kind}`, playground.url))).text();
  const steps = await session("jsonl");
  assert.match(steps, /# by api\n\{"do":"notificationWillDisplay"/);
  const dir = mkdtempSync(join(tmpdir(), "pushwren-push-api-"));
  writeFileSync(join(dir, "session.jsonl"), steps);
  writeFileSync(join(dir, "session.trace"), await session("trace"));
  await promisify(execFile)(simulator, ["run", join(dir, "session.jsonl"), "--expect", join(dir, "session.trace")]);
});
