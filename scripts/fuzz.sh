#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang++ into build/fuzz and
# runs each for SECONDS seconds (default 5) on its seed corpus. Fails on any
# finding: a crash, a sanitizer report, a broken property, a timeout or a
# leak. New inputs go to build/fuzz/corpus/<target>, the committed seeds
# stay untouched; a finding is left as build/fuzz/<target>-crash-*.
#
#   scripts/fuzz.sh 600                      # ten minutes each
#   FUZZ_TARGETS="strtoint_fuzz" scripts/fuzz.sh 60
#   FUZZ_JOBS=2 scripts/fuzz.sh 600          # two targets at a time
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${1:-5}"
build=build/fuzz

cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ > /dev/null
cmake --build "$build" > /dev/null

targets=(${FUZZ_TARGETS:-$(cd tests/fuzz && ls *_fuzz.cpp | sed 's/\.cpp$//')})
jobs="${FUZZ_JOBS:-1}"

run_one() {
  local t="$1"
  local work="$build/corpus/$t"
  mkdir -p "$work"
  # -timeout: one input taking longer than 5 s counts as a hang.
  if "$build/$t" "$work" "tests/fuzz/corpus/$t" \
      -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=4096 \
      -print_final_stats=1 -artifact_prefix="$build/$t-" > "$build/$t.log" 2>&1; then
    echo "fuzz $t: $(grep -a -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/$t.log" | grep -o '[0-9]*$') runs, no finding"
  else
    echo "fuzz $t: FINDING, see $build/$t.log" >&2
    tail -n 40 "$build/$t.log" >&2
    return 1
  fi
}

status=0
pids=()
for t in "${targets[@]}"; do
  run_one "$t" &
  pids+=($!)
  if [ "${#pids[@]}" -ge "$jobs" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || status=1; done
exit "$status"
