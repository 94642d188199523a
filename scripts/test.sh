#!/usr/bin/env bash
# Runs the whole suite on both platforms, each built with every core:
#   1. x86-64 in build-check/, with AddressSanitizer and UndefinedBehaviorSanitizer
#      (the first sanitizer error fails the run), the fuzzers built and run
#      by ctest too, the benchmarks compiled and linked (not run);
#   2. 32-bit x86 in build-i686/, cross-compiled (cmake/i686-linux-gnu.cmake),
#      every test running as a 32-bit program.
# Both legs always run; the script fails when either fails. The platform
# check of each leg leaves the files it wrote in build-exchange/, where the
# second leg reads the enciphered files of the first.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

export QEL_PLATFORM_EXCHANGE="$PWD/build-exchange"
rm -rf "$QEL_PLATFORM_EXCHANGE"
mkdir -p "$QEL_PLATFORM_EXCHANGE"

# Runs one step and says what it cost, so that the time taken by the whole
# suite can be watched as it grows.
step() {
  local TIMEFORMAT="== $1: %0R s wall, %0U s user, %0S s sys"
  shift
  time "$@"
}

leg_x86_64() {
  cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQEL_SANITIZE=ON -DQEL_BUILD_BENCH=ON &&
  step "x86_64 build" cmake --build build-check -j "$jobs" &&
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_string_checks=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  step "x86_64 tests" ctest --test-dir build-check --output-on-failure -j "$jobs"
}

leg_i686() {
  cmake -S . -B build-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake \
        -DCMAKE_BUILD_TYPE=Release -DQEL_BUILD_BENCH=OFF &&
  step "i686 build" cmake --build build-i686 -j "$jobs" &&
  step "i686 tests" ctest --test-dir build-i686 --output-on-failure -j "$jobs"
}

total_start=$SECONDS
failed=()
for leg in x86_64 i686; do
  echo "== $leg: build and test"
  start=$SECONDS
  if "leg_$leg"; then
    echo "== $leg: passed in $((SECONDS - start)) s"
  else
    echo "== $leg: FAILED after $((SECONDS - start)) s"
    failed+=("$leg")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "== failed: ${failed[*]}"
  echo "== total: $((SECONDS - total_start)) s"
  exit 1
fi
echo "== both legs passed"
echo "== total: $((SECONDS - total_start)) s"
