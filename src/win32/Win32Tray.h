#pragma once

#include "platform/Tray.h"

// Shell_NotifyIconW with the record's fields in the platform's own layout, its texts in UTF-16;
// SHQueryUserNotificationState.
class Win32Tray : public Tray {
public:
    bool NotifyIcon(TrayMessage message, const TrayRecord& data) override;
    bool ShowNotification(const TrayNotification& notification) override;
    NotificationState QueryNotificationState() override;
};
