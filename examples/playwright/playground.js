// The playground as test fixtures for any site: each test gets its own `pushwren-sim serve`, so
// devices never share state; `phone`, the site's frame once the page has had its first info from
// the host; and `device`, that frame with the device's steps, session and the page's console.
import { spawn } from "node:child_process";
import { fileURLToPath } from "node:url";
import { test as base, expect } from "@playwright/test";

const simulator = process.env.PUSHWREN_SIM ?? "pushwren-sim";
// Your site: a folder of built files or your dev server's URL: PUSHWREN_SITE, or a spec's
// `test.use({ site })`. By default, the playground's demo site.
const defaultSite = process.env.PUSHWREN_SITE ?? fileURLToPath(new URL("../../sim/playground/web/demo", import.meta.url));

// Starts the playground on a free port and resolves with the address it prints.
async function startPlayground(site) {
  const server = spawn(simulator, ["serve", "--port", "0", "--site", site], { stdio: ["ignore", "pipe", "pipe"] });
  let output = "";
  server.stderr.on("data", (chunk) => (output += chunk));
  const exited = new Promise((done) => server.on("close", (code, signal) => done({ code, signal })));
  const url = await new Promise((done, fail) => {
    server.on("error", (e) => fail(new Error(`${simulator} did not start: ${e.message} (set PUSHWREN_SIM)`)));
    server.stdout.on("data", (chunk) => {
      output += chunk;
      const printed = /^Playground: (\S+)$/m.exec(output);
      if (printed) done(printed[1]);
    });
    exited.then(({ code }) => fail(new Error(`the playground exited with ${code}:\n${output}`)));
  });
  return { server, exited, url, output: () => output };
}

export const test = base.extend({
  site: [defaultSite, { option: true }],

  playground: async ({ site }, use) => {
    const { server, exited, url, output } = await startPlayground(site);
    await use({
      url,
      // Sends one step or an array of them to the device; answers the trace lines they made.
      async steps(steps) {
        const response = await fetch(new URL("steps", url), { method: "POST", body: JSON.stringify(steps) });
        const answer = await response.json();
        if (!response.ok) throw new Error(`${JSON.stringify(steps)} refused: ${answer.error}`);
        return answer.trace;
      },
      // The device's session so far: "session.jsonl" (its steps) or "session.trace".
      async session(file) {
        const response = await fetch(new URL(`devices/1/${file}`, url));
        if (!response.ok) throw new Error(`${file}: ${response.status} ${await response.text()}`);
        return response.text();
      },
    });
    server.kill("SIGTERM");
    const { code } = await exited;
    if (code !== 0) throw new Error(`the playground did not stop cleanly (${code}):\n${output()}`);
  },

  // Opens the playground, which loads the site in its phone, and answers the site's frame once the
  // host has given the page its first info: the page's listeners are in place from then on. It
  // knows nothing of the page itself, so any site works. The device starts with the tab, so steps
  // are sent once the page is there.
  phone: async ({ page, playground }, use) => {
    await page.goto(playground.url);
    await expect(page.locator("body[data-page-info]")).toBeAttached();
    await use(page.frameLocator("#web-view"));
  },

  // The loaded site's frame with what a test of it needs: the device's steps and session, and the
  // page's console as the panel shows it ([{level, text, page}], oldest first).
  device: async ({ page, phone, playground }, use) => {
    await use({
      frame: phone,
      steps: playground.steps,
      session: playground.session,
      console: () =>
        page.locator("#page-console .console-entry").evaluateAll((entries) =>
          entries.map((entry) => ({
            level: entry.dataset.level,
            text: entry.querySelector(".console-text").textContent,
            page: entry.querySelector(".console-page")?.textContent ?? "",
          }))),
    });
  },
});

export { expect };
