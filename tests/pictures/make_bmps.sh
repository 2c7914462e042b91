#!/bin/sh
# Seeds for the BMP reader's fuzz target, in each form ImageMagick writes:
# 124- and 40-byte headers, 1 to 32 bits, RLE8, top-down rows, bit fields
# (one hand-made, with a field wider than 24 bits).
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
convert $src -define bmp:subtype=RGB565 BMP:fields565.bmp 2>/dev/null || true
# 2 x 1, 32 bits in bit fields with a 28-bit red field: full red, then blue.
printf 'BM\112\000\000\000\000\000\000\000\102\000\000\000\050\000\000\000\002\000\000\000\001\000\000\000\001\000\040\000\003\000\000\000\010\000\000\000' >wide-fields.bmp
printf '\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000' >>wide-fields.bmp
printf '\360\377\377\377\014\000\000\000\003\000\000\000\360\377\377\377\003\000\000\000' >>wide-fields.bmp
