#!/bin/sh
# Rebuilds a compiled help file and puts it where its deliverable embeds it. The build does not
# run this: the compiled files are committed. Needs chmcmd (Debian package fp-utils).
#   build-help.sh          the editing control's help (resources/help, XrRichTextBox HELP 101)
#   build-help.sh program  the program's help (resources/scrivet-help, Scrivet HELP 102)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-control}" in
control)
    sources="$root/resources/help"
    project=XrRTBHelp
    target="$root/resources/XrRichTextBox/HELP/101"
    topic=/xrwmshelp.txt
    ;;
program)
    sources="$root/resources/scrivet-help"
    project=Scrivet
    target="$root/resources/Scrivet/HELP/102"
    topic=/index.htm
    ;;
*)
    echo "usage: build-help.sh [control|program]" >&2
    exit 2
    ;;
esac

if ! command -v chmcmd >/dev/null 2>&1; then
    echo "build-help: chmcmd not found; install it with: apt-get install fp-utils" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$sources"/. "$work"/
(cd "$work" && chmcmd --no-html-scan "$project.hhp" >"$work/chmcmd.log" 2>&1) || {
    cat "$work/chmcmd.log" >&2
    exit 1
}

chm="$work/$project.chm"
# A compiled help file starts with "ITSF" and names its topics by path.
if [ "$(head -c 4 "$chm")" != "ITSF" ] || ! grep -q "$topic" "$chm"; then
    echo "build-help: $chm is not a compiled help file with the topic $topic" >&2
    exit 1
fi

mkdir -p "$(dirname "$target")"
cp "$chm" "$target"
echo "build-help: wrote $target ($(wc -c <"$target") bytes)"
