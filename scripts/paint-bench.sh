#!/bin/sh
# Times the History window's paint under Wine (make bench).
set -e
cd "$(dirname "$0")/.."
. scripts/wine-test-env.sh
scripts/wine-prefix.sh
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1280x800x24" sh -c \
    'scripts/wine-run.sh build/windows/bench/win/wendrel_paint_bench.exe; rc=$?; timeout 60 wineserver -w; exit $rc'
