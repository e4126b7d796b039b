#!/usr/bin/env bash
# Builds one benchmark program of the x86_64 flavour (with the programs it
# starts) and runs it under Wine in the test prefix; what the bench-*.sh
# scripts share.
#
#   run-bench.sh <program target> [<other targets>...] -- [program arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/bootstrap.sh

program=$1
targets=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do targets+=("$1"); shift; done
[ $# -gt 0 ] && shift

build=${KVT_BUILD_DIR:-$root/build}/x86_64
prefix="$build/wineprefix"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"
trap 'scripts/wine-run.sh --prefix "$prefix" --stop' EXIT
scripts/wine-run.sh --prefix "$prefix" "$build/bin/$program.exe" "$@"
