#!/bin/sh
# Builds the help file tool with the host compiler, converts the real help
# text and feeds it broken input.
. "$(dirname "$0")/../ShellTest.sh"

$cxx -std=c++17 -O2 -o "$tmp/mkhlp" "$root/setup/help/mkhlp.cpp" || exit 1
$cxx -std=c++17 -O2 -o "$tmp/check" "$root/tests/setup/hlp_check.cpp" || exit 1

# reachable FILE: every topic is named, reached from the contents by jumps,
# on the browse sequence and in the keyword index.
reachable() {
    "$tmp/check" "$1" > "$tmp/topics" || { fail "$1 cannot be read back"; return; }
    [ -s "$tmp/topics" ] || fail "$1 has no topic"
    grep -v '|1|1|1|1$' "$tmp/topics" | while read -r line; do echo "FAIL: $1: not reachable: $line" >&2; done
    grep -qv '|1|1|1|1$' "$tmp/topics" && failures=$((failures + 1))
}

if "$tmp/mkhlp" "$root/setup/help/Tessmorel.txt" "$tmp/a.hlp"; then
    [ "$(bytes "$tmp/a.hlp" 0 4)" = "63 95 3 0" ] || fail "no help file magic"
    size=$(wc -c < "$tmp/a.hlp" | tr -d ' ')
    [ "$(od -An -tu4 -j 12 -N 4 "$tmp/a.hlp" | tr -d ' ')" = "$size" ] || fail "the header's size is not the file's"
    for name in '|CONTEXT' '|FONT' '|SYSTEM' '|TOPIC'; do
        grep -q "$name" "$tmp/a.hlp" || fail "no $name in the directory"
    done
    "$tmp/mkhlp" "$root/setup/help/Tessmorel.txt" "$tmp/b.hlp" && cmp -s "$tmp/a.hlp" "$tmp/b.hlp" || fail "two runs differ"
    reachable "$tmp/a.hlp"
    [ "$(wc -l < "$tmp/topics")" -eq 6 ] || fail "the help has $(wc -l < "$tmp/topics") topics, not 6"
    # Help Contents in the editor opens the contents topic.
    "$tmp/check" "$tmp/a.hlp" CONTENTS | grep -qx 'CONTENTS=Zarvo Tessmorel Help' || fail "CONTENTS leads elsewhere"
else
    fail "mkhlp rejects Tessmorel.txt"
fi

# Topics spread over several 4 KB topic blocks: no record crosses one, and
# jumps, browsing and the index still find topics in the later blocks.
{
    printf '# Many\n= MANY\n\n'
    for t in 1 2 3 4; do printf '{Part %s|PART%s}\n\n' $t $t; done
    for t in 1 2 3 4; do
        printf '# Part %s\n= PART%s\nK part %s\n\n' $t $t $t
        i=0; while [ $i -lt 60 ]; do echo "Paragraph $i of part $t, long enough to fill blocks, {back|MANY}."; echo; i=$((i + 1)); done
    done
} > "$tmp/many.txt"
sed -i 's/^# Many$/# Many\nK many/' "$tmp/many.txt"
if "$tmp/mkhlp" "$tmp/many.txt" "$tmp/many.hlp"; then
    size=$(wc -c < "$tmp/many.hlp" | tr -d ' ')
    [ "$size" -gt 16000 ] || fail "240 paragraphs make only $size bytes"
    reachable "$tmp/many.hlp"
else
    fail "mkhlp rejects many paragraphs"
fi

printf '# A\n= A\n\n{to nowhere|B}\n' > "$tmp/nowhere.txt"
"$tmp/mkhlp" "$tmp/nowhere.txt" "$tmp/nowhere.hlp" 2>/dev/null && fail "a jump to an unknown topic accepted"
printf '# A\n= A\n# B\n= A\n' > "$tmp/twice.txt"
"$tmp/mkhlp" "$tmp/twice.txt" "$tmp/twice.hlp" 2>/dev/null && fail "a context name given twice accepted"

printf 'text first\n# Title\n' > "$tmp/before.txt"
"$tmp/mkhlp" "$tmp/before.txt" "$tmp/before.hlp" 2>/dev/null && fail "text before a title accepted"
[ -e "$tmp/before.hlp" ] && fail "output written for text before a title"
: > "$tmp/empty.txt"
"$tmp/mkhlp" "$tmp/empty.txt" "$tmp/empty.hlp" 2>/dev/null && fail "an empty source accepted"

finish mkhlp_test
