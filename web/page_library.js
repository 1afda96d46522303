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

  // The fragment's words: a link's view, and the page's own fill word.
  // Servers never see the fragment.
  page_link_text: function () {
    const spaced = location.hash.slice(1).replace(/\+/g, ' ');
    let text = spaced;
    try {
      text = decodeURIComponent(spaced);
    } catch (malformed) {
      // Kept as it came: the view reader names the word it cannot read.
    }
    return allocateUTF8(text);
  },

  // The address follows the view on screen, in place: the back button
  // leaves the page, however long the figure turned.
  page_follow_view: function (link) {
    history.replaceState(history.state, '', '#' + UTF8ToString(link));
  },

  // What the controls show: the pause button pressed or not, the size
  // buttons only where the size is a display mode's. They keep their room
  // when hidden, first in the bar, so that no other button ever moves.
  page_show_state: function (paused, fill) {
    document.getElementById('pause').setAttribute('aria-pressed', paused ? 'true' : 'false');
    for (const id of ['smaller', 'larger']) document.getElementById(id).style.visibility = fill ? 'hidden' : '';
  },

  page_notice: function (text) {
    Module.notice(UTF8ToString(text));
  },

  page_prefers_reduced_motion: function () {
    return window.matchMedia('(prefers-reduced-motion: reduce)').matches ? 1 : 0;
  },

  // Where the page cannot go full screen, its button keeps its room (first
  // in the bar, so that nothing moves) but shows nothing.
  page_can_fullscreen: function () {
    const can = document.fullscreenEnabled === true;
    document.getElementById('fullscreen').style.visibility = can ? '' : 'hidden';
    return can ? 1 : 0;
  },

  page_is_fullscreen: function () {
    return document.fullscreenElement ? 1 : 0;
  },

  // Full screen takes the stage, so that the dialogs show over the figure.
  // A refusal (no gesture, a browser's policy) is the display refusing the
  // mode: the program asks the fallback question.
  page_request_fullscreen: function () {
    const stage = document.getElementById('stage');
    // iPhone's Safari has no requestFullscreen at all: a refusal too.
    const asked = stage.requestFullscreen ? stage.requestFullscreen({ navigationUI: 'hide' }) : Promise.reject();
    asked.catch(() => Module._polytree_fullscreen_refused());
  },

  page_exit_fullscreen: function () {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  },

  // The whole window, or the display mode's size in CSS pixels shrunk to
  // fit the window with its aspect kept; in full screen the whole screen.
  // The drawing buffer has the device's pixels, up to two per CSS pixel:
  // past that a one-pixel line gets too thin to see, so the browser scales
  // the buffer up. The canvas stays at the stage's corner and is centred by
  // a transform, in whole pixels (a canvas that starts half-way into a
  // pixel has every line blurred over two), so that no size ever shifts the
  // page's layout.
  page_fit_canvas: function (width, height, fill) {
    const canvas = document.getElementById('canvas');
    const stage = document.getElementById('stage');
    let shownWidth = stage.clientWidth;
    let shownHeight = stage.clientHeight;
    if (!fill && !document.fullscreenElement) {
      const fit = Math.min(1, stage.clientWidth / width, stage.clientHeight / height);
      shownWidth = Math.max(1, Math.floor(width * fit));
      shownHeight = Math.max(1, Math.floor(height * fit));
    }
    const ratio = Math.min(window.devicePixelRatio || 1, 2);
    canvas.style.width = shownWidth + 'px';
    canvas.style.height = shownHeight + 'px';
    canvas.width = Math.max(1, Math.round(shownWidth * ratio));
    canvas.height = Math.max(1, Math.round(shownHeight * ratio));
    const left = Math.max(0, Math.floor((stage.clientWidth - shownWidth) / 2));
    const top = Math.max(0, Math.floor((stage.clientHeight - shownHeight) / 2));
    canvas.style.transform = 'translate(' + left + 'px, ' + top + 'px)';
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
    document.getElementById('hint').hidden = true;
    document.getElementById('bar').hidden = true;
  },
});
