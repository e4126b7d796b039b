#!/usr/bin/env bash
# Builds both flavours and runs every test: the x86_64 build under Wine, the
# i686 release build compiled and its images checked, the native tests on
# Linux. This is the README's test command and what CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/bootstrap.sh

build=${KVT_BUILD_DIR:-$root/build}
jobs=$(nproc)
prefix="$build/x86_64/wineprefix"
trap 'scripts/wine-run.sh --prefix "$prefix" --stop' EXIT

for arch in x86_64 i686; do
  cmake -S . -B "$build/$arch" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build/$arch" -j "$jobs"
done

# Linux-side checks that need no Wine.
for arch in x86_64 i686; do
  scripts/check-pe.sh "$build/$arch/bin/Varnet01.dll" tests/varnet/exports/*.txt
  if [ -f "$build/$arch/bin/KVTInstall.exe" ]; then
    scripts/check-pe.sh "$build/$arch/bin/KVTInstall.exe"
  fi
done
if [ -f tests/native/CMakeLists.txt ]; then
  cmake -S tests/native -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$build/native" -j "$jobs"
  ctest --test-dir "$build/native" --output-on-failure -j "$jobs"
fi

scripts/wine-run.sh --prefix "$prefix"   # creates the prefix and starts the server once
ctest --test-dir "$build/x86_64" --output-on-failure -j "$jobs" ${KVT_CTEST_ARGS:-}
