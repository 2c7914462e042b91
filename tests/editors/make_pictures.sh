#!/bin/sh
# Pictures for the binary editor's picture page, made by ImageMagick:
# bitmaps with 124- and 40-byte headers and RLE8, colour, grey and CMYK JPEGs,
# a GIF.
set -e
out=$1
rm -rf "$out"
mkdir -p "$out"
cd "$out"
src="-size 40x30 gradient:orange-navy"
convert $src BMP:v5.bmp
convert $src BMP3:v3.bmp
convert $src -type palette -colors 64 -compress RLE BMP3:rle8.bmp
convert $src JPEG:colour.jpg
convert $src -colorspace Gray JPEG:grey.jpg
convert $src -colorspace CMYK JPEG:cmyk.jpg
convert $src -colors 32 GIF:pic.gif
