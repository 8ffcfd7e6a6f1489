#!/bin/sh
# Runs one Windows program under Wine in the build's throw-away prefix.
# Used as CMAKE_CROSSCOMPILING_EMULATOR and by the make targets.
set -e
: "${WINEPREFIX:?set WINEPREFIX to the build's Wine prefix}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
[ -f "$WINEPREFIX/system.reg" ] || "$(dirname "$0")/wine-prefix.sh"
exec timeout --kill-after=10 "${WINE_TIMEOUT:-600}" wine "$@"
