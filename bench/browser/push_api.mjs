// A notification from a developer's backend to the banner on the phone, as a person sees it in a
// real browser: from the start of POST /__pushwren/api/notifications until the banner is in the
// device's tab, beside the same notification sent as a notificationWillDisplay step through POST
// /__pushwren/steps (the floor: the path without the push API); and one request that reaches 16
// devices, each in its own tab, until the last banner, beside that p50. Writes
// build/bench/push_api.json with rows for bench/report.py:
//   { "rows": [{ "name": "push_api/p50", ... }, { "name": "push_api/fan_out_16", ... }], ... }
// The two single-device paths alternate, so that whatever the shell's lists grow to weighs on
// both alike. scripts/bench.sh runs it against a Release build; alone it uses PUSHWREN_SIM or
// build/bin/pushwren-sim.
import { mkdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";

import { summary } from "./echo_floor.mjs";
import { launchChromium, openPlayground, repoRoot, startPlayground } from "../../tests/browser/support/playground.mjs";

const SENDS = 50;
const WARM_UP = 5;
const FAN_OUTS = 10;
const DEVICES = 16;
const BANNER_LIMIT_MS = 20000;
const APP_ID = "playground-app";

// In a shell: resolves with the time (one clock for every tab: its time origin plus now) at which
// a banner titled `title` appears on the phone.
function bannerSeen({ title, limitMs }) {
  return new Promise((resolve, reject) => {
    const banners = document.getElementById("banners");
    const found = () => [...banners.querySelectorAll(".banner-title")].some((shown) => shown.textContent === title);
    const observer = new MutationObserver(() => {
      if (!found()) return;
      observer.disconnect();
      resolve(performance.timeOrigin + performance.now());
    });
    observer.observe(banners, { childList: true, subtree: true });
    setTimeout(() => reject(new Error(`no banner "${title}" within ${limitMs} ms`)), limitMs);
  });
}

// In a shell: sends one notification either way and answers when it was sent (same clock).
async function send({ how, title, externalId, appId, segment }) {
  const started = performance.timeOrigin + performance.now();
  const request =
    how === "steps"
      ? fetch("/__pushwren/steps", { method: "POST", body: JSON.stringify({ do: "notificationWillDisplay", title }) })
      : fetch("/__pushwren/api/notifications", {
          method: "POST",
          headers: { "Content-Type": "application/json" },
          body: JSON.stringify({
            app_id: appId,
            headings: { en: title },
            contents: { en: "bench" },
            ...(segment
              ? { included_segments: [segment] }
              : { include_aliases: { external_id: [externalId] }, target_channel: "push" }),
          }),
        });
  const response = await request;
  if (!response.ok) throw new Error(`${how}: ${response.status} ${await response.text()}`);
  // A finished banner is taken off, so the phone holds at most a few.
  for (const banner of document.querySelectorAll("#banners .banner")) banner.remove();
  return started;
}

// A device as its user leaves it: notifications allowed, subscribed, logged in, foreground
// notifications shown by the page.
async function signIn(opened, playground, externalId) {
  const device = (await opened.page.locator("#device-name").textContent()).replace("device ", "");
  const step = await fetch(new URL(`steps?device=${device}`, playground.url), {
    method: "POST",
    body: JSON.stringify({ do: "sdk", set: { permission: "granted" } }),
  });
  if (!step.ok) throw new Error(`device ${device}: ${await step.text()}`);
  await opened.webView().evaluate(async (id) => {
    await Pushwren.call("/register");
    await Pushwren.call("/login", { externalId: id });
  }, externalId);
  await opened.demo.locator("#foreground").check();
  await opened.page.locator("#device-state dd", { hasText: /^shown$/ }).waitFor();
}

async function timeOne(page, how, title) {
  const seen = page.evaluate(bannerSeen, { title, limitMs: BANNER_LIMIT_MS });
  const started = await page.evaluate(send, { how, title, externalId: "reader-1", appId: APP_ID });
  return (await seen) - started;
}

const playground = await startPlayground();
const browser = await launchChromium();
try {
  const first = await openPlayground(browser, playground);
  await signIn(first, playground, "reader-1");

  const times = { steps: [], api: [] };
  for (let i = 0; i < WARM_UP + SENDS; i++) {
    for (const how of i % 2 ? ["steps", "api"] : ["api", "steps"]) {
      const ms = await timeOne(first.page, how, `${how} ${i}`);
      if (i >= WARM_UP) times[how].push(ms);
    }
  }
  const floor = summary({ times: times.steps, total: 1 });
  const api = summary({ times: times.api, total: 1 });

  const tabs = [first];
  for (let i = 1; i < DEVICES; i++) {
    const opened = await openPlayground(browser, playground);
    await signIn(opened, playground, `reader-${i + 1}`);
    tabs.push(opened);
  }
  const fanOutTimes = [];
  for (let i = 0; i < FAN_OUTS; i++) {
    const title = `everyone ${i}`;
    const seen = tabs.map((tab) => tab.page.evaluate(bannerSeen, { title, limitMs: BANNER_LIMIT_MS }));
    const started = await first.page.evaluate(send, { how: "api", title, appId: APP_ID, segment: "Subscribed Users" });
    fanOutTimes.push(Math.max(...(await Promise.all(seen))) - started);
    await Promise.all(tabs.map((tab) => tab.page.evaluate(() => document.querySelectorAll("#banners .banner").forEach((b) => b.remove()))));
  }
  const fanOut = summary({ times: fanOutTimes, total: 1 });

  const rows = [
    { name: "push_api/p50", value: api.p50, unit: "ms", floor: floor.p50, ratio: api.p50 / floor.p50 },
    { name: "push_api/fan_out_16", value: fanOut.p50, unit: "ms", floor: api.p50, ratio: fanOut.p50 / api.p50 },
  ];
  delete floor.callsPerSecond;
  delete api.callsPerSecond;
  delete fanOut.callsPerSecond;
  const out = join(repoRoot, "build/bench/push_api.json");
  mkdirSync(join(repoRoot, "build/bench"), { recursive: true });
  writeFileSync(out, JSON.stringify({ rows, sends: SENDS, api, floor, fanOut, times, fanOutTimes }, null, 2) + "\n");
  console.log(`| ${SENDS} sends each | p50 ms | p99 ms | mean ms |`);
  console.log("|---|---:|---:|---:|");
  console.log(`| push API, POST to banner | ${api.p50} | ${api.p99} | ${api.mean} |`);
  console.log(`| notificationWillDisplay step (floor) | ${floor.p50} | ${floor.p99} | ${floor.mean} |`);
  console.log(`| push API to ${DEVICES} devices, to the last banner (${FAN_OUTS} sends) | ${fanOut.p50} | ${fanOut.p99} | ${fanOut.mean} |`);
  console.log(`written to ${out}`);
} finally {
  await browser.close();
  await playground.stop();
}
