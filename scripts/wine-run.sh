#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix and passes its
# exit code through. Used as CMAKE_CROSSCOMPILING_EMULATOR.
#
#   wine-run.sh --prefix DIR [--x11] [--desktop WxH] [--test] program.exe [args...]
#   wine-run.sh --prefix DIR --stop          ends the prefix's wineserver
#
# The prefix is created on first use (never the user's ~/.wine), with Wine's
# null graphics driver so windows and dialogs work without X (--x11 at
# creation keeps Wine's X11 driver instead, for screenshots), no crash
# dialog, and one persistent wineserver so each program starts in a few
# milliseconds. Where the host runs 32-bit programs (wine-env.sh), it runs
# 32-bit and 64-bit programs side by side, and a prefix made before the
# 32-bit Wine was installed ("could not load kernel32.dll") is made anew;
# elsewhere it runs 64-bit programs only and a prefix needs no syswow64.
# --desktop gives the prefix a Wine desktop of that size, in which Wine
# places and maximises the windows itself, with or without a window manager.
# --test marks a test program, which always prints before its first test:
# now and then, under load, Wine ends a program before it has run a line of
# its own, with an error code and no output at all. Such a start is made
# again (twice at most), and noted on stderr and in DIR.restarts, which
# scripts/test.sh reports.
#
#   wine-run.sh --runs-32bit                 exit status 0 when the host runs 32-bit programs
set -euo pipefail
# shellcheck source=wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

if [ "${1:-}" = "--runs-32bit" ]; then if kvt_host_runs_32bit; then exit 0; else exit 1; fi; fi

prefix=""
graphics=null
desktop=""
test_program=0
while [ $# -gt 0 ]; do
  case $1 in
    --prefix) prefix=$2; shift 2 ;;
    --x11) graphics=x11; shift ;;
    --desktop) desktop=$2; shift 2 ;;
    --test) test_program=1; shift ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || prefix=${KVT_WINEPREFIX:-}
[ -n "$prefix" ] || { echo "wine-run.sh: no prefix given" >&2; exit 2; }

export WINEPREFIX
WINEPREFIX=$(realpath -m "$prefix")
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

if [ "${1:-}" = "--stop" ]; then
  [ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1 || true
  exit 0
fi

# Applies a .reg file's text (on standard input) to the prefix.
apply_reg() {
  local reg="$WINEPREFIX/kvt-apply.reg"
  cat >"$reg"
  kvt_wine regedit /s "$(kvt_wine winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  rm -f "$reg"
}

# Ready: made by this script, with 32-bit support where the host runs
# 32-bit programs. The 64-bit loader takes either kind.
wow64=0
kvt_host_runs_32bit && wow64=1
prefix_ready() {
  if [ -f "$WINEPREFIX/.kvt-ready-wow64" ] && [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    return 0
  fi
  [ $wow64 = 0 ] && [ -f "$WINEPREFIX/.kvt-ready-win64" ]
}

ensure_prefix() {
  prefix_ready && return 0
  if [ $wow64 = 1 ] && [ ! -x "$kvt_wine32" ]; then
    echo "wine-run.sh: the 32-bit Wine (wine32:i386) is missing; run scripts/bootstrap.sh" >&2
    exit 2
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if ! prefix_ready; then
    [ -d "$WINEPREFIX" ] && { wineserver -k >/dev/null 2>&1 || true; }
    rm -rf "$WINEPREFIX"
    kvt_wine wineboot -i >/dev/null 2>&1 || true
    {
      printf 'REGEDIT4\n\n'
      if [ "$graphics" = null ]; then
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n"Graphics"="null"\n\n'
      fi
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n'
    } | apply_reg
    wineserver -w >/dev/null 2>&1 || true
    if [ $wow64 = 0 ]; then
      touch "$WINEPREFIX/.kvt-ready-win64"
    elif [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
      touch "$WINEPREFIX/.kvt-ready-wow64"
    else
      echo "wine-run.sh: $WINEPREFIX was made without 32-bit support" >&2
      exit 2
    fi
  fi
  flock -u 9
  exec 9>&-
}

ensure_desktop() {
  [ -n "$desktop" ] && [ ! -f "$WINEPREFIX/.kvt-desktop-$desktop" ] || return 0
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="%s"\n' \
    "$desktop" | apply_reg
  rm -f "$WINEPREFIX"/.kvt-desktop-*
  touch "$WINEPREFIX/.kvt-desktop-$desktop"
}

ensure_prefix
ensure_desktop
# A persistent server keeps start-up fast; it daemonises at once (exit code 2
# when one already runs), and its output must not hold our pipes open. Wine's
# own helper processes (services, the desktop) start with the first program
# and live as long as the server: start them here, away from our pipes.
if wineserver -p </dev/null >/dev/null 2>&1; then
  kvt_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi

[ $# -gt 0 ] || exit 0
# A helper that Wine starts later (for OLE, say) would inherit the program's
# output and keep the caller waiting for its end: collect it in files.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
set +e
for attempt in 1 2 3; do
  kvt_wine "$@" </dev/null >"$out" 2>"$err"
  rc=$?
  if [ $test_program = 0 ] || [ $rc = 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ $attempt = 3 ]; then
    break
  fi
  note="wine-run.sh: $* ended with code $rc before printing anything; started again"
  echo "$note" >&2
  echo "$(date '+%F %T') $note" >>"$WINEPREFIX.restarts"
done
set -e
cat "$out"
cat "$err" >&2
exit $rc
