#pragma once

#include <windows.h>
#include <wininet.h>

#include <type_traits>
#include <utility>

#include "win32/Unique.h"

// A handle kind: its type, the function that releases it, and the function
// that gives the value meaning "no handle" (null when there is none).
template <typename H, auto Release, auto EmptyValue = nullptr>
struct HandleTraits {
    using Handle = H;
    static Handle Empty() {
        if constexpr (std::is_null_pointer_v<decltype(EmptyValue)>)
            return H{};
        else
            return EmptyValue();
    }
    static void Close(Handle h) { Release(h); }
};

inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }  // what CreateFile and FindFirstFile fail with
inline void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
using SelectedObject = std::pair<HDC, HGDIOBJ>;  // a DC, and what was selected in it before
inline void Reselect(SelectedObject s) { SelectObject(s.first, s.second); }
using PaintCall = std::pair<HWND, PAINTSTRUCT*>;  // a window between BeginPaint and EndPaint
inline void EndPainting(PaintCall p) { EndPaint(p.first, p.second); }

// Kernel objects: events, threads, processes.
using UniqueHandle = Unique<HandleTraits<HANDLE, &CloseHandle>>;
using UniqueFile = Unique<HandleTraits<HANDLE, &CloseHandle, &InvalidHandle>>;
using UniqueFind = Unique<HandleTraits<HANDLE, &FindClose, &InvalidHandle>>;
using UniqueInternet = Unique<HandleTraits<HINTERNET, &InternetCloseHandle>>;
using UniqueMenu = Unique<HandleTraits<HMENU, &DestroyMenu>>;
using UniqueIcon = Unique<HandleTraits<HICON, &DestroyIcon>>;
using UniqueFont = Unique<HandleTraits<HFONT, &DeleteObject>>;
using UniquePen = Unique<HandleTraits<HPEN, &DeleteObject>>;
using UniqueBitmap = Unique<HandleTraits<HBITMAP, &DeleteObject>>;
using UniqueMemoryDc = Unique<HandleTraits<HDC, &DeleteDC>>;         // CreateCompatibleDC
using UniqueScreenDc = Unique<HandleTraits<HDC, &ReleaseScreenDc>>;  // GetDC(nullptr)
using UniqueSelection = Unique<HandleTraits<SelectedObject, &Reselect>>;
using UniquePaint = Unique<HandleTraits<PaintCall, &EndPainting>>;
using UniqueLocal = Unique<HandleTraits<HLOCAL, &LocalFree>>;  // buffers FormatMessage allocates

// Selects object into dc until the result goes.
inline UniqueSelection Select(HDC dc, HGDIOBJ object) { return UniqueSelection({dc, SelectObject(dc, object)}); }
