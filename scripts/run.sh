#!/usr/bin/env bash
# The README's run command: builds the installer and the sample medium's
# setups (the stand-in program copied in under every name listed in
# examples/medium/stand-ins.txt, the NSIS installers built from
# examples/medium/nsis) and starts KVTInstall on the medium under Wine. It
# runs the release flavour (i686, what a user gets); where the host cannot
# run 32-bit programs (or KVT_WINE64_ONLY=1) it runs the x86_64 build and
# says so. Every run starts from a clean machine: the earlier run's folders,
# files and registry keys are removed first (KVT_RUN_KEEP=1 keeps them, so
# the backup prompt shows).
#
# With a display ($DISPLAY set) the program's window appears, the user
# installs, and the script waits until the program ends. Without one the
# program runs under Xvfb and kvt_app_probe installs the pre-selected tools
# as a user would (project, name and company filled in, Install, the backup
# prompt answered with No, error boxes confirmed), prints the status line and
# what landed where, and leaves with Exit (the restart question answered with
# No). Screenshots of the main dialog and of a progress window go to
# <build>/screenshots. The exit code is 0 only when the run ended with
# "Installation completed successfully".
#
#   bash scripts/run.sh            KVT_SCREENSHOT=<file.png> sets the main dialog's picture
#                                  KVT_NAME / KVT_COMPANY / KVT_PROJECT the texts typed in
#   bash scripts/run.sh --unattended [answers.ini]
#                                  installs without the dialog from the answer file
#                                  (examples/answers.ini by default) with
#                                  /UNATTENDED and /LOG, prints the log, and exits 0
#                                  when the program's exit code is 0 or 3010
#   bash scripts/run.sh --check [/STRICT] [medium folder]
#                                  runs KVTCheck on the medium (the sample medium,
#                                  its setup programs copied in, by default) and
#                                  passes its exit code through
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# shellcheck source=wine-env.sh
. scripts/wine-env.sh
builds=${KVT_BUILD_DIR:-$root/build}
if kvt_host_runs_32bit; then
  flavour=i686
  build=$builds/i686           # the release images
  helpers=$builds/i686-tests   # the probe, the stand-in and the NSIS setups
else
  flavour=x86_64
  build=$builds/x86_64
  helpers=$build
fi
# A prefix of its own that draws through X (the test prefix has no display
# driver), in a Wine desktop of 1024 x 768.
prefix="$build/wineprefix-display"
exe="$build/bin/KVTInstall.exe"
probe="$helpers/bin/kvt_app_probe.exe"
medium="$root/examples/medium"

wine_run() { scripts/wine-run.sh --prefix "$prefix" "$@"; }
winpath() { WINEPREFIX=$prefix WINEDEBUG=-all kvt_wine winepath -w "$1" 2>/dev/null; }

build_programs() {
  bash scripts/bootstrap.sh
  if [ $flavour = i686 ]; then
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j "$(nproc)" >/dev/null
    cmake -S . -B "$helpers" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32-tests.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DKVT_RELEASE_DIR="$build" >/dev/null
  else
    echo "run.sh: Wine on this host runs $(kvt_host_kind): running the x86_64 build of KVTInstall" >&2
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$helpers" -j "$(nproc)" \
    --target KVTInstall KVTCheck kvt_app_probe kvt_fake_setup kvt_medium_setups >/dev/null
}

make_prefix() {
  wine_run --x11 --desktop 1024x768   # anew when it lacks what this host needs
  wine_run --stop                     # the next start draws on the display it finds
}

# The setups (never committed: examples/medium/.gitignore).
fill_medium() {
  grep -v '^#' "$medium/stand-ins.txt" | while read -r setup; do
    if [ -n "$setup" ]; then cp "$helpers/bin/FakeSetup.exe" "$medium/$setup"; fi
  done
  cp -r "$helpers/bin/medium-setups/." "$medium/"
}

