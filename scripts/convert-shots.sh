#!/bin/sh
# Turns the end-to-end run's screen captures (BMP, with an optional .crop
# box next to each) into PNG files in the same folder.
set -e
dir="$1"
[ -d "$dir" ] || exit 0
for bmp in "$dir"/*.bmp; do
    [ -f "$bmp" ] || continue
    png="${bmp%.bmp}.png"
    crop="${bmp%.bmp}.crop"
    if [ -f "$crop" ]; then
        convert "$bmp" -crop "$(cat "$crop")" +repage "$png"
    else
        convert "$bmp" "$png"
    fi
    rm -f "$bmp" "$crop"
done
