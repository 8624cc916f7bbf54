# Shared by the scripts of this folder: failing loudly, temporary folders.
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

pass() {
    echo "PASS: $*"
}

scratch="$(mktemp -d "${TMPDIR:-/tmp}/telvor-install-test.XXXXXX")"
cleanup_scratch() { rm -rf "$scratch"; }
trap cleanup_scratch EXIT

app_id=com.telvor.Configurator

# Width and height of a PNG, from its header.
png_size() {
    local bytes
    bytes="$(od -An -tu1 -j16 -N8 "$1" | tr -s ' ')"
    set -- $bytes
    echo "$(( ($1 << 24) | ($2 << 16) | ($3 << 8) | $4 ))x$(( ($5 << 24) | ($6 << 16) | ($7 << 8) | $8 ))"
}

# Checks an installed tree below PREFIX: exactly the expected files, each of
# them valid, and pointing at one another by the right names.
check_installed_tree() {
    local prefix="$1" bindir="$2"
    local expected actual
    expected="$(printf '%s\n' \
        "$bindir/TelvorConfiguratorGUI" \
        "share/applications/$app_id.desktop" \
        "share/icons/hicolor/128x128/apps/$app_id.png" \
        "share/metainfo/$app_id.metainfo.xml" | sort)"
    actual="$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)"
    [ "$actual" = "$expected" ] ||
        fail "installed files differ from the expected set:$(diff <(echo "$expected") <(echo "$actual") | sed 's/^/ /')"

    [ -x "$prefix/$bindir/TelvorConfiguratorGUI" ] || fail "the installed program is not executable"

    local desktop="$prefix/share/applications/$app_id.desktop"
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app_id.desktop"
    local exec icon
    exec="$(sed -n 's/^Exec=//p' "$desktop")"
    icon="$(sed -n 's/^Icon=//p' "$desktop")"
    [ "${exec%% *}" = TelvorConfiguratorGUI ] || fail "the desktop entry starts '$exec', not the installed program"
    [ "$icon" = "$app_id" ] || fail "the desktop entry names icon '$icon', installed is '$app_id'"

    local meta="$prefix/share/metainfo/$app_id.metainfo.xml"
    appstreamcli validate --no-net --strict "$meta" || fail "appstreamcli rejects $app_id.metainfo.xml"
    grep -q "<id>$app_id</id>" "$meta" || fail "the metainfo id is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$meta" ||
        fail "the metainfo does not launch $app_id.desktop"

    local png="$prefix/share/icons/hicolor/128x128/apps/$app_id.png"
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the icon is not a PNG"
    [ "$(png_size "$png")" = 128x128 ] || fail "the icon is $(png_size "$png"), not 128x128"
}
