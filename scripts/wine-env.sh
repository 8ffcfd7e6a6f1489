# Sourced by every script that runs Wine: the settings all Wine runs share,
# and wine_test_env for the scripts that run the tests.
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers; and with no sound card here, keep Wine's audio
# drivers from complaining on every start.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winealsa.drv,winepulse.drv=}"

# The tests' settings (call it from the repository root): their own prefix,
# PREFIX or else the throw-away one CMake gives the Windows tests (it names it
# in build/windows/wineprefix.txt); a time limit on every Wine run
# (wine-run.sh); and one desktop window with a task bar and a notification
# area (wine-prefix.sh sets it up when it creates the prefix), so screenshots
# show what a user sees. `make run` has none of them.
# Usage: wine_test_env [PREFIX]
wine_test_env() {
    WINEPREFIX="${1:-$(cat build/windows/wineprefix.txt)}"
    export WINEPREFIX
    export WINE_TIMEOUT="${WINE_TIMEOUT:-600}"
    export WENDREL_VIRTUAL_DESKTOP=800x600
}
