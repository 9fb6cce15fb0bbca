#!/usr/bin/env bash
# Runs every fuzz target of a build made with -DGORSE_FUZZ=ON for a while
# each, two at a time, from seed corpora written by fuzz_seeds and the
# corpora kept by earlier runs.
#   tools/fuzz.sh BUILD_DIR [SECONDS_PER_TARGET] [CORPUS_DIR]
# A finding (a crash, a sanitizer report, a failed check) stops the run with
# the input saved as NAME-crash-* in the corpus folder; turn it into a test.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="${2:-60}"
corpora="${3:-$build/fuzz-corpus}"
targets=(framing messages host client chatline ini tally announce)

mkdir -p "$corpora/seeds"
"$build/bin/fuzz_seeds" "$corpora/seeds" >/dev/null
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

run() {
  local name="$1"
  mkdir -p "$corpora/$name"
  local log="$corpora/$name.log"
  if "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -max_len=8192 -print_final_stats=1 -artifact_prefix="$corpora/$name-" \
       "$corpora/$name" "$corpora/seeds/$name" >"$log" 2>&1; then
    local runs size
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
    size="$(find "$corpora/$name" -type f | wc -l)"
    echo "fuzz_$name: ${seconds} s, $runs runs, corpus of $size inputs, no finding"
  else
    echo "fuzz_$name: FINDING (log follows)"
    tail -60 "$log"
    return 1
  fi
}

failed=0
pids=()
for name in "${targets[@]}"; do
  run "$name" &
  pids+=($!)
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
exit $failed
