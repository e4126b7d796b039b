#!/usr/bin/env bash
# Draws the progress window's logo banner, installer/resources/logo.bmp:
# 259 x 25 pixels, 256 colours (an uncompressed 8-bit palette BMP, like the
# main dialog's banner). Needs ImageMagick and the DejaVu fonts (Debian:
# imagemagick, fonts-dejavu-core). The output is committed; run this only to
# remake it.
set -euo pipefail
cd "$(dirname "$0")/.."
out=installer/resources/logo.bmp
font_bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
font_book=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
for f in "$font_bold" "$font_book"; do
  [ -f "$f" ] || { echo "make-logo-banner.sh: missing font $f" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A light strip that sits on the dialog's grey: the hexagonal mark with its
# K on the left, the maker's name beside it, a thin gold rule under it.
convert -size 25x259 gradient:'#ffffff'-'#dfe6f5' -rotate 90 "$tmp/bg.png"
convert -size 259x25 xc:none \
  -fill '#f2a900' -stroke none -draw "polygon 12,1 22,6.5 22,18.5 12,24 2,18.5 2,6.5" \
  -fill '#0b1f4d' -draw "polygon 12,4 19,8 19,17 12,21 5,17 5,8" \
  -fill '#ffffff' -font "$font_bold" -pointsize 11 -gravity northwest -annotate +8+5 'K' \
  -fill '#0b1f4d' -font "$font_bold" -pointsize 12 -annotate +30+4 'TARVO KINETICS' \
  -fill '#1a4fb0' -font "$font_book" -pointsize 12 -annotate +150+4 'Kitbay' \
  -fill '#f2a900' -draw "rectangle 30,20 258,20" \
  "$tmp/words.png"
convert "$tmp/bg.png" "$tmp/words.png" -compose over -composite \
  -alpha off -colors 256 -type Palette -compress None BMP3:"$out"
identify "$out"
