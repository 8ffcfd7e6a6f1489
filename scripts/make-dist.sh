#!/bin/sh
# Packs the downloads for players into build/dist: the zip (wendrel.exe,
# Flyover.wav, the README and the licence) and the setup, with their
# SHA256SUMS. Builds of one commit give the same bytes: every file carries the
# last commit's time, and the zip holds them in a fixed order.
set -e
cd "$(dirname "$0")/.."
version=$(cat build/windows/version.txt)
# The names CMake holds for the program, its setup and its tests.
. build/windows/names.sh
epoch=$(git log -1 --format=%ct 2>/dev/null || echo "${SOURCE_DATE_EPOCH:-315532800}")
out=build/dist
name=wendrel-$version-win64
rm -rf "$out"
mkdir -p "$out/$name"
cp build/windows/src/win32/wendrel.exe assets/Flyover.wav "$out/$name/"
# Windows editors expect CR LF line ends in text files.
sed 's/$/\r/' README.md > "$out/$name/README.txt"
sed 's/$/\r/' LICENSE > "$out/$name/LICENSE.txt"
find "$out/$name" -exec touch -h -d "@$epoch" {} +

# Sorted names, no extra attributes, times in UTC: the same zip every time.
(cd "$out" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D "$name.zip" -@)
echo "Built $out/$name.zip"

# The setup's languages and texts, from the same catalogue as the program's.
python3 scripts/po-compile.py --nsis build/windows/setup-texts.nsh
makensis -V2 -DVERSION="$version" -DSTAGE="$PWD/$out/$name" -DASSETS="$PWD/assets" \
    -DPUBLISHER="$PUBLISHER" -DSETTINGS_KEY="$SETTINGS_KEY" -DTRAY_CLASS="$TRAY_CLASS" -DRUN_VALUE="$RUN_VALUE" \
    -DTEXTS="$PWD/build/windows/setup-texts.nsh" -DOUTFILE="$PWD/$out/$name-setup.exe" packaging/wendrel.nsi
echo "Built $out/$name-setup.exe"

(cd "$out" && sha256sum "$name.zip" "$name-setup.exe" "$name/wendrel.exe" > SHA256SUMS)
cat "$out/SHA256SUMS"
