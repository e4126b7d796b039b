#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix and passes its
# exit code through. Used as CMAKE_CROSSCOMPILING_EMULATOR.
#
#   wine-run.sh --prefix DIR program.exe [args...]
#   wine-run.sh --prefix DIR --stop          ends the prefix's wineserver
#
# The prefix is created on first use (never the user's ~/.wine), with Wine's
# null graphics driver so windows and dialogs work without X, no crash dialog,
# and one persistent wineserver so each program starts in a few milliseconds.
set -euo pipefail

prefix=""
if [ "${1:-}" = "--prefix" ]; then prefix=$2; shift 2; fi
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

ensure_prefix() {
  [ -f "$WINEPREFIX/.kvt-ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.kvt-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    local reg="$WINEPREFIX/kvt-setup.reg"
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
    wine regedit /s "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.kvt-ready"
  fi
  flock -u 9
  exec 9>&-
}

ensure_prefix
# A persistent server keeps start-up fast; it daemonises at once (exit code 2
# when one already runs), and its output must not hold our pipes open. Wine's
# own helper processes (services, the desktop) start with the first program
# and live as long as the server: start them here, away from our pipes.
if wineserver -p </dev/null >/dev/null 2>&1; then
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi

[ $# -gt 0 ] || exit 0
# A helper that Wine starts later (for OLE, say) would inherit the program's
# output and keep the caller waiting for its end: collect it in files.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
set +e
wine "$@" </dev/null >"$out" 2>"$err"
rc=$?
set -e
cat "$out"
cat "$err" >&2
exit $rc
