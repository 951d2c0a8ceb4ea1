# SPDX-License-Identifier: GPL-3.0-or-later
# Files from outside: a file on the command line opens at start-up; a second
# launch hands its file to the running bar and ends; two launches at once
# leave one bar; without a session bus the bar runs as before.
source "$(dirname "$0")/lib.sh"

# A file on the command line, as a relative path.
(cd "$MEDIA" && exec "$BAR" tone.wav >"$WORK/first.log" 2>&1) &
first=$!
STARTED+=("$first")
check "the first bar appears on the session bus" wait_until 20 on_bus
check "the file from the command line is open" wait_until 10 title_is tone.wav
check "it is not started" status_is Stopped

# A second launch with a relative path from another directory.
(cd "$MEDIA/names" && exec timeout 20 "$BAR" "with blank.wav" >"$WORK/second.log" 2>&1) \
    || fail "the second launch did not end by itself with success"
check "the second launch handed its file over" title_is "with blank.wav"
check "the first bar still runs" kill -0 "$first"

# A file:// URI (percent-encoded).
timeout 20 "$BAR" "file://$MEDIA/names/Gr%C3%BC%C3%9Fe%20%C3%BCn%C3%AFc%C3%B6d%C3%A9.wav" >"$WORK/third.log" 2>&1 \
    || fail "the launch with a URI did not end with success"
check "a URI is handed over" title_is "Grüße ünïcödé.wav"

# No file: the running bar comes to the front; nothing else changes.
timeout 20 "$BAR" >"$WORK/fourth.log" 2>&1 || fail "the launch without a file did not end with success"
check "a launch without a file opens nothing" title_is "Grüße ünïcödé.wav"
check "it says the bar is running" grep -q "already running" "$WORK/fourth.log"

# Refused arguments never reach the running bar, and the launch fails as it
# would without one.
timeout 20 "$BAR" "https://example.com/a.mp3" >"$WORK/fifth.log" 2>&1 || true
check "a web address is refused" grep -q "only local files" "$WORK/fifth.log"
check "the running bar keeps its file" title_is "Grüße ünïcödé.wav"
mkfifo "$WORK/fifo"
for refused in "https://example.com/a.mp3" /dev/zero "$MEDIA/names" "$WORK/fifo" "$MEDIA/absent memo.wav"; do
    status=0
    timeout 20 "$BAR" "$refused" >"$WORK/refused.log" 2>&1 || status=$?
    check "refused $refused: the launch ends with status 1 ($status)" [ "$status" = 1 ]
    check "refused $refused: one line says why" [ "$(wc -l <"$WORK/refused.log")" = 1 ]
done
check "the running bar still keeps its file" title_is "Grüße ünïcödé.wav"
check "the first bar still runs after all launches" kill -0 "$first"

# A name in Latin-1 bytes (older dictation systems wrote such names) is
# handed over by its bytes and plays.
printf -v latin1 'Gr\xfc\xdfe.wav'
cp "$MEDIA/tone.wav" "$WORK/$latin1"
timeout 20 "$BAR" "$WORK/$latin1" >"$WORK/latin1-second.log" 2>&1 || fail "the launch with a Latin-1 name did not end with success"
check "a Latin-1 name is handed over and shown readably" title_is "Grüße.wav"

# Commands from the bus keep working after the hand-overs.
pc play
check "the bar answers after hand-overs" wait_until 5 status_is Playing

# A file the running bar's engine cannot play: the launch fails with the
# bar's reason.
echo "no sound in here" >"$WORK/not media.wav"
status=0
timeout 20 "$BAR" "$WORK/not media.wav" >"$WORK/unplayable.log" 2>&1 || status=$?
check "an unplayable file: the launch ends with status 1 ($status)" [ "$status" = 1 ]
check "an unplayable file: it gives the bar's reason" grep -q "did not take the request: ." "$WORK/unplayable.log"
check "an unplayable file: the bar runs on" kill -0 "$first"
kill "$first"; wait "$first" 2>/dev/null || true
check "the name goes with the bar" wait_until 10 bash -c '! playerctl -p murmelvox status'

# Two launches at the same moment: one bar, showing one of the two files.
start_bar racer1 "$MEDIA/tone.wav"; racer1=$LAST_PID
start_bar racer2 "$MEDIA/short.wav"; racer2=$LAST_PID
check "one of the racing launches is on the bus" wait_until 20 on_bus
alive() { local n=0; for p in "$racer1" "$racer2"; do kill -0 "$p" 2>/dev/null && n=$((n + 1)); done; echo $n; }
one_left() { [[ $(alive) == 1 ]]; }
check "the other racing launch ended" wait_until 20 one_left
title=$(pc metadata xesam:title 2>/dev/null || true)
check "the remaining bar has one of the files ($title)" wait_until 10 \
    bash -c '[[ $(playerctl -p murmelvox metadata xesam:title) == @(tone.wav|short.wav) ]]'
