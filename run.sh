#!/usr/bin/env bash
# Builds Tovix and starts it.
#   ./run.sh                            the bundled sample game "Meridian" (a fresh copy in a
#                                       writable folder)
#   ./run.sh [--race LETTERS] <folder>  the game whose reports are in that folder (a relative
#                                       folder is taken from the directory you call the script
#                                       in): the first letter is your own race's, the others your
#                                       allies' (either case; default: the first letter found, no
#                                       allies)
#   ./run.sh --check [...]              only checks the arguments and the reports and says what
#                                       would be read and where the program's files would go:
#                                       nothing is installed, built, written or started
# The program's own files (Tovix.ini, window settings, orders, notes, outbox) go to a folder of
# their own, never into the reports' folder; the script says which.
set -euo pipefail
# Arguments are taken as given, from the caller's directory; the checkout is named by its path.
self="$0"
repo="$(cd "$(dirname "$0")" && pwd)"

usage() {
  echo "Usage: $self [--check] [--race LETTERS] [game folder]" >&2
  echo "  LETTERS: your race's report letter, then your allies' (for example: --race A or" >&2
  echo "           --race ABC)" >&2
  echo "  --check: check the arguments and the reports only; nothing is built or started" >&2
  exit 2
}
fail() {
  echo "$*" >&2
  exit 1
}

race="" check=no
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
    --check)
      check=yes
      shift
      ;;
    --)
      shift
      break
      ;;
    -h | --help) usage ;;
    -*)
      echo "Unknown option: $1" >&2
      usage
      ;;
    *) break ;;
  esac
