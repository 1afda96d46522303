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

  function closeHelp() {
    if (!help.open) return;
    help.close();
    canvas.focus();
    Module._polytree_help_closed();
  }
  document.getElementById('help-ok').addEventListener('click', closeHelp);
  help.addEventListener('cancel', (event) => {
    event.preventDefault();
    closeHelp();
  });
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

  // A drag of the mouse's left button, a pen or a finger turns the scene.
  // A press hands over its own position first, so that a drag starts from
  // there and not from where the last one ended.
  function pointer(event, down) {
    if (!event.isPrimary || !ready()) return;
    const box = canvas.getBoundingClientRect();
    Module._polytree_pointer(Math.round(event.clientX - box.left), Math.round(event.clientY - box.top), down ? 1 : 0);
  }
  canvas.addEventListener('pointerdown', (event) => {
    if (!event.isPrimary) return;
    canvas.focus();
    canvas.setPointerCapture(event.pointerId);
    pointer(event, false);
  });
  canvas.addEventListener('pointermove', (event) => pointer(event, (event.buttons & 1) !== 0));

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
    }),
    enumerable: true,
  });
})();
