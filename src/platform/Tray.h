#pragma once

#include <cstdint>
#include <string>

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

// The record's values the program uses (Windows' NIF_ and WM_ values).
inline constexpr std::uint32_t kTrayRecordSize = 88;  // the record's classic 32-bit ANSI size
inline constexpr std::uint32_t kNifMessage = 1, kNifIcon = 2, kNifTip = 4;
// The tray reports every mouse event with this callback message, the
// mouse message itself in the low word of lParam.
inline constexpr std::uint32_t kWmMouseMove = 0x200;
inline constexpr std::int32_t kWmLButtonDblClk = 515, kWmRButtonUp = 517;
// A click on the icon's notification (NIN_BALLOONUSERCLICK) arrives the same way.
inline constexpr std::int32_t kNinBalloonUserClick = 0x405;

// A notification shown from the icon named by hWnd and uID, its texts in
// UTF-8. Windows shows at most 63 UTF-16 units of the title and 255 of the
// text; longer ones are cut at a whole character.
struct TrayNotification {
    std::uintptr_t hWnd = 0;
    std::uint32_t uID = 0;
    std::string title;
    std::string text;
    // Not shown in the user's quiet time (NIIF_RESPECT_QUIET_TIME): for what
    // the user did not ask for at that moment.
    bool respectQuietTime = false;
};

// Whether Windows shows notifications now (SHQueryUserNotificationState).
enum class NotificationState {
    Accepted,
    NotPresent,     // the screen saver runs, the computer is locked or another user is on
    Busy,           // a full-screen program runs
    FullScreenD3D,  // a full-screen Direct3D program (a game, a video) runs
    Presentation,   // presentation mode is on
    QuietTime,      // the first hour after the user's first sign-in, or "do not disturb"
    App,            // a full-screen app of the Windows Store runs
    Unknown,        // Windows could not say
};

enum class TrayMessage : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };

// Shell_NotifyIcon, and whether Windows shows notifications now.
class Tray {
public:
    virtual ~Tray() = default;
    virtual bool NotifyIcon(TrayMessage message, const TrayRecord& data) = 0;
    // Shows a notification from the icon, with the information icon and no
    // sound of its own; a record of its own, not TrayRecord, carries it.
    virtual bool ShowNotification(const TrayNotification& notification) = 0;
    virtual NotificationState QueryNotificationState() = 0;
};
