#include "win32/Win32Tray.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "win32/TextConversion.h"

// The core's names for the shell's values.
static_assert(kNifMessage == NIF_MESSAGE && kNifIcon == NIF_ICON && kNifTip == NIF_TIP);
static_assert(kWmMouseMove == WM_MOUSEMOVE && kWmLButtonDblClk == WM_LBUTTONDBLCLK && kWmRButtonUp == WM_RBUTTONUP);
static_assert(static_cast<DWORD>(TrayMessage::Add) == NIM_ADD &&
              static_cast<DWORD>(TrayMessage::Modify) == NIM_MODIFY &&
              static_cast<DWORD>(TrayMessage::Delete) == NIM_DELETE);

namespace {
// Copies UTF-8 text into a fixed UTF-16 field, cut to fit with its terminator.
template <std::size_t N>
void CopyTruncated(const std::string& text, wchar_t (&field)[N]) {
    const std::wstring wide = Wide(text, CP_UTF8);
    const std::size_t n = std::min(wide.size(), N - 1);
    std::wmemcpy(field, wide.data(), n);
    field[n] = L'\0';
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
    // Wide: the texts are in the player's language.
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = reinterpret_cast<HWND>(notification.hWnd);
    nid.uID = notification.uID;
    nid.uFlags = NIF_INFO;
    // The alarm's wave already plays: no sound from the shell.
    nid.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND | (notification.respectQuietTime ? NIIF_RESPECT_QUIET_TIME : 0);
    CopyTruncated(notification.title, nid.szInfoTitle);
    CopyTruncated(notification.text, nid.szInfo);
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

NotificationState Win32Tray::QueryNotificationState() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(SHQueryUserNotificationState(&state))) return NotificationState::Unknown;
    switch (state) {
        case QUNS_NOT_PRESENT: return NotificationState::NotPresent;
        case QUNS_BUSY: return NotificationState::Busy;
        case QUNS_RUNNING_D3D_FULL_SCREEN: return NotificationState::FullScreenD3D;
        case QUNS_PRESENTATION_MODE: return NotificationState::Presentation;
        case QUNS_ACCEPTS_NOTIFICATIONS: return NotificationState::Accepted;
        case QUNS_QUIET_TIME: return NotificationState::QuietTime;
        default: break;
    }
    // QUNS_APP (Windows 8 and later), which older headers lack.
    return static_cast<int>(state) == 7 ? NotificationState::App : NotificationState::Unknown;
}
