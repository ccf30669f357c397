// The bridge's round trip, page -> native -> page, measured from the browser, beside a bare
// WebSocket echo (the transport's floor) that this harness serves itself on another port of
// the same machine: the product host has no echo. Writes build/bench/round_trip.json:
//   { "calls": 1000, "bridge": { "p50", "p99", "mean", "callsPerSecond" }, "echo": { ... },
//     "bridgeWithLiveTrace": { ... } }
// with times in milliseconds. The device panel's live trace draws in the page's own thread, so
// "bridge" is measured with it hidden, and "bridgeWithLiveTrace" with it showing, as a person
// sees it. scripts/bench.sh runs it against a Release build; `node bench/browser/round_trip.mjs`
// alone runs it against PUSHWREN_SIM or build/bin/pushwren-sim.
import { mkdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";

import { startEcho, summary, timeEcho } from "./echo_floor.mjs";
import { launchChromium, openPlayground, repoRoot, startPlayground } from "../../tests/browser/support/playground.mjs";

const CALLS = 1000;
const WARM_UP = 100;

// In the page: one call at a time, each timed from the call to its answer.
async function timeBridge({ calls, warmUp }) {
  for (let i = 0; i < warmUp; i++) await Pushwren.call("/tags/get");
  const times = [];
  const started = performance.now();
  for (let i = 0; i < calls; i++) {
    const before = performance.now();
    const answer = await Pushwren.call("/tags/get");
    times.push(performance.now() - before);
    if (!answer || answer.success !== true) throw new Error("unexpected answer " + JSON.stringify(answer));
  }
  return { times, total: performance.now() - started };
}

const echoServer = await startEcho();
const playground = await startPlayground();
const browser = await launchChromium();
try {
  const { demoFrame, page: shell } = await openPlayground(browser, playground);
  const page = demoFrame();
  const setTraceShown = (shown) =>
    shell.evaluate((display) => (document.querySelector(".state").style.display = display), shown ? "" : "none");
  const run = { calls: CALLS, warmUp: WARM_UP };

  await setTraceShown(false);
  const echo = summary(await page.evaluate(timeEcho, { ...run, echoUrl: echoServer.url }));
  const bridge = summary(await page.evaluate(timeBridge, run));
  await setTraceShown(true);
  const bridgeWithLiveTrace = summary(await page.evaluate(timeBridge, run));
  const result = {
    calls: CALLS,
    bridge,
    echo,
    bridgeWithLiveTrace,
    simulator: process.env.PUSHWREN_SIM ?? "build/bin/pushwren-sim",
  };

  const out = join(repoRoot, "build/bench/round_trip.json");
  mkdirSync(join(repoRoot, "build/bench"), { recursive: true });
  writeFileSync(out, JSON.stringify(result, null, 2) + "\n");
  console.log(`| ${CALLS} calls | p50 ms | p99 ms | calls/s |`);
  console.log("|---|---:|---:|---:|");
  for (const [name, stats] of [
    ["bridge round trip", bridge],
    ["WebSocket echo (floor)", echo],
    ["bridge round trip, live trace showing", bridgeWithLiveTrace],
  ]) {
    console.log(`| ${name} | ${stats.p50} | ${stats.p99} | ${stats.callsPerSecond} |`);
  }
  console.log(`written to ${out}`);
} finally {
  await browser.close();
  await playground.stop();
  echoServer.close();
}
