#!/bin/bash
# Runs every test tier and prints how many tests each ran.
# Tier 1: native unit tests (sanitizers on). Tier 2: Windows tests under Wine,
# headless in Xvfb, in a throw-away prefix inside the build folder.
set -u
cd "$(dirname "$0")/.."
root=$PWD
failed=()

count_tests() {  # sums the test counts of the GoogleTest XML reports in $1
    local total=0 failures=0 n f
    for file in "$1"/*.xml; do
        [ -f "$file" ] || continue
        n=$(grep -o -m1 '<testsuites tests="[0-9]*"' "$file" | grep -o '[0-9]*')
        f=$(grep -o -m1 '<testsuites tests="[0-9]*" failures="[0-9]*"' "$file" | grep -o 'failures="[0-9]*"' | grep -o '[0-9]*')
        total=$((total + ${n:-0})); failures=$((failures + ${f:-0}))
    done
    echo "$total tests, $failures failed"
}

echo "== Tier 1: native unit tests (AddressSanitizer + UBSan)"
rm -rf build/native/results
ctest --preset native || failed+=("native")

echo "== Tier 2: Windows tests under Wine (Xvfb)"
export WINEPREFIX="$root/build/windows/wineprefix"
scripts/wine-prefix.sh
rm -rf build/windows/results
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1280x800x24" bash -c 'ctest --preset windows; rc=$?; timeout 60 wineserver -w; exit $rc' \
    || failed+=("windows")

echo
echo "== Summary"
echo "native unit tests:     $(count_tests build/native/results)"
echo "Windows tests (Wine):  $(count_tests build/windows/results)"
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All tiers passed."
