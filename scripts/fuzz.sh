#!/usr/bin/env bash
# Runs each fuzz target of a libFuzzer build for a bounded time, one after the other.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS TARGET...
# New inputs collect in BUILD_DIR/corpus/TARGET (seeded from fuzz/corpus/TARGET, the MP3
# fixtures for the stream reader and the seam, and the bad inputs for the stream reader); a
# finding is written to BUILD_DIR/findings/TARGET/ and ends the run with its status. To keep new inputs, merge them
# into the committed corpus:
#   BUILD_DIR/fuzz/fuzz_TARGET -merge=1 fuzz/corpus/TARGET BUILD_DIR/corpus/TARGET
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1 seconds=$2
shift 2

# The targets write each input to a temporary file and save through fsync; memory is faster.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

for target in "$@"; do
    seeds=(fuzz/corpus/"$target")
    case $target in
        stream_reader) seeds+=(tests/fixtures tests/bad-inputs) ;;
        seam | split) seeds+=(tests/fixtures) ;;
    esac
    mkdir -p "$build/corpus/$target" "$build/findings/$target"
    echo "== fuzz_$target for $seconds s"
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/findings/$target/" \
        "$build/corpus/$target" "${seeds[@]}"
done
