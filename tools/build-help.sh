#!/bin/sh
# Rebuilds the editing control's compiled help file from resources/help/ and puts it where the
# XrRichTextBox library embeds it (resource type HELP, identifier 101). The build does not run
# this: the compiled file is committed. Needs chmcmd (Debian package fp-utils).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
sources="$root/resources/help"
target="$root/resources/XrRichTextBox/HELP/101"

if ! command -v chmcmd >/dev/null 2>&1; then
    echo "build-help: chmcmd not found; install it with: apt-get install fp-utils" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$sources"/. "$work"/
(cd "$work" && chmcmd --no-html-scan XrRTBHelp.hhp >"$work/chmcmd.log" 2>&1) || {
    cat "$work/chmcmd.log" >&2
    exit 1
}

chm="$work/XrRTBHelp.chm"
# A compiled help file starts with "ITSF"; the help path names the topic /xrwmshelp.txt in it.
if [ "$(head -c 4 "$chm")" != "ITSF" ] || ! grep -q "/xrwmshelp.txt" "$chm"; then
    echo "build-help: $chm is not a compiled help file with the topic /xrwmshelp.txt" >&2
    exit 1
fi

mkdir -p "$(dirname "$target")"
cp "$chm" "$target"
echo "build-help: wrote $target ($(wc -c <"$target") bytes)"
