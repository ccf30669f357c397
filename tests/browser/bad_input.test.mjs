// Bad input over the playground's WebSocket, from its own page: each message gets a notice or
// its socket closes, and the server goes on serving every other tab.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";

import { launchChromium, screenshot, startPlayground } from "./support/playground.mjs";

let browser;
let playground;
let page;
before(async () => {
  browser = await launchChromium();
  playground = await startPlayground();
  page = await browser.newPage();
  await page.goto(playground.url);
});
after(async () => {
  await browser?.close();
  await playground?.stop();  // fails the run on a crash or a sanitizer's report
});

// In the page: a raw tab socket that collects what the host sends it.
function openTab() {
  return page.evaluate(async () => {
    const socket = new WebSocket(`ws://${location.host}/__pushwren/ws`);
    const tab = { socket, closed: null };
    // Registered before any waiter's, so a waiter told of the close reads its code.
    socket.addEventListener("close", (event) => (tab.closed = { code: event.code }));
    await new Promise((open, fail) => {
      socket.onopen = open;
      socket.onerror = () => fail(new Error("the tab's WebSocket was refused"));
    });
    window.rawTabs = window.rawTabs ?? [];
    window.rawTabs.push(tab);
    return window.rawTabs.length - 1;
  });
}

// Sends `text` on tab `index` and waits until a message of `type` comes back (or the socket
// closes); resolves with that message, or { closed } when the socket closed first. The first
// message of a tab may wait for its device process to start, so only a tab that is already
// failing meets the deadline.
function sendAndAwait(index, text, type) {
  return page.evaluate(
    ({ index, text, type }) =>
      new Promise((done) => {
        const tab = window.rawTabs[index];
        const settle = (outcome) => {
          clearTimeout(timer);
          tab.socket.removeEventListener("message", onMessage);
          tab.socket.removeEventListener("close", onClose);
          done(outcome);
        };
        const onMessage = (event) => {
          const message = JSON.parse(event.data);
          if (message.type === type) settle(message);
        };
        const onClose = () => settle({ closed: tab.closed });
        const timer = setTimeout(() => settle({ timedOut: true }), 60_000);
        tab.socket.addEventListener("message", onMessage);
        tab.socket.addEventListener("close", onClose);
        if (tab.closed) return settle({ closed: tab.closed });
        tab.socket.send(text);
      }),
    { index, text, type },
  );
}

const bridge = (id, path, data = {}) =>
  JSON.stringify({ type: "bridge", id, url: `pushwren://onesignal${path}`, data });

// The playground still answers a plain call on a fresh tab.
async function stillServes() {
  const tab = await openTab();
  const answer = await sendAndAwait(tab, bridge(1, "/tags/get"), "return");
  assert.deepEqual(answer, { type: "return", id: 1, load: false });
}

test("unreadable messages get a notice saying what is wrong, and the tab goes on", async () => {
  const tab = await openTab();
  const cases = [
    ["not JSON", "{", /^Message ignored: not JSON: \S/],
    ["not an object", "[1, 2]", /^Message ignored: a message must be a JSON object$/],
    ["no type", JSON.stringify({ id: 1 }), /^Message ignored: a message needs a string "type"$/],
    ["an unknown type", JSON.stringify({ type: "launchMissiles" }), /^Message ignored: unknown message type "launchMissiles"$/],
    ["a bridge call without a URL", JSON.stringify({ type: "bridge", id: 3 }),
      /^Message ignored: a bridge message needs a string "url"$/],
  ];
  for (const [what, text, expected] of cases) {
    const notice = await sendAndAwait(tab, text, "notice");
    assert.match(notice.text ?? JSON.stringify(notice), expected, what);
  }
  const answer = await sendAndAwait(tab, bridge(9, "/tags/get"), "return");
  assert.deepEqual(answer, { type: "return", id: 9, load: false });
  await playground.logged(/message ignored: unknown message type "launchMissiles"/);
});

test("an oversized message closes only its own socket", async () => {
  const big = await openTab();
  const outcome = await sendAndAwait(big, bridge(1, "/tags/set", { tags: { big: "x".repeat(2 << 20) } }), "return");
  // 1009 (message too big), or 1006 when the browser was still sending as the server closed.
  assert.ok([1009, 1006].includes(outcome.closed?.code), JSON.stringify(outcome));
  await playground.logged(/playground: device \d+: a message over 1048576 bytes; its WebSocket is closed/);
  await stillServes();
});

test("a tab that goes away in the middle of a call leaves the others served", async () => {
  await page.evaluate(async () => {
    for (let i = 0; i < 20; i++) {
      const socket = new WebSocket(`ws://${location.host}/__pushwren/ws`);
      await new Promise((open) => (socket.onopen = open));
      socket.send(JSON.stringify({ type: "bridge", id: i, url: "pushwren://onesignal/showTagsUI", data: {} }));
      socket.send(JSON.stringify({ type: "bridge", id: i, url: "pushwren://onesignal/tags/get", data: { callback: "x" } }));
      socket.close();
    }
  });
  await stillServes();
});

// A tab left unanswered fails this test, rather than holding the whole suite to its limit.
test("many tabs at once: each gets its own answers or is told there is no device for it", async () => {
  // Only this page keeps a device shown: the tabs of the tests before let theirs go.
  await page.evaluate(() => (window.rawTabs ?? []).forEach((tab) => tab.socket.close()));
  await playground.untilShown(1);
  const outcomes = await page.evaluate(async () => {
    const tabs = 50;
    const one = (n) =>
      new Promise((done, fail) => {
        const socket = new WebSocket(`ws://${location.host}/__pushwren/ws`);
        window.manyTabs = [...(window.manyTabs ?? []), socket];
        socket.onerror = () => fail(new Error(`tab ${n} had an error`));
        socket.onopen = () => socket.send(JSON.stringify({ type: "bridge", id: n, url: "pushwren://onesignal/info", data: {} }));
        // A socket that ends without its answer settles too, so a fault fails the test with its
        // reason instead of leaving it waiting.
        socket.onclose = (event) => done({ closedUnanswered: event.code });
        socket.onmessage = (event) => {
          const message = JSON.parse(event.data);
          if (message.type === "app" && message.state === "refused") return done({ refused: message.why });
          if (message.type === "app" && message.state === "crashed") return done({ crashed: message.why });
          if (message.type !== "return") return;
          // Kept open until every tab has its outcome, so no device is freed for a later tab.
          done({ answered: message.id });
        };
      });
    const all = await Promise.all(Array.from({ length: tabs }, (_, n) => one(n)));
    window.manyTabs.forEach((socket) => socket.close());
    return all;
  });
  // Each device is a process; the playground runs 16 at once, one of them this page's.
  const answered = outcomes.filter((outcome) => "answered" in outcome);
  assert.equal(answered.length, 15, `tabs answered: ${JSON.stringify(outcomes)}`);
  outcomes.forEach((outcome, n) => {
    if ("answered" in outcome) assert.equal(outcome.answered, n);
    else {
      assert.deepEqual(outcome, {
        refused: "The playground runs 16 devices, each shown in a tab; close a tab to open another.",
      }, `tab ${n}`);
    }
  });
  await stillServes();
  await screenshot(page, "bad-input-still-serving");
});
