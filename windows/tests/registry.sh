#!/usr/bin/env bash
# The panel's five entries in the registry of a Wine prefix, across a restart:
#   registry.sh tst_winsettings.exe
# 1. tst_winsettings typedEntriesAreSaved: a fresh prefix, the entries typed;
# 2. Wine's `reg query` finds the five text values under
#    HKEY_CURRENT_USER\Software\Telvor\Configurator\Commsettings;
# 3. tst_winsettings entriesSurviveRestart: a new process, same prefix, finds
#    them in the panel.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
exe="$(realpath "$1")"
export WINEPREFIX="$(dirname "$exe")/wine/registry"
rm -rf "$WINEPREFIX"
export QT_QPA_PLATFORM=windows

"$here/../wine-run" "$exe" typedEntriesAreSaved

key='HKEY_CURRENT_USER\Software\Telvor\Configurator\Commsettings'
listing="$(WINEDEBUG=-all /usr/lib/wine/wine64 reg query "$key" | tr -d '\r')"
echo "reg query $key:"
echo "$listing"
declare -A expected=([Ip]=192.0.2.10 [Port]=5001 [IpTcp]=198.51.100.7 [Port232]=5232 [Port485]=5485)
for name in "${!expected[@]}"; do
    if ! grep -Eq "^ +$name +REG_SZ +${expected[$name]//./\\.}\$" <<<"$listing"; then
        echo "FAIL: $name is not ${expected[$name]} (REG_SZ) in the registry" >&2
        exit 1
    fi
done

"$here/../wine-run" "$exe" entriesSurviveRestart
echo "PASS: the five entries are in the registry and survive a restart"