done
if [ $# -gt 1 ]; then
  echo "One game folder only (given: $*)" >&2
  usage
fi
if [ -n "$race" ]; then
  if [ $# -eq 0 ]; then
    echo "--race needs the game folder whose reports it names" >&2
    usage
  fi
  [[ "$race" =~ ^[A-Za-z]+$ ]] ||
    fail "The race letters are letters only (as in --race A or --race ABC), not \"$race\""
fi

reports=""
if [ $# -eq 1 ]; then
  arg="$1"
  where="$arg"
  [[ "$arg" == /* ]] || where="$PWD/$arg"
  [ -e "$arg" ] || fail "The game folder $arg does not exist ($where)."
  [ -d "$arg" ] || fail "$arg is not a folder: name the folder that holds the turn reports."
  { [ -r "$arg" ] && [ -x "$arg" ]; } ||
    fail "The game folder $arg cannot be read (its permissions do not let you list it)."
  reports="$(cd "$arg" && pwd)"
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

# What is decided before anything is built: the program's folder ($game), the Tovix.ini to write
# there ($ini; empty: the one there stays), the folder the race names are read from, and notes
# for the user.
ini="" names_from="" notes=()
if [ -z "$reports" ]; then
  game="${XDG_DATA_HOME:-$HOME/.local/share}/tovix-demo"
  names_from="$repo/samples/demo"
  ini="[RUN]
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
  # The reports' folder is only read. The program's files go to a folder of their own per
  # reports folder, unless the reports' folder was set up with a Tovix.ini of its own.
  if [ -f "$reports/Tovix.ini" ] && [ -z "$race" ]; then
    game="$reports"
  else
    key="$(printf '%s' "$reports" | cksum | cut -d' ' -f1)"
    game="${XDG_DATA_HOME:-$HOME/.local/share}/tovix/$(basename "$reports")-$key"
  fi
  if [ "$game" != "$reports" ]; then
    # The reports found there: a letter, perhaps more text, the turn and an extension
    # ("A000.txt", "A7.txt", "turn12.txt"). The turn is zero-padded in the pattern only when the
    # names pad it ("A007"); "turn12" next to "turn9" is not.
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
    [ -n "$found" ] || fail "No turn reports (named like A000.txt or turn12.txt) in $reports"
    # Your race and your allies: as given, in either case (the letter as the files spell it),
    # else the first letter found alone (another race's reports in the folder are no ally's
    # unless you say so).
    letters=""
    if [ -n "$race" ]; then
      for ((i = 0; i < ${#race}; i++)); do
        want="${race:i:1}" got=""
        if [[ "$found" == *"$want"* ]]; then
          got="$want"
        else
          for ((j = 0; j < ${#found}; j++)); do
            if [ "${found:j:1}" = "${want^}" ] || [ "${found:j:1}" = "${want,}" ]; then
              got="${found:j:1}"
              break
            fi
          done
        fi
        [ -n "$got" ] ||
          fail "No reports of the race $want in $reports (the letters found there: $found)"
        [[ "$letters" == *"$got"* ]] || letters+="$got"
      done
    else
      letters="${found:0:1}"
    fi
    if [ "$padded" = yes ]; then mask="%1s${middle}%0.0${width}d"; else mask="%1s${middle}%d"; fi
    if [ ! -f "$game/Tovix.ini" ] || [ -n "$race" ]; then
      own="${letters:0:1}"
      # The first turn there is a report of the user's own letter for, and the map from it.
      for ((turn = 0; turn <= 800; turn++)); do
        if [ "$padded" = yes ]; then t="$(printf "%0${width}d" "$turn")"; else t="$turn"; fi
        if [ -f "$reports/$own$middle$t$ext" ]; then first="$reports/$own$middle$t$ext"; break; fi
      done
      if [ -n "$first" ] && [ "$turn" -gt 0 ]; then
        notes+=("Note: the reports of turns 0 to $((turn - 1)) are not in $reports")
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
      ini="[RUN]
game=0

[0]
Name=$(basename "$reports")
spelD=$(pattern_folder "$reports")/${mask}${ext}
spelC=$letters
MapType=$map_type
MapSize=$map_size
"
      if [ -z "$race" ] && [ "${#found}" -gt "${#letters}" ]; then
        notes+=("Reports of the letters $found are there; to read your allies' too, name them:
$self --race ${letters}... $arg")
      fi
    fi
  fi
fi

# What is read: the letters and the report pattern of the Tovix.ini to be written, else of the
# one that stays.
ini_value() {
  if [ -n "$ini" ]; then
    printf '%s\n' "$ini" | sed -n "s/^$1=//p" | head -1
  else
    sed -n "s/^$1=//p" "$game/Tovix.ini" | head -1
  fi
}
letters="$(ini_value spelC)"
pattern="$(ini_value spelD)"
[ -n "$names_from" ] || names_from="$(dirname "${pattern//%%/%}")"
races=""
for ((i = 0; i < ${#letters}; i++)); do
  l="${letters:i:1}" name=""
  # The race's name, from the heading of its latest report ("... Report for Arcturans").
  files=()
  for f in "$names_from/$l"*; do [ -f "$f" ] && files+=("$f"); done
  for ((k = ${#files[@]} - 1; k >= 0 && k >= ${#files[@]} - 3; k--)); do
    name="$(grep -a -m1 -o 'Report for .*' "${files[k]}" 2>/dev/null |
      sed 's/^Report for //; s/\r$//')" || true
    [ -n "$name" ] && break
  done
  if [ "$i" -eq 0 ]; then role=yours; else role=ally; fi
  races+="${races:+, }${name:-race} ($l, $role)"
done
summary() {
  for note in ${notes[@]+"${notes[@]}"}; do echo "$note" >&2; done
  echo "Reading the reports $pattern of $races"
  echo "The program's files (Tovix.ini, TovixStore3.ini, orders, notes, outbox) are in $game"
}

if [ "$check" = yes ]; then
  summary
  exit 0
fi

cd "$repo"
./scripts/setup-machine.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tovix

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: start an X server (for example: xvfb-run -a ./run.sh) and try again." >&2
  exit 1
fi

mkdir -p "$game"
if [ -z "$reports" ]; then
  # Each run starts from the sample as it is shipped; only the window settings stay.
  find "$game" -mindepth 1 -maxdepth 1 ! -name TovixStore3.ini -exec rm -rf -- {} +
  cp "$repo"/samples/demo/*.txt "$game"/
fi
if [ -n "$ini" ]; then write_file "$game/Tovix.ini" "$ini"; fi
summary

export TOVIX_HOME="$game"
exec "$repo/build/bin/tovix"
