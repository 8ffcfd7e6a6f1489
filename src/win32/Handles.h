#pragma once

#include <windows.h>
#include <wininet.h>

#include "win32/Unique.h"

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
using UniqueHandle = Unique<KernelHandleTraits>;

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { InternetCloseHandle(h); }
};
using UniqueInternet = Unique<InternetHandleTraits>;

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};
using UniqueRegKey = Unique<RegKeyTraits>;

struct MenuTraits {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DestroyMenu(h); }
};
using UniqueMenu = Unique<MenuTraits>;

struct IconTraits {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};
using UniqueIcon = Unique<IconTraits>;

struct FontTraits {
    using Handle = HFONT;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
using UniqueFont = Unique<FontTraits>;
