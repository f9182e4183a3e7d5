#!/usr/bin/env bash
# Builds Tovix and starts it.
#   ./run.sh                            the bundled sample game "Meridian" (a fresh copy in a
#                                       writable folder)
#   ./run.sh [--race LETTERS] <folder>  the game whose reports are in that folder (a relative
#                                       folder is taken from the directory you call the script
#                                       in; a name beginning with "-" follows "--"): the first
#                                       letter is your own race's, the others your allies'
#                                       (either case; default: the first letter found, no allies)
#   ./run.sh --check [...]              only checks the arguments and the reports and says what
#                                       would be read and where the program's files would go:
#                                       nothing is installed, built, written or started
# The program's own files (Tovix.ini, window settings, orders, notes, outbox) go to a folder of
# their own, never into the reports' folder; the script says which.
set -euo pipefail
# Arguments are taken as given, from the caller's directory; the checkout is named by its path.
self="$0"
repo="$(cd -- "$(dirname -- "$0")" && pwd)"

usage() {
  echo "Usage: $self [--check] [--race LETTERS] [--] [game folder]" >&2
  echo "  LETTERS: your race's report letter, then your allies' (for example: --race A or" >&2
  echo "           --race ABC)" >&2
  echo "  --check: check the arguments and the reports only; nothing is built or started" >&2
  echo "  --: what follows is the game folder, even when its name begins with \"-\"" >&2
  exit 2
}
fail() {
  echo "$*" >&2
  exit 1
}
# A name as the shell would take it back (blanks and odd characters quoted).
quoted() { printf '%q' "$1"; }

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
      echo "Unknown option: $1 (a game folder whose name begins with \"-\" is given after" \
        "\"--\": $self -- $(quoted "$1"))" >&2
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

# A Tovix.ini holds one setting per line: a folder whose name holds a line break cannot be
# written into it (the name would be cut there).
refuse_line_break() {
  case "$2" in
    *$'\n'* | *$'\r'*)
      fail "The name of $1 $(quoted "$3") holds a line break, which a Tovix.ini cannot hold:" \
        "rename the folder without it and try again."
      ;;
  esac
}

