#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: when
# everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32
  g++-mingw-w64-x86-64-posix   # the x86_64 toolchain compiles with the posix thread model
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libz-mingw-w64-dev
  wine wine64
  googletest
  g++ gzip
  xvfb xauth imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# One stale mirror index makes 'apt-get update' fail although the packages we
# need are fine; the install below is what decides.
$sudo apt-get update -qq || echo "bootstrap: apt-get update reported errors, going on" >&2
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
