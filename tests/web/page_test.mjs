// The web page in headless Chromium, served from 127.0.0.1 by a server of
// this script's own, driven as a person would: quick taps, clicks, a drag.
//
//   node tests/web/page_test.mjs --page build/web/page --render build/release/polytree-render
//                                --texts viewer/texts.h [--skip CASE]... [CASE...]
//
// Each case starts its own browser; pictures are read from screenshots (a
// WebGL canvas read back after its frame is blank), decoded by the
// browser's own PNG reader.
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

import { serve } from './serve.mjs';

const args = process.argv.slice(2);
function option(name) {
  const at = args.indexOf(name);
  if (at < 0 || at + 1 >= args.length) throw new Error(`missing ${name}`);
  const value = args[at + 1];
  args.splice(at, 2);
  return value;
}
const pageDir = path.resolve(option('--page'));
const render = path.resolve(option('--render'));
const textsFile = option('--texts');
const skipped = [];
while (args.includes('--skip')) skipped.push(option('--skip'));

// WebGL on Mesa's llvmpipe through ANGLE, the rasteriser polytree-render
// draws with: the paused B3 L7 frame at 640x480 differed from
// polytree-render's in 0 pixels in every run measured here. On Chromium's
// default SwiftShader, whose lines end differently, 760 to 840 pixels of
// about 10,000 lit differ, and frames one degree apart about 17,000.
const LLVMPIPE = ['--use-angle=gles-egl', '--ignore-gpu-blocklist'];
const STRAY_PIXELS = 0;

// The longest main-thread task of the page's start with the CPU slowed four
// times, the median of nine cold loads timed alone (CTest's web_page_start).
// On 2 cores, where the browser's own processes share them with its main
// thread, the start as one task had a median of 258 ms (least 184 ms); in
// short tasks 148 ms (least 89 ms), its longest tasks the browser's own
// (the navigation's commit, layout) and its first WebGL context.
const LONGEST_START_TASK_MS = 200;

// ---- the browser --------------------------------------------------------

async function launch(extraArgs = []) {
  return chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: [...LLVMPIPE, ...extraArgs] });
}

// A desktop window by default; a phone is { viewport: PHONE, phone: true, ratio: 3 }.
const PHONE = { width: 390, height: 844 };

async function openPage(browser, base, query = '', { initScript, reducedMotion, hasTouch, ratio, viewport, phone } = {}) {
  const context = await browser.newContext({
    viewport: viewport ?? { width: 1280, height: 800 },
    deviceScaleFactor: ratio ?? 1,
    hasTouch: hasTouch ?? phone ?? false,
    isMobile: phone ?? false,
    reducedMotion: reducedMotion ?? 'no-preference',
  });
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  if (initScript) await page.addInitScript(initScript);
  await page.goto(`${base}/index.html${query}`);
  page.errors = errors;
  return page;
}

async function poll(what, probe, seconds = 30) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const value = await probe();
    if (value !== null && value !== undefined && value !== false) return value;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

const frame = (page) => page.evaluate(() => window.polytree.frame());
const segments = (page) => page.evaluate(() => window.polytree.segments());
const visible = (page, selector) => page.locator(selector).isVisible();

// Waits for the frame number to pass the one now by count.
async function framesGoOn(page, count = 3) {
  const start = (await frame(page)) ?? -1;
  await poll(`${count} frames after ${start}`, async () => ((await frame(page)) ?? -1) >= start + count);
}

// The page's next animation frames: what a paused viewer draws on.
async function animationFrames(page, count) {
  await page.evaluate((n) => new Promise((resolve) => {
    const next = (left) => (left === 0 ? resolve() : requestAnimationFrame(() => next(left - 1)));
    next(n);
  }), count);
}

// The frame number stays the same over more than ten animation frames.
async function framesStand(page) {
  let last = await frame(page);
  let still = 0;
  await poll('the frames to stand still', async () => {
    await animationFrames(page, 1);
    const now = await frame(page);
    still = now === last ? still + 1 : 0;
    last = now;
    return still > 10;
  });
  return last;
}

async function answer(page, key) {
  await poll('the start-up question', () => visible(page, '#question'));
  await page.keyboard.press(key);
  await poll('the question to go', async () => !(await visible(page, '#question')));
}

async function canvasSize(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    return `${box.width}x${box.height} buffer ${canvas.width}x${canvas.height}`;
  });
}

// ---- pictures -----------------------------------------------------------

let decoder = null;

// RGB pixels of a PNG, read by the browser's own decoder on a blank page.
async function decode(png) {
  const pixels = await decoder.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const data = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    let rgb = '';
    for (let i = 0; i < data.length; i += 4) rgb += String.fromCharCode(data[i], data[i + 1], data[i + 2]);
    return { width: bitmap.width, height: bitmap.height, rgb: btoa(rgb) };
  }, png.toString('base64'));
  return { width: pixels.width, height: pixels.height, rgb: Buffer.from(pixels.rgb, 'base64') };
}

