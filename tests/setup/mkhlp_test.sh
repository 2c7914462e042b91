#!/bin/sh
# Builds the help file tool with the host compiler, converts the real help
# text and feeds it broken input.
. "$(dirname "$0")/../ShellTest.sh"

$cxx -std=c++17 -O2 -o "$tmp/mkhlp" "$root/setup/help/mkhlp.cpp" || exit 1

if "$tmp/mkhlp" "$root/setup/help/Tessmorel.txt" "$tmp/a.hlp"; then
    [ "$(bytes "$tmp/a.hlp" 0 4)" = "63 95 3 0" ] || fail "no help file magic"
    size=$(wc -c < "$tmp/a.hlp" | tr -d ' ')
    [ "$(od -An -tu4 -j 12 -N 4 "$tmp/a.hlp" | tr -d ' ')" = "$size" ] || fail "the header's size is not the file's"
    for name in '|CONTEXT' '|FONT' '|SYSTEM' '|TOPIC'; do
        grep -q "$name" "$tmp/a.hlp" || fail "no $name in the directory"
    done
    "$tmp/mkhlp" "$root/setup/help/Tessmorel.txt" "$tmp/b.hlp" && cmp -s "$tmp/a.hlp" "$tmp/b.hlp" || fail "two runs differ"
else
    fail "mkhlp rejects Tessmorel.txt"
fi

# Paragraphs enough for several 4 KB topic blocks: no record crosses one.
{ echo "# Many"; i=0; while [ $i -lt 200 ]; do echo "Paragraph $i of the help text, long enough to fill blocks."; echo; i=$((i + 1)); done; } > "$tmp/many.txt"
if "$tmp/mkhlp" "$tmp/many.txt" "$tmp/many.hlp"; then
    size=$(wc -c < "$tmp/many.hlp" | tr -d ' ')
    [ "$size" -gt 12000 ] || fail "200 paragraphs make only $size bytes"
else
    fail "mkhlp rejects many paragraphs"
fi

printf 'text first\n# Title\n' > "$tmp/before.txt"
"$tmp/mkhlp" "$tmp/before.txt" "$tmp/before.hlp" 2>/dev/null && fail "text before a title accepted"
[ -e "$tmp/before.hlp" ] && fail "output written for text before a title"
: > "$tmp/empty.txt"
"$tmp/mkhlp" "$tmp/empty.txt" "$tmp/empty.hlp" 2>/dev/null && fail "an empty source accepted"

finish mkhlp_test
