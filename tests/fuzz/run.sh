#!/usr/bin/env bash
# Robustness stage of CI:
#   1. builds the libFuzzer targets with clang, ASan and UBSan (build-fuzz/) and
#      runs each one for a bounded time from its seed corpus; a crash, a
#      sanitizer report, a leak or an input slower than 5 s fails the stage.
#      Every search in them is bounded by depth and node count, not by the
#      clock, so an input always runs the same way;
#   2. builds the engine and its unit and end-to-end tests with gcc under ASan
#      and UBSan (build-sanitize/) and runs them once.
#
#   tests/fuzz/run.sh                     both steps, 45 s per fuzz target,
#                                         two targets at a time (FUZZ_JOBS)
#   FUZZ_SECONDS=1800 FUZZ_JOBS=2 nice -n 10 tests/fuzz/run.sh --fuzz-only
#                                         a long run, two targets at a time
#   tests/fuzz/run.sh --sanitize-only
#
# New corpus entries found during a run go to a scratch directory, so the
# committed corpus changes only by hand. A failing input is written to
# build-fuzz/artifacts/; reproduce it with
#   build-fuzz/tests/fuzz/fuzz_<target> build-fuzz/artifacts/<file>
# and, once fixed, add it to tests/fuzz/corpus/<target>/ as a regression test.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"

seconds="${FUZZ_SECONDS:-45}"
jobs="${FUZZ_JOBS:-2}"  # two targets at a time: one per core
if ! [[ "$jobs" =~ ^[1-9][0-9]*$ ]]; then
  echo "FUZZ_JOBS must be a positive number, not '$jobs'" >&2
  exit 2
fi
run_fuzz=1
run_sanitize=1
case "${1:-}" in
  --fuzz-only) run_sanitize=0 ;;
  --sanitize-only) run_fuzz=0 ;;
  "") ;;
  *) echo "usage: $0 [--fuzz-only | --sanitize-only]" >&2; exit 2 ;;
esac
# uci_commands is uci_session without searches: same inputs, same dictionary.
targets=(uci_session uci_commands fen parameter_file)
declare -A inputs_of=([uci_session]=uci_session [uci_commands]=uci_session [fen]=fen [parameter_file]=parameter_file)

source tests/install_missing.sh
install_missing g++ cmake make libgtest-dev
[ "$run_fuzz" = 0 ] || install_missing clang-14 libclang-rt-14-dev

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

if [ "$run_fuzz" = 1 ]; then
  cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_FUZZ=ON >/dev/null
  cmake --build build-fuzz -j2 --target fuzz_targets
  artifacts="$root/build-fuzz/artifacts"
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  mkdir -p "$artifacts"
  run_target() {
    local target="$1" inputs="${inputs_of[$1]}"
    mkdir -p "$scratch/$target"
    # abort_on_error off: libFuzzer itself turns a sanitizer report into a saved input.
    ASAN_OPTIONS="${ASAN_OPTIONS/abort_on_error=1/abort_on_error=0}" \
      "build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" -dict="$root/tests/fuzz/$inputs.dict" \
      "$scratch/$target" "$root/tests/fuzz/corpus/$inputs" >"$root/build-fuzz/fuzz_$target.log" 2>&1
  }
  total=0
  for ((first = 0; first < ${#targets[@]}; first += jobs)); do
    batch=("${targets[@]:first:jobs}")
    pids=()
    for target in "${batch[@]}"; do
      echo "== fuzz_$target: ${seconds} s"
      run_target "$target" &
      pids+=($!)
    done
    for i in "${!batch[@]}"; do
      target="${batch[$i]}"
      log="$root/build-fuzz/fuzz_$target.log"
      if ! wait "${pids[$i]}"; then
        kill "${pids[@]}" 2>/dev/null || true
        tail -n 60 "$log"
        echo "fuzz_$target FAILED (full log: $log; inputs: $artifacts)" >&2
        exit 1
      fi
      runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
      coverage="$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)"
      echo "   fuzz_$target: ${runs} executions, ${coverage} edges"
      total=$((total + runs))
    done
  done
  echo "== fuzzing: ${total} executions in total, no findings"
fi

if [ "$run_sanitize" = 1 ]; then
  echo "== unit and end-to-end tests under ASan and UBSan (gcc)"
  # Debug: the quickest build, and the sanitizers check every operation at -O0.
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DENGINE_SANITIZE=ON >/dev/null
  cmake --build build-sanitize -j2
  # The game suites are timed matches over node.js, and the bench's node
  # total is a figure of the Release build; both run in the main build.
  ctest --test-dir build-sanitize --output-on-failure --no-tests=error -j2 -E '^(games_|bench_signature$)'
fi
