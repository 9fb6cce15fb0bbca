#!/usr/bin/env bash
# The checking build: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer (stopping at the first report) into
# build-sanitize/, every test run there, then every fuzz target for a while.
#   tools/sanitize.sh [SECONDS_PER_FUZZ_TARGET]     (default 60; 0 skips fuzzing)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"

# clang and its runtimes (sanitizers, libFuzzer), and the symbolizer that
# puts names on the reports.
"$here/tools/install_packages.sh" clang libclang-rt-14-dev llvm-14

build="$here/build-sanitize"
jobs="$(nproc 2>/dev/null || echo 2)"
start=$SECONDS
# Not optimised, with line tables only: the quickest to build (sanitizers
# at -O1 double the compile time), and readable reports.
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0 -gline-tables-only" \
  -DGORSE_SANITIZE=ON -DGORSE_FUZZ=ON -DGORSE_BUILD_BENCH=OFF ${GORSE_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$jobs"
echo "sanitize: built in $((SECONDS - start)) s"

start=$SECONDS
# Qt keeps some memory to the end of the process on purpose; leaks are not
# what this build looks for.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$build" && ctest --output-on-failure -j"$jobs")
echo "sanitize: tests ran in $((SECONDS - start)) s"

if [ "$seconds" -gt 0 ]; then
  start=$SECONDS
  "$here/tools/fuzz.sh" "$build" "$seconds"
  echo "sanitize: fuzzing took $((SECONDS - start)) s"
fi
