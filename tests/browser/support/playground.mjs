// Starts the playground (`pushwren-sim serve --port 0 [--site SITE]`) and a headless Chromium for the browser
// tests and the round-trip benchmark.
import { spawn } from "node:child_process";
import { existsSync, mkdirSync } from "node:fs";
import { createRequire } from "node:module";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

export const repoRoot = resolve(dirname(fileURLToPath(import.meta.url)), "../../..");
const simulator = process.env.PUSHWREN_SIM ?? join(repoRoot, "build/bin/pushwren-sim");
const screenshotDir = process.env.PUSHWREN_SCREENSHOT_DIR ?? join(repoRoot, "build/screenshots");
const chromiumPath = "/usr/bin/chromium";

// Chromium as root, headless, talking to nothing but 127.0.0.1.
const CHROMIUM_ARGS = [
  "--headless",
  "--no-sandbox",
  "--disable-gpu",
  "--disable-quic",
  "--no-first-run",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
];

// Gives up on a playground that never says where it serves, instead of hanging the suite: long
// enough for a sanitizer build on a busy machine, so only a playground that is failing meets it.
const STARTUP_LIMIT_MS = 60_000;

export async function startPlayground(extraArgs = []) {
  if (!existsSync(simulator)) {
    throw new Error(`${simulator} is missing: build first (cmake --build build), or set PUSHWREN_SIM`);
  }
  const child = spawn(simulator, ["serve", "--port", "0", ...extraArgs], { stdio: ["ignore", "pipe", "pipe"] });
  let stderr = "";
  child.stderr.on("data", (chunk) => (stderr += chunk));
  const exited = new Promise((done) => child.on("exit", (code, signal) => done({ code, signal })));

  const url = await new Promise((done, fail) => {
    let stdout = "";
    const timer = setTimeout(() => fail(new Error(`the playground did not start: ${stderr}`)), STARTUP_LIMIT_MS);
    child.stdout.on("data", (chunk) => {
      stdout += chunk;
      const found = /^Playground: (http:\/\/127\.0\.0\.1:\d+\/__pushwren\/)$/m.exec(stdout);
      if (found) {
        clearTimeout(timer);
        done(found[1]);
      }
    });
    exited.then(({ code }) => fail(new Error(`the playground exited with ${code}: ${stderr}`)));
  });

  return {
    url,
    origin: new URL(url).origin,
    pid: child.pid,
    get stderr() {
      return stderr;
    },
    // Waits until the playground's error output matches `pattern`: a line can reach it after what
    // the page saw, since a device's lines pass through the playground's pipes first. Checked on
    // each piece of output; the limit only ends a wait that is already failing.
    logged(pattern, limitMs = 60_000) {
      if (pattern.test(stderr)) return Promise.resolve();
      return new Promise((done, fail) => {
        const check = () => {
          if (!pattern.test(stderr)) return;
          finish();
          done();
        };
        const timer = setTimeout(() => {
          finish();
          fail(new Error(`the playground did not log ${pattern} within ${limitMs} ms:\n${stderr}`));
        }, limitMs);
        const finish = () => {
          clearTimeout(timer);
          child.stderr.off("data", check);
        };
        // After the listener that collects the output, so `stderr` holds the new piece.
        child.stderr.on("data", check);
      });
    },
    // Waits until exactly `count` devices are shown in a tab, as the playground lists them: a tab
    // that closes reaches the playground after the browser has let it go. What a later step does
    // follows the closing, since both go to the device by the same way.
    async untilShown(count) {
      const giveUpAt = Date.now() + 60_000;
      for (;;) {
        const { devices } = await (await fetch(new URL("devices", url))).json();
        const shown = devices.filter((device) => device.shown).length;
        if (shown === count) return;
        if (Date.now() > giveUpAt) throw new Error(`${shown} devices are shown, not ${count}: ${JSON.stringify(devices)}`);
        await new Promise((tick) => setTimeout(tick, 50));
      }
    },
    // Applies one scenario step to the live host, as the panel does.
    async step(step) {
      const response = await fetch(new URL("/__pushwren/steps", url), { method: "POST", body: JSON.stringify(step) });
      const answer = await response.json();
      if (!response.ok) throw new Error(`step ${JSON.stringify(step)} refused: ${answer.error}`);
      return answer.trace;
    },
    // Stops it as a person's Ctrl-C would. A stop that is not clean (a crash, a sanitizer's
    // report) fails the test that stops it.
    async stop(signal = "SIGTERM") {
      if (child.exitCode === null && child.signalCode === null) child.kill(signal);
      const exit = await exited;
      if (exit.code !== 0) throw new Error(`the playground exited with ${JSON.stringify(exit)}: ${stderr}`);
      return exit;
    },
  };
}

const STUCK_MS = 10 * 60 * 1000;

export async function launchChromium() {
  const require = createRequire(import.meta.url);
  let chromium;
  try {
    ({ chromium } = require("playwright-core"));
  } catch (e) {
    throw new Error("playwright-core is missing: run `npm ci` in the repository root (scripts/test.sh does)");
  }
  if (!existsSync(chromiumPath)) {
    throw new Error(`${chromiumPath} is missing: run PUSHWREN_SETUP_EXTRAS=browser bash scripts/setup.sh`);
  }
  const browser = await chromium.launch({ executablePath: chromiumPath, args: CHROMIUM_ARGS });
  // Every wait ends when what it waits for happens; Playwright's own 30 s limit could be reached
  // by a loaded machine running a sanitized playground, so each new context (browser.newPage
  // makes one too) gets a limit that only ends a test already stuck.
  const newContext = browser.newContext.bind(browser);
  browser.newContext = async (options) => {
    const context = await newContext(options);
    context.setDefaultTimeout(STUCK_MS);
    context.setDefaultNavigationTimeout(STUCK_MS);
    return context;
  };
  return browser;
}

// Opens the playground in a new tab and waits until the site's page has loaded in the web view
// (by default the demo page: until its info is shown).
export async function openPlayground(browser, playground, { ready = "#info dt" } = {}) {
  const context = await browser.newContext({ viewport: { width: 1400, height: 900 } });
  const page = await context.newPage();
  await page.goto(playground.url);
  const demo = page.frameLocator("#web-view");
  if (ready) await demo.locator(ready).first().waitFor();
  const webView = () => page.mainFrame().childFrames()[0];
  return { context, page, demo, site: demo, demoFrame: webView, webView };
}

// From the demo page: opens the subscriptions screen, turns Football on, waits for the tag it
// sets, and closes the screen, as a person does.
export async function subscribeToFootball(page, demo) {
  await demo.locator("#show-topics").click();
  const screen = page.locator(".native-screen");
  await screen.locator(".ui-table-row").first().waitFor();
  await screen.locator(".ui-table-row", { hasText: "Football" }).locator(".ui-switch").click();
  await page.locator("#device-state .chip", { hasText: 'sport_football = "1"' }).waitFor();
  await screen.locator(".ui-button", { hasText: "Close" }).click();
  await screen.waitFor({ state: "detached" });
}

export async function screenshot(page, name) {
  mkdirSync(screenshotDir, { recursive: true });
  const path = join(screenshotDir, `${name}.png`);
  await page.screenshot({ path });
  return path;
}
