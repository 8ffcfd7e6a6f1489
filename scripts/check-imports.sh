#!/bin/sh
# Fails when wendrel.exe imports a DLL that is neither on Windows' KnownDLLs
# list nor comctl32 (which the manifest binds side by side): Windows looks for
# any other imported DLL in the program's own folder first, where a planted
# copy (a wininet.dll in Downloads) would be loaded instead.
set -u
cd "$(dirname "$0")/.."
exe="${1:-build/windows/src/win32/wendrel.exe}"
known="advapi32 clbcatq combase comdlg32 coml2 gdi32 gdiplus imagehlp imm32 kernel32 msctf msvcrt normaliz nsi \
ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32 comctl32"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//')
[ -n "$imports" ] || { echo "imports: could not read the imports of $exe"; exit 1; }
bad=""
for dll in $imports; do
    case " $known " in *" $dll "*) ;; *) bad="$bad $dll.dll" ;; esac
done
if [ -n "$bad" ]; then
    echo "imports: wendrel.exe imports DLLs Windows would look for beside it:$bad"
    exit 1
fi
echo "imports: wendrel.exe imports only KnownDLLs and comctl32 ($(echo $imports | tr ' ' ','))"
