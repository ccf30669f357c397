// The transport's floor for the browser benchmarks: a bare WebSocket echo on another port of
// this machine (the product host has no echo), timed from a page one message at a time, and the
// summary both sides are reported with.
import { createServer } from "node:http";

import { acceptEcho } from "../../tests/browser/support/websocket_echo.mjs";

export async function startEcho() {
  const server = createServer((request, response) => response.end());
  server.on("upgrade", (request, socket, head) => acceptEcho(request, socket, head));
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  return { url: `ws://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

// In a page: a message of a bridge request's size to the echo and back, one at a time.
export async function timeEcho({ calls, warmUp, echoUrl }) {
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

export function summary({ times, total }) {
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
