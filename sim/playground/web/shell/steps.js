import { device } from "./device.js";

// Scenario steps applied to the tab's device: POST /__pushwren/steps?device=ID answers with the trace lines the step
// produced, or with what is wrong with it.

export async function applyStep(step) {
  let response;
  try {
    response = await fetch(device.stepsPath(), {
      method: "POST",
      headers: { "Content-Type": "application/json" },
      body: JSON.stringify(step),
    });
  } catch (e) {
    throw new Error("The host cannot be reached: " + e.message);
  }
  const answer = await response.json().catch(() => ({}));
  if (!response.ok) throw new Error(answer.error || `The host answered ${response.status}`);
  return answer.trace;
}
