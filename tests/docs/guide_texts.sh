#!/usr/bin/env bash
# Every text the tool shows as a message (the status bar, a message box's
# title and text) must be explained in docs/guide.md. The texts are read from
# the sources: every literal in tr() or QT_TR_NOOP() in src/, and the names of
# the platform's socket and serial errors and of the reply errors, which the
# status bar shows as they are. A %1 in a text stands for any run of
# characters; the guide's line breaks count as spaces.
#   guide_texts.sh SOURCE_DIR
set -euo pipefail
src="${1:?usage: guide_texts.sh SOURCE_DIR}"
guide="$src/docs/guide.md"

# Texts in tr() that are no message: names and tool tips of the panel's
# buttons (their own section of the guide names them), units of the page's
# boxes, and the port list's "name(description)" item.
not_messages=(
    "%1(%2)" "Close the COM port" "Close the connection to the device's configuration service" "Connect"
    "Connect ETHERNET" "Connect USB" "Connect to the device's configuration service at SERVER IP and SERVER PORT"
    "Disconnect" "Disconnect ETHERNET" "Disconnect USB" "Open the COM port selected in the list"
    "char" "ms" "s"
)

texts=$(
    perl -0777 -ne '
        while (/\b(?:tr|QT_TR_NOOP)\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+)/g) {
            my $s = $1;
            $s =~ s/"\s*"//g;
            $s =~ s/^"|"$//g;
            $s =~ s/\\"/"/g;
            $s =~ s/\\n/ /g;
            $s =~ s/^\s+|\s+$//g;
            print "$s\n";
        }
        # The error-name tables: every entry is a status text of its own.
        while (/(?:SocketErrString|SerialErrString|TrpErrString)\[[^\]]*\]\s*=\s*\{(.*?)\};/gs) {
            my $table = $1;
            while ($table =~ /QStringLiteral\("([^"]+)"\)/g) { print "$1\n" unless $1 eq "err_OK" || $1 eq "err_Max"; }
        }
    ' "$src"/src/*.cpp "$src"/src/*/*.cpp 2>/dev/null | sort -u
)
[ -n "$texts" ] || { echo "FAIL: no texts found in $src/src" >&2; exit 1; }

# The guide as one line, whitespace runs as one space.
flat=$(tr -s '[:space:]' ' ' <"$guide")

missing=0
count=0
while IFS= read -r text; do
    skip=0
    for other in "${not_messages[@]}"; do
        [ "$text" = "$other" ] && skip=1
    done
    [ $skip -eq 1 ] && continue
    count=$((count + 1))
    if ! TEXT="$text" FLAT="$flat" perl -e '
            my $pattern = join ".*?", map { quotemeta } split /%\d/, $ENV{TEXT}, -1;
            $pattern =~ s/(\\ )+/\\s+/g;
            exit($ENV{FLAT} =~ /$pattern/ ? 0 : 1);'; then
        echo "FAIL: docs/guide.md does not explain \"$text\"" >&2
        missing=$((missing + 1))
    fi
done <<<"$texts"

echo "$count message texts checked against docs/guide.md, $missing missing"
[ $missing -eq 0 ]
