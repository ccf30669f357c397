// The native subscriptions screen, drawn over the web view and operated by clicks.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";

import { launchChromium, openPlayground, screenshot, startPlayground } from "./support/playground.mjs";

let browser;
before(async () => (browser = await launchChromium()));
after(async () => browser?.close());

test("the subscriptions screen opens and a switch adds a tag", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo, demoFrame } = await openPlayground(browser, playground);
    await playground.step({ do: "sdk", set: { tags: { news_daily: "1" } } });
    await demo.locator("#show-topics").click();

    const screen = page.locator(".native-screen");
    await screen.locator(".ui-table-row").first().waitFor();
    assert.equal(await screen.locator(".ui-label").textContent(), "Subscriptions");
    assert.deepEqual(await screen.locator(".ui-table-heading").allTextContents(), ["News", "Sports", "Offers"]);
    const football = screen.locator(".ui-table-row", { hasText: "Football" }).locator(".ui-switch");
    const daily = screen.locator(".ui-table-row", { hasText: "Daily digest" }).locator(".ui-switch");
    assert.equal(await daily.isChecked(), true, "a topic the user has a tag for starts on");
    assert.equal(await football.isChecked(), false);

    await football.click();
    await page.locator("#device-state .chip", { hasText: 'sport_football = "1"' }).waitFor();
    assert.deepEqual(await demoFrame().evaluate(() => Pushwren.call("/tags/get")), {
      success: true,
      tags: { news_daily: "1", sport_football: "1" },
    });
    assert.equal(await football.isChecked(), true);
    await screenshot(page, "subscriptions-screen");

    await screen.locator(".ui-button", { hasText: "Close" }).click();
    await screen.waitFor({ state: "detached" });
  } finally {
    await playground.stop();
  }
});

test("a broken manifest shows the alert and OK closes the screen", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo } = await openPlayground(browser, playground);
    await playground.step({ do: "serve", path: "/broken.json", body: "{ not json" });
    await playground.step({ do: "config", set: { oneSignalV5TagsJsonUrl: "http://{server}/broken.json" } });
    await demo.locator("#show-topics").click();

    const alert = page.locator(".native-screen .alert");
    await alert.waitFor();
    assert.equal(await alert.locator(".alert-title").textContent(), "Error");
    assert.equal(await alert.locator(".alert-message").textContent(), "Error retrieving tag list");
    assert.equal(await page.locator(".native-screen .ui-spinner:not(.stopped)").count(), 1, "the spinner goes on");
    await page.locator(".trace-line", { hasText: '["log","Invalid JSON from http://{server}/broken.json"]' }).waitFor();
    await screenshot(page, "subscriptions-alert");

    await alert.locator(".alert-button", { hasText: "OK" }).click();
    await page.locator(".native-screen").waitFor({ state: "detached" });
    await page.locator(".trace-line", { hasText: '["ui.dismiss","CVPushwrenSubscriptionsController"]' }).waitFor();
  } finally {
    await playground.stop();
  }
});

test("the playground serves the manifest it is given", async () => {
  const playground = await startPlayground(["--manifest", new URL("./support/one-topic.json", import.meta.url).pathname]);
  try {
    const { page, demo } = await openPlayground(browser, playground);
    await demo.locator("#show-topics").click();
    const rows = page.locator(".native-screen .ui-table-row");
    await rows.first().waitFor();
    assert.deepEqual(await rows.allTextContents(), ["Releases"]);
    await screenshot(page, "manifest-from-file");
  } finally {
    await playground.stop();
  }
});
