# Presses real keys, under the X server, into the binary editor that the
# RealKeysTest case opens, and reports that case's result.
# real_keys.sh WINE TEST_EXE
. "$(dirname "$0")/../ShellTest.sh"
wine=$1 exe=$2
command -v xdotool >/dev/null || { echo "real_keys: xdotool is missing" >&2; exit 1; }
done_file="$tmp/done"
TESSMOREL_KEYS_DONE="Z:$(printf '%s' "$done_file" | tr / '\\')" \
    "$wine" "$exe" --gtest_filter='RealKeysTest.*' >"$tmp/out" 2>&1 &
pid=$!

# window TITLE: the visible window of that title, waiting up to 60 s for it
# (a search that meets a window going away meanwhile ends empty: again)
window() {
    i=0
    while [ $i -lt 120 ]; do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$w" ] && { echo "$w"; return; }
        i=$((i + 1)); sleep 0.5
    done
}
press() { sleep 0.7; xdotool key "$@"; }

editor=$(window 'Binary Editer')
if [ -n "$editor" ]; then
    sleep 1
    xdotool windowfocus "$editor"
    press ctrl+f
    [ -n "$(window Find)" ] || fail "Ctrl+F opened no find dialog"
    sleep 0.5
    xdotool type --delay 50 hello
    press Return      # finds the first hello
    press Delete
    press y           # no hex digit: nothing
    press F3          # the second hello
    press Delete
    press F3          # nothing more: an information box
    press Return      # closes it
    press Delete      # the byte at the caret
else
    fail "the binary editor did not open"
fi
sleep 1
touch "$done_file"
wait $pid || fail "the test case failed"
cat "$tmp/out"
grep -q "OK \] RealKeysTest" "$tmp/out" || fail "the test case did not run"
finish real_keys
