#!/bin/bash
# Tests the downloads that make-dist.sh packed, as a player meets them:
# the zip's wendrel.exe started from a fresh folder, and the setup installed,
# updated over a running copy and removed, in a Wine prefix made fresh for it.
set -u
cd "$(dirname "$0")/.."
root=$PWD
version=$(cat build/windows/version.txt)
name=wendrel-$version-win64
failed=0

# The zip: unzipped into an empty folder, its program starts and scans.
. scripts/wine-env.sh
wine_test_env
scripts/wine-prefix.sh
check=$(mktemp -d)
unzip -q "build/dist/$name.zip" -d "$check"
log="$check/wendrel.log"
scripts/in-xvfb.sh --screen 1024x768 sh -c "
    cd '$check/$name' && timeout 60 wine wendrel.exe --status-url http://127.0.0.1:9/ --log 'Z:$log' &
    for i in \$(seq 1 100); do grep -q ' scan ' '$log' 2>/dev/null && break; sleep 0.2; done
    timeout 30 wineserver -k" >/dev/null 2>&1 || true
if grep -q ' scan http://127.0.0.1:9/' "$log" 2>/dev/null; then
    echo "zip: the unzipped wendrel.exe started and scanned under Wine."
    rm -rf "$check"
else
    echo "zip: the unzipped wendrel.exe did not start (see $check)." >&2
    failed=1
fi

# The setup, in a prefix nothing was installed in before: a copy of one made
# once per build folder and never used (making a prefix takes 10 s or more,
# copying it a second). It is made under another name and renamed when done,
# so an interrupted run leaves no half-made one.
pristine="$root/build/windows/setup-prefix-pristine"
if [ ! -d "$pristine" ]; then
    wine_test_env "$pristine.new"
    rm -rf "$WINEPREFIX"
    scripts/wine-prefix.sh && mv "$WINEPREFIX" "$pristine"
fi
wine_test_env "$root/build/windows/setup-prefix"
rm -rf "$WINEPREFIX"
cp -a "$pristine" "$WINEPREFIX"
mkdir -p build/windows/results build/windows/e2e-shots
# In English, then in German for a Windows in Austrian German (the setup
# speaks the primary language when it has not the country's own), and in
# Russian.
setup_tests() {  # REPORT-NAME GTEST-FILTER [VARIABLE=VALUE...]
    env "${@:3}" GTEST_OUTPUT="xml:Z:${root//\//\\}\\build\\windows\\results\\$1.xml" \
        scripts/in-xvfb.sh scripts/wine-run.sh build/windows/tests/setup/wendrel_setup_tests.exe \
        --setup "build/dist/$name-setup.exe" --shots build/windows/e2e-shots --gtest_filter="$2" || failed=1
}
setup_tests wendrel_setup_tests '-SetupInItsLanguage.*'
setup_tests wendrel_setup_tests_de 'SetupInItsLanguage.*' LC_ALL=de_AT.UTF-8
setup_tests wendrel_setup_tests_ru 'SetupInItsLanguage.*' LC_ALL=ru_RU.UTF-8
scripts/convert-shots.sh build/windows/e2e-shots
exit $failed
