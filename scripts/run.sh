#!/usr/bin/env bash
# Installs what is missing, builds Zelk and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELK_TESTS=OFF
cmake --build build -j"$(nproc)"
exec ./build/zelk
