#!/usr/bin/env bash
# run.sh's arguments and its checks of the game folder, through its --check switch (nothing is
# built or started): run_sh_test.sh <checkout>
set -uo pipefail
repo="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
export XDG_DATA_HOME="$work/data"

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
# check <what> <expected exit code> <text the output must hold> <run.sh arguments...>, run from
# $work/caller.
check() {
  local what="$1" code="$2" text="$3" out rc
  shift 3
  out="$(cd "$work/caller" && "$repo/run.sh" --check "$@" 2>&1)"
  rc=$?
  if [ "$rc" -eq "$code" ] && [[ "$out" == *"$text"* ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED: %s: exit code %d (expected %d), output:\n%s\n' "$what" "$rc" "$code" "$out"
  fi
}
mine="$work/games/mine"
key="$(printf '%s' "$mine" | cksum | cut -d' ' -f1)"

check "a relative folder from the caller's directory" 0 \
  "Reading the reports $mine/%1s%0.03d.txt of Arcturans (A, yours)" ../games/mine
check "the program's files go to a folder of their own" 0 \
  "are in $XDG_DATA_HOME/tovix/mine-$key" ../games/mine
check "an unknown option" 2 "Unknown option: --bogus" --bogus ../games/mine
check "other races' reports are named as possible allies" 0 "--race A... ../games/mine" \
  ../games/mine
check "a lower-case race letter" 0 "of Betelgeusians (B, yours)" --race b ../games/mine
check "allies in either case" 0 "Arcturans (A, yours), Betelgeusians (B, ally)" --race aB \
  ../games/mine
check "the same race twice counts once" 0 "Arcturans (A, yours)
" --race=Aa ../games/mine
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
  "of Cygnians (A, yours)
The program's files (Tovix.ini, TovixStore3.ini, orders, notes, outbox) are in $work/games/my 100%" \
  "../games/my 100%"
check "a race given writes the game's own Tovix.ini, with %% for %" 0 \
  "Reading the reports $work/games/my 100%%/%1s%0.03d.txt of Cygnians (A, yours)" \
  --race a "../games/my 100%"
check "the sample game" 0 "of Corvids (A, yours), Lyrans (B, ally), Pavonids (C, ally)"

# --check wrote nothing.
if [ -e "$XDG_DATA_HOME" ]; then
  failed=$((failed + 1))
  echo "FAILED: --check made $XDG_DATA_HOME"
else
  passed=$((passed + 1))
fi

# A folder that cannot be listed (as a user whom its permissions keep out; for root, "nobody",
# with a copy of the script that the checkout's permissions may not let it reach).
chmod 000 "$work/games/locked"
as_other=()
script="$repo/run.sh"
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$work/games" "$work/caller"
  install -m 755 "$repo/run.sh" "$work/run.sh"
  script="$work/run.sh"
  as_other=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
out="$(cd "$work/caller" && "${as_other[@]}" "$script" --check ../games/locked 2>&1)"
rc=$?
if [ "$rc" -eq 1 ] && [[ "$out" == *"The game folder ../games/locked cannot be read"* ]]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  printf 'FAILED: an unreadable folder: exit code %d, output:\n%s\n' "$rc" "$out"
fi

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
