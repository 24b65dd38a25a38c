#!/usr/bin/env bash
# Times re-encoding an input of another format: `tessaro-join --conform` joining a short 44.1 kHz
# input and a long 48 kHz one, which it decodes, resamples and encodes in the first one's format,
# against `lame` encoding the same audio from a 44.1 kHz WAV at the same settings; prints both
# times and their ratio (best of several runs each, and the median of paired runs), once with a
# CBR first input and once with a VBR one (-V 2). Needs ffmpeg (with libmp3lame) and lame.
# BENCH_DIR chooses where inputs and outputs lie; by default a new folder in /tmp.
# Usage: bench/conform.sh [build folder]
set -euo pipefail
build=${1:-build}
join=$build/tessaro-join
seconds=${BENCH_SECONDS:-120}
runs=${BENCH_RUNS:-5}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/conform.XXXXXX")
trap 'rm -rf "$work"' EXIT

music() {  # a music-like piece: a chord with vibrato over pink noise, at RATE Hz, SECONDS long
    ffmpeg -v error -f lavfi -i "aevalsrc=0.3*sin(2*PI*220*t+3*sin(2*PI*5*t))+0.2*sin(2*PI*330.5*t)|0.25*sin(2*PI*277.2*t)+0.2*sin(2*PI*440*t):s=$1:d=$2" \
        -f lavfi -i "anoisesrc=c=pink:a=0.05:r=$1:d=$2" \
        -filter_complex "[1]pan=stereo|c0=c0|c1=c0[n];[0][n]amix=inputs=2:normalize=0" "${@:3}"
}
music 48000 "$seconds" -c:a libmp3lame -b:a 192k "$work/other.mp3"
# What lame is given: the same audio as the join decodes it, already at the first one's rate.
ffmpeg -v error -i "$work/other.mp3" -af aresample=44100:resampler=soxr -c:a pcm_s16le \
    "$work/other.wav"

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"

# Times the functions "$1" (the other tool) and "$2" (the join) by turns, so that the machine's
# load falls on both alike, and prints the best time of each, named "$3" and "$4", and the median
# of the ratios of the paired runs.
compare() {
    local t_other="" t_join="" ratios=() other joined
    for _ in $(seq "$runs"); do
        other=$(seconds_of "$1")
        joined=$(seconds_of "$2")
        ratios+=("$(echo "$joined / $other" | bc -l)")
        t_other=$(min "$t_other" "$other")
        t_join=$(min "$t_join" "$joined")
    done
    printf '  %-24s  %.3f s\n' "$3:" "$t_other"
    printf '  %-24s  %.3f s  %.2f x %s\n' "tessaro-join --conform:" "$t_join" \
        "$(echo "$t_join / $t_other" | bc -l)" "$4"
    printf '  median of %d paired runs: %.2f x %s\n' "$runs" "$(median "${ratios[@]}")" "$4"
}

printf 'input to re-encode: %d s at 48 kHz, %d cores\n' "$seconds" "$(nproc)"
for settings in "-b 160" "-V 2"; do
    # shellcheck disable=SC2086  # the settings are words for lame
    music 44100 2 -f wav - | lame --quiet $settings - "$work/first.mp3"
    # shellcheck disable=SC2086
    encode() { lame --quiet $settings "$work/other.wav" "$work/lame.mp3"; }
    conform() { "$join" -q --conform -o "$work/joined.mp3" "$work/first.mp3" "$work/other.mp3"; }
    printf 'lame %s:\n' "$settings"
    compare encode conform "lame from a WAV" lame
done

# Many short misfits: one-second pieces at 48 kHz behind the first, against ffmpeg decoding,
# resampling and encoding them all, as one stream, at the same settings.
small=${BENCH_SMALL:-200}
music 44100 2 -f wav - | lame --quiet -b 160 - "$work/first.mp3"
for i in $(seq "$small"); do
    music 48000 1 -c:a libmp3lame -b:a 128k "$work/small$i.mp3"
    echo "file '$work/small$i.mp3'" >>"$work/small.txt"
done
smalls=("$work"/small*.mp3)
encode() {
    ffmpeg -v error -y -f concat -safe 0 -i "$work/small.txt" \
        -af aresample=44100:resampler=soxr -c:a libmp3lame -b:a 160k "$work/ffmpeg.mp3"
}
conform() { "$join" -q --conform -o "$work/joined.mp3" "$work/first.mp3" "${smalls[@]}"; }
printf '%d misfits of 1 s at 48 kHz:\n' "$small"
compare encode conform "ffmpeg re-encoding them" ffmpeg
