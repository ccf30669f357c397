// "Save session": the device's steps and trace as NAME.jsonl and NAME.trace, which replay with
// `pushwren-sim run NAME.jsonl --expect NAME.trace`.

import { device } from "./device.js";

const $ = (id) => document.getElementById(id);

// A name that is safe as a file name on any system.
export function sessionFileName(text) {
  const name = text.trim().replace(/[^A-Za-z0-9._-]+/g, "-").replace(/^[.-]+/, "");
  return name || "session";
}

function download(href, fileName) {
  const link = document.createElement("a");
  link.href = href;
  link.download = fileName;
  link.hidden = true;
  document.body.append(link);
  link.click();
  link.remove();
}

export function wireSessionSaving(panel) {
  $("session-form").addEventListener("submit", (event) => {
    event.preventDefault();
    const name = sessionFileName($("session-name").value);
    download(device.sessionPath("jsonl"), `${name}.jsonl`);
    download(device.sessionPath("trace"), `${name}.trace`);
    panel.notice(`Saved ${name}.jsonl and ${name}.trace: pushwren-sim run ${name}.jsonl --expect ${name}.trace`);
  });
}
