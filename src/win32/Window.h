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
        if (!self) return Default(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return Default(hwnd, message, wParam, lParam);
        }
        return CatchAtBoundary<LRESULT>(0, [&] { return self->OnMessage(message, wParam, lParam); });
    }

    // The default answer, in the window's own kind of text.
    static LRESULT Default(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        return IsWindowUnicode(hwnd) ? DefWindowProcW(hwnd, message, wParam, lParam)
                                     : DefWindowProcA(hwnd, message, wParam, lParam);
    }

    static void Register(const char* className, HICON icon = nullptr) { RegisterAs<WNDCLASSEXA>(className, icon); }
    // A class whose windows take their text in UTF-16, through the W calls.
    static void RegisterWide(const wchar_t* className, HICON icon = nullptr) {
        RegisterAs<WNDCLASSEXW>(className, icon);
    }

    HWND hwnd_ = nullptr;

private:
    template <typename WindowClass, typename Char>
    static void RegisterAs(const Char* className, HICON icon) {
        WindowClass wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        wc.hIcon = icon;
        if constexpr (sizeof(Char) == 1)
            RegisterClassExA(&wc);
        else
            RegisterClassExW(&wc);
    }
};
