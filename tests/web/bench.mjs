// The web page's frame rate and times in headless Chromium, with the frame
// rate limit off: a benchmark, not a test. Run on a quiet machine:
//
//   node tests/web/bench.mjs --web build/web [SECONDS]
//
// For each renderer (Mesa's llvmpipe through ANGLE, and Chromium's
// SwiftShader) and each figure, in rounds that alternate the page and its
// floor (build/web/floor: the same canvas and loop uploading and drawing
// frames recorded beforehand): frames per second at 640x480, the page's
// timed after the question; the time from the navigation to the question
// and from the answer to the first frame.
import path from 'node:path';
import { chromium } from 'playwright-core';

import { serve } from './serve.mjs';

const args = process.argv.slice(2);
const webDir = path.resolve(args[args.indexOf('--web') + 1]);
const seconds = Number(args.find((arg, i) => arg !== '--web' && args[i - 1] !== '--web') ?? 3);
const UNLIMITED = ['--disable-frame-rate-limit', '--disable-gpu-vsync'];
const RENDERERS = { llvmpipe: ['--use-angle=gles-egl', '--ignore-gpu-blocklist'], swiftshader: [] };
const FIGURES = ['B3+L7', 'L10', 'L12'];
const ROUNDS = 2;

async function rate(page) {
  await page.waitForTimeout(1000);
  const start = await page.evaluate(() => [window.polytree.frame(), performance.now()]);
  await page.waitForTimeout(seconds * 1000);
  const end = await page.evaluate(() => [window.polytree.frame(), performance.now()]);
  return ((end[0] - start[0]) * 1000) / (end[1] - start[1]);
}

async function newPage(browser) {
  return (await browser.newContext({ viewport: { width: 1024, height: 768 }, deviceScaleFactor: 1 })).newPage();
}

async function measureFloor(browser, base, query) {
  const page = await newPage(browser);
  await page.goto(`${base}/floor/floor.html?${query}`);
  await page.waitForFunction(() => window.polytree !== undefined && window.polytree.frame() > 0, null, { timeout: 120000 });
  const fps = await rate(page);
  await page.context().close();
  return fps;
}

async function measure(browser, base, query) {
  const page = await newPage(browser);
  await page.goto(`${base}/page/index.html?${query}`);
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
  const fps = await rate(page);
  await page.context().close();
  return { fps, question, first: times.first - times.answer, floor: await measureFloor(browser, base, query) };
}

const server = await serve(webDir);
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
    console.log(`${renderer} ${figure.replace('+', ' ')} 640x480: page ${mean('fps').toFixed(1)} fps` +
      ` (${runs.map((run) => run.fps.toFixed(1)).join(', ')}), floor ${mean('floor').toFixed(1)} fps` +
      ` (${runs.map((run) => run.floor.toFixed(1)).join(', ')}), ${(mean('fps') / mean('floor')).toFixed(2)}x;` +
      ` navigation to question ${mean('question').toFixed(0)} ms, answer to first frame ${mean('first').toFixed(0)} ms`);
  }
  await browser.close();
}
server.close();
