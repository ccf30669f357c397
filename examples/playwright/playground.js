// The playground as test fixtures: each test gets its own `pushwren-sim serve`, so devices never
// share state, and `phone`, the site loaded in the playground's web view.
import { spawn } from "node:child_process";
import { fileURLToPath } from "node:url";
import { test as base, expect } from "@playwright/test";

const simulator = process.env.PUSHWREN_SIM ?? "pushwren-sim";
// Your site: a folder of built files or your dev server's URL. Here, the demo site.
const site = process.env.PUSHWREN_SITE ?? fileURLToPath(new URL("../../sim/playground/web/demo", import.meta.url));

// Starts the playground on a free port and resolves with the address it prints.
async function startPlayground() {
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
  playground: async ({}, use) => {
    const { server, exited, url, output } = await startPlayground();
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

  // Opens the playground, which loads the site in its phone, and answers the site's frame. The
  // device starts with the tab, so steps are sent once the page is there.
  phone: async ({ page, playground }, use) => {
    await page.goto(playground.url);
    const site = page.frameLocator("#web-view");
    // The host calls the page's info function after each load: the page is listening from then on.
    await expect(site.locator("#info")).toContainText("OneSignal id");
    await use(site);
  },
});

export { expect };
