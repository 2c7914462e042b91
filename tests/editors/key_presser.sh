# Presses keys under the X server for the test cases that ask for them, and
# reports those cases' results.
# key_presser.sh WINE TEST_EXE FILTER
# The cases write a request file (its number, the X window, the text to
# type, then the keys to press after it) and wait until the matching done
# file is there.
. "$(dirname "$0")/../ShellTest.sh"
wine=$1 exe=$2 filter=$3
command -v xdotool >/dev/null || { echo "key_presser: xdotool is missing" >&2; exit 1; }
request="$tmp/request"
TESSMOREL_TYPE_REQUEST=$(printf 'Z:%s' "$request" | tr / '\\') \
    "$wine" "$exe" --gtest_filter="$filter" >"$tmp/out" 2>&1 &
pid=$!

last=0
while kill -0 $pid 2>/dev/null; do
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
grep -q "OK \]" "$tmp/out" || fail "the test cases did not run"
finish "key_presser $filter"
