// The app relaunched in the playground, as a person waits for it in a real browser: from POSTing
// {"do": "relaunch"} to /__pushwren/steps until the new page's first info payload reaches the
// page's own listener, beside a bare WebSocket echo (the transport's floor). Writes
// build/bench/relaunch.json with a row for bench/report.py:
//   { "rows": [{ "name": "relaunch/p50", "value", "unit": "ms", "floor", "ratio" }],
//     "relaunch": { "p50", "p99", "mean" }, "echo": { ... }, "times": [...] }
// A relaunch runs through the whole chain: the device's new process, the tab told to reload, the
// web view loading the start page, its load reported as a navigation, and the new plugin's info
// call made in the page. The shell's panel stays as a person sees it, live trace included.
// scripts/bench.sh runs it against a Release build; alone it uses PUSHWREN_SIM or
// build/bin/pushwren-sim.
import { mkdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";

import { startEcho, summary, timeEcho } from "./echo_floor.mjs";
import { launchChromium, openPlayground, repoRoot, startPlayground } from "../../tests/browser/support/playground.mjs";

const RELAUNCHES = 50;
const WARM_UP = 3;
const ECHOES = 200;
// The new page's own calls after its load (the demo page names its in-app click handler) are
// left to finish before the next relaunch, so that each one starts from a quiet device.
const BETWEEN_MS = 150;
const INFO_LIMIT_MS = 10000;

// In every page of the web view, before its own scripts: the page's first info payload is
// reported to the shell with the time it arrived. Both documents read one clock: the time
// origin of each plus its own performance.now().
function reportFirstInfo() {
  if (window.parent === window || location.pathname.startsWith("/__pushwren/")) return;
  document.addEventListener("DOMContentLoaded", () => {
    if (!window.Pushwren) return;
    let seen = false;
    window.Pushwren.on("info", () => {
      const at = performance.timeOrigin + performance.now();
      if (seen) return;
      seen = true;
      window.parent.relaunchBench?.infoSeen(at);
    });
  });
}

// In the shell: one relaunch, timed from the POST to the new page's first info.
async function timeRelaunch({ limitMs }) {
  const seen = new Promise((resolve, reject) => {
    window.relaunchBench = { infoSeen: resolve };
    setTimeout(() => reject(new Error(`no info reached the new page within ${limitMs} ms`)), limitMs);
  });
  const before = performance.timeOrigin + performance.now();
  const response = await fetch("/__pushwren/steps", { method: "POST", body: JSON.stringify({ do: "relaunch" }) });
  if (!response.ok) throw new Error(`the relaunch was refused: ${response.status} ${await response.text()}`);
  const after = await seen;
  window.relaunchBench = null;
  return after - before;
}

const pause = (ms) => new Promise((done) => setTimeout(done, ms));

const echoServer = await startEcho();
const playground = await startPlayground();
const browser = await launchChromium();
try {
  const { page: shell, demoFrame } = await openPlayground(browser, playground);
  await shell.addInitScript(reportFirstInfo);
  const echo = summary(await demoFrame().evaluate(timeEcho, { calls: ECHOES, warmUp: 20, echoUrl: echoServer.url }));

  const times = [];
  const started = performance.now();
  for (let i = 0; i < WARM_UP + RELAUNCHES; i++) {
    const ms = await shell.evaluate(timeRelaunch, { limitMs: INFO_LIMIT_MS });
    if (i >= WARM_UP) times.push(ms);
    await pause(BETWEEN_MS);
  }
  const relaunch = summary({ times, total: performance.now() - started });
  delete relaunch.callsPerSecond;

  const rows = [
    { name: "relaunch/p50", value: relaunch.p50, unit: "ms", floor: echo.p50, ratio: relaunch.p50 / echo.p50 },
  ];
  const out = join(repoRoot, "build/bench/relaunch.json");
  mkdirSync(join(repoRoot, "build/bench"), { recursive: true });
  writeFileSync(out, JSON.stringify({ rows, relaunches: RELAUNCHES, relaunch, echo, times }, null, 2) + "\n");
  console.log(`| ${RELAUNCHES} relaunches | p50 ms | p99 ms | mean ms |`);
  console.log("|---|---:|---:|---:|");
  console.log(`| relaunch to the new page's first info | ${relaunch.p50} | ${relaunch.p99} | ${relaunch.mean} |`);
  console.log(`| WebSocket echo (floor), ${ECHOES} messages | ${echo.p50} | ${echo.p99} | ${echo.mean} |`);
  console.log(`written to ${out}`);
} finally {
  await browser.close();
  await playground.stop();
  echoServer.close();
}
