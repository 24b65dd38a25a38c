#!/usr/bin/env bash
# Times levelling: `tessaro-join --level` on a set of MP3 files recorded at different levels
# against `mpg123 -t`, which only decodes them, and prints both times and their ratio (best of
# several runs each), then the loudness ffmpeg's EBU R128 filter measures of each input and of
# each piece of the levelled join. Needs ffmpeg (with libmp3lame) and mpg123. BENCH_DIR chooses
# where inputs and outputs lie; by default a new folder in /tmp.
# Usage: bench/level.sh [build folder]
set -euo pipefail
build=${1:-build}
join=$build/tessaro-join
files=${BENCH_FILES:-8}
seconds=${BENCH_SECONDS:-120}
runs=${BENCH_RUNS:-5}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/level.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Music-like pieces: a chord with vibrato over pink noise, each at its own level (0 to -28 dB).
for i in $(seq 0 $((files - 1))); do
    ffmpeg -v error -f lavfi -i "aevalsrc=0.3*sin(2*PI*220*t+3*sin(2*PI*5*t))+0.2*sin(2*PI*330.5*t)|0.25*sin(2*PI*277.2*t)+0.2*sin(2*PI*440*t):s=44100:d=$seconds" \
        -f lavfi -i "anoisesrc=c=pink:a=0.05:r=44100:d=$seconds" \
        -filter_complex "[1]pan=stereo|c0=c0|c1=c0[n];[0][n]amix=inputs=2:normalize=0,volume=-$((i * 4))dB" \
        -c:a libmp3lame -b:a 160k "$work/in$i.mp3"
done
inputs=("$work"/in*.mp3)
cat "${inputs[@]}" >/dev/null  # warm the page cache

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"
lufs() {  # integrated loudness of FILE, from SECONDS on, for DURATION seconds
    ffmpeg -nostats -ss "$2" -t "$3" -i "$1" -af ebur128 -f null - 2>&1 |
        awk '/Integrated loudness:/ {found=1} found && /I:/ {print $2; exit}'
}

# Taken by turns, so that the machine's load falls on both alike: the best time of each, and the
# median of the ratios of the runs taken one right after the other.
t_decode="" t_level="" t_copy="" ratios=()
for _ in $(seq "$runs"); do
    decode=$(seconds_of mpg123 -q -t "${inputs[@]}")
    level=$(seconds_of "$join" -q --level -o "$work/levelled.mp3" "${inputs[@]}")
    ratios+=("$(echo "$level / $decode" | bc -l)")
    t_decode=$(min "$t_decode" "$decode")
    t_level=$(min "$t_level" "$level")
    t_copy=$(min "$t_copy" "$(seconds_of "$join" -q -o "$work/plain.mp3" "${inputs[@]}")")
done
median=$(median "${ratios[@]}")
printf 'inputs:              %d files of %d s, %d cores\n' "$files" "$seconds" "$(nproc)"
printf 'mpg123 -t:           %.3f s\n' "$t_decode"
printf 'tessaro-join --level: %.3f s  %.2f x mpg123 -t\n' "$t_level" \
    "$(echo "$t_level / $t_decode" | bc -l)"
printf 'median of %d paired runs: %.2f x mpg123 -t\n' "$runs" "$median"
printf 'tessaro-join:         %.3f s (without levelling)\n' "$t_copy"
for i in $(seq 0 $((files - 1))); do
    printf 'piece %d: %6s LUFS alone, %6s LUFS levelled\n' "$i" \
        "$(lufs "$work/in$i.mp3" 1 $((seconds - 2)))" \
        "$(lufs "$work/levelled.mp3" $((i * seconds + 1)) $((seconds - 2)))"
done
