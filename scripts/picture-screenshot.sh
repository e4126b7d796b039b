#!/usr/bin/env bash
# Screenshot of the animated picture control: builds PictureDemo (x86_64),
# runs it under Xvfb in a Wine prefix of its own with the X11 graphics
# driver, captures the screen while resource 148 plays, and prints the PNG's
# path.
#
#   scripts/picture-screenshot.sh [OUTPUT.png]   (default <build>/x86_64/picture-screenshot.png)
#   KVT_SHOT_DELAY=SECONDS  how long the window shows before the capture (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/bootstrap.sh

build=${KVT_BUILD_DIR:-$root/build}/x86_64
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target PictureDemo >/dev/null
out=$(realpath -m "${1:-$build/picture-screenshot.png}")
delay=${KVT_SHOT_DELAY:-2}

# A prefix of its own: the test prefix uses the null driver, which shows
# nothing on a screen.
export WINEPREFIX=$build/wineprefix-x11
export WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exe=$build/bin/PictureDemo.exe
scripts/wine-run.sh --prefix "$WINEPREFIX" --x11   # makes the prefix (anew if it lacks what this host needs)
scripts/wine-run.sh --prefix "$WINEPREFIX" --stop  # the capture starts its own server on the display

xvfb-run -a -s "-screen 0 420x130x24" bash -c '
  set -e
  . scripts/wine-env.sh
  kvt_wine "$1" 120000 >/dev/null 2>&1 &
  # Wait until the window shows (the empty screen is black), then let the
  # animation run for a while.
  for i in $(seq 120); do
    import -window root "$3"
    [ "$(convert "$3" -format "%[fx:mean>0.05]" info:)" = 1 ] && break
    sleep 0.5
  done
  sleep "$2"
  import -window root "$3"
  wineserver -k >/dev/null 2>&1 || true
  wait || true
' shot "$exe" "$delay" "$out"
echo "$out"
