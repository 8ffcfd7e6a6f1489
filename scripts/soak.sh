#!/bin/bash
# A long run of the real program under Wine (not part of make test):
# WENDREL_SOAK_SCANS scans (default 1000, about 17 minutes at one a second).
set -u
cd "$(dirname "$0")/.."
# Its own prefix, so it can run beside make test.
WINEPREFIX="$PWD/build/windows/soak-prefix"
. scripts/wine-test-env.sh
export WENDREL_SOAK_SCANS="${WENDREL_SOAK_SCANS:-1000}"
scripts/wine-prefix.sh
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    WINE_TIMEOUT=7200 scripts/wine-run.sh build/windows/tests/e2e/wendrel_e2e_tests.exe \
        --wendrel build/windows/src/win32/wendrel.exe --helper build/windows/tests/win/launch_helper.exe \
        --gtest_also_run_disabled_tests --gtest_filter="*Soak*"
    rc=$?; timeout 60 wineserver -w; exit $rc'
