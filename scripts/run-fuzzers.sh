#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each fuzzer of a fuzz build for the given seconds, starting from its seeds in
# tests/fuzz/<target>/ and the corpus it grew in earlier runs (BUILD/fuzz-corpus/<target>/).
# An input that breaks a target is saved as BUILD/fuzz-artifacts/<target>/crash-… (or leak-,
# timeout-, oom-) and the run fails; add it to tests/fuzz/<target>/ as regress-<what> together
# with the fix, so the regular suite replays it. At the end: executions per second and the
# coverage (cov: edges, ft: features) each fuzzer reached.
set -euo pipefail
build_dir=$(realpath "${1:?usage: run-fuzzers.sh BUILD_DIR [SECONDS]}")
seconds=${2:-60}
source_dir=$(realpath "$(dirname "$0")/..")
# Every fuzzer the build made (tests/fuzz/CMakeLists.txt names them).
targets=()
for program in "$build_dir"/tests/fuzz/fuzz_*; do
    [ -f "$program" ] && [ -x "$program" ] && targets+=("${program##*/fuzz_}")
done
[ ${#targets[@]} -gt 0 ] || { echo "run-fuzzers: no fuzzer in $build_dir/tests/fuzz" >&2; exit 1; }

summary=()
failed=()
for target in "${targets[@]}"; do
    corpus=$build_dir/fuzz-corpus/$target
    artifacts=$build_dir/fuzz-artifacts/$target
    log=$build_dir/fuzz-logs/$target.log
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    echo "fuzz: $target for ${seconds}s"
    status=0
    "$build_dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" "$source_dir/tests/fuzz/$target" >"$log" 2>&1 || status=$?
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    cov=$(grep -oE 'cov: [0-9]+' <<<"$done_line" | cut -d' ' -f2 || true)
    ft=$(grep -oE 'ft: [0-9]+' <<<"$done_line" | cut -d' ' -f2 || true)
    summary+=("$(printf '%-14s %10s %8s %7s %7s' "$target" "${execs:-?}" "${rate:-?}" \
        "${cov:-?}" "${ft:-?}")")
    if [ "$status" != 0 ]; then
        failed+=("$target")
        echo "fuzz: $target FAILED (exit $status); its log: $log" >&2
        grep -E 'ERROR|SUMMARY|property broken|Test unit written' "$log" | head -20 >&2 || true
    fi
done

echo
printf '%-14s %10s %8s %7s %7s\n' target execs exec/s cov ft
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: broken targets: ${failed[*]}" >&2
    exit 1
fi
