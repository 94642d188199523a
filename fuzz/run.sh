#!/bin/sh
# Builds the fuzzers with clang (fuzz/CMakeLists.txt) and runs each for a
# fixed count.
#   fuzz/run.sh [runs] [target...]        build in FUZZ_WORK, then run each target
#   fuzz/run.sh build <dir>               configure and build every target in <dir>
#   fuzz/run.sh run <dir> <runs> <target...>   run targets already built in <dir>
# Targets are the fuzz/<target>_fuzz.cpp (default: all of them):
#   kqel     the field file itself, every field walked
#   objects  the object readers above it: curves, curve nodes, property
#            blocks and embedded media
#   tif      the TIFF reader of the image converter
#   native   the native reader's document driver over a whole scene
#   trc, aoa, c3d   the marker-motion readers over a whole read
#   bvh, vpm, mov, brd   the skeleton and channel motion readers
#   htr, asf, amc   the HTR, ASF and AMC readers (amc over a fixed ASF
#            skeleton read first)
# Each run starts from the target's seeds, written afresh by its seed program,
# and stops after <runs> inputs or FUZZ_TIME seconds (default 300), whichever
# comes first; the first fault fails it.
# Needs clang++ (CXX) with libFuzzer, CMake, Ninja, zlib, nettle and libtiff.
# The first form works in FUZZ_WORK (default a fresh directory under /tmp) and
# removes it afterwards, unless FUZZ_KEEP is set. FUZZ_JOBS (default: every
# core) compiles in parallel; FUZZ_ARGS adds libFuzzer options (e.g. -jobs=2).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
CXX=${CXX:-clang++}
TIME=${FUZZ_TIME:-300}

all_targets() {
    for f in "$ROOT"/fuzz/*_fuzz.cpp; do
        basename "$f" _fuzz.cpp
    done
}

# Longest input: a little above the largest seed.
max_len_of() {
    case $1 in
    kqel) echo 4096 ;;
    *) echo 16384 ;;
    esac
}

build() {
    cmake -S "$ROOT/fuzz" -B "$1" -G Ninja -DCMAKE_CXX_COMPILER="$CXX" >/dev/null
    cmake --build "$1" -j "${FUZZ_JOBS:-$(nproc)}"
}

# run <dir> <runs> <target...>
run() {
    dir=$(cd "$1" && pwd) runs=$2
    shift 2
    for t in "$@"; do
        [ -x "$dir/${t}_fuzz" ] || { echo "fuzz target not built: $dir/${t}_fuzz" >&2; exit 2; }
    done
    # Every input goes through a file: in memory when possible, since on
    # disk creating it costs more than the run itself.
    runtmp=$dir
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then
        runtmp=$(mktemp -d /dev/shm/qel_fuzz.XXXXXX)
        trap 'rm -rf "$runtmp"' EXIT
    fi
    cd "$dir"
    for t in "$@"; do
        rm -rf "corpus_$t"
        mkdir "corpus_$t"
        "./${t}_fuzz_seed" "corpus_$t"
        # shellcheck disable=SC2086
        TMPDIR=$runtmp "./${t}_fuzz" -runs="$runs" -max_total_time="$TIME" -max_len="$(max_len_of "$t")" \
            -rss_limit_mb=1024 -timeout=10 ${FUZZ_ARGS:-} "corpus_$t"
    done
}

case ${1:-} in
build)
    [ $# -eq 2 ] || { echo "usage: $0 build <dir>" >&2; exit 2; }
    build "$2"
    ;;
run)
    [ $# -ge 4 ] || { echo "usage: $0 run <dir> <runs> <target...>" >&2; exit 2; }
    shift
    run "$@"
    ;;
*)
    RUNS=${1:-20000}
    [ $# -gt 0 ] && shift
    TARGETS=${*:-$(all_targets)}
    WORK=${FUZZ_WORK:-$(mktemp -d /tmp/qel_fuzz.XXXXXX)}
    [ -n "${FUZZ_KEEP:-}" ] || trap 'rm -rf "$WORK"' EXIT
    build "$WORK"
    # shellcheck disable=SC2086
    (run "$WORK" "$RUNS" $TARGETS)
    ;;
esac
