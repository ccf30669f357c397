// The developer's own site in the web view: served by its own server behind the playground's
// proxy, or from a folder. The site's pages know nothing of the playground; the host adds the
// page client to each.
import assert from "node:assert/strict";
import { cpSync, mkdtempSync, rmSync, symlinkSync, writeFileSync } from "node:fs";
import { execFile } from "node:child_process";
import { request as httpRequest } from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, before, describe, test } from "node:test";
import { promisify } from "node:util";

import { TOPICS, startFixtureSite } from "./support/fixture_site.mjs";
import { launchChromium, openPlayground, screenshot, startPlayground } from "./support/playground.mjs";

let browser;
before(async () => (browser = await launchChromium()));
after(async () => browser?.close());

const CLIENT = 'script[src="/__pushwren/pushwren.js"]';

// Waits in the web view's page until the host has called its info function `count` times.
const infoCalled = (frame, count = 1) => frame.waitForFunction((n) => window.infoCalls?.length >= n, count);

// A raw request, exactly as written: browsers and fetch tidy paths up before sending them.
function rawGet(origin, target, headers = {}) {
  const { hostname, port } = new URL(origin);
  return new Promise((done, fail) => {
    const sent = httpRequest({ host: hostname, port, path: target, headers, method: "GET" }, (response) => {
      let body = "";
      response.on("data", (chunk) => (body += chunk));
      response.on("end", () => done({ status: response.statusCode, headers: response.headers, body }));
    });
    sent.on("error", fail);
    sent.end();
  });
}

