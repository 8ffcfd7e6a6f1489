#!/bin/bash
# Fails when an include runs against the layering: the portable core and the
# platform interfaces include only the C++ standard library (no Windows or
# POSIX header, whose names all end in .h) and headers of the core itself
# (never one of src/win32); nothing under src/ includes from tests/.
# Usage: check-layering.sh [SRC_FOLDER]
set -u
cd "$(dirname "$0")/.."
src="${1:-src}"
core="common status settings missions monitor history text platform"
failed=0

report() {
    echo "layering: $1"
    failed=1
}

for folder in $core; do
    [ -d "$src/$folder" ] || continue
    while IFS= read -r hit; do
        file=${hit%%:*}
        rest=${hit#*:}
        line=${rest%%:*}
        include=$(sed -E 's/^[0-9]+:\s*#\s*include\s*//' <<<"$rest")
        case "$include" in
            \<*\>)
                name=${include#<}
                name=${name%>}
                # Standard C++ headers have no extension and no folder.
                [[ "$name" =~ ^[a-z_]+$ ]] || report "$file:$line includes $include, which is not a C++ standard header"
                ;;
            \"*\")
                name=${include#\"}
                name=${name%\"}
                top=${name%%/*}
                [[ " $core " == *" $top "* && "$name" == */* ]] ||
                    report "$file:$line includes \"$name\", which is not a header of the core"
                ;;
            *) report "$file:$line has an include the check cannot read: $include" ;;
        esac
    done < <(grep -rnE --include='*.h' --include='*.cpp' '^\s*#\s*include' "$src/$folder" |
        sed -E 's/^([^:]+):([0-9]+):/\1:\2:/')
done

while IFS= read -r hit; do
    report "$hit: src/ includes from tests/"
done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.rc' '^\s*#\s*include\s*[<"]([^">]*/)?tests/|^\s*#\s*include\s*"\.\./' "$src")

if [ "$failed" -ne 0 ]; then
    echo "layering: FAILED (see design.md: the core never includes Windows headers or src/win32)"
    exit 1
fi
echo "layering: the core includes only the standard library and itself"
