#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless
# (window tests on Qt's offscreen platform, OpenGL tests under a virtual X server).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure -j"$(nproc)"
