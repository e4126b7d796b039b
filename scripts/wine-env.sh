# Sourced by every script that starts Wine: which loader this host can use.
#
# Debian's `wine` launcher (and wineboot, winepath, regedit through it)
# prefers the 32-bit loader whenever wine32 is installed, so on a kernel that
# runs no 32-bit x86 code even 64-bit programs fail there. The probe really
# starts the 32-bit loader; where it cannot run, or KVT_WINE64_ONLY=1 forces
# it, `kvt_wine` runs the 64-bit loader directly and only 64-bit programs run.

kvt_wine32=/usr/lib/wine/wine
kvt_wine64=/usr/lib/wine/wine64

# Exit status 0 when this host runs 32-bit Windows programs under Wine.
kvt_host_runs_32bit() {
  [ "${KVT_WINE64_ONLY:-0}" != 1 ] || return 1
  [ -x "$kvt_wine32" ] && "$kvt_wine32" --version >/dev/null 2>&1
}

# One line for the scripts' output: what kind of host this is.
kvt_host_kind() {
  if kvt_host_runs_32bit; then
    echo "32-bit and 64-bit programs"
  elif [ "${KVT_WINE64_ONLY:-0}" = 1 ]; then
    echo "64-bit programs only (KVT_WINE64_ONLY=1)"
  else
    echo "64-bit programs only (this host cannot run 32-bit programs)"
  fi
}

if kvt_host_runs_32bit; then
  kvt_wine() { wine "$@"; }
else
  kvt_wine() { WINELOADER=$kvt_wine64 "$kvt_wine64" "$@"; }
fi
