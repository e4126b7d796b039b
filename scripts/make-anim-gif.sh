#!/usr/bin/env bash
# Draws the installer's animated GIF (resource 148): a 50 x 50 GIF89a of
# four frames in which a document drops into a folder. The first frame shows
# for 1.5 s, each further one for 100 ms; every finished frame is restored to
# the background, and the transparent background lets the dialog colour show.
#
#   scripts/make-anim-gif.sh [OUTPUT]   (default installer/resources/anim148.gif)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-installer/resources/anim148.gif}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for k in 0 1 2 3; do
  y=$((2 + k * 7))        # the sheet's top edge, lower in every frame
  convert -size 50x50 xc:none \
    -fill '#c89b2c' -stroke '#7a5a10' -draw 'polygon 4,26 18,26 21,30 45,30 45,47 4,47' \
    -fill white -stroke '#1f3f8f' -draw "rectangle 15,$y 35,$((y + 24))" \
    -stroke '#4f7fcf' -draw "line 18,$((y + 5)) 32,$((y + 5))" \
                      -draw "line 18,$((y + 10)) 32,$((y + 10))" \
                      -draw "line 18,$((y + 15)) 28,$((y + 15))" \
    -fill '#f0c040' -stroke '#7a5a10' -draw 'polygon 4,33 45,33 45,47 4,47' \
    "$tmp/frame$k.png"
done

# -dispose Background: restore each finished frame to the background colour.
convert -dispose Background -loop 0 \
  -delay 150 "$tmp/frame0.png" \
  -delay 10 "$tmp/frame1.png" "$tmp/frame2.png" "$tmp/frame3.png" \
  +repage "GIF:$tmp/anim.gif"
mv "$tmp/anim.gif" "$out"
identify -format '%f %m %wx%h delay=%T dispose=%D\n' "$out" >&2
echo "$out"
