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
    # A game section for the reports found there: a letter, perhaps more text, the turn and an
    # extension ("A000.txt", "A7.txt", "turn12.txt"). The turn is zero-padded in the pattern
    # only when the names pad it ("A007"); "turn12" next to "turn9" is not. The first letter is
    # taken as the user's own, the others as allies'.
    mask="" ext="" middle="" letters="" width=0 padded=no first=""
    for f in "$game"/*; do
      name="$(basename "$f")"
      [ -f "$f" ] || continue
      [[ "$name" =~ ^([A-Za-z])([A-Za-z_-]*)([0-9]+)(\.[A-Za-z0-9]+)?$ ]] || continue
      l="${BASH_REMATCH[1]}" m="${BASH_REMATCH[2]}" d="${BASH_REMATCH[3]}" e="${BASH_REMATCH[4]}"
      if [ -z "$letters" ]; then middle="$m" ext="$e" width="${#d}"; fi
      [ "$m" = "$middle" ] && [ "$e" = "$ext" ] || continue
      if [ "${#d}" -gt 1 ] && [ "${d:0:1}" = 0 ]; then padded=yes; fi
      [[ "$letters" == *"$l"* ]] || letters+="$l"
    done
    if [ -z "$letters" ]; then
      echo "No turn reports (named like A000.txt or turn12.txt) and no Tovix.ini in $game" >&2
      exit 1
    fi
    if [ "$padded" = yes ]; then mask="%1s${middle}%0.0${width}d"; else mask="%1s${middle}%d"; fi
    own="${letters:0:1}"
    # The first turn there is a report of the user's own letter for, and the map from it.
    for ((turn = 0; turn <= 800; turn++)); do
      if [ "$padded" = yes ]; then t="$(printf "%0${width}d" "$turn")"; else t="$turn"; fi
      if [ -f "$game/$own$middle$t$ext" ]; then first="$game/$own$middle$t$ext"; break; fi
    done
    if [ -n "$first" ] && [ "$turn" -gt 0 ]; then
      echo "Note: the reports of turns 0 to $((turn - 1)) are not in $game" >&2
    fi
    map_type=Normal map_size=100
    if [ -n "$first" ]; then
      if grep -Eq '^Spherical Galaxy +ON' "$first"; then map_type=Spherical; fi
      # The line below the map's second row of 80 dashes holds its bottom-right corner.
      corner="$(awk '{ sub(/\r$/, "") }
        /^-+$/ && length($0) == 80 { if (++dashes == 2) { getline; sub(/\r$/, ""); print; exit } }
        ' "$first")"
      size="$(printf '%s\n' "$corner" | tr ', ' '\n\n' | { grep -E '^[0-9.]+$' || true; } |
        sed -n '3,4p' | sort -n | tail -1)"
      if [ -n "$size" ]; then map_size="$(printf '%.0f' "$size")"; fi
    fi
    echo "Writing $game/Tovix.ini for the reports ${mask}${ext} with the letters $letters" \
      "(map $map_type, $map_size)"
    write_file "$game/Tovix.ini" "[RUN]
game=0

[0]
Name=$(basename "$game")
spelD=$(pattern_folder "$game")/${mask}${ext}
spelC=$letters
MapType=$map_type
MapSize=$map_size
"
  fi
fi

export TOVIX_HOME="$game"
exec "$repo/build/bin/tovix"
