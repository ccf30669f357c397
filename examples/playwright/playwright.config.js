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
  // Limits only a test that is already failing meets: a shared CI machine can be slow to start a
  // playground and its device, and an assertion waits for what it expects, never for a time.
  timeout: 120_000,
  expect: { timeout: 30_000 },
});
