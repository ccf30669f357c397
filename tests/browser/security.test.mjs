// Only the playground's own page drives the host, and nothing a notification or the bridge
// carries can run script in the page.
import assert from "node:assert/strict";
import { createServer } from "node:http";
import { after, before, test } from "node:test";

import { launchChromium, openPlayground, screenshot, startPlayground } from "./support/playground.mjs";

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

// A page of another origin on this machine, which tries the playground's WebSocket.
async function startOtherSite() {
  const server = createServer((request, response) => {
    response.setHeader("Content-Type", "text/html");
    response.end("<!doctype html><title>Another site</title><h1>Another site</h1><p id=result>trying…</p>");
  });
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

const tryWebSocket = (url) =>
  new Promise((done) => {
    const socket = new WebSocket(url);
    socket.onopen = () => {
      socket.close();
      done("open");
    };
    socket.onerror = () => done("refused");
  });

test("a WebSocket from another origin is refused, and so is a step", async () => {
  const other = await startOtherSite();
  const context = await browser.newContext();
  try {
    const page = await context.newPage();
    await page.goto(other.url);
    const wsUrl = playground.url.replace("http:", "ws:");
    const outcome = await page.evaluate(tryWebSocket, `${wsUrl}ws`);
    assert.equal(outcome, "refused");
    await page.evaluate((text) => (document.getElementById("result").textContent = text), `WebSocket ${outcome}`);
    await screenshot(page, "cross-origin-websocket");

    const step = await fetch(new URL("/__pushwren/steps", playground.url), {
      method: "POST",
      headers: { Origin: other.url.slice(0, -1) },
      body: JSON.stringify({ do: "notificationClick", additionalData: { a: 1 } }),
    });
    assert.equal(step.status, 403);

    // The playground's own page gets through.
    const own = await openPlayground(browser, playground);
    assert.equal(await own.page.evaluate(tryWebSocket, `${wsUrl}ws`), "open");
    await own.context.close();
  } finally {
    await context.close();
    other.close();
  }
});

test("a javascript: URL from a notification is refused and shown", async () => {
  const { page, context } = await openPlayground(browser, playground);
  try {
    const dialogs = [];
    page.on("dialog", (dialog) => {
      dialogs.push(dialog.message());
      dialog.dismiss();
    });
    await playground.step({ do: "notificationClick", additionalData: { u: "javascript:alert(document.cookie)" } });
    await page.locator(".notice", { hasText: "Refused to navigate to javascript:alert(document.cookie)" }).waitFor();
    assert.equal(await page.locator("#address").inputValue(), "/");
    assert.deepEqual(dialogs, []);
    await playground.logged(/refused to navigate to javascript:alert\(document\.cookie\)/);
    await screenshot(page, "javascript-url-refused");
  } finally {
    await context.close();
  }
});

test("bridge data and callback names cannot run script in the page", async () => {
  const { page, context, demo, demoFrame } = await openPlayground(browser, playground);
  try {
    const dialogs = [];
    page.on("dialog", (dialog) => {
      dialogs.push(dialog.message());
      dialog.dismiss();
    });
    const markup = "</script><img src=x onerror=alert(1)>";
    assert.deepEqual(await demoFrame().evaluate((tag) => Pushwren.call("/tags/set", { tags: { [tag]: tag } }), markup), {
      success: true,
    });
    await demo.locator("#tags-get").click();
    await demo.locator("#tags li", { hasText: markup }).waitFor();
    await demoFrame().evaluate(() =>
      parent.PushwrenWebViewHost.load("pushwren://onesignal/tags/get", JSON.stringify({ callback: "alert(1)" })),
    );
    await page.locator(".notice", { hasText: 'Refused to call "alert(1)"' }).waitFor();
    assert.deepEqual(dialogs, []);
    await demo.locator("#tags").scrollIntoViewIfNeeded();
    await screenshot(page, "hostile-data");
  } finally {
    await context.close();
  }
});
