#!/bin/sh
# Builds the downloads a second time from the same commit, in a fresh clone in
# another folder, and compares their checksums with build/dist/SHA256SUMS.
# The clone holds only what is committed, so with uncommitted changes (a
# make test in the middle of an edit) there is nothing to compare: the check
# is skipped, and CI's clean clone runs it in full.
set -e
cd "$(dirname "$0")/.."
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "reproducible: skipped: uncommitted changes"
    exit 0
fi
other=$(mktemp -d /tmp/wendrel-again-XXXXXX)
git clone -q . "$other/wendrel"
(
    cd "$other/wendrel"
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target wendrel >/dev/null
    scripts/make-dist.sh >/dev/null
)
if cmp -s build/dist/SHA256SUMS "$other/wendrel/build/dist/SHA256SUMS"; then
    echo "reproducible: a second build in $other/wendrel gave the same downloads:"
    sed 's/^/    /' build/dist/SHA256SUMS
    rm -rf "$other"
else
    echo "reproducible: the second build's downloads differ (kept in $other/wendrel/build/dist):" >&2
    diff build/dist/SHA256SUMS "$other/wendrel/build/dist/SHA256SUMS" >&2 || true
    exit 1
fi
