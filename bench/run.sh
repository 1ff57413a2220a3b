#!/usr/bin/env bash
# Measures a scan against the floor, for trees of each size, in one run, and
# writes the figures to docs/bench-results.md.
#   bench/run.sh [SIZES...]      (default 25000 50000 100000 200000)
# For each size: the Wine floor (bare FindFirstFileW walk) and the windowed
# program (wine_scan_bench), the native floor (readdir + stat) and
# hulkmeter-scan natively with its peak memory. Then the list-message costs at
# 25k rows and the micro-benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
sizes=("$@")
((${#sizes[@]})) || sizes=(25000 50000 100000 200000)
repeats=5  # every figure is the best of five runs: this machine is noisy

cmake --preset native >/dev/null
cmake --build --preset native --target hulkmeter-scan native_walk_bench micro_bench
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target hulkmeter wine_scan_bench list_messages_bench listview_sort_bench

gnu_time=/usr/bin/time
if [[ ! -x $gnu_time ]]; then
  echo "GNU time is missing (Debian package 'time'): peak memory is not measured" >&2
  gnu_time=
fi

work=$(mktemp -d /tmp/hulkmeter-bench.XXXXXX)
load_before="$(uptime)"
started="$(date -u '+%Y-%m-%d %H:%M UTC')"

source scripts/wine-env.sh
trap 'rm -rf "$work"; hm_stop_wine_env' EXIT

rows=$work/rows.tsv
printf 'files\twine_floor\twalk_rows\tordering\twindowed\tsort_alone\tnative_walk\tscan\tpeak_kib\n' >"$rows"
: >"$work/ordering.txt"
for size in "${sizes[@]}"; do
  tree=$work/tree$size
  echo "== $size files: making the tree"
  python3 bench/make-tree.py "$tree" "$size" >/dev/null
  build/native/bench/native_walk_bench "$tree" >/dev/null  # warm the caches alike for everyone

  native_best=
  scan_best=
  peak=0
  for _ in $(seq "$repeats"); do
    walk=$(build/native/bench/native_walk_bench "$tree" | awk '{print $4}')
    start=$EPOCHREALTIME
    if [[ -n $gnu_time ]]; then
      "$gnu_time" -v build/native/cli/hulkmeter-scan "$tree" 2>"$work/time.txt" >/dev/null
      kib=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$work/time.txt")
      ((kib > peak)) && peak=$kib
    else
      build/native/cli/hulkmeter-scan "$tree" >/dev/null
    fi
    scan=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.3f", b - a}')
    native_best=$(awk -v a="${native_best:-$walk}" -v b="$walk" 'BEGIN {print (b < a ? b : a)}')
    scan_best=$(awk -v a="${scan_best:-$scan}" -v b="$scan" 'BEGIN {print (b < a ? b : a)}')
  done

  wine_tree=$(winepath -w "$tree")
  wine_program=$(winepath -w "$repo/build/win64/hulkmeter.exe")
  # The windowed figures of the run with the shortest scan, and the shortest
  # floor: best of three for both, as natively.
  best=
  best_floor=
  for _ in $(seq "$repeats"); do
    line=$(cd build/win64 && wine bench/wine_scan_bench.exe "$wine_tree" "$wine_program" | tr -d '\r')
    echo "$line"
    # files N floor F walk+rows W ordering O total T ratio R row0 S batches B in-batches I
    read -r _ files _ floor _ walk_rows _ ordering _ total _ <<<"$line"
    [[ $files == "$size" ]] || echo "warning: the Wine walk counted $files files, not $size" >&2
    best_floor=$(awk -v a="${best_floor:-$floor}" -v b="$floor" 'BEGIN {print (b < a ? b : a)}')
    if [[ -z $best ]] || awk -v a="$best_total" -v b="$total" 'BEGIN {exit !(b < a)}'; then
      best="$walk_rows $ordering $total"
      best_total=$total
    fi
  done
  floor=$best_floor
  read -r walk_rows ordering total <<<"$best"
  # The ordering alone, in a list of the bench's own with as many rows.
  sort_lines=$(cd build/win64 && wine bench/listview_sort_bench.exe "$size" | tr -d '\r')
  echo "$sort_lines" | tee -a "$work/ordering.txt"
  sort_alone=$(awk '/^SortBySize [0-9]/ {print $2}' <<<"$sort_lines")
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$files" "$floor" "$walk_rows" "$ordering" "$total" \
    "$sort_alone" "$native_best" "$scan_best" "$peak" >>"$rows"
  rm -rf "$tree"
done

echo "== list messages at 25000 rows"
largest=$(printf '%s\n' "${sizes[@]}" | sort -n | tail -1)
(cd build/win64 && wine bench/list_messages_bench.exe 25000 "$largest" | tr -d '\r') | tee "$work/messages.txt"

echo "== micro-benchmarks"
build/native/bench/micro_bench --benchmark_min_time=0.2 2>/dev/null | tee "$work/micro.txt"

python3 bench/format-results.py "$rows" "$work/ordering.txt" "$work/messages.txt" "$work/micro.txt" \
  "$started" "$load_before" "$(uptime)" "$(nproc)" "$(uname -sr)" "$(wine --version)" >docs/bench-results.md
echo
cat docs/bench-results.md
