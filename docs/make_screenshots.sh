#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots of the bar, collapsed and expanded, at 1x and
# at 2x (QT_SCALE_FACTOR=2), on a private Xvfb server with a plain desktop
# background. Needs a built program (build/murmelvox), xvfb, xdotool,
# x11-utils and imagemagick.
#   bash docs/make_screenshots.sh [path/to/murmelvox]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/murmelvox}
out=docs
display=:$((80 + RANDOM % 100))

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
bar=
cleanup() {
  [[ -n "$bar" ]] && kill "$bar" 2>/dev/null || true
  [[ -n "${backdrop:-}" ]] && kill "$backdrop" 2>/dev/null || true
  rm -f "${backdrop_file:-}"
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A desktop to show the bar against: a window filling the screen, mapped
# before the bar, so below it.
backdrop_file=$(mktemp --suffix=.png)
convert -size 1024x768 gradient:'#4a7fa8'-'#23465f' "$backdrop_file"
display -geometry 1024x768+0+0 -borderwidth 0 "$backdrop_file" &
backdrop=$!
sleep 1

shoot() { # scale name-suffix
  local scale=$1 suffix=$2
  QT_SCALE_FACTOR=$scale HOME=$(mktemp -d) "$program" >/dev/null 2>&1 &
  bar=$!
  local win=
  for _ in $(seq 100); do
    win=$(xdotool search --name '^Murmelvox - Kelvaro$' 2>/dev/null | head -1) && [[ -n "$win" ]] && break
    sleep 0.1
  done
  sleep 1
  local x w
  x=$(xwininfo -id "$win" | awk '/Absolute upper-left X/ {print $4}')
  w=$(xwininfo -id "$win" | awk '/Width/ {print $2}')
  local margin=$((12 * scale))
  local cx=$((x - margin)) cw=$((w + 2 * margin))
  import -window root -crop "${cw}x$((18 * scale + margin))+${cx}+0" +repage "$out/bar-collapsed$suffix.png"
  # panelButton, the expand button, at (287, 2) in the window, 18 x 13
  xdotool mousemove $((x + (287 + 9) * scale)) $((8 * scale)) click 1
  for _ in $(seq 100); do
    [[ $(xwininfo -id "$win" | awk '/Height/ {print $2}') == $((139 * scale)) ]] && break
    sleep 0.1
  done
  sleep 0.5
  # move the pointer off the bar so no hover look is captured
  xdotool mousemove 5 700
  sleep 0.3
  import -window root -crop "${cw}x$((139 * scale + margin))+${cx}+0" +repage "$out/bar-expanded$suffix.png"
  kill "$bar"; wait "$bar" 2>/dev/null || true
  bar=
}

shoot 1 ""
shoot 2 "@2x"
echo "wrote $out/bar-collapsed.png $out/bar-expanded.png and their @2x twins"