# What an earlier run installed: the Tarvo folder, the files the medium's Win
# and WinSys groups place (stored without a trailing "_" and without a "_~_"
# prefix), and the registry keys.
clean_machine() {
  [ "${KVT_RUN_KEEP:-0}" != 1 ] || return 0
  rm -rf "$prefix/drive_c/Tarvo" "$prefix/drive_c/Program Files/Tarvo Kinetics" \
         "$prefix/drive_c/Program Files (x86)/Tarvo Kinetics"
  find "$medium" -path '*/Win*Files*' -type f -printf '%f\n' | sed 's/_$//; s/^_~_//' | sort -u |
    while read -r name; do
      for dir in windows windows/system32 windows/syswow64; do rm -f "$prefix/drive_c/$dir/$name"; done
    done
  wine_run "$probe" clean || echo "run.sh: the earlier run's registry keys could not be removed" >&2
  wine_run --stop   # started without the display the program gets
}

run_on_display() {
  echo "run.sh: starting KVTInstall on $medium" >&2
  (cd "$medium" && "$root/scripts/wine-run.sh" --prefix "$prefix" "$exe")
  wine_run --stop
}

# Inside Xvfb: the probe installs as a user would while this script takes
# the screenshots it asks for (<name>.req answered with <name>.done).
install_headless() {
  local shots=$build/screenshots
  local shot=${KVT_SCREENSHOT:-$shots/kvtinstall.png}
  local progress_shot=$shots/progress.png
  mkdir -p "$shots" "$(dirname "$shot")"
  rm -f "$shot" "$progress_shot"
  local requests app shooter status=0
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
  [ "$status" = 0 ] ||
    echo "run.sh: the run did not end with \"Installation completed successfully\" (probe exit code $status)" >&2
  return "$status"
}

# The administrator's way: no dialog, the answers from a file, a log. The
# progress windows still show (on the display, or in Xvfb).
install_unattended() {
  local answers=$1 log=$build/install.log code
  rm -f "$log"
  echo "run.sh: KVTInstall /UNATTENDED=$answers /LOG=$log" >&2
  (cd "$medium" && "$root/scripts/wine-run.sh" --prefix "$prefix" "$exe" \
    "/UNATTENDED=$(winpath "$answers")" "/LOG=$(winpath "$log")") || true
  wine_run --stop
  cat "$log" 2>/dev/null || echo "run.sh: no log at $log" >&2
  # The shell sees only the low byte of 3010: the log has the whole code.
  code=$(sed -n 's/.* Exit code \([0-9]*\)\r*$/\1/p' "$log" 2>/dev/null | tail -n 1)
  echo "exit code: ${code:-none}"
  [ "$code" = 0 ] || [ "$code" = 3010 ]
}

# The medium checker, a console program: the prefix without a display.
check_medium() {   # [/STRICT] [folder]
  local strict=() folder=$medium code=0
  for arg in "$@"; do
    case $arg in
    /STRICT | /strict) strict=(/STRICT) ;;
    *) folder=$(realpath "$arg") ;;
    esac
  done
  local check_prefix=$build/wineprefix
  scripts/wine-run.sh --prefix "$check_prefix" "$build/bin/KVTCheck.exe" "${strict[@]}" \
    "$(WINEPREFIX=$check_prefix WINEDEBUG=-all kvt_wine winepath -w "$folder" 2>/dev/null)" || code=$?
  return "$code"
}

main() {
  if [ "${1:-}" = --check ]; then
    shift
    build_programs
    fill_medium
    check_medium "$@"
    return
  fi
  case "${1:-}" in
  --inside-xvfb)
    install_headless
    return ;;
  --inside-xvfb-unattended)
    install_unattended "$2"
    return ;;
  esac
  local answers=
  if [ "${1:-}" = --unattended ]; then
    answers=$(realpath "${2:-examples/answers.ini}")
    [ -f "$answers" ] || { echo "run.sh: no answer file $answers" >&2; exit 2; }
  fi
  build_programs
  make_prefix
  fill_medium
  clean_machine
  if [ -n "$answers" ]; then
    if [ -n "${DISPLAY:-}" ]; then
      install_unattended "$answers"
    else
      exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside-xvfb-unattended "$answers"
    fi
  elif [ -n "${DISPLAY:-}" ]; then
    run_on_display
  else
    # No display: run again inside a virtual one.
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside-xvfb
  fi
}

main "$@"
