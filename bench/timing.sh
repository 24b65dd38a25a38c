# Timing helpers for the benchmarks, sourced by them.
seconds_of() {  # wall time in seconds of running "$@"
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
}
# "WALL PROCESSOR": the wall time and the processor time (user and system, of every thread) in
# seconds of running "$@"; on a busy machine the second varies far less.
times_of() {
    local TIMEFORMAT='%3R %3U %3S' t
    t=$( { time "$@" >/dev/null 2>&1; } 2>&1)
    read -r wall user system <<<"$t"
    echo "$wall $(echo "$user + $system" | bc -l)"
}
min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }
median() { printf '%s\n' "$@" | sort -g | awk '{r[NR] = $1} END {print r[int((NR + 1) / 2)]}'; }
