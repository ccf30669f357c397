// Relaunching the app from the panel, and the device's session saved as a scenario that replays.
import assert from "node:assert/strict";
import { execFile } from "node:child_process";
import { mkdtempSync, readFileSync, watch, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, before, test } from "node:test";
import { promisify } from "node:util";

import { launchChromium, openPlayground, screenshot, startPlayground, subscribeToFootball } from "./support/playground.mjs";

const simulator = process.env.PUSHWREN_SIM ?? new URL("../../build/bin/pushwren-sim", import.meta.url).pathname;

let browser;
before(async () => (browser = await launchChromium()));
after(async () => browser?.close());

// Only a wait that is already failing meets this; a sanitizer build on a busy machine is slow.
const GIVE_UP_MS = 60_000;

// Resolves once `check` holds for the files in `dir`, checked again on each change there: the
// record on disk catches up with the next publishing tick.
function filesReach(dir, check, what) {
  return new Promise((done, fail) => {
    const finish = (error) => {
      watcher.close();
      clearTimeout(timer);
      if (error) fail(error);
      else done();
    };
    const recheck = () => {
      try {
        if (check()) finish();
      } catch (error) {
        if (error.code !== "ENOENT") finish(error);
      }
    };
    const watcher = watch(dir, recheck);
    const timer = setTimeout(() => finish(new Error(`${what} never caught up`)), GIVE_UP_MS);
    recheck();
  });
}

// Resolves with the first `count` downloads the page starts.
function downloadsOf(page, count) {
  return new Promise((done, fail) => {
    const downloads = [];
    const timer = setTimeout(() => fail(new Error(`${downloads.length} of ${count} downloads came`)), GIVE_UP_MS);
    page.on("download", (download) => {
      downloads.push(download);
      if (downloads.length !== count) return;
      clearTimeout(timer);
      done(downloads);
    });
  });
}

async function session(playground, file) {
  const response = await fetch(new URL(`devices/1/${file}`, playground.url));
  assert.equal(response.status, 200, `${file}: ${response.status}`);
  return response.text();
}

const traceLines = (text) => text.trim().split("\n").map((line) => JSON.parse(line));
const isPushOpened = (line) =>
  line[0] === "runner.runJavascriptWithCallback" && String(line[2]).includes("push_opened");

// Runs the saved pair as a developer would on their own machine.
async function replay(steps, trace) {
  const dir = mkdtempSync(join(tmpdir(), "pushwren-session-"));
  writeFileSync(join(dir, "s.jsonl"), steps);
  writeFileSync(join(dir, "s.trace"), trace);
  return promisify(execFile)(simulator, ["run", join(dir, "s.jsonl"), "--expect", join(dir, "s.trace")]).then(
    () => ({ code: 0 }),
    (e) => ({ code: e.code, stderr: e.stderr }),
  );
}

test("Open app from this notification reloads the page and delivers the tap to it once", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo } = await openPlayground(browser, playground);
    await page.locator("#notification-preset").selectOption("data");
    await page.locator("#notification-form button[value=open]").click();

    await page.locator("#notification-status.ok", { hasText: "relaunch" }).waitFor();
    await demo.locator("#events li", { hasText: "Notification opened" }).waitFor();
    await page.locator(".step-source.load").last().waitFor();
    const trace = traceLines(await session(playground, "session.trace"));
    const relaunchedAt = trace.findLastIndex((line) => line[0] === "CVRegisterModule");
    const after = trace.slice(relaunchedAt);
    assert.equal(after.filter(isPushOpened).length, 1, "the tap reaches the new page once");
    assert.deepEqual(after.find(isPushOpened).slice(1, 2), ["tab-1"]);

    // A second launch in the same process is refused, and the panel says why.
    await page.locator("#step-json").fill('{"do": "launch"}');
    await page.locator("#step-form button[type=submit]").click();
    await page.locator("#step-status.error", { hasText: "already launched" }).waitFor();
    await screenshot(page, "relaunch-from-notification");
  } finally {
    await playground.stop();
  }
});

