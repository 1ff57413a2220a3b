#!/usr/bin/env bash
# Builds every libFuzzer target in fuzz/ into build/fuzz/ and runs each over a
# copy of its seed corpus (fuzz/corpus/<target>/, with fuzz/<target>.dict when
# there is one) for SECONDS_PER_TARGET seconds (default 10). Fails on any finding; a finding's input is kept in
# build/fuzz/findings/<target>/ and replays with: build/fuzz/<target> <file>
#
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS_PER_TARGET]" >&2
  exit 2
fi

cxx=${CXX_FUZZ:-clang++}
out=build/fuzz
# The fuzzers link the shipped routines themselves, never copies of them.
sources=(scan/text.cpp scan/size_text.cpp scan/result_table.cpp settings/stored_path.cpp ui/select_command.cpp)
sanitizers=fuzzer,address,undefined
flags=(-std=c++17 -I. -g -O1 "-fsanitize=$sanitizers" -fno-sanitize-recover=all -Wall -Wextra)

running=""
cleanup() {
  if [[ -n $running ]]; then kill "$running" 2>/dev/null || true; fi
  rm -rf "$out/run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$out"
targets=()
for source in fuzz/*_fuzz.cpp; do
  name=${source#fuzz/}
  targets+=("${name%.cpp}")
done
for target in "${targets[@]}"; do
  echo "fuzz: building $target"
  "$cxx" "${flags[@]}" "fuzz/$target.cpp" "${sources[@]}" -o "$out/$target"
done

failed=()
summary=()
for target in "${targets[@]}"; do
  work="$out/run/$target"
  findings="$out/findings/$target"
  log="$out/$target.log"
  rm -rf "$work" "$findings"
  mkdir -p "$work" "$findings"
  if [[ -d fuzz/corpus/$target ]]; then cp fuzz/corpus/"$target"/* "$work"/; fi
  dict=()
  if [[ -f fuzz/$target.dict ]]; then dict=(-dict="fuzz/$target.dict"); fi

  "$out/$target" "$work" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=2048 \
    -use_value_profile=1 "${dict[@]}" -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 &
  running=$!
  rc=0
  wait "$running" || rc=$?
  running=""

  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  progress=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$progress")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$progress")
  corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$progress")
  found=$(find "$findings" -type f | wc -l)
  line=$(printf '%-20s %10s execs %4ss  cov %4s  ft %5s  corpus %4s  findings %s' "$target" "${execs:-?}" \
    "${took:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$found")
  summary+=("$line")
  if ((rc != 0 || found != 0)); then
    failed+=("$target")
    echo "fuzz: $target FAILED (exit $rc); log $log" >&2
    grep -E 'FUZZ FINDING|ERROR: |runtime error|SUMMARY' -A3 "$log" | head -n 30 >&2 || true
  fi
done

printf '%s\n' "${summary[@]}"
if ((${#failed[@]})); then
  echo "fuzz: FAILED: ${failed[*]}"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, no findings"
