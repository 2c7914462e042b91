# Presses real keys, under the X server, into the main window that the
# FavoritesRealKeys case starts: each time it says it is ready, Alt+F, End,
# Enter open the last item of its Favorites menu. Reports that case's result.
# favorites_keys.sh WINE TEST_EXE
. "$(dirname "$0")/../ShellTest.sh"
wine=$1 exe=$2
command -v xdotool >/dev/null || { echo "favorites_keys: xdotool is missing" >&2; exit 1; }
TESSMOREL_KEYS_FOLDER="Z:$(printf '%s' "$tmp" | tr / '\\')" \
    "$wine" "$exe" --gtest_filter='FavoritesRealKeys.*' >"$tmp/out" 2>&1 &
pid=$!

# signal NAME: waits up to 300 s for the test case's file NAME
signal() {
    i=0
    while [ ! -e "$tmp/$1" ]; do
        kill -0 $pid 2>/dev/null || return 1
        i=$((i + 1)); [ $i -le 1500 ] || return 1
        sleep 0.2
    done
}
press() { sleep 1; xdotool key "$@"; }

for round in 1 2; do
    if signal "ready$round"; then
        main=$(xdotool search --onlyvisible --name 'Tessmorel' 2>/dev/null | head -1)
        [ -n "$main" ] || fail "round $round: no main window"
        xdotool windowfocus "$main"
        press alt+f
        press End
        press Return
        sleep 1
    else
        fail "round $round: the test case never got ready"
    fi
    touch "$tmp/pressed$round"
done
wait $pid || fail "the test case failed"
cat "$tmp/out"
grep -q "OK \] FavoritesRealKeys" "$tmp/out" || fail "the test case did not run"
finish favorites_keys
