#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: when
# everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32
  # The test builds compile with the posix thread model (GoogleTest needs
  # std::mutex); the i686 release keeps the win32 model.
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  libz-mingw-w64-dev
  wine wine64 wine32:i386
  # makensis builds the sample medium's NSIS installers.
  nsis
  googletest
  g++ gzip
  xvfb xauth imagemagick
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The 32-bit Wine runs the i686 release; its packages come from the i386
# architecture.
new_arch=0
if ! { dpkg --print-architecture; dpkg --print-foreign-architectures; } | grep -qx i386; then
  echo "bootstrap: adding the i386 architecture" >&2
  $sudo dpkg --add-architecture i386
  new_arch=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && [ $new_arch -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}" >&2
# One stale mirror index makes 'apt-get update' fail although the packages we
# need are fine; the install below is what decides.
$sudo apt-get update -qq || echo "bootstrap: apt-get update reported errors, going on" >&2
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
