#!/usr/bin/env bash
# Runs a command under an X server of its own, for the tests that need a real window system
# (real X key events, focus, window placement):
#   scripts/with-xserver.sh <command> [arguments...]
# Xvfb picks a free display itself (-displayfd), so no display the script did not start is ever
# used; a small window manager (openbox) runs on it when installed; the command runs with
# DISPLAY set to it, QT_QPA_PLATFORM=xcb and HOME and the XDG folders in a temporary folder of
# the run, and the script ends with the command's exit code.
# Both servers are stopped by their own process ids. Without Xvfb the script prints one line and
# ends with 77, which ctest counts as skipped.
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "Usage: $0 <command> [arguments...]" >&2
  exit 2
fi
if ! command -v Xvfb >/dev/null 2>&1; then
  echo "SKIPPED: Xvfb is not installed (scripts/setup-machine.sh installs it), so the X server tests do not run."
  exit 77
fi

tmp="$(mktemp -d)"
xvfb_pid=""
wm_pid=""
cleanup() {
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null; wait "$wm_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# Xvfb writes the display number it chose to the file once it accepts connections.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$tmp/display" \
  >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 300); do
  if grep -q '^[0-9]' "$tmp/display" 2>/dev/null; then break; fi
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
  sleep 0.05
done
display="$(head -n1 "$tmp/display" 2>/dev/null | tr -dc '0-9')"
if [ -z "$display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$tmp/xvfb.log" >&2
  exit 1
fi

export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The window manager keeps its files in a HOME of this run, not the user's (each test program
# makes a HOME of its own besides).
export HOME="$tmp/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_STATE_HOME="$HOME/.local/state"
mkdir -m 700 "$HOME"
unset WAYLAND_DISPLAY

# A window manager gives the windows focus and decorations as on a desktop. The command starts
# once it has announced itself on the root window.
if command -v openbox >/dev/null 2>&1; then
  openbox --sm-disable >"$tmp/wm.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 1 300); do
    if ! command -v xprop >/dev/null 2>&1; then break; fi
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then break; fi
    if ! kill -0 "$wm_pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
fi

"$@"
exit $?
