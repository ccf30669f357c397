// What the phone shows: banners of displayed notifications, the notification list, in-app
// messages, the permission prompt and the badge, each operated by clicks that become steps.
import assert from "node:assert/strict";
import { mkdtempSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, before, describe, test } from "node:test";

import { launchChromium, openPlayground, screenshot, startPlayground } from "./support/playground.mjs";

let browser;
before(async () => (browser = await launchChromium()));
after(async () => browser?.close());

// Stops the page's clock (installed with page.clock.install()): timers wait until the test moves
// it on or resumes it. The clock jumps a minute ahead of where the page reads it first, so that it
// is still ahead however long the call takes; only timers already running can come due in that
// jump, and a test holds the clock before it makes the ones it is about.
async function holdClock(page) {
  await page.clock.pauseAt((await page.evaluate(() => Date.now())) + 60_000);
}

// A host configuration file for `serve --config`.
function configFile(properties) {
  const path = join(mkdtempSync(join(tmpdir(), "pushwren-config-")), "config.json");
  writeFileSync(path, JSON.stringify(properties));
  return path;
}

describe("with the demo page", () => {
  let playground;
  let opened;
  before(async () => {
    playground = await startPlayground();
    opened = await openPlayground(browser, playground);
    // A banner leaves after a few seconds of the page's clock. The tests hold that clock while a
    // banner is read, photographed and tapped, and move it on when they want the banner gone, so
    // a slow machine sees the same as a fast one.
    await opened.page.clock.install();
  });
  after(async () => {
    await opened?.context.close();
    await playground?.stop();
  });

  test("a foreground notification shows a banner only when the plugin displays it, and a tap reaches the page", async () => {
    const { page, demo } = opened;
    const status = page.locator("#notification-status");
    await page.locator("#notification-title").fill("Goal!");
    await page.locator("#notification-body").fill("Lyon 2 – 1 Nantes");
    await page.locator("#notification-data").fill('{"story": 9}');

    // Foreground notifications are off: the plugin prevents the display. The banner would be
    // drawn from the step's trace lines, which reach the panel with the preventing line.
    const prevented = page.locator(".trace-line", { hasText: '["event.preventDefault"]' });
    const preventedBefore = await prevented.count();
    await page.locator("#notification-form button[value=foreground]").click();
    await status.filter({ hasText: "prevented" }).waitFor();
    await prevented.nth(preventedBefore).waitFor();
    assert.equal(await page.locator(".banner").count(), 0);

    await demo.locator("#foreground").check();
    await page.locator("#device-state dd", { hasText: /^shown$/ }).waitFor();
    await holdClock(page);
    await page.locator("#notification-form button[value=foreground]").click();
    const banner = page.locator(".banner");
    await banner.waitFor();
    assert.equal(await banner.locator(".banner-title").textContent(), "Goal!");
    assert.equal(await banner.locator(".banner-body").textContent(), "Lyon 2 – 1 Nantes");
    await status.filter({ hasText: "displayed" }).waitFor();
    await screenshot(page, "phone-banner");

    await banner.click();
    await page.clock.resume();
    await demo.locator("#events li", { hasText: "Notification opened" }).filter({ hasText: '"story":9' }).waitFor();
    await banner.waitFor({ state: "detached" });
    await page.locator(".step-source", { hasText: "notificationClick" }).filter({ hasText: '"title":"Goal!"' }).waitFor();
  });

  test("a shown notification waits in the list on the home screen, and a tap there opens it", async () => {
    const { page, demo } = opened;
    await demo.locator("#foreground").check();
    await page.locator("#notification-title").fill("Listed");
    await page.locator("#notification-data").fill('{"story": 11}');
    await holdClock(page);
    await page.locator("#notification-form button[value=foreground]").click();
    const banner = page.locator(".banner", { hasText: "Listed" });
    await banner.waitFor();
    // Once its time is up the banner goes, and the notification stays in the list.
    await page.clock.runFor(60_000);
    await banner.waitFor({ state: "detached" });
    await page.clock.resume();

    await page.locator("#home-toggle").click();
    const listed = page.locator("#notification-list .listed-notification", { hasText: "Listed" });
    await listed.click();
    await demo.locator("#events li", { hasText: "Notification opened" }).filter({ hasText: '"story":11' }).waitFor();
    assert.equal(await page.locator("#home-screen").isHidden(), true, "the tap opens the app");
    assert.equal(await listed.count(), 0, "a tapped notification leaves the list");
  });

  test("composed data that is not a JSON map is refused at its field and nothing is sent", async () => {
    const { page } = opened;
    const data = page.locator("#notification-data");
    const status = page.locator("#notification-status");
    const sources = page.locator(".step-source");
    const sourcesBefore = await sources.count();
    for (const [text, reason] of [
      ["{story: 7", /not JSON/],
      ["[1, 2]", /must be a JSON map.*list/],
      ["42", /must be a JSON map/],
      ["null", /must be a JSON map/],
    ]) {
      await data.fill(text);
      await page.locator("#notification-form button[value=tap]").click();
      await status.filter({ hasText: reason }).waitFor();
      assert.equal(await data.getAttribute("aria-invalid"), "true", text);
    }
    // A step that was sent would show in the panel before a later one: the marker's step source
    // comes after any of theirs on the same channel.
    await playground.step({ do: "sdk", set: { tags: { refusedMarker: "1" } } });
    await page.locator(".step-source", { hasText: "refusedMarker" }).waitFor();
    assert.equal(await sources.count(), sourcesBefore + 1, "of the steps since the refused data, only the marker was sent");
    const messages = page.locator("#messages-json");
    await page.locator("#messages-form summary").click();
    await messages.fill('{"id": "x"}');
    await page.locator("#messages-form button[type=submit]").click();
    await page.locator("#messages-status", { hasText: "must be a JSON list" }).waitFor();
    await messages.fill("[1]");
    await page.locator("#messages-form button[type=submit]").click();
    await page.locator("#messages-status", { hasText: "Message 1 must be a JSON map" }).waitFor();
    // What the device itself refuses is said beside the control too.
    await messages.fill('[{"id": "x"}]');
    await page.locator("#messages-form button[type=submit]").click();
    await page.locator("#messages-status.error", { hasText: "sdk:" }).waitFor();
  });

  test("text from notifications and messages is shown as text, never markup", async () => {
    const { page, demo } = opened;
    const markup = '<img src=x onerror="window.injected=1">';
    await demo.locator("#foreground").check();
    await page.locator("#notification-title").fill(markup);
    await page.locator("#notification-data").fill("{}");
    await holdClock(page);
    await page.locator("#notification-form button[value=foreground]").click();
    const banner = page.locator(".banner", { hasText: markup });
    await banner.waitFor();
    assert.equal(await banner.locator("img").count(), 0);
    assert.equal(await banner.locator(".banner-title").textContent(), markup);
    await page.clock.resume();

    await playground.step({
      do: "sdk",
      set: { inAppMessages: [{ id: "markup", trigger: ["markup", "1"], title: markup, body: markup, buttons: [{ text: markup }] }] },
    });
    await demo.locator("#trigger-key").fill("markup");
    await demo.locator("#trigger-value").fill("1");
    await demo.locator("#trigger-form button[type=submit]").click();
    const message = page.locator(".in-app-message", { hasText: markup });
    await message.waitFor();
    assert.equal(await message.locator("img").count(), 0);
    assert.equal(await page.evaluate(() => window.injected), undefined);
    await message.locator(".in-app-button").click();
    await message.waitFor({ state: "detached" });
  });
});

