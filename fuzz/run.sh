#!/bin/sh
# Builds the field-file fuzzer with clang and runs it for a fixed count.
#   fuzz/run.sh [runs]     (default 20000)
# Needs clang++ with libFuzzer, zlib and nettle. Works in a scratch directory
# (FUZZ_WORK, default a fresh one under /tmp) and removes it afterwards.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-20000}
WORK=${FUZZ_WORK:-$(mktemp -d /tmp/kqel_fuzz.XXXXXX)}
trap 'rm -rf "$WORK"' EXIT
CXX=${CXX:-clang++}
FLAGS="-std=c++17 -g -O1 -fno-omit-frame-pointer -DFUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION -I$ROOT/src"
# Only what the field file needs of the base library.
SRCS="$ROOT/src/base/kstring.cpp $ROOT/src/base/kerror.cpp $ROOT/src/base/kpath.cpp $ROOT/src/base/ktime.cpp $ROOT/src/file/kqel_*.cpp"
LIBS="-lz -lnettle -lpthread -ldl"
# shellcheck disable=SC2086
$CXX $FLAGS -fsanitize=fuzzer,address,undefined $ROOT/fuzz/kqel_fuzz.cpp $SRCS $LIBS -o "$WORK/kqel_fuzz"
# shellcheck disable=SC2086
$CXX $FLAGS -fsanitize=address $ROOT/fuzz/kqel_fuzz_seed.cpp $SRCS $LIBS -o "$WORK/kqel_fuzz_seed"
mkdir -p "$WORK/corpus"
"$WORK/kqel_fuzz_seed" "$WORK/corpus"
cd "$WORK"
TMPDIR="$WORK" ./kqel_fuzz -runs="$RUNS" -max_len=4096 -rss_limit_mb=1024 -timeout=10 corpus
