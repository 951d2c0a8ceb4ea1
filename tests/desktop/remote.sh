# SPDX-License-Identifier: GPL-3.0-or-later
# The command line's actions against the real program: each reaches the
# running bar and returns; with no bar each says so in one line, ends with
# status 1 and starts no bar. None needs a display.
source "$(dirname "$0")/lib.sh"

ACTIONS=(play-pause play pause stop wind-back wind-forward to-start settings copy-timestamp insert-timestamp)

# act NAME: runs one action as a desktop's key binding would, without a
# display; its output is in $WORK/act.out and $WORK/act.err.
act() { env -u DISPLAY timeout 10 "$BAR" "--$1" >"$WORK/act.out" 2>"$WORK/act.err"; }
# sent NAME: the action went to the running bar and printed nothing.
sent() { act "$1" && [ ! -s "$WORK/act.out" ] && [ ! -s "$WORK/act.err" ]; }
# seconds: the Position property in seconds (playerctl shows 0 while stopped)
seconds() { prop Position | awk '/int64/ { printf "%.3f", $3 / 1e6 }'; }
at() { near "$(seconds)" "$1" 0.05; }

for action in "${ACTIONS[@]}"; do
    status=0
    act "$action" || status=$?
    check "no bar: --$action ends with status 1 ($status)" [ "$status" = 1 ]
    check "no bar: --$action says so in one line" [ "$(wc -l <"$WORK/act.err")" = 1 ]
    check "no bar: --$action says no bar runs" grep -q "not running" "$WORK/act.err"
    check "no bar: --$action started none" bash -c '! playerctl -p murmelvox status'
done

for query in timestamp "goto 0:10"; do
    status=0
    # shellcheck disable=SC2086 # the option and its value
    env -u DISPLAY timeout 10 "$BAR" --$query >"$WORK/act.out" 2>"$WORK/act.err" || status=$?
    check "no bar: --$query ends with status 1 ($status)" [ "$status" = 1 ]
    check "no bar: --$query says no bar runs, in one line" \
        bash -c "[ \$(wc -l <'$WORK/act.err') = 1 ] && grep -q 'not running' '$WORK/act.err'"
done

status=0
DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/no-bus" act play || status=$?
check "no session bus: --play ends with status 1 ($status)" [ "$status" = 1 ]
check "no session bus: one line says so" [ "$(wc -l <"$WORK/act.err")" = 1 ]

status=0
env -u DISPLAY "$BAR" --help >"$WORK/help.out" 2>&1 || status=$?
check "--help without a display ends with success" [ "$status" = 0 ]
for action in "${ACTIONS[@]}"; do
    check "--help lists --$action" grep -q -- "--$action " "$WORK/help.out"
done
for option in open-settings version timestamp goto; do
    check "--help lists --$option" grep -q -- "--$option " "$WORK/help.out"
done
status=0
env -u DISPLAY DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/no-bus" "$BAR" --version \
    >"$WORK/version.out" 2>"$WORK/version.err" || status=$?
check "--version without a display or bus ends with success ($status)" [ "$status" = 0 ]
check "--version prints the name and version" \
    [ "$(cat "$WORK/version.out")" = "murmelvox ${MURMELVOX_PROJECT_VERSION:?}" ]
check "--version says nothing else" [ ! -s "$WORK/version.err" ]
status=0
env -u DISPLAY "$BAR" --play "$MEDIA/tone.wav" >"$WORK/misused.log" 2>&1 || status=$?
check "an action with a file is refused with status 2 ($status)" [ "$status" = 2 ]
check "and starts no bar" bash -c '! playerctl -p murmelvox status'

start_bar bar "$MEDIA/tone.wav"
check "the bar appears on the session bus" wait_until 20 on_bus
check "with its file" wait_until 10 title_is tone.wav

check "--play is sent" sent play
check "--play: Playing" wait_until 5 status_is Playing
check "--pause is sent" sent pause
check "--pause: Paused" wait_until 5 status_is Paused
check "--play-pause is sent" sent play-pause
check "--play-pause while paused: Playing" wait_until 5 status_is Playing
check "--play-pause again is sent" sent play-pause
check "--play-pause while playing: Paused" wait_until 5 status_is Paused
pc position 10
check "--wind-forward is sent" sent wind-forward
check "--wind-forward: 3 s on" wait_until 5 at 13
check "--wind-back is sent" sent wind-back
check "--wind-back: 3 s back" wait_until 5 at 10
check "--to-start is sent" sent to-start
check "--to-start: at the start" wait_until 5 at 0
check "--to-start leaves it paused" status_is Paused
pc position 10
check "--stop is sent" sent stop
check "--stop: Stopped" wait_until 5 status_is Stopped
check "--stop: at the start" wait_until 5 at 0
check "--settings is sent" sent settings
check "--settings: the settings window shows" \
    wait_until 5 bash -c 'xdotool search --onlyvisible --name "^Murmelvox Settings$" >/dev/null'
check "the bar still runs" kill -0 "$LAST_PID"

# An unknown option is refused in one line, never handed over as a file.
for option in --foo --PLAY --play=1 -; do
    status=0
    env -u DISPLAY timeout 10 "$BAR" "$option" >"$WORK/unknown.out" 2>"$WORK/unknown.err" || status=$?
    check "$option is refused with status 2 ($status)" [ "$status" = 2 ]
    check "$option: one line" [ "$(wc -l <"$WORK/unknown.err")" = 1 ]
    check "$option: it names the option and --help" grep -qF -- "option $option (see murmelvox --help)" "$WORK/unknown.err"
done
check "the bar keeps its file" title_is tone.wav

# Timestamps: printed, gone to, typed into the focused window.
goto() { env -u DISPLAY timeout 10 "$BAR" --goto "$1" >"$WORK/act.out" 2>"$WORK/act.err"; }
pc position 10
check "--timestamp prints the position" [ "$(env -u DISPLAY "$BAR" --timestamp)" = "[00:00:10]" ]
check "--goto is sent" goto "(0:05,5)"
check "--goto: there" at 5.5
for bad in soon 5 "-0:05" "1:2"; do
    status=0
    goto "$bad" || status=$?
    check "--goto $bad ends with status 1 ($status)" [ "$status" = 1 ]
    check "--goto $bad: one line says so" bash -c "[ \$(wc -l <'$WORK/act.err') = 1 ] && grep -qF -- '$bad' '$WORK/act.err'"
    check "--goto $bad: the position is untouched" at 5.5
done
xterm -e sh -c "echo \$WINDOWID >'$WORK/window'; stty raw -echo; exec cat >'$WORK/typed'" &
STARTED+=("$!")
check "an xterm to type into" wait_until 10 test -s "$WORK/window"
xdotool windowfocus --sync "$(cat "$WORK/window")"
check "--insert-timestamp is sent" sent insert-timestamp
check "--insert-timestamp: typed into the xterm" wait_until 5 grep -qxF "[00:00:05]" "$WORK/typed"
check "--goto past the end: at the end" goto 1:00:00
check "--goto past the end: at the end" at 20
echo PASS
