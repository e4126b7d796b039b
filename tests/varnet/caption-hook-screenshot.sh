#!/usr/bin/env bash
# Screenshot of a window with the library's caption image, under Wine's X11
# driver on a virtual display, inside a Wine desktop window so that Wine
# draws the caption itself (a prefix of its own, not the tests' one).
#
#   caption-hook-screenshot.sh BUILD-DIR [OUTPUT.png]
set -euo pipefail
build=$(realpath "$1")
out=$(realpath -m "${2:-$build/caption-hook.png}")
export WINEPREFIX=$build/wineprefix-x11 WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Made (anew if it lacks what this host needs) by the Wine runner, then left to
# the server that the capture starts on its display.
runner=$(dirname "$(realpath "$0")")/../../scripts/wine-run.sh
"$runner" --prefix "$WINEPREFIX" --x11
"$runner" --prefix "$WINEPREFIX" --stop
xvfb-run -a -s "-screen 0 660x220x24" bash -c '
  . "$2"
  kvt_wine explorer /desktop=kvtshot,660x220 "$0/bin/caption_hook_shot.exe" 20000 & pid=$!
  sleep 12
  import -window root "$1"
  wait $pid
  wineserver -k' "$build" "$out" "$(dirname "$runner")/wine-env.sh"
echo "$out"
