#include "win32/NetworkWatcher.h"

#include <algorithm>

#include "win32/SystemLibrary.h"
#include "win32/WinError.h"

namespace {
using NotifyChange = DWORD(WINAPI*)(ADDRESS_FAMILY, PUNICAST_IPADDRESS_CHANGE_CALLBACK, void*, BOOLEAN, HANDLE*);
using CancelNotify = DWORD(WINAPI*)(HANDLE);

// iphlpapi.dll is not a KnownDLL: it comes from the system folder only.
HMODULE IpHelper() {
    static const HMODULE library = LoadSystemLibrary("iphlpapi.dll");
    return library;
}

bool IsLinkLocalOrLoopback(const SOCKADDR_INET& address) {
    if (address.si_family == AF_INET) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&address.Ipv4.sin_addr);
        return bytes[0] == 127 || (bytes[0] == 169 && bytes[1] == 254);
    }
    if (address.si_family == AF_INET6) {
        const unsigned char* bytes = address.Ipv6.sin6_addr.s6_addr;
        static const unsigned char loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        return (bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80) || std::equal(bytes, bytes + 16, loopback);
    }
    return true;  // nothing the lobby can be reached over
}
}  // namespace

NetworkWatcher::~NetworkWatcher() {
    // Returns once a notice under way has been delivered.
    if (const auto cancel = SystemFunction<CancelNotify>(IpHelper(), "CancelMibChangeNotify2"); cancel && notification_)
        cancel(notification_);
}

bool NetworkWatcher::Start(HWND window, UINT message, std::string& error) {
    const auto notify = SystemFunction<NotifyChange>(IpHelper(), "NotifyUnicastIpAddressChange");
    if (!notify) {
        error = "iphlpapi.dll offers no address notices: " + SystemErrorText(GetLastError());
        return false;
    }
    window_ = window;
    message_ = message;
    const DWORD status = notify(AF_UNSPEC, &OnChange, this, FALSE, &notification_);
    if (status == NO_ERROR) return true;
    error = "Windows refused address notices: " + SystemErrorText(status);
    return false;
}

bool NetworkWatcher::MayBeBack(const MIB_UNICASTIPADDRESS_ROW* row, MIB_NOTIFICATION_TYPE type) {
    if (type != MibAddInstance && type != MibParameterNotification) return false;
    return row && !IsLinkLocalOrLoopback(row->Address);
}

void WINAPI NetworkWatcher::OnChange(void* context, MIB_UNICASTIPADDRESS_ROW* row, MIB_NOTIFICATION_TYPE type) {
    const auto* self = static_cast<const NetworkWatcher*>(context);
    if (MayBeBack(row, type)) PostMessageA(self->window_, self->message_, 0, 0);
}
