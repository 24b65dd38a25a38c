#!/usr/bin/env bash
# Splits about 200 MB of LAME-encoded audio into 40 parts with `tessaro-split -q --every` and
# copies the same bytes with `cat`, on a warm page cache, and prints the best of several runs each
# and the median ratio of runs taken one right after the other; then `--at-silence` against one
# plain decode of the same file (mpg123 to /dev/null), the detector's own cost.
# BENCH_DIR chooses where the files lie (a tmpfs such as /dev/shm, say); by default /tmp.
# Usage: bench/split-vs-cat.sh [build folder]
set -euo pipefail
build=${1:-build}
split=$build/tessaro-split
join=$build/tessaro-join
runs=${BENCH_RUNS:-5}
megabytes=${BENCH_MEGABYTES:-200}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/split-vs-cat.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Five minutes of tones with a second of silence every minute, encoded once, joined with itself
# up to the size asked for.
python3 - "$work/piece.raw" <<'PY'
import math, struct, sys
rate, out = 44100, bytearray()
for i in range(rate * 300):
    t = i / rate
    quiet = int(t) % 60 == 59
    v = 0 if quiet else int(8000 * math.sin(2 * math.pi * (220 + 40 * math.sin(t)) * t))
    out += struct.pack("<hh", v, v)
open(sys.argv[1], "wb").write(out)
PY
lame --quiet -r -s 44.1 -b 128 "$work/piece.raw" "$work/piece.mp3"
copies=$(( megabytes * 1000000 / $(stat -c %s "$work/piece.mp3") + 1 ))
inputs=()
for _ in $(seq "$copies"); do inputs+=("$work/piece.mp3"); done
"$join" -q -o "$work/whole.mp3" "${inputs[@]}"
size=$(stat -c %s "$work/whole.mp3")
seconds=$(( copies * 300 ))
mkdir -p "$work/parts"

now() { date +%s.%N; }
best() { sort -g | head -1; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

split_times=() cat_times=() ratios=() silence_times=() decode_times=() silence_ratios=()
for _ in $(seq "$runs"); do
    a=$(now); "$split" -q --force --every $(( seconds / 40 )) -o "$work/parts" "$work/whole.mp3"
    b=$(now); cat "$work/whole.mp3" > "$work/copy.mp3"
    c=$(now)
    s=$(echo "$b - $a" | bc -l) k=$(echo "$c - $b" | bc -l)
    split_times+=("$s") cat_times+=("$k") ratios+=("$(echo "$s / $k" | bc -l)")
done
for _ in $(seq "$runs"); do
    a=$(now); "$split" -q --force --at-silence=0.5 -o "$work/parts" "$work/whole.mp3"
    b=$(now); mpg123 -q -t "$work/whole.mp3"
    c=$(now)
    s=$(echo "$b - $a" | bc -l) d=$(echo "$c - $b" | bc -l)
    silence_times+=("$s") decode_times+=("$d") silence_ratios+=("$(echo "$s / $d" | bc -l)")
done
printf 'input: %d bytes, %d s of audio, in %s\n' "$size" "$seconds" "$work"
printf 'split into 40 parts: %.3f s (best)   cat: %.3f s   ratio (median): %.2f\n' \
    "$(printf '%s\n' "${split_times[@]}" | best)" "$(printf '%s\n' "${cat_times[@]}" | best)" \
    "$(printf '%s\n' "${ratios[@]}" | median)"
printf 'split at silences: %.3f s (best)   one decode: %.3f s   ratio (median): %.2f\n' \
    "$(printf '%s\n' "${silence_times[@]}" | best)" "$(printf '%s\n' "${decode_times[@]}" | best)" \
    "$(printf '%s\n' "${silence_ratios[@]}" | median)"
