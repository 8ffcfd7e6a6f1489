#!/bin/sh
# Installs the Debian packages the build, the tests and `make run` need,
# when any is missing. Safe to run every time: it does nothing when all are there.
set -e
packages="cmake make g++ googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev \
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb xauth imagemagick zip unzip \
openssl python3 nsis locales gettext"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing missing packages:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing
