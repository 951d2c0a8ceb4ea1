#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Soak: the real program plays a file under Xvfb while random hot keys,
# clicks on the bar and bookmark operations arrive every few hundred ms.
# Reports RSS at warm-up and at the end, CPU over the run and lost bookmarks;
# fails when the program dies, stops answering (a Set not in the file within
# 5 s) or a bookmark goes missing. Memory and CPU are reported, not judged.
#
#   tests/hardening/soak.sh [--seconds N] [--exe PATH] [--media FILE]
#     defaults: an hour, build/murmelvox, a generated speech MP3
#   e.g. xvfb-run -a -s "-screen 0 1024x768x24" tests/hardening/soak.sh
# Needs a display (DISPLAY) with XTEST; the test suite runs 120 s of it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seconds=3600
exe=$here/../../build/murmelvox
media=
while (($#)); do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --exe) exe=$2; shift 2 ;;
    --media) media=$2; shift 2 ;;
    *) echo "soak: unknown argument $1" >&2; exit 64 ;;
  esac
done
: "${DISPLAY:?soak needs an X display}"

work=$(mktemp -d /tmp/murmelvox-soak.XXXXXX)
pid=
cleanup() { [[ -n $pid ]] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
# The bookmark file lives beside the program: run a copy from a folder of
# our own, with a HOME of our own for the settings.
mkdir -p "$work/bin" "$work/home"
cp "$exe" "$work/bin/murmelvox"
if [[ -z $media ]]; then
  media=$work/speech.mp3
  bash "$here/../media/make_media.sh" "$work/media" >/dev/null
  cp "$work/media/speech.mp3" "$media"
fi
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export QT_QPA_PLATFORM=xcb
bookmarks=$work/bin/bookmark.ini

"$work/bin/murmelvox" 2>"$work/stderr.log" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | head -1)
eval "$(xdotool getwindowgeometry --shell "$wid")"
bx=$X by=$Y
click() { xdotool mousemove $((bx + $1)) $((by + $2)) click "${3:-1}"; }
alive() { kill -0 "$pid" 2>/dev/null || { echo "soak: the program died" >&2; tail -20 "$work/stderr.log" >&2; exit 1; }; }
lines() { [[ -f $bookmarks ]] || { echo 0; return; }; grep -c '[0-9]' "$bookmarks" || true; }
# A message box or a dialog would stop the bar: none may show. (Popups and
# tool tips carry the program's name in lower case and come and go.)
stray_window() {
  local w name
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    [[ $w == "$wid" ]] && continue
    name=$(xdotool getwindowname "$w" 2>/dev/null || true)
    [[ $name == Murmelvox* ]] && { echo "soak: unexpected window: $name" >&2; return 0; }
  done
  return 1
}

# Open the file through the open button and its dialog, play, show the panel.
# The dialog may map, unmap and map again while it sets itself up, so an id
# found early can vanish: let it settle, then type through the keyboard focus.
opened=
for _ in 1 2 3; do
  click 278 8
  dlg=$(timeout 20 xdotool search --sync --onlyvisible --name 'Select a Voice file' | tail -1)
  sleep 0.5
  if xdotool windowfocus --sync "$dlg" 2>/dev/null; then
    xdotool type --delay 1 "$media"
    xdotool key Return
    opened=1
    break
  fi
done
[[ -n $opened ]] || { echo "soak: the open dialog did not take the file" >&2; exit 1; }
for _ in $(seq 100); do xdotool search --onlyvisible --name 'Select a Voice file' >/dev/null || break; sleep 0.1; done
sleep 0.5
click 30 9            # playButton: play
click 296 8           # panelButton: expand
sleep 4

rss_kb() { awk '/^VmRSS:/{print $2}' "/proc/$pid/status"; }
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
clk=$(getconf CLK_TCK)
start=$(date +%s)
warm_at=$((start + (seconds / 10 > 30 ? seconds / 10 : 30)))
warm_rss=
c0=$(ticks)
sets=0
max_rss=0
next_sample=$start

while (( $(date +%s) < start + seconds )); do
  alive
  case $((RANDOM % 20)) in
    0|1|2|3) xdotool key F8 ;;                               # Fast Forward
    4|5|6|7) xdotool key F5 ;;                               # Fast Rewind
    8) xdotool key F6; sleep 0.$((RANDOM % 5 + 1)); xdotool key F6 ;;   # pause, play on
    9) xdotool key F4 ;;                                     # Full Rewind
    10) click 30 9 ;;                                        # play
    11) click 44 9; sleep 0.3; click 30 9 ;;                 # pause, play
    12) click $((97 + RANDOM % 68)) 50 ;;                    # pitch 0.5x to 1.5x
    13) click $((88 + RANDOM % 109)) 66 ;;                   # wind count
    14) xdotool mousemove $((bx + 232)) $((by + 13)) click --repeat 2 --delay 80 1 ;;  # elapsed/remaining
    15) click 92 86; sleep 0.3; xdotool key Down Return ;;   # jump to a bookmark
    *) # Set: the file must gain the line, which also shows the bar answers
       before=$(lines)
       click 144 90
       sets=$((sets + 1))
       ok=0
       for _ in $(seq 50); do (( $(lines) > before )) && { ok=1; break; }; sleep 0.1; done
       ((ok)) || { alive; echo "soak: Set #$sets not in the file after 5 s" >&2; exit 1; }
       ;;
  esac
  if stray_window; then exit 1; fi
  now=$(date +%s)
  if ((now >= next_sample)); then
    r=$(rss_kb); ((r > max_rss)) && max_rss=$r
    [[ -z $warm_rss && $now -ge $warm_at ]] && warm_rss=$r
    next_sample=$((now + 10))
  fi
  sleep 0.$((RANDOM % 4 + 2))
done
alive
end=$(date +%s)
c1=$(ticks)
end_rss=$(rss_kb)
kept=$(lines)
: "${warm_rss:=$end_rss}"
awk -v s="$seconds" -v w="$warm_rss" -v e="$end_rss" -v m="$max_rss" -v c="$((c1 - c0))" -v hz="$clk" \
    -v t="$((end - start))" -v sets="$sets" -v kept="$kept" 'BEGIN {
  printf "soak: %d s, %d bookmarks set, %d in the file\n", t, sets, kept
  printf "soak: RSS after warm-up %.1f MB, at the end %.1f MB (growth %+.2f MB), peak %.1f MB\n", w/1024, e/1024, (e-w)/1024, m/1024
  printf "soak: CPU %.2f %% of one core\n", 100 * c / hz / t }'
if ((kept != sets)); then
  echo "soak: $((sets - kept)) bookmarks lost" >&2
  exit 1
fi
