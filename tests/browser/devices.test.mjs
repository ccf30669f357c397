// Each tab of the playground is a device of its own, in a process of its own: a tap sent to one
// never reaches another, and a device whose process dies says so in its tab and comes back with
// Relaunch while the others go on.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";

import { launchChromium, openPlayground, screenshot, startPlayground } from "./support/playground.mjs";

let browser;
let playground;
before(async () => {
  browser = await launchChromium();
  playground = await startPlayground();
});
after(async () => {
  await playground?.stop();
  await browser?.close();
});

async function devices() {
  const response = await fetch(new URL("devices", playground.url));
  return (await response.json()).devices;
}

async function stepTo(device, step) {
  const response = await fetch(new URL(`steps?device=${device}`, playground.url), {
    method: "POST",
    body: JSON.stringify(step),
  });
  return { status: response.status, answer: await response.json() };
}

const deviceOf = async (page) => (await page.locator("#device-name").textContent()).replace("device ", "");

test("two tabs are two devices: a tap sent to one never reaches the other", async () => {
  const one = await openPlayground(browser, playground);
  const two = await openPlayground(browser, playground);
  const [first, second] = [await deviceOf(one.page), await deviceOf(two.page)];
  assert.notEqual(first, second);
  assert.match(await two.page.title(), new RegExp(`device ${second}$`));

  const tap = await stepTo(second, { do: "notificationClick", additionalData: { story: 2 } });
  assert.equal(tap.status, 200);
  await two.demo.locator("#events li", { hasText: '"story":2' }).waitFor();
  // A marker tap to the other device comes after it along the same way (the device's process,
  // its tab's WebSocket, its page): had the first tap reached that device too, its page would
  // show it before the marker.
  assert.equal((await stepTo(first, { do: "notificationClick", additionalData: { marker: 1 } })).status, 200);
  await one.demo.locator("#events li", { hasText: '"marker":1' }).waitFor();
  assert.equal(await one.demo.locator("#events li", { hasText: '"story":2' }).count(), 0, "the tap reached device 1");

  // A reloaded tab comes back to its own device.
  await two.page.reload();
  await two.demo.locator("#info dt").first().waitFor();
  assert.equal(await deviceOf(two.page), second);

  // An unknown device is refused with the ones there are.
  const unknown = await stepTo("99", { do: "notificationWillDisplay" });
  assert.equal(unknown.status, 400);
  assert.match(unknown.answer.error, /^no device "99": the devices are /);
  await one.context.close();
  await two.context.close();
});

test("a device whose process is killed shows as crashed, and Relaunch brings it back", async () => {
  const other = await openPlayground(browser, playground);
  const { page, demo, context } = await openPlayground(browser, playground);
  const id = await deviceOf(page);
  const before = (await devices()).find((device) => device.id === id);
  process.kill(before.pid, "SIGKILL");

  const crashed = page.locator("#crashed");
  await crashed.locator("#crash-title", { hasText: `device ${id}: the app crashed` }).waitFor();
  assert.match(await page.locator("#crash-why").textContent(), /killed by signal 9/);
  assert.equal((await devices()).find((device) => device.id === id).state, "crashed");
  await screenshot(page, "device-crashed");

  // The other device goes on.
  const otherId = await deviceOf(other.page);
  assert.equal((await stepTo(otherId, { do: "notificationWillDisplay" })).status, 200);
  // Steps other than its relaunch are refused while it is down.
  assert.equal((await stepTo(id, { do: "notificationWillDisplay" })).status, 409);

  await page.locator("#crash-relaunch").click();
  await crashed.waitFor({ state: "hidden" });
  await demo.locator("#info dt").first().waitFor();
  const after = (await devices()).find((device) => device.id === id);
  assert.equal(after.state, "running");
  assert.notEqual(after.pid, before.pid);
  // The new process serves the page.
  assert.equal((await stepTo(id, { do: "notificationClick", additionalData: { story: 3 } })).status, 200);
  await demo.locator("#events li", { hasText: "Notification opened" }).waitFor();
  await context.close();
  await other.context.close();
});

test("a device that ends in a fault of its own is listed when the playground stops, which exits 1", async (t) => {
  const own = await startPlayground();
  t.after(() => own.stop().catch(() => {}));
  const [first] = (await (await fetch(new URL("devices", own.url))).json()).devices;
  // A crash, as a device's own fault ends it; a SIGKILL is how a person or the playground ends one.
  // Under a sanitizer, its own handler reports the SIGSEGV and then exits with a status, or
  // aborts (SIGABRT) when told to; any end but SIGKILL is the device's own fault.
  process.kill(first.pid, "SIGSEGV");
  const fault = `it (was killed by signal (?!9\\b)\\d+|exited with status [1-9]\\d*)`;
  await own.logged(new RegExp(`device ${first.id} crashed: ${fault}`), 60000);
  await assert.rejects(own.stop(), (error) => {
    assert.match(error.message, /exited with \{"code":1,/);
    assert.match(error.message, new RegExp(`devices ended in a fault during the session:\\n  device ${first.id}: ${fault}`));
    return true;
  });
});
