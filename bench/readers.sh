#!/usr/bin/env bash
# Joins real LAME output of 60 to 90 s in the ways users do (CBR of two bitrates, VBR behind a
# file without header frame, VBR and CBR mixed) and prints, for each join, the length every common
# reader reports next to the length of the audio joined, the largest difference, and how far
# seeking by the header's table lands from its aim on average. Needs lame, ffmpeg, mediainfo,
# sox (with libsox-fmt-mp3), exiftool, mutagen, GStreamer, mpg123 and, if present, mpv.
# Usage: bench/readers.sh [build folder]
set -euo pipefail
build=$(realpath "${1:-build}")
# The frame walk the measurements below share with the other benchmarks.
export PYTHONPATH="$(realpath "$(dirname "$0")")${PYTHONPATH:+:$PYTHONPATH}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Music-like input: a chord whose loudness and noise vary, so that VBR frames vary in size.
ffmpeg -v error -f lavfi -i "aevalsrc='0.3*sin(2*PI*220*t)*(1+sin(t))+0.2*sin(2*PI*331*t)+0.15*sin(2*PI*1250*t)*sin(0.3*t):s=44100:c=stereo'" \
    -f lavfi -i "anoisesrc=d=90:a=0.05:c=pink:r=44100" -filter_complex "[0][1]amix=inputs=2:duration=shortest,aformat=channel_layouts=stereo" \
    -t 90 tone.wav
ffmpeg -v error -i tone.wav -t 60 t60.wav
ffmpeg -v error -i tone.wav -ss 10 -t 72 t72.wav
lame --quiet -b 320 t60.wav cbr320.mp3
lame --quiet -b 128 t72.wav cbr128.mp3
lame --quiet -V 2 tone.wav vbr.mp3
lame --quiet -V 4 t72.wav vbr2.mp3
lame --quiet -t -b 128 t60.wav bare128.mp3  # no header frame

# The length of what a join holds: each input decoded on its own, the encoder's silence at both
# ends included but for the first input's delay and the last one's padding, as players trim them.
decoded() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }

readers() {
    local f=$1
    printf 'ffprobe %s\n' "$(decoded "$f")"
    printf 'ffmpeg-decode %s\n' "$(ffmpeg -v error -i "$f" -f s16le - | wc -c | awk '{print $1/4/44100}')"
    printf 'mediainfo %s\n' "$(mediainfo --Inform='Audio;%Duration%' "$f" | awk '{print $1/1000}')"
    printf 'exiftool %s\n' "$(exiftool -n -s3 -Duration "$f")"
    printf 'soxi %s\n' "$(soxi -D "$f" 2>/dev/null)"
    printf 'sox-decode %s\n' "$(sox "$f" -t s16 -r 44100 -c 2 - 2>/dev/null | wc -c | awk '{print $1/4/44100}')"
    printf 'mutagen %s\n' "$(/usr/bin/python3 -c 'import sys, mutagen.mp3; print(mutagen.mp3.MP3(sys.argv[1]).info.length)' "$f")"
    printf 'mpg123-decode %s\n' "$(mpg123 -q -s "$f" 2>/dev/null | wc -c | awk '{print $1/4/44100}')"
    printf 'gstreamer %s\n' "$(gst-discoverer-1.0 "$f" 2>/dev/null | awk '/Duration:/ {split($2, t, ":"); print t[1]*3600 + t[2]*60 + t[3]}')"
    printf 'gst-decode %s\n' "$(gst-launch-1.0 -q filesrc location="$f" ! decodebin ! audioconvert ! audio/x-raw,format=S16LE,channels=2 ! fdsink fd=1 2>/dev/null | wc -c | awk '{print $1/4/44100}')"
    if command -v mpv >/dev/null; then
        printf 'mpv %s\n' "$(mpv --no-config --ao=null --vo=null --term-playing-msg='DURATION=${=duration}' --end=0.1 "$f" 2>/dev/null | sed -n 's/^DURATION=//p')"
    fi
}

# The length of the audio a join holds: the audio frames of every input (each input's own header
# frame is no audio), less the first input's delay and the last one's padding that players trim.
# The length of the audio a join holds: the audio frames of every input (each input's own header
# frame is no audio), less the first input's delay and the last one's padding that players trim.
audio_length() {
    /usr/bin/python3 - "$@" <<'PY'
import sys
from mp3frames import frames, xing
total, delay, padding = 0.0, 0, 0
for n, path in enumerate(sys.argv[1:]):
    padding = 0
    for i, (_, frame, samples, hz) in enumerate(frames(path)):
        at = xing(frame) if i == 0 else -1
        if at >= 0:
            if frame[at + 120:at + 124] == b"LAME":
                value = int.from_bytes(frame[at + 141:at + 144], "big")
                delay = (value >> 12) + 529 if n == 0 else delay
                padding = value & 0xFFF
        elif i > 0 or frame[36:40] != b"VBRI":
            total += samples / hz
print(total - (delay + padding) / 44100)
PY
}

# Where seeking by the header's table lands, against where it aims (i % of the playing time), in
# seconds over entries 1..99: the mean, the mean of the distances, and the largest distance.
seek_error() {
    /usr/bin/python3 - "$1" <<'PY'
import bisect, sys
from mp3frames import frames, xing
walk = list(frames(sys.argv[1]))
at = xing(walk[0][1])
if at < 0 or not int.from_bytes(walk[0][1][at + 4:at + 8], "big") & 4:
    print("-")
    sys.exit()
head, toc = walk[0][0], walk[0][1][at + 16:at + 116]
size = int.from_bytes(walk[0][1][at + 12:at + 16], "big")
offsets, starts, t = [], [], 0.0
for offset, _, samples, hz in walk[1:]:
    offsets.append(offset - head)
    starts.append(t)
    t += samples / hz
errors = []
for i in range(1, 100):
    landed = bisect.bisect_left(offsets, toc[i] * size / 256)  # the next frame from there
    errors.append(starts[min(landed, len(starts) - 1)] - t * i / 100)
print("%+.3f %.3f %.3f" % (sum(errors) / 99, sum(map(abs, errors)) / 99, max(map(abs, errors))))
PY
}

join() {
    local name=$1
    shift
    "$build/tessaro-join" -q -o "$name.mp3" "$@" 2>/dev/null
    local truth
    truth=$(audio_length "$@")
    echo "== $name: $* (audio $(printf '%.3f' "$truth") s)"
    echo "  seek table: mean error, mean distance, largest distance (s): $(seek_error "$name.mp3")"
    readers "$name.mp3" | while read -r reader length; do
        if [ -z "$length" ]; then
            printf '  %-14s -\n' "$reader"
        else
            printf '  %-14s %8.3f  %+8.3f\n' "$reader" "$length" "$(echo "$length - $truth" | bc -l)"
        fi
    done
}

join cbr320+cbr128 cbr320.mp3 cbr128.mp3
join cbr128+cbr320 cbr128.mp3 cbr320.mp3
join cbr128+vbr cbr128.mp3 vbr.mp3
join bare+vbr bare128.mp3 vbr2.mp3
join vbr+cbr+vbr vbr.mp3 cbr128.mp3 vbr2.mp3
