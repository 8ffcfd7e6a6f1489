# Sourced by every script that runs Wine for the tests: the settings they share.
# WINEPREFIX defaults to the tests' throw-away prefix in the build folder.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/windows/wineprefix}"
export WINEDEBUG=-all
# One desktop window with a task bar and a notification area (wine-prefix.sh
# sets it up when it creates the prefix), so screenshots show what a user sees.
export WENDREL_VIRTUAL_DESKTOP=800x600
# No sound card here: keep Wine's audio drivers from complaining on every start.
export WINEDLLOVERRIDES="mscoree,mshtml,winealsa.drv,winepulse.drv="