test("an in-app message whose trigger the page sets appears, and its buttons reach the page's click handler", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo, context } = await openPlayground(browser, playground);
    await page.locator("#messages-known", { hasText: 'level-five: level = "5"' }).waitFor();
    await demo.locator("#trigger-key").fill("level");
    await demo.locator("#trigger-value").fill("5");
    await demo.locator("#trigger-form button[type=submit]").click();

    const message = page.locator(".in-app-message");
    await message.waitFor();
    assert.equal(await message.locator(".in-app-title").textContent(), "Level 5 reached");
    assert.deepEqual(await message.locator(".in-app-button").allTextContents(), ["Claim the offer", "Tell me more", "Close"]);
    assert.equal(await message.locator(".in-app-button").first().evaluate((b) => b === document.activeElement), true, "the message takes the keyboard");
    await page.locator("#device-state .chip", { hasText: 'level = "5"' }).waitFor();
    await screenshot(page, "phone-in-app-message");

    // A button that does not close: the page hears of it, the message stays.
    await message.locator(".in-app-button", { hasText: "Tell me more" }).click();
    await demo.locator("#events li", { hasText: "In-app message click" }).filter({ hasText: '"more"' }).waitFor();
    assert.equal(await message.count(), 1);

    await message.locator(".in-app-button", { hasText: "Close" }).click();
    await message.waitFor({ state: "detached" });
    await page.locator(".trace-line", { hasText: '["sdk.inAppMessage.dismiss","level-five"]' }).waitFor();

    // Each message is shown once: setting the trigger again shows nothing. The device's state
    // after a later step, on the same channel, proves a message shown by this one would be drawn.
    await demo.locator("#trigger-form button[type=submit]").click();
    await page.locator(".step-source", { hasText: "/iam/addTrigger" }).nth(1).waitFor();
    await playground.step({ do: "sdk", set: { tags: { shownOnceMarker: "1" } } });
    await page.locator("#device-state .chip", { hasText: 'shownOnceMarker = "1"' }).waitFor();
    assert.equal(await message.count(), 0);
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("the soft prompt: its message asks for push with Allow, and the prompt's Allow opts the device in", async () => {
  const playground = await startPlayground();
  try {
    const { page, webView, context } = await openPlayground(browser, playground);
    const message = page.locator(".in-app-message");
    await webView().evaluate(() => Pushwren.call("/iam/addTrigger", { key: "prompt_ios", value: "true" }));
    await message.filter({ hasText: "Never miss a story" }).waitFor();
    await message.locator(".in-app-button", { hasText: "Allow" }).click();
    await message.waitFor({ state: "detached" });
    await page.locator("#permission-prompt").waitFor();
    await page.locator("#prompt-allow").click();
    await page.locator("#device-state dd", { hasText: /^granted$/ }).waitFor();
    await page.locator("#device-state dt", { hasText: "Opted in" }).locator("xpath=following-sibling::dd[1]", { hasText: "yes" }).waitFor();
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("with auto-register and permission not asked, launch shows the prompt and Allow opts the page in", async () => {
  const playground = await startPlayground(["--config", configFile({ oneSignalV5AutoRegister: true })]);
  try {
    const { page, demo, context } = await openPlayground(browser, playground);
    const prompt = page.locator("#permission-prompt");
    await prompt.waitFor();
    assert.equal(await prompt.locator(".alert-title").textContent(), "'App' Would Like to Send You Notifications");
    assert.equal(await page.locator("#prompt-allow").evaluate((button) => button === document.activeElement), true);
    const optedIn = demo.locator("#info dt", { hasText: "Opted in" }).locator("xpath=following-sibling::dd[1]");
    assert.equal(await optedIn.textContent(), "no");
    await screenshot(page, "phone-permission-prompt");

    await page.locator("#prompt-allow").click();
    await prompt.waitFor({ state: "hidden" });
    await demo.locator("#info-refresh").click();
    await demo.locator("#info dt", { hasText: "Opted in" }).locator("xpath=following-sibling::dd[1]", { hasText: "yes" }).waitFor();
    await page.locator("#device-state dd", { hasText: /^granted$/ }).waitFor();
    assert.equal(await page.locator('input[name="permission"][value="granted"]').isChecked(), true);
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("the permission switch: Don't Allow and denied leave the page opted out; already granted opts in at once", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo, context } = await openPlayground(browser, playground);
    const prompt = page.locator("#permission-prompt");
    await demo.locator("#register").click();
    await prompt.waitFor();
    await page.locator("#prompt-deny").click();
    await prompt.waitFor({ state: "hidden" });
    assert.equal(await page.locator('input[name="permission"][value="denied"]').isChecked(), true);

    await demo.locator("#register").click();
    await page.locator(".step-source", { hasText: "/register" }).nth(1).waitFor();
    // The prompt is drawn from the device's state, which a later step's state follows.
    await playground.step({ do: "sdk", set: { tags: { deniedMarker: "1" } } });
    await page.locator("#device-state .chip", { hasText: 'deniedMarker = "1"' }).waitFor();
    assert.equal(await prompt.isHidden(), true, "a denied permission asks nothing");

    await page.getByLabel("Already granted").check();
    await page.locator("#permission-status.ok").waitFor();
    await demo.locator("#register").click();
    await page.locator("#device-state dt", { hasText: "Opted in" }).locator("xpath=following-sibling::dd[1]", { hasText: "yes" }).waitFor();
    assert.equal(await prompt.isHidden(), true);
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("the badge the page sets is on the app icon of the home screen", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo, context } = await openPlayground(browser, playground);
    await demo.locator("#badge").fill("4");
    await demo.locator("#badge-form button[type=submit]").click();
    await page.locator("#home-toggle").click();
    const badge = page.locator("#app-badge");
    await badge.filter({ hasText: /^4$/ }).waitFor();
    assert.equal(await page.locator("#app-icon").getAttribute("aria-label"), "App, 4 new");
    await page.locator("#app-icon").click();
    await page.locator("#home-screen").waitFor({ state: "hidden" });
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("the shell with the subscriptions screen, a banner, an in-app message and the prompt has no serious accessibility finding", async () => {
  const playground = await startPlayground(["--config", configFile({ oneSignalV5ForegroundNotificationsEnabled: true })]);
  try {
    const { page, demo, webView, context } = await openPlayground(browser, playground);
    await demo.locator("#show-topics").click();
    await page.locator(".native-screen .ui-table-row").first().waitFor();
    // The screen covers the page: the page's own calls go through its client.
    await webView().evaluate(() => Pushwren.call("/iam/addTrigger", { key: "level", value: "5" }));
    await page.locator(".in-app-message").waitFor();
    await webView().evaluate(() => Pushwren.call("/register"));
    await page.locator("#permission-prompt").waitFor();
    // The page's clock is held until the banner has the keyboard focus, which keeps it however
    // long the scan takes; the scan itself needs the clock running.
    await page.clock.install();
    await holdClock(page);
    await playground.step({ do: "notificationWillDisplay", title: "Goal!", body: "Lyon 2 – 1 Nantes" });
    const banner = page.locator(".banner");
    await banner.focus();
    await page.clock.resume();

    const { createRequire } = await import("node:module");
    const axe = createRequire(import.meta.url)("axe-core");
    // The shell refuses inline scripts; evaluating the source is not a script the page loads.
    await page.evaluate(axe.source);
    const violations = await page.evaluate(async () => {
      // The web view shows the developer's own site: its findings are the site's, not the shell's.
      const results = await window.axe.run({ exclude: [["#web-view"]] }, { iframes: false });
      return results.violations
        .filter((found) => found.impact === "serious" || found.impact === "critical")
        .map((found) => `${found.id} (${found.impact}): ${found.nodes.map((node) => node.target.join(" ")).join(", ")}`);
    });
    assert.deepEqual(violations, []);
    assert.equal(await banner.count(), 1, "the banner was there for the scan");
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("the panel fits a 1024 × 900 window: Any step in view, long values cut, errors beside their control, notices timed and cleared, no 404", async () => {
  const playground = await startPlayground();
  try {
    const context = await browser.newContext({ viewport: { width: 1024, height: 900 } });
    const page = await context.newPage();
    const missing = [];
    page.on("response", (response) => {
      if (response.status() === 404) missing.push(response.url());
    });
    await page.goto(playground.url);
    const demo = page.frameLocator("#web-view");
    await demo.locator("#info dt").first().waitFor();

    const apply = page.locator("#step-form button[type=submit]");
    const box = await apply.boundingBox();
    assert.ok(box && box.y + box.height <= 900, `Apply step is in view without scrolling (${JSON.stringify(box)})`);

    const longId = "x".repeat(200 * 1024);
    await playground.step({ do: "sdk", set: { externalId: longId, tags: { long: longId } } });
    const cell = page.locator("#device-state dt", { hasText: "External id" }).locator("xpath=following-sibling::dd[1]");
    await cell.filter({ hasText: "xxxx" }).waitFor();
    assert.equal(await cell.getAttribute("title"), longId, "the whole value on hover");
    assert.equal(await cell.textContent(), longId, "the whole value is what is copied");
    const widths = await page.evaluate(() => ({ page: document.documentElement.scrollWidth, cell: document.querySelector("#device-state").scrollWidth }));
    assert.ok(widths.page <= 1024, `the layout is not stretched (${widths.page})`);
    assert.ok(widths.cell <= 1024, `the state box is not stretched (${widths.cell})`);

    // An error is said beside the control that caused it.
    await page.locator("#step-json").fill('{"do": "permission", "allow": true}');
    await apply.click();
    await page.locator("#step-status.error", { hasText: "no permission prompt is open" }).waitFor();

    // A tap that opens a web address outside the site: a notice with its time, then Clear.
    await page.locator("#notification-preset").selectOption("web");
    assert.deepEqual(JSON.parse(await page.locator("#notification-data").inputValue()), { targetUrl: "https://example.com/" });
    await page.locator("#notification-form button[value=tap]").click();
    const notice = page.locator("#notices li.notice").first();
    await notice.waitFor();
    assert.match(await notice.locator("time").textContent(), /^\d{2}:\d{2}:\d{2}$/);
    await page.locator("#notices-clear").click();
    await page.locator("#notices li.empty").waitFor();
    assert.equal(await page.locator("#notices li.notice").count(), 0);

    assert.deepEqual(missing, []);
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("toggling a topic switch by keyboard keeps the focus on it", async () => {
  const playground = await startPlayground();
  try {
    const { page, demo, context } = await openPlayground(browser, playground);
    await demo.locator("#show-topics").click();
    const football = page.locator(".ui-table-row", { hasText: "Football" }).locator(".ui-switch");
    await football.focus();
    await page.keyboard.press("Space");
    await page.locator("#device-state .chip", { hasText: "sport_football" }).waitFor();
    await page.locator(".trace-line", { hasText: '"ui.table"' }).last().waitFor();
    assert.equal(await page.evaluate(() => document.activeElement?.closest(".ui-table-row")?.textContent), "Football");
    await context.close();
  } finally {
    await playground.stop();
  }
});
