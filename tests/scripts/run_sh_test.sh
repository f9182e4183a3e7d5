#!/usr/bin/env bash
# run.sh's arguments and its checks of the game folder, through its --check switch (nothing is
# built or started): run_sh_test.sh <checkout>
set -uo pipefail
# Folders and files readable by all, whatever the caller's umask: some cases run as another user.
umask 022
repo="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
# A HOME of its own: the script's default folders are under it.
export HOME="$work/home" XDG_DATA_HOME="$work/data"
unset TOVIX_HOME

# Two small games: "mine" with the races A and B (B from turn 1 on), and one whose folder name
# has a blank and a "%" and that holds a Tovix.ini of its own.
report() { printf '\t\tGalaxy Game Test Turn %d Report for %s\n' "$2" "$3" >"$1"; }
mkdir -p "$work/games/mine" "$work/games/my 100%" "$work/games/empty" "$work/caller"
report "$work/games/mine/A000.txt" 0 race_1
report "$work/games/mine/A001.txt" 1 Arcturans
report "$work/games/mine/B001.txt" 1 Betelgeusians
report "$work/games/my 100%/A000.txt" 0 Cygnians
printf '[RUN]\ngame=0\n\n[0]\nspelD=%s/%%1s%%0.03d.txt\nspelC=A\n' \
  "$work/games/my 100%%" >"$work/games/my 100%/Tovix.ini"
touch "$work/games/afile"
mkdir -p "$work/games/locked" && report "$work/games/locked/A000.txt" 0 Locked

