# SPDX-License-Identifier: GPL-3.0-or-later
# A session bus that takes the connection and never answers (a stopped
# daemon, a stray listener on its socket): an action gives up within a
# moment, and a bar starts without the bus and keeps running when the bus
# wakes up again.
source "$(dirname "$0")/lib.sh"

/usr/bin/python3 -c '
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(64)
held = []
while True:
    held.append(s.accept()[0])
' "$WORK/listener" &
STARTED+=("$!")
dbus-daemon --session --nofork --address="unix:path=$WORK/stopped" 2>"$WORK/daemon.log" &
daemon=$!
STARTED+=("$daemon")
check "the listener listens" wait_until 10 test -S "$WORK/listener"
check "the daemon listens" wait_until 10 dbus-send --bus="unix:path=$WORK/stopped" --print-reply \
    --dest=org.freedesktop.DBus / org.freedesktop.DBus.GetId
kill -STOP "$daemon"

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
bar_shown() { xdotool search --onlyvisible --pid "$1" >/dev/null; }

for bus in stopped listener; do
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/$bus"
    start=$(now)
    status=0
    env -u DISPLAY timeout 20 "$BAR" --play >"$WORK/act.out" 2>"$WORK/act.err" || status=$?
    took=$(since "$start")
    check "$bus bus: --play ends with status 1 ($status)" [ "$status" = 1 ]
    check "$bus bus: --play gives up within 3 s (${took} s)" near "$took" 0 3
    check "$bus bus: --play says so in one line" [ "$(wc -l <"$WORK/act.err")" = 1 ]
    check "$bus bus: --play says the bus does not answer" grep -q "does not answer" "$WORK/act.err"

    start=$(now)
    start_bar "$bus" "$MEDIA/tone.wav"
    bar=$LAST_PID
    check "$bus bus: the bar shows" wait_until 20 bar_shown "$bar"
    took=$(since "$start")
    check "$bus bus: the bar shows within 3.5 s (${took} s)" near "$took" 0 3.5
    sleep 1
    lines=$(grep -ciE 'murmelvox|dbus' "$WORK/$bus.log" || true)
    check "$bus bus: the bar says it once ($lines)" [ "$lines" = 1 ]
    check "$bus bus: that it runs without the bus" grep -q "does not answer; running without it" "$WORK/$bus.log"
    if [[ $bus == stopped ]]; then
        kill -CONT "$daemon"
        check "the daemon answers again" dbus-send --session --dest=org.freedesktop.DBus / \
            org.freedesktop.DBus.GetId
        sleep 1
    fi
    check "$bus bus: the bar still runs" kill -0 "$bar"
    check "$bus bus: and still shows" bar_shown "$bar"
    kill "$bar"; wait "$bar" 2>/dev/null || true
done
echo PASS
