#!/bin/bash
# Runs every test tier and prints how many tests each ran.
# Tier 1: native unit tests (sanitizers on). Tier 2: Windows tests under Wine,
# headless in Xvfb, in a throw-away prefix inside the build folder.
set -u
cd "$(dirname "$0")/.."
failed=()

count_tests() {  # sums the test counts of the GoogleTest XML reports given
    local total=0 failures=0 n f
    for file in "$@"; do
        [ -f "$file" ] || continue
        n=$(grep -o -m1 '<testsuites tests="[0-9]*"' "$file" | grep -o '[0-9]*')
        f=$(grep -o -m1 '<testsuites tests="[0-9]*" failures="[0-9]*"' "$file" | grep -o 'failures="[0-9]*"' | grep -o '[0-9]*')
        total=$((total + ${n:-0})); failures=$((failures + ${f:-0}))
    done
    echo "$total tests, $failures failed"
}

echo "== Layering: what the core and the platform interfaces include"
scripts/check-layering.sh || failed+=("layering")

echo "== Tier 1: native unit tests (AddressSanitizer + UBSan)"
rm -rf build/native/results
ctest --preset native || failed+=("native")

echo "== Fuzzing: each libFuzzer target for ${WENDREL_FUZZ_SECONDS:-30} s"
scripts/fuzz.sh "${WENDREL_FUZZ_SECONDS:-30}" || failed+=("fuzz")

echo "== Imports: wendrel.exe loads no DLL from its own folder"
scripts/check-imports.sh || failed+=("imports")

echo "== Tier 2 and 3: Windows tests and end-to-end scenarios under Wine (Xvfb)"
. scripts/wine-env.sh
wine_test_env
scripts/wine-prefix.sh
rm -rf build/windows/results build/windows/e2e-shots build/windows/e2e-shots-144dpi
scripts/in-xvfb.sh ctest --preset windows || failed+=("windows")
scripts/convert-shots.sh build/windows/e2e-shots
scripts/convert-shots.sh build/windows/e2e-shots-144dpi

echo "== Downloads: the zip and the setup, tested as players meet them (the setup in a fresh prefix)"
if scripts/make-dist.sh; then
    scripts/test-downloads.sh || failed+=("downloads")
    echo "== Reproducible downloads: the same commit built again in another folder"
    scripts/check-reproducible.sh || failed+=("reproducible")
else
    failed+=("dist")
fi

echo
echo "== Summary"
echo "Tier 1, native unit tests:        $(count_tests build/native/results/*.xml)"
echo "Tier 2, Windows tests under Wine:  $(count_tests build/windows/results/wendrel_win_tests.xml)"
echo "Tier 3, end-to-end under Wine:     $(count_tests build/windows/results/wendrel_e2e_tests.xml build/windows/results/wendrel_e2e_remind.xml)"
echo "Tiers 2 and 3 at 144 dpi:          $(count_tests build/windows/results/wendrel_win_tests_144dpi.xml build/windows/results/wendrel_e2e_tests_144dpi.xml)"
echo "Tier 4, the setup under Wine:      $(count_tests build/windows/results/wendrel_setup_tests.xml build/windows/results/wendrel_setup_tests_de.xml)"
ls build/windows/e2e-shots/*.png >/dev/null 2>&1 && echo "Screenshots of this run: build/windows/e2e-shots/ (at 144 dpi: e2e-shots-144dpi/)"
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All tiers passed."
