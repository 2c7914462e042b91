# Types, under the X server, what the TypedTextTest cases ask for, into the
# window they name, and reports those cases' results.
# typed_text.sh WINE TEST_EXE
# The cases write a request file (its number, the X window, the text, then
# the keys to press after it) and wait until the matching done file is there.
. "$(dirname "$0")/../ShellTest.sh"
wine=$1 exe=$2
command -v xdotool >/dev/null || { echo "typed_text: xdotool is missing" >&2; exit 1; }
request="$tmp/request" finished="$tmp/finished"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
TESSMOREL_TYPE_REQUEST=$(winpath "$request") TESSMOREL_TYPE_FINISHED=$(winpath "$finished") \
    "$wine" "$exe" --gtest_filter='TypedTextTest.*' >"$tmp/out" 2>&1 &
pid=$!

last=0
while kill -0 $pid 2>/dev/null && [ ! -e "$finished" ]; do
    if [ -s "$request" ]; then
        n=$(sed -n 1p "$request")
        if [ "$n" != "$last" ] && [ -n "$(sed -n 4p "$request")" ]; then
            window=$(sed -n 2p "$request") text=$(sed -n 3p "$request") keys=$(sed -n 4p "$request")
            # Focus moved by hand would end an in-place edit: only when needed.
            if [ "$(xdotool getwindowfocus 2>/dev/null)" != "$window" ]; then
                xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
                sleep 0.3
            fi
            [ -n "$text" ] && LC_ALL=C.UTF-8 xdotool type --delay 60 "$text"
            # shellcheck disable=SC2086
            [ "$keys" != "-" ] && { sleep 0.2; xdotool key --delay 120 $keys; }
            sleep 0.3
            : >"$tmp/done-$n"
            last=$n
        fi
    fi
    sleep 0.1
done
wait $pid || fail "the test cases failed"
cat "$tmp/out"
grep -q "OK \] TypedTextTest" "$tmp/out" || fail "the test cases did not run"
finish typed_text
