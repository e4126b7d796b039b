#!/usr/bin/env bash
# Builds the x86_64 flavour's install-job benchmark and runs it under Wine:
# staging a 50 MB setup folder of 200 files against xcopy /i, one
# IsSetupRunning check with 100 processes and 300 top-level windows, and the
# whole job of a setup that exits at once (Delay 0) on a real timer. Needs
# about 200 MB of free space in the Wine prefix's temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/bootstrap.sh

build=${KVT_BUILD_DIR:-$root/build}/x86_64
prefix="$build/wineprefix"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target engine_bench Varnet01 kvt_fake_setup
trap 'scripts/wine-run.sh --prefix "$prefix" --stop' EXIT
scripts/wine-run.sh --prefix "$prefix" "$build/bin/engine_bench.exe" "$@"
