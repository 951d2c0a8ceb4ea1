# SPDX-License-Identifier: GPL-3.0-or-later
# A file on a share that stopped answering, handed to the real program: it is
# refused in time, the next file plays, and the bar, ended with one of the
# engine's threads stuck in the read, frees its name on the bus at once for
# the next launch.
#   hung_share.sh BAR MEDIA_DIR HUNGFS   (under xvfb-run and dbus-run-session)
source "$(dirname "$0")/../desktop/lib.sh"
HUNGFS=${3:?usage: hung_share.sh BAR MEDIA_DIR HUNGFS}

# A bar stuck in the read cannot end, nor be killed, until the share goes:
# the share goes first, then lib.sh ends the bars.
SHARE=$WORK/share
SHARE_PID=
end_share() {
    local rc=$?
    set +e
    if [[ -n $SHARE_PID ]]; then
        kill -9 "$SHARE_PID" 2>/dev/null || true
        wait "$SHARE_PID" 2>/dev/null || true
    fi
    fusermount3 -u -z -q "$SHARE" 2>/dev/null || true
    for pid in "${STARTED[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
    done
    (exit $rc)
    finish
}
trap end_share EXIT

mkdir -p "$SHARE"
setpriv --pdeathsig KILL "$HUNGFS" "$SHARE" >"$WORK/hungfs.log" 2>&1 &
SHARE_PID=$!
check "the hung share is mounted" wait_until 10 grep -q mounted "$WORK/hungfs.log"
HUNG=$SHARE/hung.wav

can_play() { grep -q "boolean $1" <<<"$(prop CanPlay)"; }
name_owner_pid() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetConnectionUnixProcessID string:org.mpris.MediaPlayer2.murmelvox 2>/dev/null |
        awk '/uint32/ { print $2 }'
}
name_free() { [[ -z $(name_owner_pid) ]]; }
bar_window_gone() { ! xwininfo -root -tree | grep -q '("murmelvox" "murmelvox")'; }
bar_window_shown() { ! bar_window_gone; }
# within SECONDS COMMAND...: COMMAND succeeds within SECONDS (decimals allowed).
within() {
    local limit=$1; shift
    local start=$EPOCHREALTIME
    until "$@"; do
        awk -v s="$start" -v n="$EPOCHREALTIME" -v l="$limit" 'BEGIN { exit !(n - s > l) }' && return 1
        sleep 0.05
    done
}
# start_owner NAME: a new bar, which takes the name.
start_owner() {
    start_bar "$1"
    check "$1 appears on the bus" wait_until 20 on_bus
    check "$1 owns the name" [ "$(name_owner_pid)" = "$LAST_PID" ]
    check "$1 shows its window" wait_until 10 bar_window_shown
}

start_owner first
bar=$LAST_PID
pc open "file://$HUNG" 2>/dev/null || true
check "the hung file cannot be played" can_play false
pc open "file://$MEDIA/tone.wav"
check "the next file opens" wait_until 10 title_is tone.wav
check "and can be played" can_play true
pc play
check "and plays" wait_until 5 status_is Playing
p1=$(pc position); sleep 0.6; p2=$(pc position)
check "the position advances" awk -v a="$p1" -v b="$p2" 'BEGIN { exit !(b - a > 0.3) }'

# Quit with a thread of the engine stuck in a read.
pc open "file://$HUNG" 2>/dev/null || true
check "the hung file again cannot be played" can_play false
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.murmelvox /org/mpris/MediaPlayer2 \
    org.mpris.MediaPlayer2.Quit >/dev/null 2>&1 || true
check "Quit frees the name within a second" within 1 name_free
check "and the bar's window is gone" within 1 bar_window_gone
start_owner "the launch after Quit"

# A second launch hands the hung file over; then SIGTERM.
timeout 20 "$BAR" "$HUNG" >"$WORK/handover.log" 2>&1 || true
check "the handed-over hung file cannot be played" can_play false
kill -TERM "$LAST_PID"
check "SIGTERM frees the name within a second" within 1 name_free
check "and the bar's window is gone" within 1 bar_window_gone
start_owner "the launch after SIGTERM"
echo PASS
