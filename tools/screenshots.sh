#!/usr/bin/env bash
# Builds the screenshot tool and saves a PNG of every window into the folder given
# (default: screenshots/ in the build tree), under a virtual X server: the 3-D view needs
# OpenGL, which Qt's offscreen platform does not give. SONORIX_BUILD_DIR picks another build
# tree than build/. The tool keeps its settings in a temporary file; the user's are not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${SONORIX_BUILD_DIR:-build}"
bash tools/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target sonorix-screenshots -j"$(nproc)"
out="${1:-$build/screenshots}"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" \
  "./$build/tools/screenshots/sonorix-screenshots" "$out"
