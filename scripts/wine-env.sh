# Sourced by the test and run scripts: starts a virtual X display and makes a
# fresh Wine prefix, and stops both again when the calling script exits.
#   source scripts/wine-env.sh
# Afterwards DISPLAY and WINEPREFIX point at them.

hm_wine_dir=$(mktemp -d /tmp/hulkmeter-wine.XXXXXX)
export WINEPREFIX=$hm_wine_dir/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine mangles non-ASCII file names under the C locale.
export LC_ALL=C.UTF-8

hm_xvfb_pid=
hm_stop_wine_env() {
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  [[ -n $hm_xvfb_pid ]] && kill "$hm_xvfb_pid" 2>/dev/null && wait "$hm_xvfb_pid" 2>/dev/null
  rm -rf "$hm_wine_dir"
}
trap hm_stop_wine_env EXIT

# A display number that nothing holds yet.
for hm_display in $(seq 90 140); do
  [[ -e /tmp/.X11-unix/X$hm_display || -e /tmp/.X$hm_display-lock ]] || break
done
Xvfb ":$hm_display" -screen 0 1280x800x24 -nolisten tcp >"$hm_wine_dir/xvfb.log" 2>&1 &
hm_xvfb_pid=$!
export DISPLAY=":$hm_display"
for _ in $(seq 1 50); do
  [[ -e /tmp/.X11-unix/X$hm_display ]] && break
  sleep 0.1
done

wineboot -i >/dev/null 2>&1
# One virtual desktop for the whole prefix: windows get caption bars, and
# hiding a top-level window costs no wait for a window manager.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -k
wineserver -w
