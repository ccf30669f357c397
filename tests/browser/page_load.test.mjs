// The page in the web view: its load is the navigation-finished entry point.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";

import { launchChromium, openPlayground, screenshot, startPlayground } from "./support/playground.mjs";

let browser;
before(async () => (browser = await launchChromium()));
after(async () => browser?.close());

// The demo page lists events newest first.
async function demoEvents(demo) {
  return (await demo.locator("#events li strong").allTextContents()).reverse();
}

test("the page loads and hears its info once, though the host calls both info functions", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo } = await openPlayground(browser, playground);
    // The host calls both names in one go: once the first is heard, the second has been called.
    await demo.locator("#events li", { hasText: "tavio_onesignal_info" }).waitFor();
    assert.deepEqual(await demoEvents(demo), ["info (tavio_onesignal_info)"]);
    assert.equal(await demo.locator("#info dd").nth(4).textContent(), "no", "not opted in yet");
    assert.equal(await page.locator("#runner-id").textContent(), "tab-1");
    await demo.locator("#events").scrollIntoViewIfNeeded();
    await screenshot(page, "page-load");
  } finally {
    assert.deepEqual(await playground.stop("SIGINT"), { code: 0, signal: null }, "stops cleanly with a tab open");
  }
});

test("a tap sent before the page loaded is delivered after the load", async () => {
  const playground = await startPlayground();
  try {
    const trace = await playground.step({ do: "notificationClick", additionalData: { story: 7, title: "Match report" } });
    assert.deepEqual(trace, [], "nothing reaches a page before it has loaded");

    const { page, demo } = await openPlayground(browser, playground);
    await demo.locator("#events li", { hasText: "tavio_onesignal_info" }).waitFor();
    assert.deepEqual(await demoEvents(demo), ["Notification opened", "info (tavio_onesignal_info)"]);
    assert.equal(
      await demo.locator("#events li", { hasText: "Notification opened" }).locator("code").textContent(),
      JSON.stringify({ story: 7, title: "Match report" }),
    );
    await demo.locator("#events").scrollIntoViewIfNeeded();
    await screenshot(page, "tap-before-load");
  } finally {
    await playground.stop();
  }
});

test("a tap with a page of the site opens it in the web view", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo } = await openPlayground(browser, playground);
    await playground.step({ do: "notificationClick", additionalData: { u: "/?story=9" } });
    await demo.locator("#opened-from", { hasText: "story 9" }).waitFor();
    assert.equal(await page.locator("#address").inputValue(), "/?story=9");
    // The new page load is a finished navigation of its own: the info calls come again.
    await demo.locator("#events li", { hasText: "tavio_onesignal_info" }).waitFor();
    await screenshot(page, "tap-opens-page");
  } finally {
    await playground.stop();
  }
});

test("closing the tab lets go of its runner", async () => {
  const playground = await startPlayground();
  try {
    const { context, page } = await openPlayground(browser, playground);
    await screenshot(page, "tab-before-closing");
    await context.close();
    // The host hears of the closed tab when its connection ends, which may come just after the
    // browser has closed it.
    await playground.untilShown(0);
    const trace = await playground.step({ do: "notificationClick", additionalData: { story: 8 } });
    assert.deepEqual(trace, [], "the plugin held the runner weakly: with the tab gone, a tap reaches no page");
  } finally {
    await playground.stop();
  }
});
