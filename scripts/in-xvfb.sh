#!/bin/sh
# Runs a command in a virtual X server (Xvfb) between two clean states of the
# wineserver of WINEPREFIX: a wineserver left running by a Wine command
# outside Xvfb makes the windows of a later run hang, so it is stopped first;
# and the run ends only when its own wineserver has ended (the registry
# reaches the disk then), or 60 s after the command. Returns the command's
# exit code.
# Usage: in-xvfb.sh [--screen WIDTHxHEIGHT] COMMAND [ARGUMENT...]
# (the virtual screen's size, by default 1280x800)
set -u
: "${WINEPREFIX:?set WINEPREFIX to the Wine prefix the command uses}"
export WINEPREFIX
screen=1280x800
if [ "${1:-}" = "--screen" ]; then
    screen=$2
    shift 2
fi
[ $# -gt 0 ] || { echo "usage: in-xvfb.sh [--screen WIDTHxHEIGHT] COMMAND [ARGUMENT...]" >&2; exit 2; }
timeout 30 wineserver -k 2>/dev/null || true
exec xvfb-run -a -s "-screen 0 ${screen}x24" sh -c '"$@"; rc=$?; timeout 60 wineserver -w; exit $rc' in-xvfb "$@"
