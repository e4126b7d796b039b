#!/usr/bin/env bash
# Builds the x86_64 flavour's project-file benchmark and runs it under Wine:
# CopyFileGroup against xcopy /e /i on a generated 200 MB medium, and
# MoveDriveLetters against a plain read of a 64 MB file. Needs about 1 GB of
# free space in the Wine prefix's temporary folder while it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/bootstrap.sh

build=${KVT_BUILD_DIR:-$root/build}/x86_64
prefix="$build/wineprefix"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target projectfiles_bench Varnet01
trap 'scripts/wine-run.sh --prefix "$prefix" --stop' EXIT
scripts/wine-run.sh --prefix "$prefix" "$build/bin/projectfiles_bench.exe" "$@"
