#!/bin/sh
# Pictures of the windows on the real game Orion, for looking at them: every window test's
# "Picture" cases run with TOVIX_PICTURE_DIR set, and each writes its PNG files there.
# Usage: scripts/window-pictures.sh [folder]   (default: pictures/ in the source tree)
set -eu
cd "$(dirname "$0")/.."
out="${1:-pictures}"
mkdir -p "$out"
TOVIX_PICTURE_DIR="$(cd "$out" && pwd)"
export TOVIX_PICTURE_DIR
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
cmake --build build -j3 >/dev/null
for test in build/tests/windows/*_test; do
  [ -x "$test" ] || continue
  if ! "$test" --gtest_filter='*Picture*' >/dev/null 2>&1; then
    echo "$test: a picture case failed" >&2
    exit 1
  fi
done
ls -1 "$TOVIX_PICTURE_DIR"
