#!/bin/sh
# giflib's gif2rgb turns the GIF saved from a bitmap back into the bitmap's RGB bytes.
set -eu
base=$1
gif2rgb -1 -o "$base.giflib.rgb" "$base.gif"
cmp "$base.giflib.rgb" "$base.rgb"
echo "giflib reads $(wc -c <"$base.rgb") RGB bytes back unchanged"
