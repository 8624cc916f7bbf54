#!/usr/bin/env bash
# Every script of the tree (scripts/, bench/, windows/, with a "#!" first
# line) answers --help by printing its usage, which names the script, and
# exiting 0, without doing any of its work.
#   scripts_help.sh SOURCE_DIR
set -euo pipefail
src="${1:?usage: scripts_help.sh SOURCE_DIR}"
cd "$src"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failed=0
count=0
for script in scripts/* bench/* windows/*; do
    [ -f "$script" ] && head -c 2 "$script" | grep -q '^#!' || continue
    count=$((count + 1))
    # A private home and working folder: a script that took --help for an
    # argument would leave its traces there, not in the tree's.
    status=0
    out=$(cd "$scratch" && HOME="$scratch" timeout 30 bash "$src/$script" --help 2>&1) || status=$?
    if [ $status -ne 0 ]; then
        echo "FAIL: $script --help exited $status" >&2
        failed=$((failed + 1))
    elif ! grep -qF "$script" <<<"$out"; then
        echo "FAIL: $script --help does not print a usage naming it:" >&2
        printf '%s\n' "$out" | head -n 5 >&2
        failed=$((failed + 1))
    fi
done
[ "$(ls -A "$scratch")" = "" ] || { echo "FAIL: a script did work under --help: $(ls -A "$scratch")" >&2; failed=$((failed + 1)); }
echo "$count scripts checked with --help, $failed failed"
[ $count -gt 0 ] && [ $failed -eq 0 ]
