#!/usr/bin/env bash
# CPack makes one .deb that holds the installed tree, declares the Qt runtime
# it links against, and whose program starts from the unpacked files.
#   install_package.sh BUILD_DIR
source "$(dirname "$0")/common.sh"
build="${1:?usage: install_package.sh BUILD_DIR}"

command -v dpkg-deb >/dev/null || fail "dpkg-deb is missing"
(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB failed"; }
debs=("$scratch"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb="${debs[0]}"

[ "$(dpkg-deb -f "$deb" Package)" = telvor-configurator ] || fail "package name is $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "architecture is $(dpkg-deb -f "$deb" Architecture)"
depends="$(dpkg-deb -f "$deb" Depends)"
# The Qt libraries of the build's Qt version (the build folder's cache says which).
if grep -q '^TELVOR_QT_MAJOR:STRING=6$' "$build/CMakeCache.txt" 2>/dev/null; then
    qt_libs=(libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6serialport6)
else
    qt_libs=(libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5 libqt5serialport5)
fi
for lib in "${qt_libs[@]}"; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$lib\b" || fail "Depends lacks $lib: $depends"
done
pass "package control fields; Depends: $depends"

# The long description is the AppStream description: its paragraphs and list
# items, below the one-line summary.
description="$(dpkg-deb -f "$deb" Description)"
[ "$(echo "$description" | head -n 1)" = "Configuration tool for Telvor serial-to-network gateways" ] ||
    fail "the description's first line is not the summary: $(echo "$description" | head -n 1)"
[ "$(echo "$description" | wc -l)" -ge 8 ] || fail "the package has no long description: $description"
echo "$description" | grep -q '^ A tool with which a technician sets up a Telvor gateway: a box that carries$' ||
    fail "the long description does not begin with the metainfo's first paragraph"
echo "$description" | grep -q '^  \* read the network settings over TCP or USB and change them over USB:' ||
    fail "the long description lacks the metainfo's list items"
echo "$description" | grep -q '^ \.$' || fail "the long description's paragraphs are not separated"
if echo "$description" | sed 1d | grep -q '.\{81\}'; then
    fail "the long description has lines over 80 columns"
fi
pass "long description from the metainfo"

dpkg-deb -x "$deb" "$scratch/root"
check_installed_tree "$scratch/root/usr" bin
check_debian_docs "$scratch/root/usr/share/doc/telvor-configurator" "$(dpkg-deb -f "$deb" Version)"
pass "package contents, copyright and changelog"

program="$scratch/root/usr/bin/TelvorConfiguratorGUI"
if ldd "$program" | grep -q 'not found'; then
    ldd "$program" >&2
    fail "the packaged program lacks libraries"
fi
# The program starts and shows its start window (titled "Corvanta") on an X
# server of its own; it is stopped once the window is there.
mkdir -p "$scratch/home"
status=0
HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" QT_QPA_PLATFORM=xcb QT_XCB_GL_INTEGRATION=none \
    xvfb-run -a sh -c '
        "$1" >"$2" 2>&1 &
        pid=$!
        for i in $(seq 200); do
            if xwininfo -root -tree 2>/dev/null | grep -q "\"Corvanta\""; then
                kill -TERM "$pid"
                wait "$pid" 2>/dev/null
                exit 0
            fi
            kill -0 "$pid" 2>/dev/null || exit 1
            sleep 0.1
        done
        kill -TERM "$pid"
        exit 2' sh "$program" "$scratch/program.log" || status=$?
case $status in
    0) ;;
    1) cat "$scratch/program.log" >&2; fail "the packaged program ended at start" ;;
    *) cat "$scratch/program.log" >&2; fail "the packaged program showed no start window within 20 s" ;;
esac
pass "the packaged program starts and shows its start window"
