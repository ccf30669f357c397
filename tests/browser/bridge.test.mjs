// Pushwren.call: a promise of the answer map for commands that answer, undefined for the rest.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";

import { launchChromium, openPlayground, screenshot, startPlayground } from "./support/playground.mjs";

let browser;
let playground;
let opened;
before(async () => {
  browser = await launchChromium();
  playground = await startPlayground();
  opened = await openPlayground(browser, playground);
});
after(async () => {
  await browser?.close();
  await playground?.stop();
});

const inPage = (script, arg) => opened.demoFrame().evaluate(script, arg);

test("Pushwren.call sets and reads tags", async () => {
  assert.deepEqual(await inPage(() => Pushwren.call("/tags/set", { tags: { city: "Lyon", team: "7" } })), {
    success: true,
  });
  assert.deepEqual(await inPage(() => Pushwren.call("/tags/get")), {
    success: true,
    tags: { city: "Lyon", team: "7" },
  });
  // A JSON object as percent-encoded text is a tag map too; a list is not.
  assert.deepEqual(await inPage(() => Pushwren.call("/tags/set", { tags: "%7B%22mood%22%3A%22sunny%22%7D" })), {
    success: true,
  });
  assert.deepEqual(await inPage(() => Pushwren.call("/tags/set", { tags: "[1]" })), {
    success: false,
    error: "Invalid tags.",
  });
  assert.deepEqual(await inPage(() => Pushwren.call("/tags/delete", { tags: ["team"] })), { success: true });
  assert.deepEqual(await inPage(() => Pushwren.call("/tags/get")), {
    success: true,
    tags: { city: "Lyon", mood: "sunny" },
  });

  // The same through the demo page's form.
  await opened.demo.locator("#tag-key").fill("lang");
  await opened.demo.locator("#tag-value").fill("fr");
  await opened.demo.locator("#tag-form button[type=submit]").click();
  await opened.demo.locator("#tags li", { hasText: "lang = fr" }).waitFor();
  await screenshot(opened.page, "tags");
});

test("commands without an answer resolve with undefined, and each call gets its own answer", async () => {
  // The playground's device starts with notifications not asked; here "/register" opts in at once.
  await playground.step({ do: "sdk", set: { permission: "granted" } });
  const answers = await inPage(() =>
    Promise.all([
      Pushwren.call("/register"),
      Pushwren.call("/login", { externalId: 42 }),
      Pushwren.call("/login", {}),
      Pushwren.call("/badge/set", { count: "3" }),
      Pushwren.call("/info"),
      Pushwren.call("/logout"),
    ]),
  );
  assert.equal(answers[0], undefined);
  assert.deepEqual(answers[1], { success: true });
  assert.deepEqual(answers[2], { success: false, error: "Invalid user id" });
  assert.equal(answers[3], undefined);
  assert.equal(answers[4].externalId, "42");
  // Each device has a subscription id of its own from its start (the push API targets it by it).
  assert.match(answers[4].subscription.id, /^[0-9a-f-]{36}$/);
  assert.deepEqual(answers[4].subscription, { id: answers[4].subscription.id, optedIn: true });
  assert.deepEqual(answers[5], { success: true });
  await opened.page.locator("#device-state dd", { hasText: /^3$/ }).waitFor();
  await screenshot(opened.page, "calls-without-answers");
});

test("Pushwren.call refuses what is not a command", async () => {
  const refusals = await inPage(async () => {
    const reasons = [];
    for (const [path, data] of [["tags/get"], ["/tags/set", [1]], ["/tags/set", null]]) {
      await Pushwren.call(path, data).catch((e) => reasons.push(`${e.name}: ${e.message}`));
    }
    return reasons;
  });
  assert.equal(refusals.length, 3);
  for (const reason of refusals) assert.match(reason, /^TypeError: Pushwren\.call: /);
  await screenshot(opened.page, "call-refusals");
});

test("Pushwren.on hears an in-app message click", async () => {
  await playground.step({ do: "inAppMessageClick", url: "https://example.com/offer", closingMessage: true });
  await opened.demo.locator("#events li", { hasText: "In-app message click" }).waitFor();
  assert.equal(
    await opened.demo.locator("#events li", { hasText: "In-app message click" }).locator("code").textContent(),
    JSON.stringify({ clickUrl: "https://example.com/offer", clickName: "", closesMessage: true }),
  );
  await opened.demo.locator("#events").scrollIntoViewIfNeeded();
  await screenshot(opened.page, "in-app-message-click");
});

// A step's source is drawn in the panel, and the step's data reaches the site's page as a message:
// markup in either, a closing script tag included, arrives as the text it was.
test("a step source and a page message holding </script> stay text in the panel and in the page", async () => {
  const { page, demo } = opened;
  const markup = '</script><script>window.injected = 1</script><img src=x onerror="window.injected = 2">';
  await playground.step({ do: "notificationClick", additionalData: { story: markup } });

  const source = page.locator(".step-source", { hasText: "notificationClick" }).filter({ hasText: "</script>" });
  await source.waitFor();
  assert.ok((await source.textContent()).includes(JSON.stringify(markup)), await source.textContent());
  assert.equal(await page.locator("#trace img, #trace script").count(), 0);

  const event = demo.locator("#events li", { hasText: "Notification opened" }).filter({ hasText: "</script>" });
  await event.waitFor();
  assert.deepEqual(JSON.parse(await event.locator("code").textContent()), { story: markup });
  assert.equal(await event.locator("img, script").count(), 0);

  assert.equal(await page.evaluate(() => window.injected), undefined, "nothing ran in the shell");
  assert.equal(await opened.demoFrame().evaluate(() => window.injected), undefined, "nothing ran in the site's page");
});
