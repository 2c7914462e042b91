#!/bin/sh
# Runs the reader's fuzz target once on GIFs at the size limits, with the
# program's frame cap and a 160 MB allocation limit: a frame of 65535 x 65535,
# one at the cap, and 2^20 frames of one pixel each (15 MB), whose records
# the reader bounds.
set -eu
fuzzer=$1
dir=$2
mkdir -p "$dir"
# GIF89a, screen w x h, a 2-entry table; one frame w x h, code size 2:
# clear, 0, end.
gif() {
  printf 'GIF89a%b\200\000\000\000\000\000\000\000\000\054\000\000\000\000%b\000\002\002\104\001\000\073' \
    "$1" "$1" >"$dir/$2"
}
gif '\377\377\377\377' huge.gif
gif '\000\040\000\040' cap.gif
printf '\054\000\000\000\000\001\000\001\000\000\002\002\104\001\000' >"$dir/frame"
for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
  cat "$dir/frame" "$dir/frame" >"$dir/frames" && mv "$dir/frames" "$dir/frame"
done
{ printf 'GIF89a\001\000\001\000\200\000\000\000\000\000\000\000\000'; cat "$dir/frame"; printf '\073'; } >"$dir/many.gif"
rm -f "$dir/frame"
start=$(date +%s%N)
FUZZ_GIF_PROGRAM_CAP=1 "$fuzzer" -malloc_limit_mb=160 -rss_limit_mb=400 "$dir/huge.gif" "$dir/cap.gif" "$dir/many.gif"
ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "all read in $ms ms"
