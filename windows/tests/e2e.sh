#!/usr/bin/env bash
# The Windows build against the Linux device simulator over loopback TCP:
#   e2e.sh tst_wine_e2e.exe          (TELVOR_DEVICESIM: the native devicesim)
# Starts devicesim natively on loopback ports of the system's choosing, hands
# them to the test program under Wine, then checks in the simulator's log that
# each TCP endpoint received from the Windows tool what the test made it send:
# the record request on all three, the write on the configuration service, a
# ping on both data ports.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
exe="$(realpath "$1")"
devicesim="${TELVOR_DEVICESIM:-}"
if [ ! -x "$devicesim" ]; then
    echo "e2e.sh: TELVOR_DEVICESIM must name the natively built devicesim (scripts/test-windows builds it)" >&2
    exit 1
fi
work="$(dirname "$exe")/e2e"
mkdir -p "$work"
log="$work/devicesim.log"

"$devicesim" --no-usb --restart-ms 300 >"$log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT

port_of() { sed -n "s/^$1 127\\.0\\.0\\.1:\\([0-9]*\\)\$/\\1/p" "$log" | head -1; }
for _ in $(seq 100); do
    [ -n "$(port_of rs485)" ] && break
    kill -0 "$sim" 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.1
done
export TELVOR_E2E_CONFIG_PORT="$(port_of config-service)"
export TELVOR_E2E_PORT232="$(port_of rs232)"
export TELVOR_E2E_PORT485="$(port_of rs485)"
echo "devicesim (Linux): config-service $TELVOR_E2E_CONFIG_PORT, rs232 $TELVOR_E2E_PORT232, rs485 $TELVOR_E2E_PORT485"

QT_QPA_PLATFORM=windows "$here/../wine-run" "$exe"

status=0
expect() { # endpoint frame-start
    if ! grep -Eq " $1 <- $2" "$log"; then
        echo "FAIL: the simulator's $1 endpoint received no $2 from the Windows tool" >&2
        status=1
    fi
}
expect config-service 'AT\+READALL\\r\\n'
expect config-service 'AT\+WRITEALL=1,502,0,8,0,1,7,'
for endpoint in rs232 rs485; do
    expect $endpoint 'AT\+READALL\\r\\n'
    expect $endpoint 'AT\+PING\\r\\n'
done
[ $status -eq 0 ] && echo "PASS: every TCP route carried the Windows tool's requests to the Linux simulator"
exit $status
