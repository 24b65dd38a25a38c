#!/usr/bin/env bash
# Joins about 200 MB of generated MP3 input (each file led by an "Info" header frame, as encoders
# write them) with `tessaro-join -q` and copies it with `cat`, on a warm page cache, and prints the
# times (best of several runs each) and the ratios of runs taken one right after the other (their
# median), so that the machine's load falls on all alike: a plain join, one with a tag, and one of
# many small inputs; beside them, the two ways a program can copy the same files, read into one
# reused 1 MiB buffer and written, or mapped and written (bench_copy_baseline), which show what
# reading costs on this host against mapping, the floor a join is measured against: plain (and,
# with the inputs on a disk, once more with the output on /dev/shm), and for
# many small (128 KB) and tiny (16 KB) inputs; then the start-up (the best of 20 runs of
# `--version` and of a one-input join), the join's peak memory and, where lame is installed, the
# processor time a seam costs. When the window's merge
# benchmark is built, it also times a merge through the main window (offscreen) on the same input.
# BENCH_DIR chooses where inputs and outputs lie (a tmpfs such as /dev/shm, say); by default a new
# folder in /tmp.
# Usage: bench/join-vs-cat.sh [build folder]
set -euo pipefail
build=${1:-build}
join=$build/tessaro-join
window=$build/bench_window_merge
baseline=$build/bench_copy_baseline
files=${BENCH_FILES:-100}
frames=${BENCH_FRAMES:-4800}  # about 2 MB of 128 kbit/s audio per file
runs=${BENCH_RUNS:-5}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/join-vs-cat.XXXXXX")
trap 'rm -rf "$work"' EXIT

small_files=${BENCH_SMALL_FILES:-2000}
small_frames=${BENCH_SMALL_FRAMES:-300}  # about 128 KB each
tiny_files=${BENCH_TINY_FILES:-10000}
tiny_frames=${BENCH_TINY_FRAMES:-38}  # about 16 KB each

generate() {  # generate FOLDER FILES FRAMES
mkdir -p "$1"
python3 - "$1" "$2" "$3" <<'PY'
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
    with open(os.path.join(work, "in%05d.mp3" % i), "wb") as f:
        f.write(tag)
        audio = [frame(n % 3 == 0) for n in range(frames)]
        f.write(info_frame(audio))
        f.write(b"".join(audio))
        f.write(b"TAG" + b"\x00" * 125)
PY
}
generate "$work" "$files" "$frames"
generate "$work/small" "$small_files" "$small_frames"
generate "$work/tiny" "$tiny_files" "$tiny_frames"

inputs=("$work"/in*.mp3)
cat "${inputs[@]}" >/dev/null  # warm the page cache
total=$(cat "${inputs[@]}" | wc -c)

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"
cat_into() { cat "${inputs[@]}" >"$work/cat.out"; }
join_into() { "$join" -q -o "$work/join.mp3" "${inputs[@]}"; }
tag_into() {
    "$join" -q --tag --album "Album" --artist "Artist" --title "Title" --year 2026 \
        -o "$work/tagged.mp3" "${inputs[@]}"
}
small=("$work"/small/in*.mp3)
cat "${small[@]}" >/dev/null
small_cat_into() { cat "${small[@]}" >"$work/small-cat.out"; }
small_join_into() { "$join" -q -o "$work/small-join.mp3" "${small[@]}"; }
small_read_into() { "$baseline" read "$work/small-read.out" "${small[@]}"; }
tiny=("$work"/tiny/in*.mp3)
cat "${tiny[@]}" >/dev/null
tiny_join_into() { "$join" -q -o "$work/tiny-join.mp3" "${tiny[@]}"; }
tiny_read_into() { "$baseline" read "$work/tiny-read.out" "${tiny[@]}"; }
read_into() { "$baseline" read "$work/read.out" "${inputs[@]}"; }
# Inputs on a disk, output on a tmpfs: the reading alone then costs what a disk's page cache does.
cross=""
if [ "$(df --output=fstype "$work" | tail -1)" != tmpfs ] && [ -w /dev/shm ]; then
    cross=$(mktemp -d /dev/shm/join-vs-cat-out.XXXXXX)
    trap 'rm -rf "$work" "$cross"' EXIT
