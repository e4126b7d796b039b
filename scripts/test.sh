#!/usr/bin/env bash
# Builds both flavours and runs every test under Wine: the x86_64 build, and
# the i686 release as it ships (its tests in a tree of their own that runs
# the release images); checks both flavours' images and runs the native tests
# on Linux. This is the README's test command and what CI runs. A compiler
# warning fails the build. Where the host cannot run 32-bit programs (or
# KVT_WINE64_ONLY=1), the i686 trees are built and the release's images
# checked, but the i686 suite does not run; one line of the output says so.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/bootstrap.sh
# shellcheck source=wine-env.sh
. scripts/wine-env.sh

build=${KVT_BUILD_DIR:-$root/build}
jobs=$(nproc)
echo "== Wine on this host runs $(kvt_host_kind)" >&2
test_trees=(x86_64)
if kvt_host_runs_32bit; then
  test_trees+=(i686-tests)
  i686_line="i686 release built, its images checked and its suite run"
elif [ "${KVT_WINE64_ONLY:-0}" = 1 ]; then
  i686_line="i686 release built and its images checked; not run: KVT_WINE64_ONLY=1 keeps Wine to 64-bit programs"
else
  i686_line="i686 release built and its images checked; not run: this host cannot run 32-bit programs"
fi
stop_servers() {
  for tree in "${test_trees[@]}"; do
    scripts/wine-run.sh --prefix "$build/$tree/wineprefix" --stop
  done
}
trap stop_servers EXIT

configure() {   # <tree> <toolchain> [cmake options...]
  local tree=$1 toolchain=$2
  shift 2
  cmake -S . -B "$build/$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DKVT_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
  cmake --build "$build/$tree" -j "$jobs"
}
configure x86_64 toolchain-x86_64-w64-mingw32
configure i686 toolchain-i686-w64-mingw32                     # the release
configure i686-tests toolchain-i686-w64-mingw32-tests -DKVT_RELEASE_DIR="$build/i686"

# Linux-side checks that need no Wine.
for tree in x86_64 i686; do
  scripts/check-pe.sh "$build/$tree/bin/Varnet01.dll" tests/varnet/exports/*.txt
  scripts/check-pe.sh "$build/$tree/bin/KVTInstall.exe"
  scripts/check-pe.sh "$build/$tree/bin/KVTCheck.exe"
done
cmake -S tests/native -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build/native" -j "$jobs"
ctest --test-dir "$build/native" --output-on-failure -j "$jobs"

status=0
for tree in "${test_trees[@]}"; do
  echo "== Tests of the $tree tree" >&2
  scripts/wine-run.sh --prefix "$build/$tree/wineprefix"   # creates the prefix and starts its server once
  rm -f "$build/$tree/wineprefix.restarts"
  # shellcheck disable=SC2086
  ctest --test-dir "$build/$tree" --output-on-failure -j "$jobs" ${KVT_CTEST_ARGS:-} || status=1
  if [ -s "$build/$tree/wineprefix.restarts" ]; then
    echo "== Test programs that Wine ended before they printed anything, started again:" >&2
    cat "$build/$tree/wineprefix.restarts" >&2
  fi
done
echo "$i686_line"
exit $status
