// The page client over a device's life: calls fail at once, saying why, when the app has crashed
// or the playground has stopped; Pushwren.on hands back a function that removes the listener; the
// header says how the device is. And the page's console reaches the panel, but not the session.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";

import { launchChromium, openPlayground, startPlayground } from "./support/playground.mjs";

let browser;
before(async () => {
  browser = await launchChromium();
});
after(async () => {
  await browser?.close();
});

async function deviceProcess(playground, page) {
  const id = (await page.locator("#device-name").textContent()).replace("device ", "");
  const { devices } = await (await fetch(new URL("devices", playground.url))).json();
  return { id, pid: devices.find((device) => device.id === id).pid };
}

// Starts a call in the page; its outcome is read later with settled().
async function startCall(frame, path) {
  await frame.evaluate((path) => {
    window.callOutcome = Pushwren.call(path).then(
      (answer) => ({ answered: answer }),
      (error) => ({ rejected: error instanceof Error ? error.message : String(error) }),
    );
  }, path);
}
const settled = (frame) => frame.evaluate(() => window.callOutcome);

test("a call pending on a device whose app crashes fails at once, and so does the next; the header says crashed", async () => {
  const playground = await startPlayground();
  try {
    const { page, webView, context } = await openPlayground(browser, playground);
    await page.locator("#connection", { hasText: /^device \d+ running$/ }).waitFor();
    const { id, pid } = await deviceProcess(playground, page);
    // A stopped process takes the call and never answers it ...
    process.kill(pid, "SIGSTOP");
    await startCall(webView(), "/tags/get");
    // ... until it is killed.
    process.kill(pid, "SIGKILL");
    assert.deepEqual(await settled(webView()), {
      rejected: `device ${id} crashed: it was killed by signal 9 (Killed); relaunch it from the playground`,
    });
    assert.equal(await page.locator("#connection").textContent(), `device ${id} crashed`);
    await startCall(webView(), "/tags/get");
    assert.match((await settled(webView())).rejected, /crashed/);

    await page.locator("#crash-relaunch").click();
    await page.locator("#connection", { hasText: `device ${id} running` }).waitFor();
    await page.frameLocator("#web-view").locator("#info dt").first().waitFor();
    await startCall(webView(), "/tags/get");
    assert.ok("answered" in (await settled(webView())));
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("a call pending when the playground stops fails at once, saying so", async () => {
  const playground = await startPlayground();
  const { page, webView, context } = await openPlayground(browser, playground);
  const { pid } = await deviceProcess(playground, page);
  process.kill(pid, "SIGSTOP");
  await startCall(webView(), "/tags/get");
  await playground.stop();
  assert.deepEqual(await settled(webView()), { rejected: "The playground has stopped; the call was not answered." });
  assert.match(await page.locator("#connection").textContent(), /^Playground stopped/);
  await context.close();
});

test("Pushwren.on answers a function that removes the listener; a throwing listener shows in the page console", async () => {
  const playground = await startPlayground();
  try {
    const { page, webView, context } = await openPlayground(browser, playground);
    await webView().evaluate(() => {
      window.heard = { removed: [], kept: [] };
      const stop = Pushwren.on("pushOpened", (data) => window.heard.removed.push(data));
      Pushwren.on("pushOpened", () => {
        throw new Error("listener broke");
      });
      Pushwren.on("pushOpened", (data) => window.heard.kept.push(data));
      stop();
    });
    await playground.step({ do: "notificationClick", additionalData: { story: 4 } });
    await webView().waitForFunction(() => window.heard.kept.length === 1);
    assert.deepEqual(await webView().evaluate(() => window.heard), { removed: [], kept: [{ story: 4 }] });
    const failure = page.locator("#page-console .console-entry.error", { hasText: "a pushOpened listener failed" });
    await failure.waitFor();
    assert.match(await failure.textContent(), /listener broke/);
    assert.match(await failure.locator(".console-stack pre").textContent(), /listener broke\n\s+at /);
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("the page console shows each level, uncaught errors and rejections, filters by level, clears, and stays out of the session", async () => {
  const playground = await startPlayground();
  try {
    const { page, webView, context } = await openPlayground(browser, playground);
    const pageUrl = await webView().evaluate(() => location.href);
    await webView().evaluate(() => {
      console.log("plain log", { n: 1 });
      console.info("some info");
      console.warn("a warning");
      console.error("an error");
      setTimeout(() => {
        throw new TypeError("thrown later");
      });
      Promise.reject(new Error("nobody caught this"));
    });
    const entries = page.locator("#page-console .console-entry");
    await entries.filter({ hasText: "nobody caught this" }).waitFor();
    await entries.filter({ hasText: "thrown later" }).waitFor();
    const shown = async () =>
      page.locator("#page-console .console-entry:visible").evaluateAll((items) =>
        items.map((item) => `${item.dataset.level} ${item.querySelector(".console-text").textContent}`));
    const all = await shown();
    for (const line of ['log plain log {"n":1}', "info some info", "warn a warning", "error an error",
      "error Uncaught TypeError: thrown later", "error Unhandled rejection: Error: nobody caught this"]) {
      assert.ok(all.includes(line), `${line} in ${JSON.stringify(all)}`);
    }
    assert.equal(await entries.filter({ hasText: "a warning" }).locator(".console-page").textContent(), pageUrl);
    assert.match(await entries.filter({ hasText: "a warning" }).locator("time").getAttribute("datetime"), /^\d{4}-\d\d-\d\dT/);

    await page.locator("#console-level").selectOption("error");
    assert.ok((await shown()).every((line) => line.startsWith("error ")));
    await page.locator("#console-level").selectOption("warn");
    assert.ok((await shown()).some((line) => line.startsWith("warn ")));
    await page.locator("#console-clear").click();
    assert.equal(await entries.count(), 0);

    const session = await (await fetch(new URL("devices/1/session.jsonl", playground.url))).text();
    assert.doesNotMatch(session, /a warning|nobody caught this/);
    await context.close();
  } finally {
    await playground.stop();
  }
});
