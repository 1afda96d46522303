// The page test's main cases in Firefox, driven by puppeteer over WebDriver
// BiDi (Playwright drives only its own build of Firefox). Same command line
// as page_test.mjs; run under an X server (xvfb-run): without a display
// Firefox has no WebGL at all.
import puppeteer from 'puppeteer-core';

import { run } from './page_test.mjs';

const CASES = ['paused_frame_is_polytree_renders', 'quick_taps_act_once', 'view_links_open_their_frame'];

// The little of Playwright's API that those cases use, over puppeteer's.
function locator(page, selector) {
  const on = (fn, ...rest) => page.$eval(selector, fn, ...rest);
  return {
    isVisible: () => page.$(selector).then((element) => element !== null && element.evaluate((e) => {
      const box = e.getBoundingClientRect();
      return box.width > 0 && box.height > 0 && getComputedStyle(e).visibility !== 'hidden';
    })),
    textContent: () => on((e) => e.textContent),
    getAttribute: (name) => on((e, n) => e.getAttribute(n), name),
    click: () => page.click(selector),
    screenshot: async () => Buffer.from(await (await page.$(selector)).screenshot()),
  };
}

function adapt(page, context) {
  const keyboard = page.keyboard;
  return {
    goto: (url) => page.goto(url),
    reload: () => page.reload(),
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    addInitScript: (fn) => page.evaluateOnNewDocument(fn),
    on: (event, listener) => page.on(event, listener),
    locator: (selector) => locator(page, selector),
    mouse: page.mouse,
    // Playwright's "Shift+Equal": the modifiers held over the last key.
    keyboard: {
      press: async (combo) => {
        const keys = combo.split('+');
        // WebDriver sends keys by their value.
        const key = { Space: ' ' }[keys.at(-1)] ?? keys.at(-1);
        keys.pop();
        for (const modifier of keys) await keyboard.down(modifier);
        await keyboard.press(key);
        for (const modifier of keys.reverse()) await keyboard.up(modifier);
      },
      down: (key) => keyboard.down(key),
      up: (key) => keyboard.up(key),
    },
    context: () => context,
  };
}

async function newContext(browser, { viewport, deviceScaleFactor } = {}) {
  const own = await browser.createBrowserContext();
  const context = {
    // The clipboard is open to the page through the launch's preferences.
    grantPermissions: async () => {},
    newPage: async () => {
      const page = await own.newPage();
      await page.setViewport({ ...(viewport ?? { width: 1280, height: 800 }), deviceScaleFactor: deviceScaleFactor ?? 1 });
      return adapt(page, context);
    },
    close: () => own.close(),
  };
  return context;
}

async function launch() {
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: '/usr/bin/firefox-esr',
    headless: true,
    // The page reads back what Share wrote without a paste prompt.
    extraPrefsFirefox: { 'dom.events.testing.asyncClipboard': true },
  });
  return { newContext: (options) => newContext(browser, options), close: () => browser.close() };
}

await run(launch, CASES);
