#!/usr/bin/env bash
# Builds the screenshot tool and saves a PNG of every window into the folder given
# (default: screenshots/<language> in the build tree), under a virtual X server: the 3-D view
# needs OpenGL, which Qt's offscreen platform does not give. The second argument picks the
# interface language, ru (default) or en. SONORIX_BUILD_DIR picks another build tree than
# build/. The tool keeps its settings in a temporary file; the user's are not touched.
#   tools/screenshots.sh docs/screenshots/en en
set -euo pipefail
cd "$(dirname "$0")/.."
build="${SONORIX_BUILD_DIR:-build}"
language="${2:-ru}"
case "$language" in
  ru|en) ;;
  *) echo "language must be ru or en, not $language" >&2; exit 2 ;;
esac
bash tools/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target sonorix-screenshots -j"$(nproc)"
out="${1:-$build/screenshots/$language}"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" \
  "./$build/tools/screenshots/sonorix-screenshots" "$out" "$language"
