#!/bin/sh
# Times the History window's paint under Wine (make bench).
set -e
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
wine_test_env
scripts/wine-prefix.sh
exec scripts/in-xvfb.sh scripts/wine-run.sh build/windows/bench/win/wendrel_paint_bench.exe
