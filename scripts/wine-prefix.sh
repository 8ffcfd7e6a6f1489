#!/bin/sh
# Creates the throw-away Wine prefix named by WINEPREFIX, set up for unattended
# tests: no crash dialog, no Mono/Gecko installers.
set -e
: "${WINEPREFIX:?set WINEPREFIX to the build's Wine prefix}"
export WINEPREFIX
. "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/system.reg" ] && exit 0
mkdir -p "$WINEPREFIX"
echo "Creating Wine prefix $WINEPREFIX (once per build folder)..."
timeout 300 wineboot -i >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# WENDREL_VIRTUAL_DESKTOP=800x600 (set by wine_test_env, wine-env.sh): a virtual desktop.
if [ -n "${WENDREL_VIRTUAL_DESKTOP:-}" ]; then
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$WENDREL_VIRTUAL_DESKTOP" /f >/dev/null 2>&1
fi
# WENDREL_LOGPIXELS=144: the screen's DPI (96 when not set), for the high-DPI run.
if [ -n "${WENDREL_LOGPIXELS:-}" ]; then
    timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$WENDREL_LOGPIXELS" /f >/dev/null 2>&1
fi
timeout 120 wineserver -w
