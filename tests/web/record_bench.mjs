// The page's recorder against polytree-render's direct WebM of the same view,
// size and frames, whole jobs, alternating: a benchmark, not a test. Run on a
// quiet machine:
//
//   node tests/web/record_bench.mjs --web build/web --render build/release/polytree-render [ROUNDS]
//
// The page's job runs from the press of Record to the file offered (the
// recorder's loading included), in headless Chromium drawing on Mesa's
// llvmpipe; polytree-render's from its start to its exit. Also the
// recorder's weight as it loads, each file compressed with gzip -9.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { gzipSync } from 'node:zlib';
import { chromium } from 'playwright-core';

import { serve } from './serve.mjs';

const args = process.argv.slice(2);
const webDir = path.resolve(args[args.indexOf('--web') + 1]);
const render = path.resolve(args[args.indexOf('--render') + 1]);
const rounds = Number(args.find((arg, i) => !arg.startsWith('--') && !args[i - 1]?.startsWith('--')) ?? 2);
const [WIDTH, HEIGHT, FRAMES] = [640, 480, 360];

const weight = (files) => files.reduce((sum, file) => sum + gzipSync(readFileSync(path.join(webDir, 'page', file)),
  { level: 9 }).length, 0);
console.log(`the recorder as it loads: ${(weight(['record.js', 'mediabunny.js']) / 1000).toFixed(1)} KB with gzip -9` +
  ` (the page: ${(weight(['index.html', 'polytree.js', 'polytree.wasm']) / 1000).toFixed(1)} KB)`);

async function recordInPage(browser, base) {
  const page = await (await browser.newContext({ viewport: { width: 1024, height: 768 }, reducedMotion: 'reduce' }))
    .newPage();
  await page.goto(`${base}/page/index.html?B3+L7`);
  await page.waitForSelector('#question[open]');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.polytree.frame() === 0);
  const started = Date.now();
  await page.locator('#record').click();
  await page.waitForSelector('#record-dialog[open]');
  await page.locator('#video-width').fill(String(WIDTH));
  await page.locator('#video-height').fill(String(HEIGHT));
  await page.locator('#video-frames').fill(String(FRAMES));
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 600000 }),
    page.locator('#video-start').click()]);
  const seconds = (Date.now() - started) / 1000;
  const bytes = statSync(await download.path()).size;
  await download.delete();
  await page.context().close();
  return { seconds, bytes };
}

function recordWithRenderer() {
  const work = mkdtempSync(path.join(tmpdir(), 'polytree-bench-'));
  try {
    const started = Date.now();
    execFileSync(render, ['B3', 'L7', '--size', `${WIDTH}x${HEIGHT}`, '--frames', String(FRAMES), '-o',
      path.join(work, 'turn.webm')]);
    return { seconds: (Date.now() - started) / 1000, bytes: statSync(path.join(work, 'turn.webm')).size };
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
}

const server = await serve(webDir);
const base = `http://127.0.0.1:${server.address().port}`;
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true,
  args: ['--use-angle=gles-egl', '--ignore-gpu-blocklist'] });
const job = ({ seconds, bytes }) => `${seconds.toFixed(2)} s (${(FRAMES / seconds).toFixed(1)} frames/s,` +
  ` ${(bytes / 1e6).toFixed(2)} MB)`;
for (let round = 1; round <= rounds; round += 1) {
  const page = await recordInPage(browser, base);
  const renderer = recordWithRenderer();
  console.log(`round ${round}, B3 L7 ${WIDTH}x${HEIGHT}, ${FRAMES} frames as WebM: page ${job(page)},` +
    ` polytree-render ${job(renderer)}, ${(renderer.seconds / page.seconds).toFixed(2)}x`);
}
await browser.close();
server.close();
