#!/usr/bin/env bash
# Joins about 200 MB of generated MP3 input (each file led by an "Info" header frame, as encoders
# write them) with `tessaro-join -q` and with `cat`, on a warm page cache, and prints both times
# and their ratio (best of several runs each). When the window's merge benchmark is built, it
# also times a merge through the main window (offscreen) on the same input.
# Usage: bench/join-vs-cat.sh [build folder]
set -euo pipefail
build=${1:-build}
join=$build/tessaro-join
window=$build/bench_window_merge
files=${BENCH_FILES:-100}
frames=${BENCH_FRAMES:-4800}  # about 2 MB of 128 kbit/s audio per file
runs=${BENCH_RUNS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" "$files" "$frames" <<'PY'
import os, struct, sys
work, files, frames = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def frame(padding):
    # MPEG-1 Layer III, 128 kbit/s, 44100 Hz, no CRC: 417 bytes, 418 with padding. The body
    # holds no 0xFF, as an encoder's output rarely leaves a false sync right behind a frame.
    header = bytes([0xFF, 0xFB, 0x90 | (padding << 1), 0x64])
    return header + os.urandom(413 + padding).replace(b"\xff", b"\x7f")
def info_frame(audio):
    # An encoder's "Info" header frame (flags: frames, bytes, seek table, quality) with a LAME
    # extension, so that the join has a header to rewrite: the output's first frame is one.
    fields = b"Info" + struct.pack(">III", 15, len(audio), 417 + sum(map(len, audio)))
    fields += bytes(100) + struct.pack(">I", 0) + b"LAME3.100" + bytes(27)
    header = bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(32)
    return (header + fields).ljust(417, b"\x00")
tag = b"ID3\x03\x00\x00" + bytes([0, 0, 0x20, 0]) + b"\x00" * 4096  # padded leading tag
for i in range(files):
    with open(os.path.join(work, "in%03d.mp3" % i), "wb") as f:
        f.write(tag)
        audio = [frame(n % 3 == 0) for n in range(frames)]
        f.write(info_frame(audio))
        f.write(b"".join(audio))
        f.write(b"TAG" + b"\x00" * 125)
PY

inputs=("$work"/in*.mp3)
cat "${inputs[@]}" >/dev/null  # warm the page cache
total=$(cat "${inputs[@]}" | wc -c)

best() {  # best wall time in seconds of running "$@" $runs times
    local best="" t0 t1 t
    for _ in $(seq "$runs"); do
        t0=$(date +%s.%N)
        "$@"
        t1=$(date +%s.%N)
        t=$(echo "$t1 - $t0" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}
cat_into() { cat "${inputs[@]}" >"$work/cat.out"; }
join_into() { "$join" -q -o "$work/join.mp3" "${inputs[@]}"; }

t_cat=$(best cat_into)
t_join=$(best join_into)
printf 'input:         %d files, %.1f MB\n' "${#inputs[@]}" "$(echo "$total / 1000000" | bc -l)"
printf 'output:        %.1f MB of frames\n' "$(echo "$(stat -c %s "$work/join.mp3") / 1000000" | bc -l)"
printf 'cat:           %.3f s\n' "$t_cat"
printf 'tessaro-join:  %.3f s\n' "$t_join"
printf 'ratio:         %.2f x cat\n' "$(echo "$t_join / $t_cat" | bc -l)"

if [ -x "$window" ]; then
    t_window=""
    for _ in $(seq "$runs"); do
        t=$(QT_QPA_PLATFORM=offscreen "$window" "$work/window.mp3" "${inputs[@]}" 2>/dev/null)
        if [ -z "$t_window" ] || [ "$(echo "$t < $t_window" | bc -l)" = 1 ]; then t_window=$t; fi
    done
    cmp -s "$work/window.mp3" "$work/join.mp3" || echo "window output differs from tessaro-join's!"
    printf 'window merge:  %.3f s (%.2f x tessaro-join)\n' "$t_window" "$(echo "$t_window / $t_join" | bc -l)"
fi
