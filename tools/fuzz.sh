#!/usr/bin/env bash
# Builds the libFuzzer targets of every reader of outside data (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz, writes their seed corpora with the sample
# generator, runs each target in turn for SECONDS seconds and prints, per target, executions,
# coverage and findings. Exits non-zero when any target found a crash, hang, leak or
# oversized allocation; the inputs are kept under build-fuzz/fuzz/runs/.
#
#   tools/fuzz.sh [SECONDS] [TARGET...]     SECONDS defaults to 600; TARGET is one of
#                                           raw_reader segment_reader audio_reader ini_import
#                                           settings_store
#
# The working corpora (build-fuzz/fuzz/corpus/) grow from run to run. One fuzzing process runs
# at a time; the build uses two jobs unless JOBS says otherwise.
set -euo pipefail
# Read whole before running, so the script can be edited while a long run goes on.
{
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(raw_reader segment_reader audio_reader ini_import settings_store)
fi
build=${SONORIX_FUZZ_BUILD:-build-fuzz}
jobs=${JOBS:-2}

# Seed folder and input-size limit of each target. Seeds are a few KB; the limit leaves room
# for the fuzzer to grow them without making every run slow.
declare -A corpus_of=([raw_reader]=raw [segment_reader]=segment [audio_reader]=audio [ini_import]=ini
                      [settings_store]=settings)
declare -A max_len_of=([raw_reader]=16384 [segment_reader]=16384 [audio_reader]=16384 [ini_import]=4096
                       [settings_store]=4096)
# The settings store's backend keeps a cache entry for every store file it has opened (the
# target opens a new one per input), so each input looks like a leak to libFuzzer, which then
# scans the whole heap every time and slows to a crawl. Leaks are searched in the other three.
declare -A extra_of=([settings_store]=-detect_leaks=0)

for t in "${targets[@]}"; do
  [[ -n ${corpus_of[$t]:-} ]] || { echo "fuzz.sh: unknown target '$t'" >&2; exit 2; }
done

work="$build/fuzz"
mkdir -p "$work"
build_targets=(sonorix-fuzz-seeds)
for t in "${targets[@]}"; do build_targets+=("fuzz_$t"); done
if ! { CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DSONORIX_FUZZ=ON -DSONORIX_GUI=OFF -DSONORIX_BENCH=OFF -DSONORIX_TESTS=OFF &&
       cmake --build "$build" -j"$jobs" --target "${build_targets[@]}"; } >"$work/build.log" 2>&1; then
  tail -40 "$work/build.log" >&2
  echo "fuzz.sh: build failed (log: $work/build.log)" >&2
  exit 2
fi

rm -rf "$work/seeds"
"$build/tests/fuzz/sonorix-fuzz-seeds" "$work/seeds"
run="$work/runs/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$run"

printf '%-16s %7s %10s %8s %6s %7s %7s  %s\n' target seconds executions exec/s cov ft corpus findings
failed=0
for t in "${targets[@]}"; do
  exe="$build/tests/fuzz/fuzz_$t"
  corpus="$work/corpus/$t"
  artifacts="$run/$t"
  mkdir -p "$corpus" "$artifacts"
  log="$artifacts/log.txt"
  status=0
  # -malloc_limit_mb: no reader may allocate more than its input can justify, and no input
  # is larger than a few KB. -timeout: one input taking 10 s is a hang.
  # Past findings (tests/fuzz/corpus/) are replayed first, so a fixed reader stays fixed.
  found_before="tests/fuzz/corpus/${corpus_of[$t]}"
  [[ -d $found_before ]] || found_before=""
  "$exe" "$corpus" "$work/seeds/${corpus_of[$t]}" ${found_before:+"$found_before"} \
    -max_total_time="$seconds" -max_len="${max_len_of[$t]}" -timeout=10 \
    -rss_limit_mb=2048 -malloc_limit_mb=256 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" ${extra_of[$t]:-} >"$log" 2>&1 || status=$?

  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  units=$(find "$corpus" -type f | wc -l)
  found=$(find "$artifacts" -type f ! -name log.txt -printf '%f ' | sed 's/ $//')
  if ((status != 0)) || [[ -n $found ]]; then
    failed=1
    [[ -n $found ]] || found="exit status $status"
  fi
  printf '%-16s %7s %10s %8s %6s %7s %7s  %s\n' "$t" "$seconds" "${execs:-?}" "${rate:-?}" \
    "${cov:-?}" "${ft:-?}" "$units" "${found:-none}"
done

if ((failed)); then
  echo "Findings and logs: $run (reproduce: $build/tests/fuzz/fuzz_TARGET FILE)" >&2
  for t in "${targets[@]}"; do
    grep -m1 -E 'ERROR|SUMMARY' "$run/$t/log.txt" >&2 || true
  done
  exit 1
fi
exit 0
}
