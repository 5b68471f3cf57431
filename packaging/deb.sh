#!/usr/bin/env bash
# Installs what is missing, builds the program in build/package and makes its Debian package
# there (ravdan_VERSION_amd64.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ravdan_install_missing "${RAVDAN_PACKAGE_PACKAGES[@]}"

cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DRAVDAN_BUILD_TESTS=OFF \
      -DRAVDAN_BUILD_BENCH=OFF >/dev/null
cmake --build build/package -j"$(nproc)"
cd build/package
cpack
ls -1 "$PWD"/ravdan_*.deb
