// POST /__pushwren/steps reads steps as the scenario runner does: a misspelt field or a key given
// twice is refused before anything runs, and a step under a comment line is taken.
import assert from "node:assert/strict";
import { after, before, test } from "node:test";

import { startPlayground } from "./support/playground.mjs";

let playground;
before(async () => {
  playground = await startPlayground();
});
after(async () => {
  await playground?.stop();
});

async function post(body) {
  const response = await fetch(new URL("/__pushwren/steps", playground.url), { method: "POST", body });
  return { status: response.status, answer: await response.json() };
}

async function session() {
  return (await fetch(new URL("/__pushwren/devices/1/session.jsonl", playground.url))).text();
}

test("a step with a field it does not have, or a key given twice, is refused and changes nothing", async () => {
  const cases = [
    ['{"do": "notificationClick", "titel": "x"}',
      /^step "notificationClick" has no field "titel"; its fields are: additionalData, title, body$/],
    ['[{"do": "notificationWillDisplay"}, {"do": "launch", "option": {}}]', /^step 2: step "launch" has no field "option"/],
    ['{"do": "notificationWillDisplay", "do": "relaunch"}', /the key "do" is given twice/],
    ['# first\n{"do": "notificationWillDisplay"}\n{"do": "redraw", "row": 1}\n', /^line 3: .*has no field "row"; it takes none/],
  ];
  const before = await session();
  for (const [body, error] of cases) {
    const { status, answer } = await post(body);
    assert.equal(status, 400, body);
    assert.match(answer.error, error, body);
  }
  assert.equal(await session(), before, "no refused step reached the device");
});

test("a comment line and one step are taken as that step", async () => {
  const { status, answer } = await post('# why this step\n{"do": "notificationWillDisplay"}\n');
  assert.equal(status, 200, JSON.stringify(answer));
  assert.equal(answer.steps.length, 1);
  assert.match(await session(), /\{"do":"notificationWillDisplay"\}\n$/);
});
