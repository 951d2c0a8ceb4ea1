# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the desktop tests: start bars, wait for them on the session bus,
# read the player with playerctl, and end every process started here.
# Each test runs under its own Xvfb and private session bus
# (xvfb-run -a dbus-run-session -- bash test.sh BAR MEDIA_DIR).
set -euo pipefail

BAR=${1:?usage: test.sh path/to/murmelvox media-dir}
MEDIA=${2:?usage: test.sh path/to/murmelvox media-dir}
export QT_QPA_PLATFORM=xcb
WORK=$(mktemp -d)
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

STARTED=()
finish() {
    local rc=$?
    for pid in "${STARTED[@]}"; do
        # A stopped process ends only once continued.
        kill "$pid" 2>/dev/null && kill -CONT "$pid" 2>/dev/null || true
    done
    for pid in "${STARTED[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$WORK"
    exit $rc
}
trap finish EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$WORK"/*.log; do
        [[ -e $log ]] && { echo "--- $log" >&2; cat "$log" >&2; }
    done
    exit 1
}

# start_bar NAME [ARGS...]: starts a bar in the background; its pid is in
# $LAST_PID, its output in $WORK/NAME.log.
start_bar() {
    local name=$1; shift
    "$BAR" "$@" >"$WORK/$name.log" 2>&1 &
    LAST_PID=$!
    STARTED+=("$LAST_PID")
}

# wait_until SECONDS COMMAND...: polls every 0.1 s until COMMAND succeeds.
wait_until() {
    local deadline=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# ended PID: the process is gone or only waits to be reaped.
ended() { ! kill -0 "$1" 2>/dev/null || [[ $(ps -o stat= -p "$1") == Z* ]]; }
pc() { playerctl -p murmelvox "$@"; }
# prop NAME: the Player interface's property as dbus-send prints it
prop() {
    dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.murmelvox /org/mpris/MediaPlayer2 \
        org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player string:"$1"
}
on_bus() { pc status; }
status_is() { [[ $(pc status 2>/dev/null) == "$1" ]]; }
title_is() { [[ $(pc metadata xesam:title 2>/dev/null) == "$1" ]]; }

# near A B TOLERANCE: |A - B| <= TOLERANCE (decimals allowed)
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= t) }'; }
position_near() { near "$(pc position)" "$1" "$2"; }

check() {
    local what=$1; shift
    "$@" || fail "$what"
    echo "ok: $what"
}
