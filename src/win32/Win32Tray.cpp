#include "win32/Win32Tray.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "win32/TextConversion.h"

// The core's names for the shell's values.
static_assert(kNifMessage == NIF_MESSAGE && kNifIcon == NIF_ICON && kNifTip == NIF_TIP);
static_assert(kWmMouseMove == WM_MOUSEMOVE && kWmLButtonDblClk == WM_LBUTTONDBLCLK && kWmRButtonUp == WM_RBUTTONUP);
static_assert(static_cast<DWORD>(TrayMessage::Add) == NIM_ADD &&
              static_cast<DWORD>(TrayMessage::Modify) == NIM_MODIFY &&
              static_cast<DWORD>(TrayMessage::Delete) == NIM_DELETE);

bool Win32Tray::NotifyIcon(TrayMessage message, const TrayRecord& data) {
    // The record is the classic first version of NOTIFYICONDATA; its size
    // on this platform replaces the 88 bytes it has in 32-bit ANSI code.
    NOTIFYICONDATAW nid{};
    nid.cbSize = data.cbSize == kTrayRecordSize ? NOTIFYICONDATAW_V1_SIZE : data.cbSize;
    nid.hWnd = reinterpret_cast<HWND>(data.hWnd);
    nid.uID = data.uID;
    nid.uFlags = data.uFlags;
    nid.uCallbackMessage = data.uCallbackMessage;
    nid.hIcon = reinterpret_cast<HICON>(data.hIcon);
    // The record's tip, up to its terminator, in the UTF-16 field.
    CopyCut(std::string(data.szTip, strnlen(data.szTip, sizeof data.szTip)), nid.szTip);
    return Shell_NotifyIconW(static_cast<DWORD>(message), &nid) != FALSE;
}

bool Win32Tray::ShowNotification(const TrayNotification& notification) {
    // The full-size record: the notification fields follow the classic ones.
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = reinterpret_cast<HWND>(notification.hWnd);
    nid.uID = notification.uID;
    nid.uFlags = NIF_INFO;
    // The alarm's wave already plays: no sound from the shell.
    nid.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND | (notification.respectQuietTime ? NIIF_RESPECT_QUIET_TIME : 0);
    CopyCut(notification.title, nid.szInfoTitle);
    CopyCut(notification.text, nid.szInfo);
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
