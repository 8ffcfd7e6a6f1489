#pragma once

#include <windows.h>

#include "win32/Boundary.h"

// Routes a window class's messages to a member of the object that created
// the window: `this` is stored at WM_NCCREATE and cleared at WM_NCDESTROY.
template <typename Derived>
class Window {
public:
    HWND Handle() const { return hwnd_; }

protected:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Derived*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return DefWindowProcA(hwnd, message, wParam, lParam);
        }
        return CatchAtBoundary<LRESULT>(0, [&] { return self->OnMessage(message, wParam, lParam); });
    }

    static void Register(const char* className, HICON icon = nullptr) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        RegisterClassExA(&wc);
    }

    HWND hwnd_ = nullptr;
};
