#!/usr/bin/env bash
# Regenerates the GIFs the host-side parser fuzz test starts from: real
# ImageMagick output with local colour tables, sub-rectangle frames, comments
# and the 87a version. The installer's own animation is read from
# installer/resources directly.
set -euo pipefail
cd "$(dirname "$0")/corpus"
convert -size 40x30 gradient:red-blue -comment "gradient" +dither -colors 64 GIF87:gradient87.gif
convert -size 32x32 xc:white -fill black -draw 'circle 16,16 16,4' \
        \( +clone -fill red -draw 'rectangle 4,4 12,12' \) \
        \( +clone -fill green -draw 'rectangle 20,20 28,28' \) \
        -set delay 7 -loop 3 -layers Optimize +map -comment "three frames" layers.gif
convert -seed 7 -delay 250 -dispose Previous -size 24x24 plasma:fractal +dither -colors 200 \
        \( -size 24x24 xc:yellow \) -loop 0 local-tables.gif
ls -l
