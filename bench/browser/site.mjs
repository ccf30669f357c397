// The developer's site through the playground, against the same site straight from its own
// server. Writes build/bench/site.json with two rows for bench/report.py:
//   site_load/p50     a site of 30 files (1 MB in all) loaded 20 times in the web view through
//                     the playground's proxy; floor: the same loads in a frame straight from the
//                     site's server, same run, same browser
//   proxy_memory/100 MB  the playground's resident memory growth while it passes a 100 MB
//                     response on; floor: the response's size (what holding it whole would cost)
// scripts/bench.sh runs it against a Release build; alone it uses PUSHWREN_SIM or
// build/bin/pushwren-sim.
import { readFileSync, mkdirSync, writeFileSync } from "node:fs";
import { createServer, get } from "node:http";
import { join } from "node:path";

import { launchChromium, repoRoot, startPlayground } from "../../tests/browser/support/playground.mjs";

const LOADS = 20;
const FILES = 30;
const SITE_BYTES = 1 << 20;
const BIG_BYTES = 100 << 20;

// index.html and 29 assets: stylesheets, scripts and images, about 35 KB each.
function makeSite() {
  const files = new Map();
  const each = Math.floor(SITE_BYTES / FILES);
  const links = [];
  for (let i = 1; i < FILES; i++) {
    const kind = ["css", "js", "svg"][i % 3];
    const name = `/asset-${i}.${kind}`;
    const filler = "x".repeat(each - 60);
    if (kind === "css") files.set(name, ["text/css", `.a${i}{color:red}/*${filler}*/`]), links.push(`<link rel="stylesheet" href="${name}">`);
    if (kind === "js") files.set(name, ["text/javascript", `window.a${i}=1;//${filler}`]), links.push(`<script src="${name}"></script>`);
    if (kind === "svg") {
      files.set(name, ["image/svg+xml", `<svg xmlns="http://www.w3.org/2000/svg" width="4" height="4"><!--${filler}--></svg>`]);
      links.push(`<img src="${name}" alt="">`);
    }
  }
  const body = "<p>" + "Lorem ipsum dolor sit amet. ".repeat(Math.floor((each - 200) / 28)) + "</p>";
  files.set("/", ["text/html; charset=utf-8", `<!doctype html><html><head><meta charset="utf-8"><title>Bench</title>${links.join("")}</head><body>${body}</body></html>`]);
  return files;
}

async function startSite(files) {
  const server = createServer((request, response) => {
    const path = new URL(request.url, "http://site").pathname;
    if (path === "/big") {
      // Written as fast as the reader takes it, never held whole.
      response.writeHead(200, { "Content-Type": "application/octet-stream", "Content-Length": BIG_BYTES });
      const piece = Buffer.alloc(256 * 1024, 7);
      let sent = 0;
      const more = () => {
        while (sent < BIG_BYTES) {
          sent += piece.length;
          if (!response.write(piece)) return response.once("drain", more);
        }
        response.end();
      };
      return more();
    }
    const file = files.get(path);
    if (!file) {
      response.writeHead(404);
      return response.end();
    }
    response.writeHead(200, { "Content-Type": file[0], "Cache-Control": "no-store" });
    response.end(file[1]);
  });
  await new Promise((done) => server.listen(0, "127.0.0.1", done));
  return { url: `http://127.0.0.1:${server.address().port}`, close: () => server.close() };
}

// In a page with a frame: each load from setting the address to the frame's load event.
async function timeLoads({ base, loads }) {
  const frame = document.querySelector("iframe");
  const times = [];
  for (let i = 0; i < loads; i++) {
    const loaded = new Promise((done) => frame.addEventListener("load", done, { once: true }));
    const before = performance.now();
    frame.src = `${base}/?load=${i}`;
    await loaded;
    times.push(performance.now() - before);
  }
  return times;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function memoryOf(pid) {
  const status = readFileSync(`/proc/${pid}/status`, "utf8");
  const kb = (name) => Number(new RegExp(`^${name}:\\s+(\\d+) kB`, "m").exec(status)[1]) * 1024;
  return { rss: kb("VmRSS"), peak: kb("VmHWM") };
}

function download(url) {
  return new Promise((done, fail) =>
    get(url, (response) => {
      let bytes = 0;
      response.on("data", (chunk) => (bytes += chunk.length));
      response.on("end", () => done(bytes));
      response.on("error", fail);
    }).on("error", fail),
  );
}

const site = await startSite(makeSite());
const playground = await startPlayground(["--site", site.url]);
const browser = await launchChromium();
try {
  // Warm both paths once, then alternate, so neither side gets the quieter moments.
  const direct = await browser.newPage();
  await direct.setContent('<iframe style="width:390px;height:800px"></iframe>');
  const shell = await browser.newPage();
  await shell.goto(playground.url);
  await shell.frameLocator("#web-view").locator("p").first().waitFor();
  await direct.evaluate(timeLoads, { base: site.url, loads: 2 });
  await shell.evaluate(timeLoads, { base: "", loads: 2 });
  const straight = [];
  const proxied = [];
  for (let i = 0; i < LOADS; i++) {
    straight.push(...(await direct.evaluate(timeLoads, { base: site.url, loads: 1 })));
    proxied.push(...(await shell.evaluate(timeLoads, { base: "", loads: 1 })));
  }

  await download(`${playground.origin}/big`).then(() => undefined);
  const before = memoryOf(playground.pid);
  const received = await download(`${playground.origin}/big`);
  const after = memoryOf(playground.pid);
  if (received !== BIG_BYTES) throw new Error(`the 100 MB response arrived with ${received} bytes`);
  const growth = Math.max(0, after.peak - before.rss);

  const rows = [
    { name: "site_load/p50", value: median(proxied), unit: "ms", floor: median(straight), ratio: median(proxied) / median(straight) },
    { name: "proxy_memory/100 MB", value: growth, unit: "bytes", floor: BIG_BYTES, ratio: growth / BIG_BYTES },
  ];
  const out = join(repoRoot, "build/bench/site.json");
  mkdirSync(join(repoRoot, "build/bench"), { recursive: true });
  writeFileSync(out, JSON.stringify({ rows, loads: { proxied, straight } }, null, 2) + "\n");
  console.log(`site load p50: ${median(proxied).toFixed(1)} ms through the playground, ${median(straight).toFixed(1)} ms straight`);
  console.log(`proxy memory growth over 100 MB: ${(growth / 1048576).toFixed(2)} MB`);
  console.log(`written to ${out}`);
} finally {
  await browser.close();
  await playground.stop();
  site.close();
}
