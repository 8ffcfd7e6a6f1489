#!/bin/sh
# Makes the Unix locales the Windows tests run Wine in (Wine takes the ANSI
# code page from the locale's name: ru_RU 1251, de_DE 1252) into DIR, once,
# for LOCPATH=DIR. A fresh Debian has only C.UTF-8, and with a locale glibc
# lacks, Wine finds no file whose name is beyond ASCII. Needs no root.
# Usage: make-locales.sh DIR
set -e
dir=${1:?usage: make-locales.sh DIR}
mkdir -p "$dir"
for locale in ru_RU de_DE; do
    [ -f "$dir/$locale.UTF-8/LC_CTYPE" ] && continue
    localedef -i "$locale" -f UTF-8 "$dir/$locale.UTF-8"
done
