#!/usr/bin/env bash
# The README's run command: builds the release flavour (i686, what a user
# gets) and the stand-in setup program, makes examples/medium a complete
# medium (the stand-in copied in under every tool's setup name, as listed in
# examples/medium/stand-ins.txt) and starts KVTInstall on it under Wine.
# Every run starts from a clean machine: the earlier run's folders, files and
# registry key are removed first (KVT_RUN_KEEP=1 keeps them, so the backup
# prompt shows).
#
# With a display ($DISPLAY set) the program's window appears, the user
# installs, and the script waits until the program ends. Without one the
# program runs under Xvfb and kvt_app_probe installs the pre-selected tools
# as a user would (project, name and company filled in, Install, the backup
# prompt answered with No, error boxes confirmed), prints the status line and
# what landed where, and leaves with Exit (the restart question answered with
# No). Screenshots of the main dialog and of a progress window go to
# build/i686/screenshots. The exit code is 0 only when the run ended with
# "Installation completed successfully".
#
#   bash scripts/run.sh            KVT_SCREENSHOT=<file.png> sets the main dialog's picture
#                                  KVT_NAME / KVT_COMPANY / KVT_PROJECT the texts typed in
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
builds=${KVT_BUILD_DIR:-$root/build}
build=$builds/i686           # the release images
helpers=$builds/i686-tests   # the probe that drives them
# A prefix of its own that draws through X (the test prefix has no display
# driver), in a Wine desktop of 1024 x 768.
prefix="$build/wineprefix-display"
exe="$build/bin/KVTInstall.exe"
probe="$helpers/bin/kvt_app_probe.exe"
medium="$root/examples/medium"

wine_run() { scripts/wine-run.sh --prefix "$prefix" "$@"; }
winpath() { WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$1" 2>/dev/null; }

build_images() {
  bash scripts/bootstrap.sh
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j "$(nproc)" >/dev/null
  cmake -S . -B "$helpers" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32-tests.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DKVT_RELEASE_DIR="$build" >/dev/null
  cmake --build "$helpers" -j "$(nproc)" --target kvt_app_probe kvt_fake_setup >/dev/null
}

prepare_prefix() {
  # Created anew when it lacks 32-bit support.
  wine_run --x11 --desktop 1024x768
  wine_run --stop   # the next start draws on the display it finds
}

prepare_medium() {
  # The stand-in setups (never committed: examples/medium/.gitignore).
  grep -v '^#' "$medium/stand-ins.txt" | while read -r setup; do
    if [ -n "$setup" ]; then cp "$helpers/bin/FakeSetup.exe" "$medium/$setup"; fi
  done
  [ "${KVT_RUN_KEEP:-0}" = 1 ] && return 0
  # What an earlier run installed: the Tarvo folder, the files the medium's
  # Win and WinSys groups place (stored without a trailing "_" and without a
  # "_~_" prefix), and the registry key.
  rm -rf "$prefix/drive_c/Tarvo"
  find "$medium" -path '*/Win*Files*' -type f -printf '%f\n' | sed 's/_$//; s/^_~_//' | sort -u |
    while read -r name; do
      for dir in windows windows/system32 windows/syswow64; do rm -f "$prefix/drive_c/$dir/$name"; done
    done
  wine_run "$probe" clean || echo "run.sh: the earlier run's registry key could not be removed" >&2
  wine_run --stop   # started without the display the program gets
}

run_on_display() {
  echo "run.sh: starting KVTInstall on $medium" >&2
  (cd "$medium" && "$root/scripts/wine-run.sh" --prefix "$prefix" "$exe")
  wine_run --stop
}

# Inside Xvfb: the probe installs as a user would, screenshots on request.
run_headless() {
  shots=$build/screenshots
  shot=${KVT_SCREENSHOT:-$shots/kvtinstall.png}
  progress_shot=$shots/progress.png
  mkdir -p "$shots" "$(dirname "$shot")"
  rm -f "$shot" "$progress_shot"
  # The probe asks for a screenshot with <name>.req and waits for <name>.done.
  requests=$(mktemp -d)
  (cd "$medium" && "$root/scripts/wine-run.sh" --prefix "$prefix" "$exe") &
  app=$!
  (
    while :; do
      for req in "$requests"/*.req; do
        [ -e "$req" ] || continue
        name=$(basename "$req" .req)
        sleep 1   # the windows finish painting
        case $name in main) out=$shot ;; *) out=$shots/$name.png ;; esac
        import -window root "$out" || echo "run.sh: screenshot $name failed" >&2
        rm -f "$req"
        touch "$requests/$name.done"
      done
      sleep 0.2
    done
  ) &
  shooter=$!
  status=0
  wine_run "$probe" install "$(winpath "$medium")" "${KVT_PROJECT:-Sample}" \
    "${KVT_NAME:-Jo Sample}" "${KVT_COMPANY:-Sample Works}" "$(winpath "$requests")" || status=$?
  kill "$shooter" 2>/dev/null || true
  wait "$shooter" 2>/dev/null || true
  if ! timeout 60 tail --pid="$app" -f /dev/null; then
    echo "run.sh: KVTInstall did not end; stopping Wine" >&2
    [ "$status" = 0 ] && status=1
  fi
  wine_run --stop
  wait "$app" 2>/dev/null || true
  rm -rf "$requests"
  echo
  for f in "$shot" "$progress_shot"; do
    if [ -f "$f" ]; then echo "screenshot: $f"; else echo "run.sh: no screenshot $f" >&2; fi
  done
  [ "$status" = 0 ] || echo "run.sh: the run did not end with \"Installation completed successfully\" (probe exit code $status)" >&2
  return $status
}

case "${1:-}" in
  --inside-xvfb)
    run_headless ;;
  *)
    build_images
    prepare_prefix
    prepare_medium
    if [ -n "${DISPLAY:-}" ]; then
      run_on_display
    else
      # No display: run again inside a virtual one.
      exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside-xvfb
    fi ;;
esac
