#!/bin/sh
# The pictures the binary editor saved are read back by ImageMagick in the
# format their extension asks for.
set -e
cd "$1"
check() {
  got=$(identify -format '%m %wx%h\n' "$1" | head -1)
  [ "$got" = "$2 40x30" ] || { echo "$1: $got, want $2 40x30"; exit 1; }
}
check saved.gif GIF
check saved.jpg JPEG
check saved.jpeg JPEG
check saved.bmp BMP3
echo "saved pictures read back"