passed=0 failed=0
# What the player is never shown: a printf pattern ("%1s%0.03d.txt"), or a tool's own message
# ("grep: ...: Permission denied", "run.sh: line 80: cd: -lead: invalid option").
raw='%-?[0-9]*(\.[0-9]+)?[sd]|(^|'$'\n'')(grep|awk|mawk|gawk|sed|cd|cat|dirname|basename):|run\.sh: line [0-9]+:'
# check <what> <expected exit code> <text the output must hold> <run.sh arguments...>, run from
# $work/caller (or from $from when it is set), by the user $as (a command prefix; empty: this
# one) with the script $script.
script="$repo/run.sh" as=()
check() {
  local what="$1" code="$2" text="$3" out rc
  shift 3
  out="$(cd "${from:-$work/caller}" && ${as[@]+"${as[@]}"} "$script" --check "$@" 2>&1)"
  rc=$?
  if [ "$rc" -eq "$code" ] && [[ "$out" == *"$text"* ]] && [[ ! "$out" =~ $raw ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED: %s: exit code %d (expected %d), output:\n%s\n' "$what" "$rc" "$code" "$out"
  fi
}
mine="$work/games/mine"
key="$(printf '%s' "$mine" | cksum | cut -d' ' -f1)"

check "a relative folder from the caller's directory" 0 \
  "Reading the reports in $mine:
  Arcturans (A, yours): 2 reports, A000.txt to A001.txt
The program's" ../games/mine
check "the program's files go to a folder of their own" 0 \
  "are in $XDG_DATA_HOME/tovix/mine-$key" ../games/mine
check "an unknown option" 2 "Unknown option: --bogus" --bogus ../games/mine
check "other races' reports are named as possible allies" 0 "--race A... ../games/mine" \
  ../games/mine
check "a lower-case race letter" 0 "  Betelgeusians (B, yours): 1 report, B001.txt" --race b \
  ../games/mine
check "allies in either case" 0 "  Arcturans (A, yours): 2 reports, A000.txt to A001.txt
  Betelgeusians (B, ally): 1 report, B001.txt" --race aB ../games/mine
check "the same race twice counts once" 0 "  Arcturans (A, yours): 2 reports, A000.txt to A001.txt
The program's" --race=Aa ../games/mine
check "a race without reports" 1 "No reports of the race c in $mine (the letters found there: AB)" \
  --race c ../games/mine
check "a missing folder is named" 1 "The game folder no/such does not exist ($work/caller/no/such)" \
  no/such
check "a file is no folder" 1 "../games/afile is not a folder" ../games/afile
check "a folder without reports" 1 "No turn reports (named like A000.txt or turn12.txt) in" \
  ../games/empty
check "race letters are letters" 1 'not "A1"' --race A1 ../games/mine
check "--race needs a folder" 2 "--race needs the game folder" --race A
check "one folder only" 2 "One game folder only" ../games/mine ../games/empty
check "a folder with a Tovix.ini of its own keeps its files there" 0 \
  "  Cygnians (A, yours): 1 report, A000.txt
The program's files (Tovix.ini, TovixStore3.ini, orders, notes, outbox) are in $work/games/my 100%" \
  "../games/my 100%"
check "a race given writes the game's own Tovix.ini" 0 \
  "Reading the reports in $work/games/my 100%:
  Cygnians (A, yours): 1 report, A000.txt" --race a "../games/my 100%"
check "the sample game" 0 "Reading the reports in $XDG_DATA_HOME/tovix-demo:
  Corvids (A, yours): 12 reports, A000.txt to A011.txt
  Lyrans (B, ally): 12 reports, B000.txt to B011.txt
  Pavonids (C, ally): 12 reports, C000.txt to C011.txt"

# Reports are told from order files and forecasts by their heading, whatever their names: here
# the reports are turn0.txt and turn1.txt, beside order files orders0.txt ... (which begin with
# "#GALAXY" and quote a report's heading in a message) and a forecast.
both="$work/games/both"
mkdir -p "$both" "$work/games/orders-only"
report "$both/turn0.txt" 0 race_1
report "$both/turn1.txt" 1 Arcturans
for t in 0 1 2; do
  for dir in "$both" "$work/games/orders-only"; do
    printf '\n#GALAXY Test race_1 pw %d\n@ quoted\n\t\tGalaxy Game Test Turn 0 Report for Quoted\n@\n#END\n' \
      "$t" >"$dir/orders$t.txt"
  done
done
printf '\nORDERS RECEIVED\n\n#GALAXY Test Arcturans pw 1\n#END\n' >"$both/forecast1.txt"
check "order files beside reports are no reports" 0 "Reading the reports in $both:
  Arcturans (t, yours): 2 reports, turn0.txt to turn1.txt
The program's" ../games/both
check "order files alone are no reports" 1 \
  "No turn reports (named like A000.txt or turn12.txt) in $work/games/orders-only: the files" \
  ../games/orders-only

# A report's race, from each kind of heading.
heading() { mkdir -p "$work/games/$1" && printf "$3" >"$work/games/$1/$2"; }
heading plus A026.txt 'Bulletins for Galaxy Game Orion Turn 26\n\nEnd of the Bulletins\n\n         Arcturans Report for Galaxy PLUS Orion Turn 26\n                Galaxy PLUS version 1.0\n'
heading blind A001.txt '\t\tYour Options\n\n\t\tBlind Galaxy game Nebula Report for Alpha Turn 1\n'
heading ngblind A001.txt '\t\tGalaxyNG-Blind Game Cluster Turn 1 Report for Zorg\n'
heading nation A000.txt '\t\tGalaxy Game Test Turn 0 Report for Nation Foo\n'
heading crlf-report A000.txt 'Bulletins for Galaxy Game Test Turn 0\r\n\r\n\t\tGalaxy Game Test Turn 0 Report for Crlfians\r\n'
for row in "plus|Arcturans (A, yours): 1 report, A026.txt" "blind|Alpha (A, yours)" \
  "ngblind|Zorg (A, yours)" "nation|Nation_Foo (A, yours)" "crlf-report|Crlfians (A, yours): 1 report"; do
  check "the race of a ${row%%|*} heading" 0 "  ${row#*|}" "../games/${row%%|*}"
done

# The reports are named in words, with how many there are.
mkdir -p "$work/games/many"
for ((t = 0; t <= 40; t++)); do report "$(printf '%s/K%03d.txt' "$work/games/many" "$t")" "$t" Kappans; done
check "many reports" 0 "  Kappans (K, yours): 41 reports, K000.txt to K040.txt" ../games/many

# Any folder name is taken literally: "-lead" and "-" (not the previous directory) after "--".
for name in -lead -; do
  mkdir -p "$work/games/$name"
  report "$work/games/$name/A000.txt" 0 "Dash$name"
  report "$work/games/$name/B000.txt" 0 Others
  from="$work/games" check "a folder named $name" 0 "Reading the reports in $work/games/$name:
  Dash$name (A, yours): 1 report, A000.txt" -- "$name"
  from="$work/games" check "a folder named $name: the allies' note" 0 \
    "--race A... -- $name" -- "$name"
done
from="$work/games" check "a folder named -lead without --" 2 \
  "Unknown option: -lead (a game folder whose name begins with \"-\" is given after \"--\"" -lead

# A backslash in a folder's name is the name's own, not an escape.
mkdir -p "$work/games/back\\tslash"
report "$work/games/back\\tslash/A000.txt" 0 Slashers
check "a backslash in the name" 0 "  Slashers (A, yours): 1 report, A000.txt" "../games/back\\tslash"

# A name holding a line break (anywhere, or at its end, or in the caller's directory) is
# refused; it is never cut.
mkdir -p "$work/games/new"$'\n'"line" "$work/games/trail"$'\n' "$work/new"$'\n'"caller"
report "$work/games/new"$'\n'"line/A000.txt" 0 Broken
report "$work/games/trail"$'\n'"/A000.txt" 0 Broken
check "a line break in the name" 1 "holds a line break" "../games/new"$'\n'"line"
check "a line break at the end of the name" 1 "holds a line break" "../games/trail"$'\n'
from="$work/new"$'\n'"caller" check "a line break in the caller's directory" 1 \
  "holds a line break" ../games/mine

# A reports folder's own Tovix.ini is read as the program reads it: CR LF or CR line ends, names
# in any case, blanks around "=", the game that [RUN] names.
for ends in $'\r\n' $'\r'; do
  dir="$work/games/ini$((${#ends}))"
  mkdir -p "$dir"
  report "$dir/A000.txt" 0 Arcturans
  report "$dir/B000.txt" 0 Betelgeusians
  printf '[run]%sgame = 1%s%s[0]%sspelD=/nowhere/%%1s%%0.03d.txt%sspelC=A%s%s[1]%sSpelD = %s/%%1s%%0.03d.txt%sSPELC = BA%s' \
    "$ends" "$ends" "$ends" "$ends" "$ends" "$ends" "$ends" "$ends" "$dir" "$ends" "$ends" \
    >"$dir/Tovix.ini"
  check "a Tovix.ini whose lines end in $(printf %q "$ends")" 0 "Reading the reports in $dir:
  Betelgeusians (B, yours): 1 report, B000.txt
  Arcturans (A, ally): 1 report, A000.txt
The program's files (Tovix.ini, TovixStore3.ini, orders, notes, outbox) are in $dir" \
    "../games/ini${#ends}"
done

# --check wrote nothing.
if [ -e "$XDG_DATA_HOME" ] || [ -e "$HOME" ]; then
  failed=$((failed + 1))
  echo "FAILED: --check made $XDG_DATA_HOME or $HOME"
else
  passed=$((passed + 1))
fi

# What cannot be read, as a user whom its permissions keep out (for root, "nobody", with a copy
# of the script that the checkout's permissions may not let it reach): a folder that cannot be
# listed, and report files that cannot be read, of a folder with or without a Tovix.ini of its
# own, are named in a sentence.
mkdir -p "$work/games/unread" "$work/games/unread-ini"
for dir in "$work/games/unread" "$work/games/unread-ini"; do
  report "$dir/A000.txt" 0 race_1
  report "$dir/A001.txt" 1 Arcturans
  report "$dir/A002.txt" 2 Arcturans
  report "$dir/B001.txt" 1 Betelgeusians
  chmod 000 "$dir/A001.txt" "$dir/B001.txt"
done
printf '[RUN]\ngame=0\n\n[0]\nspelD=%s/%%1s%%0.03d.txt\nspelC=AB\n' "$work/games/unread-ini" \
  >"$work/games/unread-ini/Tovix.ini"
chmod 000 "$work/games/locked"
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$work/games" "$work/caller"
  install -m 755 "$repo/run.sh" "$work/run.sh"
  script="$work/run.sh"
  as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
check "an unreadable folder" 1 "The game folder ../games/locked cannot be read" ../games/locked
check "an unreadable report" 1 \
  "The report A001.txt in $work/games/unread cannot be read: its permissions do not let you" \
  ../games/unread
check "an ally whose reports cannot be read" 1 \
  "The report B001.txt in $work/games/unread cannot be read" --race AB ../games/unread
check "unreadable reports named in a Tovix.ini" 1 \
  "2 reports in $work/games/unread-ini cannot be read, as their permissions do not let you read them: A001.txt, B001.txt" \
  ../games/unread-ini
chmod 644 "$work/games/unread/A001.txt"
check "an ally's report that cannot be read" 1 \
  "The report B001.txt in $work/games/unread cannot be read" --race ab ../games/unread
script="$repo/run.sh" as=()

# Without --check, a missing folder ends the script before it installs or builds anything: no
# program but "dirname" is on the path, so any later step would fail otherwise.
mkdir -p "$work/bin" && ln -s "$(command -v dirname)" "$work/bin/dirname"
out="$(cd "$work/caller" && PATH="$work/bin" "$BASH" "$repo/run.sh" no/such 2>&1)"
rc=$?
if [ "$rc" -eq 1 ] && [ "$out" = "The game folder no/such does not exist ($work/caller/no/such)." ]
then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  printf 'FAILED: a missing folder without --check: exit code %d, output:\n%s\n' "$rc" "$out"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
