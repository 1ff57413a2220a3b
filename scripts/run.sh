#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine.
# With a display ($DISPLAY) the window opens there, in a Wine prefix kept in
# ~/.hulkmeter-wine so the remembered root path survives between runs.
# Without one it opens on a virtual display, and a screenshot is saved every
# few seconds to build/hulkmeter-screen.png until the program is closed.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target hulkmeter
exe=$PWD/build/win64/hulkmeter.exe

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
if [[ -n "${DISPLAY:-}" ]]; then
  export WINEPREFIX=${WINEPREFIX:-$HOME/.hulkmeter-wine}
  [[ -d $WINEPREFIX ]] || wineboot -i >/dev/null 2>&1
  cd build/win64
  exec wine "$exe"
fi

echo "run.sh: no display here; Hulkmeter runs on a virtual one."
echo "run.sh: see build/hulkmeter-screen.png; stop with Ctrl-C."
source scripts/wine-env.sh
(cd build/win64 && wine "$exe") &
program=$!
while kill -0 "$program" 2>/dev/null; do
  sleep 3
  import -display "$DISPLAY" -window root build/hulkmeter-screen.png 2>/dev/null || true
done
