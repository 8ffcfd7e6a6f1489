#pragma once

#include <windows.h>

#include "win32/Boundary.h"

// Routes a window class's messages to a member of the object that created
// the window: `this` is stored at WM_NCCREATE and cleared at WM_NCDESTROY.
// Every class is registered wide, so its windows get their texts as UTF-16.
template <typename Derived>
class Window {
public:
    HWND Handle() const { return hwnd_; }

protected:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
        return CatchAtBoundary<LRESULT>(0, [&] { return self->OnMessage(message, wParam, lParam); });
    }

    static void Register(const wchar_t* className, HICON icon = nullptr) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        RegisterClassExW(&wc);
    }

    HWND hwnd_ = nullptr;
};
