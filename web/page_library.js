// What the page does for the program: the address's option words, the
// dialogs that stand in for the desktop's message boxes, full screen and
// the canvas's size. Called from web/main.cpp; the answers go back through
// the polytree_* functions it exports.
mergeInto(LibraryManager.library, {
  // The query's option words, read as the viewer reads a command line: parts
  // parted by & or + (a space), words of another kind (lang=en, a link
  // tracker's gclid=...) left out.
  page_option_text: function () {
    const words = location.search.slice(1).split('&')
      .filter((part) => part !== '' && !part.includes('='))
      .map((part) => {
        const spaced = part.replace(/\+/g, ' ');
        try {
          return decodeURIComponent(spaced);
        } catch (malformed) {
          return spaced;
        }
      });
    return allocateUTF8(words.join(' '));
  },

  page_prefers_reduced_motion: function () {
    return window.matchMedia('(prefers-reduced-motion: reduce)').matches ? 1 : 0;
  },

  page_can_fullscreen: function () {
    return document.fullscreenEnabled ? 1 : 0;
  },

  page_is_fullscreen: function () {
    return document.fullscreenElement ? 1 : 0;
  },

  // Full screen takes the stage, so that the dialogs show over the figure.
  // A refusal (no gesture, a browser's policy) is the display refusing the
  // mode: the program asks the fallback question.
  page_request_fullscreen: function () {
    document.getElementById('stage').requestFullscreen({ navigationUI: 'hide' })
      .catch(() => Module._polytree_fullscreen_refused());
  },

  page_exit_fullscreen: function () {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  },

  // The display mode's size in CSS pixels, shrunk to fit the room the page
  // has with its aspect kept; in full screen the whole screen. The drawing
  // buffer has the device's pixels, up to two per CSS pixel: past that a
  // one-pixel line gets too thin to see, so the browser scales the buffer up.
  page_fit_canvas: function (width, height) {
    const canvas = document.getElementById('canvas');
    const stage = document.getElementById('stage');
    let shownWidth = width;
    let shownHeight = height;
    if (document.fullscreenElement) {
      shownWidth = window.innerWidth;
      shownHeight = window.innerHeight;
    } else {
      const fit = Math.min(1, stage.clientWidth / width, stage.clientHeight / height);
      shownWidth = Math.max(1, Math.floor(width * fit));
      shownHeight = Math.max(1, Math.floor(height * fit));
    }
    const ratio = Math.min(window.devicePixelRatio || 1, 2);
    canvas.style.width = shownWidth + 'px';
    canvas.style.height = shownHeight + 'px';
    canvas.width = Math.round(shownWidth * ratio);
    canvas.height = Math.round(shownHeight * ratio);
    // Centred by whole pixels: a canvas that starts half-way into a pixel
    // has every line blurred over two.
    canvas.style.marginLeft = Math.max(0, Math.floor((stage.clientWidth - shownWidth) / 2)) + 'px';
    canvas.style.marginTop = Math.max(0, Math.floor((stage.clientHeight - shownHeight) / 2)) + 'px';
  },

  page_ask: function (question, caption, text) {
    const dialog = document.getElementById('question');
    dialog.dataset.question = String(question);
    document.getElementById('question-caption').textContent = UTF8ToString(caption);
    document.getElementById('question-text').textContent = UTF8ToString(text);
    if (!dialog.open) dialog.showModal();
    document.getElementById('yes').focus();
  },

  page_show_help: function (caption, text) {
    document.getElementById('help-caption').textContent = UTF8ToString(caption);
    document.getElementById('help-text').textContent = UTF8ToString(text).replace(/\r\n/g, '\n');
    const dialog = document.getElementById('help');
    if (!dialog.open) dialog.showModal();
    document.getElementById('help-ok').focus();
  },

  page_context_lost: function (lost) {
    document.getElementById('lost').hidden = !lost;
  },

  // The viewer ended (Esc, or No to the fallback question after its
  // notice): the last frame stays, the page says so and offers a new start.
  page_ended: function (caption, text) {
    const said = UTF8ToString(text);
    document.getElementById('ended-caption').textContent = said ? UTF8ToString(caption) : 'PolyTree has ended';
    document.getElementById('ended-text').textContent = said;
    document.getElementById('ended').hidden = false;
    document.getElementById('start-again').focus();
  },

  page_fault: function (text) {
    const fault = document.getElementById('fault');
    fault.textContent = UTF8ToString(text);
    fault.hidden = false;
    document.getElementById('canvas').hidden = true;
    document.getElementById('keys-hint').hidden = true;
  },
});