for p in "$racer1" "$racer2"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
check "racers gone" wait_until 10 bash -c '! playerctl -p murmelvox status'

# Another program under the player's name that answers as a player would:
# the launch tells it is no bar, and fails; stopped, it fails as quickly.
/usr/bin/python3 "$(dirname "$0")/squatter.py" &
squatter=$!
STARTED+=("$squatter")
check "the squatter holds the name" wait_until 10 \
    bash -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
             string:org.mpris.MediaPlayer2.murmelvox | grep -q "boolean true"'
status=0
timeout 20 "$BAR" "$MEDIA/tone.wav" >"$WORK/squatted.log" 2>&1 || status=$?
check "a squatter: the launch ends with status 1 ($status)" [ "$status" = 1 ]
check "a squatter: one line says it is not Murmelvox" \
    bash -c "[ \$(wc -l <'$WORK/squatted.log') = 1 ] && grep -q 'not Murmelvox' '$WORK/squatted.log'"
kill -STOP "$squatter"
start=$(date +%s.%N)
status=0
timeout 20 "$BAR" "$MEDIA/tone.wav" >"$WORK/stopped.log" 2>&1 || status=$?
took=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
check "a stopped squatter: the launch ends with status 1 ($status)" [ "$status" = 1 ]
check "a stopped squatter: within 3.5 s ($took s)" near "$took" 0 3.5
check "a stopped squatter: it says so" grep -q "does not answer" "$WORK/stopped.log"
kill "$squatter"; kill -CONT "$squatter"; wait "$squatter" 2>/dev/null || true
check "squatter gone" wait_until 10 bash -c '! dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.mpris.MediaPlayer2.murmelvox | grep -q "boolean true"'

# A Latin-1 name on the first launch's command line opens and plays.
start_bar latin1 "$WORK/$latin1"; latin1_bar=$LAST_PID
check "a bar started with a Latin-1 name is on the bus" wait_until 20 on_bus
check "with that file open" wait_until 10 title_is "Grüße.wav"
pc play
check "and it plays" wait_until 5 status_is Playing
kill "$latin1_bar"; wait "$latin1_bar" 2>/dev/null || true
check "that bar gone" wait_until 10 bash -c '! playerctl -p murmelvox status'

# A missing file on the command line: the bar starts (showing the name struck
# through, as test_mpris checks) and stderr says why.
start_bar missing "$MEDIA/absent memo.wav"; missing=$LAST_PID
check "a bar started with a missing file is on the bus" wait_until 20 on_bus
check "with no file open" status_is Stopped
check "and stderr says why" grep -q "no such file" "$WORK/missing.log"
kill "$missing"; wait "$missing" 2>/dev/null || true
check "that bar gone" wait_until 10 bash -c '! playerctl -p murmelvox status'

# Without a session bus: the bar runs, with one line on stderr at most.
DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/no-bus" start_bar nobus "$MEDIA/tone.wav"
nobus=$LAST_PID
sleep 3
check "without a session bus the bar runs" kill -0 "$nobus"
# (The audio libraries' own complaints about a machine without sound are
# not ours to count.)
lines=$(grep -ciE 'murmelvox|dbus' "$WORK/nobus.log" || true)
check "without a session bus one line on stderr ($lines)" [ "$lines" -le 1 ]
check "and it says why" grep -q "no D-Bus session bus" "$WORK/nobus.log"

# With no bus announced at all, no bus daemon is started for the bar (it
# would outlive it).
kill "$nobus"; wait "$nobus" 2>/dev/null || true
env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$WORK/runtime" "$BAR" "$MEDIA/tone.wav" >"$WORK/unannounced.log" 2>&1 &
unannounced=$!
STARTED+=("$unannounced")
sleep 3
check "with no bus announced the bar runs" kill -0 "$unannounced"
check "and says so" grep -q "no D-Bus session bus" "$WORK/unannounced.log"
# A bus started on demand announces itself on this test's own display and
# notes its process in this test's HOME.
if xprop -root _DBUS_SESSION_BUS_ADDRESS | grep -q '='; then
    for note in "$HOME"/.dbus/session-bus/*; do
        pid=$(sed -n 's/^DBUS_SESSION_BUS_PID=//p' "$note")
        [[ -n $pid ]] && kill "$pid"
    done
    fail "a bus daemon was started for the bar"
fi
echo "ok: no bus daemon was started for it"
echo PASS
