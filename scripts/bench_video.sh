#!/usr/bin/env bash
# Times one video job three ways, alternating, on the release build: the
# direct MP4, numbered PNGs joined by the README's ffmpeg command (what users
# of comparable tools are told to do), and a GIF of the same frames; then the
# frame rates of MP4 and WebM at 1080p and 4K; then each output with a
# transparent background (--background none) against its opaque form, same
# frames, alternating. Run it on a quiet machine.
#   bash scripts/bench_video.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-3}"

bash scripts/build.sh --quiet release
render="$PWD/build/release/polytree-render"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

words=(B3 L10 --size 1920x1080 --frames 120)
# Wall seconds, CPU seconds and cores busy of a command, on one line.
timed() {
  local label="$1"
  shift
  /usr/bin/time -f "%e %U %S" -o times "$@" >/dev/null 2>&1
  read -r wall user sys <times
  awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" \
    'BEGIN { printf "%-14s %6.2f s wall %6.2f s CPU %4.2f cores\n", l, w, u + s, (u + s) / w }'
}
# /usr/bin/time runs programs, not shell functions: the PNG job is a script.
cat >pngs_then_ffmpeg.sh <<SCRIPT
rm -rf frames && mkdir frames
"$render" ${words[*]} -o 'frames/turn-%04d.png'
ffmpeg -v error -y -framerate 60 -i 'frames/turn-%04d.png' \\
  -vf scale=out_color_matrix=bt709:out_range=tv -c:v libx264 -crf 18 -pix_fmt yuv420p \\
  -colorspace bt709 -color_primaries bt709 -color_trc bt709 -movflags +faststart joined.mp4
SCRIPT

echo "== $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== ${words[*]}"
for round in $(seq "$rounds"); do
  echo "round $round"
  timed "direct mp4" "$render" "${words[@]}" -o direct.mp4
  timed "png + ffmpeg" bash -e pngs_then_ffmpeg.sh
  timed "gif" "$render" "${words[@]}" -o turn.gif
done
echo "== sizes: direct.mp4 $(stat -c %s direct.mp4), joined.mp4 $(stat -c %s joined.mp4)," \
  "frames $(du -sb frames | cut -f1), turn.gif $(stat -c %s turn.gif) bytes"
echo "== drawing alone: $("$render" B3 L10 --size 1920x1080 --bench 5 | sed 's/.*: //')"
for size in 1920x1080 3840x2160; do
  for format in mp4 webm; do
    start=$(date +%s.%N)
    "$render" B3 L10 --size "$size" --frames 60 -o "rate.$format" 2>/dev/null
    end=$(date +%s.%N)
    awk -v s="$size" -v f="$format" -v a="$start" -v b="$end" -v n="$(stat -c %s "rate.$format")" \
      'BEGIN { printf "%s %-4s %5.1f frames/s, %d bytes for 60 frames\n", s, f, 60 / (b - a), n }'
  done
done
echo "== transparent (--background none) against opaque (black): ${words[*]}"
# Bytes of a file, or of a folder's files.
bytes() { du -sb "$1" | cut -f1; }
for round in $(seq "$rounds"); do
  echo "round $round"
  for out in 'png/turn-%04d.png' turn.gif turn.webm turn.mov; do
    for background in black none; do
      rm -rf png && mkdir png
      line="$(timed "${out##*.} $background" "$render" "${words[@]}" --background "$background" -o "$out")"
      target="$out"
      [ "${out%%/*}" = png ] && target=png
      echo "$line, $(bytes "$target") bytes"
    done
  done
done
