#include "win32/NetworkWatcher.h"

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
}  // namespace

NetworkWatcher::~NetworkWatcher() {
    // From the program's thread: on the notices' own it would deadlock.
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

void WINAPI NetworkWatcher::OnChange(void* context, MIB_UNICASTIPADDRESS_ROW*, MIB_NOTIFICATION_TYPE type) {
    const auto* self = static_cast<const NetworkWatcher*>(context);
    if (type == MibAddInstance || type == MibParameterNotification) PostMessageW(self->window_, self->message_, 0, 0);
}
