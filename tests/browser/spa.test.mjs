// Single-page apps: the address bar follows the app's own routing, a reload of the playground's
// tab comes back to the device's route, a folder site answers a page navigation to a route with
// its index.html, and the proxied site's host counts as the site under any loopback spelling.
import assert from "node:assert/strict";
import { join } from "node:path";
import { after, before, test } from "node:test";

import { startFixtureSite } from "./support/fixture_site.mjs";
import { launchChromium, openPlayground, repoRoot, screenshot, startPlayground } from "./support/playground.mjs";

const spaSite = join(repoRoot, "tests/browser/support/spa-site");

let browser;
before(async () => {
  browser = await launchChromium();
});
after(async () => {
  await browser?.close();
});

test("the address bar follows pushState, replaceState, back, forward and hash moves; a reload keeps the route", async () => {
  const playground = await startPlayground(["--site", spaSite]);
  try {
    const { page, webView, site, context } = await openPlayground(browser, playground, { ready: "#route" });
    const address = page.locator("#address");
    const bar = async (expected) => {
      await page.waitForFunction((text) => document.getElementById("address").value === text, expected);
      assert.equal(await address.inputValue(), expected);
    };
    await bar("/");
    await webView().evaluate(() => window.go("/orders/12"));
    await bar("/orders/12");
    await webView().evaluate(() => history.replaceState({}, "", "/orders/13?tab=items"));
    await bar("/orders/13?tab=items");
    await page.locator("#back").click();
    await bar("/");
    await page.locator("#forward").click();
    await bar("/orders/13?tab=items");
    await webView().evaluate(() => {
      location.hash = "#lines";
    });
    await bar("/orders/13?tab=items#lines");
    await screenshot(page, "spa-route");

    await page.reload();
    await site.locator("#route", { hasText: "/orders/13?tab=items#lines" }).waitFor();
    await bar("/orders/13?tab=items#lines");
    await context.close();
  } finally {
    await playground.stop();
  }
});

test("a folder site answers a page navigation to a missing route with its index.html, and nothing else", async () => {
  const playground = await startPlayground(["--site", spaSite]);
  try {
    const get = async (path, accept) => {
      const response = await fetch(new URL(path, playground.origin), { headers: accept ? { Accept: accept } : {} });
      return { status: response.status, body: await response.text() };
    };
    const page = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
    for (const path of ["/orders/12", "/orders/12?tab=items", "/settings/"]) {
      const answer = await get(path, page);
      assert.equal(answer.status, 200, path);
      assert.match(answer.body, /<h1>Orders<\/h1>/, path);
      assert.match(answer.body, /\/__pushwren\/pushwren\.js/, `${path}: the client is added as to any page`);
    }
    for (const [path, accept] of [["/orders/12", "*/*"], ["/orders/12", undefined], ["/missing.js", page],
      ["/assets/logo.png", page], ["/.git/config", page], ["/..%2f..%2fetc/passwd", page]]) {
      assert.equal((await get(path, accept)).status, 404, `${path} with ${accept}`);
    }
  } finally {
    await playground.stop();
  }
});

test("the site's host spelt localhost, 127.0.0.1 or [::1] is the site", async () => {
  const site = await startFixtureSite();
  const playground = await startPlayground(["--site", site.url]);
  try {
    const { page, site: view, context } = await openPlayground(browser, playground, { ready: "h1" });
    for (const host of ["localhost", "[::1]", "127.0.0.1"]) {
      await page.locator("#address").fill(`http://${host}:${site.port}/story.html?via=${encodeURIComponent(host)}`);
      await page.locator("#address").press("Enter");
      await view.locator("#story-text").waitFor();
      assert.equal(await page.locator("#outside").isHidden(), true, host);
      assert.equal(await page.locator("#address").inputValue(), `${site.url.replace(/\/$/, "")}/story.html?via=${encodeURIComponent(host)}`);
      await page.locator("#home").click();
      await view.locator("#story").waitFor();
    }
    await context.close();
  } finally {
    await playground.stop();
    await site.close();
  }
});
