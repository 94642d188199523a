#!/bin/sh
# Builds the fuzzers with clang and runs each for a fixed count.
#   fuzz/run.sh [runs] [target...]   (default 20000 runs; targets: kqel objects tif native)
#   kqel     the field file itself, every field walked
#   objects  the object readers above it: curves, curve nodes, property
#            blocks and embedded media
#   tif      the TIFF reader of the image converter
#   native   the native reader's document driver over a whole scene
# Needs clang++ with libFuzzer, zlib, nettle and libtiff. Works in a scratch
# directory (FUZZ_WORK, default a fresh one under /tmp) and removes it
# afterwards, unless FUZZ_KEEP is set. FUZZ_JOBS (default 2) compiles in parallel;
# FUZZ_ARGS adds libFuzzer options (e.g. -jobs=2 -max_total_time=600).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-20000}
[ $# -gt 0 ] && shift
TARGETS=${*:-kqel objects tif native}
WORK=${FUZZ_WORK:-$(mktemp -d /tmp/qel_fuzz.XXXXXX)}
# Every input goes through a file: in memory when possible, since on disk
# creating it costs more than the run itself.
RUNTMP=
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    RUNTMP=$(mktemp -d /dev/shm/qel_fuzz.XXXXXX)
fi
if [ -n "${FUZZ_KEEP:-}" ]; then
    trap '[ -z "$RUNTMP" ] || rm -rf "$RUNTMP"' EXIT
else
    trap 'rm -rf "$WORK"; [ -z "$RUNTMP" ] || rm -rf "$RUNTMP"' EXIT
fi
CXX=${CXX:-clang++}
JOBS=${FUZZ_JOBS:-2}
FLAGS="-std=c++17 -gline-tables-only -O1 -fno-omit-frame-pointer -DFUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION -I$ROOT/src"
# Undefined behaviour stops the run like a crash.
SAN="-fsanitize=address,undefined -fno-sanitize-recover=all"
LIBS="-lz -lnettle -ltiff -lpthread -ldl"

# The field file needs only these of the base library; the object readers
# need every subsystem up to the curves.
KQEL_SRCS="base/kstring.cpp base/kerror.cpp base/kpath.cpp base/ktime.cpp $(cd "$ROOT/src" && echo file/kqel_*.cpp)"
OBJECTS_SRCS=$(cd "$ROOT/src" && echo base/*.cpp math/*.cpp object/*.cpp file/*.cpp curves/*.cpp)
TIF_SRCS=$(cd "$ROOT/src" && echo base/*.cpp content/kqelimageconverter*.cpp)
NATIVE_SRCS=$(cd "$ROOT/src" && echo base/*.cpp math/*.cpp object/*.cpp file/*.cpp curves/*.cpp scene/*.cpp \
    content/*.cpp character/*.cpp io/*.cpp io/settings/*.cpp native/*.cpp native/reader/*.cpp native/writer/*.cpp \
    native/blocks/*.cpp)

# Longest input: a little above the largest seed.
max_len_of() {
    case $1 in
    kqel) echo 4096 ;;
    *) echo 16384 ;;
    esac
}

srcs_of() {
    case $1 in
    kqel) echo "$KQEL_SRCS" ;;
    objects) echo "$OBJECTS_SRCS" ;;
    tif) echo "$TIF_SRCS" ;;
    native) echo "$NATIVE_SRCS" ;;
    *) echo "unknown fuzz target: $1" >&2; exit 2 ;;
    esac
}

for t in $TARGETS; do
    srcs_of "$t" >/dev/null
done

# Each library source is compiled once, with coverage, for every target.
NEEDED=$(for t in $TARGETS; do srcs_of "$t"; done | tr ' ' '\n' | sort -u)
mkdir -p "$WORK/obj"
export CXX FLAGS SAN ROOT WORK
# shellcheck disable=SC2016
echo "$NEEDED" | xargs -P "$JOBS" -I{} sh -c \
    'o="$WORK/obj/$(echo {} | tr / _).o"; [ -f "$o" ] || $CXX $FLAGS $SAN -fsanitize=fuzzer-no-link -c "$ROOT/src/{}" -o "$o"'

objs_of() {
    for s in $(srcs_of "$1"); do
        printf '%s ' "$WORK/obj/$(echo "$s" | tr / _).o"
    done
}

for t in $TARGETS; do
    OBJS=$(objs_of "$t")
    # shellcheck disable=SC2086
    $CXX $FLAGS $SAN -fsanitize=fuzzer "$ROOT/fuzz/${t}_fuzz.cpp" $OBJS $LIBS -o "$WORK/${t}_fuzz"
    # shellcheck disable=SC2086
    $CXX $FLAGS $SAN "$ROOT/fuzz/${t}_fuzz_seed.cpp" $OBJS $LIBS -o "$WORK/${t}_fuzz_seed"
    mkdir -p "$WORK/corpus_$t"
    "$WORK/${t}_fuzz_seed" "$WORK/corpus_$t"
done

cd "$WORK"
for t in $TARGETS; do
    # shellcheck disable=SC2086
    TMPDIR="${RUNTMP:-$WORK}" "./${t}_fuzz" -runs="$RUNS" -max_len="$(max_len_of "$t")" -rss_limit_mb=1024 -timeout=10 \
        ${FUZZ_ARGS:-} "corpus_$t"
done
