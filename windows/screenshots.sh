#!/usr/bin/env bash
# scripts/screenshots --windows: the Windows build's start window and main
# window connected to the device simulator, as a Windows user sees them, into
# docs/screenshots/windows-*.png; and the main window connected at 150 % on a
# 1920 x 1080 screen. Every prefix has Wine's own fonts (windows/wine-run), so
# the captions are in Tahoma as on Windows. Runs the cross-built program under Wine on
# Xvfb with the Windows platform plugin, in a Wine virtual desktop (Wine draws
# the frames); the simulator runs natively on loopback.
#   windows/screenshots.sh
#   TELVOR_WINDOWS_BUILD_DIR  cross-build folder (default: build-windows/)
if [ "${1:-}" = -h ] || [ "${1:-}" = --help ]; then sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0; fi
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${TELVOR_WINDOWS_BUILD_DIR:-$root/build-windows}"
[ -f "$dir/CMakeCache.txt" ] || "$root/scripts/build-windows" "$dir"
cmake --build "$dir" --target telvor-screenshots-windows >/dev/null
devicesim="$("$root/windows/host-devicesim" "$dir")"

work="$dir/screenshots"
mkdir -p "$work"
"$devicesim" --no-usb >"$work/devicesim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    grep -q '^config-service ' "$work/devicesim.log" && break
    sleep 0.1
done
TELVOR_E2E_CONFIG_PORT="$(sed -n 's/^config-service 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/devicesim.log")"
export TELVOR_E2E_CONFIG_PORT

out="$root/docs/screenshots"
rm -f "$out"/windows-*.png
export WINEPREFIX="$work/wine"
rm -rf "$WINEPREFIX"
env -u DISPLAY -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR TELVOR_WINE_DESKTOP=1280x1024 \
    "$root/windows/wine-run" "$dir/windows/telvor-screenshots-windows.exe" "$out" || true
# The connected main window on a 1920 x 1080 screen at 150 % (LogPixels 144),
# scrolled to the page's buttons, in a prefix of its own.
export WINEPREFIX="$work/wine-150"
rm -rf "$WINEPREFIX"
env -u DISPLAY -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR TELVOR_WINE_DPI=144 \
    TELVOR_WINE_SCREEN=1920x1080 TELVOR_WINE_DESKTOP=1920x1080 \
    "$root/windows/wine-run" "$dir/windows/telvor-screenshots-windows.exe" "$out" --scaled || true
status=0
for picture in windows-start.png windows-main-connected.png windows-main-connected-150.png; do
    if [ -f "$out/$picture" ]; then echo "$out/$picture"; else echo "missing: $picture" >&2; status=1; fi
done
exit $status