reports=""
if [ $# -eq 1 ]; then
  arg="$1"
  refuse_line_break "the game folder" "$arg" "$arg"
  where="$arg"
  [[ "$arg" == /* ]] || where="$PWD/$arg"
  refuse_line_break "the game folder" "$where" "$where"
  [ -e "$where" ] || fail "The game folder $arg does not exist ($where)."
  [ -d "$where" ] || fail "$arg is not a folder: name the folder that holds the turn reports."
  { [ -r "$where" ] && [ -x "$where" ]; } ||
    fail "The game folder $arg cannot be read (its permissions do not let you list it)."
  # An absolute path: no folder name is taken for an option of cd, nor "-" for the last one.
  reports="$(cd -- "$where" && pwd)"
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

# A value of an INI file as the program reads it: lines end in CR LF, LF or CR; section and key
# names compare without case; names and values lose their surrounding blanks; the first section
# of a name and the first key of a name count. ini_get <file> <section> <key>
ini_get() {
  LC_ALL=C awk -v want_section="$2" -v want_key="$3" '
    function trim(s) {
      sub(/^[[:cntrl:] ]+/, "", s)
      sub(/[[:cntrl:] ]+$/, "", s)
      return s
    }
    BEGIN { RS = "\r\n|\r|\n"; want_section = tolower(want_section); want_key = tolower(want_key) }
    { line = trim($0) }
    line ~ /^\[/ && index(line, "]") > 0 {
      name = tolower(trim(substr(line, 2, index(line, "]") - 2)))
      inside = !(name in seen) && name == want_section
      seen[name] = 1
      next
    }
    inside && line !~ /^[;#]/ && index(line, "=") > 1 {
      key = tolower(trim(substr(line, 1, index(line, "=") - 1)))
      if (key == want_key) { print trim(substr(line, index(line, "=") + 1)); exit }
    }
  ' "$1"
}

# A report is told by its heading, as the program finds it: "Galaxy Game <game> Turn <n> Report
# for <race>", "Blind Galaxy game ...", "GalaxyNG-Blind Game ..." or "<race> Report for Galaxy
# PLUS ...". A file whose first line is "#GALAXY ..." is an order file, whatever else it holds.
heading_functions='
  function trim(s) {
    sub(/^[[:cntrl:] ]+/, "", s)
    sub(/[[:cntrl:] ]+$/, "", s)
    return s
  }
  function is_heading(s) {
    return s ~ /^[^A-Za-z0-9_]*Galaxy Game [A-Za-z0-9_]+ [A-Za-z0-9_]+ [A-Za-z0-9_]+ [A-Za-z0-9_]+/ ||
      s ~ /^[^A-Za-z0-9_]*Blind Galaxy game/ ||
      s ~ /^[^A-Za-z0-9_]*[A-Za-z0-9_]+ Report for Galaxy PLUS/ ||
      s ~ /^[^A-Za-z0-9_]*GalaxyNG-Blind Game/
  }
  BEGIN { RS = "\r\n|\r|\n" }
  FNR == 1 { started = 0 }
  { line = trim($0) }
  !started && line != "" {
    started = 1
    if (toupper(substr(line, 1, 7)) == "#GALAXY") nextfile
  }
'
# report_files <name...>: of the files named (in the current directory), those that are reports.
report_files() {
  LC_ALL=C awk "$heading_functions"'
    is_heading(line) { print FILENAME; nextfile }
  ' "$@" 2>/dev/null
}
# heading_race <file>: the race a report is for, from its heading ("... Report for Arcturans",
# "Arcturans Report for Galaxy PLUS ...", "Blind Galaxy game Nebula Report for Alpha Turn 3";
# "Nation Foo" gives "Nation_Foo" as in the program).
heading_race() {
  LC_ALL=C awk "$heading_functions"'
    is_heading(line) {
      n = split(line, w, /[[:cntrl:] ,`~]+/)
      if (line ~ /Report for Galaxy PLUS/) {
        for (i = 2; i <= n; i++) if (w[i] == "Report") { print w[i - 1]; exit }
      }
      r = n
      if (line ~ /^[^A-Za-z0-9_]*Blind Galaxy game/) r = n - 2
      if (r > 1 && (w[r - 1] == "Nation" || w[r - 1] == "Player")) print w[r - 1] "_" w[r]
      else if (r >= 1) print w[r]
      exit
    }
  ' "$1" 2>/dev/null || true
}

# Files that the program would read but that cannot be read end the script before anything is
# built: unreadable <folder> <name...>
unreadable() {
  local folder="$1" count list
  shift
  count=$#
  list="$(printf '%s, ' "${@:1:10}")"
  list="${list%, }"
  if [ "$count" -gt 10 ]; then list+=" and $((count - 10)) more"; fi
  if [ "$count" -eq 1 ]; then
    fail "The report $list in $folder cannot be read: its permissions do not let you read it" \
      "(make it readable, for example with chmod u+r, and try again)."
  fi
  fail "$count reports in $folder cannot be read, as their permissions do not let you read" \
    "them: $list (make them readable, for example with chmod u+r, and try again)."
}

# A report pattern as the program takes it: one letter directive, then one turn directive, each
# as "%[-][width][.precision]" with at most three digits a number; "%%" is a "%" sign.
usable_pattern() {
  local directive='%-?[0-9]{0,3}(\.[0-9]{1,3})?'
  [[ "${1//%%/}" =~ ^[^%]*${directive}s[^%]*${directive}d[^%]*$ ]]
}

# The reports of one letter that a pattern names, turns 0 to 800: their paths (own_files) and
# turns (own_turns), and the names of those that exist but cannot be read (appended to
# cannot_read). `look_in`, when set, is the folder the names are looked up in instead of the
# pattern's own; a relative pattern is taken from the checkout, where the program starts.
own_files=() own_turns=() cannot_read=() look_in=""
report_path() {
  # The pattern was checked (usable_pattern); a backslash in it is a folder name's own.
  printf -v path -- "${1//\\/\\\\}" "$2" "$3"
  if [ -n "$look_in" ]; then path="$look_in/${path##*/}"; fi
  [[ "$path" == /* ]] || path="$repo/$path"
}
list_reports() {
  local letter="$1" pattern="$2" turn path
  own_files=() own_turns=()
  for ((turn = 0; turn <= 800; turn++)); do
    report_path "$pattern" "$letter" "$turn"
    [ -f "$path" ] || continue
    if [ -r "$path" ]; then
      own_files+=("$path") own_turns+=("$turn")
    else
      cannot_read+=("${path##*/}")
    fi
  done
}

# What is decided before anything is built: the program's folder ($game), the Tovix.ini to write
# there ($ini; empty: the one there stays), the folder the race names are read from, and notes
# for the user.
ini="" letters="" pattern="" notes=()
if [ -z "$reports" ]; then
  game="${XDG_DATA_HOME:-$HOME/.local/share}/tovix-demo"
  refuse_line_break "the folder for the program's files" "$game" "$game"
  look_in="$repo/samples/demo"
  letters=ABC
  pattern="$(pattern_folder "$game")/%1s%0.03d.txt"
  ini="[RUN]
game=0

[0]
Name=Meridian
spelD=$pattern
spelC=$letters
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
    game="${XDG_DATA_HOME:-$HOME/.local/share}/tovix/$(basename -- "$reports")-$key"
    refuse_line_break "the folder for the program's files" "$game" "$game"
  fi
  if [ "$game" != "$reports" ]; then
    # The reports found there: files named by a letter, perhaps more text, the turn and an
    # extension ("A000.txt", "A7.txt", "turn12.txt") that hold a report's heading (order files
    # and forecasts beside them are no reports). The turn is zero-padded in the pattern only
    # when the names pad it ("A007"); "turn12" next to "turn9" is not.
    name_form='^([A-Za-z])([A-Za-z_-]*)([0-9]+)(\.[A-Za-z0-9]+)?$'
    named=() locked=()
    for f in "$reports"/*; do
      name="${f##*/}"
      [[ "$name" =~ $name_form ]] && [ -f "$f" ] || continue
      if [ -r "$f" ]; then named+=("$name"); else locked+=("$name"); fi
    done
    found_files=()
    if [ ${#named[@]} -gt 0 ]; then
      mapfile -t found_files < <(cd -- "$reports" && report_files "${named[@]}")
    fi
    mask="" ext="" middle="" found="" width=0 padded=no first=""
    for name in ${found_files[@]+"${found_files[@]}"}; do
      [[ "$name" =~ $name_form ]] || continue
      l="${BASH_REMATCH[1]}" m="${BASH_REMATCH[2]}" d="${BASH_REMATCH[3]}" e="${BASH_REMATCH[4]}"
      if [ -z "$found" ]; then middle="$m" ext="$e" width="${#d}"; fi
      [ "$m" = "$middle" ] && [ "$e" = "$ext" ] || continue
      if [ "${#d}" -gt 1 ] && [ "${d:0:1}" = 0 ]; then padded=yes; fi
      [[ "$found" == *"$l"* ]] || found+="$l"
    done
    if [ -z "$found" ]; then
      if [ ${#locked[@]} -gt 0 ]; then unreadable "$reports" "${locked[@]}"; fi
      if [ ${#named[@]} -gt 0 ]; then
        fail "No turn reports (named like A000.txt or turn12.txt) in $reports: the files named" \
          "so hold no report heading (such as \"Galaxy Game Orion Turn 0 Report for race_1\")."
      fi
      fail "No turn reports (named like A000.txt or turn12.txt) in $reports"
    fi
    # Your race and your allies: as given, in either case (the letter as the files spell it),
    # else the first letter found alone (another race's reports in the folder are no ally's
    # unless you say so).
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
        if [ -z "$got" ]; then
          # Reports of that race that cannot be read are named as such.
          theirs=()
          for name in ${locked[@]+"${locked[@]}"}; do
            if [[ "$name" =~ $name_form ]] && [ "${BASH_REMATCH[1],}" = "${want,}" ] &&
              [ "${BASH_REMATCH[2]}" = "$middle" ] && [ "${BASH_REMATCH[4]}" = "$ext" ]; then
              theirs+=("$name")
            fi
          done
          if [ ${#theirs[@]} -gt 0 ]; then unreadable "$reports" "${theirs[@]}"; fi
          fail "No reports of the race $want in $reports (the letters found there: $found)"
        fi
        [[ "$letters" == *"$got"* ]] || letters+="$got"
      done
    else
      letters="${found:0:1}"
    fi
    if [ "$padded" = yes ]; then mask="%1s${middle}%0.0${width}d"; else mask="%1s${middle}%d"; fi
    pattern="$(pattern_folder "$reports")/${mask}${ext}"
    if [ ! -f "$game/Tovix.ini" ] || [ -n "$race" ]; then
      for ((i = 0; i < ${#letters}; i++)); do list_reports "${letters:i:1}" "$pattern"; done
      if [ ${#cannot_read[@]} -gt 0 ]; then unreadable "$reports" "${cannot_read[@]}"; fi
      # The map comes from the first report of the user's own letter.
      list_reports "${letters:0:1}" "$pattern"
      [ ${#own_files[@]} -gt 0 ] ||
        fail "No reports of the race ${letters:0:1} of turns 0 to 800 in $reports"
      first="${own_files[0]}" turn="${own_turns[0]}"
      if [ "$turn" -gt 0 ]; then
        notes+=("Note: the reports of turns 0 to $((turn - 1)) are not in $reports")
      fi
      map_type=Normal map_size=100
      if grep -Eq '^Spherical Galaxy +ON' "$first"; then map_type=Spherical; fi
      # The line below the map's second row of 80 dashes holds its bottom-right corner.
      corner="$(awk '{ sub(/\r$/, "") }
        /^-+$/ && length($0) == 80 { if (++dashes == 2) { getline; sub(/\r$/, ""); print; exit } }
        ' "$first")"
      size="$(printf '%s\n' "$corner" | tr ', ' '\n\n' | { grep -E '^[0-9.]+$' || true; } |
        sed -n '3,4p' | sort -n | tail -1)"
      if [ -n "$size" ]; then map_size="$(printf '%.0f' "$size")"; fi
      ini="[RUN]
game=0

[0]
Name=$(basename -- "$reports")
spelD=$pattern
spelC=$letters
MapType=$map_type
MapSize=$map_size
"
      if [ -z "$race" ] && [ "${#found}" -gt "${#letters}" ]; then
        notes+=("Reports of the letters $found are there; to read your allies' too, name them:
$self --race ${letters}... $([[ "$arg" == -* ]] && echo "-- ")$(quoted "$arg")")
      fi
    fi
  fi
  if [ -z "$ini" ]; then
    # The Tovix.ini that stays: its letters and report pattern, as the program reads them.
    [ -r "$game/Tovix.ini" ] ||
      fail "The file $game/Tovix.ini cannot be read (its permissions do not let you read it)."
    section="$(ini_get "$game/Tovix.ini" RUN game)"
    if [[ "$section" =~ ^\+?[0-9]{1,9}$ ]]; then
      section="$((10#${section#+}))"
      letters="$(ini_get "$game/Tovix.ini" "$section" spelC)"
      pattern="$(ini_get "$game/Tovix.ini" "$section" spelD)"
    fi
  fi
fi

# What is read, in words: per race its name (from the heading of its latest report), how many
# reports and which. Reports that cannot be read end the script here, before anything is built.
read_lines=()
if [ -z "$letters" ] || [ -z "$pattern" ] || ! usable_pattern "$pattern"; then
  read_lines+=("The Tovix.ini in $game names no game whose reports can be read (its [RUN] \"game\"
and that game's report pattern \"spelD\" and letters \"spelC\"): the program opens its
Configuration dialog to set one up.")
else
  # The folder the program reads (the sample game's reports are copied there).
  look_in="" report_path "$pattern" "${letters:0:1}" 0
  folder="$(dirname -- "$path")"
  read_lines+=("Reading the reports in $folder:")
  for ((i = 0; i < ${#letters}; i++)); do
    l="${letters:i:1}" name=""
    list_reports "$l" "$pattern"
    count=${#own_files[@]}
    for ((k = count - 1; k >= 0 && k >= count - 3; k--)); do
      name="$(heading_race "${own_files[k]}")"
      [ -n "$name" ] && break
    done
    if [ "$i" -eq 0 ]; then role=yours; else role=ally; fi
    if [ "$count" -eq 0 ]; then
      report_path "$pattern" "$l" 0
      line="no reports (such as ${path##*/})"
    elif [ "$count" -eq 1 ]; then
      line="1 report, ${own_files[0]##*/}"
    else
      line="$count reports, ${own_files[0]##*/} to ${own_files[count - 1]##*/}"
    fi
    read_lines+=("  ${name:-race} ($l, $role): $line")
  done
  if [ ${#cannot_read[@]} -gt 0 ]; then unreadable "$folder" "${cannot_read[@]}"; fi
fi
summary() {
  for note in ${notes[@]+"${notes[@]}"}; do echo "$note" >&2; done
  printf '%s\n' "${read_lines[@]}"
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
