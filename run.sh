#!/usr/bin/env bash
# Builds Tovix and starts it.
#   ./run.sh                            the bundled sample game "Meridian" (a fresh copy in a
#                                       writable folder)
#   ./run.sh [--race LETTERS] <folder>  the game whose reports are in that folder: the first
#                                       letter is your own race's, the others your allies'
#                                       (default: the first letter found, no allies)
# The program's own files (Tovix.ini, window settings, orders, notes, outbox) go to a folder of
# their own, never into the reports' folder; the script says which.
set -euo pipefail
cd "$(dirname "$0")"
repo="$PWD"

usage() {
  echo "Usage: $0 [--race LETTERS] [game folder]" >&2
  echo "  LETTERS: your race's report letter, then your allies' (for example: --race A or" >&2
  echo "           --race ABC)" >&2
  exit 2
}
race=""
while [ $# -gt 0 ]; do
  case "$1" in
    -r | --race)
      [ $# -ge 2 ] || usage
      race="$2"
      shift 2
      ;;
    --race=*)
      race="${1#--race=}"
      shift
      ;;
    -h | --help) usage ;;
    -*) usage ;;
    *) break ;;
  esac
done
if [ $# -gt 1 ] || { [ $# -eq 1 ] && [ ! -d "$1" ]; }; then usage; fi
if [ -n "$race" ] && { [ $# -eq 0 ] || ! [[ "$race" =~ ^[A-Za-z]+$ ]]; }; then usage; fi

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
  reports="$(cd "$1" && pwd)"
  # The reports' folder is only read. The program's files go to a folder of their own per
  # reports folder, unless the reports' folder was set up with a Tovix.ini of its own.
  if [ -f "$reports/Tovix.ini" ] && [ -z "$race" ]; then
    game="$reports"
  else
    key="$(printf '%s' "$reports" | cksum | cut -d' ' -f1)"
    game="${XDG_DATA_HOME:-$HOME/.local/share}/tovix/$(basename "$reports")-$key"
    mkdir -p "$game"
  fi
  if [ ! -f "$game/Tovix.ini" ] || [ -n "$race" ]; then
    # A game section for the reports found there: a letter, perhaps more text, the turn and an
    # extension ("A000.txt", "A7.txt", "turn12.txt"). The turn is zero-padded in the pattern
    # only when the names pad it ("A007"); "turn12" next to "turn9" is not.
    mask="" ext="" middle="" found="" width=0 padded=no first=""
    for f in "$reports"/*; do
      name="$(basename "$f")"
      [ -f "$f" ] || continue
      [[ "$name" =~ ^([A-Za-z])([A-Za-z_-]*)([0-9]+)(\.[A-Za-z0-9]+)?$ ]] || continue
      l="${BASH_REMATCH[1]}" m="${BASH_REMATCH[2]}" d="${BASH_REMATCH[3]}" e="${BASH_REMATCH[4]}"
      if [ -z "$found" ]; then middle="$m" ext="$e" width="${#d}"; fi
      [ "$m" = "$middle" ] && [ "$e" = "$ext" ] || continue
      if [ "${#d}" -gt 1 ] && [ "${d:0:1}" = 0 ]; then padded=yes; fi
      [[ "$found" == *"$l"* ]] || found+="$l"
    done
    if [ -z "$found" ]; then
      echo "No turn reports (named like A000.txt or turn12.txt) in $reports" >&2
      exit 1
    fi
    # Your race and your allies: as given, else the first letter found alone (another race's
    # reports in the folder are no ally's unless you say so).
    letters="${race:-${found:0:1}}"
    for ((i = 0; i < ${#letters}; i++)); do
      if [[ "$found" != *"${letters:i:1}"* ]]; then
        echo "No reports of the letter ${letters:i:1} in $reports (found: $found)" >&2
        exit 1
      fi
    done
    if [ "$padded" = yes ]; then mask="%1s${middle}%0.0${width}d"; else mask="%1s${middle}%d"; fi
    own="${letters:0:1}"
    # The first turn there is a report of the user's own letter for, and the map from it.
    for ((turn = 0; turn <= 800; turn++)); do
      if [ "$padded" = yes ]; then t="$(printf "%0${width}d" "$turn")"; else t="$turn"; fi
      if [ -f "$reports/$own$middle$t$ext" ]; then first="$reports/$own$middle$t$ext"; break; fi
    done
    if [ -n "$first" ] && [ "$turn" -gt 0 ]; then
      echo "Note: the reports of turns 0 to $((turn - 1)) are not in $reports" >&2
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
    write_file "$game/Tovix.ini" "[RUN]
game=0

[0]
Name=$(basename "$reports")
spelD=$(pattern_folder "$reports")/${mask}${ext}
spelC=$letters
MapType=$map_type
MapSize=$map_size
"
    if [ -z "$race" ] && [ "${#found}" -gt "${#letters}" ]; then
      echo "Reports of the letters $found are there; to read your allies' too, name them:" \
        "$0 --race ${letters}... $1" >&2
    fi
  fi
fi

# What is read, and where the program's files go.
letters="$(sed -n 's/^spelC=//p' "$game/Tovix.ini" | head -1)"
pattern="$(sed -n 's/^spelD=//p' "$game/Tovix.ini" | head -1)"
races=""
for ((i = 0; i < ${#letters}; i++)); do
  l="${letters:i:1}" name=""
  # The race's name, from the heading of its latest report ("... Report for Arcturans").
  for f in $(ls -1 "$(dirname "${pattern//%%/%}")"/"$l"* 2>/dev/null | sort -r | head -3); do
    name="$(grep -a -m1 -o 'Report for .*' "$f" 2>/dev/null | sed 's/^Report for //; s/\r$//')" || true
    [ -n "$name" ] && break
  done
  if [ "$i" -eq 0 ]; then role=yours; else role=ally; fi
  races+="${races:+, }${name:-race} ($l, $role)"
done
echo "Reading the reports $pattern of $races"
echo "The program's files (Tovix.ini, TovixStore3.ini, orders, notes, outbox) are in $game"

export TOVIX_HOME="$game"
exec "$repo/build/bin/tovix"
