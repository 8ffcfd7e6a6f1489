#!/bin/sh
# Packs wendrel.exe, Flyover.wav, the README and the licence into a zip that
# a player unzips and runs, then checks that the unzipped program starts
# under Wine from a fresh folder.
set -e
cd "$(dirname "$0")/.."
root=$PWD
out=build/dist
name=wendrel-1.4-win64
rm -rf "$out"
mkdir -p "$out/$name"
cp build/windows/src/win32/wendrel.exe assets/Flyover.wav LICENSE "$out/$name/"
# Windows editors expect CR LF line ends in text files.
sed 's/$/\r/' README.md > "$out/$name/README.txt"
sed 's/$/\r/' LICENSE > "$out/$name/LICENSE.txt" && rm "$out/$name/LICENSE"
(cd "$out" && zip -qr "$name.zip" "$name")
echo "Built $out/$name.zip"

# Smoke test: unzip into an empty folder and start it there.
check=$(mktemp -d)
unzip -q "$out/$name.zip" -d "$check"
WINEPREFIX="$root/build/windows/wineprefix"
. scripts/wine-test-env.sh
scripts/wine-prefix.sh
wineserver -k 2>/dev/null || true
log="$check/wendrel.log"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c "
    cd '$check/$name' && timeout 60 wine wendrel.exe --status-url http://127.0.0.1:9/ --log 'Z:$log' &
    for i in \$(seq 1 100); do grep -q ' scan ' '$log' 2>/dev/null && break; sleep 0.2; done
    wineserver -k; wineserver -w" >/dev/null 2>&1 || true
if grep -q ' scan http://127.0.0.1:9/' "$log" 2>/dev/null; then
    echo "The unzipped wendrel.exe started and scanned under Wine."
    rm -rf "$check"
else
    echo "The unzipped wendrel.exe did not start (see $check)." >&2
    exit 1
fi
