#!/usr/bin/env bash
# Renews docs/main-window.png, the picture of Tenrovel.exe's main window in
# the README: the Windows build under Wine on a private Xvfb display, as it
# looks on a first start (no settings file yet). Wine has no "ＭＳ Ｐゴシック";
# the program then uses the IPA Gothic fonts from Debian's
# fonts-ipafont-gothic, which scripts/setup.sh installs.
#
# usage: scripts/screenshot.sh [OUTPUT.png]
#   TENROVEL_BUILD_DIR: a configured Windows build to use (default: the
#   "windows" preset's build/windows, configured and built here).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
output=${1:-docs/main-window.png}

scripts/setup.sh >/dev/null
build=${TENROVEL_BUILD_DIR:-build/windows}
if [ -z "${TENROVEL_BUILD_DIR:-}" ]; then
  cmake --preset windows >/dev/null
fi
cmake --build "$build" --target Tenrovel >/dev/null
exe=$(find "$build" -name Tenrovel.exe -path '*win32*' | head -n 1)
[ -n "$exe" ] || { echo "screenshot: no Tenrovel.exe in $build" >&2; exit 1; }

# Not the convert of PATH, which may be a stand-in: ImageMagick's own.
convert=/usr/bin/convert
[ -x "$convert" ] || { echo "screenshot: ImageMagick is missing (scripts/setup.sh)" >&2; exit 1; }

work="$root/build/screenshot"
rm -rf "$work"
mkdir -p "$work/program"
cp "$exe" "$work/program/Tenrovel.exe"
export WINEPREFIX="$root/build/wineprefix-screenshot"
wineserver=/usr/lib/wine/wineserver

xvfb_pid=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

# Without a window manager Wine draws the frame and caption itself; its
# caption buttons need Wine's own fonts (Marlett, from fonts-wine), which
# Debian's Wine does not find by itself.
scripts/wine-run.sh reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

scripts/wine-run.sh "$work/program/Tenrovel.exe" >"$work/tenrovel.log" 2>&1 &
shown=""
for _ in $(seq 1 300); do
  if xwininfo -name Tenrovel >/dev/null 2>&1; then
    shown=yes
    break
  fi
  sleep 0.2
done
[ -n "$shown" ] || { echo "screenshot: the window did not appear" >&2; exit 1; }
sleep 3   # the settings are applied and painted after the window appears

xwd -silent -name Tenrovel -out "$work/window.xwd"
mkdir -p "$(dirname "$output")"
"$convert" "$work/window.xwd" -strip "$output"
echo "screenshot: wrote $output"
