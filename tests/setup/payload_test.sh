#!/bin/sh
# Checks the built installer's payload without Wine, and that the payload
# tool refuses an image whose marker is missing or doubled.
#   payload_test.sh <build folder>...
. "$(dirname "$0")/../ShellTest.sh"

$cxx -std=c++17 -O2 -I"$root/setup" -o "$tmp/check" "$root/tests/setup/payload_check.cpp" || exit 1
$cxx -std=c++17 -O2 -I"$root/setup" -o "$tmp/mkpayload" "$root/setup/mkpayload.cpp" || exit 1

for build in "$@"; do
    [ -f "$build/bin/setup.exe" ] || { fail "$build/bin/setup.exe is missing"; continue; }
    case "$build" in *-i686) machine=0x14c ;; *) machine=0x8664 ;; esac
    for exe in "$build/bin/setup.exe" "$build/payload/Tessmorel.exe" "$build/payload/UnInstall.exe"; do
        [ "$(od -An -tx2 -j "$(od -An -tu4 -j 60 -N 4 "$exe" | tr -d ' ')" -N 6 "$exe" | awk '{print "0x" $3}' | sed 's/^0x0*/0x/')" = "$machine" ] ||
            fail "$exe is not built for machine $machine"
    done
    "$tmp/check" "$build/bin/setup.exe" "$build/payload" || fail "$build/bin/setup.exe"
    # A setup cut short or padded no longer matches its table.
    head -c -1 "$build/bin/setup.exe" > "$tmp/cut.exe"
    "$tmp/check" "$tmp/cut.exe" "$build/payload" 2>/dev/null && fail "a cut setup passes"
done

# The marker missing or twice in the image.
build=$1
files="$build/payload/Tessmorel.exe $build/payload/UnInstall.exe $build/payload/Readme.txt $build/payload/License.txt $build/payload/Tessmorel.hlp $build/payload/LANGUAGE.INI"
# shellcheck disable=SC2086
"$tmp/mkpayload" "$build/payload/UnInstall.exe" "$tmp/none.exe" $files 2>/dev/null && fail "no marker accepted"
[ -e "$tmp/none.exe" ] && fail "output written without a marker"
cat "$build/payload/setup-image.exe" "$build/payload/setup-image.exe" > "$tmp/twice.exe"
# shellcheck disable=SC2086
"$tmp/mkpayload" "$tmp/twice.exe" "$tmp/twice-out.exe" $files 2>/dev/null && fail "a doubled marker accepted"
# shellcheck disable=SC2086
"$tmp/mkpayload" "$build/payload/setup-image.exe" "$tmp/again.exe" $files || fail "mkpayload fails on the image"
cmp -s "$tmp/again.exe" "$build/bin/setup.exe" || fail "two payload runs differ"

finish payload_test
