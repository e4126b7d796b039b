#!/usr/bin/env bash
# Draws the main dialog's banner, installer/resources/banner.bmp: 540 x 72
# pixels, 256 colours (an uncompressed 8-bit palette BMP, which every Windows
# version and every loader reads).
# Needs ImageMagick and the DejaVu fonts (Debian: imagemagick,
# fonts-dejavu-core). The output is committed; run this only to remake it.
set -euo pipefail
cd "$(dirname "$0")/.."
out=installer/resources/banner.bmp
font_bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
font_book=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
font_light=/usr/share/fonts/truetype/dejavu/DejaVuSans-ExtraLight.ttf
for f in "$font_bold" "$font_book" "$font_light"; do
  [ -f "$f" ] || { echo "make-banner.sh: missing font $f" >&2; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Background: deep navy into the backdrop's blue, with a faint light sweep.
convert -size 72x540 gradient:'#06123a'-'#1a4fb0' -rotate 90 "$tmp/bg.png"
convert -size 540x72 radial-gradient:'#ffffff30'-'#ffffff00' "$tmp/glow.png"
convert "$tmp/bg.png" "$tmp/glow.png" -compose screen -composite "$tmp/bg2.png"

# Decoration on the right: thin diagonal strokes, faint, fading out at both
# ends.
args=()
for x in $(seq 300 14 620); do args+=(-draw "line $x,72 $((x + 40)),0"); done
convert -size 540x72 xc:none -stroke '#ffffff' -strokewidth 1 "${args[@]}" \
  -channel A -fx 'a*0.16*max(0,1-abs(i-470)/190)' "$tmp/lines.png"

# The mark: a hexagonal bay with a bold K.
convert -size 540x72 xc:none \
  -fill '#f2a900' -stroke none \
  -draw "polygon 36,8 62,22 62,50 36,64 10,50 10,22" \
  -fill '#0b1f4d' -draw "polygon 36,14 56,25 56,47 36,58 16,47 16,25" \
  -fill '#ffffff' -font "$font_bold" -pointsize 30 -gravity northwest -annotate +26+17 'K' \
  "$tmp/mark.png"

# Words.
convert -size 540x72 xc:none -gravity northwest \
  -fill '#9fc2ff' -font "$font_book" -pointsize 12 -annotate +78+11 'TARVO KINETICS' \
  -fill '#ffffff' -font "$font_bold" -pointsize 27 -annotate +76+25 'Kitbay' \
  -fill '#dbe7ff' -font "$font_light" -pointsize 27 -annotate +178+25 'Setup' \
  -fill '#f2a900' -stroke none -draw "rectangle 78,62 150,63" \
  "$tmp/words.png"

convert "$tmp/bg2.png" "$tmp/lines.png" -compose over -composite \
  "$tmp/mark.png" -compose over -composite \
  "$tmp/words.png" -compose over -composite \
  -alpha off -colors 256 -type Palette -compress None BMP3:"$out"
identify "$out"