// The controls lie over a canvas that fills the window until they go quiet.
async function quiet(page) {
  await poll('the controls to make way', () => page.evaluate(() =>
    ['bar', 'hint'].every((id) => getComputedStyle(document.getElementById(id)).opacity === '0')));
}

async function shot(page) {
  await quiet(page);
  return decode(await page.locator('#canvas').screenshot());
}

// A click on a control, after the mouse's move that brings them back.
async function control(page, selector) {
  await page.mouse.move(640, 400);
  await page.mouse.move(650, 410);
  await poll('the controls', () => page.evaluate(() => !document.getElementById('stage').classList.contains('quiet')));
  await page.locator(selector).click();
}

const camera = (view) => /camera:(\S+)/.exec(view)[1].split(',').map(Number);

function differing(a, b) {
  if (a.width !== b.width || a.height !== b.height) throw new Error(`pictures of ${a.width}x${a.height} and ${b.width}x${b.height}`);
  let count = 0;
  for (let i = 0; i < a.rgb.length; i += 3) {
    if (a.rgb[i] !== b.rgb[i] || a.rgb[i + 1] !== b.rgb[i + 1] || a.rgb[i + 2] !== b.rgb[i + 2]) count += 1;
  }
  return count;
}

// Peak signal to noise of RGB bytes b against a, in dB.
function psnr(a, b) {
  let squares = 0;
  for (let i = 0; i < a.length; i += 1) squares += (a[i] - b[i]) ** 2;
  return squares === 0 ? Infinity : 10 * Math.log10((255 * 255 * a.length) / squares);
}

function lit(picture) {
  let count = 0;
  for (let i = 0; i < picture.rgb.length; i += 3) {
    if (picture.rgb[i] + picture.rgb[i + 1] + picture.rgb[i + 2] > 0) count += 1;
  }
  return count;
}

