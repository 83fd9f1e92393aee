#!/usr/bin/env bash
# Installs what is missing, builds Zelk for release and makes the Debian package
# build-package/zelk_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELK_TESTS=OFF
cmake --build build-package -j"$(nproc)"
rm -f build-package/zelk_*.deb
cd build-package
cpack -G DEB
