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
import { createServer } from "node:http";
import { join } from "node:path";

import { acceptEcho } from "../../tests/browser/support/websocket_echo.mjs";

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

// In the same page: a message of a bridge request's size to the echo and back, one at a time.
async function timeEcho({ calls, warmUp, echoUrl }) {
  const socket = new WebSocket(echoUrl);
  await new Promise((open, fail) => {
    socket.onopen = open;
    socket.onerror = () => fail(new Error("the echo WebSocket was refused"));
  });
  const message = JSON.stringify({
    type: "bridge",
    id: 1,
    url: "pushwren://onesignal/tags/get",
    data: { callback: "Pushwren._answers.a1" },
  });
  const echo = () =>
    new Promise((back) => {
      socket.onmessage = back;
      socket.send(message);
    });
  for (let i = 0; i < warmUp; i++) await echo();
  const times = [];
  const started = performance.now();
  for (let i = 0; i < calls; i++) {
    const before = performance.now();
    await echo();
    times.push(performance.now() - before);
  }
  const total = performance.now() - started;
  socket.close();
  return { times, total };
}

function summary({ times, total }) {
  const sorted = [...times].sort((a, b) => a - b);
  const at = (share) => sorted[Math.min(sorted.length - 1, Math.ceil(share * sorted.length) - 1)];
  const round = (ms) => Math.round(ms * 1000) / 1000;
  return {
    p50: round(at(0.5)),
    p99: round(at(0.99)),
    mean: round(times.reduce((sum, t) => sum + t, 0) / times.length),
    callsPerSecond: Math.round((times.length / total) * 1000),
  };
}

async function startEcho() {
  const server = createServer((request, response) => response.end());
  server.on("upgrade", (request, socket, head) => acceptEcho(request, socket, head));
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  return { url: `ws://127.0.0.1:${server.address().port}/`, close: () => server.close() };
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
