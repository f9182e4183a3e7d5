#!/usr/bin/env bash
# Builds Tovix and starts it.
#   ./run.sh                the bundled sample game "Meridian" (a fresh copy in a writable folder)
#   ./run.sh <game folder>  the game whose reports are in that folder
set -euo pipefail
cd "$(dirname "$0")"
repo="$PWD"

if [ $# -gt 1 ] || { [ $# -eq 1 ] && [ ! -d "$1" ]; }; then
  echo "Usage: $0 [game folder]" >&2
  exit 2
fi

./scripts/setup-machine.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tovix

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: start an X server (for example: xvfb-run -a ./run.sh) and try again." >&2
  exit 1
fi

# A "%" in a folder name is written "%%" in a report pattern.
pattern_folder() { printf '%s' "${1//%/%%}"; }

# Writes `content` to `file` through a temporary file, so that a half-written file never stays.
write_file() {
  local file="$1" content="$2" tmp
  tmp="$(mktemp "$file.XXXXXX")"
  printf '%s' "$content" >"$tmp"
  mv -f "$tmp" "$file"
}

if [ $# -eq 0 ]; then
  game="${XDG_DATA_HOME:-$HOME/.local/share}/tovix-demo"
  mkdir -p "$game"
  # Each run starts from the sample as it is shipped; only the window settings stay.
  find "$game" -mindepth 1 -maxdepth 1 ! -name TovixStore3.ini -exec rm -rf -- {} +
  cp "$repo"/samples/demo/*.txt "$game"/
  write_file "$game/Tovix.ini" "[RUN]
game=0

[0]
Name=Meridian
spelD=$(pattern_folder "$game")/%1s%0.03d.txt
spelC=ABC
GameType=Galaxy NG
MapType=Normal
MapSize=120
"
else
  game="$(cd "$1" && pwd)"
  if [ ! -f "$game/Tovix.ini" ]; then
    # A game section for the reports found there: "A000.txt" style names (letter and three
    # digits) first, else a letter and any number ("A7.txt"). The first letter is taken as the
    # user's own, the others as allies'.
    mask="" ext="" letters=""
    for form in '[0-9][0-9][0-9]' '[0-9]+'; do
      for f in "$game"/*; do
        name="$(basename "$f")"
        [ -f "$f" ] || continue
        if [[ "$name" =~ ^([A-Za-z])${form}(\.[A-Za-z0-9]+)?$ ]]; then
          e="${BASH_REMATCH[2]}"
          if [ -z "$mask" ]; then
            ext="$e"
            if [ "$form" = '[0-9]+' ]; then mask='%1s%d'; else mask='%1s%0.03d'; fi
          fi
          [ "$e" = "$ext" ] || continue
          letter="${BASH_REMATCH[1]}"
          [[ "$letters" == *"$letter"* ]] || letters+="$letter"
        fi
      done
      [ -n "$mask" ] && break
    done
    if [ -z "$letters" ]; then
      echo "No turn reports (named like A000.txt) and no Tovix.ini in $game" >&2
      exit 1
    fi
    echo "Writing $game/Tovix.ini for the reports ${mask}${ext} with the letters $letters"
    write_file "$game/Tovix.ini" "[RUN]
game=0

[0]
Name=$(basename "$game")
spelD=$(pattern_folder "$game")/${mask}${ext}
spelC=$letters
"
  fi
fi

export TOVIX_HOME="$game"
exec "$repo/build/bin/tovix"