test("a session of page calls, panel steps, the subscriptions screen and a relaunch replays", async () => {
  const recordDir = mkdtempSync(join(tmpdir(), "pushwren-record-"));
  const playground = await startPlayground(["--record", recordDir]);
  try {
    const { page, demo, demoFrame } = await openPlayground(browser, playground);
    await demoFrame().evaluate(() => Pushwren.call("/tags/set", { tags: { city: "Lyon" } }));
    await page.locator("#notification-form button[value=foreground]").click();
    await page.locator("#notification-status", { hasText: "plugin" }).waitFor();

    await subscribeToFootball(page, demo);

    const loads = await page.locator(".step-source.load").count();
    await page.locator("#relaunch").click();
    await page.locator(".step-source.load").nth(loads).waitFor();
    await demo.locator("#info dt").first().waitFor();

    const steps = await session(playground, "session.jsonl");
    const trace = await session(playground, "session.trace");
    const kinds = steps.trim().split("\n").filter((line) => !line.startsWith("#")).map((line) => JSON.parse(line).do);
    assert.match(steps, /^# by panel\n\{"do":"notificationWillDisplay",/m, "a panel step says who sent it");
    for (const kind of ["config", "launch", "runnerDidLoad", "runnerWillAppear", "bridge", "navigationFinished",
      "notificationWillDisplay", "serve", "switch", "tap", "relaunch"]) {
      assert.ok(kinds.includes(kind), `the session records ${kind}: ${kinds}`);
    }
    assert.ok(kinds.indexOf("serve") < kinds.indexOf("switch"), "the manifest is served before the screen uses it");
    assert.doesNotMatch(steps + trace, new RegExp(new URL(playground.url).host.replace(/\./g, "\\.")),
      "the playground's address reads {server}");

    const replayed = await replay(steps, trace);
    assert.equal(replayed.code, 0, replayed.stderr);

    // "Save session" downloads the same pair under the name given.
    const twoDownloads = downloadsOf(page, 2);
    await page.locator("#session-name").fill("my run");
    await page.locator("#session-form button[type=submit]").click();
    const downloads = await twoDownloads;
    const saved = {};
    for (const download of downloads) saved[download.suggestedFilename()] = readFileSync(await download.path(), "utf8");
    assert.deepEqual(Object.keys(saved).sort(), ["my-run.jsonl", "my-run.trace"]);
    assert.equal(saved["my-run.trace"], trace);
    assert.ok(saved["my-run.jsonl"].startsWith(steps), "the steps so far, and any the saving itself caused");

    // The record written as it went holds the same, once the last lines are flushed.
    const written = () => [join(recordDir, "device-1.jsonl"), join(recordDir, "device-1.trace")].map((f) => readFileSync(f, "utf8"));
    await filesReach(recordDir, () => JSON.stringify(written()) === JSON.stringify([steps, trace]), "the record on disk");

    const missing = await fetch(new URL("devices/7/session.jsonl", playground.url));
    assert.equal(missing.status, 404);
    assert.match((await missing.json()).error, /no device "7"/);
  } finally {
    await playground.stop();
  }
});

test("the trace view filters, pauses following, clears the view and keeps the record", async () => {
  const playground = await startPlayground();
  try {
    const { context, page } = await openPlayground(browser, playground);
    await page.locator("#notification-form button[value=foreground]").click();
    await page.locator("#notification-status", { hasText: "plugin" }).waitFor();

    await page.locator("#trace-filter").fill("notificationwilldisplay");
    const shown = page.locator(".trace-step:not([hidden])");
    assert.equal(await shown.count(), 1);
    assert.match(await shown.locator(".step-source").textContent(), /notificationWillDisplay/);
    await context.grantPermissions(["clipboard-read", "clipboard-write"]);
    await page.locator("#trace-copy").click();
    await page.locator("#notices .notice", { hasText: "Copied" }).waitFor();
    const copied = traceLines(await page.evaluate(() => navigator.clipboard.readText()));
    const shownLines = (await shown.locator(".trace-line span:last-child").allTextContents()).map((t) => JSON.parse(t));
    assert.deepEqual(copied, shownLines, "only the lines the filter shows");
    assert.ok(copied.length < (await page.locator("#trace .trace-line").count()));
    await page.locator("#trace-filter").fill("");

    // Enough lines to scroll: following keeps the newest in view.
    const many = Array.from({ length: 40 }, (_, i) => ({ do: "trackingStatus", object: i % 2 === 0 }));
    const trace = page.locator("#trace");
    await playground.step(many);
    await page.locator(".trace-step").nth(40).waitFor();
    await page.waitForFunction(() => {
      const t = document.getElementById("trace");
      return t.scrollHeight > t.clientHeight && t.scrollTop + t.clientHeight >= t.scrollHeight - 2;
    });

    await page.locator("#trace-follow").uncheck();
    await trace.evaluate((t) => (t.scrollTop = 0));
    await playground.step({ do: "notificationWillDisplay" });
    await page.locator(".trace-step").nth(41).waitFor();
    await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));
    assert.equal(await trace.evaluate((t) => t.scrollTop), 0, "paused: the view stays where the person reads");

    const before = (await session(playground, "session.trace")).trim().split("\n").length;
    await page.locator("#trace-clear").click();
    assert.equal(await page.locator("#trace .trace-line").count(), 0);
    assert.equal((await session(playground, "session.trace")).trim().split("\n").length, before, "the record keeps all");
    await playground.step({ do: "trackingStatus", object: false });
    await page.locator("#trace .step-source", { hasText: "trackingStatus" }).waitFor();
    assert.equal(await page.locator("#trace .trace-step").count(), 1, "only what came after the clearing");
  } finally {
    await playground.stop();
  }
});
