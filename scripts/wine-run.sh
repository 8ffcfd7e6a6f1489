#!/bin/sh
# Runs one Windows program under Wine in the prefix named by WINEPREFIX.
# Used as CMAKE_CROSSCOMPILING_EMULATOR and by the make targets. With
# WINE_TIMEOUT set (the tests set it), the run is stopped after that many
# seconds; without it (make run), the program runs until it ends.
set -e
: "${WINEPREFIX:?set WINEPREFIX to the build's Wine prefix}"
export WINEPREFIX
. "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/system.reg" ] || "$(dirname "$0")/wine-prefix.sh"
[ -n "${WINE_TIMEOUT:-}" ] && exec timeout --kill-after=10 "$WINE_TIMEOUT" wine "$@"
exec wine "$@"