fi
cross_cat_into() { cat "${inputs[@]}" >"$cross/cat.out"; }
cross_join_into() { "$join" -q -o "$cross/join.mp3" "${inputs[@]}"; }
cross_read_into() { "$baseline" read "$cross/read.out" "${inputs[@]}"; }
map_into() { "$baseline" map "$work/map.out" "${inputs[@]}"; }

# Each round takes every contender once, one right after the other.
declare -A best ratios cpu_ratios
for _ in $(seq "$runs"); do
    declare -A took=() used=()
    contenders=(cat join tag read map small_cat small_join small_read tiny_join tiny_read)
    [ -z "$cross" ] || contenders+=(cross_cat cross_join cross_read)
    for name in "${contenders[@]}"; do
        read -r "took[$name]" "used[$name]" <<<"$(times_of "${name}_into")"
        best[$name]=$(min "${best[$name]:-}" "${took[$name]}")
    done
    for pair in join/cat tag/cat read/cat map/cat join/read small_join/small_cat \
        small_join/small_read tiny_join/tiny_read ${cross:+cross_join/cross_read cross_read/cross_cat}; do
        ratios[$pair]+="$(echo "${took[${pair%/*}]} / ${took[${pair#*/}]}" | bc -l) "
        cpu_ratios[$pair]+="$(echo "${used[${pair%/*}]} / ${used[${pair#*/}]}" | bc -l) "
    done