// polytree-render's still; of a PNG's own view (--view-of) when given one.
function rendered(args, png) {
  const work = mkdtempSync(path.join(tmpdir(), 'polytree-web-'));
  try {
    const file = path.join(work, 'frame.png');
    if (png) {
      writeFileSync(path.join(work, 'given.png'), png);
      args = ['--view-of', path.join(work, 'given.png'), ...args];
    }
    execFileSync(render, [...args, '-o', file]);
    return readFileSync(file);
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
}

function check(condition, message) {
  if (!condition) throw new Error(message);
}

// The help text as texts.h spells it, its line breaks made the page's.
function helpText() {
  const literal = /#define HELP_TEXT "((?:[^"\\]|\\.)*)"/.exec(readFileSync(textsFile, 'utf8'))[1];
  const escapes = { t: '\t', r: '\r', n: '\n', '"': '"', '\\': '\\' };
  return literal.replace(/\\(.)/g, (all, c) => escapes[c]).replace(/\r\n/g, '\n');
}

// ---- the cases ----------------------------------------------------------

const CASES = {
  // The default page answered No: a paused frame is polytree-render's frame
  // of the number the page reports, and of the view it reports.
  async paused_frame_is_polytree_renders(browser, base) {
    const page = await openPage(browser, base);
    await answer(page, 'Escape');
    await framesGoOn(page);
    // The window, filled, projected for its aspect.
    check((await canvasSize(page)) === '1280x800 buffer 1280x800', `canvas ${await canvasSize(page)}`);
    await page.keyboard.press('Space');
    const number = await framesStand(page);
    const shown = await shot(page);
    const expected = await decode(rendered(['B3', 'L7', '--frame', String(number), '--size', '1280x800']));
    const view = await page.evaluate(() => window.polytree.view());
    check(view.startsWith('B3 L7 G3 v1 ') && view.endsWith(' paused'), `the page's view: ${view}`);
    check(differing(await decode(rendered(['--view', view, '--size', '1280x800'])), expected) === 0, `--view '${view}' is another frame`);
    const count = differing(shown, expected);
    console.log(`  frame ${number}: ${count} pixels differ from polytree-render's, ${lit(shown)} lit`);
    check(lit(shown) > 5000, 'the canvas is (nearly) blank');
    check(count <= STRAY_PIXELS, `${count} pixels differ from polytree-render's frame ${number}`);
  },

  // The address's option words, read as a command line; other words ignored.
  async options_from_the_address(browser, base) {
    const longQuery = '?' + 'B4+'.repeat(11000) + 'L4&x=' + 'y'.repeat(100);
    // Without a G word the figure fills the window.
    const filled = '1280x800 buffer 1280x800';
    const rows = [
      { query: '', size: filled, segments: 3280 },
      { query: '?G3', size: '640x480 buffer 640x480', segments: 3280 },
      { query: '?b5+L4+g4', size: '800x600 buffer 800x600', segments: 781 },
      { query: '?B5&L4&G4', size: '800x600 buffer 800x600', segments: 781 },
      { query: '?L40', size: filled, segments: (3 ** 13 - 1) / 2 },
      { query: '?L10&lang=en', size: filled, segments: (3 ** 11 - 1) / 2 },
      { query: '?L10&gclid=G2%20B9', size: filled, segments: (3 ** 11 - 1) / 2 },
      { query: longQuery, size: filled, segments: 341 },
      // HiDPI: the device's pixels, two at most per CSS pixel.
      { query: '?G2', ratio: 2, size: '320x240 buffer 640x480', segments: 3280 },
      { query: '?G2', ratio: 3, size: '320x240 buffer 640x480', segments: 3280 },
    ];
    for (const row of rows) {
      const page = await openPage(browser, base, row.query, { ratio: row.ratio });
      await answer(page, 'Escape');
      await framesGoOn(page, 2);
      const size = await canvasSize(page);
      const count = await segments(page);
      check(size === row.size && count === row.segments,
        `${row.query.slice(0, 40)}: canvas ${size}, ${count} segments; wanted ${row.size}, ${row.segments}`);
      await page.context().close();
    }
  },

  // Each quick tap acts once; the Esc that answered the question did not end
  // the viewer.
  async quick_taps_act_once(browser, base) {
    const page = await openPage(browser, base, '?G4');
    await answer(page, 'Escape');
    await framesGoOn(page);

    await page.keyboard.press('Space');
    await framesStand(page);
    await page.keyboard.press('Space');
    await framesGoOn(page);

    await page.keyboard.press('F1');
    await poll('the help box', () => visible(page, '#help'));
    const text = await page.locator('#help-text').textContent();
    check(text === helpText(), `help text ${JSON.stringify(text)}`);
    check((await page.locator('#help-caption').textContent()) === 'Help...', 'help caption');
    await framesStand(page);
    await page.keyboard.press('Escape');
    await poll('the help box to close', async () => !(await visible(page, '#help')));
    await framesGoOn(page);

    // The page's sizes run from the largest mode to the whole window, and
    // from there round to the smallest.
    const sizes = [
      ['Equal', '1024x768 buffer 1024x768'],
      ['Shift+Equal', '1280x800 buffer 1280x800'],
      ['NumpadAdd', '128x128 buffer 128x128'],
      ['Minus', '1280x800 buffer 1280x800'],
      ['NumpadSubtract', '1024x768 buffer 1024x768'],
      ['Minus', '800x600 buffer 800x600'],
    ];
    for (const [key, size] of sizes) {
      await page.keyboard.press(key);
      await framesGoOn(page, 2);
      check((await canvasSize(page)) === size, `after ${key}: canvas ${await canvasSize(page)}, wanted ${size}`);
    }

    await page.keyboard.press('Escape');
    await poll('the page to say the viewer ended', () => visible(page, '#ended'));
    await framesStand(page);
    await page.locator('#start-again').click();
    await answer(page, 'Escape');
    await framesGoOn(page);
    check(page.errors.length === 0, `page errors: ${page.errors.join('; ')}`);
  },

  // A key held while the canvas loses the focus counts as released: the
  // camera stops turning though the key-up went elsewhere.
  async focus_loss_releases_held_keys(browser, base) {
    const page = await openPage(browser, base);
    await answer(page, 'Escape');
    await page.keyboard.press('Space');
    await framesStand(page);
    const before = await shot(page);
    await page.keyboard.down('ArrowLeft');
    await poll('the held arrow to turn the figure', async () => differing(await shot(page), before) > 1000);
    await page.evaluate(() => document.getElementById('canvas').blur());
    const released = await shot(page);
    await animationFrames(page, 10);
    const later = await shot(page);
    await page.keyboard.up('ArrowLeft');
    check(differing(later, released) <= 0, `the figure turned on after the focus left (${differing(later, released)})`);
  },

  // Two finger drags of 40 pixels, the second far from where the first
  // ended, turn the scene as one mouse drag of 80 pixels does: a new press
  // starts from where it is.
  async drags_turn_the_scene(browser, base) {
    const turned = async (drag) => {
      // Paused at the first frame, so that both pictures have its twist.
      const page = await openPage(browser, base, '', { hasTouch: true, reducedMotion: 'reduce' });
      await answer(page, 'Escape');
      await poll('the first frame', async () => (await frame(page)) === 0);
      const box = await page.locator('#canvas').boundingBox();
      const still = await shot(page);
      await drag(page, box);
      await animationFrames(page, 2);
      const picture = await shot(page);
      check(differing(picture, still) > 1000, 'the drag did not turn the figure');
      await page.context().close();
      return picture;
    };
    const fingers = await turned(async (page, box) => {
      const cdp = await page.context().newCDPSession(page);
      const touch = (type, x, y) => cdp.send('Input.dispatchTouchEvent',
        { type, touchPoints: type === 'touchEnd' ? [] : [{ x: box.x + x, y: box.y + y }] });
      for (const [x, y] of [[100, 100], [500, 400]]) {
        await touch('touchStart', x, y);
        for (let step = 1; step <= 4; step += 1) await touch('touchMove', x + 10 * step, y);
        await touch('touchEnd');
      }
    });
    const mouse = await turned(async (page, box) => {
      await page.mouse.move(box.x + 100, box.y + 100);
      await page.mouse.down();
      await page.mouse.move(box.x + 180, box.y + 100, { steps: 8 });
      await page.mouse.up();
    });
    check(differing(fingers, mouse) === 0, `two finger drags differ from one mouse drag in ${differing(fingers, mouse)} pixels`);
  },

  // Where the browser refuses full screen, Yes leads to the viewer's
  // fallback question: Yes goes on in the page, No ends with its notice.
  // A person who asked for reduced motion gets the figure paused.
  async start_up_answers(browser, base) {
    // As on iPhone: no question, the viewer runs in the page.
    const noFullscreen = () => {
      Object.defineProperty(Document.prototype, 'fullscreenEnabled', { get: () => false });
    };
    const refuse = () => {
      Element.prototype.requestFullscreen = () => Promise.reject(new TypeError('refused'));
    };
    const rows = [
      { name: 'refused, Yes', init: refuse, keys: ['Enter', 'Enter'], runs: true },
      { name: 'refused, No', init: refuse, keys: ['Enter', 'Escape'], ended: 'Program Will Now Close.' },
      { name: 'reduced motion', reducedMotion: 'reduce', keys: ['Escape'], paused: true },
      { name: 'Yes', query: '?G3', keys: ['Enter'], fullscreen: true },
      { name: 'no full screen', init: noFullscreen, keys: [], runs: true, noFullscreenButton: true },
    ];
    for (const row of rows) {
      const page = await openPage(browser, base, row.query, { initScript: row.init, reducedMotion: row.reducedMotion });
      // The fallback question comes in the same dialog as soon as the
      // start-up one is answered.
      const questions = ['Would You Like', 'The Requested Fullscreen Mode Is Not Supported'];
      for (const [i, key] of row.keys.entries()) {
        await poll(`${row.name}: the question "${questions[i]}"`, async () => (await visible(page, '#question')) &&
          (await page.locator('#question-text').textContent()).startsWith(questions[i]));
        await page.keyboard.press(key);
      }
      await poll(`${row.name}: the question to go`, async () => !(await visible(page, '#question')));
      if (row.runs) await framesGoOn(page);
      if (row.noFullscreenButton) check(!(await visible(page, '#fullscreen')), `${row.name}: a full-screen button`);
      // Full screen fills the screen; F12 leaves it for the page and enters
      // it again, each tap once.
      const filled = (yes) => async () => (await page.evaluate(() => document.fullscreenElement !== null)) === yes &&
        (await canvasSize(page)) === (yes ? '1280x800 buffer 1280x800' : '640x480 buffer 640x480');
      if (row.fullscreen) {
        await poll(`${row.name}: full screen`, filled(true));
        for (const yes of [false, true, false]) {
          await page.keyboard.press('F12');
          await poll(`${row.name}: F12 to ${yes ? 'enter' : 'leave'} full screen`, filled(yes));
          await framesGoOn(page, 2);
          check(await filled(yes)(), `${row.name}: F12 acted more than once`);
        }
      }
      if (row.ended) {
        await poll(`${row.name}: the closing notice`, () => visible(page, '#ended'));
        const said = await page.locator('#ended-text').textContent();
        check(said === row.ended, `${row.name}: the page said ${said}`);
      }
      if (row.paused) {
        await poll(`${row.name}: the first frame`, async () => (await frame(page)) !== null);
        check((await framesStand(page)) === 0, `${row.name}: the figure moved`);
      }
      await page.context().close();
    }
  },

  // A link's view opens at its frame, fixed or filling the window as it was
  // shared, paused as the view says; Share gives that same link.
  async view_links_open_their_frame(browser, base) {
    const view = 'B5 L4 G3 v1 pitch:20 yaw:35 camera:0.3,-0.2,-2.5 twist:0.6981317007977318 paused';
    const rows = [
      { fragment: view, size: '640x480' },
      { fragment: `fill ${view}`, size: '1280x800', query: '?G2' },
    ];
    for (const row of rows) {
      const address = `${base}/index.html${row.query ?? ''}#${row.fragment.replace(/ /g, '+')}`;
      const page = await openPage(browser, base, `${row.query ?? ''}#${row.fragment.replace(/ /g, '+')}`);
      await answer(page, 'Escape');
      await poll('the first frame', async () => (await frame(page)) !== null);
      check((await page.evaluate(() => window.polytree.view())) === view, `${row.size}: the page's view differs`);
      check((await canvasSize(page)) === `${row.size} buffer ${row.size}`, `${row.size}: canvas ${await canvasSize(page)}`);
      const count = differing(await shot(page), await decode(rendered(['--view', view, '--size', row.size])));
      check(count <= STRAY_PIXELS, `${row.size}: ${count} pixels differ from polytree-render's frame of the view`);
      await page.evaluate(() => navigator.clipboard.writeText(''));
      await control(page, '#share');
      await poll(`${row.size}: the confirmation`, () => visible(page, '#notice'));
      const shared = await page.evaluate(() => navigator.clipboard.readText());
      check(shared === address, `${row.size}: Share gave ${shared}`);
      await page.context().close();
    }
  },

  // After one visit the page is an installable app that opens its view
  // links with no server at all. Chromium installs nothing from the
  // incognito profile that other cases use.
  async offline_after_one_visit() {
    const own = await serve(pageDir);
    const profile = mkdtempSync(path.join(tmpdir(), 'polytree-web-'));
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: '/usr/bin/chromium', headless: true, args: LLVMPIPE, viewport: { width: 1280, height: 800 },
    });
    try {
      const view = 'B5 L4 G3 v1 pitch:20 yaw:35 camera:0.3,-0.2,-2.5 twist:0.6981317007977318 paused';
      const page = await context.newPage();
      await page.goto(`http://127.0.0.1:${own.address().port}/index.html?G2#fill+${view.replace(/ /g, '+')}`);
      await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
      const cdp = await page.context().newCDPSession(page);
      const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
      check(installabilityErrors.length === 0, `not installable: ${JSON.stringify(installabilityErrors)}`);
      own.closeAllConnections();
      await new Promise((resolve) => own.close(resolve));
      await page.reload();
      await answer(page, 'Escape');
      await poll('the first frame', async () => (await frame(page)) !== null);
      const count = differing(await shot(page), await decode(rendered(['--view', view, '--size', '1280x800'])));
      check(count <= STRAY_PIXELS, `offline: ${count} pixels differ from polytree-render's frame of the view`);
    } finally {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    }
  },

  // A saved picture is polytree-render's still of the view the PNG keeps,
  // at the canvas's size (the frame on screen) and at a size picked.
  async saved_pictures_are_polytree_renders(browser, base) {
    const page = await openPage(browser, base, '', { reducedMotion: 'reduce' });
    await answer(page, 'Escape');
    await poll('the first frame', async () => (await frame(page)) !== null);
    await page.keyboard.press('ArrowLeft');
    await poll('the turn', async () => (await page.evaluate(() => window.polytree.view())).includes(' yaw:-1 '));
    const onScreen = await shot(page);
    const save = async (button) => {
      const [download] = await Promise.all([page.waitForEvent('download'), page.locator(button).click()]);
      return readFileSync(await download.path());
    };
    await control(page, '#save');
    await poll('the save dialog', () => visible(page, '#save-dialog'));
    const view = await page.evaluate(() => window.polytree.view());
    const command = await page.locator('#render-still').textContent();
    check(command === `polytree-render --view '${view}' --size 3840x2160 -o polytree.png`, `command ${command}`);
    const rows = [
      { button: '#save-shown', size: [1280, 800] },
      { button: '#save-picked', size: [1920, 1080] },
    ];
    for (const { button, size } of rows) {
      const png = await save(button);
      const picture = await decode(png);
      check(picture.width === size[0] && picture.height === size[1], `${button}: ${picture.width}x${picture.height}`);
      const count = differing(picture, await decode(rendered([], png)));
      check(count <= STRAY_PIXELS, `${button}: ${count} pixels differ from polytree-render's still of its view`);
      check(lit(picture) > 5000, `${button}: the picture is (nearly) blank`);
      if (button === '#save-shown') check(differing(picture, onScreen) === 0, 'the picture is not the frame on screen');
    }
    await page.locator('#picture-width').fill('100000');
    await page.locator('#save-picked').click();
    await poll('the size refused', () => visible(page, '#picture-error'));
  },

  // A phone: the hint names gestures; a pinch and a two-finger drag move
  // the camera, at one key's step for every 10 CSS pixels; a tap brings the
  // controls back, and their pause button pauses.
  async phone_gestures_and_controls(browser, base) {
    const page = await openPage(browser, base, '', { viewport: PHONE, phone: true, ratio: 3 });
    await poll('the start-up question', () => visible(page, '#question'));
    await page.locator('#no').tap();
    await framesGoOn(page, 2);
    check((await canvasSize(page)) === '390x844 buffer 780x1688', `canvas ${await canvasSize(page)}`);
    check(await visible(page, '#hint .gestures') && !(await visible(page, '#hint .keys')), 'the hint names keys');
    const cdp = await page.context().newCDPSession(page);
    const fingers = async (from, to) => {
      const at = (points, t) => points.map(([x, y], i) => ({ x: x + (to[i][0] - x) * t, y: y + (to[i][1] - y) * t, id: i }));
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: at(from, 0) });
      for (let step = 1; step <= 5; step += 1) {
        await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: at(from, step / 5) });
      }
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    };
    const moves = [
      // Fingers 100 CSS pixels further apart: 10 steps forward.
      { from: [[145, 400], [245, 400]], to: [[95, 400], [295, 400]], camera: [0, 0, -3] },
      // Both 30 right and 20 up: the figure follows, the camera 3 steps left and 2 down.
      { from: [[145, 400], [245, 400]], to: [[175, 380], [275, 380]], camera: [0.15, 0.1, -3] },
    ];
    for (const move of moves) {
      await fingers(move.from, move.to);
      const view = await poll('the camera to move', async () => {
        const now = await page.evaluate(() => window.polytree.view());
        return camera(now).every((value, i) => Math.abs(value - move.camera[i]) < 1e-9) && now;
      }, 5).catch(async () => { throw new Error(`camera at ${await page.evaluate(() => window.polytree.view())}`); });
      check(view.includes(' pitch:0 yaw:0 '), `two fingers turned the figure: ${view}`);
    }
    await quiet(page);
    await page.touchscreen.tap(200, 600);
    await poll('the controls after a tap', () => page.evaluate(() => !document.getElementById('stage').classList.contains('quiet')));
    await page.locator('#pause').tap();
    await poll('the pause', async () => (await page.evaluate(() => window.polytree.view())).endsWith(' paused'));
    check((await page.locator('#pause').getAttribute('aria-pressed')) === 'true', 'the pause button is not pressed');
    await framesStand(page);
  },

  // A recorded video holds polytree-render's stills of the same numbers,
  // decoded by FFmpeg by the colour tags the file carries: every frame
  // asked for, none dropped or repeated, each at least the 4:2:0 floor.
  async recorded_videos_are_polytree_renders(browser, base) {
    const page = await openPage(browser, base, '', { reducedMotion: 'reduce' });
    await answer(page, 'Escape');
    await poll('the first frame', async () => (await frame(page)) === 0);
    const view = await page.evaluate(() => window.polytree.view());
    const [width, height, frames] = [640, 360, 12];
    const work = mkdtempSync(path.join(tmpdir(), 'polytree-web-'));
    try {
      execFileSync(render, ['B3', 'L7', '--size', `${width}x${height}`, '--frames', String(frames), '-o',
        path.join(work, 'still-%04d.png')]);
      const stills = [];
      for (let n = 0; n < frames; n += 1) {
        stills.push(await decode(readFileSync(path.join(work, `still-${String(n).padStart(4, '0')}.png`))));
      }
      await control(page, '#record');
      await poll('the record dialog', () => visible(page, '#record-dialog'));
      const formats = await page.locator('#video-format option').evaluateAll((options) => options.map((o) => o.value));
      console.log(`  formats offered: ${formats.join(', ')}`);
      // The floors are polytree-render's own at 4:2:0 for this figure and size
      // (the README's table): one-pixel coloured lines lose colour.
      const rows = [{ format: 'webm', codec: 'vp9', floor: 26.1 }, { format: 'mp4', codec: 'h264', floor: 25.8 }];
      for (const row of rows.filter((r) => formats.includes(r.format))) {
        await page.locator('#video-width').fill(String(width));
        await page.locator('#video-height').fill(String(height));
        await page.locator('#video-frames').fill(String(frames));
        await page.locator('#video-format').selectOption(row.format);
        const [download] = await Promise.all([page.waitForEvent('download'), page.locator('#video-start').click()]);
        const file = path.join(work, `video.${row.format}`);
        await download.saveAs(file);
        check(download.suggestedFilename() === `polytree ${view.replace(/:/g, '=')}.${row.format}`,
          `${row.format}: named ${download.suggestedFilename()}`);
        // Chromium plays it, every frame (shown or dropped, each counted).
        const player = await (await browser.newContext()).newPage();
        await player.setContent(`<video muted src="data:video/${row.format};base64,${readFileSync(file).toString('base64')}">`);
        const played = await player.evaluate(() => new Promise((resolve, reject) => {
          const video = document.querySelector('video');
          video.onended = () => resolve(video.getVideoPlaybackQuality().totalVideoFrames);
          video.onerror = () => reject(new Error(`the video cannot play: ${video.error.message}`));
          video.play();
        }));
        check(played === frames, `${row.format}: Chromium played ${played} frames of ${frames}`);
        await player.context().close();
        const probe = JSON.parse(execFileSync('ffprobe', ['-v', 'error', '-count_frames', '-select_streams', 'v',
          '-show_entries', 'stream=codec_name,width,height,nb_read_frames,color_space,color_range,color_primaries',
          '-of', 'json', file])).streams[0];
        console.log(`  ${row.format}: ${JSON.stringify(probe)}`);
        check(probe.codec_name === row.codec && probe.width === width && probe.height === height,
          `${row.format}: ${JSON.stringify(probe)}`);
        check(probe.color_space && probe.color_range && probe.color_primaries, `${row.format}: no colour tags`);
        const rgb = execFileSync('ffmpeg', ['-v', 'error', '-i', file, '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-'],
          { maxBuffer: 1 << 28 });
        const size = width * height * 3;
        check(rgb.length === frames * size, `${row.format}: ${rgb.length / size} frames decoded of ${frames}`);
        const worst = { db: Infinity, at: -1 };
        for (let n = 0; n < frames; n += 1) {
          const decoded = rgb.subarray(n * size, (n + 1) * size);
          const db = (m) => psnr(stills[m].rgb, decoded);
          const nearest = [n - 1, n + 1].filter((m) => m >= 0 && m < frames).every((m) => db(m) < db(n));
          check(nearest, `${row.format}: frame ${n} is nearer another still than its own`);
          if (db(n) < worst.db) Object.assign(worst, { db: db(n), at: n });
        }
        console.log(`  ${row.format}: the worst frame, ${worst.at}, at ${worst.db.toFixed(1)} dB`);
        check(worst.db >= row.floor, `${row.format}: frame ${worst.at} at ${worst.db.toFixed(1)} dB`);
      }

      // A cancelled recording offers nothing, and gives the figure back.
      let offered = 0;
      page.on('download', () => { offered += 1; });
      await page.locator('#video-frames').fill('360');
      await page.locator('#video-start').click();
      await poll('the recording to go on', () => page.evaluate(() => document.getElementById('video-progress').value > 2));
      await page.locator('#video-cancel').click();
      await poll('the recording to stop', async () => !(await visible(page, '#video-progress-line')));
      await page.keyboard.press('Escape');
      await poll('the dialog to close', async () => !(await visible(page, '#record-dialog')));
      await page.keyboard.press('Space');
      await framesGoOn(page);
      check(offered === 0, `a cancelled recording offered ${offered} downloads`);
      check(page.errors.length === 0, `page errors: ${page.errors.join('; ')}`);
    } finally {
      rmSync(work, { recursive: true, force: true });
    }
  },

  // Without WebCodecs the page says so and offers polytree-render's command
  // for the same video.
  async no_webcodecs_offers_polytree_render(browser, base) {
    const page = await openPage(browser, base, '?G3', { initScript: () => { delete window.VideoEncoder; } });
    await answer(page, 'Escape');
    await framesGoOn(page);
    await control(page, '#record');
    await poll('the record dialog', () => visible(page, '#record-dialog'));
    const view = await page.evaluate(() => window.polytree.view());
    await page.locator('#video-start').click();
    await poll('the message', () => visible(page, '#video-error'));
    const said = await page.locator('#video-error').textContent();
    check(said.includes('WebCodecs'), `the page said ${said}`);
    const command = await page.locator('#video-command').textContent();
    check(command === `polytree-render --view '${view}' --size 640x480 --frames 360 -o polytree.webm`, `command ${command}`);
  },

  async no_webgl2_says_so(browser, base) {
    const page = await openPage(browser, base, '', {
      initScript: () => {
        const real = HTMLCanvasElement.prototype.getContext;
        HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
          return type === 'webgl2' ? null : real.call(this, type, ...rest);
        };
      },
    });
    await poll('the fault message', () => visible(page, '#fault'));
    const text = await page.locator('#fault').textContent();
    check(text.includes('WebGL 2'), `fault message ${JSON.stringify(text)}`);
    check(!(await visible(page, '#canvas')), 'the canvas shows');
    check(!(await visible(page, '#question')), 'the question shows');
  },

  // A WebM that polytree-render wrote with --background none plays in a
  // <video> over the page: the page's colour shows all round the figure,
  // and no black is left of the background.
  async transparent_video_shows_the_page_through(browser) {
    const work = mkdtempSync(path.join(tmpdir(), 'polytree-web-'));
    try {
      const file = path.join(work, 'clear.webm');
      execFileSync(render, ['B3', 'L5', 'G2', '--frames', '3', '--background', 'none', '-o', file]);
      const source = `data:video/webm;base64,${readFileSync(file).toString('base64')}`;
      const page = await (await browser.newContext()).newPage();
      await page.setContent(`<body style="margin:0;background:rgb(0,0,255)"><video id="v" muted src="${source}"></video>`);
      await poll('the video\'s first frame', () => page.evaluate(() => document.getElementById('v').readyState >= 2));
      const shown = await decode(await page.locator('#v').screenshot());
      let page_colour = 0;
      let black = 0;
      let figure = 0;
      for (let i = 0; i < shown.rgb.length; i += 3) {
        const [r, g, b] = [shown.rgb[i], shown.rgb[i + 1], shown.rgb[i + 2]];
        if (b > 200 && r < 60 && g < 60) page_colour += 1;
        else if (r < 40 && g < 40 && b < 40) black += 1;
        else figure += 1;
      }
      const total = shown.rgb.length / 3;
      console.log(`  ${page_colour} pixels of the page's colour, ${figure} of the figure, ${black} black, of ${total}`);
      check(page_colour > total * 0.8, `the page shows through only ${page_colour} of ${total} pixels`);
      check(figure > 300, `only ${figure} pixels of the figure`);
      check(black < total * 0.01, `${black} black pixels: the background is not transparent`);
    } finally {
      rmSync(work, { recursive: true, force: true });
    }
  },

  // The start, from navigation to the question, runs in tasks short enough
  // for a phone: the CPU slowed four times, as Lighthouse's mobile preset
  // slows it, and each cold load traced. The median of nine loads' longest
  // tasks, so that a burst of another process does not count.
  async start_runs_in_short_tasks(browser, base) {
    const longest = [];
    for (let load = 0; load < 9; load += 1) {
      const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
      const page = await context.newPage();
      await (await context.newCDPSession(page)).send('Emulation.setCPUThrottlingRate', { rate: 4 });
      // Told by a console message: a query of Playwright's own would load
      // its selector engine into the page, a long task of its own.
      await page.addInitScript(() => document.addEventListener('DOMContentLoaded', () => {
        const question = document.getElementById('question');
        new MutationObserver(() => {
          if (!question.open) return;
          performance.mark('question');
          console.log('the question');
        }).observe(question, { attributes: true });
      }));
      await browser.startTracing(page, { categories: ['toplevel', 'blink.user_timing'] });
      const questioned = page.waitForEvent('console', (message) => message.text() === 'the question');
      await page.goto(`${base}/index.html`);
      await questioned;
      const events = JSON.parse(await browser.stopTracing()).traceEvents;
      const start = events.find((e) => e.name === 'navigationStart' && /index\.html/.test(e.args?.data?.documentLoaderURL));
      const asked = events.find((e) => e.name === 'question');
      // The main thread's tasks: its outermost slices (a microtask
      // checkpoint runs outside any task's slice).
      const tasks = [];
      for (const e of events.filter((e) => e.ph === 'X' && e.pid === start.pid && e.tid === start.tid)
        .sort((a, b) => a.ts - b.ts || b.dur - a.dur)) {
        const last = tasks.at(-1);
        if (!last || e.ts >= last.ts + last.dur) tasks.push(e);
      }
      const during = tasks.filter((e) => e.ts >= start.ts && e.ts <= asked.ts);
      longest.push(Math.max(...during.map((e) => e.dur / 1000)));
      await context.close();
    }
    const median = [...longest].sort((a, b) => a - b)[4];
    console.log(`  longest task of each start, CPU slowed 4x: ${longest.map((ms) => ms.toFixed(0)).join(', ')} ms`);
    check(median <= LONGEST_START_TASK_MS, `the start's longest task took ${median.toFixed(0)} ms (median of 9)`);
  },

  async lost_context_comes_back(browser, base) {
    const page = await openPage(browser, base);
    await answer(page, 'Escape');
    await framesGoOn(page);
    await page.evaluate(() => {
      window.loser = document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context');
      window.loser.loseContext();
    });
    await poll('the page to say the context is lost', () => visible(page, '#lost'));
    await page.evaluate(() => window.loser.restoreContext());
    await poll('the lost message to go', async () => !(await visible(page, '#lost')));
    await framesGoOn(page);
    await page.keyboard.press('Space');
    await framesStand(page);
    check(lit(await shot(page)) > 5000, 'the figure is not drawn again');
  },
};

// ---- main ---------------------------------------------------------------

// Runs the cases named on the command line, or all, each in a browser of
// its own from launchBrowser; firefox_test.mjs runs them in Firefox.
export async function run(launchBrowser, all = Object.keys(CASES)) {
  const chosen = args.length > 0 ? args : all.filter((name) => !skipped.includes(name));
  const server = await serve(pageDir);
  const base = `http://127.0.0.1:${server.address().port}`;
  let failed = 0;
  try {
    for (const name of chosen) {
      const browser = await launchBrowser();
      decoder = await (await browser.newContext()).newPage();
      const started = Date.now();
      try {
        await CASES[name](browser, base);
        console.log(`ok ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
      } catch (error) {
        failed += 1;
        const message = error.message.length > 400 ? `${error.message.slice(0, 400)}...` : error.message;
        console.log(`FAILED ${name}: ${message}`);
      } finally {
        await browser.close();
      }
    }
  } finally {
    server.close();
  }
  console.log(`${chosen.length - failed} of ${chosen.length} cases passed`);
  process.exit(failed === 0 ? 0 : 1);
}

if (process.argv[1] === fileURLToPath(import.meta.url)) await run(launch);
