#!/usr/bin/env bash
# `cmake --install` into a temporary prefix puts the program, the desktop entry,
# the AppStream metainfo, the icons (scalable, 48, 128 and 256 pixels), the
# copyright file and the changelog in the standard places, and nothing else;
# desktop-file-validate and appstreamcli accept them, and the program names
# the desktop entry as its own.
#   install_tree.sh BUILD_DIR
source "$(dirname "$0")/common.sh"
build="${1:?usage: install_tree.sh BUILD_DIR}"

prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }
bindir="$(sed -n 's/^CMAKE_INSTALL_BINDIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
check_installed_tree "$prefix" "${bindir:-bin}"
pass "install tree below a temporary prefix"

# DESTDIR staging, as distribution packaging uses it, lands below DESTDIR.
DESTDIR="$scratch/stage" cmake --install "$build" --prefix /opt/telvor >/dev/null
check_installed_tree "$scratch/stage/opt/telvor" "${bindir:-bin}"
pass "install tree staged with DESTDIR"
