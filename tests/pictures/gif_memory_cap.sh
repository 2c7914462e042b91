#!/bin/sh
# Runs the reader's fuzz target once on GIFs at the size limits, with the
# program's frame cap and a 160 MB allocation limit.
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
start=$(date +%s%N)
FUZZ_GIF_PROGRAM_CAP=1 "$fuzzer" -malloc_limit_mb=160 -rss_limit_mb=400 "$dir/huge.gif" "$dir/cap.gif"
ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "both read in $ms ms"
