# SPDX-License-Identifier: GPL-3.0-or-later
# playerctl against the real program: status, play/pause, position, open,
# Next/Previous by the wind step, rate, and refusals.
source "$(dirname "$0")/lib.sh"

start_bar bar
check "the bar appears on the session bus" wait_until 20 on_bus
check "no file: Stopped" status_is Stopped
pc play 2>/dev/null || true   # playerctl itself refuses while CanPlay is false
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.murmelvox /org/mpris/MediaPlayer2 \
    org.mpris.MediaPlayer2.Player.Play >/dev/null
check "Play with no file does nothing" status_is Stopped
check "no file: no track" grep -q '"/org/mpris/MediaPlayer2/TrackList/NoTrack"' <<<"$(prop Metadata)"
check "no file: cannot play" grep -q 'boolean false' <<<"$(prop CanPlay)"

pc open "file://$MEDIA/tone.wav"
check "open: the title is the file's name" wait_until 10 title_is tone.wav
check "open: the URL is the file" [ "$(pc metadata xesam:url)" = "file://$MEDIA/tone.wav" ]
check "open: the length is 20 s" near "$(pc metadata mpris:length)" 20000000 50000
check "open does not start playback" status_is Stopped

pc play
check "play: Playing" wait_until 5 status_is Playing
p1=$(pc position); sleep 1; p2=$(pc position)
check "playing: the position advances" awk -v a="$p1" -v b="$p2" 'BEGIN { exit !(b - a > 0.5 && b - a < 1.6) }'

pc play-pause
check "play-pause while playing: Paused" wait_until 5 status_is Paused
p1=$(pc position); sleep 0.5; p2=$(pc position)
check "paused: the position holds" near "$p1" "$p2" 0.05
pc play-pause
check "play-pause while paused: Playing" wait_until 5 status_is Playing
pc pause
check "pause: Paused" wait_until 5 status_is Paused

pc position 10
check "position 10" position_near 10 0.05
pc position 2+
check "position 2+ seeks relative" position_near 12 0.05
pc position 30
check "a position past the end is ignored" position_near 12 0.05

# The default wind count is 520: a step of 3 s.
pc next
check "next winds forward 3 s" position_near 15 0.05
pc previous
pc previous
check "previous winds back 3 s" position_near 9 0.05
pc position 19
pc next
check "next stops short of the end" position_near 19 0.05

dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.murmelvox /org/mpris/MediaPlayer2 \
    org.freedesktop.DBus.Properties.Set string:org.mpris.MediaPlayer2.Player string:Rate variant:double:1.5 >/dev/null
rate() { prop Rate | awk '/double/ { print $3 }'; }
check "rate set through the pitch track" near "$(rate)" 1.5 0.001

pc stop
check "stop: Stopped at 0" wait_until 5 status_is Stopped
check "stop: back to the start" position_near 0 0.05

if pc open "https://example.com/dictation.mp3" 2>/dev/null; then
    # playerctl does not report the error on every version; the file stays.
    :
fi
check "a web address is not opened" title_is tone.wav
if dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.murmelvox /org/mpris/MediaPlayer2 \
    org.mpris.MediaPlayer2.Player.OpenUri string:"http://example.com/a.mp3" >/dev/null 2>&1; then
    fail "OpenUri accepted a web address"
fi
echo "ok: OpenUri refuses a web address with an error"
if dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.murmelvox /org/mpris/MediaPlayer2 \
    org.mpris.MediaPlayer2.Player.OpenUri string:"file://$MEDIA/absent.wav" >/dev/null 2>&1; then
    fail "OpenUri accepted a missing file"
fi
echo "ok: OpenUri refuses a missing file with an error"

check "the bar is still running" kill -0 "$LAST_PID"

# Quit does what the exit button does: the bar ends.
bar=$LAST_PID
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.murmelvox /org/mpris/MediaPlayer2 \
    org.mpris.MediaPlayer2.Quit >/dev/null 2>&1 || true
check "Quit ends the bar" wait_until 10 ended "$bar"
check "and its name leaves the bus" wait_until 10 bash -c '! playerctl -p murmelvox status'
echo PASS
