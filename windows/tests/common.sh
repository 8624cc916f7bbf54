# Shared by the Windows test scripts (sourced): a Wine prefix of their own,
# the registry, and the start window's way out.
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A new prefix with Wine's own fonts, as windows/wine-run makes them.
fresh_prefix() { # folder
    export WINEPREFIX="$1"
    rm -rf "$WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w
    "$(dirname "${BASH_SOURCE[0]}")/../wine-fonts" "$WINEPREFIX"
}

wine_quiet() {
    "$wine" "$@"
}

reg_query() { # key
    "$wine" reg query "$1" | tr -d '\r'
}

# Starts a program (under the current WINEPREFIX, with the real Windows
# platform), waits for the start window "Corvanta", presses "İptal" (Tab
# from the model box to it, then Space) and expects exit code 0.
start_and_cancel() { # exe [runner...]
    local exe="$1"
    shift
    local runner=("$@")
    [ ${#runner[@]} -gt 0 ] || runner=("$wine")
    (unset QT_QPA_PLATFORM; exec "${runner[@]}" "$exe") &
    local program=$!
    local window
    # Polled: a window that goes away while xdotool walks the tree makes it
    # fail (BadWindow), and Wine makes and drops several while starting.
    window=""
    for _ in $(seq 360); do
        window="$(xdotool search --onlyvisible --name '^Corvanta$' 2>/dev/null | head -1 || true)"
        [ -n "$window" ] && break
        kill -0 "$program" 2>/dev/null || break
        sleep 0.5
    done
    if [ -z "$window" ]; then
        kill "$program" 2>/dev/null || true
        fail "the start window of $exe did not appear"
    fi
    echo "start window shown: X window $window"
    xdotool windowfocus --sync "$window"
    sleep 1
    xdotool key Tab
    sleep 1
    xdotool key space
    for _ in $(seq 600); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$program" 2>/dev/null; then
        kill "$program" 2>/dev/null || true
        fail "$exe still runs after İptal"
    fi
    local status=0
    wait "$program" || status=$?
    [ $status -eq 0 ] || fail "$exe ended with exit code $status after İptal"
    echo "İptal: exit code 0"
}
