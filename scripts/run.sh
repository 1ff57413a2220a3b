#!/usr/bin/env bash
# Installs what is missing, builds Hulkmeter and starts it under Wine, in a
# prefix kept in ~/.hulkmeter-wine so the remembered root path survives
# between runs. The windowed program needs a display: without one ($DISPLAY
# unset) this runs the command-line companion instead,
#   hulkmeter-scan --top 20 FOLDER      (FOLDER: the argument, or ".")
set -euo pipefail
here=$(pwd)
cd "$(dirname "$0")/.."

./scripts/install.sh

if [[ -z "${DISPLAY:-}" ]]; then
  echo "run.sh: the windowed program needs a display; running hulkmeter-scan --top 20 instead." >&2
  cmake --preset native >/dev/null
  cmake --build --preset native --target hulkmeter-scan >/dev/null
  scan=$PWD/build/native/cli/hulkmeter-scan
  cd "$here"
  exec "$scan" --top 20 "${1:-.}"
fi

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target hulkmeter
export WINEPREFIX=${WINEPREFIX:-$HOME/.hulkmeter-wine}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
[[ -d $WINEPREFIX ]] || wineboot -i >/dev/null 2>&1
# The help file lies beside the program; the program opens it by bare name.
cd build/win64
exec wine ./hulkmeter.exe
