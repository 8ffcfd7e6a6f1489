#pragma once

#include "platform/Tray.h"

// Shell_NotifyIconA with the record's fields in the platform's own layout;
// notifications through Shell_NotifyIconW; SHQueryUserNotificationState.
class Win32Tray : public Tray {
public:
    bool NotifyIcon(TrayMessage message, const TrayRecord& data) override;
    bool ShowNotification(const TrayNotification& notification) override;
    NotificationState QueryNotificationState() override;
};
