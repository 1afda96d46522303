#!/usr/bin/env bash
# Sets up the machine, builds polytree.exe and runs it under Wine.
#
#   bash scripts/run.sh [option words...]     e.g. bash scripts/run.sh B5 L4 G4
#   bash scripts/run.sh --native [option words...]
#   bash scripts/run.sh --web
#
# --web builds the web page (web preset) and serves it on 127.0.0.1 until
# Ctrl+C; it prints the address to open. POLYTREE_WEB_PORT picks the port
# (default 8000).
#
# --native builds the native Linux viewer (polytree, SDL2, release preset)
# and runs it on the display instead; it needs one (DISPLAY or
# WAYLAND_DISPLAY) and returns the viewer's exit code.
#
# With DISPLAY set the viewer runs on that display and the script returns its
# exit code. Without DISPLAY it runs on a private Xvfb: the script answers No
# to the full-screen question, lets the figure draw for a few seconds, saves a
# screenshot as polytree-screenshot.png in the current directory, quits the
# viewer with Esc and returns the viewer's exit code.
set -euo pipefail

caller_dir="$(pwd)"
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--web" ]; then
  bash scripts/build.sh web
  port="${POLYTREE_WEB_PORT:-8000}"
  echo "run: the page is at http://127.0.0.1:$port/ (options as a query: http://127.0.0.1:$port/?B5+L4+G4); Ctrl+C stops"
  exec python3 -m http.server --bind 127.0.0.1 --directory build/web/page "$port"
fi

if [ "${1:-}" = "--native" ]; then
  shift
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: --native needs a display (DISPLAY or WAYLAND_DISPLAY)" >&2
    exit 1
  fi
  bash scripts/build.sh release
  exec build/release/polytree "$@"
fi

bash scripts/build.sh windows
exe="$PWD/build/windows/polytree.exe"

export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/polytree/wineprefix}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"

caption='PolyTree - Polygon Tree Viewer'
caption_pattern='^PolyTree - Polygon Tree Viewer$'
question_pattern='^Start FullScreen\?$'

ensure_prefix() {
  if [ -f "$WINEPREFIX/system.reg" ]; then
    return
  fi
  echo "run: creating the Wine prefix $WINEPREFIX (takes a few seconds)"
  mkdir -p "$(dirname "$WINEPREFIX")"
  # To a file: wineserver inherits the output and would hold a pipe open.
  wineboot -i >"$(dirname "$WINEPREFIX")/wineboot.log" 2>&1
  wineserver -w
}

if [ -n "${DISPLAY:-}" ]; then
  ensure_prefix
  set +e
  wine "$exe" "$@"
  status=$?
  set -e
  exit "$status"
fi

# ---- no display: a private X server and a screenshot -------------------------

work="$(mktemp -d)"
xvfb_pid=""
viewer_pid=""

# shellcheck disable=SC2317  # reached through the trap
cleanup() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then
    kill -KILL "$viewer_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Polls a command until it succeeds, for at most the given seconds.
poll() {
  local seconds="$1"
  shift
  local tries=$((seconds * 10))
  while [ "$tries" -gt 0 ]; do
    if "$@"; then
      return 0
    fi
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

start_xvfb() {
  local number
  for number in $(seq 100 199); do
    if [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; then
      continue
    fi
    : >"$work/displayfd"
    # Xvfb writes its number to fd 3 once it takes clients, or exits when
    # the number was taken meanwhile. -noreset: by default it resets when
    # its last client (one of the polls below) leaves, and refuses Wine if
    # Wine connects just then; Wine then runs without its X driver and the
    # viewer cannot open a window.
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp -noreset -displayfd 3 \
      3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    if poll 15 grep -q . "$work/displayfd" && kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$number"
      return 0
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  echo "run: no free X display found" >&2
  return 1
}

viewer_alive() { kill -0 "$viewer_pid" 2>/dev/null; }

find_window() {
  xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 || true
}

wait_window() {
  local pattern="$1" id=""
  local tries=300
  while [ "$tries" -gt 0 ]; do
    id="$(find_window "$pattern")"
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    viewer_alive || return 1
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

# Taps a key in a window: Wine takes only real (XTEST) input, so the window
# gets the focus first. The key stays down long enough for one frame.
tap() {
  xdotool windowfocus --sync "$1"
  sleep 0.3
  xdotool keydown "$2"
  sleep 0.15
  xdotool keyup "$2"
}

finish() {
  local status=0
  if poll 20 bash -c "! kill -0 $viewer_pid 2>/dev/null"; then
    wait "$viewer_pid" || status=$?
  else
    echo "run: the viewer did not quit; ending it" >&2
    kill -KILL "$viewer_pid" 2>/dev/null || true
    wait "$viewer_pid" 2>/dev/null || true
    status=1
  fi
  viewer_pid=""
  return "$status"
}

start_xvfb
ensure_prefix
echo "run: viewer on the private display $DISPLAY"
wine "$exe" "$@" >"$work/viewer.log" 2>&1 &
viewer_pid=$!

status=0
if ! question="$(wait_window "$question_pattern")"; then
  echo "run: the start-up question did not show" >&2
  finish || status=$?
  exit "$status"
fi
tap "$question" n

if ! window="$(wait_window "$caption_pattern")"; then
  echo "run: the window \"$caption\" did not open" >&2
  finish || status=$?
  exit "$status"
fi

sleep 3  # let the figure wind up for a while
screenshot="$caller_dir/polytree-screenshot.png"
xwd -id "$window" -silent | convert xwd:- "png:$screenshot"
echo "run: screenshot saved to $screenshot"

tap "$window" Escape
finish || status=$?
echo "run: the viewer exited with code $status"
exit "$status"
