#!/usr/bin/env bash
# Cuts one continuous 30 s music-like recording into three parts at sample points inside MPEG
# frames, encodes each part on its own with LAME (CBR 128 kbit/s and VBR -V 2), joins the parts
# with `tessaro-join` plainly and with --seamless, and compares each decoded join (ffmpeg, which
# trims the first input's encoder delay and the last one's padding) with the recording: length,
# where the audio after each cut lies (lag), silence and click ratio at the cuts, the SNR near the
# cuts against the median elsewhere, and how many input frames the join copied byte for byte.
# The last column, the parts decoded on their own and put end to end, is what the codec alone
# gives, and so what a seamless join aims at. Needs lame, ffmpeg and numpy.
# Usage: bench/seamless.sh [build folder]
set -euo pipefail
build=$(realpath -m "${1:-build}")
join=$build/tessaro-join
compare=$(realpath "$(dirname "$0")/seamless-compare.py")

[ -x "$join" ] || { echo "no $join: build it first (make build)" >&2; exit 1; }
for tool in lame ffmpeg; do
    command -v "$tool" >/dev/null || { echo "seamless.sh needs $tool (Debian package $tool)" >&2; exit 1; }
done
# Debian's numpy lives beside the system's Python, which may not be the first python3 on PATH.
python=""
for candidate in python3 /usr/bin/python3; do
    if command -v "$candidate" >/dev/null && "$candidate" -c 'import numpy' 2>/dev/null; then
        python=$candidate
        break
    fi
done
if [ -z "$python" ]; then
    echo "seamless.sh needs numpy for Python 3: install the Debian package python3-numpy" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$python" "$compare" make .
decode() { ffmpeg -v error -nostdin -i "$1" -c:a pcm_f32le -y "$2"; }

status=0
for encoding in "CBR -b 128" "VBR -V 2"; do
    dir=${encoding%% *}
    read -r -a options <<<"${encoding#* }"
    mkdir "$dir"
    for i in 1 2 3; do
        lame --quiet "${options[@]}" "part$i.wav" "$dir/p$i.mp3"
        decode "$dir/p$i.mp3" "$dir/p$i.wav"
    done
    inputs=("$dir/p1.mp3" "$dir/p2.mp3" "$dir/p3.mp3")
    "$join" -q -o "$dir/plain.mp3" "${inputs[@]}"
    decode "$dir/plain.mp3" "$dir/plain.wav"
    joins=(plain)
    note=""
    # A build without the option stops at it with status 2 and its usage.
    set +e
    "$join" -q --seamless -o "$dir/seamless.mp3" "${inputs[@]}" 2>"$dir/seamless.err"
    rc=$?
    set -e
    if [ "$rc" -eq 0 ]; then
        decode "$dir/seamless.mp3" "$dir/seamless.wav"
        joins+=(seamless)
    elif [ "$rc" -eq 2 ] && grep -qi 'seamless' "$dir/seamless.err"; then
        note="seamless: not supported by this build"
    else
        note="seamless: the join failed with status $rc: $(head -n 1 "$dir/seamless.err")"
        status=1
    fi
    "$python" "$compare" report "$encoding" recording.wav "$dir" "${joins[@]}"
    [ -z "$note" ] || echo "  $note"
    # The joins the tool could not make seamless, as it says.
    [ "$rc" -ne 0 ] || sed -n 's/^tessaro-join: warning: /  warning: /p' "$dir/seamless.err"
done
exit "$status"
