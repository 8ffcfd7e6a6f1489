#!/bin/bash
# Runs every test tier and prints how many tests each ran, and how long each
# took. Tier 1: native unit tests (sanitizers on). Tiers 2 and 3: Windows
# tests and end-to-end scenarios under Wine, headless in Xvfb, in a throw-away
# prefix inside the build folder. Tier 4: the downloads, the setup in a fresh
# prefix.
#
# The Wine tiers mostly wait (for windows, servers and timeouts) and make up
# most of the run; the work that needs no Wine (the native tests, the fuzzers,
# the second build of the downloads) runs beside them, one step after the
# other at the lowest priority, so the Wine tiers get the processor whenever
# they want it. Its output is printed when the Wine tiers are done.
set -u
cd "$(dirname "$0")/.."
failed=()
logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

# Runs a step and prints how long it took; a step that fails is named in failed.
# Usage: step NAME COMMAND [ARGUMENT...]
step() {
    local name=$1 start=$SECONDS
    shift
    "$@" || failed+=("$name")
    echo "   ($name: $((SECONDS - start)) s)"
}

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
step layering scripts/check-layering.sh

echo "== Imports: wendrel.exe loads no DLL from its own folder"
step imports scripts/check-imports.sh

# The catalogue: po-compile's own check (each message translated in each
# language with the English's placeholders, no access key twice in a menu
# or window), its first problems shown; then gettext's check of each PO file.
check_texts() {
    local rc=0 out code
    out=$(python3 scripts/po-compile.py --check) || rc=1
    echo "$out" | head -n 20
    [ "$(echo "$out" | wc -l)" -le 21 ] || echo "..."
    [ $rc = 0 ] || echo "$out" | tail -n 1
    for code in $(sed 's/#.*//' po/LINGUAS); do
        msgfmt --check -o /dev/null "po/$code.po" || rc=1
    done
    return $rc
}
echo "== Texts: every message translated, with the same values, and no access key twice in a window"
step texts check_texts

# The downloads first: the Wine tiers do not need them, the second build
# compares with them and tier 4 installs them.
echo "== Downloads: the zip and the setup for players"
step dist scripts/make-dist.sh

# Beside the Wine tiers: each step's output in its own log, its exit code in
# a file of its own (a background job's code cannot reach this shell's list).
beside() {
    local name=$1 start=$SECONDS
    shift
    "$@" > "$logs/$name.log" 2>&1
    echo $? > "$logs/$name.rc"
    echo "   ($name: $((SECONDS - start)) s)" >> "$logs/$name.log"
}
# In a process group of its own (set -m), so that an interrupted run can end
# it and all it started; its input is not the terminal's.
set -m
(
    renice -n 19 -p "$BASHPID" >/dev/null
    rm -rf build/native/results
    beside native ctest --preset native
    beside fuzz scripts/fuzz.sh "${WENDREL_FUZZ_SECONDS:-30}"
    if [ -f build/dist/SHA256SUMS ]; then
        beside reproducible scripts/check-reproducible.sh
    fi
) </dev/null &
beside_pid=$!
set +m
trap 'kill -- -"$beside_pid" 2>/dev/null' EXIT
trap 'exit 130' INT TERM
echo "== Beside the Wine tiers, at low priority: native unit tests, fuzzers, the downloads built again (printed below)"

echo "== Tier 2 and 3: Windows tests and end-to-end scenarios under Wine (Xvfb)"
. scripts/wine-env.sh
wine_test_env
scripts/wine-prefix.sh
rm -rf build/windows/results build/windows/e2e-shots build/windows/e2e-shots-144dpi
step windows scripts/in-xvfb.sh ctest --preset windows
scripts/convert-shots.sh build/windows/e2e-shots
scripts/convert-shots.sh build/windows/e2e-shots-144dpi

echo "== Downloads: the zip and the setup, tested as players meet them (the setup in a fresh prefix)"
if [[ " ${failed[*]} " != *" dist "* ]]; then
    step downloads scripts/test-downloads.sh
fi

start=$SECONDS
wait "$beside_pid"
echo "   (waited $((SECONDS - start)) s for the steps beside)"
show() {  # prints a step's log under its heading; a failed step is named in failed
    local name=$1
    echo "== $2"
    [ -f "$logs/$name.log" ] || { echo "   (not run)"; return; }
    cat "$logs/$name.log"
    [ "$(cat "$logs/$name.rc" 2>/dev/null)" = 0 ] || failed+=("$name")
}
show native "Tier 1: native unit tests (AddressSanitizer + UBSan)"
show fuzz "Fuzzing: each libFuzzer target for ${WENDREL_FUZZ_SECONDS:-30} s"
show reproducible "Reproducible downloads: the same commit built again in another folder"

echo
echo "== Summary"
echo "Tier 1, native unit tests:        $(count_tests build/native/results/wendrel_unit_tests.xml)"
echo "Tier 2, Windows tests under Wine:  $(count_tests build/windows/results/wendrel_win_tests.xml)"
echo "Tier 2 in Russian and German:      $(count_tests build/windows/results/wendrel_win_tests_ru.xml build/windows/results/wendrel_win_tests_de.xml)"
echo "Tier 3, end-to-end under Wine:     $(count_tests build/windows/results/wendrel_e2e_tests.xml build/windows/results/wendrel_e2e_remind.xml)"
echo "Tiers 2 and 3 at 144 dpi:          $(count_tests build/windows/results/wendrel_win_tests_144dpi.xml build/windows/results/wendrel_e2e_tests_144dpi.xml)"
echo "Tier 4, the setup under Wine:      $(count_tests build/windows/results/wendrel_setup_tests.xml build/windows/results/wendrel_setup_tests_de.xml build/windows/results/wendrel_setup_tests_ru.xml)"
# A test program that crashed leaves no report, while ctest may still have
# counted it as passed.
for report in native/results/wendrel_unit_tests windows/results/wendrel_win_tests \
    windows/results/wendrel_e2e_tests windows/results/wendrel_e2e_remind windows/results/wendrel_win_tests_144dpi \
    windows/results/wendrel_e2e_tests_144dpi windows/results/wendrel_setup_tests windows/results/wendrel_setup_tests_de \
    windows/results/wendrel_setup_tests_ru \
    windows/results/wendrel_win_tests_ru windows/results/wendrel_win_tests_de; do
    [ -f "build/$report.xml" ] || failed+=("no report build/$report.xml")
done
ls build/windows/e2e-shots/*.png >/dev/null 2>&1 && echo "Screenshots of this run: build/windows/e2e-shots/ (at 144 dpi: e2e-shots-144dpi/)"
echo "Took $((SECONDS / 60)) min $((SECONDS % 60)) s."
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All tiers passed."
