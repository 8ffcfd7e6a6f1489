#pragma once

#include <winsock2.h>
#include <windows.h>
// The IP helper's address types need <ws2tcpip.h> first.
// clang-format off
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <string>

// Windows' notices of new IP addresses (NotifyUnicastIpAddressChange, Windows
// Vista and later): the network coming back after it dropped. Each address
// added, or changed (one that becomes usable), posts a message to a window;
// the notices come on a thread of the system's, which does nothing else.
class NetworkWatcher {
public:
    NetworkWatcher() = default;
    NetworkWatcher(const NetworkWatcher&) = delete;
    NetworkWatcher& operator=(const NetworkWatcher&) = delete;
    ~NetworkWatcher();

    // Starts posting message to window; false, with the reason, when Windows
    // offers no notices.
    bool Start(HWND window, UINT message, std::string& error);

private:
    static void WINAPI OnChange(void* context, MIB_UNICASTIPADDRESS_ROW* row, MIB_NOTIFICATION_TYPE type);

    HWND window_ = nullptr;
    UINT message_ = 0;
    HANDLE notification_ = nullptr;
};
