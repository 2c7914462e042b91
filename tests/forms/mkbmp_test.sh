#!/bin/sh
# Builds the image strip converter with the host compiler, converts the real
# art file and feeds it broken input.
. "$(dirname "$0")/../ShellTest.sh"

if ! $cxx -std=c++17 -O2 -o "$tmp/mkbmp" "$root/forms/images/mkbmp.cpp"; then
    echo "FAIL: mkbmp does not compile" >&2
    exit 1
fi

# --- the real art file
if "$tmp/mkbmp" "$root/forms/images/imglstMain.txt" "$tmp/main.bmp"; then
    size=$(wc -c < "$tmp/main.bmp" | tr -d ' ')
    [ "$size" = 27702 ] || fail "imglstMain.bmp is $size bytes, expected 27702"
    [ "$(bytes "$tmp/main.bmp" 0 2)" = "66 77" ] || fail "imglstMain.bmp lacks the BM signature"
    # width 576, height +16 (bottom-up), 1 plane, 24 bits
    [ "$(bytes "$tmp/main.bmp" 18 12)" = "64 2 0 0 16 0 0 0 1 0 24 0" ] || fail "imglstMain.bmp has a wrong info header"
    "$tmp/mkbmp" "$root/forms/images/imglstMain.txt" "$tmp/again.bmp" && cmp -s "$tmp/main.bmp" "$tmp/again.bmp" ||
        fail "two conversions of imglstMain.txt differ"
else
    fail "mkbmp rejects imglstMain.txt"
fi

# --- a synthetic file: one coloured pixel at the top-left of image 0 and one
# at the bottom-right of image 35, everything else transparent.
# Line numbers: palette on lines 1-2, image i's header on line 3 + 17*i.
{
    echo "A 112233"
    echo "Z 445566  ; trailing comment"
    i=0
    while [ $i -lt 36 ]; do
        echo "# $i img$i"
        r=0
        while [ $r -lt 16 ]; do
            if [ $i = 0 ] && [ $r = 0 ]; then echo "A..............."
            elif [ $i = 35 ] && [ $r = 15 ]; then echo "...............Z"
            else echo "................"; fi
            r=$((r + 1))
        done
        i=$((i + 1))
    done
} > "$tmp/good.txt"

if "$tmp/mkbmp" "$tmp/good.txt" "$tmp/good.bmp"; then
    # rows are stored bottom-up, 1728 bytes each, pixels as B G R
    top=$((54 + 15 * 1728))
    [ "$(bytes "$tmp/good.bmp" "$top" 6)" = "51 34 17 255 0 255" ] ||
        fail "top-left pixel of image 0 misplaced or not BGR: $(bytes "$tmp/good.bmp" "$top" 6)"
    [ "$(bytes "$tmp/good.bmp" $((54 + 1728 - 6)) 6)" = "255 0 255 102 85 68" ] ||
        fail "bottom-right pixel of image 35 misplaced: $(bytes "$tmp/good.bmp" $((54 + 1728 - 6)) 6)"
else
    fail "mkbmp rejects a well-formed synthetic file"
fi

# expect_error NAME LINE: converts $tmp/NAME.txt, wants exit 1, a message
# naming the line and no output file
expect_error() {
    rm -f "$tmp/$1.bmp"
    "$tmp/mkbmp" "$tmp/$1.txt" "$tmp/$1.bmp" 2> "$tmp/$1.err"
    rc=$?
    [ $rc = 1 ] || fail "$1: exit code $rc, expected 1"
    grep -q "$1.txt:$2:" "$tmp/$1.err" || fail "$1: message does not name line $2: $(cat "$tmp/$1.err")"
    [ ! -e "$tmp/$1.bmp" ] || fail "$1: output written despite the error"
}

sed '6s/.*/....x.........../' "$tmp/good.txt" > "$tmp/badchar.txt"
expect_error badchar 6
sed '7s/.*/.............../' "$tmp/good.txt" > "$tmp/shortline.txt"
expect_error shortline 7
sed '8s/.*/................./' "$tmp/good.txt" > "$tmp/longline.txt"
expect_error longline 8
sed '37s/.*/# 1 again/' "$tmp/good.txt" > "$tmp/duplicate.txt"
expect_error duplicate 37
sed '37s/.*/# 3 skipped/' "$tmp/good.txt" > "$tmp/missing.txt"
expect_error missing 37
sed '1s/.*/A 11223/' "$tmp/good.txt" > "$tmp/badpalette.txt"
expect_error badpalette 1
sed '2s/.*/A 445566/' "$tmp/good.txt" > "$tmp/twicepalette.txt"
expect_error twicepalette 2
# image 35 cut off after 10 rows: reported at its header
head -n $((3 + 17 * 35 + 10)) "$tmp/good.txt" > "$tmp/cutrows.txt"
expect_error cutrows $((3 + 17 * 35))
# only 35 images
head -n $((2 + 17 * 35)) "$tmp/good.txt" > "$tmp/fewer.txt"
expect_error fewer $((2 + 17 * 35))
# a 37th image
{ cat "$tmp/good.txt"; echo "# 36 extra"; sed -n '4,19p' "$tmp/good.txt"; } > "$tmp/extra.txt"
expect_error extra $((3 + 17 * 36))
# a 17th row
sed '19a\
................' "$tmp/good.txt" > "$tmp/extrarow.txt"
expect_error extrarow 20

finish mkbmp_test
