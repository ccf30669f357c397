// serve --site URL while the site's server is not up yet: serve starts, the phone says it waits
// for the site and loads it once the server answers.
import assert from "node:assert/strict";
import { createServer } from "node:net";
import { after, before, test } from "node:test";

import { startFixtureSite } from "./support/fixture_site.mjs";
import { launchChromium, openPlayground, screenshot, startPlayground } from "./support/playground.mjs";

let browser;
before(async () => {
  browser = await launchChromium();
});
after(async () => {
  await browser?.close();
});

// A port free now, for the site to take later.
async function freePort() {
  const server = createServer();
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  const { port } = server.address();
  await new Promise((done) => server.close(done));
  return port;
}

test("serve starts before the site's server, and the phone loads the site once it answers", async () => {
  const port = await freePort();
  const playground = await startPlayground(["--site", `http://127.0.0.1:${port}`]);
  let site;
  try {
    assert.match(playground.stderr, /does not answer yet .*the phone waits for it/);
    const { page, site: view, context } = await openPlayground(browser, playground, { ready: null });
    const waiting = page.locator("#site-waiting");
    await waiting.waitFor();
    assert.equal(await page.locator("#site-waiting-url").textContent(), `http://127.0.0.1:${port}`);
    await page.locator("#site-waiting-why", { hasText: /refused/i }).waitFor();
    await screenshot(page, "site-waiting");

    site = await startFixtureSite({ port });
    await view.locator("#story").waitFor();
    assert.equal(await waiting.isHidden(), true);
    await context.close();
  } finally {
    await playground.stop();
    await site?.close();
  }
});
