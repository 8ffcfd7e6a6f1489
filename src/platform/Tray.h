#pragma once

#include <cstdint>

// The notification-icon record, field for field as the program fills it.
struct TrayRecord {
    std::uint32_t cbSize = 0;
    std::uintptr_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uintptr_t hIcon = 0;
    char szTip[64] = {};
};

enum class TrayMessage : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };

// Shell_NotifyIconA.
class Tray {
public:
    virtual ~Tray() = default;
    virtual bool NotifyIcon(TrayMessage message, const TrayRecord& data) = 0;
};
