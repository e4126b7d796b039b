#!/usr/bin/env bash
# Builds the x86_64 flavour's backup benchmark and runs it under Wine: the
# backup copy of a generated 2,000-file, 200 MB installation against
# xcopy /e /i of the same tree. Needs about 700 MB of free space in the Wine
# prefix's temporary folder (or in the folder given as argument).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/bootstrap.sh

build=${KVT_BUILD_DIR:-$root/build}/x86_64
prefix="$build/wineprefix"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target backup_bench
trap 'scripts/wine-run.sh --prefix "$prefix" --stop' EXIT
scripts/wine-run.sh --prefix "$prefix" "$build/bin/backup_bench.exe" "$@"
