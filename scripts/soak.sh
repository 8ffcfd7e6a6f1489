#!/bin/sh
# A long run of the real program under Wine (not part of make test):
# WENDREL_SOAK_SCANS scans (default 1000, about 17 minutes at one a second).
set -u
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
# Its own prefix, so it can run beside make test; and time for the long run.
WINE_TIMEOUT=7200
wine_test_env "$PWD/build/windows/soak-prefix"
export WENDREL_SOAK_SCANS="${WENDREL_SOAK_SCANS:-1000}"
scripts/wine-prefix.sh
exec scripts/in-xvfb.sh scripts/wine-run.sh build/windows/tests/e2e/wendrel_e2e_tests.exe \
    --wendrel build/windows/src/win32/wendrel.exe --helper build/windows/tests/win/launch_helper.exe \
    --gtest_also_run_disabled_tests --gtest_filter="*Soak*"
