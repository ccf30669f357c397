// The demo site on a simulated phone: what the page shows when the device gets notifications and
// in-app messages, and what its own bridge calls do on the device.
import { execFile } from "node:child_process";
import { writeFile } from "node:fs/promises";
import { promisify } from "node:util";
import { expect, test } from "./playground.js";

const events = (site, title) => site.locator("#events li").filter({ hasText: title });

test("a tapped notification opens its story on the page", async ({ phone, playground }) => {
  await playground.steps({ do: "notificationClick", title: "Match report", additionalData: { story: 7 } });
  await expect(events(phone, "Notification opened")).toContainText('"story":7');
});

test("a notification in the foreground shows only once the page allows it", async ({ page, phone, playground }) => {
  const arrives = { do: "notificationWillDisplay", title: "Breaking", additionalData: { story: 8 } };
  expect(await playground.steps(arrives)).toEqual([["event.preventDefault"]]);

  await phone.getByLabel("Show notifications while the app is open").check();
  await expect(events(phone, "/enableForegroundNotifications")).toBeVisible();
  // A banner leaves after a few seconds: holding the page's clock keeps it until the tap, however
  // slow the machine.
  await page.clock.install();
  await page.clock.pauseAt(Date.now() + 1000);
  expect(await playground.steps(arrives)).toEqual([["notification.display"]]);

  // The phone shows the banner; tapping it opens the story on the page.
  await page.locator("#banners").getByRole("button", { name: /Breaking/ }).click();
  await expect(events(phone, "Notification opened")).toContainText('"story":8');
});

test("the page's trigger shows the in-app message, and the page hears its button", async ({ page, phone, playground }) => {
  await phone.locator("#trigger-form").getByRole("button", { name: "Add" }).click();
  await expect(page.getByRole("heading", { name: "Level 5 reached" })).toBeVisible();

  await playground.steps({ do: "inAppMessageButton", id: "level-five", button: 0 });
  await expect(events(phone, "In-app message click")).toContainText('"clickName":"claim"');
});

test("the page's tags reach the push service, and the service's reach the page", async ({ phone, playground }) => {
  const tagForm = phone.locator("#tag-form");
  await tagForm.getByLabel("Key").fill("city");
  await tagForm.getByLabel("Value").fill("Lyon");
  await tagForm.getByRole("button", { name: "Set" }).click();
  await expect(phone.locator("#tags")).toContainText("city = Lyon");
  const trace = (await playground.session("session.trace")).trim().split("\n").map((line) => JSON.parse(line));
  expect(trace).toContainEqual(["OneSignal.User.addTags", { city: "Lyon" }]);

  await playground.steps({ do: "sdk", set: { tags: { city: "Lyon", team: "OL" } } });
  await phone.getByRole("button", { name: "Get tags" }).click();
  await expect(phone.locator("#tags")).toContainText("team = OL");
});

// The device's session replays without a browser or a playground: the pair, saved with the
// test's results, is a scenario to keep, and fails its replay once the device answers the same
// steps differently.
test("the session replays with pushwren-sim run", async ({ phone, playground }, testInfo) => {
  await playground.steps({ do: "notificationClick", additionalData: { story: 9 } });
  await expect(events(phone, "Notification opened")).toContainText('"story":9');
  await phone.getByRole("button", { name: "Subscribe" }).click();
  await expect(events(phone, "/register")).toBeVisible();

  const steps = testInfo.outputPath("session.jsonl");
  const trace = testInfo.outputPath("session.trace");
  await writeFile(steps, await playground.session("session.jsonl"));
  await writeFile(trace, await playground.session("session.trace"));
  const simulator = process.env.PUSHWREN_SIM ?? "pushwren-sim";
  await promisify(execFile)(simulator, ["run", steps, "--expect", trace]);
});
