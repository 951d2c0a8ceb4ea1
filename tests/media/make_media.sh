#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Generates the media files the playback tests and benchmarks play.
#   make_media.sh OUTDIR
# tone.wav      20 s of 440 Hz, interrupted by 0.25 s of silence starting at
#               5, 10 and 15 s (marks a test can find in the decoded audio)
# speech.mp3    about 30 s of synthetic speech (espeak-ng), MP3 by sox
# truncated.mp3 the first third of speech.mp3, cut mid-frame
# empty.mp3     0 bytes
# text.mp3      a text file with an audio file's name
# short.wav     2 s of 440 Hz, also copied under awkward names (names/)
# left-only.wav 2 s of stereo: 440 Hz on the left, silence on the right
# video.mp4     3 s of a test picture with a 440 Hz tone
# silent-video.mp4  2 s of a test picture, no sound
set -euo pipefail
out=${1:?usage: make_media.sh OUTDIR}
mkdir -p "$out/names"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

rate=44100
tone() { sox -n -q -r $rate -c 1 -b 16 "$1" synth "$2" sine 440 vol 0.5; }
silence() { sox -n -q -r $rate -c 1 -b 16 "$1" trim 0 "$2"; }

tone "$tmp/t5.wav" 5
tone "$tmp/t475.wav" 4.75
silence "$tmp/gap.wav" 0.25
sox -q "$tmp/t5.wav" "$tmp/gap.wav" "$tmp/t475.wav" "$tmp/gap.wav" "$tmp/t475.wav" \
    "$tmp/gap.wav" "$tmp/t475.wav" "$out/tone.wav"

text="This is a dictation for the transcription tests. The typist listens and writes.
Paragraph one. The patient was seen today in the clinic for a follow up visit.
She reports that the pain in her left knee has improved since the last visit.
Paragraph two. The meeting will take place on the third of March at ten o'clock.
Please bring the signed contract, the invoices, and the list of open questions.
Paragraph three. Numbers follow: one, two, three, four, five, six, seven, eight, nine, ten.
End of dictation. Thank you."
espeak-ng -s 130 -w "$tmp/speech.wav" "$text"
sox -q "$tmp/speech.wav" -r $rate -c 1 "$out/speech.mp3"

size=$(stat -c %s "$out/speech.mp3")
head -c $((size / 3 + 17)) "$out/speech.mp3" > "$out/truncated.mp3"
: > "$out/empty.mp3"
printf 'This is not audio.\nJust some text with an audio name.\n' > "$out/text.mp3"

tone "$out/short.wav" 2
silence "$tmp/s2.wav" 2
sox -q -M "$out/short.wav" "$tmp/s2.wav" "$out/left-only.wav"
for name in "with blank.wav" "quote'single.wav" 'quote"double.wav' "semi;colon.wav" \
            $'new\nline.wav' "Grüße ünïcödé.wav" "dollar\$HOME \`x\`.wav"; do
  cp "$out/short.wav" "$out/names/$name"
done
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
ff -f lavfi -i testsrc=size=160x120:rate=10 -f lavfi -i sine=frequency=440:sample_rate=$rate \
   -t 3 -c:v mpeg4 -c:a aac -shortest "$out/video.mp4"
ff -f lavfi -i testsrc=size=160x120:rate=10 -t 2 -c:v mpeg4 "$out/silent-video.mp4"
echo "media written to $out"
