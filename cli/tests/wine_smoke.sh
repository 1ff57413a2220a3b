#!/usr/bin/env bash
# hulkmeter-scan.exe under Wine on a tree made here: ordered rows as JSON and
# as tabs, a name that is not ASCII, a missing root and a bad call.
# Usage: wine_smoke.sh RUNNER PROGRAM.exe   (RUNNER: scripts/wine-run.sh)
set -u
runner=$1
program=$2
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/sub"
truncate -s 4294967296 "$tree/big.bin"
truncate -s 1536 "$tree/sub/a.txt"
truncate -s 10 "$tree/caf"$'\xc3\xa9'".txt"
: >"$tree/empty"

root="Z:${tree//\//\\}"
json_root="${root//\\/\\\\}"
failures=0

check() {  # name, expected status, expected output, status, output
  if [[ $4 != "$2" || $5 != "$3" ]]; then
    echo "FAIL $1: status $4 (wanted $2)"
    diff <(printf '%s\n' "$3") <(printf '%s\n' "$5")
    failures=$((failures + 1))
  else
    echo "ok   $1"
  fi
}

out=$("$runner" "$program" --json "$root")
check json 0 "{\"name\":\"big.bin\",\"folder\":\"$json_root\",\"size\":\"4.00 Gb\",\"bytes\":4294967296}
{\"name\":\"a.txt\",\"folder\":\"$json_root\\\\sub\",\"size\":\"1.50 Kb\",\"bytes\":1536}
{\"name\":\"caf"$'\xc3\xa9'".txt\",\"folder\":\"$json_root\",\"size\":\"10.00 Bt\",\"bytes\":10}
{\"name\":\"empty\",\"folder\":\"$json_root\",\"size\":\"0.00 Bt\",\"bytes\":0}" $? "$out"

out=$("$runner" "$program" --top 2 "$root\\")
check tabs-top-2 0 "big.bin	$root\\	4.00 Gb	4294967296
a.txt	$root\\sub	1.50 Kb	1536" $? "$out"

out=$("$runner" "$program" "$root\\missing")
status=$?
first=${out%%$'\n'*}
wanted="hulkmeter-scan: cannot list '$root\\missing': "
[[ $first == "$wanted"?* ]] && first=$wanted
check missing-root 1 "$wanted" $status "$first"

out=$("$runner" "$program" --frob)
status=$?
check bad-option 2 "hulkmeter-scan: unknown option '--frob'" $status "${out%%$'\n'*}"

exit $((failures > 0))
