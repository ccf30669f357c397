import { defineConfig } from "@playwright/test";

// Debian's Chromium rather than a browser build of Playwright's own; without the sandbox, so that
// it also runs as root in a CI container.
export default defineConfig({
  testDir: ".",
  use: {
    headless: true,
    launchOptions: {
      executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
      args: ["--no-sandbox"],
    },
  },
  forbidOnly: !!process.env.CI,
});
