// A developer's own site for the browser tests, served by a server of its own on another port:
// pages that know nothing of the playground but use window.Pushwren, a JSON API with cookies,
// a redirect to its own absolute URL, and a WebSocket of its own.
import { createServer } from "node:http";

import { acceptEcho } from "./websocket_echo.mjs";

// Records the host's info calls, so a test can count them; the page's own script, from 'self'.
const APP_JS = `
window.infoCalls = [];
window.corvane_onesignal_info = (info) => window.infoCalls.push(info);
document.addEventListener("DOMContentLoaded", () => {
  document.body.dataset.client = typeof window.Pushwren;
});
`;

// The site's own subscriptions manifest.
export const TOPICS = JSON.stringify({ sections: [{ name: "Site news", items: [{ identifier: "site_news", name: "From the site" }] }] });

const page = (title, body) =>
  `<!doctype html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n<title>${title}</title>\n` +
  `<script src="/app.js"></script>\n</head>\n<body>\n<h1>${title}</h1>\n${body}\n</body>\n</html>\n`;

const PAGES = {
  "/": page("Fixture site", '<p><a id="story" href="/story.html?n=1">A story</a></p>' +
    '<p><a id="elsewhere" href="https://example.com/elsewhere">Elsewhere</a></p>'),
  "/story.html": page("A story", "<p id=story-text>The story.</p>"),
  // No <head> at all: the client goes before the first script.
  "/headless.html": '<p id="headless">No head here.</p>\n<script src="/app.js"></script>\n',
  // Loads the client itself: it must not get it twice.
  "/own-client.html": page("Own client", '<script src="/__pushwren/pushwren.js"></script>'),
};

export async function startFixtureSite({ port = 0 } = {}) {
  const requests = [];
  const server = createServer((request, response) => {
    requests.push({ method: request.method, url: request.url, headers: request.headers });
    const url = new URL(request.url, "http://fixture");
    // Only 'self' scripts, and no framing, as a careful site would have it.
    response.setHeader("Content-Security-Policy", "script-src 'self'; connect-src 'self'; frame-ancestors 'none'");
    response.setHeader("X-Frame-Options", "DENY");
    if (PAGES[url.pathname] !== undefined) {
      response.setHeader("Content-Type", "text/html; charset=utf-8");
      return response.end(PAGES[url.pathname]);
    }
    if (url.pathname === "/topics.json") {
      response.setHeader("Content-Type", "application/json");
      return response.end(TOPICS);
    }
    if (url.pathname === "/app.js") {
      response.setHeader("Content-Type", "text/javascript");
      return response.end(APP_JS);
    }
    if (url.pathname === "/api/echo") {
      let body = "";
      request.on("data", (chunk) => (body += chunk));
      request.on("end", () => {
        response.setHeader("Content-Type", "application/json");
        // The site names the host it knows itself by; the browser, at the playground's 127.0.0.1,
        // would refuse both cookies unless the proxy drops their Domain.
        response.setHeader("Set-Cookie", [
          `session=s${requests.length}; Domain=localhost; Path=/; HttpOnly`,
          "theme=dark; Path=/; domain=LOCALHOST; SameSite=Lax",
        ]);
        response.end(JSON.stringify({ method: request.method, body, cookie: request.headers.cookie ?? null,
          host: request.headers.host, acceptEncoding: request.headers["accept-encoding"] ?? null }));
      });
      return;
    }
    if (url.pathname === "/double-slash") {
      // The site's own address with a path that, cut loose from it, would name another host.
      response.writeHead(302, { Location: `http://127.0.0.1:${server.address().port}//evil.example/x` });
      return response.end();
    }
    if (url.pathname === "/go-to-story") {
      response.writeHead(302, { Location: `http://127.0.0.1:${server.address().port}/story.html?from=redirect` });
      return response.end();
    }
    response.writeHead(404, { "Content-Type": "text/plain" });
    response.end("no such page");
  });
  server.on("upgrade", (request, socket, head) => {
    if (request.url === "/live") acceptEcho(request, socket, head, { prefix: "site says: " });
    else socket.destroy();
  });
  await new Promise((done, fail) => {
    server.once("error", fail);
    server.listen(port, "127.0.0.1", done);
  });
  return {
    url: `http://127.0.0.1:${server.address().port}`,
    port: server.address().port,
    requests,
    close: () =>
      new Promise((done) => {
        server.closeAllConnections();
        server.close(done);
      }),
  };
}
