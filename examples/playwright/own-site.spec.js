// A site of its own on the simulated phone, with fixtures that know nothing of the demo: what the
// page shows, its console, and what it did on the device.
import { fileURLToPath } from "node:url";
import { expect, test } from "./playground.js";

test.use({ site: fileURLToPath(new URL("./own-site", import.meta.url)) });

test("the page hears its info, and a tapped notification's story on its own route", async ({ page, device }) => {
  await expect(device.frame.locator("#status")).toHaveText("Notifications off");
  await device.steps({ do: "notificationClick", additionalData: { story: 12 } });
  await expect(device.frame.locator("#opened")).toHaveText("Story 12");
  await expect(page.locator("#address")).toHaveValue("/stories/12");
});

test("a button's bridge call reaches the device, and the page's console shows it", async ({ device }) => {
  await device.frame.getByRole("button", { name: "Follow authors" }).click();
  await expect(device.frame.getByRole("button", { name: "Following" })).toBeVisible();
  expect(await device.console()).toContainEqual(expect.objectContaining({ level: "info", text: "follow saved" }));
  // The plugin's side of it, as a session replay checks it.
  const trace = (await device.session("session.trace")).trim().split("\n").map((line) => JSON.parse(line));
  expect(trace).toContainEqual(["OneSignal.User.addTags", { authors: "followed" }]);
});
