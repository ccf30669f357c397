// Records the playground session that the replay benchmark repeats: a person using the demo page
// and the panel in a real browser, saved as the device records it (steps and trace). Run it by
// hand after a change to what a session records, and commit what it writes:
//   node bench/replay/record_session.mjs
// writes bench/replay/recorded-session.jsonl and .trace. A comment line "# pattern" marks where
// the part that repeat_session.py repeats begins: everything after the first page's load, which
// ends as it began, with a freshly loaded page. Uses PUSHWREN_SIM or build/bin/pushwren-sim.
import { execFileSync } from "node:child_process";
import { writeFileSync } from "node:fs";
import { join } from "node:path";

import {
  launchChromium,
  openPlayground,
  repoRoot,
  startPlayground,
  subscribeToFootball,
} from "../../tests/browser/support/playground.mjs";

const PATTERN_MARK = "# pattern: the steps from here to the end repeat\n";
const QUIET_MS = 300;
const LIMIT_MS = 10000;

const playground = await startPlayground();
const browser = await launchChromium();

async function session(file) {
  const response = await fetch(new URL(`devices/1/${file}`, playground.url));
  if (!response.ok) throw new Error(`${file}: ${response.status}`);
  return response.text();
}

// The session once nothing has reached the device for a while: a page's calls after its load
// come on their own time.
async function quietSession() {
  const giveUpAt = Date.now() + LIMIT_MS;
  let last = await session("session.jsonl");
  let since = Date.now();
  while (Date.now() - since < QUIET_MS) {
    if (Date.now() > giveUpAt) throw new Error("the session never went quiet");
    await new Promise((done) => setTimeout(done, 50));
    const now = await session("session.jsonl");
    if (now !== last) [last, since] = [now, Date.now()];
  }
  return last;
}

try {
  const { page, demo } = await openPlayground(browser, playground);
  const events = demo.locator("#events li");
  const loadsSoFar = () => page.locator(".step-source.load").count();
  const newPageLoaded = async (loads) => {
    await page.locator(".step-source.load").nth(loads).waitFor();
    await demo.locator("#info dt", { hasText: "OneSignal id" }).first().waitFor();
  };

  // Once, before the pattern: an in-app message is shown once per device, so it cannot repeat.
  await demo.locator("#trigger-key").fill("level");
  await demo.locator("#trigger-value").fill("5");
  await demo.locator("#trigger-form button[type=submit]").click();
  const message = page.locator(".in-app-message");
  await message.locator(".in-app-button", { hasText: "Tell me more" }).click();
  await demo.locator("#events li", { hasText: "In-app message click" }).waitFor();
  await message.locator(".in-app-button", { hasText: "Close" }).click();
  await message.waitFor({ state: "detached" });
  const prelude = await quietSession();

  // Tags from the page's form, then read back.
  await demo.locator("#tag-key").fill("city");
  await demo.locator("#tag-value").fill("Lyon");
  await demo.locator("#tag-form button[type=submit]").click();
  await demo.locator("#tags li", { hasText: "city = Lyon" }).waitFor();

  // A notification in the foreground, displayed as the page asked, and its banner tapped.
  await demo.locator("#foreground").check();
  await page.locator("#device-state dd", { hasText: /^shown$/ }).waitFor();
  await page.locator("#notification-preset").selectOption("data");
  await page.locator("#notification-form button[value=foreground]").click();
  const banner = page.locator(".banner");
  await banner.waitFor();
  const before = await events.count();
  await banner.click();
  await events.nth(before).waitFor();
  await banner.waitFor({ state: "detached" });

  // A tap whose "u" opens another page of the site: a navigation and the new page's calls.
  let loads = await loadsSoFar();
  await page.locator("#notification-preset").selectOption("page");
  await page.locator("#notification-form button[value=tap]").click();
  await newPageLoaded(loads);
  await quietSession();

  // The page's other controls.
  await demo.locator("#badge-form button[type=submit]").click();
  await demo.locator("#login-form button[type=submit]").click();
  await demo.locator("#info-refresh").click();
  await demo.locator("#tags-get").click();
  await demo.locator("#tags li", { hasText: "city = Lyon" }).waitFor();
  await quietSession();

  // The subscriptions screen: downloaded, a switch turned, closed.
  await subscribeToFootball(page, demo);

  // The app relaunched, then opened again from a notification; both end with a new page loaded.
  loads = await loadsSoFar();
  await page.locator("#relaunch").click();
  await newPageLoaded(loads);
  await quietSession();
  loads = await loadsSoFar();
  await page.locator("#notification-preset").selectOption("data");
  await page.locator("#notification-form button[value=open]").click();
  await newPageLoaded(loads);
  await demo.locator("#events li", { hasText: "Notification opened" }).waitFor();

  const steps = await quietSession();
  const trace = await session("session.trace");
  if (!steps.startsWith(prelude)) throw new Error("the session's start changed while it was recorded");
  const out = join(repoRoot, "bench/replay/recorded-session");
  writeFileSync(`${out}.jsonl`, prelude + PATTERN_MARK + steps.slice(prelude.length));
  writeFileSync(`${out}.trace`, trace);

  // What was recorded replays as it ran.
  const simulator = process.env.PUSHWREN_SIM ?? join(repoRoot, "build/bin/pushwren-sim");
  execFileSync(simulator, ["run", `${out}.jsonl`, "--expect", `${out}.trace`], { stdio: ["ignore", "ignore", "inherit"] });
  const stepCount = steps.split("\n").filter((line) => line.trim() && !line.startsWith("#")).length;
  console.log(`recorded ${stepCount} steps to ${out}.jsonl and .trace; the replay matches`);
} finally {
  await browser.close();
  await playground.stop();
}
