// The playground's page on common screens: nothing covered, no text cut, every control reachable,
// no sideways scrolling; under 900 px wide the panel goes below the phone; and axe-core finds
// nothing serious or critical.
import assert from "node:assert/strict";
import { createRequire } from "node:module";
import { after, before, test } from "node:test";

import { launchChromium, screenshot, startPlayground } from "./support/playground.mjs";

const SIZES = [
  [1024, 768],
  [1280, 720],
  [1440, 900],
  [768, 1024],
];

let browser;
let playground;
before(async () => {
  browser = await launchChromium();
  playground = await startPlayground();
});
after(async () => {
  await browser?.close();
  await playground?.stop();
});

// Each control of the shell that is not hidden, with what is wrong with it where it stands once
// scrolled into view: covered by something else, or its text cut.
async function faultsOfControls(page) {
  const controls = page.locator(
    ".top-bar :is(button, select), .device-tools :is(button, select), .address-bar :is(button, input), " +
      ".panel :is(button, input, select, textarea, summary), .state :is(button, input, select)",
  );
  const faults = [];
  for (const control of await controls.all()) {
    if (!(await control.isVisible())) continue;
    await control.scrollIntoViewIfNeeded();
    const fault = await control.evaluate((element) => {
      const name = `${element.tagName.toLowerCase()}#${element.id} "${(element.textContent || element.getAttribute("aria-label") || element.name || "").trim()}"`;
      const box = element.getBoundingClientRect();
      const x = box.left + box.width / 2;
      const y = box.top + box.height / 2;
      if (x < 0 || y < 0 || x > innerWidth || y > innerHeight) return `${name} is out of view`;
      const top = document.elementFromPoint(x, y);
      if (!top || !(element === top || element.contains(top) || top.contains(element) || top.control === element)) {
        return `${name} is covered by ${top ? `${top.tagName.toLowerCase()}.${top.className}` : "nothing"}`;
      }
      if (element.tagName === "BUTTON" && (element.scrollWidth > element.clientWidth + 1 || element.scrollHeight > element.clientHeight + 1)) {
        return `${name} has its text cut`;
      }
      return null;
    });
    if (fault) faults.push(fault);
  }
  return faults;
}

for (const [width, height] of SIZES) {
  test(`the playground fits ${width}x${height}`, async () => {
    const context = await browser.newContext({ viewport: { width, height } });
    const page = await context.newPage();
    await page.goto(playground.url);
    await page.locator("body[data-page-info]").waitFor();

    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= innerWidth), "no sideways scrolling");
    for (const value of await page.locator("#device-state dd").all()) {
      const box = await value.boundingBox();
      assert.ok(box && box.width > 20, "each device-state value has room");
    }
    assert.deepEqual(await faultsOfControls(page), []);
    const phone = await page.locator(".phone").boundingBox();
    const panel = await page.locator(".panel").boundingBox();
    if (width < 900) assert.ok(panel.y >= phone.y + phone.height, "the panel is below the phone");
    else assert.ok(panel.x >= phone.x + phone.width, "the panel is beside the phone");

    await page.evaluate(() => window.scrollTo(0, 0));
    await screenshot(page, `panel-fit-${width}x${height}`);

    await page.evaluate(createRequire(import.meta.url)("axe-core").source);
    const results = await page.evaluate(() => window.axe.run({ exclude: [["#web-view"]] }, { iframes: false }));
    const serious = results.violations
      .filter((violation) => violation.impact === "serious" || violation.impact === "critical")
      .map((violation) => `${violation.id}: ${violation.nodes.map((node) => node.target.join(" ")).join(", ")}`);
    assert.deepEqual(serious, []);
    await context.close();
  });
}

test("the screen size is chosen per tab and kept across its reload", async () => {
  const context = await browser.newContext({ viewport: { width: 1440, height: 900 } });
  const one = await context.newPage();
  const two = await context.newPage();
  for (const page of [one, two]) {
    await page.goto(playground.url);
    await page.locator("body[data-page-info]").waitFor();
  }
  const screenOf = async (page) => {
    const box = await page.locator("#web-view").boundingBox();
    return [Math.round(box.width), Math.round(box.height)];
  };
  await one.locator("#screen-size").selectOption("360x640");
  assert.deepEqual(await screenOf(one), [360, 640]);
  await two.locator("#screen-size").selectOption("430x932");
  assert.deepEqual(await screenOf(two), [430, 932]);
  await one.reload();
  await one.locator("body[data-page-info]").waitFor();
  assert.equal(await one.locator("#screen-size").inputValue(), "360x640");
  assert.deepEqual(await screenOf(one), [360, 640]);
  await context.close();
});
