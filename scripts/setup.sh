#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing.
# Runs apt-get only for packages that are not installed yet (needs root then).
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev libgmock-dev        # native build and tests
  clang libclang-rt-14-dev                        # sanitizer and fuzz builds
  g++-mingw-w64-x86-64                            # the two Windows editions
  wine64 wine xvfb openbox xdotool imagemagick    # running them here
  wixl msitools                                   # the installer packages (wixl, msibuild, msiinfo)
  socat openssl valgrind                          # pseudo-terminals, benchmark reference
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
