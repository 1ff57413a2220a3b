#!/usr/bin/env bash
# Runs one Windows program under Wine 64-bit for CTest and returns its exit
# code. Wine's helper processes keep inherited pipes open until the wineserver
# ends, so the program writes to a file that is printed afterwards.
set -u
if [[ -z "${WINEPREFIX:-}" ]]; then
  echo "wine-run.sh: WINEPREFIX is not set; run the tests through scripts/test.sh" >&2
  exit 1
fi
out=$(mktemp)
WINEDEBUG=${WINEDEBUG:--all} wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit "$rc"
