#!/bin/sh
# Seeds for the BMP reader's fuzz target, in each form ImageMagick writes:
# 124- and 40-byte headers, 1 to 32 bits, RLE8, top-down rows.
set -e
out=$1
mkdir -p "$out"
cd "$out"
src="-size 13x7 gradient:red-blue"
convert $src BMP:v5.bmp
convert $src BMP3:v3.bmp
convert $src -type palette -colors 200 -compress RLE BMP3:rle8.bmp
convert $src -type palette -colors 12 BMP3:pal4.bmp
convert $src -monochrome BMP3:mono.bmp
convert $src -define bmp:format=bmp2 BMP2:core.bmp
convert $src -alpha on -channel A -evaluate set 50% BMP:alpha.bmp
convert $src -flip -define bmp:top-down=true BMP:topdown.bmp 2>/dev/null || true