done
ratio() {  # the median ratio of the rounds' wall times, A/B, and of their processor times
    # shellcheck disable=SC2086
    local of=${1#*/}
    of=${of#small_}
    of=${of#tiny_}
    printf '%.2f x %s (processor time %.2f x)' "$(median ${ratios[$1]})" "${of#cross_}" \
        "$(median ${cpu_ratios[$1]})"
}
cmp -s "$work/read.out" "$work/map.out" || echo "the two copies differ!"
peak=$(/usr/bin/time -f %M "$join" -q -o "$work/peak.mp3" "${inputs[@]}" 2>&1 >/dev/null | tail -1)
machine="bare metal"
if grep -qw hypervisor /proc/cpuinfo; then
    machine="a virtual machine$(dmesg 2>/dev/null | sed -n 's/.*Hypervisor detected: / of /p' | head -1)"
fi
printf 'host:          %s, %d cores, %s, Linux %s; load average %s\n' \
    "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)" "$(nproc)" "$machine" \
    "$(uname -r)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'where:         %s (%s)\n' "$work" "$(df --output=fstype "$work" | tail -1)"
printf 'input:         %d files, %.1f MB\n' "${#inputs[@]}" "$(echo "$total / 1000000" | bc -l)"
printf 'output:        %.1f MB of frames\n' "$(echo "$(stat -c %s "$work/join.mp3") / 1000000" | bc -l)"
printf 'median of %d rounds, each taking the lines below one right after the other:\n' "$runs"
printf 'cat:           %.3f s\n' "${best[cat]}"
printf 'tessaro-join:  %.3f s  %s\n' "${best[join]}" "$(ratio join/cat)"
printf '               %s\n' "$(ratio join/read)"
printf 'with --tag:    %.3f s  %s\n' "${best[tag]}" "$(ratio tag/cat)"
printf 'read:          %.3f s  %s, into one 1 MiB buffer and written\n' "${best[read]}" \
    "$(ratio read/cat)"
printf 'map:           %.3f s  %s, 8 MiB at a time and written\n' "${best[map]}" \
    "$(ratio map/cat)"
if [ -n "$cross" ]; then
    printf 'to a tmpfs:    cat %.3f s; read %.3f s  %s; tessaro-join %.3f s  %s\n' \
        "${best[cross_cat]}" "${best[cross_read]}" "$(ratio cross_read/cross_cat)" \
        "${best[cross_join]}" "$(ratio cross_join/cross_read)"
fi
printf 'small inputs:  %d files: cat %.3f s, tessaro-join %.3f s  %s\n' "${#small[@]}" \
    "${best[small_cat]}" "${best[small_join]}" "$(ratio small_join/small_cat)"
printf '               read %.3f s; tessaro-join %s\n' "${best[small_read]}" \
    "$(ratio small_join/small_read)"
printf 'tiny inputs:   %d files: read %.3f s, tessaro-join %.3f s  %s\n' "${#tiny[@]}" \
    "${best[tiny_read]}" "${best[tiny_join]}" "$(ratio tiny_join/tiny_read)"
version_best="" one_best=""
for _ in $(seq 20); do
    read -r took _ <<<"$(times_of "$join" --version)"
    version_best=$(min "$version_best" "$took")
    read -r took _ <<<"$(times_of "$join" -q -o "$work/one.mp3" "${tiny[0]}")"
    one_best=$(min "$one_best" "$took")
done
printf 'start-up:      --version %.1f ms, a one-input join %.1f ms (best of 20)\n' \
    "$(echo "$version_best * 1000" | bc -l)" "$(echo "$one_best * 1000" | bc -l)"
printf 'peak memory:   %d KB (maximum resident set of the plain join)\n' "$peak"
# Per seam: 20 one-second LAME pieces joined plainly, with --seamless and with --seamless --gap 2,
# the processor time each seam adds to the plain join (best of 3 each).
if command -v lame >/dev/null; then
    mkdir -p "$work/seams"
    python3 - "$work/seams/piece.raw" <<'PY'
import math, struct, sys
out = bytearray()
for i in range(44100):
    v = int(8000 * math.sin(2 * math.pi * 440 * i / 44100))
    out += struct.pack("<hh", v, v)
open(sys.argv[1], "wb").write(out)
PY
    pieces=()
    for i in $(seq 20); do
        lame --quiet -r -s 44.1 -b 128 "$work/seams/piece.raw" "$work/seams/$i.mp3" 2>/dev/null
        pieces+=("$work/seams/$i.mp3")
    done
    seam_cpu() {  # the best processor time of 3 joins of the pieces with options "$@"
        local least="" used
        for _ in 1 2 3; do
            read -r _ used <<<"$(times_of "$join" -q "$@" -o "$work/seams/out.mp3" "${pieces[@]}")"
            least=$(min "$least" "$used")
        done
        echo "$least"
    }
    plain=$(seam_cpu) seamless=$(seam_cpu --seamless) gapped=$(seam_cpu --seamless --gap 2)
    per_seam() { echo "($1 - $plain) * 1000 / (${#pieces[@]} - 1)" | bc -l; }
    printf 'per seam:      --seamless %.1f ms, --seamless --gap 2 %.1f ms of processor time\n' \
        "$(per_seam "$seamless")" "$(per_seam "$gapped")"
fi
if [ -x "$window" ]; then
    t_window=""
    for _ in $(seq "$runs"); do
        t=$(QT_QPA_PLATFORM=offscreen "$window" "$work/window.mp3" "${inputs[@]}" 2>/dev/null)
        if [ -z "$t_window" ] || [ "$(echo "$t < $t_window" | bc -l)" = 1 ]; then t_window=$t; fi
    done
    cmp -s "$work/window.mp3" "$work/join.mp3" || echo "window output differs from tessaro-join's!"
    printf 'window merge:  %.3f s (%.2f x tessaro-join)\n' "$t_window" \
        "$(echo "$t_window / ${best[join]}" | bc -l)"
fi
