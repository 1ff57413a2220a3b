#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs all tests: native
# (plain, AddressSanitizer + UndefinedBehaviorSanitizer, ThreadSanitizer),
# the x86_64 Windows build under Wine, and the checks of the 32-bit build.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install.sh

failed=()
step() {
  local name=$1
  shift
  echo "=== $name"
  if ! "$@"; then failed+=("$name"); fi
}

build_and_test() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" && ctest --preset "$1"
}

step format ./scripts/check-format.sh
for preset in native native-asan native-tsan; do
  step "$preset" build_and_test "$preset"
done
step tidy ./scripts/check-tidy.sh
step fuzz ./scripts/fuzz.sh
step win32 build_and_test win32

# Wine needs a display and a prefix; wine-env.sh stops both on exit.
source scripts/wine-env.sh
step win64 build_and_test win64

if ((${#failed[@]})); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all presets passed"
