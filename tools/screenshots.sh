#!/usr/bin/env bash
# Builds the screenshot tool and saves a PNG of every window into the folder given
# (default: screenshots/ in the build tree), under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target sonorix-screenshots -j"$(nproc)"
out="${1:-build/screenshots}"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" ./build/tools/screenshots/sonorix-screenshots "$out"
