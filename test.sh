#!/usr/bin/env bash
# Installs what is missing, builds Tovix with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

# Parallel jobs: CMAKE_BUILD_PARALLEL_LEVEL limits the builds (cmake --build reads it) and
# CTEST_PARALLEL_LEVEL the tests, which follow the build's limit when only that is set. A number
# given on ctest's command line wins over the 8 jobs of the test presets.
for setting in CMAKE_BUILD_PARALLEL_LEVEL CTEST_PARALLEL_LEVEL; do
  value="${!setting:-}"
  if [ -n "$value" ] && ! [[ "$value" =~ ^[1-9][0-9]*$ ]]; then
    echo "$setting is the number of parallel jobs (for example $setting=3), not \"$value\"." >&2
    exit 2
  fi
done
test_jobs=()
jobs="${CTEST_PARALLEL_LEVEL:-${CMAKE_BUILD_PARALLEL_LEVEL:-}}"
if [ -n "$jobs" ]; then test_jobs=(-j "$jobs"); fi

./scripts/setup-machine.sh

# Formatting first, so that a difference fails at once: every C++ file must be as clang-format
# (with the project's .clang-format) writes it. `clang-format -i <file>` mends one.
find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run -Werror

werror=OFF
if [ "${CI:-}" = "true" ]; then werror=ON; fi
export QT_QPA_PLATFORM=offscreen

cmake --preset default -DTOVIX_WERROR=$werror >/dev/null
cmake --build --preset default
ctest --preset default -LE xserver ${test_jobs[@]+"${test_jobs[@]}"}

# The X server tests: the editors and the program with real X key events, each test program
# under an X server of its own (scripts/with-xserver.sh: Xvfb on a display it picks itself).
if command -v Xvfb >/dev/null 2>&1; then
  ctest --preset default -L xserver ${test_jobs[@]+"${test_jobs[@]}"}
  xserver="ran under Xvfb (xcb platform, real X key events)"
else
  echo "X server tests skipped: Xvfb is not installed."
  xserver="skipped: Xvfb is not installed"
fi

# The core once more under AddressSanitizer and UBSan.
cmake --preset asan -DTOVIX_WERROR=$werror >/dev/null
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan ${test_jobs[@]+"${test_jobs[@]}"}

echo
echo "Summary:"
echo "  formatting:                 clean"
echo "  tests (offscreen):          passed"
echo "  X server tests:             $xserver"
echo "  AddressSanitizer and UBSan: passed"
