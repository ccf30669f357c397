// The page client as a package: packed with npm, installed into an app of modules as a Vite app
// would install it, type-checked with tsc (a misuse fails), then run in the playground.
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, before, test } from "node:test";

import { launchChromium, openPlayground, repoRoot, startPlayground } from "./support/playground.mjs";

const tsc = join(repoRoot, "node_modules/typescript/bin/tsc");
const work = mkdtempSync(join(tmpdir(), "pushwren-page-app-"));
const app = join(work, "app");

let browser;
let playground;
before(async () => {
  cpSync(join(repoRoot, "tests/browser/support/page-app"), app, { recursive: true });
  const packed = execFileSync("npm", ["pack", "--silent", "--pack-destination", work, join(repoRoot, "clients/page")], {
    encoding: "utf8",
  }).trim();
  const manifest = JSON.parse(readFileSync(join(app, "package.json"), "utf8"));
  manifest.dependencies["@pushwren/page"] = `file:${join(work, packed.split("\n").pop())}`;
  writeFileSync(join(app, "package.json"), JSON.stringify(manifest, null, 2));
  execFileSync("npm", ["install", "--offline", "--no-audit", "--no-fund", "--silent"], { cwd: app });
});
after(async () => {
  await browser?.close();
  await playground?.stop();
  rmSync(work, { recursive: true, force: true });
});

function typeCheck(project) {
  return spawnSync(process.execPath, [tsc, "--noEmit", "-p", project], { cwd: app, encoding: "utf8" });
}

test("the package names its module and types, and an app that imports it type-checks", () => {
  const installed = JSON.parse(readFileSync(join(app, "node_modules/@pushwren/page/package.json"), "utf8"));
  assert.equal(installed.type, "module");
  assert.equal(installed.types, "./index.d.ts");
  assert.deepEqual(installed.exports["."], { types: "./index.d.ts", default: "./index.js" });
  const checked = typeCheck("tsconfig.json");
  assert.equal(checked.status, 0, checked.stdout + checked.stderr);
});

test("the types catch a misused client", () => {
  writeFileSync(join(app, "tsconfig.wrong.json"), JSON.stringify({ extends: "./tsconfig.json", compilerOptions: { rootDir: "." }, include: ["wrong_use.ts"] }));
  const checked = typeCheck("tsconfig.wrong.json");
  assert.notEqual(checked.status, 0);
  const errors = checked.stdout.split("\n").filter((line) => /wrong_use\.ts\(\d+,\d+\): error/.test(line));
  assert.deepEqual(errors.map((line) => Number(/\((\d+),/.exec(line)[1])), [4, 5, 6], checked.stdout);
});

test("the built app runs in the playground: one info per load, its calls answered, its console in the panel", async () => {
  execFileSync(process.execPath, [tsc, "-p", "tsconfig.json"], { cwd: app });
  playground = await startPlayground(["--site", app]);
  browser = await launchChromium();
  const { page, site, context } = await openPlayground(browser, playground, { ready: "h1" });
  await site.locator("#tags", { hasText: "{" }).waitFor();
  // The host calls both info names in one go: by the time the first is shown, the second has run.
  await site.locator("#infos", { hasText: "1" }).waitFor();
  assert.equal(await site.locator("#infos").textContent(), "1");
  await page.locator("#page-console .console-entry.info", { hasText: "info heard" }).waitFor();
  await context.close();
});
