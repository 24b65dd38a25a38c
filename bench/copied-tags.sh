#!/usr/bin/env bash
# Times `tessaro-join --copy-tags --chapters --sort=track` on two small inputs whose ID3v2 tags
# hold many text frames (BENCH_TAG_FRAMES each, 40,000 by default, all shared), and on half as
# many: the ratio of the two times shows how the time grows with the frames (2 where it grows in
# proportion, 4 where it grows with their square). Then the same join of two inputs that share one
# text frame of BENCH_TEXT_MB megabytes (50 by default), with its peak memory. Each time is the
# best of several runs, next to the plain join of the same inputs. BENCH_DIR chooses where inputs
# and outputs lie; by default a new folder in /tmp.
# Usage: bench/copied-tags.sh [build folder]
set -euo pipefail
build=${1:-build}
join=$build/tessaro-join
frames=${BENCH_TAG_FRAMES:-40000}
text_mb=${BENCH_TEXT_MB:-50}
runs=${BENCH_RUNS:-5}
work=$(mktemp -d "${BENCH_DIR:-/tmp}/copied-tags.XXXXXX")
trap 'rm -rf "$work"' EXIT

generate() {  # generate FILE TRACK FRAMES TEXT_BYTES: an ID3v2.4 tag, then 200 audio frames
python3 - "$@" <<'PY'
import sys
path, track, frames, text = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])
def frame(frame_id, body):  # UTF-8 text behind its encoding byte
    return frame_id + syncsafe(len(body) + 1) + b"\x00\x00\x03" + body
body = [frame(b"TIT2", b"Track %d" % track), frame(b"TRCK", b"%d" % track),
        frame(b"TALB", b"Album")]
body += [frame(b"TXXX", b"field %d\x00value %d" % (i, i)) for i in range(frames)]
if text:
    body.append(frame(b"TCOM", b"c" * text))
body = b"".join(body)
def audio(padding):  # MPEG-1 Layer III, 128 kbit/s, 44.1 kHz
    return bytes([0xFF, 0xFB, 0x90 | (padding << 1), 0x64]) + bytes(413 + padding)
with open(path, "wb") as f:
    f.write(b"ID3\x04\x00\x00" + syncsafe(len(body)) + body)
    f.write(b"".join(audio(n % 3 == 0) for n in range(200)))
PY
}
half=$((frames / 2))
for n in "$half" "$frames"; do
    generate "$work/$n-2.mp3" 2 "$n" 0
    generate "$work/$n-1.mp3" 1 "$n" 0
done
generate "$work/text-1.mp3" 1 0 $((text_mb * 1000000))
generate "$work/text-2.mp3" 2 0 $((text_mb * 1000000))

# shellcheck source=bench/timing.sh
source "$(dirname "$0")/timing.sh"
best() {  # best wall time in seconds of "$@" over $runs runs
    local t=""
    for _ in $(seq "$runs"); do t=$(min "$t" "$(seconds_of "$@")"); done
    echo "$t"
}
copy() { "$join" -q --copy-tags --chapters --sort=track -o "$work/out.mp3" "$@"; }
plain() { "$join" -q -o "$work/out.mp3" "$@"; }

printf 'two inputs of %d text frames each, all shared:\n' "$frames"
t_plain=$(best plain "$work/$frames-2.mp3" "$work/$frames-1.mp3")
t_half=$(best copy "$work/$half-2.mp3" "$work/$half-1.mp3")
t_full=$(best copy "$work/$frames-2.mp3" "$work/$frames-1.mp3")
printf '  plain join:                               %.3f s\n' "$t_plain"
printf '  --copy-tags --chapters --sort=track:      %.3f s (%.1f us a frame)\n' "$t_full" \
    "$(echo "$t_full * 1000000 / (2 * $frames)" | bc -l)"
printf '  the same with %d frames each:          %.3f s; %.2f x the time for 2 x the frames\n' \
    "$half" "$t_half" "$(echo "$t_full / $t_half" | bc -l)"
copy "$work/$frames-2.mp3" "$work/$frames-1.mp3"
printf '  joined tag:                               %d bytes\n' \
    "$(python3 -c 'import sys; h = open(sys.argv[1], "rb").read(10); print(10 + sum((b & 0x7F) << (7 * (3 - i)) for i, b in enumerate(h[6:10])))' "$work/out.mp3")"

printf 'two inputs sharing one text frame of %d MB:\n' "$text_mb"
t_plain=$(best plain "$work/text-2.mp3" "$work/text-1.mp3")
t_text=$(best copy "$work/text-2.mp3" "$work/text-1.mp3")
peak=$(/usr/bin/time -f %M "$join" -q --copy-tags --chapters --sort=track -o "$work/out.mp3" \
    "$work/text-2.mp3" "$work/text-1.mp3" 2>&1 >/dev/null | tail -1)
printf '  plain join:                               %.3f s\n' "$t_plain"
printf '  --copy-tags --chapters --sort=track:      %.3f s, peak memory %d KB\n' "$t_text" "$peak"
