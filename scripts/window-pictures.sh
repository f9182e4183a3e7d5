#!/usr/bin/env bash
# Pictures of every window that is built, on a game:
#   scripts/window-pictures.sh <game folder> <out folder> [letters]
# The reports in the game folder are read with the letters given (own letter first, then the
# allies'; default: every letter of the "A000.txt"-style files there) as a "Galaxy NG" game, in a
# scratch settings folder; one PNG per window goes to the out folder.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -lt 2 ] || [ $# -gt 3 ] || [ ! -d "$1" ]; then
  echo "Usage: $0 <game folder> <out folder> [letters]" >&2
  exit 2
fi
game="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
letters="${3:-}"
if [ -z "$letters" ]; then
  for f in "$game"/*; do
    name="$(basename "$f")"
    if [[ "$name" =~ ^([A-Za-z])[0-9][0-9][0-9]\.txt$ ]] && [[ "$letters" != *"${BASH_REMATCH[1]}"* ]]; then
      letters+="${BASH_REMATCH[1]}"
    fi
  done
fi
if [ -z "$letters" ]; then
  echo "No turn reports named like A000.txt in $game" >&2
  exit 1
fi

cmake --build "$repo/build" --target tovix_window_pictures >/dev/null

home="$(mktemp -d "${TMPDIR:-/tmp}/tovix-pictures-XXXXXX")"
trap 'rm -rf -- "$home"' EXIT
size=150
printf '[RUN]\ngame=0\n\n[0]\nName=%s\nspelD=%s/%%1s%%0.03d.txt\nspelC=%s\nGameType=Galaxy NG\nMapType=Normal\nMapSize=%s\n' \
  "$(basename "$game")" "${game//%/%%}" "$letters" "$size" >"$home/Tovix.ini"

export TOVIX_HOME="$home"
if command -v xvfb-run >/dev/null && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  xvfb-run -a "$repo/build/bin/tovix_window_pictures" "$out"
else
  QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$repo/build/bin/tovix_window_pictures" "$out"
fi
