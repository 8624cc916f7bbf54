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
package=telvor-configurator

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
        "share/icons/hicolor/scalable/apps/$app_id.svg" \
        "share/icons/hicolor/48x48/apps/$app_id.png" \
        "share/icons/hicolor/128x128/apps/$app_id.png" \
        "share/icons/hicolor/256x256/apps/$app_id.png" \
        "share/metainfo/$app_id.metainfo.xml" \
        "share/doc/$package/copyright" \
        "share/doc/$package/changelog.Debian.gz" | sort)"
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

    local size png
    for size in 48 128 256; do
        png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
        [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the $size icon is not a PNG"
        [ "$(png_size "$png")" = "${size}x${size}" ] || fail "the $size icon is $(png_size "$png")"
    done
    local svg="$prefix/share/icons/hicolor/scalable/apps/$app_id.svg"
    grep -q '<svg[^>]*xmlns="http://www.w3.org/2000/svg"' "$svg" || fail "the scalable icon is not an SVG"
    grep -q 'viewBox=' "$svg" || fail "the scalable icon has no viewBox to scale by"

    # The program tells the desktop which entry is its own by the entry's id.
    local program="$prefix/$bindir/TelvorConfiguratorGUI"
    strings -el "$program" | grep -qx "$app_id" ||
        fail "the program does not name $app_id as its desktop file"

    check_debian_docs "$prefix/share/doc/$package"
}

# The copyright file in the machine-readable format, with Telvor as the holder
# and no licence claimed; the changelog gzipped without name or time stamp,
# its newest entry for VERSION of this package.
check_debian_docs() {
    local docs="$1" version="${2:-}"
    local copyright="$docs/copyright"
    [ "$(head -n 1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
        fail "the copyright file is not in the machine-readable format"
    grep -q '^Files: \*$' "$copyright" || fail "the copyright file has no Files: * paragraph"
    grep -q '^Copyright: .*Telvor$' "$copyright" || fail "the copyright holder is not Telvor"
    grep -q '^License: ' "$copyright" || fail "the copyright file's Files paragraph lacks License:"
    if grep -Eqi 'GPL|MIT|BSD|Apache|MPL|Creative Commons|public domain' "$copyright"; then
        fail "the copyright file names a licence nobody chose"
    fi

    local changelog="$docs/changelog.Debian.gz"
    gzip -t "$changelog" || fail "the changelog is not gzip data"
    local header
    header="$(od -An -tu1 -N8 "$changelog" | tr -s ' ')"
    set -- $header
    [ $(( $4 & 8 )) -eq 0 ] || fail "the gzipped changelog keeps a file name (gzip -n)"
    [ "$5$6$7$8" = 0000 ] || fail "the gzipped changelog keeps a time stamp (gzip -n)"
    local first
    first="$(gzip -dc "$changelog" | head -n 1)"
    [[ "$first" =~ ^$package\ \(([^\)]+)\)\  ]] || fail "the changelog does not start with a $package entry: $first"
    if [ -n "$version" ] && [ "${BASH_REMATCH[1]}" != "$version" ]; then
        fail "the changelog's newest entry is ${BASH_REMATCH[1]}, the package is $version"
    fi
    if command -v dpkg-parsechangelog >/dev/null; then
        gzip -dc "$changelog" >"$scratch/changelog"
        dpkg-parsechangelog -l "$scratch/changelog" >/dev/null || fail "dpkg-parsechangelog rejects the changelog"
    fi
}
