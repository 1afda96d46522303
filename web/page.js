// The page's own listeners, set up as the script loads: the dialogs'
// answers, the pointer, and the read-only hook for tests and embedding pages.
(function () {
  const canvas = document.getElementById('canvas');
  const question = document.getElementById('question');
  const help = document.getElementById('help');

  function ready() {
    return typeof calledRun !== 'undefined' && calledRun;
  }

  // The dialog closes before the answer is handed over, so that the canvas
  // can take the focus, and the answer comes within the click or key press
  // that full screen needs.
  function answer(yes) {
    if (!question.open) return;
    question.close();
    canvas.focus();
    Module._polytree_answer(Number(question.dataset.question), yes ? 1 : 0);
  }
  document.getElementById('yes').addEventListener('click', () => answer(true));
  document.getElementById('no').addEventListener('click', () => answer(false));
  question.addEventListener('cancel', (event) => {
    event.preventDefault();
    answer(false);
  });
  question.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter') return;
    event.preventDefault();
    answer(true);
  });

  // A dialog that holds the figure (the help box, saving), closed by its
  // button or Esc: the figure gets the focus and its frames back.
  function closesAndResumes(dialog, button) {
    const close = () => {
      if (!dialog.open) return;
      dialog.close();
      canvas.focus();
      Module._polytree_help_closed();
    };
    document.getElementById(button).addEventListener('click', close);
    dialog.addEventListener('cancel', (event) => {
      event.preventDefault();
      close();
    });
    return close;
  }
  const closeHelp = closesAndResumes(help, 'help-ok');
  help.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter') return;
    event.preventDefault();
    closeHelp();
  });

  document.getElementById('start-again').addEventListener('click', () => {
    document.getElementById('ended').hidden = true;
    canvas.focus();
    Module._polytree_start_again();
  });

  // A drag of the mouse's left button or a pen turns the scene, and so does
  // one finger. A press hands over its own position first, so that a drag
  // starts from there and not from where the last one ended.
  function pointer(x, y, down) {
    if (!ready()) return;
    const box = canvas.getBoundingClientRect();
    Module._polytree_pointer(Math.round(x - box.left), Math.round(y - box.top), down ? 1 : 0);
  }

  // Two fingers move the camera: a pinch forward and backward (Home, End),
  // a drag of both left, right, up and down (Delete, Page Down, A, Z), one
  // key's step for every PIXELS_PER_STEP CSS pixels, the figure following
  // the fingers. A tap shows the controls.
  const PIXELS_PER_STEP = 10;
  const TAP_SLOP = 10;
  const TAP_MS = 500;
  const fingers = new Map();
  let pair = null;
  let tap = null;

  function pairNow() {
    const [a, b] = [...fingers.values()];
    return { distance: Math.hypot(a.x - b.x, a.y - b.y), x: (a.x + b.x) / 2, y: (a.y + b.y) / 2 };
  }

  canvas.addEventListener('pointerdown', (event) => {
    canvas.focus();
    canvas.setPointerCapture(event.pointerId);
    if (event.pointerType !== 'touch') {
      if (event.isPrimary) pointer(event.clientX, event.clientY, false);
      return;
    }
    fingers.set(event.pointerId, { x: event.clientX, y: event.clientY });
    tap = fingers.size === 1 ? { x: event.clientX, y: event.clientY, at: event.timeStamp } : null;
    if (fingers.size === 1) pointer(event.clientX, event.clientY, false);
    pair = fingers.size === 2 ? pairNow() : null;
  });

  canvas.addEventListener('pointermove', (event) => {
    if (event.pointerType !== 'touch') {
      if (event.isPrimary) pointer(event.clientX, event.clientY, (event.buttons & 1) !== 0);
      return;
    }
    if (!fingers.has(event.pointerId)) return;
    fingers.set(event.pointerId, { x: event.clientX, y: event.clientY });
    if (tap && Math.hypot(event.clientX - tap.x, event.clientY - tap.y) > TAP_SLOP) tap = null;
    if (fingers.size === 1) {
      pointer(event.clientX, event.clientY, true);
    } else if (pair && ready()) {
      const now = pairNow();
      Module._polytree_move((now.distance - pair.distance) / PIXELS_PER_STEP, (now.x - pair.x) / PIXELS_PER_STEP,
        (now.y - pair.y) / PIXELS_PER_STEP);
      pair = now;
    }
  });

  function fingerUp(event) {
    if (!fingers.delete(event.pointerId)) return;
    if (tap && event.type === 'pointerup' && event.timeStamp - tap.at < TAP_MS) showControls();
    tap = null;
    pair = fingers.size === 2 ? pairNow() : null;
    // The finger left turns from where it is, not from where it last turned.
    if (fingers.size === 1) {
      const [left] = fingers.values();
      pointer(left.x, left.y, false);
    }
  }
  canvas.addEventListener('pointerup', fingerUp);
  canvas.addEventListener('pointercancel', fingerUp);

  // The controls show at the start, on a pointer's move, a tap, or the
  // keyboard's focus, and make way for the figure a while after.
  const stage = document.getElementById('stage');
  const bar = document.getElementById('bar');
  const QUIET_AFTER_MS = 3000;
  let quietTimer = 0;
  function showControls() {
    stage.classList.remove('quiet');
    clearTimeout(quietTimer);
    quietTimer = setTimeout(() => {
      if (!bar.contains(document.activeElement)) stage.classList.add('quiet');
    }, QUIET_AFTER_MS);
  }
  stage.addEventListener('pointermove', (event) => {
    if (event.pointerType !== 'touch') showControls();
  });
  bar.addEventListener('focusin', showControls);
  bar.addEventListener('focusout', showControls);
  showControls();

  // The buttons press the viewer's own keys. They take no focus from a
  // pointer, so that the keys go on reaching the figure after a click.
  const KEYS = { pause: 32, 'help-button': 112, fullscreen: 123, smaller: 189, larger: 187, end: 27 };
  // (No destructuring in for-of: Emscripten 3.1.6's minifier drops it.)
  for (const id of Object.keys(KEYS)) {
    const code = KEYS[id];
    const button = document.getElementById(id);
    button.addEventListener('pointerdown', (event) => event.preventDefault());
    button.addEventListener('click', () => {
      showControls();
      if (ready()) Module._polytree_press(code);
    });
  }

  // A passing message over the figure.
  const notice = document.getElementById('notice');
  let noticeTimer = 0;
  Module.notice = (text) => {
    notice.textContent = text;
    notice.hidden = false;
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(() => { notice.hidden = true; }, 6000);
  };

  // The address of the view on screen.
  function link() {
    return location.href.replace(/#.*$/, '') + '#' + UTF8ToString(Module._polytree_link());
  }

  // The system's share sheet where there is one (phones); the clipboard
  // elsewhere; and where neither is allowed, the address bar, which holds
  // the link now.
  const shareButton = document.getElementById('share');
  shareButton.addEventListener('pointerdown', (event) => event.preventDefault());
  shareButton.addEventListener('click', async () => {
    if (!shown()) return;
    const url = link();
    history.replaceState(history.state, '', url);
    if (navigator.share) {
      try {
        await navigator.share({ title: document.title, url });
      } catch (refused) {
        // Dismissed by the person, or no sheet after all: nothing to say.
      }
      return;
    }
    try {
      await navigator.clipboard.writeText(url);
      Module.notice('The link to this view is copied.');
    } catch (refused) {
      Module.notice('The address bar holds the link to this view.');
    }
  });

  // What the program names a file of the frame on screen, and the
  // polytree-render command that makes the same still (0 frames) or video.
  const fileName = (extension) => ccall('polytree_file_name', 'string', ['string'], [extension]);
  const renderCommand = (width, height, frames, extension) => ccall('polytree_render_command', 'string',
    ['number', 'number', 'number', 'string'], [width, height, frames, extension]);

  // Saving holds the figure, as the help box does, so that the picture, its
  // name and the commands are all of the frame that was on screen.
  const saveDialog = document.getElementById('save-dialog');
  const pictureError = document.getElementById('picture-error');
  let savedView = '';
  const saveButton = document.getElementById('save');
  saveButton.addEventListener('pointerdown', (event) => event.preventDefault());
  saveButton.addEventListener('click', () => {
    if (!shown() || saveDialog.open) return;
    Module._polytree_hold();
    savedView = UTF8ToString(Module._polytree_view());
    document.getElementById('shown-size').textContent = `${canvas.width}x${canvas.height}`;
    const largest = Module._polytree_largest_picture();
    const most = Module._polytree_most_picture_pixels();
    document.getElementById('picture-limit').textContent =
      `Up to ${largest} pixels a side and ${(most / 1e6).toFixed(1)} million pixels in all.`;
    document.getElementById('render-still').textContent = renderCommand(3840, 2160, 0, 'png');
    document.getElementById('render-turn').textContent = renderCommand(3840, 2160, 360, 'webm');
    pictureError.hidden = true;
    saveDialog.showModal();
  });
  closesAndResumes(saveDialog, 'save-close');
  for (const which of ['still', 'turn']) {
    document.getElementById(`copy-${which}`).addEventListener('click', async () => {
      try {
        await navigator.clipboard.writeText(document.getElementById(`render-${which}`).textContent);
        Module.notice('The command is copied.');
      } catch (refused) {
        Module.notice('Select the command and copy it.');
      }
    });
  }

  // A PNG keeps its view in a tEXt chunk under the program's key, as
  // polytree-render writes it, so that polytree-render --view-of draws it
  // again. The browser's encoder writes no text: the chunk goes in after
  // the header chunk.
  const CRC = new Int32Array(256).map((_, n) => {
    let c = n;
    for (let k = 0; k < 8; k += 1) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c;
  });
  function withView(png, view) {
    const body = new TextEncoder().encode(`tEXt${UTF8ToString(Module._polytree_png_view_key())}\0${view}`);
    let crc = -1;
    for (const byte of body) crc = CRC[(crc ^ byte) & 0xff] ^ (crc >>> 8);
    const chunk = new Uint8Array(body.length + 8);
    const data = new DataView(chunk.buffer);
    data.setUint32(0, body.length - 4);
    chunk.set(body, 4);
    data.setUint32(body.length + 4, ~crc >>> 0);
    const headerEnd = 8 + 25;  // the signature, then IHDR's 13 bytes and 12 of framing
    return new Blob([png.subarray(0, headerEnd), chunk, png.subarray(headerEnd)], { type: 'image/png' });
  }

  async function savePicture(width, height) {
    pictureError.hidden = true;
    const at = Module._polytree_picture(width, height);
    if (at === 0) {
      pictureError.textContent = UTF8ToString(Module._polytree_picture_error());
      pictureError.hidden = false;
      return;
    }
    const rgba = new Uint8ClampedArray(HEAPU8.buffer, at, width * height * 4).slice();
    Module._polytree_picture_free(at);
    // Named before the encoder's wait, while the frame is surely the one on screen.
    const name = fileName('png');
    const drawing = document.createElement('canvas');
    drawing.width = width;
    drawing.height = height;
    drawing.getContext('2d').putImageData(new ImageData(rgba, width, height), 0, 0);
    const encoded = await new Promise((resolve) => drawing.toBlob(resolve, 'image/png'));
    if (!encoded) {
      pictureError.textContent = 'The browser cannot encode a PNG of that size.';
      pictureError.hidden = false;
      return;
    }
    const file = document.createElement('a');
    file.href = URL.createObjectURL(withView(new Uint8Array(await encoded.arrayBuffer()), savedView));
    file.download = name;
    file.click();
    setTimeout(() => URL.revokeObjectURL(file.href), 60000);
  }
  document.getElementById('save-shown').addEventListener('click', () => savePicture(canvas.width, canvas.height));
  document.getElementById('save-picked').addEventListener('click', () => {
    const width = Math.floor(Number(document.getElementById('picture-width').value));
    const height = Math.floor(Number(document.getElementById('picture-height').value));
    savePicture(width || 0, height || 0);
  });

  // Recording holds the figure, as saving does, and loads its own module
  // (web/record.js and the muxer it imports) only when a person first asks.
  let recorder = null;
  const recordButton = document.getElementById('record');
  recordButton.addEventListener('pointerdown', (event) => event.preventDefault());
  recordButton.addEventListener('click', async () => {
    if (!shown() || document.querySelector('dialog[open]')) return;
    Module._polytree_hold();
    try {
      recorder = recorder ?? await import('./record.js');
    } catch (failed) {
      Module._polytree_help_closed();
      Module.notice('The recorder cannot be loaded: is the page offline?');
      return;
    }
    recorder.record({
      fileName,
      command: renderCommand,
      fps: Module._polytree_video_fps(),
      quantizer: Module._polytree_vp9_quantizer(),
      width: canvas.width,
      height: canvas.height,
      open: (width, height) => Module._polytree_video_open(width, height),
      frame: () => Module._polytree_video_frame() === 1,
      close: () => Module._polytree_video_close(),
      memory: () => HEAPU8.buffer,
      error: () => UTF8ToString(Module._polytree_picture_error()),
      notice: Module.notice,
      resume: () => {
        canvas.focus();
        Module._polytree_help_closed();
      },
    });
  });

  // The person edits the fragment of the address.
  window.addEventListener('hashchange', () => {
    if (ready()) Module._polytree_link_changed();
  });

  // The frame on screen: its number (the twist's steps, as polytree-render
  // --frame counts them; null before the first), its segment count, and its
  // view as text (null before the first), which polytree-render --view and
  // the native viewer open.
  const shown = () => ready() && Module._polytree_frame() >= 0;
  Object.defineProperty(window, 'polytree', {
    value: Object.freeze({
      frame: () => (shown() ? Module._polytree_frame() : null),
      segments: () => (ready() ? Module._polytree_segments() : 0),
      view: () => (shown() ? UTF8ToString(Module._polytree_view()) : null),
      link: () => (shown() ? link() : null),
    }),
    enumerable: true,
  });

  // Kept for offline use once the page has loaded, so that the worker's
  // downloads do not compete with the start.
  if ('serviceWorker' in navigator) {
    window.addEventListener('load', () => navigator.serviceWorker.register('service-worker.js').catch(() => {}));
  }
})();
