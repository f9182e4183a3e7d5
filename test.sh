#!/usr/bin/env bash
# Installs what is missing, builds Tovix with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

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
ctest --preset default

# The core once more under AddressSanitizer and UBSan.
cmake --preset asan -DTOVIX_WERROR=$werror >/dev/null
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan
