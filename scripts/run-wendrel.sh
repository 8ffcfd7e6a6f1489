#!/bin/sh
# Starts the freshly built wendrel.exe: directly on Windows, under Wine on
# Linux (inside Xvfb when there is no display). Extra arguments go to wendrel.exe.
set -e
cd "$(dirname "$0")/.."
exe="build/windows/src/win32/wendrel.exe"
case "$(uname -s)" in
    MINGW*|MSYS*|CYGWIN*) exec "$exe" "$@" ;;
esac
export WINEPREFIX="${WINEPREFIX:-$PWD/build/windows/run-prefix}"
scripts/wine-prefix.sh
echo "Starting wendrel.exe under Wine (prefix $WINEPREFIX). It lives in the notification area."
if [ -n "${DISPLAY:-}" ]; then
    exec scripts/wine-run.sh "$exe" "$@"
fi
echo "No display found: running inside a virtual X server (Xvfb), so nothing will be visible. Ctrl+C stops it."
exec scripts/in-xvfb.sh scripts/wine-run.sh "$exe" "$@"
