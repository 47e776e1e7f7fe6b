#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONORIX_BENCH=OFF >/dev/null
cmake --build build --target sonorix -j"$(nproc)"
exec ./build/src/app/sonorix "$@"
