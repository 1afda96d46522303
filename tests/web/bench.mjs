// The web page's frame rate and times in headless Chromium, with the frame
// rate limit off: a benchmark, not a test. Run on a quiet machine:
//
//   node tests/web/bench.mjs --page build/web/page [SECONDS]
//
// For each renderer (Mesa's llvmpipe through ANGLE, and Chromium's
// SwiftShader) and each figure, in rounds that alternate: frames per second
// of the page at 640x480, timed after the question; the time from the
// navigation to the question and from the answer to the first frame.
import path from 'node:path';
import { chromium } from 'playwright-core';

import { serve } from './serve.mjs';

const args = process.argv.slice(2);
const pageDir = path.resolve(args[args.indexOf('--page') + 1]);
const seconds = Number(args.find((arg, i) => i > 0 && args[i - 1] !== '--page' && arg !== '--page') ?? 3);
const UNLIMITED = ['--disable-frame-rate-limit', '--disable-gpu-vsync'];
const RENDERERS = { llvmpipe: ['--use-angle=gles-egl', '--ignore-gpu-blocklist'], swiftshader: [] };
const FIGURES = ['B3+L7', 'L10', 'L12'];
const ROUNDS = 2;

async function measure(browser, base, query) {
  const page = await (await browser.newContext({ viewport: { width: 1024, height: 768 }, deviceScaleFactor: 1 })).newPage();
  await page.goto(`${base}/index.html?${query}`);
  await page.waitForSelector('#question[open]');
  const question = await page.evaluate(() => performance.now());
  await page.evaluate(() => {
    window.times = {};
    document.addEventListener('keydown', () => {
      window.times.answer = performance.now();
      const watch = () => {
        if (window.polytree.frame() !== null) window.times.first = performance.now();
        else setTimeout(watch, 0);
      };
      watch();
    }, { capture: true, once: true });
  });
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.times.first !== undefined);
  const times = await page.evaluate(() => window.times);
  await page.waitForTimeout(1000);
  const start = await page.evaluate(() => [window.polytree.frame(), performance.now()]);
  await page.waitForTimeout(seconds * 1000);
  const end = await page.evaluate(() => [window.polytree.frame(), performance.now()]);
  await page.context().close();
  return { fps: ((end[0] - start[0]) * 1000) / (end[1] - start[1]), question, first: times.first - times.answer };
}

const server = await serve(pageDir);
const base = `http://127.0.0.1:${server.address().port}`;
for (const [renderer, flags] of Object.entries(RENDERERS)) {
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: [...UNLIMITED, ...flags] });
  const results = Object.fromEntries(FIGURES.map((figure) => [figure, []]));
  for (let round = 0; round < ROUNDS; round += 1) {
    for (const figure of FIGURES) results[figure].push(await measure(browser, base, figure));
  }
  for (const figure of FIGURES) {
    const runs = results[figure];
    const mean = (key) => runs.reduce((sum, run) => sum + run[key], 0) / runs.length;
    console.log(`${renderer} ${figure.replace('+', ' ')} 640x480: ${mean('fps').toFixed(1)} fps` +
      ` (${runs.map((run) => run.fps.toFixed(1)).join(', ')}); navigation to question ${mean('question').toFixed(0)} ms,` +
      ` answer to first frame ${mean('first').toFixed(0)} ms`);
  }
  await browser.close();
}
server.close();
