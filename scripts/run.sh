#!/usr/bin/env bash
# The README's run command: builds the release flavour (i686, what a user
# gets) and starts KVTInstall on the sample medium (examples/medium) under
# Wine.
#
# With a display ($DISPLAY set) the program's window appears and the script
# waits until the program ends. Without one the program runs under Xvfb: the
# script saves a PNG screenshot of the backdrop with the main dialog, prints
# its path, and ends the program with its Exit button.
#
#   bash scripts/run.sh            KVT_SCREENSHOT=<file.png> sets the picture's path
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
builds=${KVT_BUILD_DIR:-$root/build}
build=$builds/i686           # the release images
helpers=$builds/i686-tests   # the probe that drives them

if [ "${1:-}" != "--inside-xvfb" ]; then
  bash scripts/bootstrap.sh
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j "$(nproc)" >/dev/null
  cmake -S . -B "$helpers" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32-tests.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DKVT_RELEASE_DIR="$build" >/dev/null
  cmake --build "$helpers" -j "$(nproc)" --target kvt_app_probe >/dev/null
fi

# A prefix of its own that draws through X (the test prefix has no display
# driver), in a Wine desktop of 1024 x 768: Wine then places and maximises
# the windows itself, with or without a window manager.
prefix="$build/wineprefix-display"
wine_run() { scripts/wine-run.sh --prefix "$prefix" "$@"; }
if [ "${1:-}" != "--inside-xvfb" ]; then
  wine_run --x11   # creates the prefix (anew when it lacks 32-bit support)
  if [ ! -f "$prefix/.kvt-display" ]; then
    reg="$prefix/kvt-display.reg"
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
    WINEPREFIX=$prefix WINEDEBUG=-all wine regedit /s "$(WINEPREFIX=$prefix winepath -w "$reg" 2>/dev/null)" \
      >/dev/null 2>&1
    touch "$prefix/.kvt-display"
  fi
  wine_run --stop   # the next start draws on the display it finds
fi

exe="$build/bin/KVTInstall.exe"
probe="$helpers/bin/kvt_app_probe.exe"
medium="$root/examples/medium"

if [ "${1:-}" != "--inside-xvfb" ] && [ -n "${DISPLAY:-}" ]; then
  echo "run.sh: starting KVTInstall on $medium" >&2
  (cd "$medium" && "$root/scripts/wine-run.sh" --prefix "$prefix" "$exe")
  wine_run --stop
  exit 0
fi

if [ "${1:-}" != "--inside-xvfb" ]; then
  # No display: run again inside a virtual one.
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside-xvfb
fi

shot=${KVT_SCREENSHOT:-$build/screenshots/kvtinstall.png}
mkdir -p "$(dirname "$shot")"
rm -f "$shot"
(cd "$medium" && "$root/scripts/wine-run.sh" --prefix "$prefix" "$exe") &
app=$!
status=0
if wine_run "$probe" wait 60000; then
  sleep 2   # the backdrop and the dialog finish painting
  import -window root "$shot"
  wine_run "$probe" exit || status=1
else
  echo "run.sh: the main dialog did not appear" >&2
  status=1
fi
wait "$app" || status=1
wine_run --stop
[ -f "$shot" ] || exit 1
echo "$shot"
exit $status
