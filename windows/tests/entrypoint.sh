#!/usr/bin/env bash
# The program's entry on Windows, with the executable as built:
#   entrypoint.sh TelvorConfiguratorGUI.exe
# - it is a GUI-subsystem executable whose start-up goes through Qt's WinMain
#   (the C runtime's main() calls it; it builds argc/argv and calls qMain);
# - started under Wine with the real Windows platform plugin, it shows the
#   start window "Corvanta";
# - "İptal" (focused with Tab from the model box, pressed with Space) ends it
#   with exit code 0.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$@"
fi
exe="$(realpath "$1")"
objdump=x86_64-w64-mingw32-objdump

headers="$("$objdump" -p "$exe")"
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" ||
    { echo "FAIL: $exe is not a GUI-subsystem executable" >&2; exit 1; }
# The call chain in the machine code: the C runtime's main() goes to WinMain
# (Qt's), and WinMain calls qMain.
disassembly="$(x86_64-w64-mingw32-objdump -d "$exe")"
calls() { # function
    awk -v f="<$1>:" '$2 == f { p = 1; next } p && /^$/ { exit } p' <<<"$disassembly" |
        grep -E '\s(call|jmp)\s' | grep -o '<[^>+]*>' | sort -u
}
grep -qx '<WinMain>' <<<"$(calls main)" || { echo "FAIL: main does not go to WinMain" >&2; exit 1; }
grep -qx '<_Z5qMainiPPc>' <<<"$(calls WinMain)" || { echo "FAIL: WinMain does not call qMain" >&2; exit 1; }
echo "entry: GUI subsystem, main -> WinMain -> qMain"

source "$here/common.sh"
export WINEPREFIX="$(dirname "$exe")/wine/entrypoint"
rm -rf "$WINEPREFIX"
start_and_cancel "$exe" "$here/../wine-run"
echo "PASS: WinMain -> qMain, start window shown, exit code 0 on İptal"