describe("a site served by its own server", () => {
  let site;
  let playground;
  let opened;
  before(async () => {
    site = await startFixtureSite();
    playground = await startPlayground(["--site", site.url]);
    opened = await openPlayground(browser, playground, { ready: "h1" });
  });
  after(async () => {
    await opened?.context.close();
    await playground?.stop();
    await site?.close();
  });

  test("an unmodified page gets the client once, its info function is called, and its calls answer", async () => {
    const frame = opened.webView();
    await infoCalled(frame);
    assert.equal(await frame.locator(CLIENT).count(), 1);
    assert.equal(await frame.evaluate(() => document.body.dataset.client), "object");
    assert.deepEqual(await frame.evaluate(() => Pushwren.call("/tags/set", { tags: { plan: "pro" } })), { success: true });
    assert.deepEqual(await frame.evaluate(() => Pushwren.call("/tags/get")), { success: true, tags: { plan: "pro" } });
    assert.equal(await opened.page.locator("#address").inputValue(), `${site.url}/`);
    const served = site.requests.find((request) => request.url === "/");
    assert.equal(served.headers["accept-encoding"], "identity");
    assert.equal(served.headers.host, new URL(site.url).host);
    await screenshot(opened.page, "own-site");
  });

  test("the trace shows each bridge call with its path and data, and flags an unknown path", async () => {
    const frame = opened.webView();
    await frame.evaluate(() => Pushwren.call("/tags/sett", { tags: { a: "1" } }));
    const unknown = opened.page.locator(".step-source", { hasText: "/tags/sett" });
    await unknown.waitFor();
    assert.match(await unknown.textContent(), /tab-1 ·\/tags/);
    assert.match(await unknown.locator(".step-data").textContent(), /"tags":\{"a":"1"\}/);
    assert.equal(await unknown.locator(".step-flag").textContent(), "unknown command");

    await frame.evaluate(() => Pushwren.call("/badge/set", { count: "three" }));
    const badge = opened.page.locator(".trace-step", { hasText: '"count":"three"' });
    await badge.waitFor();
    assert.equal(await badge.locator(".step-flag").count(), 0);
    assert.ok((await badge.locator(".trace-line").count()) >= 1, "the call's effects are listed under it");

    await playground.step({ do: "config", set: { oneSignalV5Enabled: false } });
    await frame.evaluate(() => Pushwren.call("/register"));
    await opened.page
      .locator(".trace-step", { hasText: "/register" })
      .locator(".step-flag", { hasText: "plugin switched off: ignored" })
      .waitFor();
    await playground.step({ do: "config", set: { oneSignalV5Enabled: true } });
    await opened.page.locator(".step-source", { hasText: "script ·config" }).first().waitFor();
    await screenshot(opened.page, "own-site-trace");
  });

  test("a tap naming a page of the site opens it, and the bridge works there", async () => {
    await playground.step({ do: "notificationClick", additionalData: { u: "/story.html?n=2" } });
    await opened.site.locator("#story-text").waitFor();
    const frame = opened.webView();
    assert.match(frame.url(), /\/story\.html\?n=2$/);
    await infoCalled(frame);
    assert.deepEqual(await frame.evaluate(() => Pushwren.call("/tags/get")), { success: true, tags: { plan: "pro" } });
    assert.equal(await opened.page.locator("#address").inputValue(), `${site.url}/story.html?n=2`);
  });

  test("the site's own fetch, cookies, redirects and WebSocket work through the proxy", async () => {
    await opened.page.locator("#address").fill("/");
    await opened.page.locator("#address").press("Enter");
    await opened.site.locator("#story").waitFor();
    const frame = opened.webView();
    const results = await frame.evaluate(async () => {
      const post = async () => (await fetch("/api/echo", { method: "POST", body: "hello" })).json();
      const first = await post();
      const second = await post();
      // Over the playground's own 1 MiB limit: the site's bodies pass through in pieces.
      const upload = await (await fetch("/api/echo", { method: "POST", body: "y".repeat(3 << 20) })).json();
      const redirected = await fetch("/go-to-story");
      const live = await new Promise((done, fail) => {
        const socket = new WebSocket(`ws://${location.host}/live`);
        socket.onopen = () => socket.send("ping");
        socket.onmessage = (event) => {
          socket.close();
          done(event.data);
        };
        socket.onerror = () => fail(new Error("the site's WebSocket failed"));
      });
      return { first, second, uploaded: upload.body.length, redirectedTo: redirected.url, redirectedOk: redirected.ok, live };
    });
    assert.equal(results.first.method, "POST");
    assert.equal(results.first.body, "hello");
    assert.equal(results.first.acceptEncoding, "identity");
    assert.equal(results.uploaded, 3 << 20);
    const cookies = (results.second.cookie ?? "").split("; ").sort();
    assert.equal(cookies.length, 2, `both cookies set by the site come back: ${results.second.cookie}`);
    assert.match(cookies[0], /^session=s\d+$/);
    assert.equal(cookies[1], "theme=dark");
    assert.equal(new URL(results.redirectedTo).origin, new URL(playground.url).origin, "the redirect stays on the playground");
    assert.ok(results.redirectedOk);
    assert.equal(results.live, "site says: ping");
  });

  test("a link or a tap to another site shows a notice, not a broken frame", async () => {
    await playground.step({ do: "notificationClick", additionalData: { u: "https://example.com/offer" } });
    const outside = opened.page.locator("#outside");
    await outside.waitFor();
    assert.equal(await outside.locator("#outside-url").textContent(), "https://example.com/offer");
    await screenshot(opened.page, "own-site-outside");
    await opened.page.locator("#outside-back").click();
    await outside.waitFor({ state: "hidden" });

    await opened.site.locator("#elsewhere").click();
    await outside.waitFor();
    assert.equal(await outside.locator("#outside-url").textContent(), "https://example.com/elsewhere");
    await opened.page.locator("#outside-back").click();
  });

  test("back, forward and reload move the web view through its pages", async () => {
    await opened.page.locator("#address").fill(`${site.url}/story.html?n=3`);
    await opened.page.locator("#address").press("Enter");
    await opened.site.locator("#story-text").waitFor();
    await opened.page.locator("#back").click();
    await opened.site.locator("#story").waitFor();
    await opened.page.locator("#forward").click();
    await opened.site.locator("#story-text").waitFor();
    assert.equal(await opened.page.locator("#address").inputValue(), `${site.url}/story.html?n=3`);
    await opened.page.locator("#reload").click();
    await infoCalled(opened.webView());
  });

  test("pages without a head, or with the client already, get it exactly once", async () => {
    for (const path of ["/headless.html", "/own-client.html"]) {
      await opened.page.locator("#address").fill(path);
      await opened.page.locator("#address").press("Enter");
      await opened.site.locator("h1, #headless").first().waitFor();
      const frame = opened.webView();
      assert.equal(await frame.locator(CLIENT).count(), 1, path);
      assert.deepEqual(await frame.evaluate(() => Pushwren.call("/tags/get")), { success: true, tags: { plan: "pro" } });
    }
  });

  test("a manifest from the site is recorded as it was served, and the session replays", async () => {
    await playground.step({ do: "config", set: { oneSignalV5TagsJsonUrl: `${playground.origin}/topics.json` } });
    await opened.webView().evaluate(() => Pushwren.call("/showTagsUI"));
    const screen = opened.page.locator(".native-screen");
    await screen.locator(".ui-table-row", { hasText: "From the site" }).waitFor();
    await screen.locator(".ui-button", { hasText: "Close" }).click();
    await screen.waitFor({ state: "detached" });

    const session = async (file) => (await fetch(new URL(`devices/1/session.${file}`, playground.url))).text();
    const steps = await session("jsonl");
    const served = steps
      .split("\n")
      .filter((line) => line.startsWith("{"))
      .map((line) => JSON.parse(line))
      .filter((step) => step.do === "serve" && step.path === "/topics.json");
    assert.equal(served.length, 1);
    assert.equal(served[0].body, TOPICS);
    const dir = mkdtempSync(join(tmpdir(), "pushwren-site-session-"));
    writeFileSync(join(dir, "s.jsonl"), steps);
    writeFileSync(join(dir, "s.trace"), await session("trace"));
    const simulator = process.env.PUSHWREN_SIM ?? new URL("../../build/bin/pushwren-sim", import.meta.url).pathname;
    await promisify(execFile)(simulator, ["run", join(dir, "s.jsonl"), "--expect", join(dir, "s.trace")]);
    rmSync(dir, { recursive: true });
  });

  test("requests for other hosts or absolute URLs are refused", async () => {
    assert.equal((await rawGet(playground.origin, "/", { Host: "example.com" })).status, 421);
    assert.equal((await rawGet(playground.origin, "http://example.com/")).status, 400);
  });

  test("a redirect to the site's own path //evil.example stays on the playground", async () => {
    const redirect = await rawGet(playground.origin, "/double-slash");
    assert.equal(redirect.status, 302);
    assert.equal(redirect.headers.location, "/.//evil.example/x");
    assert.equal(new URL(redirect.headers.location, playground.origin).origin, playground.origin);
  });
});

