#include "win32/Win32Tray.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

// The core's names for the shell's values.
static_assert(kNifMessage == NIF_MESSAGE && kNifIcon == NIF_ICON && kNifTip == NIF_TIP);
static_assert(kWmMouseMove == WM_MOUSEMOVE && kWmLButtonDblClk == WM_LBUTTONDBLCLK && kWmRButtonUp == WM_RBUTTONUP);
static_assert(static_cast<DWORD>(TrayMessage::Add) == NIM_ADD &&
              static_cast<DWORD>(TrayMessage::Modify) == NIM_MODIFY &&
              static_cast<DWORD>(TrayMessage::Delete) == NIM_DELETE);

namespace {
// Copies text into a fixed field, cut to fit with its terminator.
template <std::size_t N>
void CopyTruncated(const std::string& text, char (&field)[N]) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}
}  // namespace

bool Win32Tray::NotifyIcon(TrayMessage message, const TrayRecord& data) {
    // The record is the classic first version of NOTIFYICONDATAA; its size
    // on this platform replaces the 88 bytes it has in 32-bit code.
    NOTIFYICONDATAA nid{};
    nid.cbSize = data.cbSize == kTrayRecordSize ? NOTIFYICONDATAA_V1_SIZE : data.cbSize;
    nid.hWnd = reinterpret_cast<HWND>(data.hWnd);
    nid.uID = data.uID;
    nid.uFlags = data.uFlags;
    nid.uCallbackMessage = data.uCallbackMessage;
    nid.hIcon = reinterpret_cast<HICON>(data.hIcon);
    // The record's tip is 64 bytes; the platform's field may be larger.
    static_assert(sizeof nid.szTip >= sizeof data.szTip);
    std::memcpy(nid.szTip, data.szTip, sizeof data.szTip);
    nid.szTip[sizeof nid.szTip - 1] = '\0';
    return Shell_NotifyIconA(static_cast<DWORD>(message), &nid) != FALSE;
}

bool Win32Tray::ShowNotification(const TrayNotification& notification) {
    // The full-size record: the notification fields follow the classic ones.
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = reinterpret_cast<HWND>(notification.hWnd);
    nid.uID = notification.uID;
    nid.uFlags = NIF_INFO;
    // The alarm's wave already plays: no sound from the shell.
    nid.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    CopyTruncated(notification.title, nid.szInfoTitle);
    CopyTruncated(notification.text, nid.szInfo);
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}
