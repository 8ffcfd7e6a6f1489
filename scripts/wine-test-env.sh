# Sourced, from the repository root, by every script that runs Wine for the
# tests: the tests' own prefix (by default the throw-away one in the build
# folder), a time limit on every Wine run, and the settings all Wine runs share.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/windows/wineprefix}"
. scripts/wine-env.sh
export WINE_TIMEOUT="${WINE_TIMEOUT:-600}"
# One desktop window with a task bar and a notification area (wine-prefix.sh
# sets it up when it creates the prefix), so screenshots show what a user sees.
export WENDREL_VIRTUAL_DESKTOP=800x600
