#!/usr/bin/env bash
# Runs atspi_flow.py the way a screen reader meets the tool on Linux: on an X
# server of its own (Xvfb, 1366 x 768), inside a private D-Bus session bus,
# which starts the accessibility bus (at-spi-bus-launcher) when asked for it.
#
#   run_atspi.sh TOOL SIMULATOR WORKDIR
#
# Exits 77 (skipped) with a message when AT-SPI cannot be started here.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
skip() {
    if [ "${TELVOR_REQUIRE_ATSPI:-0}" = 1 ]; then
        echo "FAILED: AT-SPI is required here, but $*"
        exit 1
    fi
    echo "SKIP: $*"
    exit 77
}

if [ "${1:-}" = --in-session ]; then
    # Inside the private session.
    shift
    exec /usr/bin/python3 "$here/atspi_flow.py" "$@"
fi

tool="$1" simulator="$2" workdir="$3"
[ -x /usr/bin/python3 ] || skip "no /usr/bin/python3"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed"
command -v dbus-send >/dev/null || skip "dbus-send is not installed"
command -v xprop >/dev/null || skip "xprop (x11-utils) is not installed"
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
launcher=""
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$candidate" ] && launcher="$candidate"
done
[ -n "$launcher" ] || skip "at-spi-bus-launcher (at-spi2-core) is not installed"

rm -rf "$workdir"
mkdir -p "$workdir/run"
chmod 700 "$workdir/run"
export XDG_RUNTIME_DIR="$workdir/run"
# An X server of its own; -displayfd picks a free display without racing
# other tests for one.
Xvfb -displayfd 4 -screen 0 1366x768x24 -dpi 96 -nolisten tcp 4>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    [ -s "$workdir/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || skip "Xvfb did not start: $(cat "$workdir/xvfb.log")"
    sleep 0.1
done
[ -s "$workdir/display" ] || skip "Xvfb did not announce a display"
export DISPLAY=":$(head -n1 "$workdir/display")"
# The accessibility registry gives up when it cannot reach the display.
for _ in $(seq 100); do
    xprop -root >/dev/null 2>&1 && break
    sleep 0.1
done
xprop -root >/dev/null 2>&1 || skip "the X server on $DISPLAY does not answer"

dbus-run-session -- "$here/run_atspi.sh" --in-session \
    --tool "$tool" --simulator "$simulator" --workdir "$workdir"
