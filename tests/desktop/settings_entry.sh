# SPDX-License-Identifier: GPL-3.0-or-later
# The menu entry's Settings, run as the menu runs it (the command from the
# desktop file, stderr unseen): it shows the settings of the bar running, and
# with no bar it starts one that shows them.
source "$(dirname "$0")/lib.sh"

entry=${MURMELVOX_DESKTOP_FILE:?the built desktop file}
command=$(sed -n '/^\[Desktop Action settings\]/,/^\[/ s/^Exec=murmelvox //p' "$entry")
read -r -a options <<<"$command"
check "the Settings action runs murmelvox with options ($command)" [ "${#options[@]}" -ge 1 ]

settings_shown() { xdotool search --onlyvisible --name "^Murmelvox Settings$" >/dev/null; }

start_bar bar "$MEDIA/tone.wav"; bar=$LAST_PID
check "the bar appears on the session bus" wait_until 20 on_bus
check "with its file" wait_until 10 title_is tone.wav
check "no settings yet" bash -c '! xdotool search --onlyvisible --name "^Murmelvox Settings$"'
# Ending by itself, it started no second bar.
timeout 20 "$BAR" "${options[@]}" >"$WORK/running.log" 2>&1 \
    || fail "with a bar running, the Settings action did not end by itself with success"
check "with a bar running: its settings show" wait_until 5 settings_shown
check "the bar still runs" kill -0 "$bar"
check "the bar keeps its file" title_is tone.wav
kill "$bar"; wait "$bar" 2>/dev/null || true
check "that bar gone" wait_until 10 bash -c '! playerctl -p murmelvox status'

start_bar menu "${options[@]}"; menu=$LAST_PID
check "with no bar: a bar starts" wait_until 20 on_bus
check "and shows its settings" wait_until 10 settings_shown
check "that bar keeps running" kill -0 "$menu"
check "with no file open" status_is Stopped
check "and nothing on stderr is about a file" bash -c "! grep -q 'file' '$WORK/menu.log'"
echo PASS
