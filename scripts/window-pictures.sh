#!/usr/bin/env bash
# Writes one PNG per built window of Tovix, and of the dialogs that belong to them, and of the
# filters at work (frmGroupFilter-ship-options, frmPlanets-filtered by [PT_SIZE]>500,
# frmBattles-sides: the two-list dialog with races on both sides).
#   scripts/window-pictures.sh <game folder> <out folder> [report letters]
# The game folder holds turn reports named like A000.txt; the letters default to every letter
# found there, the first one the user's own (orion as A with allies B and C: "ABC").
# Runs under a virtual display (Xvfb); the game's folder is not written to. Some windows are set
# up first (src/app/window_pictures.cpp): the map fitted with names, "Ship Design" on the user's
# Cruiser2 (orion as A), "Standard Ship" with its extra designs shown, the calculator after a sum,
# the notes editor with a formatted sample note (with links) in the fresh program folder, "Select
# Planet(s)" spreading the user's largest group with three planets picked, and "Advanced Send" on
# them with two result rows and the "My Groups" page (frmAdvancedSend). The window tests' own
# pictures (see below) are of orion with race A, so they are added only for that game.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "Usage: $0 <game folder> <out folder> [report letters]" >&2
  exit 2
fi
# The folders as given, from the caller's directory.
if [ ! -d "$1" ]; then
  echo "The game folder $1 does not exist or is not a folder." >&2
  exit 1
fi
game="$(cd "$1" && pwd)"
out="$(mkdir -p "$2" && cd "$2" && pwd)"
letters="${3:-}"
cd "$(dirname "$0")/.."
if [ -z "$letters" ]; then
  for f in "$game"/[A-Za-z][0-9][0-9][0-9].txt; do
    [ -f "$f" ] || continue
    l="$(basename "$f" | cut -c1)"
    [[ "$letters" == *"$l"* ]] || letters+="$l"
  done
fi
if [ -z "$letters" ]; then
  echo "No turn reports named like A000.txt in $game" >&2
  exit 1
fi

./scripts/setup-machine.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tovix-window-pictures

home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
cat >"$home/Tovix.ini" <<INI
[RUN]
game=0

[0]
Name=$(basename "$game")
spelD=${game//%/%%}/%1s%0.03d.txt
spelC=$letters
INI

TOVIX_HOME="$home" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1200x24" \
  build/bin/tovix-window-pictures "$out" 0

# The pictures the window tests take on Orion (a battle selected, the two-list dialog of its
# sides, the graph, the overview, the map and its colour dialog, the group filter with ship
# options, the planet information window filtered by an expression, the mail settings with an
# SMTP server, the order skeleton of race A; the orders window with A's orders of turn 25 and its
# planning lists filled, each of its menus, the To Do pop-up and its planets); the map of a small
# "Galaxy Blind" game with its overlay shown in overlay mode (Map-overlay); and the controls that
# no window shows yet (the drop-down calculator under its edit). The tests read orion where they
# always do, whatever game was given, so they run only when that is the game given, with race A
# as the user's: another game's pictures would be mixed with orion's.
orion="$(cd "${TOVIX_REPORTS:-../shared/reports}/orion" 2>/dev/null && pwd -P)" || orion=""
if [ "$(cd "$game" && pwd -P)" != "$orion" ] || [ "${letters:0:1}" != A ]; then
  ls -1 "$out"
  echo "The window tests' pictures (of orion as race A) are not added for this game." >&2
  exit 0
fi
export TOVIX_PICTURE_DIR="$out" TOVIX_SCREENSHOT_DIR="$out"
cmake --build --preset default >/dev/null
for test in build/tests/windows/*_test build/tests/controls/*_test; do
  [ -x "$test" ] || continue
  QT_QPA_PLATFORM=offscreen "$test" --gtest_filter='*Picture*:MapPaintingTest.Orion*' >/dev/null 2>&1 ||
    echo "$test: a picture case failed" >&2
done
ls -1 "$out"
