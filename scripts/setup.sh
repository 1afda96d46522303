#!/usr/bin/env bash
# Installs the Debian packages PolyTree needs to build, run and test.
# Idempotent; run as root (apt-get, no sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  # native build and unit tests
  cmake make g++ libgtest-dev
  libegl-dev libgl-dev libglu1-mesa-dev libegl-mesa0 libgl1-mesa-dri
  libwine-dev
  # the off-screen renderer's file formats; its videos through FFmpeg's
  # libraries (found by pkg-config), ffprobe and ffmpeg to check them, GNU
  # Parallel for a render split over cores and machines; cairo writes its
  # PDFs, and rsvg-convert, pdftoppm and numpy check its plotter files
  libpng-dev libgif-dev libcairo2-dev librsvg2-bin poppler-utils python3-numpy
  pkg-config libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg parallel
  # the render farm's test: an sshd of its own on 127.0.0.1, rsync for
  # GNU Parallel's --return
  openssh-server rsync
  # polytree-render's arguments
  libcli11-dev
  # the native viewer's window, GL context, events and message boxes; SDL's
  # message boxes on X draw with the core fonts, which Xvfb alone lacks
  libsdl2-dev xfonts-base
  # the vertex-buffer path: its matrices, and OpenGL ES 3 natively
  libglm-dev libgles-dev
  # the web page: Emscripten (offline, with its prebuilt libraries), and the
  # browsers and Node.js its tests drive it with
  emscripten chromium firefox-esr nodejs
  # the fuzzer of the command line (libFuzzer)
  clang-14 libclang-rt-14-dev
  # Windows cross build
  g++-mingw-w64-x86-64
  # running and driving the real program; the harness's X calls and pictures
  wine wine64 xvfb xauth xdotool x11-apps x11-utils imagemagick python3 python3-xlib python3-pil
  # the native viewer's clipboard, read while it runs
  xclip
  # the XScreenSaver hack: its daemon (tests), xscreensaver-gl-visual, and
  # gears to measure it against; an X server with two monitors side by side
  xscreensaver xscreensaver-gl xserver-xorg-core xserver-xorg-video-dummy
  # reading the program's PE header and resources
  python3-pefile
  # the Debian package: Debian's hardening flags and dpkg-shlibdeps, its
  # manual pages, and the tools that judge it
  dpkg-dev scdoc lintian appstream desktop-file-utils
  # the shells whose completion of the programs' flags is tested
  bash-completion zsh fish
  # packing the programs' icon (scripts/icon.sh)
  icoutils
  # the Windows installer (NSIS's makensis, with its amd64-unicode stubs),
  # its shortcut read back by lnkinfo, its package managers' YAML read back
  nsis liblnk-utils python3-yaml
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

# The npm packages, exactly as each package-lock.json pins them: the web
# tests' browser drivers and Lighthouse, and the muxer the page's recorder
# ships; nothing is downloaded when they are all there.
install_npm_packages() {
  local package
  for package in playwright-core puppeteer-core lighthouse; do
    if [ ! -d "tests/web/node_modules/$package" ]; then
      (cd tests/web && npm ci --no-audit --no-fund --silent)
      break
    fi
  done
  if [ ! -f web/node_modules/mediabunny/package.json ]; then
    (cd web && npm ci --no-audit --no-fund --silent)
  fi
}

if [ "${#missing[@]}" -eq 0 ]; then
  install_npm_packages
  echo "setup: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}" >&2
  echo "setup: run this script as root to install them" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
install_npm_packages