test("a site whose server goes down gets the error page, and works again once it is back", async () => {
  let site = await startFixtureSite();
  const playground = await startPlayground(["--site", site.url]);
  const port = site.port;
  try {
    const { page, site: view, webView, context } = await openPlayground(browser, playground, { ready: "h1" });
    await site.close();
    await page.locator("#reload").click();
    const error = view.locator("#pushwren-error");
    await error.waitFor();
    assert.equal(await error.textContent(), `The site at ${site.url} cannot be reached`);
    assert.match(await view.locator("p").textContent(), /Connection refused/);
    assert.match(await page.locator("#connection").textContent(), /^device \d+ running$/, "the device stays up");
    await screenshot(page, "own-site-down");

    site = await startFixtureSite({ port });
    await page.locator("#reload").click();
    await view.locator("#story").waitFor();
    await infoCalled(webView());
    await context.close();
  } finally {
    await playground.stop();
    await site.close();
  }
});

test("a folder site is served with its content types, its index pages and nothing outside it", async () => {
  // A copy of the folder fixture with a link that leaves it, beside a file it must not reach.
  const scratch = mkdtempSync(join(tmpdir(), "pushwren-folder-site-"));
  const folder = join(scratch, "site");
  cpSync(new URL("./support/folder-site", import.meta.url).pathname, folder, { recursive: true });
  writeFileSync(join(scratch, "secret.txt"), "the secret content");
  symlinkSync(join(scratch, "secret.txt"), join(folder, "leak.txt"));
  const playground = await startPlayground(["--site", folder]);
  try {
    const { page, site: view, webView, context } = await openPlayground(browser, playground, { ready: "h1" });
    await infoCalled(webView());
    assert.deepEqual(await webView().evaluate(() => Pushwren.call("/tags/set", { tags: { f: "1" } })), { success: true });
    await view.locator("#sub").click();
    await view.locator("#sub-title").waitFor();
    await infoCalled(webView());
    assert.equal(await page.locator("#address").inputValue(), "/sub/");
    await screenshot(page, "folder-site");
    await context.close();

    const origin = playground.origin;
    const js = await rawGet(origin, "/app.js");
    assert.equal(js.status, 200);
    assert.match(js.headers["content-type"], /^text\/javascript/);
    const sub = await rawGet(origin, "/sub");
    assert.equal(sub.status, 301);
    assert.equal(sub.headers.location, "/sub/");
    for (const target of ["/missing.html", "/../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/sub/..%2f..%2fapp.js",
                          "/leak.txt", "/..%2fsecret.txt"]) {
      const refused = await rawGet(origin, target);
      assert.equal(refused.status, 404, target);
      assert.doesNotMatch(refused.body, /the secret content|root:/, target);
    }
  } finally {
    await playground.stop();
    rmSync(scratch, { recursive: true, force: true });
  }
});

test("a site that is neither an http URL nor a folder stops serve with exit 2", async () => {
  for (const [site, says] of [
    ["http://", /the URL needs a host/],
    ["/no/such/folder", /neither an http URL nor a folder/],
    ["https://example.com", /only http URLs are proxied/],
  ]) {
    await assert.rejects(startPlayground(["--site", site]), (error) => {
      assert.match(error.message, /exited with 2/);
      assert.match(error.message, says);
      return true;
    });
  }
});
