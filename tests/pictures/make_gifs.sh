#!/bin/sh
# Writes the generated test pictures into the folder given: GIFs made by
# ImageMagick, by netpbm's pamtogif and by giflib's gifbuild.
set -eu
out=$1
mkdir -p "$out"
cd "$out"
im() { convert "$@" 2>/dev/null; }

# ImageMagick: 1 to 8 bits at odd sizes, 1 x 1, 1 x 5000, interlaced heights
# 1 to 9, transparency, several frames with local tables.
for b in 1 2 3 4 5 6 7 8; do
  im -size 37x23 -seed $b plasma:fractal +dither -colors $((1 << b)) "im_bits$b.gif"
done
im -size 1x1 xc:red im_1x1.gif
im -size 1x5000 -seed 3 plasma:fractal +dither -colors 200 im_1x5000.gif
for h in 1 2 3 4 5 6 7 8 9; do
  im -size 7x$h -seed $h plasma:fractal +dither -colors 16 -interlace GIF "im_interlaced$h.gif"
done
im -size 20x10 xc:white -fill black -draw 'rectangle 5,2 10,6' -transparent white im_transparent.gif
im \( -size 31x17 -seed 1 plasma:fractal +dither -colors 32 \) \
   \( -size 31x17 gradient:green-yellow +dither -colors 8 \) \
   \( -size 31x17 -seed 2 plasma:fractal +dither -colors 128 \) -loop 0 im_frames.gif

# netpbm.
pgmnoise -randomseed=4 13 7 2>/dev/null | pamtogif >pm_grey.gif 2>/dev/null
pbmmake -gray 9 5 | pamtogif >pm_bits1.gif 2>/dev/null
pgmnoise -randomseed=5 11 9 2>/dev/null | pamtogif -interlace >pm_interlaced.gif 2>/dev/null
ppmpat -g2 -randomseed=6 21 13 2>/dev/null | pamtogif -transparent=black >pm_transparent.gif 2>/dev/null || true

# gifbuild: local tables, interlacing, transparency, a loop and comments.
cat >gb_frames.txt <<'TXT'
screen width 6
screen height 4
screen colors 4
screen background 1
pixel aspect byte 0

screen map
	rgb 000 000 000 is 0
	rgb 255 255 255 is 1
	rgb 255 000 000 is 2
	rgb 255 255 255 is 3
end

netscape loop 3

graphics control
	disposal mode 2
	user input flag off
	delay 7
	transparent index 3
end

image # 1
image left 0
image top 0
image bits 6 by 4
012301
123012
230123
301230

comment
frame two follows
end

image # 2
image left 1
image top 1
image interlaced
image map
	rgb 010 020 030 is 0
	rgb 040 050 060 is 1
end
image bits 5 by 3
01010
10101
01010
TXT
gifbuild gb_frames.txt >gb_frames.gif 2>/dev/null
rm -f gb_frames.txt
